#!/usr/bin/env bash
# Runs every test in both lanes: Linux, Linux under AddressSanitizer and
# UndefinedBehaviorSanitizer, the threaded tests under ThreadSanitizer,
# Windows (mingw-w64 build run under Wine), and the 32-bit module (built and
# checked, not run: see docs/building.md); first it checks the links of
# every Markdown file.
#   tools/test.sh [linux] [asan] [tsan] [windows] [windows32]    (default: all lanes)
set -euo pipefail
source "$(dirname "$0")/lib/common.sh"

lanes=("$@")
[ ${#lanes[@]} -gt 0 ] || lanes=(linux asan tsan windows windows32)

# The tests where threads meet: the notification worker, the device list it
# changes, the churn of arrivals and removals, the host's roster under a
# burst of them, the media slots leaving the plug-in lock to the next
# caller (the item listings, erase and format too), the stand-in's own
# notifications and model threads, and players that come and go with folders
# (the watcher's thread, and the storm of a thousand arrivals and removals).
MD_TSAN_TESTS='^(NotificationObjTest|DeviceChangeTest|DeviceStressTest|DeviceListTest|LifecycleTest|HostBoundaryTest|HostRosterTest|MediaListingTest|MediaPropertiesTest|EraseFormatTest|ItemListingTest|ContentEditingTest|ContentDeleteTest|ContentTransferTest|NotificationTest|ModelThreadsTest|HotplugWatcherTest|HotplugDeviceListTest|HotplugStormTest)\.'

md_ensure_packages "${MD_LINUX_PACKAGES[@]}"
for lane in "${lanes[@]}"; do
  [[ "$lane" = windows* ]] && md_ensure_packages "${MD_WINDOWS_PACKAGES[@]}"
done

results=()
# Every relative link and #anchor in the repository's Markdown files must
# lead somewhere a fresh clone has; it needs no build, so every run checks.
md_say "checking the links of every Markdown file"
if /usr/bin/python3 "$MD_ROOT/tools/lib/markdown_links.py" "$MD_ROOT"; then
  results+=("Markdown links: passed")
else
  results+=("Markdown links: FAILED")
fi

run_ctest() {
  local name=$1; shift
  md_say "testing $name"
  local log="$MD_BUILD_ROOT/$name.ctest.log"
  if ctest --test-dir "$MD_BUILD_ROOT/$name" --output-on-failure -j "$MD_JOBS" "$@" 2>&1 | tee "$log"; then
    results+=("$name: passed$(md_retried_tests "$log"), $(md_lane_time)")
  else
    results+=("$name: FAILED$(md_failed_tests "$log"), $(md_lane_time)")
  fi
}

# The tests ctest lists as failed, so that the summary at the end of a long
# log says which they were.
md_failed_tests() {
  local failed
  failed=$(sed -n '/^The following tests FAILED:/,$s/^[[:space:]]*[0-9]* - \([^ ]*\) .*$/\1/p' "$1" | tr '\n' ' ')
  [ -z "$failed" ] || printf ' (%s)' "${failed% }"
}

# The wall time since the lane began, build and tests together, so that each
# run's summary tells where the time of the whole command goes.
md_lane_time() {
  local seconds=$((SECONDS - lane_started))
  printf '%d min %02d s' $((seconds / 60)) $((seconds % 60))
}

# Names the tests that failed once and passed when run again, so that a
# retry never hides a test that only sometimes passes.
md_retried_tests() {
  local retried
  # Only a failure counts: "***Skipped" is a test's own answer, not a retry.
  retried=$(sed -n 's/^.*Test *#[0-9]*: \([^ ]*\) \.*\*\*\*\(Failed\|Timeout\|Exception\).*$/\1/p' "$1" \
    | sort -u | tr '\n' ' ')
  [ -z "$retried" ] || printf ' (passed on a second start: %s)' "${retried% }"
}

for lane in "${lanes[@]}"; do
  lane_started=$SECONDS
  case "$lane" in
    linux)
      md_say "building the Linux lane"
      md_build_lane linux
      run_ctest linux
      ;;
    asan)
      md_say "building the Linux lane with AddressSanitizer and UndefinedBehaviorSanitizer"
      md_build_lane linux-asan -DMD_SANITIZE=address,undefined -DMD_BENCH_AND_FUZZ=OFF
      ASAN_OPTIONS=detect_leaks=1:abort_on_error=1 UBSAN_OPTIONS=print_stacktrace=1 run_ctest linux-asan -LE swept-again
      ;;
    tsan)
      md_say "building the threaded tests with ThreadSanitizer"
      md_build_lane linux-tsan -DMD_SANITIZE=thread -DMD_BENCH_AND_FUZZ=OFF -- mdplugin_tests standin_tests
      TSAN_OPTIONS=halt_on_error=1:second_deadlock_stack=1 run_ctest linux-tsan -R "$MD_TSAN_TESTS"
      ;;
    windows)
      md_require_tool x86_64-w64-mingw32-g++-posix windows
      md_require_tool wine windows
      md_say "building the Windows lane (mingw-w64)"
      md_build_lane windows -DCMAKE_TOOLCHAIN_FILE="$MD_ROOT/cmake/mingw-w64-x86_64.cmake"
      md_prepare_wine
      # A Wine start now and then ends at once, silently, with status 1
      # before the program runs (seen once in CI on a test that only parses
      # its arguments). The Linux lanes run the same tests without a retry;
      # here a failed test gets one more start, and the summary names it.
      run_ctest windows --repeat until-pass:2
      wineserver -k >/dev/null 2>&1 || true
      ;;
    windows32)
      # The 32-bit module with its compile-time checks of the x86 binary
      # interface, and its export table; only what proves the DLL is built.
      md_require_tool i686-w64-mingw32-g++-posix windows32
      md_say "building the 32-bit module (mingw-w64 i686)"
      md_build_lane windows32 -DCMAKE_TOOLCHAIN_FILE="$MD_ROOT/cmake/mingw-w64-i686.cmake" \
        -- MDPlugin wmdm_sdk_abi_checks slot_offset_probe
      run_ctest windows32 -R '^(MDPlugin\.ExportsExactlyThreeEntryPoints|SlotOffsetsInTheMachineCode)$'
      ;;
    *) md_fail "unknown lane '$lane' (linux, asan, tsan, windows, windows32)" ;;
  esac
done

md_say "summary"
printf '  %s\n' "${results[@]}"
failed=0
for r in "${results[@]}"; do [[ "$r" == *FAILED* ]] && failed=1; done
exit $failed
