#!/usr/bin/env bash
# Sets up, builds and runs every test through ctest, once per build: the
# 32-bit one and the 64-bit one, each on its own display and against its
# own Wine prefix and server, both at the same time (they share nothing
# but the processor, and much of a Wine test is waiting). DUSKLIT_ARCHES
# picks the builds ("32 64" by default; "32" or "64" runs one). Arguments
# go to every ctest run (for example -R saver to run some of them). Each
# run's output follows once it has ended, then the slowest entries; the
# last line counts the tests of all runs, and the exit status is nonzero
# when any run failed.
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_read_arches
arches=("${dusklit_arches[@]}")

dusklit_setup

if [ "${#arches[@]}" = 2 ]; then
  dusklit_build_both
else
  dusklit_use_arch "${arches[0]}"
  dusklit_build
fi

# One build's run, in a subshell of its own: its display, prefix and
# server, stopped whatever the outcome. Its log is the build's
# ctest-last.log; its status is ctest's.
run_suite() {
  local arch=$1
  shift
  dusklit_use_arch "$arch"
  local log=$BUILD_DIR/ctest-last.log
  (
    cleanup() {
      dusklit_stop_wineserver
      dusklit_stop_xvfb
    }
    trap cleanup EXIT
    dusklit_start_xvfb
    dusklit_wine_prefix
    dusklit_install_standins
    dusklit_start_wineserver
    dusklit_start_wine_services
    # The display tests' prefix is made here, once, rather than inside the
    # time limit of whichever display test comes first.
    WINEPREFIX=$DUSKLIT_DISPLAY_PREFIX dusklit_wine_prefix
    cd "$BUILD_DIR" && ctest --output-on-failure "$@"
  ) >"$log" 2>&1
}

# The slowest entries of a run, from ctest's lines "N/M Test #K: name ... T sec".
slowest_entries() {
  grep -E '^ *[0-9]+/[0-9]+ Test +#[0-9]+: ' "$1" |
    sed -E 's/^.*Test +#[0-9]+: ([^ ]+) .* ([0-9.]+) sec.*$/\2 \1/' |
    sort -rn | head -n 10 | awk '{ printf "  %7.1f s  %s\n", $1, $2 }'
}

declare -A pids
for arch in "${arches[@]}"; do
  run_suite "$arch" "$@" &
  pids[$arch]=$!
  # The next run looks for a free display once this one holds its own.
  sleep 2
done

passed=0
failed=0
status=0
for arch in "${arches[@]}"; do
  code=0
  wait "${pids[$arch]}" || code=$?
  dusklit_use_arch "$arch"
  log=$BUILD_DIR/ctest-last.log
  echo "test.sh: the $arch-bit build in $BUILD_DIR"
  cat "$log"
  echo "test.sh: the slowest entries of the $arch-bit run:"
  slowest_entries "$log"
  # ctest's closing count: "NN% tests passed, F tests failed out of T".
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$summary" ]; then
    read -r run_failed run_total < <(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/')
    passed=$((passed + run_total - run_failed))
    failed=$((failed + run_failed))
  fi
  [ "$code" = 0 ] || status=1
done

echo "test.sh: counted over the builds: ${arches[*]} (bits)"
echo "$passed passed, $failed failed"
exit "$status"
