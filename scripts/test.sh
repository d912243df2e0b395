#!/usr/bin/env bash
# Sets up, builds and runs every test through ctest, once per build: the
# 32-bit one, then the 64-bit one, each on its own display and against its
# own Wine prefix and server. DUSKLIT_ARCHES picks the builds ("32 64" by
# default; "32" or "64" runs one). Arguments go to every ctest run (for
# example -R saver to run some of them). The last line counts the tests of
# all runs, and the exit status is nonzero when any run failed.
set -euo pipefail
source "$(dirname "$0")/common.sh"

dusklit_read_arches
arches=("${dusklit_arches[@]}")

dusklit_setup

cleanup() {
  dusklit_stop_wineserver
  dusklit_stop_xvfb
}
trap cleanup EXIT

passed=0
failed=0
status=0
if [ "${#arches[@]}" = 2 ]; then
  dusklit_build_both
else
  dusklit_use_arch "${arches[0]}"
  dusklit_build
fi
for arch in "${arches[@]}"; do
  dusklit_use_arch "$arch"
  echo "test.sh: the $arch-bit build in $BUILD_DIR"
  dusklit_start_xvfb
  dusklit_wine_prefix
  dusklit_install_standins
  dusklit_start_wineserver
  dusklit_start_wine_services
  # The display tests' prefix is made here, once, rather than inside the
  # time limit of whichever display test comes first.
  WINEPREFIX=$DUSKLIT_DISPLAY_PREFIX dusklit_wine_prefix

  log=$BUILD_DIR/ctest-last.log
  code=0
  (cd "$BUILD_DIR" && ctest --output-on-failure "$@") 2>&1 | tee "$log" || code=$?
  # ctest's closing count: "NN% tests passed, F tests failed out of T".
  summary=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests? failed out of [0-9]+' "$log" | tail -n 1 || true)
  if [ -n "$summary" ]; then
    read -r run_failed run_total < <(echo "$summary" | sed -E 's/.* ([0-9]+) tests? failed out of ([0-9]+).*/\1 \2/')
    passed=$((passed + run_total - run_failed))
    failed=$((failed + run_failed))
  fi
  [ "$code" = 0 ] || status=1
  cleanup
done

echo "test.sh: counted over the builds: ${arches[*]} (bits)"
echo "$passed passed, $failed failed"
exit "$status"
