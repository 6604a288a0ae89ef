#!/usr/bin/env bash
# The serial port of the Windows program under Wine, as far as Wine 8.0 lets
# it go: the program reads the port file c:\Ecu.ini from the prefix's drive
# C, opens COM12, which Wine maps to the simulated unit's pseudo-terminal
# ($WINEPREFIX/dosdevices/com12), and a band level typed through the
# automation channel reaches the unit byte for byte with its pauses. The
# program also receives the unit's frames under Wine 8.0 (the frames are
# recorded, and band 1 shows the level the unit took), although the Qt
# SDK's own serial probe never received there. Throughout, the program goes
# on answering, keeps the port open and never takes the line for a lost
# device (the recording's link events say so).
#
#   serial.sh zendalite.exe WORKDIR   (ZENDALITE_EMULATOR runs it; ZENDALITE_SIM
#                                      is the Linux zendalite-sim)
set -euo pipefail
exe="$1" work="$2"
sim="${ZENDALITE_SIM:-}"
if [ ! -x "$sim" ]; then
    echo "serial: no simulated unit (ZENDALITE_SIM, the Linux zendalite-sim); scripts/windows/test.sh gives it"
    exit 77
fi
rm -rf "$work"
mkdir -p "$work"
fail() {
    echo "serial: $*" >&2
    for f in sim.out sim.err tool.err replies.txt recording.csv; do
        [ -s "$work/$f" ] && { echo "--- $f" >&2; tail -n 30 "$work/$f" >&2; }
    done
    exit 1
}

# A prefix of its own, beside the build's: the other tests of the suite start
# the program at the same time and must not find this port file.
read -r -a emulator <<< "$ZENDALITE_EMULATOR"
prefix=""
for i in "${!emulator[@]}"; do
    case "${emulator[$i]}" in
    ZENDALITE_WINEPREFIX=*)
        prefix="${emulator[$i]#ZENDALITE_WINEPREFIX=}-serial"
        emulator[i]="ZENDALITE_WINEPREFIX=$prefix"
        ;;
    esac
done
[ -n "$prefix" ] || fail "no ZENDALITE_WINEPREFIX in the emulator '$ZENDALITE_EMULATOR'"
here="$(cd "$(dirname "$0")" && pwd)"
"$here/../../scripts/windows/make-wineprefix.sh" "$prefix"
export WINEPREFIX="$prefix" WINEDEBUG=-all

sim_pid="" tool_pid=""
cleanup() {
    [ -n "$tool_pid" ] && kill "$tool_pid" 2> /dev/null
    wineserver -k 2> /dev/null || true
    [ -n "$sim_pid" ] && kill "$sim_pid" 2> /dev/null && wait "$sim_pid" 2> /dev/null
    rm -f "$prefix/dosdevices/com12"
    return 0
}
trap cleanup EXIT

# The unit on a pseudo-terminal.
link="$work/unit"
"$sim" --link "$link" --seed 23 > "$work/sim.out" 2> "$work/sim.err" &
sim_pid=$!
for _ in $(seq 50); do
    grep -q '^ready ' "$work/sim.out" && break
    sleep 0.1
done
grep -q '^ready ' "$work/sim.out" || fail "the simulated unit did not start"

# COM12 is the unit's link; c:\Ecu.ini names port 12, and no own copy of
# the port file is left from an earlier run to be read in its place.
ln -sfn "$link" "$prefix/dosdevices/com12"
printf '"Com-12"\r\n' > "$prefix/drive_c/Ecu.ini"
find "$prefix/drive_c/users" -path '*/AppData/*' -name Ecu.ini -delete

# The program with the automation channel on a pipe and its own timers.
coproc TOOL { exec "${emulator[@]}" "$exe" --automation 2> "$work/tool.err"; }
# shellcheck disable=SC2153 # bash names the coprocess's id
tool_pid=$TOOL_PID
exec 3>&"${TOOL[1]}" 4<&"${TOOL[0]}"
: > "$work/replies.txt"
reply=""
ask() {
    printf '%s\n' "$1" >&3
    IFS= read -r -t 30 -u 4 reply || fail "no reply to $1 within 30 s"
    reply="${reply%$'\r'}"
    printf '%s\n' "$reply" >> "$work/replies.txt"
}
ok() {
    ask "$1"
    case "$reply" in *'"ok":true'*) ;; *) fail "refused: $1" ;; esac
}
element() { printf '%s' "$reply" | grep -o "\"$1\":{[^}]*}" | head -n 1; }
field() { printf '%s' "$2" | grep -o "\"$1\":\"[^\"]*\"" | head -n 1 | cut -d'"' -f4; }

ok '{"op":"state"}'
serial="$(printf '%s' "$reply" | grep -o '"[A-Za-z0-9]*":{"kind":"serial"[^}]*}' | head -n 1)"
case "$serial" in *'"open":true'*'"port":12'* | *'"port":12'*'"open":true'*) ;;
*) fail "COM12 from c:\\Ecu.ini is not open: $serial" ;; esac
case "$(element main)" in *'"visible":true'*) ;; *) fail "the main window is not shown" ;; esac
ok '{"op":"action","id":"record-start","file":"C:/serial.csv"}'

# The line as Wine gives it: the program goes on answering and keeps the
# port open.
ok '{"op":"wait","ms":3000}'
ok '{"op":"state"}'
serial="$(printf '%s' "$reply" | grep -o '"[A-Za-z0-9]*":{"kind":"serial"[^}]*}' | head -n 1)"
case "$serial" in *'"open":true'*) ;; *) fail "the port closed on a silent line: $serial" ;; esac

# Band 1's level typed as on Linux: a click on its value, the box emptied,
# the number typed, Enter.
ok '{"op":"click","target":"ca1"}'
ok '{"op":"state"}'
text="$(field text "$(element SetBox)")"
for _ in $(seq ${#text}); do ok '{"op":"key","target":"SetBox","code":8}'; done
ok '{"op":"type","target":"SetBox","text":"57"}'
ok '{"op":"key","target":"SetBox","code":13}'
command=""
for _ in $(seq 30); do
    command="$(grep -m 1 '^command ' "$work/sim.out" || true)"
    [ -n "$command" ] && break
    sleep 0.1
done
[ -n "$command" ] || fail "the unit logged no command"
read -r word code value gaps gap1 gap2 <<< "$command"
[ "$word $code $value $gaps" = "command 0 57 gaps" ] || fail "the unit logged '$command', not band 1 at 57"
# A4 arrived first (the unit logs a command only after it), and nothing else.
! grep -q '^stray ' "$work/sim.out" || fail "bytes outside the command: $(grep '^stray ' "$work/sim.out")"
awk -v a="$gap1" -v b="$gap2" 'BEGIN { exit !(a >= 100 && b >= 100 && a < 400 && b < 400) }' ||
    fail "gaps $gap1 and $gap2 ms, not about 105"

ok '{"op":"wait","ms":1000}'
ok '{"op":"action","id":"record-stop"}'
ok '{"op":"state"}'
shown="$(field text "$(element ca1)")"
serial="$(printf '%s' "$reply" | grep -o '"[A-Za-z0-9]*":{"kind":"serial"[^}]*}' | head -n 1)"
case "$serial" in *'"open":true'*) ;; *) fail "the port closed: $serial" ;; esac
ok '{"op":"quit"}'
wait "$tool_pid" 2> /dev/null || fail "the program ended with status $?"
tool_pid=""

[ "$shown" = 57 ] || fail "band 1 shows '$shown', not the 57 the unit took"

# The recording: the command once, the unit's frames, and no device lost or
# returned, so the port was never closed and opened again.
tr -d '\r' < "$prefix/drive_c/serial.csv" > "$work/recording.csv"
events="$(cut -d, -f3 "$work/recording.csv" | tail -n +2 | sort | uniq -c | awk '{ printf "%s %s, ", $2, $1 }')"
grep -q ',command,,0,57,' "$work/recording.csv" || fail "no command row for band 1 at 57: $events"
grep -q ',frame,' "$work/recording.csv" || fail "no frame recorded: $events"
! grep -q ',device-lost,\|,device-returned,' "$work/recording.csv" ||
    fail "the silent line was taken for a lost device: $events"
echo "serial: COM12 from c:\\Ecu.ini opened; the unit logged A4 00 39 with gaps $gap1 and $gap2 ms"
echo "serial: recorded events: ${events%, }; band 1 shows '$shown'"
