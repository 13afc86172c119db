#!/usr/bin/env bash
# fuzz.sh [HARNESS[,HARNESS...]|all] [SECONDS]: runs fuzzing harnesses one
# after the other (all: every one) under libFuzzer for SECONDS each (default
# 60), and prints a line per harness: executions, executions per second, and
# what it found.
#
# Builds with clang (AddressSanitizer, UndefinedBehaviorSanitizer and
# libFuzzer's coverage) into build-fuzz/ (VX_FUZZ_BUILD overrides), makes the
# binary seeds there, and keeps everything it finds in fuzz/findings/<harness>/
# (ignored by git): the grown corpus in corpus/, crashes, timeouts, leaks and
# out-of-memory inputs as crash-*, timeout-*, leak-*, oom-*, and the log of the
# last run. VX_FUZZ_ARGS adds libFuzzer flags (for example -max_len=65536).
# The exit code is 1 when a harness found something.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
harness=${1:-all}
seconds=${2:-60}
build=${VX_FUZZ_BUILD:-$root/build-fuzz}
findings=$root/fuzz/findings
"$root/scripts/setup.sh"

launcher=()
command -v ccache >/dev/null && launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
if [ ! -f "$build/CMakeCache.txt" ]; then
  CC=clang CXX=clang++ cmake -S "$root" -B "$build" -G Ninja "${launcher[@]}" -DVX_FUZZ=ON >/dev/null
fi
cmake --build "$build" --target fuzzers -j "$(nproc)"
seeds=$build/fuzz/corpus
bash "$root/fuzz/make_seeds.sh" "$seeds" "$build/hivetool" "$build/rulefile" "$build/fuzz/fuzz_seed_maker"

if [ "$harness" = all ]; then
  harnesses=()
  for program in "$build"/fuzz/*_fuzzer; do
    name=$(basename "$program")
    harnesses+=("${name%_fuzzer}")
  done
else
  IFS=, read -r -a harnesses <<<"$harness"
fi

export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1:abort_on_error=1:symbolize=1}
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1:halt_on_error=1}
status=0
summary=()
for h in "${harnesses[@]}"; do
  program=$build/fuzz/${h}_fuzzer
  if [ ! -x "$program" ]; then
    echo "fuzz: no harness \"$h\"" >&2
    exit 2
  fi
  work=$findings/$h
  mkdir -p "$work/corpus"
  # The grown corpus comes first: libFuzzer writes new inputs there only. The
  # saved regressions are left to the tests: a large one would raise the
  # input length libFuzzer tries, and slow every run down.
  dirs=("$work/corpus")
  for d in "$root/fuzz/corpus/$h" "$seeds/$h"; do
    [ -d "$d" ] && dirs+=("$d")
  done
  dict=()
  [ -f "$root/fuzz/dict/$h.dict" ] && dict=(-dict="$root/fuzz/dict/$h.dict")
  echo "== $h: $seconds s"
  result=clean
  # shellcheck disable=SC2086
  if ! "$program" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -malloc_limit_mb=2048 \
      -print_final_stats=1 -artifact_prefix="$work/" "${dict[@]}" ${VX_FUZZ_ARGS:-} "${dirs[@]}" \
      >"$work/last-run.log" 2>&1; then
    result="FOUND: $(grep -m1 -oE '(ERROR|WARNING): [A-Za-z]+[^ ]*[: ].*|check failed: .*|Test unit written to .*' \
      "$work/last-run.log" | head -1)"
    status=1
  fi
  runs=$(grep -oE 'stat::number_of_executed_units:[[:space:]]+[0-9]+' "$work/last-run.log" | grep -oE '[0-9]+$' || true)
  rate=$(grep -oE 'stat::average_exec_per_sec:[[:space:]]+[0-9]+' "$work/last-run.log" | grep -oE '[0-9]+$' || true)
  if [ -z "$runs" ]; then
    last=$(grep -oE '^#[0-9]+.*exec/s: [0-9]+' "$work/last-run.log" | tail -1 || true)
    runs=$(echo "$last" | grep -oE '^#[0-9]+' | tr -d '#')
    rate=$(echo "$last" | grep -oE 'exec/s: [0-9]+' | grep -oE '[0-9]+')
  fi
  line=$(printf '%-18s %12s runs %8s/s  %s' "$h" "${runs:-?}" "${rate:-?}" "$result")
  echo "$line"
  summary+=("$line")
  echo "$(date -u +%FT%TZ) ${seconds}s $line" >>"$findings/summary.log"
done
echo "== summary"
printf '%s\n' "${summary[@]}"
exit $status
