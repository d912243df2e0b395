#!/usr/bin/env bash
# A longer fuzzing run of the command-line reader than the test command's
# short one. Usage: scripts/fuzz.sh [seconds]   (default 600)
set -euo pipefail
source "$(dirname "$0")/common.sh"
dusklit_setup
dusklit_build
seconds=${1:-600}
work=$BUILD_DIR/native/fuzz-corpus
mkdir -p "$work"
"$BUILD_DIR/native/fuzz_command_line" -max_total_time="$seconds" -max_len=512 \
  "$work" "$DUSKLIT_ROOT/tests/fuzz/corpus"
