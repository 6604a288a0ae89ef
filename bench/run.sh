#!/bin/sh
# Builds the benchmarks (when needed) and runs them: the micro-benchmarks and
# the whole-program benchmark, once on Qt's offscreen platform and once on X
# (xcb) under xvfb-run, printing their tables. Figures and how to read them:
# docs/performance.md.
#
#   bench/run.sh [--build-dir DIR] [--no-build | --build-only] [--quick]
#                [--offscreen-only | --xvfb-only] [--micro-only | --program-only]
#                [-- PROGRAMBENCH-ARGS...]
#
# A full run takes about 40 minutes (two platforms of about 20 minutes each,
# micro-benchmarks included; recording and the graph window take half of it);
# --quick takes about 10.
set -eu

here=$(cd "$(dirname "$0")" && pwd)
source_dir=$(cd "$here/.." && pwd)
build=/tmp/benchbuild
do_build=yes
build_only=no
quick=no
platforms="offscreen xvfb"
parts="micro program"

while [ $# -gt 0 ]; do
    case $1 in
    --build-dir) build=$2; shift 2 ;;
    --no-build) do_build=no; shift ;;
    --build-only) build_only=yes; shift ;;
    --quick) quick=yes; shift ;;
    --offscreen-only) platforms=offscreen; shift ;;
    --xvfb-only) platforms=xvfb; shift ;;
    --micro-only) parts=micro; shift ;;
    --program-only) parts=program; shift ;;
    --) shift; break ;;
    -h|--help) sed -n '2,13p' "$0"; exit 0 ;;
    *) echo "run.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done

if [ $do_build = yes ]; then
    # Google Benchmark, Qt and xvfb-run from Debian's packages when missing.
    "$source_dir/scripts/install-deps.sh" --bench
    if [ ! -f "$build/CMakeCache.txt" ]; then
        cmake -S "$source_dir" -B "$build" -DZENDALITE_BENCH=ON -DCMAKE_BUILD_TYPE=Release >/dev/null
    fi
    cmake --build "$build" -j"$(nproc)" --target zendalite zendalite-microbench \
        zendalite-programbench zendalite-floorwindow >/dev/null
fi
[ $build_only = yes ] && exit 0

micro="$build/bench/zendalite-microbench"
program="$build/bench/zendalite-programbench"
for part in $parts; do
    f=$program
    [ $part = micro ] && f=$micro
    [ -x "$f" ] || { echo "run.sh: $f is missing; build with -DZENDALITE_BENCH=ON" >&2; exit 2; }
done

quick_args=
micro_args=
if [ $quick = yes ]; then
    quick_args=--quick
    micro_args=--benchmark_min_time=0.05
fi

echo "# zendalite benchmarks, $(date -u '+%Y-%m-%d %H:%M UTC')"
echo
echo "Machine: $(grep -m1 'model name' /proc/cpuinfo | sed 's/.*: //'), $(nproc) cores, Qt $(qtpaths6 --qt-version 2>/dev/null || echo 6), load average at start: $(cut -d' ' -f1-3 /proc/loadavg)"
status=0
for platform in $platforms; do
    if [ $platform = xvfb ]; then
        if ! command -v xvfb-run >/dev/null; then
            echo "run.sh: xvfb-run is not installed; skipping X" >&2
            continue
        fi
        wrap=yes
        qpa=xcb
    else
        wrap=
        qpa=offscreen
    fi
    for part in $parts; do
        case $part in
        micro)
            echo
            echo "## micro-benchmarks — platform: $qpa"
            echo
            echo '```'
            # shellcheck disable=SC2086
            if [ -n "$wrap" ]; then
                QT_QPA_PLATFORM=$qpa xvfb-run -a -s "-screen 0 1280x1024x24" "$micro" $micro_args 2>/dev/null || status=1
            else
                QT_QPA_PLATFORM=$qpa "$micro" $micro_args 2>/dev/null || status=1
            fi
            echo '```'
            ;;
        program)
            # shellcheck disable=SC2086
            if [ -n "$wrap" ]; then
                xvfb-run -a -s "-screen 0 1280x1024x24" "$program" --platform $qpa $quick_args "$@" || status=1
            else
                "$program" --platform $qpa $quick_args "$@" || status=1
            fi
            ;;
        esac
    done
done
echo
echo "Load average at the end: $(cut -d' ' -f1-3 /proc/loadavg)"
exit $status
