# Cross-builds the tool for 64-bit Windows on Debian with MinGW-w64 and a Qt
# built for it (scripts/windows/build-qt.sh makes one; `make windows` finds
# or makes it and passes its folder as ZENDALITE_WINQT).
#
#   cmake -S . -B build-win/build -DCMAKE_TOOLCHAIN_FILE=cmake/mingw64-toolchain.cmake \
#         -DZENDALITE_WINQT=/path/to/qt-6.4.2-mingw64 -DCMAKE_BUILD_TYPE=Release
#
# The compilers are the posix thread flavour: the Qt DLLs and the MinGW
# runtime DLLs shipped beside the tool were built with them, and code from the
# win32 flavour does not fit that libstdc++-6.dll. Qt's code generators (moc,
# rcc, uic) are the host's own Qt of the same version (QT_HOST_PATH).
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR AMD64)
set(ZENDALITE_MINGW x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${ZENDALITE_MINGW}-gcc-posix)
set(CMAKE_CXX_COMPILER ${ZENDALITE_MINGW}-g++-posix)
set(CMAKE_RC_COMPILER ${ZENDALITE_MINGW}-windres)

if(NOT ZENDALITE_WINQT AND DEFINED ENV{ZENDALITE_WINQT})
    set(ZENDALITE_WINQT "$ENV{ZENDALITE_WINQT}")
endif()
if(NOT ZENDALITE_WINQT)
    message(FATAL_ERROR "ZENDALITE_WINQT: the folder of Qt built for MinGW-w64 is not given")
endif()
# try_compile() projects read this file again and need the same folder.
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZENDALITE_WINQT)

# libxlsxwriter built for MinGW (scripts/windows/build-xlsxwriter.sh), when
# given: its prefix is searched as Qt's is.
if(NOT ZENDALITE_WINXLSX AND DEFINED ENV{ZENDALITE_WINXLSX})
    set(ZENDALITE_WINXLSX "$ENV{ZENDALITE_WINXLSX}")
endif()
list(APPEND CMAKE_TRY_COMPILE_PLATFORM_VARIABLES ZENDALITE_WINXLSX)

set(CMAKE_FIND_ROOT_PATH /usr/${ZENDALITE_MINGW} "${ZENDALITE_WINQT}" ${ZENDALITE_WINXLSX})
set(CMAKE_PREFIX_PATH "${ZENDALITE_WINQT}" ${ZENDALITE_WINXLSX})
set(QT_HOST_PATH /usr)
set(QT_HOST_PATH_CMAKE_DIR /usr/lib/x86_64-linux-gnu/cmake)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
