#!/usr/bin/env bash
# The automation channel of the Windows program: requests on standard input
# (a pipe), one JSON reply per request on standard output, in order, and the
# program ends when asked.
#
#   automation.sh zendalite.exe WORKDIR     (ZENDALITE_EMULATOR runs it)
set -euo pipefail
exe="$1" work="$2"
mkdir -p "$work"
requests='{"op":"state"}
{"op":"nonsense"}
{"op":"quit"}'
# shellcheck disable=SC2086 # the emulator is a command with its arguments
printf '%s\n' "$requests" | timeout 60 $ZENDALITE_EMULATOR "$exe" --automation --manual-timers \
    > "$work/replies" 2> "$work/stderr" || { cat "$work/stderr" >&2; echo "exit $?" >&2; exit 1; }
tr -d '\r' < "$work/replies" > "$work/replies.txt"
fail() { echo "automation: $*" >&2; cat "$work/replies.txt" >&2; exit 1; }
[ "$(wc -l < "$work/replies.txt")" -eq 3 ] || fail "three replies wanted"
sed -n 1p "$work/replies.txt" | grep -q '"ok":true' || fail "state refused"
sed -n 1p "$work/replies.txt" | grep -q '"windows":{' || fail "state without windows"
sed -n 1p "$work/replies.txt" | grep -q '"Timer2":{' || fail "state without the main window's elements"
sed -n 2p "$work/replies.txt" | grep -q '"ok":false' || fail "an unknown op was not refused"
sed -n 3p "$work/replies.txt" | grep -q '"ok":true' || fail "quit refused"
echo "automation: 3 replies in order"
