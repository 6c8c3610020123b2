#!/usr/bin/env bash
# Fails when a source file includes a header of a folder that its layer may not see. The table is
# the one src/CMakeLists.txt builds the libraries' include roots from; this check also covers
# headers that no library compiles on its own, and says which line is wrong.
set -euo pipefail
cd "$(dirname "$0")/.."
declare -A sees=(
    [platform]="platform"
    [format]="platform format"
    [model]="platform format model"
    [analysis]="platform format model analysis"
    [settings]="platform format model settings"
    [document]="platform format model analysis settings document"
    [texts]="platform texts"
    [cli]="platform format model analysis settings document texts cli"
    [gui/common]="platform format model analysis settings document texts gui/common"
    [gui/chart]="platform format model analysis settings document texts gui/common gui/chart"
    [gui/panes]="platform format model analysis settings document texts gui/common gui/chart gui/panes"
    [gui/dialogs]="platform format model analysis settings document texts gui/common gui/chart gui/dialogs"
    [gui/app]="platform format model analysis settings document texts gui/common gui/chart gui/panes gui/dialogs gui/app"
)
root=${1:-src}
bad=0
while IFS= read -r file; do
    rel=${file#"$root"/}
    layer=${rel%/*}
    allowed=${sees[$layer]:-}
    if [ -z "$allowed" ]; then
        echo "$file: folder '$layer' is in no layer (add it to scripts/check-layers.sh)" >&2
        bad=1
        continue
    fi
    while IFS=: read -r line target; do
        folder=${target%/*}
        case " $allowed " in
        *" $folder "*) ;;
        *)
            echo "$file:$line: includes \"$target\": '$layer' may not see '$folder'" >&2
            bad=1
            ;;
        esac
    done < <(grep -nE '^\s*#\s*include\s*"[^"]+/[^"]+"' "$file" |
        sed -E 's/^([0-9]+):\s*#\s*include\s*"([^"]+)".*/\1:\2/')
done < <(find "$root" -name '*.cpp' -o -name '*.h' | grep -v '/resources/' | sort)
# No Qt below the user interface.
if grep -rnE '#\s*include\s*[<"](Q[A-Za-z]|qt)' "$root"/{platform,format,model,analysis,settings,document,cli}; then
    echo "a file below the user interface includes a Qt header" >&2
    bad=1
fi
[ "$bad" -eq 0 ] && echo "layers: no upward include"
exit "$bad"
