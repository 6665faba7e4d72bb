#!/usr/bin/env bash
# Runs every end-to-end test (tests/e2e/test_*.sh, or the ones named on the
# command line) against the mingw build under Wine on a private Xvfb: one
# display, one Wine prefix and one wineserver for the whole run.
#
# Prints one line per test, the checks of failed tests, and last a line
# "N passed, N failed"; exits non-zero when any test failed.
set -uo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
E2E_LIB_ONLY=1 source "$here/lib.sh"

test_timeout_s="${E2E_TEST_TIMEOUT:-600}"

for tool in Xvfb wine wineserver xdotool import; do
  if ! command -v "$tool" >/dev/null; then
    echo "missing $tool: run tools/install-deps.sh" >&2
    exit 2
  fi
done
for loc in "$E2E_LOCALE" en_US.UTF-8; do
  # Without the locale Wine falls back to another code page and texts go wrong.
  if ! locale -a 2>/dev/null | grep -qix "${loc/UTF-8/utf8}"; then
    echo "missing locale $loc: run tools/install-deps.sh" >&2
    exit 2
  fi
done
for file in "$E2E_APP" "$E2E_PROBE"; do
  if [ ! -f "$file" ]; then
    echo "missing $file: build with 'make mingw'" >&2
    exit 2
  fi
done

if (($#)); then
  tests=("$@")
else
  tests=("$here"/test_*.sh)
fi

trap 'e2e_teardown_environment' EXIT
trap 'exit 130' INT TERM

started=$(e2e_now_ms)
if ! e2e_setup_environment; then
  echo "cannot set up the end-to-end environment" >&2
  echo "0 passed, 1 failed"
  exit 1
fi
rm -rf "$E2E_ARTIFACTS"
mkdir -p "$E2E_ARTIFACTS"
E2E_METRICS_FILE="$E2E_ARTIFACTS/metrics.txt"
: >"$E2E_METRICS_FILE"
export E2E_RUNNER=1 E2E_ARTIFACTS E2E_METRICS_FILE E2E_BUILD_DIR E2E_APP E2E_PROBE E2E_LOCALE
echo "e2e: DISPLAY=$DISPLAY WINEPREFIX=$WINEPREFIX ready in $(($(e2e_now_ms) - started)) ms"

passed=0
failed=0
for test in "${tests[@]}"; do
  name="$(basename "$test" .sh)"
  log="$E2E_ARTIFACTS/$name.log"
  test_started=$(e2e_now_ms)
  timeout --kill-after=10 "$test_timeout_s" bash "$test" >"$log" 2>&1
  status=$?
  seconds="$(awk -v ms=$(($(e2e_now_ms) - test_started)) 'BEGIN { printf "%.1f", ms / 1000 }')"
  summary="$(grep -E '^  [0-9]+ checks passed' "$log" | tail -n1 | sed 's/^ */; /')"
  if ((status == 0)); then
    passed=$((passed + 1))
    echo "PASS $name (${seconds}s$summary)"
  else
    failed=$((failed + 1))
    ((status == 124)) && summary="; timed out after ${test_timeout_s}s$summary"
    echo "FAIL $name (${seconds}s; exit $status$summary)"
    grep -E -A2 '^  not ok' "$log" | sed 's/^/    /'
    echo "    full log: $log"
    # Whatever the test left behind must not disturb the next one.
    wineserver -k 2>/dev/null
    wineserver -p
  fi
done

if [ -s "$E2E_METRICS_FILE" ]; then
  echo "metrics:"
  sed 's/^/  /' "$E2E_METRICS_FILE"
fi
echo "artefacts: $E2E_ARTIFACTS"
echo "$passed passed, $failed failed"
((failed == 0))
