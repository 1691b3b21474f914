#!/usr/bin/env bash
# What syncing the store costs: times Zeltodecoder-batch --puzzles on a day's capture in fresh
# working folders on a real disk, against a build from before the store was synced, runs of
# the two taking turns; then the ways of syncing small files side by side (zelto-synccost).
#
#   bench/sync-cost.sh -o OLD_BATCH [-n RUNS] [-b BUILD_DIR] [-w WORK_DIR] [-f FRAMES] [-s SEED]
#
#   -o  a Zeltodecoder-batch built from before syncing, for instance from commit 02c3171:
#         git -C . archive 02c3171 | tar -x -C /tmp/zelto-old
#         cmake -S /tmp/zelto-old -B /tmp/zelto-old/build -G Ninja
#         cmake --build /tmp/zelto-old/build --target Zeltodecoder-batch
#   -n  runs of each program, the median is reported (default 5)
#   -b  build folder holding bench/zelto-daygen, bench/zelto-synccost and Zeltodecoder-batch
#       (default: build)
#   -w  where captures and working folders go; it must be a real disk, not a tmpfs, on which
#       every sync is free (default: /var/tmp/zelto-sync-bench)
#   -f  frames of the day capture (default 50000)
#   -s  seed of the generator (default 1)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
runs=5
build=build
work=/var/tmp/zelto-sync-bench
frames=50000
seed=1
old=
while getopts "o:n:b:w:f:s:h" option; do
    case $option in
    o) old=$OPTARG ;;
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    f) frames=$OPTARG ;;
    s) seed=$OPTARG ;;
    *)
        sed -n '2,18p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
        ;;
    esac
done
build=$(cd "$build" && pwd)
new=$build/Zeltodecoder-batch
for tool in "$build/bench/zelto-daygen" "$build/bench/zelto-synccost" "$new" "$old"; do
    [ -n "$tool" ] && [ -x "$tool" ] || {
        echo "sync-cost.sh: ${tool:-the old batch tool (-o)} is missing" >&2
        exit 1
    }
done
mkdir -p "$work"
work=$(cd "$work" && pwd)
if [ "$(df -T "$work" | awk 'NR == 2 { print $2 }')" = tmpfs ]; then
    echo "sync-cost.sh: $work is on a tmpfs, where syncing costs nothing" >&2
    exit 1
fi

capture=$work/data/day.kss
if [ ! -f "$capture" ]; then
    mkdir -p "$work/data"
    picture=$(ls "$root"/src/app/resources/*.jpg 2> /dev/null | head -n 1 || true)
    "$build/bench/zelto-daygen" --seed "$seed" --frames "$frames" \
        ${picture:+--picture "$picture"} --out "$work/data" > /dev/null
fi

# run PROGRAM FOLDER: one run in a working folder as start-up leaves it, wall-clock seconds.
run() {
    local start end
    start=$EPOCHREALTIME
    (cd "$2" && "$1" --puzzles "$capture" > /dev/null)
    end=$EPOCHREALTIME
    awk -v a="$start" -v b="$end" 'BEGIN { printf "%.3f", b - a }'
}

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }

declare -A fresh again
for ((i = 0; i < runs; i++)); do
    for which in old new; do
        program=$old
        [ "$which" = new ] && program=$new
        folder=$work/run-$which
        rm -rf "$folder"
        mkdir -p "$folder/Thumbs" "$folder/Puzzles"
        : > "$folder/ThumbList.txt"
        # Each run starts with nothing left to write back, and is charged for what it writes:
        # its own bytes reach the disk before the next run is timed.
        sync
        seconds=$(run "$program" "$folder")
        fresh[$which]+="$seconds "
        sync
        again[$which]+="$(run "$program" "$folder") "
        sync
        echo "run $((i + 1)) of $runs, $which: fresh $seconds s" >&2
    done
done

syncs="not counted (no strace)"
if command -v strace > /dev/null; then
    folder=$work/run-strace
    rm -rf "$folder"
    mkdir -p "$folder/Thumbs" "$folder/Puzzles"
    : > "$folder/ThumbList.txt"
    sync
    (cd "$folder" && strace -f -T -e trace=syncfs,fsync,fdatasync -o "$work/syncs" "$new" --puzzles "$capture" > /dev/null)
    syncs=$(awk -F'<' '/sync/ { gsub(">", "", $2); n++; s += $2 } END { printf "%d syncs taking %.3f s in all", n, s }' "$work/syncs")
fi

echo
echo "Day capture ($frames frames, seed $seed) on $(df -T "$work" | awk 'NR == 2 { print $2 }') ($work), $runs runs each, median seconds:"
echo
echo "| run | before syncing | synced | difference |"
echo "|---|---|---|---|"
for kind in fresh again; do
    if [ "$kind" = fresh ]; then
        label="fresh working folder"
        before=$(echo "${fresh[old]}" | tr ' ' '\n' | grep . | median)
        after=$(echo "${fresh[new]}" | tr ' ' '\n' | grep . | median)
    else
        label="the same capture again"
        before=$(echo "${again[old]}" | tr ' ' '\n' | grep . | median)
        after=$(echo "${again[new]}" | tr ' ' '\n' | grep . | median)
    fi
    echo "| $label | $before | $after | $(awk -v a="$before" -v b="$after" 'BEGIN { printf "%+.3f s (%+.0f %%)", b - a, 100 * (b - a) / a }') |"
done
echo
echo "Every run, in seconds: fresh before ${fresh[old]}; fresh synced ${fresh[new]}; again before ${again[old]}; again synced ${again[new]}."
echo
echo "Synced run under strace: $syncs."
echo
echo "Small files of the frame store, each way of syncing them:"
echo
mkdir -p "$work/synccost"
"$build/bench/zelto-synccost" "$work/synccost"
rm -rf "$work/synccost" "$work/run-old" "$work/run-new" "$work/run-strace"
