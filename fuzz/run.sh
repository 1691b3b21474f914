#!/usr/bin/env bash
# Builds the fuzz targets with clang, libFuzzer and both sanitizers, and runs each for the
# given number of seconds (default 600), one after the other, starting from the seed
# corpus in fuzz/corpus. New inputs go to build-fuzz/corpus, findings to build-fuzz/findings.
# Prints executions and coverage per target; exits non-zero if any target found a fault.
#
#   fuzz/run.sh [SECONDS] [TARGET ...]     e.g. fuzz/run.sh 30 hex_line decoding_pass
set -euo pipefail
cd "$(dirname "$0")/.."
root=$(pwd)
seconds=${1:-600}
shift || true
targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
    targets=(kiss_capture text_capture hex_line decoding_pass description_lookup preview)
fi

build=$root/build-fuzz
# The targets write small files by the thousand: a memory-backed folder keeps them quick.
if [ -z "${TMPDIR:-}" ] && [ -d /dev/shm ]; then
    export TMPDIR=/dev/shm
fi
cmake -S . -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DZELTO_FUZZ=ON \
    -DBUILD_TESTING=OFF -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build "$build" --target "${targets[@]/%/_fuzz}"

mkdir -p "$build/findings"
status=0
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    mkdir -p "$corpus"
    log="$build/findings/$target.log"
    if "$build/fuzz/${target}_fuzz" "$corpus" "$root/fuzz/corpus/$target" \
        -max_total_time="$seconds" -timeout=25 -max_len=65536 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" >"$log" 2>&1; then
        result=ok
    else
        result="FINDING (see ${log#$root/})"
        status=1
    fi
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1 || true)
    cov=$(grep -o 'cov: [0-9]* ft: [0-9]*' "$log" | tail -1 || true)
    printf '%-20s %4ss  %10s runs  %-22s corpus %5s  %s\n' "$target" "$seconds" "${runs:-?}" \
        "${cov:-?}" "$(ls "$corpus" | wc -l)" "$result"
done
exit $status
