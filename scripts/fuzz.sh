#!/usr/bin/env bash
# Builds the fuzz preset (clang, libFuzzer) and runs every fuzz target for its share of MINUTES,
# as many at a time as there are cores, starting from the committed corpus. Prints each target's
# inputs per second and the total, then minimises each target's corpus (the committed inputs and
# the new ones) into fuzz/corpus/NAME, keeping the names of committed inputs that stay. A crash or
# sanitizer report fails the run and leaves the reproducing input in the work folder it names.
# Usage: scripts/fuzz.sh MINUTES
set -euo pipefail
cd "$(dirname "$0")/.."
if [ $# -ne 1 ] || ! [[ $1 =~ ^[0-9]+([.][0-9]+)?$ ]]; then
    echo "usage: scripts/fuzz.sh MINUTES" >&2
    exit 2
fi
minutes=$1
jobs=$(nproc)
# The largest input a target is given: the committed inputs stay small files.
max_len=${FUZZ_MAX_LEN:-12000}

names=()
for src in fuzz/*Fuzz.cpp; do
    name=$(basename "$src" .cpp)
    names+=("$name")
done
cmake --preset fuzz >/dev/null
cmake --build --preset fuzz -j "$jobs" --target "${names[@]/#/fuzz_}"
bin=build/fuzz/fuzz

count=${#names[@]}
# Each target's seconds: the run's time shared out over the targets, `jobs` of them at once.
seconds=$(awk -v m="$minutes" -v j="$jobs" -v n="$count" \
    'BEGIN { s = int(m * 60 * (j < n ? j : n) / n); print (s < 1 ? 1 : s) }')
work=$(mktemp -d "${TMPDIR:-/tmp}/quillon-fuzz.XXXXXX")
echo "== fuzzing ${count} targets for ${seconds} s each, ${jobs} at a time (work folder ${work})"
export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}

run_target() {
    local name=$1
    mkdir -p "$work/$name/new"
    (cd "$work/$name" && "$OLDPWD/$bin/fuzz_$name" -max_total_time="$seconds" \
        -max_len="$max_len" -print_final_stats=1 -artifact_prefix="$work/$name/" \
        new "$OLDPWD/fuzz/corpus/$name") >"$work/$name/log" 2>&1
    # The processor time of this shell's children (the target): on a loaded machine the inputs
    # per processor second tell what the target makes on a quiet one.
    times >"$work/$name/times"
    awk 'NR == 2 { t = 0; for (i = 1; i <= 2; ++i) { split($i, p, "m"); t += p[1] * 60 + p[2] }
                   print t }' "$work/$name/times" >"$work/$name/cpu"
}

failed=()
running=0
pids=()
for name in "${names[@]}"; do
    run_target "$name" &
    pids+=("$!:$name")
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
        wait -n || true
        running=$((running - 1))
    fi
done
wait || true
for entry in "${pids[@]}"; do
    name=${entry#*:}
    if ! grep -q "^stat::number_of_executed_units" "$work/$name/log" ||
        grep -qE "^==[0-9]+==ERROR|runtime error:|deadly signal|Test unit written" "$work/$name/log"; then
        failed+=("$name")
    fi
done

echo "load average: $(cut -d' ' -f1-3 /proc/loadavg)"
printf '%-26s %12s %10s %18s\n' target inputs inputs/s "inputs/cpu second"
total=0
for name in "${names[@]}"; do
    units=$(awk '/^stat::number_of_executed_units/ { print $2 }' "$work/$name/log")
    units=${units:-0}
    total=$((total + units))
    # A target that failed stopped before its processor time was taken.
    cpu=$(cat "$work/$name/cpu" 2>/dev/null || echo 0)
    printf '%-26s %12d %10d %18d\n' "$name" "$units" "$((units / seconds))" \
        "$(awk -v u="$units" -v c="$cpu" 'BEGIN { print (c > 0 ? int(u / c) : 0) }')"
done
printf '%-26s %12d\n' total "$total"

if [ ${#failed[@]} -gt 0 ]; then
    for name in "${failed[@]}"; do
        echo "== $name failed; its log: $work/$name/log" >&2
        grep -E "ERROR|runtime error|deadly signal|Test unit written" "$work/$name/log" | head -5 >&2
    done
    exit 1
fi

echo "== minimising the corpus into fuzz/corpus/"
for name in "${names[@]}"; do
    corpus=fuzz/corpus/$name
    merged=$work/$name/merged
    mkdir -p "$merged" "$corpus"
    "$bin/fuzz_$name" -merge=1 -max_len="$max_len" "$merged" "$corpus" "$work/$name/new" \
        >"$work/$name/merge.log" 2>&1
    # Committed inputs that are kept keep their names; new ones are named by their content.
    for file in "$corpus"/*; do
        [ -f "$file" ] || continue
        sum=$(sha1sum "$file" | cut -c1-40)
        if [ -f "$merged/$sum" ] && [ "$sum" != "$(basename "$file")" ]; then
            mv "$merged/$sum" "$merged/$(basename "$file")"
        fi
    done
    for file in "$merged"/*; do
        base=$(basename "$file")
        if [[ $base =~ ^[0-9a-f]{40}$ ]]; then mv "$file" "$merged/found-${base:0:12}"; fi
    done
    before=$(find "$corpus" -type f | wc -l)
    find "$corpus" -type f -delete
    cp "$merged"/* "$corpus"/ 2>/dev/null || true
    echo "$name: $before inputs before, $(find "$corpus" -type f | wc -l) after"
done
rm -rf "$work"
