#!/usr/bin/env bash
# Times the live batch tool (Zeltodecoder-batch --kiss) fed a day's capture over loopback
# against the batch tool on the same file, measures how soon an image is joined after its
# last frame, and compares peak memory for 4 days and 1 day through one session. Writes
# bench/LIVE.md.
#
#   bench/live.sh [-n RUNS] [-b BUILD_DIR] [-w WORK_DIR]
#
#   -n  runs per timed row, the median is reported (default 5)
#   -b  build folder (default: build)
#   -w  where captures and working folders go (default: /dev/shm/zelto-live-bench when
#       /dev/shm is a tmpfs, else BUILD_DIR/live-bench-work)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
runs=5
build=build
work=
while getopts "n:b:w:h" option; do
    case $option in
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    *)
        sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
        ;;
    esac
done
build=$(cd "$build" && pwd)
if [ -z "$work" ]; then
    work=$build/live-bench-work
    df -T /dev/shm 2> /dev/null | awk 'NR == 2 && $2 == "tmpfs" { ok = 1 } END { exit !ok }' &&
        work=/dev/shm/zelto-live-bench
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)
batch=$build/Zeltodecoder-batch
live=$build/bench/zelto-live-bench
daygen=$build/bench/zelto-daygen
picture=$root/src/app/resources/image7.jpg

for size in day:50000 4x:200000; do
    name=${size%%:*}
    [ -f "$work/$name/day.kss" ] ||
        "$daygen" --seed 1 --frames "${size##*:}" --picture "$picture" --out "$work/$name" > /dev/null
done

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
value() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p"; }

echo "Timing, $runs runs per row" >&2
fileTimes=() liveTimes=()
for ((i = 0; i < runs; i++)); do
    rm -rf "$work/file" && mkdir -p "$work/file"
    start=$EPOCHREALTIME
    (cd "$work/file" && "$batch" --puzzles "$work/day/day.kss" > /dev/null)
    fileTimes+=("$(awk -v a="$start" -v b="$EPOCHREALTIME" 'BEGIN { printf "%.4f", b - a }')")
    liveTimes+=("$("$live" speed "$batch" "$work/day/day.kss" "$work/live" | value seconds)")
    echo "  file ${fileTimes[-1]} s, live ${liveTimes[-1]} s" >&2
done
fileMedian=$(printf '%s\n' "${fileTimes[@]}" | median)
liveMedian=$(printf '%s\n' "${liveTimes[@]}" | median)
dayRun=$("$live" speed "$batch" "$work/day/day.kss" "$work/live")
fourRun=$("$live" speed "$batch" "$work/4x/day.kss" "$work/live")
latency=$("$live" latency "$batch" "$work/day/day.kss" "$work/live")
rm -rf "$work/file" "$work/live"

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
met() { awk -v v="$1" -v l="$2" 'BEGIN { print (v <= l) ? "yes" : "NO" }'; }
speedRatio=$(ratio "$liveMedian" "$fileMedian")
dayPeak=$(echo "$dayRun" | value peak_kb)
fourPeak=$(echo "$fourRun" | value peak_kb)
memoryRatio=$(ratio "$fourPeak" "$dayPeak")
p50=$(echo "$latency" | value median_ms)
p99=$(echo "$latency" | value p99_ms)
commit=$(git -C "$root" rev-parse --short HEAD 2> /dev/null || echo unknown)

{
    echo "# Live decoding benchmark"
    echo
    echo "Written by \`bench/live.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC') at commit $commit; run it again rather"
    echo "than editing by hand. Working folders on $(df -T "$work" | awk 'NR == 2 { print $2 }'), $(nproc) cores;"
    echo "captures made by zelto-daygen, seed 1: a day of 50,000 frames, 4 days of 200,000."
    echo
    echo "\`zelto-live-bench\` serves the capture on 127.0.0.1 to \`Zeltodecoder-batch --kiss\` and"
    echo "times from the connection to the decoder's word that it has decoded all the connection"
    echo "brought. For latency it sends the frames up to each image's final frame, waits for the"
    echo "decoder to be idle, sends that frame alone and waits for the decoder's \`Image: NAME\` line,"
    echo "printed once the joined file stands under its name; the time runs from the frame's last"
    echo "byte. Peak memory is the decoder's VmHWM."
    echo
    echo "| row | measured | target | met |"
    echo "|---|---|---|---|"
    echo "| Live against the file, day (median of $runs) | $liveMedian s against $fileMedian s (\`--puzzles day.kss\`): $speedRatio | at most 1.3 | $(met "$speedRatio" 1.3) |"
    echo "| Last byte of an image's final frame to its joined file, median | $p50 ms ($(echo "$latency" | value images) images, $(echo "$latency" | value missed) missed) | under 5 ms | $(met "$p50" 5) |"
    echo "| The same, 99th percentile | $p99 ms (maximum $(echo "$latency" | value max_ms) ms) | under 50 ms | $(met "$p99" 50) |"
    echo "| Peak memory, 4 days against 1 day through one session | $((fourPeak / 1024)) MB against $((dayPeak / 1024)) MB: $memoryRatio | at most 1.2 | $(met "$memoryRatio" 1.2) |"
} > "$here/LIVE.md"
cat "$here/LIVE.md"
