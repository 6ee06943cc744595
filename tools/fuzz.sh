#!/usr/bin/env bash
# Builds the fuzz programs with clang's libFuzzer (AddressSanitizer and
# UndefinedBehaviorSanitizer on) in build/fuzz and runs them one after another,
# each from its kept corpus with its format's dictionary.
#   tools/fuzz.sh [TARGET...] [--seconds N] [--runs N]
# Targets: manifest reg_inventory player_json locations m3u8 (default: all).
# Default: 60 seconds a target; with both limits, the first reached ends it.
# New inputs go to build/fuzz/corpus/TARGET, the kept corpus under fuzz/corpus
# is only read; a crash is written to
# build/fuzz/crashes/TARGET/ and stops the run. Keep a crash file by copying it
# to fuzz/crashes/TARGET/ once fixed: the test command replays it.
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

all_targets=(manifest reg_inventory player_json locations m3u8)
targets=()
seconds=""
runs=""
while [ $# -gt 0 ]; do
  case "$1" in
    --seconds) seconds=${2:?--seconds needs a number}; shift 2 ;;
    --runs) runs=${2:?--runs needs a number}; shift 2 ;;
    -h|--help) sed -n '2,10p' "$0"; exit 0 ;;
    -*) md_fail "unknown option '$1'" ;;
    *) [[ " ${all_targets[*]} " == *" $1 "* ]] || md_fail "unknown target '$1' (${all_targets[*]})"
       targets+=("$1"); shift ;;
  esac
done
[[ -z "$seconds" || "$seconds" =~ ^[0-9]+$ ]] || md_fail "--seconds takes a whole number"
[[ -z "$runs" || "$runs" =~ ^[0-9]+$ ]] || md_fail "--runs takes a whole number"
[ ${#targets[@]} -gt 0 ] || targets=("${all_targets[@]}")

md_ensure_packages "${MD_LINUX_PACKAGES[@]}" "${MD_FUZZ_PACKAGES[@]}"
md_require_tool clang++-14 fuzz

programs=()
for target in "${targets[@]}"; do programs+=("fuzz_$target"); done
md_say "building the fuzz programs (clang, libFuzzer)"
md_build_lane fuzz -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 -DMD_FUZZ=ON \
  -DMD_SANITIZE=address,undefined -- "${programs[@]}"

dir="$MD_BUILD_ROOT/fuzz"
# Whichever limit comes first ends a target's run; 60 seconds without either.
limits=()
[ -n "$seconds" ] && limits+=(-max_total_time="$seconds")
[ -n "$runs" ] && limits+=(-runs="$runs")
[ ${#limits[@]} -gt 0 ] || limits=(-max_total_time=60)
# A leak is a crash too, and undefined behaviour stops the run at once; the
# log keeps everything, the screen only libFuzzer's summary lines.
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
# Registry exports cost most per byte (decoding, lines, the registry, the
# inventory's scans): shorter inputs keep a million executions within an hour.
declare -A max_len=([reg_inventory]=4096)
summary=()
for target in "${targets[@]}"; do
  mkdir -p "$dir/corpus/$target" "$dir/crashes/$target"
  md_say "fuzzing $target"
  log="$dir/fuzz_$target.log"
  echo "log: $log"
  status=0
  extra=()
  [ -n "${max_len[$target]:-}" ] && extra=(-max_len="${max_len[$target]}")
  "$dir/bin/fuzz_$target" "${limits[@]}" "${extra[@]}" -dict="$MD_ROOT/fuzz/dict/$target.dict" \
    -artifact_prefix="$dir/crashes/$target/" -print_final_stats=1 \
    "$dir/corpus/$target" "$MD_ROOT/fuzz/corpus/$target" >"$log" 2>&1 || status=$?
  grep -E '^(#[0-9]+ +(INITED|DONE)|Done|==[0-9]+==|SUMMARY|fuzz: |stat::)' "$log" || true
  executions=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
  if [ "$status" -eq 0 ]; then
    summary+=("$target: ${executions:-?} executions, clean")
  else
    summary+=("$target: FAILED after ${executions:-?} executions (see $log, $dir/crashes/$target/)")
  fi
done

md_say "summary"
printf '  %s\n' "${summary[@]}"
for line in "${summary[@]}"; do [[ "$line" == *FAILED* ]] && exit 1; done
exit 0
