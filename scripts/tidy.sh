#!/usr/bin/env bash
# Runs clang-tidy (checks in .clang-tidy) over the sources of the given folders that a configured
# and built build compiles, one clang-tidy per core at a time, using its compile commands, so
# that nothing is built for it; fails on any finding.
# Usage: scripts/tidy.sh BUILD_DIR FOLDER...
set -euo pipefail
cd "$(dirname "$0")/.."
build=$1
shift
database=$build/compile_commands.json
if [ ! -f "$database" ]; then
    echo "tidy.sh: no $database (configure the build first)" >&2
    exit 2
fi
root=$(pwd)
# The database's files under the folders, each once, the largest first so that the last ones
# to finish are short.
python3 - "$database" "$root" "$@" <<'PY' | xargs -0 -P "$(nproc)" -n 1 clang-tidy -p "$build" --quiet \
    --extra-arg=-Wno-unknown-warning-option 2>/dev/null
import json, os, sys
database, root, folders = sys.argv[1], sys.argv[2], sys.argv[3:]
prefixes = [os.path.join(root, f.rstrip("/")) + "/" for f in folders]
files = set()
for entry in json.load(open(database)):
    path = os.path.normpath(os.path.join(entry["directory"], entry["file"]))
    if any(path.startswith(p) for p in prefixes):
        files.add(path)
for path in sorted(files, key=lambda p: -os.path.getsize(p)):
    sys.stdout.write(path + "\0")
PY
