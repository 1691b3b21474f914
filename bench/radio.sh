#!/usr/bin/env bash
# Measures the beacon demodulator and writes bench/RADIO.md: frames recovered against Eb/N0,
# the time a 10-minute recording takes on one core, a live stream's CPU share, and peak
# memory for a 10-minute against a 2-hour recording.
#
#   bench/radio.sh [-n RUNS] [-b BUILD_DIR] [-w WORK_DIR] [-f FRAMES]
#
#   -n  timed runs of the 10-minute recording, the median is reported (default 3)
#   -b  build folder holding bench/zelto-radio-bench (default: build)
#   -w  where the recordings go, 750 MB (default: /dev/shm/zelto-radio-bench when /dev/shm
#       is a tmpfs, else BUILD_DIR/radio-bench-work)
#   -f  frames at each Eb/N0 (default 400)
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/.." && pwd)
runs=3
build=build
work=
frames=400
while getopts "n:b:w:f:h" option; do
    case $option in
    n) runs=$OPTARG ;;
    b) build=$OPTARG ;;
    w) work=$OPTARG ;;
    f) frames=$OPTARG ;;
    *)
        sed -n '2,13p' "$0" | sed 's/^# \{0,1\}//'
        exit 2
        ;;
    esac
done
build=$(cd "$build" && pwd)
if [ -z "$work" ]; then
    work=$build/radio-bench-work
    df -T /dev/shm 2> /dev/null | awk 'NR == 2 && $2 == "tmpfs" { ok = 1 } END { exit !ok }' &&
        work=/dev/shm/zelto-radio-bench
fi
mkdir -p "$work"
bench=$build/bench/zelto-radio-bench
# One core, as the demodulator uses.
one() { taskset -c 0 "$@"; }

median() { sort -g | awk '{ v[NR] = $1 } END { print (NR % 2) ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'; }
value() { sed -n "s/.*\b$1=\([^ ]*\).*/\1/p"; }

echo "Frames recovered, $frames at each Eb/N0" >&2
recovery=$(one "$bench" recovery "$frames")

echo "Recordings of 10 minutes and 2 hours" >&2
"$bench" write "$work/10min.wav" 10
"$bench" write "$work/2h.wav" 120
cpuTimes=() wallTimes=()
for ((i = 0; i < runs; i++)); do
    run=$(one "$bench" speed "$work/10min.wav")
    cpuTimes+=("$(echo "$run" | value cpu)")
    wallTimes+=("$(echo "$run" | value wall)")
    echo "  10 minutes: cpu ${cpuTimes[-1]} s, wall ${wallTimes[-1]} s" >&2
done
cpu=$(printf '%s\n' "${cpuTimes[@]}" | median)
wall=$(printf '%s\n' "${wallTimes[@]}" | median)
short=$(one "$bench" speed "$work/10min.wav")
long=$(one "$bench" speed "$work/2h.wav")
rm -f "$work/10min.wav" "$work/2h.wav"
echo "Live streams" >&2
live48=$(one "$bench" live 48000 5)
live44=$(one "$bench" live 44100 5)

ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", a / b }'; }
below() { awk -v v="$1" -v l="$2" 'BEGIN { print (v < l) ? "yes" : "NO" }'; }
atLeast() { awk -v v="$1" -v l="$2" 'BEGIN { print (v >= l) ? "yes" : "NO" }'; }
shareAt() { echo "$recovery" | awk -F'|' -v e="$1" '$2 + 0 == e && $2 ~ /[0-9]/ { sub(/.*\(/, "", $4); sub(/ %.*/, "", $4); print $4 }'; }
# Where a column of the table crosses 50 %, interpolated between its rows.
fifty() { echo "$recovery" | awk -F'|' -v c="$1" '$2 ~ /[0-9]/ { e = $2 + 0; t = $c; sub(/ %.*/, "", t); sub(/.*\(/, "", t); s = t + 0; if (s >= 50 && !done) { if (NR > 1 && pe != "") printf "%.1f", pe + (50 - ps) / (s - ps) * (e - pe); else printf "below %.1f", e; done = 1 } pe = e; ps = s } END { if (!done) print "above the range" }'; }
coherent50=$(echo "$recovery" | value coherent50)
recovery=$(echo "$recovery" | grep -v coherent50)
fifty4=$(fifty 4)
fifty5=$(fifty 5)
share13=$(shareAt 13)
share115=$(shareAt 11.5)
share11=$(shareAt 11)
shortPeak=$(echo "$short" | value peak_kb)
longPeak=$(echo "$long" | value peak_kb)
liveShare=$(echo "$live48" | value share)
commit=$(git -C "$root" rev-parse --short HEAD 2> /dev/null || echo unknown)

{
    echo "# Beacon demodulator benchmark"
    echo
    echo "Written by \`bench/radio.sh -n $runs -f $frames\` on $(date -u '+%Y-%m-%d %H:%M') UTC at commit"
    echo "$commit; run it again rather than editing by hand. $(nproc) cores, timed runs pinned to one."
    echo
    echo "\`zelto-radio-bench\` makes the audio with the test modulator (tests/support/beacon_modulator):"
    echo "frames through HDLC, the G3RUH scrambler and NRZI, GMSK at 4800 Bd (BT 0.5, h 0.5) in"
    echo "complex baseband, complex white Gaussian noise at the given Eb/N0, a 12 kHz IF filter, an"
    echo "FM discriminator, 16-bit audio at 48 kHz. Each frame is a burst of its own: 80 ms of flags"
    echo "before it, 0.1 s of carrier off (the discriminator's noise) between bursts. The carrier"
    echo "stands 500 Hz off the receiver's frequency and the satellite's bit clock 30 ppm off the"
    echo "sound card's, as in a pass. Frames are distinct, of 200 to 330 bytes; a frame counts when"
    echo "the demodulator hands it on byte for byte. A false frame is one whose FCS checked but"
    echo "that was not sent."
    echo
    echo "| row | measured | target | met |"
    echo "|---|---|---|---|"
    echo "| Frames recovered at 13 dB Eb/N0 | $share13 % | at least 95 % | $(atLeast "$share13" 95) |"
    echo "| Frames recovered at 11.5 dB | $share115 % | at least 50 % | $(atLeast "$share115" 50) |"
    echo "| Frames recovered at 11 dB | $share11 % | 50 % aimed at | $(atLeast "$share11" 50) |"
    echo "| A 10-minute recording (48 kHz, 16-bit WAV), CPU of one core (median of $runs) | $cpu s (wall $wall s): $(ratio 600 "$cpu") times real time | under 6 s | $(below "$cpu" 6) |"
    echo "| A live stream at 48 kHz in 20 ms blocks, CPU share of one core | $liveShare % | under 10 % | $(below "$liveShare" 10) |"
    echo "| The same at 44.1 kHz, resampled | $(echo "$live44" | value share) % | under 10 % | $(below "$(echo "$live44" | value share)" 10) |"
    echo "| Peak memory, 2-hour against 10-minute recording | $((longPeak / 1024)) MB against $((shortPeak / 1024)) MB: $(ratio "$longPeak" "$shortPeak") | the same | $(below "$(ratio "$longPeak" "$shortPeak")" 1.1) |"
    echo
    echo "## Frames recovered against Eb/N0"
    echo
    echo "\`zelto-radio-bench recovery $frames\`. \"One phase, one plain slicer\" is the same receiver"
    echo "(DC and level tracking, clock recovery) with its filter at 0.55 times the baud rate, the"
    echo "best for a slicer, and a hard decision at one sampling phase and one threshold: what the"
    echo "sequence detectors at several phases and thresholds add. \"Coherent MSK\" is the theory for the same"
    echo "frames: bit errors at Q(sqrt(2 Eb/N0)), a frame lost at any error among its line bits."
    echo
    echo "$recovery"
    echo
    echo "Half the frames come through at $fifty4 dB ($fifty5 dB with one phase and one plain slicer)."
    echo "Coherent MSK would pass half of them at $coherent50 dB: a frame of 2,200 line bits needs a"
    echo "bit error rate near 3e-4, Q(sqrt(2 Eb/N0)) = 3e-4. The NRZI decoder makes two errors of"
    echo "each one on the line and the descrambler three of each of those, but a frame is lost at"
    echo "its first error either way, so they cost nothing here. The gap, $(awk -v a="$fifty4" -v b="$coherent50" 'BEGIN { printf "%.1f", a - b }') dB, is what"
    echo "detection by an FM discriminator costs against coherent detection: at these Eb/N0 the"
    echo "carrier stands only 7 to 9 dB above the noise in the 12 kHz IF, at the FM threshold, where"
    echo "the limiter has thrown away the amplitude a coherent receiver weighs its samples by and the"
    echo "discriminator's noise rises with frequency across the signal's band. Neither subtracting"
    echo "detected clicks nor rebuilding the IF signal from the audio and filtering it narrower"
    echo "recovered more than a tenth of a decibel of it in trials, and were left out."
} > "$here/RADIO.md"
echo "Wrote $here/RADIO.md" >&2
