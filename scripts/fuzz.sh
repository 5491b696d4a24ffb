#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and runs each for a bounded time,
# starting from the test fixtures as corpus. Fails on any crash, leak or
# sanitizer report. FUZZ_SECONDS sets the time per target (default 45);
# run longer with, for example: FUZZ_SECONDS=3600 scripts/fuzz.sh fuzz_trace
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --fuzz
build=${KAVRO_FUZZ_DIR:-build-fuzz}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKAVRO_FUZZ=ON -DKAVRO_GUI=OFF -DKAVRO_TESTS=OFF -DKAVRO_BENCH=OFF >/dev/null
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=(fuzz_line_reader fuzz_config fuzz_convert fuzz_trace fuzz_ps fuzz_mpstat fuzz_netstat)
cmake --build "$build" --target "${targets[@]}"

seed_dirs() {
  case "$1" in
    fuzz_trace) echo tests/fixtures/trace samples/Trace_Files ;;
    fuzz_ps) echo tests/fixtures/ps ;;
    fuzz_mpstat) echo tests/fixtures/mpstat ;;
    fuzz_netstat) echo tests/fixtures/netstat ;;
    fuzz_config) echo samples ;;
    fuzz_line_reader) echo tests/fixtures ;;
    *) echo "" ;;
  esac
}

status=0
for t in "${targets[@]}"; do
  corpus="$build/corpus/$t"
  mkdir -p "$corpus"
  for d in $(seed_dirs "$t"); do
    [[ -d "$d" ]] && find "$d" -maxdepth 1 -type f -size -64k -exec cp -n {} "$corpus/" \;
  done
  echo "== $t (${FUZZ_SECONDS:-45} s)"
  if ! "$build/fuzz/$t" -max_total_time="${FUZZ_SECONDS:-45}" -max_len=65536 -rss_limit_mb=3072 \
      -timeout=20 -print_final_stats=1 -artifact_prefix="$build/$t-" "$corpus" 2>"$build/$t.log"; then
    echo "$t FAILED; see $build/$t.log"
    tail -40 "$build/$t.log"
    status=1
  else
    grep -E 'stat::number_of_executed_units|cov:' "$build/$t.log" | tail -2
  fi
done
exit $status
