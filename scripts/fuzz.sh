#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (or $BUILD_DIR) and
# runs each for $FUZZ_SECONDS (default 60) on a copy of its committed corpus
# in fuzz/corpus/NAME/, so the committed corpus only grows by hand. Prints the
# executions per target; a crash leaves its input in build-fuzz/artifacts/
# and makes the script fail. Names given as arguments limit the run to them.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${BUILD_DIR:-$root/build-fuzz}"
seconds="${FUZZ_SECONDS:-60}"

"$root/scripts/install-deps.sh" fuzz

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/fuzz/fuzz_*.cpp; do
    name="$(basename "$source" .cpp)"
    targets+=("${name#fuzz_}")
  done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DBRINDLECOT_FUZZ=ON -DBRINDLECOT_TESTS=OFF -DBRINDLECOT_WERROR="${WERROR:-OFF}" >/dev/null
cmake --build "$build" -j2 --target "${targets[@]/#/fuzz_}"

artifacts="$build/artifacts"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
mkdir -p "$artifacts"
summary=()
failed=0
for name in "${targets[@]}"; do
  corpus="$work/$name"
  mkdir -p "$corpus"
  cp -r "$root/fuzz/corpus/$name/." "$corpus/"
  log="$build/fuzz_$name.log"
  status=ok
  # Leaks count as findings. A smaller quarantine of freed memory keeps long
  # runs within the memory limit; it still catches use after free.
  if ! ASAN_OPTIONS=detect_leaks=1:quarantine_size_mb=64 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
      LSAN_OPTIONS=suppressions="$root/scripts/lsan-suppressions.txt" "$build/fuzz/fuzz_$name" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$artifacts/$name-" "$corpus" >"$log" 2>&1; then
    status="FAILED (see $log and $artifacts)"
    failed=1
    tail -n 40 "$log"
  fi
  runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)"
  summary+=("$(printf '%-14s %12s executions  %s' "$name" "${runs:-?}" "$status")")
done

echo "Fuzzing, ${seconds} s per target:"
printf '  %s\n' "${summary[@]}"
exit "$failed"
