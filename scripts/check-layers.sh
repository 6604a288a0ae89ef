#!/usr/bin/env bash
# The include direction of the program's layers, one way only:
#   core <- link, ui <- telemetry, tuning <- shell
# (core: Qt Core at most; link and ui build on core; telemetry and tuning on
# link, ui and core; shell on all of them). The simulator builds on core
# and pty (pseudo-terminal lines), and pty on nothing of ours. Prints every include against that direction and exits 1 if any.
set -euo pipefail
cd "$(dirname "$0")/.."

declare -A allowed=(
    [core]="core"
    [link]="core link"
    [ui]="core ui"
    [telemetry]="core link ui telemetry"
    [tuning]="core link ui tuning"
    [shell]="core link ui telemetry tuning shell"
    [sim]="core pty sim"
    [pty]="pty"
)
layers="core pty link ui telemetry tuning shell sim"

bad=0
for layer in "${!allowed[@]}"; do
    [ -d "$layer" ] || continue
    while IFS=: read -r file line text; do
        target=$(sed -E 's/^[[:space:]]*#[[:space:]]*include[[:space:]]+"([^/"]+)\/.*/\1/' <<<"$text")
        case " $layers " in *" $target "*) ;; *) continue ;; esac
        case " ${allowed[$layer]} " in
        *" $target "*) ;;
        *)
            echo "$file:$line: $layer may not include $target: $text"
            bad=1
            ;;
        esac
    done < <(grep -rnE '^[[:space:]]*#[[:space:]]*include[[:space:]]+"[^/"]+/' "$layer" \
        --include='*.h' --include='*.cpp' || true)
done
# Qt modules above Qt Core stay out of core.
if grep -rnE '#[[:space:]]*include[[:space:]]+<Qt(Gui|Widgets|SerialPort|Svg)|#[[:space:]]*include[[:space:]]+<Q(Widget|Painter|Image|Color|SerialPort)>' core; then
    echo "core may use Qt Core only"
    bad=1
fi
exit $bad
