#!/usr/bin/env bash
# The figures of a very large log: a generated log of FRAMES frames (3,000,000 make about 10.5 GB)
# read with the page cache dropped, inside a memory cgroup of MEMORY when the machine allows one
# (skipped with a message otherwise), each command as a ratio to dd of the same file in the same
# run; then the same warm; the viewer's largest private memory (RssAnon, polled from /proc)
# while it makes its picture; and a second opening of the same log, which reads the summary cache
# that the first one wrote. Medians of RUNS runs. Needs root for the cgroup and the cache drop.
# Usage: bench/any-size-figures.sh BUILD_DIR [FRAMES] [RUNS] [MEMORY]   (the log goes to $TMPDIR)
set -euo pipefail
build=${1:?build folder, e.g. build/release}
frames=${2:-3000000}
runs=${3:-5}
memory=${4:-1G}
tmp=${TMPDIR:-/tmp}
log=$tmp/quillon-any-size-$frames.dl
[ -f "$log" ] || "$build/tools/quillon-samplegen" --out "$log" --frames "$frames" >/dev/null
export QT_QPA_PLATFORM=offscreen
# First openings read the log: no summary cache until the second-opening figures.
export QUILLON_SUMMARY_CACHE=off
cli=$build/src/quillon-cli
viewer=$build/src/quillon-viewer
picture=$tmp/quillon-any-size.png

# A memory cgroup (version 1 or 2) that every measured command runs in.
group=""
if [ -d /sys/fs/cgroup/memory ] && mkdir -p /sys/fs/cgroup/memory/quillon-bench 2>/dev/null; then
    group=/sys/fs/cgroup/memory/quillon-bench
    echo "$memory" >"$group/memory.limit_in_bytes"
elif [ -f /sys/fs/cgroup/cgroup.controllers ] && mkdir -p /sys/fs/cgroup/quillon-bench 2>/dev/null; then
    group=/sys/fs/cgroup/quillon-bench
    echo "$memory" >"$group/memory.max"
else
    echo "no memory cgroup can be made here: the commands run without a memory limit"
fi
trap '[ -n "$group" ] && rmdir "$group" 2>/dev/null || true' EXIT
in_group() {
    if [ -n "$group" ]; then
        sh -c 'echo $$ > "$0/cgroup.procs" && exec "$@"' "$group" "$@"
    else
        "$@"
    fi
}
can_drop=1
sync
echo 3 >/proc/sys/vm/drop_caches 2>/dev/null || { can_drop=0; echo "the page cache cannot be dropped here: cold figures are warm"; }
drop() { [ "$can_drop" -eq 0 ] || { sync; echo 3 >/proc/sys/vm/drop_caches; }; }

# The median wall time of RUNS runs of a command; COLD=1 drops the page cache before each run.
median() {
    local times=() start end
    for _ in $(seq "$runs"); do
        [ "${COLD:-0}" -eq 1 ] && drop
        start=$(date +%s.%N)
        in_group "$@" >/dev/null 2>&1
        end=$(date +%s.%N)
        times+=("$(echo "$end - $start" | bc)")
    done
    printf '%s\n' "${times[@]}" | sort -n | sed -n "$(((runs + 1) / 2))p"
}
ratio() { echo "scale=2; $1 / $2" | bc; }
# One cold run of a command in seconds (the page cache dropped first).
cold_once() {
    local start end
    drop
    start=$(date +%s.%N)
    in_group "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc
}
# One cold run of the viewer: the time until it first showed the log (it prints when, with
# QUILLON_TIMING=1), before the standard deviations it then reads beside the window.
cold_first_picture() {
    local start shown
    drop
    start=$(date +%s%3N)
    shown=$(QUILLON_TIMING=1 in_group "$viewer" --screenshot "$picture" "$log" 2>&1 >/dev/null |
        sed -n 's/^first picture at \([0-9]*\) ms$/\1/p')
    echo "scale=3; (${shown:-0} - $start) / 1000" | bc
}
middle() { printf '%s\n' "$@" | sort -n | sed -n "$((($# + 1) / 2))p"; }

size=$(stat -c %s "$log")
limit=none
[ -n "$group" ] && limit=$memory
echo "log: $log ($frames frames, $size bytes); medians of $runs runs; memory limit: $limit"
echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
# The cold runs take turns, so that the disk's and the host's drifting conditions fall on every
# command alike.
dd_runs=() info_runs=() stats_runs=() first_runs=() shot_runs=()
for _ in $(seq "$runs"); do
    dd_runs+=("$(cold_once dd if="$log" of=/dev/null bs=4M)")
    info_runs+=("$(cold_once "$cli" info "$log")")
    stats_runs+=("$(cold_once "$cli" stats "$log")")
    first_runs+=("$(cold_first_picture)")
    shot_runs+=("$(cold_once "$viewer" --screenshot "$picture" "$log")")
done
dd_cold=$(middle "${dd_runs[@]}")
info_cold=$(middle "${info_runs[@]}")
stats_cold=$(middle "${stats_runs[@]}")
first_cold=$(middle "${first_runs[@]}")
shot_cold=$(middle "${shot_runs[@]}")
echo "cold runs, in seconds: dd ${dd_runs[*]}; viewer first picture ${first_runs[*]}"
echo "cold: dd ${dd_cold} s ($(echo "scale=0; $size / 1048576 / $dd_cold" | bc) MB/s)"
echo "cold: quillon-cli info ${info_cold} s = $(ratio "$info_cold" "$dd_cold") x dd"
echo "cold: quillon-cli stats ${stats_cold} s = $(ratio "$stats_cold" "$dd_cold") x dd"
echo "cold: viewer first picture ${first_cold} s = $(ratio "$first_cold" "$dd_cold") x dd"
echo "cold: viewer --screenshot (with every standard deviation) ${shot_cold} s = $(ratio "$shot_cold" "$dd_cold") x dd"

cat "$log" >/dev/null
dd_warm=$(median dd if="$log" of=/dev/null bs=4M)
cat_warm=$(median cat "$log")
stats_warm=$(median "$cli" stats "$log")
shot_warm=$(median "$viewer" --screenshot "$picture" "$log")
echo "warm: quillon-cli stats ${stats_warm} s = $(ratio "$stats_warm" "$dd_warm") x dd"
echo "warm: viewer --screenshot ${shot_warm} s = $(ratio "$shot_warm" "$cat_warm") x cat"

# The viewer's private memory: the largest RssAnon seen while it opens the log and draws it.
if [ -n "$group" ]; then
    sh -c 'echo $$ > "$0/cgroup.procs" && exec "$@"' "$group" "$viewer" --screenshot "$picture" "$log" \
        >/dev/null 2>&1 &
else
    "$viewer" --screenshot "$picture" "$log" >/dev/null 2>&1 &
fi
pid=$!
peak=0
while kill -0 "$pid" 2>/dev/null; do
    anon=$(awk '/RssAnon/ {print $2}' "/proc/$pid/status" 2>/dev/null || echo 0)
    [ "${anon:-0}" -gt "$peak" ] && peak=$anon
    sleep 0.05
done
wait "$pid" || echo "the viewer failed (exit $?) under the memory limit"
echo "viewer private memory (largest RssAnon): $((peak / 1024)) MB"

# A second opening of the same unchanged log: one opening writes its summary into a cache folder
# of this run, which the openings measured then read instead of the frames.
export QUILLON_SUMMARY_CACHE=$tmp/quillon-any-size-cache
rm -rf "$QUILLON_SUMMARY_CACHE"
in_group "$viewer" --screenshot "$picture" "$log" >/dev/null 2>&1 || true
second_cold=$(COLD=1 median "$viewer" --screenshot "$picture" "$log")
info_second_cold=$(COLD=1 median "$cli" info "$log")
second_warm=$(median "$viewer" --screenshot "$picture" "$log")
stats_second_warm=$(median "$cli" stats "$log")
echo "second opening, cold: viewer --screenshot ${second_cold} s = $(ratio "$second_cold" "$dd_cold") x dd"
echo "second opening, cold: quillon-cli info ${info_second_cold} s = $(ratio "$info_second_cold" "$dd_cold") x dd"
echo "second opening, warm: viewer --screenshot ${second_warm} s = $(ratio "$second_warm" "$cat_warm") x cat"
echo "second opening, warm: quillon-cli stats ${stats_second_warm} s = $(ratio "$stats_second_warm" "$dd_warm") x dd"
rm -rf "$QUILLON_SUMMARY_CACHE"
echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
