#!/usr/bin/env bash
# Times the decoder on synthetic days of captures against xxd -p and the floor program,
# each run in a fresh working folder, and writes the medians and ratios to bench/RESULTS.md.
#
#   bench/run.sh [-n RUNS] [-b BUILD_DIR] [-w WORK_DIR] [-f FRAMES] [-s SEED]
#
#   -n  runs per row, the median is reported (default 5)
#   -b  build folder holding bench/zelto-daygen, bench/zelto-floor, Zeltodecoder-batch
#       and, when built, zelto-window-bench (default: build)
#   -w  where captures and working folders go; its file system is part of what is
#       measured. Default: /dev/shm/zelto-bench when /dev/shm is a tmpfs with room, since a
#       disk shared with other work times the same run several-fold apart from one run to
#       the next; else BUILD_DIR/bench-work
#   -f  frames of the day capture (default 50000); the others are 1/4 and 4 times that
#   -s  seed of the generator (default 1)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
runs=5
build=build
work=
frames=50000
seed=1
while getopts "n:b:w:f:s:h" option; do
    case $option in
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    f) frames=$OPTARG ;;
    s) seed=$OPTARG ;;
    *)
        sed -n '2,17p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
        ;;
    esac
done
build=$(cd "$build" && pwd)
if [ -z "$work" ]; then
    work=$build/bench-work
    if df -T /dev/shm 2> /dev/null | awk 'NR == 2 && $2 == "tmpfs" && $5 > 4194304 { ok = 1 } END { exit !ok }'; then
        work=/dev/shm/zelto-bench
    fi
fi
mkdir -p "$work"
work=$(cd "$work" && pwd)

# Tools from Debian packages, installed when missing.
need=()
command -v xxd > /dev/null || need+=(xxd)
[ -x /usr/bin/time ] || need+=(time)
if [ ${#need[@]} -gt 0 ]; then
    apt-get install -y "${need[@]}" > /dev/null || {
        apt-get update > /dev/null && apt-get install -y "${need[@]}" > /dev/null
    }
fi

daygen=$build/bench/zelto-daygen
floor=$build/bench/zelto-floor
batch=$build/Zeltodecoder-batch
window=$(find "$build" -name zelto-window-bench -type f -perm -u+x 2> /dev/null | head -n 1)
for tool in "$daygen" "$floor"; do
    [ -x "$tool" ] || {
        echo "run.sh: $tool is missing; build first: cmake --build $build" >&2
        exit 1
    }
done
[ -x "$batch" ] || batch=

# ---------------------------------------------------------------- captures
picture=$(ls "$root"/src/app/resources/*.jpg 2> /dev/null | head -n 1 || true)
data=$work/data
summaries=()

# generate NAME ARGS...: a capture folder, kept while the generator and its arguments stay.
generate() {
    local name=$1
    shift
    local folder=$data/$name
    local stamp
    stamp="$* $(cksum < "$daygen")"
    [ -n "$picture" ] && stamp="$stamp $(cksum < "$picture")"
    if [ ! -f "$folder/stamp" ] || [ "$(cat "$folder/stamp")" != "$stamp" ]; then
        rm -rf "$folder"
        mkdir -p "$folder"
        "$daygen" "$@" --out "$folder" > "$folder/summary"
        echo "$stamp" > "$folder/stamp"
    fi
    summaries+=("$name: $(sed "s|$folder/||" "$folder/summary")")
}

pictureArgs=()
[ -n "$picture" ] && pictureArgs=(--picture "$picture")
echo "Writing the captures (kept for later runs) in $data"
generate quarter --seed "$seed" --frames $((frames / 4)) "${pictureArgs[@]}"
generate day --seed "$seed" --frames "$frames" "${pictureArgs[@]}"
generate 4x --seed "$seed" --frames $((frames * 4)) "${pictureArgs[@]}"
generate quiet --seed "$seed" --frames "$frames" --quiet-frames "${pictureArgs[@]}"
generate log --seed "$seed" --log-lines 10000

# ---------------------------------------------------------------- timing
declare -A median minimum maximum memory what failed

# measure ROW LOG DESCRIPTION COMMAND...: runs the command RUNS times, each in a fresh
# working folder prepared as start-up leaves it (LOG: "" for an empty ThumbList.txt, or a
# log file to start from); output to /dev/null. Times are wall-clock seconds.
measure() {
    local row=$1 log=$2 description=$3
    shift 3
    local folder=$work/run/$row
    local times=() rss=() i start end
    what[$row]=$description
    printf '  %-22s' "$row" >&2
    for ((i = 0; i < runs; i++)); do
        rm -rf "$folder"
        mkdir -p "$folder/Thumbs" "$folder/Puzzles"
        if [ -n "$log" ]; then cp "$log" "$folder/ThumbList.txt"; else : > "$folder/ThumbList.txt"; fi
        # Let the file system finish with the last run before timing this one.
        sync
        start=$EPOCHREALTIME
        if ! (cd "$folder" && /usr/bin/time -f %M -o "$work/rss" "$@" > /dev/null 2> "$work/stderr"); then
            failed[$row]=1
            echo " failed: $(tail -n 3 "$work/stderr" | tr '\n' ' ')" >&2
        fi
        end=$EPOCHREALTIME
        times+=("$(awk -v a="$start" -v b="$end" 'BEGIN { printf "%.4f", b - a }')")
        rss+=("$(tail -n 1 "$work/rss")")
        printf ' %s' "${times[-1]}" >&2
    done
    echo >&2
    median[$row]=$(printf '%s\n' "${times[@]}" | sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }')
    minimum[$row]=$(printf '%s\n' "${times[@]}" | sort -g | head -n 1)
    maximum[$row]=$(printf '%s\n' "${times[@]}" | sort -g | tail -n 1)
    memory[$row]=$(printf '%s\n' "${rss[@]}" | sort -g | tail -n 1)
}

rows=()
run() {
    rows+=("$1")
    measure "$@"
}

echo "Timing, $runs runs per row (seconds per run):" >&2
d=$data
run xxd-day "" "xxd -p day.kss > day.xxd" sh -c "exec xxd -p '$d/day/day.kss' > day.xxd"
run floor-day "" "zelto-floor day.kss" "$floor" "$d/day/day.kss"
if [ -n "$batch" ]; then
    run batch-day-puzzles "" "Zeltodecoder-batch --puzzles day.kss" "$batch" --puzzles "$d/day/day.kss"
    run batch-day "" "Zeltodecoder-batch day.kss" "$batch" "$d/day/day.kss"
    run batch-day-txt "" "Zeltodecoder-batch day.txt" "$batch" "$d/day/day.txt"
fi
# The harness opens the capture given to it with Open .KSS file in a real TForm1, in the
# current directory, as the batch tool does.
if [ -n "$window" ]; then
    run window-day "" "zelto-window-bench day.kss (offscreen)" env QT_QPA_PLATFORM=offscreen "$window" "$d/day/day.kss"
fi
run floor-quarter "" "zelto-floor, 1/4 day" "$floor" "$d/quarter/day.kss"
run floor-4x "" "zelto-floor, 4 days" "$floor" "$d/4x/day.kss"
if [ -n "$batch" ]; then
    run batch-quarter-puzzles "" "Zeltodecoder-batch --puzzles, 1/4 day" "$batch" --puzzles "$d/quarter/day.kss"
    run batch-4x-puzzles "" "Zeltodecoder-batch --puzzles, 4 days" "$batch" --puzzles "$d/4x/day.kss"
    run batch-day-log "$d/log/ThumbList.txt" "Zeltodecoder-batch --puzzles day.kss, log of 10,000 lines" "$batch" --puzzles "$d/day/day.kss"
fi
run xxd-quiet "" "xxd -p day.kss > day.xxd, quiet capture" sh -c "exec xxd -p '$d/quiet/day.kss' > day.xxd"
if [ -n "$batch" ]; then
    run batch-quiet "" "Zeltodecoder-batch day.kss, quiet capture" "$batch" "$d/quiet/day.kss"
fi

# ---------------------------------------------------------------- ratios
# ratio NAME TARGET_TEXT NUMERATOR DENOMINATOR LIMIT: a line of the ratio table; an empty
# LIMIT marks a ratio shown for comparison only.
ratioLines=()
ratio() {
    local name=$1 target=$2 top=$3 bottom=$4 limit=$5
    local value verdict
    if [ -z "${median[$top]:-}" ] || [ -z "${median[$bottom]:-}" ]; then
        ratioLines+=("| $name | not measured | $target | - |")
        return
    fi
    value=$(awk -v a="${median[$top]}" -v b="${median[$bottom]}" 'BEGIN { printf "%.2f", a / b }')
    verdict=-
    [ -n "$limit" ] && verdict=$(awk -v v="$value" -v l="$limit" 'BEGIN { print (v <= l) ? "yes" : "NO" }')
    [ -n "${failed[$top]:-}${failed[$bottom]:-}" ] && verdict="NO (a run failed)"
    ratioLines+=("| $name | $value ($top / $bottom) | $target | $verdict |")
}
ratio "Batch tool against the floor, day" "at most 1.5" batch-day-puzzles floor-day 1.5
ratio "Conversion alone against xxd -p" "below 1" batch-quiet xxd-quiet 0.9999
ratio "4 times the frames, batch tool" "at most 4.4" batch-4x-puzzles batch-day-puzzles 4.4
ratio "4 times the frames, floor" "(for comparison)" floor-4x floor-day ""
ratio "Day against 1/4 day, batch tool" "(for comparison)" batch-day-puzzles batch-quarter-puzzles ""
ratio "Log of 10,000 lines against an empty log" "at most 1.05 (no per-frame cost)" batch-day-log batch-day-puzzles 1.05
ratio "Window against the batch tool" "at most 1.3" window-day batch-day 1.3

memoryLines=()
for row in batch-day-puzzles batch-day batch-day-txt window-day floor-day batch-4x-puzzles; do
    [ -n "${memory[$row]:-}" ] || continue
    mb=$(awk -v k="${memory[$row]}" 'BEGIN { printf "%.1f", k / 1024 }')
    verdict=$(awk -v m="$mb" 'BEGIN { print (m < 200) ? "yes" : "NO" }')
    case $row in floor-* | *-4x-*) verdict="(for comparison)" ;; esac
    memoryLines+=("| Peak memory, $row | $mb MB | below 200 MB | $verdict |")
done

same="not compared (no batch tool)"
if [ -n "$batch" ] && [ -z "${failed[batch-day-puzzles]:-}" ]; then
    if diff -r "$work/run/floor-day" "$work/run/batch-day-puzzles" > "$work/floor-vs-batch.diff"; then
        same="yes: the two working folders hold the same files, byte for byte"
    else
        same="NO: see $work/floor-vs-batch.diff"
    fi
fi

# ---------------------------------------------------------------- report
cpu=$(awk -F': ' '/^model name/ { print $2; exit }' /proc/cpuinfo)
mem=$(awk '/^MemTotal/ { printf "%.1f GB", $2 / 1048576 }' /proc/meminfo)
fstype=$(df -T "$work" | awk 'NR == 2 { print $2 }')
commit=$(git -C "$root" rev-parse --short HEAD 2> /dev/null || echo unknown)
dirty=$(git -C "$root" status --porcelain --untracked-files=no 2> /dev/null | grep -q . && echo " with local changes" || true)
buildType=$(awk -F= '/^CMAKE_BUILD_TYPE:/ { print $2 }' "$build/CMakeCache.txt" 2> /dev/null)
capture_size() { awk -v b="$(stat -c %s "$1")" 'BEGIN { printf "%.1f MB", b / 1048576 }'; }

{
    echo "# Benchmark results"
    echo
    echo "Written by \`bench/run.sh\` on $(date -u '+%Y-%m-%d %H:%M UTC'); run it again rather than editing by hand."
    echo
    echo "## Machine and setting"
    echo
    echo "- CPU: $cpu, $(nproc) cores available"
    echo "- Memory: $mem"
    echo "- Working folders on: $fstype ($work)"
    echo "- Program: commit $commit$dirty, build type ${buildType:-RelWithDebInfo, the project default}"
    echo "- Runs per row: $runs, each in a fresh working folder; the median is reported"
    echo "- Captures (seed $seed): day.kss of $frames frames ($(capture_size "$d/day/day.kss")), day.txt ($(capture_size "$d/day/day.txt")), 1/4 day ($(capture_size "$d/quarter/day.kss")), 4 days ($(capture_size "$d/4x/day.kss")), quiet ($(capture_size "$d/quiet/day.kss"))"
    for line in "${summaries[@]}"; do echo "  - $line"; done
    [ -n "$picture" ] && echo "- Pictures of the captures partly cut from ${picture#"$root"/}, partly drawn by the generator"
    [ -z "$batch" ] && echo "- Zeltodecoder-batch was not built: its rows are missing"
    [ -z "$window" ] && echo "- zelto-window-bench was not built: the window row is missing"
    echo
    echo "## Timings"
    echo
    echo "The floor writes the files that the batch tool writes with \`--puzzles\` (HEX frame file,"
    echo "icon and frame files, new log lines, complete thumbnails and puzzles), so those two rows"
    echo "are compared; the window's Open .KSS file assembles no puzzles and is compared with the"
    echo "batch tool without \`--puzzles\`. The quiet capture has the day's size and frames, each"
    echo "frame of interest turned into another beacon frame: it measures conversion alone."
    echo
    echo "| row | command | median s | min s | max s | peak memory MB |"
    echo "|---|---|---|---|---|---|"
    for row in "${rows[@]}"; do
        mb=$(awk -v k="${memory[$row]}" 'BEGIN { printf "%.1f", k / 1024 }')
        note=
        [ -n "${failed[$row]:-}" ] && note=" (a run failed)"
        echo "| $row | ${what[$row]}$note | ${median[$row]} | ${minimum[$row]} | ${maximum[$row]} | $mb |"
    done
    echo
    echo "## Ratios against the targets"
    echo
    echo "| ratio | measured | target | met |"
    echo "|---|---|---|---|"
    for line in "${ratioLines[@]}" "${memoryLines[@]}"; do echo "$line"; done
    echo
    echo "## Same output"
    echo
    echo "Floor and \`Zeltodecoder-batch --puzzles\` on the day capture: $same."
    for notes in where-the-time-goes.md syncing.md; do
        if [ -f "$here/$notes" ]; then
            echo
            cat "$here/$notes"
        fi
    done
} > "$here/RESULTS.md"

echo
sed -n '/^## Ratios/,$p' "$here/RESULTS.md"
echo
echo "Written to $here/RESULTS.md"
