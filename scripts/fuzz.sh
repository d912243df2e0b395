#!/usr/bin/env bash
# Longer fuzzing runs than the test command's short ones: every fuzz target
# in turn for the given time, from its checked-in seeds and a fixed random
# seed, then how many inputs each one ran.
# Usage: scripts/fuzz.sh [seconds]   (default 600)
set -euo pipefail
source "$(dirname "$0")/common.sh"
dusklit_setup
if [ ! -f "$BUILD_DIR/CMakeCache.txt" ]; then
  dusklit_build
else
  cmake --build "$BUILD_DIR" --target native_tests
fi

seconds=${1:-600}
targets=(command_line registry_values previewer_name general_page install_path password_setting dialog_font)
declare -A executions
status=0
for target in "${targets[@]}"; do
  work=$BUILD_DIR/native/fuzz-corpus-$target
  log=$BUILD_DIR/native/fuzz-$target.log
  mkdir -p "$work"
  echo "fuzzing $target for $seconds s"
  if ! "$BUILD_DIR/native/fuzz_$target" -seed=1 -max_total_time="$seconds" -max_len=4096 \
      -print_final_stats=1 "$work" "$DUSKLIT_ROOT/tests/fuzz/corpus-$target" >"$log" 2>&1; then
    echo "fuzz_$target found a failure; see $log" >&2
    status=1
  fi
  # libFuzzer's final statistics name the inputs it ran; a run cut short
  # by a failure has only its progress lines ("#N ...").
  count=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -n 1)
  if [ -z "$count" ]; then
    count=$(sed -n 's/^#\([0-9][0-9]*\).*/\1/p' "$log" | tail -n 1)
  fi
  executions[$target]=${count:-none}
done

echo
printf '%-16s %s\n' target executions
for target in "${targets[@]}"; do
  printf '%-16s %s\n' "$target" "${executions[$target]}"
done
exit $status
