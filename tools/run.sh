#!/usr/bin/env bash
# `make run`: starts build/mingw/lyricsub.exe under Wine with code page 936
# (LC_ALL=zh_CN.UTF-8).
# - With a DISPLAY: runs the program on it until it is closed.
# - Without one: starts a private Xvfb, waits for the main window, writes a
#   screenshot of it to build/screenshot.png, closes the program and exits 0.
set -euo pipefail

root="$(cd "$(dirname "$0")/.." && pwd)"
export E2E_BUILD_DIR="${E2E_BUILD_DIR:-$root/build/mingw}"
# A prefix of its own, so `make run` and `make test` never share a wineserver.
export E2E_WINEPREFIX="${LYRICSUB_WINEPREFIX:-$root/build/run-wine}"
export E2E_LOCALE="${LYRICSUB_LOCALE:-zh_CN.UTF-8}"
E2E_LIB_ONLY=1 source "$root/tests/e2e/lib.sh"
set +u

if [ ! -f "$E2E_APP" ]; then
  echo "missing $E2E_APP: build with 'make mingw'" >&2
  exit 2
fi

if [ -n "${DISPLAY:-}" ]; then
  E2E_TMP="$(mktemp -d /tmp/lyricsub-run.XXXXXX)"
  trap 'rm -rf "$E2E_TMP"' EXIT
  e2e_prepare_prefix
  echo "running $E2E_APP on DISPLAY=$DISPLAY (LC_ALL=$E2E_LOCALE) until it is closed"
  cd "$(dirname "$E2E_APP")"
  status=0
  LC_ALL="$E2E_LOCALE" wine "$E2E_APP" || status=$?
  echo "lyricsub.exe ended with exit code $status"
  exit "$status"
fi

screenshot="$root/build/screenshot.png"
E2E_ARTIFACTS="$root/build"
trap 'e2e_app_running && e2e_stop_app; e2e_teardown_environment' EXIT
e2e_setup_environment
echo "no DISPLAY: running on a private Xvfb ($DISPLAY)"
e2e_start_app
if ! e2e_wait_app_ready 60000; then
  echo "the main window did not appear; the program's output:" >&2
  cat "$E2E_APP_LOG" >&2
  exit 1
fi
# Shown and with its text is not yet painted: wait until the clock box is on screen.
e2e_probe wait "$E2E_MAIN" 10000 visible "painted=$E2E_ID_CLOCK_BOX" >/dev/null || true
e2e_screenshot screenshot 2>/dev/null
echo "the main window is up: screenshot written to $screenshot"
e2e_probe close "$E2E_MAIN" >/dev/null
code="$(e2e_app_exit_code 15 || echo "none")"
echo "closed; lyricsub.exe ended with exit code $code"
