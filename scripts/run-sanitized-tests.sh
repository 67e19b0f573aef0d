#!/bin/sh
# The core, the command-line companions, the simulator and their tests under
# AddressSanitizer and UBSan, then each fuzzer for a few seconds.
set -eu
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset asan
cmake --build --preset asan
ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1 ctest --preset asan
cmake --preset fuzz
cmake --build --preset fuzz --target fuzzers
for f in build-fuzz/bin/fuzz_*; do
  [ -x "$f" ] || continue
  echo "== $f"
  if ! "$f" -max_total_time="${FUZZ_SECONDS:-5}" -rss_limit_mb=2048 >"$f.log" 2>&1; then
    cat "$f.log"
    exit 1
  fi
  tail -1 "$f.log"
done
