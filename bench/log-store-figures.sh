#!/usr/bin/env bash
# Opening a large log against reading it: `quillon-cli stats` against dd, the viewer's
# --screenshot against cat, and the private memory (RssAnon) of the viewer with the log open.
# Usage: bench/log-store-figures.sh BUILD_DIR [FRAMES] [RUNS]   (the log goes to $TMPDIR)
set -euo pipefail
build=${1:?build folder, e.g. build/release}
frames=${2:-300000}
runs=${3:-5}
log=${TMPDIR:-/tmp}/quillon-figures-$frames.dl
[ -f "$log" ] || "$build/tools/quillon-samplegen" --out "$log" --frames "$frames" >/dev/null
export QT_QPA_PLATFORM=offscreen
cat "$log" >/dev/null  # every command below reads the file from the page cache

# The median wall time of RUNS runs of a command, in seconds.
median() {
    local times=()
    for _ in $(seq "$runs"); do
        local start end
        start=$(date +%s.%N)
        "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        times+=("$(echo "$end - $start" | bc)")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}

dd_time=$(median dd if="$log" of=/dev/null bs=4M)
info_time=$(median "$build/src/quillon-cli" info "$log")
stats_time=$(median "$build/src/quillon-cli" stats "$log")
cat_time=$(median cat "$log")
shot_time=$(median "$build/src/quillon-viewer" --screenshot "${TMPDIR:-/tmp}/quillon-figures.png" "$log")
size=$(stat -c %s "$log")
echo "log: $log ($frames frames, $size bytes); medians of $runs runs; load: $(cut -d' ' -f1-3 /proc/loadavg)"
echo "dd bs=4M: ${dd_time} s; quillon-cli info (the opening pass): ${info_time} s; ratio $(echo "scale=2; $info_time / $dd_time" | bc)"
echo "dd bs=4M: ${dd_time} s; quillon-cli stats: ${stats_time} s; ratio $(echo "scale=2; $stats_time / $dd_time" | bc)"
echo "cat: ${cat_time} s; viewer --screenshot: ${shot_time} s; ratio $(echo "scale=2; $shot_time / $cat_time" | bc)"

"$build/src/quillon-viewer" "$log" >/dev/null 2>&1 &
pid=$!
sleep 10
anon=$(awk '/RssAnon/ {print $2}' "/proc/$pid/status")
kill "$pid"
wait "$pid" 2>/dev/null || true
echo "viewer RssAnon with the log open: $((anon / 1024)) MB; allowed 64 MB + 5% = $((64 + size / 20 / 1048576)) MB"
