#!/usr/bin/env bash
# Starts the simulated unit and the tool connected to it. The tool gets a
# configuration folder of its own under the build folder, so the user's own
# port file is never touched. Arguments pass through to the tool.
set -euo pipefail

build=${BUILD:-build}
config="$(cd "$build" && pwd)/demo-config"
mkdir -p "$config/zendalite/ports"
link="$config/zendalite/sim-tty"

"$build/sim/zendalite-sim" --link "$link" --seed 7 > "$build/demo-sim.log" 2>&1 &
sim=$!
trap 'kill $sim 2>/dev/null || true; wait $sim 2>/dev/null || true' EXIT

for _ in $(seq 100); do
    [ -e "$link" ] && break
    sleep 0.05
done
[ -e "$link" ] || { echo "the simulated unit did not start; see $build/demo-sim.log" >&2; exit 1; }

# Port 1 is the simulated unit; the port file names it unless the user chose another.
ln -sfn "$link" "$config/zendalite/ports/com1"
[ -s "$config/zendalite/Ecu.ini" ] || printf '"Com-1"\r\n' > "$config/zendalite/Ecu.ini"

echo "zendalite: simulated unit at $(readlink "$link"); commands it receives: $build/demo-sim.log"
run=("$build/zendalite" "$@")
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ] && [ -z "${QT_QPA_PLATFORM:-}" ]; then
    run=(xvfb-run -a -s "-screen 0 1024x768x24" "${run[@]}")
fi
XDG_CONFIG_HOME="$config" "${run[@]}"
