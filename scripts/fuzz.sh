#!/usr/bin/env bash
# Builds the libFuzzer targets with clang and fuzzes them.
#
#   scripts/fuzz.sh [TARGET...]
#     The short run CI makes: each target for FUZZ_SECONDS on one core,
#     starting from the committed corpus fuzz/corpus/<target>/ (run whole
#     first, so it is a regression check too) and from the test fixtures and
#     samples of its kind; what it finds is kept in <build>/corpus/<target>/
#     for the next run. Fails on any crash, leak, timeout, out-of-memory or
#     sanitizer report, leaving the input as <build>/<target>-crash-...
#
#   scripts/fuzz.sh --campaign HOURS [TARGET...]
#     A campaign: HOURS (a decimal, 0.5 for half an hour) of wall time in
#     all, shared out among the targets (a page target gets twice the time
#     of a small one), each target fuzzed on every core at once by one
#     fuzzer per core over a shared corpus, half of them on inputs of up to
#     64 KiB, half on inputs of up to 2 KiB. A fuzzer that finds a crash
#     keeps its input and is started again for the time left, so one crash
#     does not end the campaign. At the end each grown corpus is merged
#     back into fuzz/corpus/<target>/, minimised (libFuzzer's -merge=1: the
#     smallest inputs that keep every edge covered; hand-named seeds are
#     always kept), and a table of executions, rates, coverage and crashes is
#     printed and written with the crash inputs and their reproduction
#     commands to <build>/campaign-<time>/. Run it at low priority on a
#     shared machine: nice -n 10 scripts/fuzz.sh --campaign 1
#
#   FUZZ_SECONDS   time per target of the short run (default 45)
#   KAVRO_FUZZ_DIR build folder (default build-fuzz)
#
# The short run and the long half of a campaign let inputs grow to 64 KiB
# at once (-len_control=0); every fuzzer of a page target gets its
# dictionary of markers and field names (fuzz/dict/).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh --fuzz

campaign_hours=
if [[ "${1:-}" == "--campaign" ]]; then
  campaign_hours=${2:?--campaign needs a number of hours}
  [[ "$campaign_hours" =~ ^[0-9]*\.?[0-9]+$ ]] || { echo "--campaign HOURS: not a number: $campaign_hours" >&2; exit 2; }
  shift 2
fi

build=${KAVRO_FUZZ_DIR:-build-fuzz}
seconds=${FUZZ_SECONDS:-45}
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DCMAKE_CXX_COMPILER=clang++ \
  -DKAVRO_FUZZ=ON -DKAVRO_GUI=OFF -DKAVRO_TESTS=OFF -DKAVRO_BENCH=OFF >/dev/null
all_targets=(fuzz_line_reader fuzz_config fuzz_convert fuzz_trace fuzz_profile fuzz_ps fuzz_mpstat fuzz_netstat)
targets=("$@")
[[ ${#targets[@]} -eq 0 ]] && targets=("${all_targets[@]}")
cmake --build "$build" --target "${targets[@]}"

# Fixtures and samples that seed each target besides its own fuzz/corpus/.
seed_dirs() {
  case "$1" in
    fuzz_trace) echo tests/fixtures/trace tests/fixtures/trace_view samples/Trace_Files ;;
    fuzz_profile) echo tests/fixtures/profile tests/fixtures/trace fuzz/corpus/fuzz_trace ;;
    fuzz_ps) echo tests/fixtures/ps ;;
    fuzz_mpstat) echo tests/fixtures/mpstat ;;
    fuzz_netstat) echo tests/fixtures/netstat ;;
    fuzz_config) echo samples ;;
    fuzz_line_reader) echo tests/fixtures/* ;;
    *) echo "" ;;
  esac
}

# The working corpus of a target: its earlier finds, and the fixtures.
prepare_corpus() {
  local t=$1 corpus="$build/corpus/$1"
  mkdir -p "$corpus"
  for d in $(seed_dirs "$t"); do
    [[ -d "$d" ]] && find "$d" -maxdepth 1 -type f -size -64k ! -name '*.pdf' -exec cp -n {} "$corpus/" \;
  done
  echo "$corpus"
}

# Options every fuzzer of a target gets; with "short" as $2 the fuzzer
# works on inputs of up to 2 KiB (longer ones of the corpus cut there).
fuzz_options() {
  local t=$1
  local opts=(-max_len=65536 -len_control=0 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1)
  [[ "${2:-}" == short ]] && opts=(-max_len=2048 -rss_limit_mb=2048 -timeout=20 -print_final_stats=1)
  [[ -f "fuzz/dict/$t.dict" ]] && opts+=("-dict=fuzz/dict/$t.dict")
  echo "${opts[@]}"
}

if [[ -z "$campaign_hours" ]]; then
  status=0
  passed=0
  for t in "${targets[@]}"; do
    corpus=$(prepare_corpus "$t")
    seeds=()
    [[ -d "fuzz/corpus/$t" ]] && seeds=("fuzz/corpus/$t")
    echo "== $t ($seconds s)"
    # New inputs go to the first folder only; the seed folder is read.
    # shellcheck disable=SC2046
    if ! "$build/fuzz/$t" $(fuzz_options "$t") -max_total_time="$seconds" \
        -artifact_prefix="$build/$t-" "$corpus" "${seeds[@]}" 2>"$build/$t.log"; then
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
fi

# ------------------------------------------------------------- campaign
cores=$(nproc)
out="$build/campaign-$(date +%Y%m%d-%H%M%S)"
mkdir -p "$out/logs" "$out/crashes"
weight() { case "$1" in fuzz_trace | fuzz_ps | fuzz_mpstat | fuzz_netstat) echo 2 ;; *) echo 1 ;; esac; }
total_weight=0
for t in "${targets[@]}"; do total_weight=$((total_weight + $(weight "$t"))); done
total_seconds=$(awk -v h="$campaign_hours" 'BEGIN { printf "%d", h * 3600 }')
echo "Campaign of $campaign_hours h on $cores cores: ${targets[*]}; results in $out"

# One fuzzer of target $1 on the shared corpus until the deadline $2; after
# a crash it starts again, at most 20 times. Writes its executions and CPU
# seconds to $out/logs/$1.$3.sum. Odd workers try inputs of up to 64 KiB
# at once; even ones inputs of up to 2 KiB, which run many times faster,
# so that the search does not slow to the pace of the longest inputs.
# Each takes up what the others find.
worker() {
  local t=$1 deadline=$2 w=$3 runs=0 execs=0 cpu=0 crashes=0 shape=long
  (( w % 2 == 0 )) && shape=short
  local corpus="$build/corpus/$t"
  local seeds=()
  [[ -d "fuzz/corpus/$t" ]] && seeds=("fuzz/corpus/$t")
  while (( $(date +%s) < deadline - 5 && crashes < 20 )); do
    local left=$((deadline - $(date +%s)))
    local log="$out/logs/$t.$w.$runs.log"
    local rc=0
    # shellcheck disable=SC2046
    /usr/bin/time -o "$log.time" -f "%U %S" "$build/fuzz/$t" $(fuzz_options "$t" "$shape") \
      -max_total_time="$left" -artifact_prefix="$out/crashes/$t-" "$corpus" "${seeds[@]}" \
      >"$log" 2>&1 || rc=$?
    local n
    n=$(grep -E '^stat::number_of_executed_units' "$log" | awk '{print $2}' | tail -1)
    [[ -z "$n" ]] && n=$(grep -oE '^#[0-9]+' "$log" | tail -1 | tr -d '#')
    execs=$((execs + ${n:-0}))
    cpu=$(awk -v c="$cpu" '/^[0-9.]+ [0-9.]+$/ { c += $1 + $2 } END { print c }' "$log.time")
    runs=$((runs + 1))
    [[ $rc -eq 0 ]] && break
    crashes=$((crashes + 1))
  done
  echo "$execs $cpu" >"$out/logs/$t.$w.sum"
}

for t in "${targets[@]}"; do
  share=$((total_seconds * $(weight "$t") / total_weight))
  prepare_corpus "$t" >/dev/null
  echo "== $t: $share s on $cores cores ($(date +%H:%M))"
  start=$(date +%s)
  deadline=$((start + share))
  for w in $(seq 1 "$cores"); do worker "$t" "$deadline" "$w" & done
  wait
  echo "$(( $(date +%s) - start ))" >"$out/logs/$t.seconds"

  # Merge back, minimised: hand-named seeds first, so they stay; then the
  # smallest inputs that add an edge, from the old corpus and the finds.
  # Edges only (-use_counters=0), so that the committed corpus stays small:
  # the richer set (hit counts too) stays in $build/corpus for later runs.
  merged="$out/merged/$t"
  mkdir -p "$merged"
  if [[ -d "fuzz/corpus/$t" ]]; then
    find "fuzz/corpus/$t" -maxdepth 1 -regextype posix-extended -type f ! -regex '.*/[0-9a-f]{40}' -exec cp {} "$merged/" \;
  fi
  "$build/fuzz/$t" -merge=1 -use_counters=0 -max_len=65536 -rss_limit_mb=2048 -timeout=20 \
    -artifact_prefix="$out/crashes/$t-merge-" "$merged" "fuzz/corpus/$t" "$build/corpus/$t" \
    >"$out/logs/$t.merge.log" 2>&1 || echo "$t: the merge stopped; see $out/logs/$t.merge.log"
  mkdir -p "fuzz/corpus/$t"
  find "fuzz/corpus/$t" -maxdepth 1 -regextype posix-extended -type f -regex '.*/[0-9a-f]{40}' -delete
  find "$merged" -maxdepth 1 -regextype posix-extended -type f -regex '.*/[0-9a-f]{40}' -exec cp {} "fuzz/corpus/$t/" \;
  # The coverage of the merged corpus, from one pass over it.
  "$build/fuzz/$t" -runs=0 -max_len=65536 -rss_limit_mb=2048 "fuzz/corpus/$t" \
    >"$out/logs/$t.cov.log" 2>&1 || true
done

# The table, and the crash inputs with the commands that reproduce them.
table="$out/table.md"
{
  echo "| target | seconds | executions | per second | per CPU second | coverage (edges) | features | corpus files | corpus KiB | largest input (bytes) | crashes |"
  echo "|---|---|---|---|---|---|---|---|---|---|---|"
  for t in "${targets[@]}"; do
    execs=0 cpu=0
    for f in "$out/logs/$t".*.sum; do
      read -r e c <"$f"
      execs=$((execs + e))
      cpu=$(awk -v a="$cpu" -v b="$c" 'BEGIN { print a + b }')
    done
    secs=$(cat "$out/logs/$t.seconds")
    cov=$(grep -oE 'INITED cov: [0-9]+ ft: [0-9]+' "$out/logs/$t.cov.log" | tail -1 | awk '{print $3, $5}')
    files=$(find "fuzz/corpus/$t" -maxdepth 1 -type f | wc -l)
    kib=$(find "fuzz/corpus/$t" -maxdepth 1 -type f -printf '%s\n' | awk '{ s += $1 } END { printf "%d", s / 1024 }')
    largest=$(find "fuzz/corpus/$t" -maxdepth 1 -type f -printf '%s\n' | sort -n | tail -1)
    crashes=$(find "$out/crashes" -maxdepth 1 -type f -name "$t-*" ! -name '*.repro' | wc -l)
    awk -v t="$t" -v s="$secs" -v e="$execs" -v c="$cpu" -v cov="${cov:-? ?}" -v f="$files" \
      -v k="$kib" -v l="${largest:-0}" -v x="$crashes" '
      function group(n,   s) { s = sprintf("%d", n); while (s ~ /[0-9][0-9][0-9][0-9]/) sub(/[0-9][0-9][0-9]($|,)/, ",&", s); return s }
      BEGIN {
        split(cov, cv, " ");
        printf "| %s | %s | %s | %s | %s | %s | %s | %d | %s | %s | %d |\n", t, group(s), group(e),
          group(s > 0 ? e / s : 0), group(c > 0 ? e / c : 0), cv[1], cv[2], f, group(k), group(l), x }'
  done
} >"$table"
for f in "$out/crashes"/*; do
  [[ -f "$f" && "$f" != *.repro ]] || continue
  t=$(basename "$f" | sed -E 's/-(merge-)?(crash|leak|timeout|oom|slow-unit)-.*//')
  echo "$build/fuzz/$t $f" >"$f.repro"
done
echo
cat "$table"
echo
shopt -s nullglob
repros=("$out/crashes"/*.repro)
if [[ ${#repros[@]} -eq 0 ]]; then
  echo "No crash, leak, timeout or out-of-memory input."
else
  echo "Inputs that failed, each with the command that reproduces it:"
  cat "${repros[@]}"
fi
echo "Logs, crash inputs and the table: $out"
