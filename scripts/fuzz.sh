#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time.
# Each target starts from its seeds in fuzz/corpus/<target>/ and from the
# test fixtures and samples of its kind; what it finds on the way is kept in
# the build folder's corpus/<target>/ for the next run. Fails on any crash,
# leak or sanitizer report, leaving the input as <build>/<target>-crash-...
#
#   FUZZ_SECONDS   time per target (default 45)
#   KAVRO_FUZZ_DIR build folder (default build-fuzz)
#
# Run longer, or one target, with for example:
#   FUZZ_SECONDS=3600 scripts/fuzz.sh fuzz_trace
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --fuzz
build=${KAVRO_FUZZ_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-45}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKAVRO_FUZZ=ON -DKAVRO_GUI=OFF -DKAVRO_TESTS=OFF -DKAVRO_BENCH=OFF >/dev/null
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(fuzz_line_reader fuzz_config fuzz_convert fuzz_trace fuzz_ps fuzz_mpstat fuzz_netstat)
cmake --build "$build" --target "${targets[@]}"

# Fixtures and samples that seed each target besides its own fuzz/corpus/.
seed_dirs() {
  case "$1" in
    fuzz_trace) echo tests/fixtures/trace tests/fixtures/trace_view samples/Trace_Files ;;
    fuzz_ps) echo tests/fixtures/ps ;;
    fuzz_mpstat) echo tests/fixtures/mpstat ;;
    fuzz_netstat) echo tests/fixtures/netstat ;;
    fuzz_config) echo samples ;;
    fuzz_line_reader) echo tests/fixtures/* ;;
    *) echo "" ;;
  esac
}

status=0
passed=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  for d in $(seed_dirs "$t"); do
    [[ -d "$d" ]] && find "$d" -maxdepth 1 -type f -size -64k ! -name '*.pdf' -exec cp -n {} "$corpus/" \;
  done
  seeds=()
  [[ -d "fuzz/corpus/$t" ]] && seeds=("fuzz/corpus/$t")
  echo "== $t ($seconds s)"
  # New inputs go to the first folder only; the seed folder is read.
  if ! "$build/fuzz/$t" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=3072 \
      -timeout=20 -print_final_stats=1 -artifact_prefix="$build/$t-" "$corpus" "${seeds[@]}" \
      2>"$build/$t.log"; then
    echo "$t FAILED; see $build/$t.log"
    tail -40 "$build/$t.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "$build/$t.log" | tail -2
    passed=$((passed + 1))
  fi
done
echo "fuzz: $passed passed, $(( ${#targets[@]} - passed )) failed"
exit $status
