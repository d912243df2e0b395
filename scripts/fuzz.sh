#!/usr/bin/env bash
# Longer fuzzing runs than the test command's short ones: the command-line
# reader, then the settings' registry decoding, each for the given time.
# Usage: scripts/fuzz.sh [seconds]   (default 600)
set -euo pipefail
source "$(dirname "$0")/common.sh"
dusklit_setup
dusklit_build
seconds=${1:-600}
work=$BUILD_DIR/native/fuzz-corpus
mkdir -p "$work"
"$BUILD_DIR/native/fuzz_command_line" -max_total_time="$seconds" -max_len=512 \
  "$work" "$DUSKLIT_ROOT/tests/fuzz/corpus"
work=$BUILD_DIR/native/fuzz-corpus-registry
mkdir -p "$work"
"$BUILD_DIR/native/fuzz_registry_values" -max_total_time="$seconds" -max_len=512 \
  "$work" "$DUSKLIT_ROOT/tests/fuzz/corpus-registry"
