#!/usr/bin/env bash
# The whole test suite: built plainly, with the Debian package of that build checked as a
# packager checks it, then again under AddressSanitizer and UndefinedBehaviorSanitizer, then
# every fuzz target for a short run.
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B build -G Ninja
cmake --build build
ctest --test-dir build --output-on-failure
tools/check-package.sh build

cmake -S . -B build-asan -G Ninja -DZELTO_SANITIZE=ON
cmake --build build-asan
ctest --test-dir build-asan --output-on-failure

fuzz/run.sh "${ZELTO_FUZZ_SECONDS:-30}"
