#!/bin/sh
# Where the time goes: runs one session of zendalite-programbench with the
# tool under callgrind, counting only the measuring window (the counters are
# zeroed when the window opens and dumped when it closes), then prints the
# functions with the most inclusive and self cost.
#
#   bench/profile.sh [--build-dir DIR] [SESSION]
#
# SESSION is a programbench part (default: hour, with 300 poll cycles and
# manual timers); e.g. cpu-silent or cpu-whole profile the real-time idle and
# 10 frames/s windows (30 s each).
set -eu

here=$(cd "$(dirname "$0")" && pwd)
build=/tmp/benchbuild
if [ "${1:-}" = "--build-dir" ]; then
    build=$2
    shift 2
fi
session=${1:-hour}
bench="$build/bench/zendalite-programbench"
[ -x "$bench" ] || { echo "profile.sh: build first ($here/run.sh --build-only)" >&2; exit 2; }
command -v valgrind >/dev/null || { echo "profile.sh: valgrind is not installed" >&2; exit 2; }

out=$(mktemp -d /tmp/zendalite-profile.XXXXXX)
log="$out/programbench.log"
"$bench" --only "$session" --hour-cycles 300 --cpu-seconds 30 \
    --wrap "valgrind --tool=callgrind --callgrind-out-file=$out/callgrind.out.%p" \
    >"$out/table.md" 2>"$log" &
bench_pid=$!

# Zero the counters when the window opens, dump them when it closes.
state=waiting
while kill -0 "$bench_pid" 2>/dev/null; do
    case $state in
    waiting)
        if grep -q "window opens" "$log"; then
            pid=$(grep "window opens" "$log" | tail -n 1 | sed 's/.*pid \([0-9]*\).*/\1/')
            callgrind_control -z "$pid" >/dev/null 2>&1
            state=open
        fi ;;
    open)
        if grep -q "window closes" "$log"; then
            callgrind_control -d "window" "$pid" >/dev/null 2>&1
            state=done
        fi ;;
    esac
    sleep 0.2
done
wait "$bench_pid" || true

# The dump taken when the window closed (the program's own dump at exit has no suffix).
dump=$(ls "$out"/callgrind.out.*.1 2>/dev/null | head -n 1 || true)
if [ -z "$dump" ]; then
    echo "profile.sh: no callgrind dump in $out" >&2
    cat "$log" >&2
    exit 1
fi
echo "# callgrind dump of the $session window: $dump"
echo "# (open it with callgrind_annotate or kcachegrind; the table of that run: $out/table.md)"
echo
echo "## inclusive cost (top 60)"
callgrind_annotate --inclusive=yes --threshold=100 "$dump" 2>/dev/null | sed -n '/file:function/,$p' | head -n 62 | cut -c1-220
echo
echo "## self cost (top 40; the first lines are the frames that were on the stack when"
echo "## the counters were zeroed: main, exec and the event loop)"
callgrind_annotate --threshold=100 "$dump" 2>/dev/null | sed -n '/file:function/,$p' | head -n 42 | cut -c1-220
