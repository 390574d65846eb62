#!/usr/bin/env bash
# The test command: installs what is missing, builds with AddressSanitizer and UndefinedBehaviorSanitizer,
# and runs every test with CTest (unit tests, fuzz corpus replays, short libFuzzer runs).
set -euo pipefail
top=$(cd "$(dirname "$0")/.." && pwd)
cd "$top"
bash scripts/install-deps.sh
jobs=$(nproc)

# The fuzzers need clang's libFuzzer; they cover the engine, which has no Qt, so this build is small.
cmake -S . -B build/fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DLUMORA_LIBFUZZER=ON >/dev/null
cmake --build build/fuzz -j"$jobs"

cmake -S . -B build/test -DCMAKE_BUILD_TYPE=Debug -DCMAKE_CXX_FLAGS_DEBUG="-g -O1" -DLUMORA_SANITIZE=ON \
  -DLUMORA_LIBFUZZER_BIN_DIR="$top/build/fuzz/bin" >/dev/null
cmake --build build/test -j"$jobs"
cd build/test
ctest --output-on-failure -j"$jobs" --timeout 600
