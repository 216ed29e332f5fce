#!/usr/bin/env bash
# Builds Orquilo and runs every test: the normal build (warnings as errors),
# then the tests again under AddressSanitizer and UndefinedBehaviorSanitizer,
# then a short bounded fuzz run of the file reader.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/instala-dependencias.sh

jobs=$(nproc)
registro=$(mktemp)
trap 'rm -f "$registro"' EXIT

echo "== format"
git ls-files '*.cpp' '*.h' | xargs clang-format --dry-run --Werror

echo "== build"
cmake -S . -B build -DORQ_WERROR=ON -DORQ_TESTS=ON -DORQ_BENCH=ON >/dev/null
cmake --build build -j"$jobs"
echo "== tests"
ctest --test-dir build --output-on-failure | tee -a "$registro"

echo "== sanitizer build (ASan + UBSan)"
cmake -S . -B build-asan -DORQ_WERROR=ON -DORQ_SANITIZE=ON -DORQ_BENCH=OFF \
      -DCMAKE_BUILD_TYPE=Debug >/dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=0 UBSAN_OPTIONS=print_stacktrace=1 \
  ctest --test-dir build-asan --output-on-failure | tee -a "$registro"

if ls fuzz/*.cpp >/dev/null 2>&1; then
  echo "== fuzz (bounded)"
  cmake -S . -B build-fuzz -DORQ_FUZZ=ON -DORQ_TESTS=OFF -DORQ_BENCH=OFF \
        -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
  cmake --build build-fuzz -j"$jobs"
  for f in build-fuzz/fuzz/fuzz_*; do
    [ -x "$f" ] || continue
    corpus=build-fuzz/corpus/$(basename "$f")
    mkdir -p "$corpus"
    "$f" -max_total_time=60 -timeout=5 -rss_limit_mb=2048 "$corpus" fuzz/semillas
  done
fi
# One line for both ctest runs (pipefail has already stopped a failed one).
total=$(grep -o 'tests failed out of [0-9]*' "$registro" | awk '{s += $5} END {print s + 0}')
echo "== all tests passed"
echo "$total passed, 0 failed"
