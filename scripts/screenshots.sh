#!/usr/bin/env bash
# Remakes the screenshots in docs/ from the real programs: zendalite-sim on a
# pseudo-terminal, zendalite connected to it, both on a private Xvfb display.
#
#   docs/graph.png            the graph window after about two minutes of live
#                             frames, with two settings sent as markers
#   docs/graph-recording.png  the graph window showing the recording of those
#                             frames (graph-open)
#   docs/contextmenu.png      the main window with its context menu open
#   docs/settingspreview.png  the preview after "Ayarları Yükle…" of a file
#                             saved before those two settings changed
#
# The tool is driven through its automation channel (graph, save, loads
# without preview) and, for what a person does with the mouse and keyboard
# (the context menu, its "Ayarları Yükle…" entry and the file dialog), with
# xdotool on the display. Pictures are cut from the whole screen by each
# window's geometry, so menus and other override windows are in them. The
# frames behind the graph are recorded as well and checked for damaged ones
# before any picture is kept; the pictures go to the output folder only when
# all four were made.
#
# Installs what is missing (Debian packages, sudo when not root) and builds
# zendalite and zendalite-sim in a Release build folder of its own. The
# user's own configuration and documents are never touched: the programs run
# with a HOME and XDG_CONFIG_HOME in a temporary folder.
#
# Options:
#   --build-dir DIR     build folder (default /tmp/shots-build)
#   --out DIR           where the pictures go (default docs/ of this tree)
#   --graph-seconds N   how long the graph collects frames (default 125)
#   --screen WxH        the display's size (default 1366x768, a workshop
#                       laptop; the graph window opens at its default size
#                       or shrunk to the screen)
#   --jobs N            parallel compile jobs (default 2)
#   --keep              keep the temporary folder (logs, files) and say where
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=/tmp/shots-build
out="$root/docs"
graph_seconds=125
screen=1366x768
jobs=2
keep=0

usage() { sed -n '2,/^set -euo/p' "${BASH_SOURCE[0]}" | sed '$d; s/^# \{0,1\}//'; }

while [ $# -gt 0 ]; do
    case "$1" in
    --build-dir) build=$2; shift 2 ;;
    --out) out=$2; shift 2 ;;
    --graph-seconds) graph_seconds=$2; shift 2 ;;
    --screen) screen=$2; shift 2 ;;
    --jobs) jobs=$2; shift 2 ;;
    --keep) keep=1; shift ;;
    -h | --help) usage; exit 0 ;;
    *) echo "screenshots.sh: unknown option $1 (see --help)" >&2; exit 2 ;;
    esac
done
case "$graph_seconds" in '' | *[!0-9]*) echo "screenshots.sh: --graph-seconds needs whole seconds" >&2; exit 2 ;; esac
[ "$graph_seconds" -ge 20 ] || { echo "screenshots.sh: --graph-seconds must be 20 or more" >&2; exit 2; }
case "$screen" in [0-9]*x[0-9]*) ;; *) echo "screenshots.sh: --screen needs WIDTHxHEIGHT" >&2; exit 2 ;; esac

say() { echo "screenshots: $*" >&2; }
die() { echo "screenshots: $*" >&2; exit 1; }

# --- packages ---------------------------------------------------------------

"$root/scripts/install-deps.sh"
extra=(xvfb xauth x11-utils xdotool imagemagick)
missing=()
for p in "${extra[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
    as_root=()
    [ "$(id -u)" -eq 0 ] || as_root=(sudo)
    say "installing ${missing[*]}"
    "${as_root[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
# ImageMagick's own import, whatever else is called so on the PATH.
import=/usr/bin/import
[ -x "$import" ] || die "ImageMagick's $import is missing"

# --- build ------------------------------------------------------------------

if [ ! -f "$build/CMakeCache.txt" ]; then
    say "configuring $build"
    cmake -S "$root" -B "$build" -DCMAKE_BUILD_TYPE=Release -DZENDALITE_TESTS=OFF > /dev/null
fi
say "building in $build"
cmake --build "$build" -j "$jobs" --target zendalite zendalite-sim > "$build/screenshots-build.log" 2>&1 ||
    { tail -n 30 "$build/screenshots-build.log" >&2; die "the build failed (log: $build/screenshots-build.log)"; }
tool="$build/zendalite"
sim="$build/sim/zendalite-sim"

# --- the stage: a display, the unit, the tool --------------------------------

work=$(mktemp -d /tmp/zendalite-shots.XXXXXX)
pids=()
cleanup() {
    exec 4>&- 2>/dev/null || true
    for ((i = ${#pids[@]} - 1; i >= 0; i--)); do
        kill "${pids[i]}" 2>/dev/null || true
        wait "${pids[i]}" 2>/dev/null || true
    done
    if [ "$keep" -eq 1 ]; then say "kept $work"; else rm -rf "$work"; fi
}
trap cleanup EXIT

home="$work/home"
config="$work/config"
documents="$home/Documents/Zendalite"
mkdir -p "$config/zendalite/ports" "$documents" "$work/runtime"
chmod 700 "$work/runtime"

# A display of its own, of the size asked for (no window manager: no task
# bar and no frames, the windows have the whole screen).
Xvfb -displayfd 3 -screen 0 "${screen}x24" -nolisten tcp 3> "$work/display" > "$work/xvfb.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || die "Xvfb did not start (see $work/xvfb.log; --keep keeps it)"
DISPLAY=":$(head -n 1 "$work/display")"
export DISPLAY
unset WAYLAND_DISPLAY
say "display $DISPLAY"

# The unit, as in the demo: port 1 of a configuration folder of its own.
link="$config/zendalite/sim-tty"
"$sim" --link "$link" --seed 7 > "$work/sim.log" 2>&1 &
pids+=($!)
for _ in $(seq 100); do [ -e "$link" ] && break; sleep 0.05; done
[ -e "$link" ] || die "the simulated unit did not start (see $work/sim.log)"
ln -sfn "$link" "$config/zendalite/ports/com1"
printf '"Com-1"\r\n' > "$config/zendalite/Ecu.ini"

# The tool, reading automation requests from a pipe.
mkfifo "$work/requests"
HOME="$home" XDG_CONFIG_HOME="$config" XDG_RUNTIME_DIR="$work/runtime" LC_ALL=C.UTF-8 \
    QT_QPA_PLATFORM=xcb "$tool" --automation < "$work/requests" > "$work/replies" 2> "$work/tool.log" &
pids+=($!)
exec 4> "$work/requests"
sent=0

# Sends one request and waits for its reply; fails on {"ok":false,…}.
request() {
    sent=$((sent + 1))
    printf '%s\n' "$1" >&4
    local waited=0
    while [ "$(wc -l < "$work/replies")" -lt "$sent" ]; do
        sleep 0.05
        waited=$((waited + 1))
        [ "$waited" -lt 6000 ] || die "no reply to $1"
    done
    local reply
    reply=$(sed -n "${sent}p" "$work/replies")
    case "$reply" in
    *'"ok":true'*) ;;
    *) die "request $1 answered $reply" ;;
    esac
}
pause() { request "{\"op\":\"wait\",\"ms\":$(($1 * 1000))}"; }

# A visible window by its exact title; its geometry as X Y WIDTH HEIGHT.
window() {
    local id
    id=$(xdotool search --sync --onlyvisible --name "^$1\$" | tail -n 1)
    [ -n "$id" ] || die "no window \"$1\""
    echo "$id"
}
geometry() {
    # shellcheck disable=SC2034 # SCREEN and WINDOW come along, unused
    local X Y WIDTH HEIGHT SCREEN WINDOW
    eval "$(xdotool getwindowgeometry --shell "$1")"
    echo "$X $Y $WIDTH $HEIGHT"
}
# The screen as it is, cut to one window.
capture() {
    local x y w h
    read -r x y w h <<< "$(geometry "$1")"
    "$import" -window root -crop "${w}x${h}+${x}+${y}" +repage "$2"
    say "captured $(basename "$2") (${w}x${h})"
}

# A settings file with one value changed: KEY, and for a list the place (1…).
changed() {
    awk -v key="\"$2\"" -v at="$3" -v value="$4" '
        index($0, key) { inside = 1; n = 0 }
        inside && /^ *-?[0-9]+,?$/ && at > 0 { if (++n == at) sub(/-?[0-9]+/, value) }
        inside && at == 0 && index($0, key) { sub(/-?[0-9]+,?$/, value ($0 ~ /,$/ ? "," : "")) }
        inside && (at == 0 || /\]/) { inside = 0 }
        { print }' "$1"
}

main_title="Dravon Lpg Zendalite V1.0"
request '{"op":"wait","ms":1500}'
main=$(window "$main_title")

# --- the graph: about two minutes of frames, two settings sent ----------------

say "graph: collecting ${graph_seconds} s of frames"
request '{"op":"action","id":"graph-show"}'
# The same frames into a recording, to check them before the picture is kept.
request "{\"op\":\"action\",\"id\":\"record-start\",\"file\":\"$work/session.csv\"}"
# Band 2 to 57, later the switch-over temperature to 40 °C, each loaded from
# what the unit holds at that moment with one value changed, so that nothing
# else is sent: two markers. The file saved before the first keeps the old
# values, with a vehicle, as a workshop would keep it, for the preview below.
saved="$documents/34ABC123-ayarlar.json"
first=$((graph_seconds * 36 / 100))
second=$((graph_seconds * 62 / 100 - first))
pause "$first"
request "{\"op\":\"action\",\"id\":\"settings-save\",\"file\":\"$saved\"}"
sed -i 's/"customer": ""/"customer": "Ayşe Yılmaz"/; s/"plate": ""/"plate": "34 ABC 123"/;
        s/"note": ""/"note": "Bakım öncesi"/' "$saved"
changed "$saved" band_levels 2 57 > "$work/band2.json"
cmp -s "$saved" "$work/band2.json" && die "band_levels could not be changed in $saved"
request "{\"op\":\"action\",\"id\":\"settings-load\",\"file\":\"$work/band2.json\"}"
pause "$second"
request "{\"op\":\"action\",\"id\":\"settings-save\",\"file\":\"$work/now.json\"}"
changed "$work/now.json" switch_over_celsius 0 40 > "$work/switchover.json"
cmp -s "$work/now.json" "$work/switchover.json" && die "switch_over_celsius could not be changed"
request "{\"op\":\"action\",\"id\":\"settings-load\",\"file\":\"$work/switchover.json\"}"
pause $((graph_seconds - first - second))

graph=$(window Grafik)
read -r gx gy gw gh <<< "$(geometry "$graph")"
# The pointer over the time view, for the read-out in the bottom line.
xdotool mousemove $((gx + gw * 38 / 100)) $((gy + gh * 30 / 100))
pause 2
capture "$graph" "$work/graph.png"
request '{"op":"action","id":"record-stop"}'
# The same frames from the file, the pointer over the map.
request "{\"op\":\"action\",\"id\":\"graph-open\",\"file\":\"$work/session.csv\"}"
graph=$(window Grafik)
read -r gx gy gw gh <<< "$(geometry "$graph")"
xdotool mousemove $((gx + gw * 80 / 100)) $((gy + gh * 50 / 100))
pause 2
capture "$graph" "$work/graph-recording.png"
request '{"op":"close","window":"Graph"}'
# A frame that came through damaged (for example bytes lost while the machine
# was too busy to read the port in time) would stand out in the plot as a spike:
# coolant and tank level move by a count or two between frames at most.
bad=$(awk -F, '$3 == "frame" {
        if (seen && (($16 - c) ^ 2 > 9 || ($18 - t) ^ 2 > 9)) print $2 / 1000 " s"
        c = $16; t = $18; seen = 1 }' "$work/session.csv" | head -n 3)
[ -z "$bad" ] || die "damaged frames in the graph at ${bad//$'\n'/, } (a busy machine?); run again"

# --- the context menu ----------------------------------------------------------

xdotool mousemove --sync 1 1
pause 2
read -r mx my _ _ <<< "$(geometry "$main")"
# On the picture panel at the bottom left: on no entry box, and the menu
# opens over the picture, leaving the live values in sight.
xdotool mousemove --sync $((mx + 70)) $((my + 375))
pause 1
xdotool click 3
pause 1
capture "$main" "$work/contextmenu.png"

# --- "Ayarları Yükle…" of the file saved before -------------------------------

# Kaydı Başlat, Grafik, Kayıt Aç…, Ayarları Kaydet…, Ayarları Yükle…
xdotool key --delay 150 Down Down Down Down Down Return
dialog=$(window "Ayarları Yükle")
pause 1
xdotool type --delay 20 "$saved"
xdotool key Return
pause 1
preview=$(window "Ayarları Yükle")
[ "$preview" != "$dialog" ] || die "the file dialog did not give way to the preview"
xdotool mousemove --sync 1 1
pause 3 # the unit's column follows the frames
capture "$preview" "$work/settingspreview.png"

request '{"op":"quit"}'
mkdir -p "$out"
for picture in graph graph-recording contextmenu settingspreview; do
    cp "$work/$picture.png" "$out/$picture.png"
    say "wrote $out/$picture.png"
done
