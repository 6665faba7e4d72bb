# shellcheck shell=bash
# End-to-end test library: runs lyricsub.exe under Wine on a private Xvfb and
# drives it from outside with probe.exe and xdotool.
#
# A test is a bash script tests/e2e/test_*.sh that sources this file, makes
# checks with e2e_check / e2e_expect_eq, and ends with e2e_finish. Run by
# tests/e2e/run.sh, it finds the display and Wine prefix ready; run on its own
# (tests/e2e/test_shell.sh), it sets them up and tears them down itself.
#
# Environment (all optional):
#   E2E_BUILD_DIR   where lyricsub.exe and probe.exe are (build/mingw)
#   E2E_WINEPREFIX  the Wine prefix, made once and reused (build/e2e-wine)
#   E2E_ARTIFACTS   where screenshots and logs go (build/e2e-artifacts)
#   E2E_LOCALE      locale the program runs under (zh_CN.UTF-8: code page 936)
#   E2E_KEEP        1: leave the failing state running for a look (standalone)

E2E_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)"
E2E_BUILD_DIR="${E2E_BUILD_DIR:-$E2E_ROOT/build/mingw}"
E2E_APP="${E2E_APP:-$E2E_BUILD_DIR/lyricsub.exe}"
E2E_PROBE="${E2E_PROBE:-$E2E_BUILD_DIR/probe.exe}"
E2E_ARTIFACTS="${E2E_ARTIFACTS:-$E2E_ROOT/build/e2e-artifacts}"
E2E_LOCALE="${E2E_LOCALE:-zh_CN.UTF-8}"
E2E_SCREEN="${E2E_SCREEN:-1280x1024x24}"

# Window classes and control ids the program guarantees: every control's id is
# 100 + its number in `enum class Control` (src/platform/controls.h).
E2E_MAIN=lyricsub.main
E2E_HIGHLIGHT=lyricsub.highlight
E2E_ID_ON_TOP_BOX=102       # 选择框1
E2E_ID_WEB_PANEL=105        # 超文本浏览框1
E2E_ID_FOCUS_BOX=108        # 编辑框3
E2E_ID_HOVER_BOX=111        # 编辑框2
E2E_ID_PICKER=112           # 图片框2
E2E_ID_FILE_LIST=114        # 列表框1
E2E_ID_BROWSE_BUTTON=115    # 按钮3
E2E_ID_FOLDER_BOX=116       # 编辑框MP3
E2E_ID_PLAY_BUTTON=117      # 按钮1
E2E_ID_LYRICS_TABLE=119     # 超级列表框1
E2E_ID_CLOCK_BOX=121        # 编辑框1
E2E_ID_LYRIC_BOX=124        # 编辑框歌词
E2E_ID_FLASH_CANVAS=128     # 画板_闪烁数据 (highlight window)

export WINEDEBUG="${WINEDEBUG:--all}"
# No Mono or Gecko installer prompts, ever.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

_e2e_checks_passed=0
_e2e_checks_failed=0
_e2e_app_pid=""
_e2e_app_exit_file=""
_e2e_last_click_ms=0

e2e_log() { printf '%s\n' "$*" >&2; }
e2e_now_ms() { date +%s%3N; }

# ---- environment: display, Wine prefix, wineserver -------------------------

# Starts a private Xvfb on a free display with a black root (-br), so unpainted
# screen areas read as black. Exports DISPLAY. Display numbers from 100 up stay
# clear of the ones people pick by hand; a number another server takes first
# makes Xvfb exit, and the next one is tried.
e2e_start_xvfb() {
  local number
  for ((number = ${E2E_FIRST_DISPLAY:-100}; number < ${E2E_FIRST_DISPLAY:-100} + 100; number++)); do
    [ -e "/tmp/.X$number-lock" ] || [ -e "/tmp/.X11-unix/X$number" ] && continue
    _e2e_try_xvfb "$number" && return 0
  done
  e2e_log "Xvfb did not start:"
  cat "$E2E_TMP/xvfb.log" >&2
  return 1
}

_e2e_try_xvfb() {
  local ready_file="$E2E_TMP/xvfb.ready"
  : >"$ready_file"
  # -displayfd writes the number once the server accepts connections.
  Xvfb ":$1" -displayfd 9 -screen 0 "$E2E_SCREEN" -nolisten tcp -br 9>"$ready_file" \
    >"$E2E_TMP/xvfb.log" 2>&1 &
  E2E_XVFB_PID=$!
  local deadline=$(($(e2e_now_ms) + 20000))
  while [ ! -s "$ready_file" ]; do
    if ! kill -0 "$E2E_XVFB_PID" 2>/dev/null || (($(e2e_now_ms) > deadline)); then
      kill "$E2E_XVFB_PID" 2>/dev/null
      wait "$E2E_XVFB_PID" 2>/dev/null
      E2E_XVFB_PID=""
      return 1
    fi
    sleep 0.05
  done
  export E2E_XVFB_PID DISPLAY=":$1"
}

# Makes the Wine prefix once; later runs reuse it. A prefix whose making was
# interrupted lacks the ready mark and is made again.
e2e_prepare_prefix() {
  export WINEPREFIX="${E2E_WINEPREFIX:-$E2E_ROOT/build/e2e-wine}"
  if [ -f "$WINEPREFIX/.e2e-ready" ]; then return 0; fi
  e2e_log "making the Wine prefix $WINEPREFIX (once)"
  rm -rf "$WINEPREFIX"
  mkdir -p "$(dirname "$WINEPREFIX")"
  if ! LC_ALL="$E2E_LOCALE" wineboot -i >"$E2E_TMP/wineboot.log" 2>&1; then
    cat "$E2E_TMP/wineboot.log" >&2
    return 1
  fi
  wineserver -w
  touch "$WINEPREFIX/.e2e-ready"
}

# One wineserver for the whole run, kept alive between programs so every
# probe call starts fast. A wineserver left over from an interrupted run of
# this prefix is ended first.
e2e_start_wineserver() {
  wineserver -k 2>/dev/null || true
  wineserver -p
}

e2e_stop_wine() {
  [ -n "${WINEPREFIX:-}" ] && wineserver -k 2>/dev/null
  return 0
}

e2e_stop_xvfb() {
  if [ -n "${E2E_XVFB_PID:-}" ]; then
    kill "$E2E_XVFB_PID" 2>/dev/null
    wait "$E2E_XVFB_PID" 2>/dev/null
  fi
  return 0
}

# Everything a test needs: used by run.sh once, or by a test run on its own.
e2e_setup_environment() {
  E2E_TMP="$(mktemp -d /tmp/lyricsub-e2e.XXXXXX)"
  export E2E_TMP
  mkdir -p "$E2E_ARTIFACTS"
  e2e_start_xvfb || return 1
  e2e_prepare_prefix || return 1
  e2e_start_wineserver
}

e2e_teardown_environment() {
  e2e_stop_wine
  e2e_stop_xvfb
  [ -n "${E2E_TMP:-}" ] && rm -rf "$E2E_TMP"
  return 0
}

# ---- the program under test ------------------------------------------------

# e2e_start_app [ENV=VALUE ...]: starts lyricsub.exe in the background under
# E2E_LOCALE (or the LC_ALL given). Its exit code is kept for e2e_app_exit_code;
# E2E_APP_UNIX_PID is the Linux process that runs it (for /proc figures).
e2e_start_app() {
  e2e_stop_app
  local tag="app.$(e2e_now_ms)"
  _e2e_app_exit_file="$E2E_TMP/$tag.exit"
  local pid_file="$E2E_TMP/$tag.pid"
  E2E_APP_LOG="$E2E_TMP/$tag.log"
  E2E_APP_START_MS=$(e2e_now_ms)
  (
    cd "$(dirname "$E2E_APP")" || exit 1
    env LC_ALL="$E2E_LOCALE" "$@" \
      bash -c 'echo $$ >"$1"; shift; exec "$@"' _ "$pid_file" wine "$E2E_APP" \
      >"$E2E_APP_LOG" 2>&1
    echo $? >"$_e2e_app_exit_file"
  ) &
  _e2e_app_pid=$!
  e2e_wait_until 10 test -s "$pid_file" || return 1
  E2E_APP_UNIX_PID=$(cat "$pid_file")
}

# e2e_start_app_measured [ENV=VALUE ...]: e2e_start_app, and sets
# E2E_STARTUP_MS to the time from launch until the main window is visible, its
# clock box has its text and shows on screen. The probe polls every 10 ms and
# is already polling when the program is launched.
e2e_start_app_measured() {
  e2e_stop_app
  local answer="$E2E_TMP/startup.$(e2e_now_ms)"
  e2e_probe wait "$E2E_MAIN" 30000 visible "text=$E2E_ID_CLOCK_BOX" \
    "painted=$E2E_ID_CLOCK_BOX" >"$answer" &
  local waiter=$!
  e2e_wait_until 30 grep -q '^polling_since_epoch_ms=' "$answer" || return 1
  e2e_start_app "$@" || return 1
  wait "$waiter" || return 1
  local shown_ms
  shown_ms=$(sed -n 's/^epoch_ms=//p' "$answer")
  E2E_STARTUP_MS=$((shown_ms - E2E_APP_START_MS))
}

# Waits until the main window is visible and its clock box shows text.
e2e_wait_app_ready() {
  local timeout_ms="${1:-30000}"
  e2e_probe wait "$E2E_MAIN" "$timeout_ms" visible "text=$E2E_ID_CLOCK_BOX" >/dev/null
}

e2e_app_running() { [ -n "$_e2e_app_pid" ] && [ ! -s "$_e2e_app_exit_file" ]; }

# e2e_app_exit_code [TIMEOUT_S]: waits for the program to end and prints its
# exit code (as the shell sees it: -1 is 255); fails when it does not end.
e2e_app_exit_code() {
  local timeout_s="${1:-15}"
  [ -n "$_e2e_app_exit_file" ] || return 1
  e2e_wait_until "$timeout_s" test -s "$_e2e_app_exit_file" || return 1
  wait "$_e2e_app_pid" 2>/dev/null
  _e2e_app_pid=""
  cat "$_e2e_app_exit_file"
}

# Ends the program if it still runs: politely first, then by force.
e2e_stop_app() {
  e2e_app_running || { _e2e_app_pid=""; return 0; }
  e2e_probe close "$E2E_MAIN" >/dev/null 2>&1
  if ! e2e_wait_until 5 test -s "$_e2e_app_exit_file"; then
    e2e_log "the program did not end on close; killing it"
    kill "$E2E_APP_UNIX_PID" 2>/dev/null
    e2e_wait_until 5 test -s "$_e2e_app_exit_file"
  fi
  wait "$_e2e_app_pid" 2>/dev/null
  _e2e_app_pid=""
}

# ---- probe.exe -------------------------------------------------------------

# e2e_probe ARGS...: runs probe.exe (see `probe.exe` without arguments).
# E2E_TRACE=1 logs every call with its duration.
e2e_probe() {
  if [ "${E2E_TRACE:-0}" != 1 ]; then
    wine "$E2E_PROBE" "$@" 2>/dev/null
    return
  fi
  local started status
  started=$(e2e_now_ms)
  wine "$E2E_PROBE" "$@" 2>/dev/null
  status=$?
  e2e_log "  trace: probe $* -> $status in $(($(e2e_now_ms) - started)) ms"
  return $status
}

# e2e_get KEY ARGS...: the value of one key of a probe answer.
e2e_get() {
  local key="$1"
  shift
  local answer
  answer="$(e2e_probe "$@")" || return 1
  e2e_value "$answer" "$key"
}

# e2e_value ANSWER KEY: the value of KEY in a probe answer already taken.
e2e_value() {
  awk -v k="$2=" 'index($0, k) == 1 { print substr($0, length(k) + 1); exit }' <<<"$1"
}

# e2e_section ANSWER N: section N of a `probe multi A -- B -- ...` answer.
# One probe start per batch of questions: each start is a Wine process.
e2e_section() {
  awk -v n="$2" '/^section=/ { split($0, part, /[= ]/); s = part[2]; next } s == n' <<<"$1"
}

e2e_control_text() { e2e_get text text "$E2E_MAIN" "$1"; }

# ---- waiting ---------------------------------------------------------------

# e2e_wait_until TIMEOUT_S COMMAND...: polls COMMAND until it succeeds.
e2e_wait_until() {
  local timeout_s="$1"
  shift
  local deadline=$(($(e2e_now_ms) + timeout_s * 1000))
  until "$@"; do
    (($(e2e_now_ms) > deadline)) && return 1
    sleep 0.05
  done
}

# e2e_wait_value TIMEOUT_S EXPECTED KEY ARGS...: polls a probe value until it
# equals EXPECTED.
e2e_wait_value() {
  local timeout_s="$1" expected="$2"
  shift 2
  e2e_wait_until "$timeout_s" _e2e_value_is "$expected" "$@"
}
_e2e_value_is() {
  local expected="$1"
  shift
  [ "$(e2e_get "$@")" = "$expected" ]
}

# ---- input -----------------------------------------------------------------

# Two clicks closer than the double-click time (500 ms) would make a
# double-click; keep them apart.
_e2e_space_clicks() {
  local gap=$(($(e2e_now_ms) - _e2e_last_click_ms))
  if ((gap < 600)); then sleep "0.$(printf '%03d' $((600 - gap)))"; fi
}

# e2e_click X Y: one left click at a screen point. (No --sync: it waits for a
# pointer motion that never comes when the pointer is already there; the X
# server handles the move before the click anyway.)
e2e_click() {
  _e2e_space_clicks
  xdotool mousemove "$1" "$2" click 1
  _e2e_last_click_ms=$(e2e_now_ms)
}

# e2e_drag X1 Y1 X2 Y2: press the left button at one point, release it at
# another.
e2e_drag() {
  _e2e_space_clicks
  xdotool mousemove "$1" "$2" mousedown 1 mousemove "$3" "$4" mouseup 1
  _e2e_last_click_ms=$(e2e_now_ms)
}

# e2e_click_control ID [WINDOW]: one left click at the centre of a control.
e2e_click_control() {
  local center
  center="$(e2e_get center control "${2:-$E2E_MAIN}" "$1")" || return 1
  [ -n "$center" ] || return 1
  # shellcheck disable=SC2086
  e2e_click $center
}

# e2e_key KEY...: xdotool key names, typed into whatever has the focus.
e2e_key() { xdotool key "$@"; }

# ---- artefacts -------------------------------------------------------------

# e2e_screenshot NAME [WINDOW]: the window's screen area as NAME.png.
e2e_screenshot() {
  local name="$1" window="${2:-$E2E_MAIN}" rect
  rect="$(e2e_get rect window "$window")" || return 1
  local left top right bottom
  read -r left top right bottom <<<"$rect"
  local file="$E2E_ARTIFACTS/$name.png"
  import -display "$DISPLAY" -window root \
    -crop "$((right - left))x$((bottom - top))+$left+$top" +repage "$file" 2>/dev/null || return 1
  e2e_log "  screenshot: $file"
}

# ---- checks ----------------------------------------------------------------

e2e_pass() {
  _e2e_checks_passed=$((_e2e_checks_passed + 1))
  printf '  ok - %s\n' "$1"
}

# The screen as it was at a test's first failed check is kept as
# NAME.first-failure.png.
e2e_fail() {
  _e2e_checks_failed=$((_e2e_checks_failed + 1))
  printf '  not ok - %s\n' "$1"
  [ -n "${2:-}" ] && printf '      %s\n' "$2"
  if ((_e2e_checks_failed == 1)) && [ -n "${DISPLAY:-}" ]; then
    import -display "$DISPLAY" -window root \
      "$E2E_ARTIFACTS/$(basename "$0" .sh).first-failure.png" 2>/dev/null
  fi
  return 0
}

# e2e_check DESCRIPTION COMMAND...: passes when COMMAND succeeds.
e2e_check() {
  local description="$1"
  shift
  if "$@"; then e2e_pass "$description"; else e2e_fail "$description" "failed: $*"; fi
}

# e2e_expect_eq DESCRIPTION EXPECTED ACTUAL
e2e_expect_eq() {
  if [ "$2" = "$3" ]; then
    e2e_pass "$1"
  else
    e2e_fail "$1" "expected [$2], got [$3]"
  fi
}

# e2e_expect_match DESCRIPTION REGEX ACTUAL (extended regex, whole or part)
e2e_expect_match() {
  if [[ "$3" =~ $2 ]]; then
    e2e_pass "$1"
  else
    e2e_fail "$1" "expected to match /$2/, got [$3]"
  fi
}

# e2e_metric NAME VALUE UNIT: a measured figure, collected by run.sh.
e2e_metric() {
  printf '  metric %s=%s %s\n' "$1" "$2" "$3"
  [ -n "${E2E_METRICS_FILE:-}" ] && printf '%s=%s %s\n' "$1" "$2" "$3" >>"$E2E_METRICS_FILE"
  return 0
}

# Ends the test: stops the program, reports, and exits 1 if any check failed.
e2e_finish() {
  e2e_stop_app
  printf '  %d checks passed, %d failed\n' "$_e2e_checks_passed" "$_e2e_checks_failed"
  ((_e2e_checks_failed == 0 && _e2e_checks_passed > 0))
  exit $?
}

# ---- standalone runs -------------------------------------------------------

_e2e_standalone_cleanup() {
  local status=$?
  if [ "${E2E_KEEP:-0}" = 1 ] && ((status != 0)); then
    e2e_log "E2E_KEEP=1: left running on DISPLAY=$DISPLAY, WINEPREFIX=$WINEPREFIX"
    return
  fi
  e2e_app_running && e2e_stop_app
  e2e_teardown_environment
}

if [ -n "${E2E_RUNNER:-}" ]; then
  # Run by run.sh: the environment is ready; leave no program behind.
  set -u
  trap 'e2e_app_running && e2e_stop_app' EXIT
  trap 'exit 130' INT TERM
elif [ "${BASH_SOURCE[0]}" != "$0" ] && [ "${E2E_LIB_ONLY:-0}" != 1 ]; then
  # Sourced by a test run on its own: make the environment for this one test.
  set -u
  trap _e2e_standalone_cleanup EXIT
  trap 'exit 130' INT TERM
  if ! e2e_setup_environment; then
    e2e_log "cannot set up the end-to-end environment"
    exit 1
  fi
fi
