# The two commands: `make demo` and `make test`. Both install what is missing
# (Debian packages), configure and build first.

BUILD ?= build
JOBS ?= $(shell nproc 2>/dev/null || echo 2)
ARGS ?=
CMAKE_ARGS ?=

.PHONY: all deps configure build demo test package windows windows-test clean

all: build

deps:
	@scripts/install-deps.sh

configure: deps
	@cmake -S . -B $(BUILD) -DCMAKE_BUILD_TYPE=RelWithDebInfo $(CMAKE_ARGS) > /dev/null

build: configure
	@cmake --build $(BUILD) -j $(JOBS)

demo: build
	@BUILD=$(BUILD) scripts/demo.sh $(ARGS)

test: build
	@cd $(BUILD) && ctest --output-on-failure -j $(JOBS)

# The Debian package, checked for its files and dependencies.
package: build
	@cd $(BUILD) && cpack > /dev/null && ls zendalite_*.deb
	@packaging/check-package.sh $(BUILD)

# The Windows build (cross-built with MinGW-w64): its folder and installer
# in build-win/, and its tests under Wine. WINQT=DIR names the Qt for
# Windows to use (see scripts/windows/make.sh for where it comes from).
windows:
	@scripts/install-deps.sh --windows
	@JOBS=$(JOBS) WINQT=$(WINQT) scripts/windows/make.sh

windows-test: windows
	@JOBS=$(JOBS) scripts/windows/test.sh

clean:
	rm -rf $(BUILD)
