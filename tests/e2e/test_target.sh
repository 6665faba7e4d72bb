#!/usr/bin/env bash
# End to end: the target picker and text delivery, with real mouse drags by
# xdotool under Wine and Xvfb.
#
#   tests/e2e/test_target.sh [BUILD_DIR]
#
# BUILD_DIR (default $BUILD or /work/build-mingw) holds lyricsub.exe,
# probe.exe and target_app.exe. Uses DISPLAY (an X server such as Xvfb
# without a window manager) and WINEPREFIX as given; starts and ends its own
# program instances. Every wait is on a condition, with a deadline.
#
# Cases: drags onto target_app's Edit, RichEdit20W box, button and list box;
# a plain click on the picker; a target that hangs inside the first send
# (this program's main window still answers within 2 s, and no Enter follows);
# Wine's notepad, whose text is read back from outside.
set -u

BUILD_DIR=${1:-${BUILD:-/work/build-mingw}}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
WORK=$(mktemp -d /tmp/test_target.XXXXXX)
TARGET_LOG=$WORK/target.log

# Dialog ids of the main window's controls (100 + control number).
readonly ID_FOCUS_HANDLE=108  # 编辑框3
readonly ID_HOVERED=111       # 编辑框2
readonly ID_PICKER=112        # 图片框2
readonly ID_FOLDER=116        # 编辑框MP3
readonly ID_CLOCK=121         # 编辑框1
readonly ID_LYRIC=124         # 编辑框歌词
readonly HANG_IN_SEND=0x8002  # target_app: hang at the next EM_SETSEL

failures=0
pass() { echo "ok   - $*"; }
fail() {
  echo "FAIL - $*"
  failures=$((failures + 1))
}

probe() { wine "$BUILD_DIR/probe.exe" "$@" 2>/dev/null | tr -d '\r'; }
# The value of key in probe output read from stdin.
value() { sed -n "s/^$1=//p" | head -n 1; }
now_ms() { date +%s%3N; }

# wait_for SECONDS COMMAND...: until the command succeeds; false at the deadline.
wait_for() {
  local deadline=$(($(now_ms) + $1 * 1000))
  shift
  until "$@"; do
    (($(now_ms) < deadline)) || return 1
    sleep 0.05
  done
}

main_text() { probe text lyricsub.main "$1" | value text; }
focus_handle_is() { [[ "$(main_text $ID_FOCUS_HANDLE)" == "$1" ]]; }
log_has() { grep -q -- "$1" "$TARGET_LOG" 2>/dev/null; }
# Lines of the target log after line number $1, FOCUS lines left out.
log_since() { tail -n +$(($1 + 1)) "$TARGET_LOG" | grep -v ' FOCUS$'; }
log_lines() { wc -l <"$TARGET_LOG"; }
control_field() { sed -n "s/.* app CONTROL $1 .*$2=\([^ ]*\).*/\1/p" "$TARGET_LOG" | head -n 1; }
# The centre of a target_app control, from its logged screen rectangle.
centre_of() {
  local r
  IFS=, read -r -a r <<<"$(control_field "$1" rect)"
  echo $(((r[0] + r[2]) / 2)) $(((r[1] + r[3]) / 2))
}

# drag_to X Y: press on the picker, move there in steps, release.
drag_to() {
  local centre px py
  centre=$(probe control lyricsub.main $ID_PICKER | value center)
  read -r px py <<<"$centre"
  xdotool mousemove "$px" "$py"
  xdotool mousedown 1
  local i
  for i in 1 2 3 4; do
    xdotool mousemove $((px + ($1 - px) * i / 4)) $((py + ($2 - py) * i / 4))
    sleep 0.1  # lets the flash timer tick while dragging
  done
  xdotool mouseup 1
}

# The four messages and the sent line that a pick delivers, in order.
expect_greeting() {  # NAME MARK
  local got want
  got=$(log_since "$2" | grep " $1 " | cut -d' ' -f3-)
  want=$(printf '%s\n' "EM_SETSEL 0 -1" "EM_REPLACESEL 1 字幕准备中....." "WM_KEYDOWN 13 0" \
    "SENT 字幕准备中....." "WM_KEYUP 13 0")
  if [[ "$got" != "$want" ]]; then
    fail "$1 received: $(echo "$got" | tr '\n' '|')"
    return
  fi
  local t_replace t_enter
  t_replace=$(log_since "$2" | grep " $1 EM_REPLACESEL " | cut -d' ' -f1)
  t_enter=$(log_since "$2" | grep " $1 WM_KEYDOWN " | cut -d' ' -f1)
  if ((t_enter - t_replace >= 100000)); then
    pass "$1: the four messages in order, Enter $(((t_enter - t_replace) / 1000)) ms after the text"
  else
    fail "$1: Enter only $(((t_enter - t_replace) / 1000)) ms after the text"
  fi
}

# A drag that must pick the named box of target_app.
case_pick_box() {  # NAME
  local hwnd mark xy
  hwnd=$(control_field "$1" hwnd)
  mark=$(log_lines)
  read -r -a xy <<<"$(centre_of "$1")"
  drag_to "${xy[0]}" "${xy[1]}"
  if ! wait_for 10 focus_handle_is "$hwnd"; then
    fail "$1: 编辑框3 shows '$(main_text $ID_FOCUS_HANDLE)', not $hwnd"
    return
  fi
  if ! wait_for 5 log_has " $1 WM_KEYUP 13 0"; then
    fail "$1: no Enter arrived"
  fi
  expect_greeting "$1" "$mark"
}

# A drag onto a control that is no edit box: no target, nothing delivered.
case_no_target() {  # NAME
  local mark xy
  mark=$(log_lines)
  read -r -a xy <<<"$(centre_of "$1")"
  drag_to "${xy[0]}" "${xy[1]}"
  if ! wait_for 10 focus_handle_is 0; then
    fail "$1: 编辑框3 shows '$(main_text $ID_FOCUS_HANDLE)', not 0"
    return
  fi
  if log_since "$mark" | grep -qE ' (EM_|WM_KEY|SENT)'; then
    fail "$1: something was delivered: $(log_since "$mark" | tr '\n' '|')"
  else
    pass "$1: no target, nothing delivered"
  fi
}

own_edit_texts() {
  local id
  for id in $ID_FOLDER $ID_CLOCK $ID_LYRIC; do echo "$id=$(main_text $id)"; done
}

# A plain click on the picker: its own clicks land on the picker again.
case_plain_click() {
  local before mark centre px py
  before=$(own_edit_texts)
  mark=$(log_lines)
  centre=$(probe control lyricsub.main $ID_PICKER | value center)
  read -r px py <<<"$centre"
  xdotool mousemove "$px" "$py" click 1
  if ! wait_for 10 focus_handle_is 0; then
    fail "plain click: 编辑框3 shows '$(main_text $ID_FOCUS_HANDLE)', not 0"
    return
  fi
  # The main window answers again once the pick has ended.
  probe ping lyricsub.main 2000 >/dev/null
  if [[ "$(own_edit_texts)" != "$before" ]]; then
    fail "plain click: the program's own boxes changed"
  elif log_since "$mark" | grep -qE ' (EM_|WM_KEY|SENT)'; then
    fail "plain click: something reached target_app"
  else
    pass "plain click on the picker: no target, no nested pick, own boxes untouched"
  fi
}

# The target hangs inside the first send of the pick's delivery.
case_hung_target() {
  local hwnd mark xy worst=0 ms answered=1 pings=0
  hwnd=$(control_field edit hwnd)
  mark=$(log_lines)
  probe post lyricsub.target_app 0 $HANG_IN_SEND 4000 >/dev/null
  wait_for 5 log_has " app ARMED 4000" || fail "hung target: target_app was not armed"
  read -r -a xy <<<"$(centre_of edit)"
  drag_to "${xy[0]}" "${xy[1]}"
  wait_for 10 log_has " app HANG 4000" || fail "hung target: the send never came"
  # While the target hangs, the main window keeps answering.
  while ! log_has " app RESUMED"; do
    ms=$(probe ping lyricsub.main 2000 | value ms)
    pings=$((pings + 1))
    if [[ -z "$ms" ]]; then
      answered=0
      break
    fi
    ((ms > worst)) && worst=$ms
  done
  if ((answered == 0)); then
    fail "hung target: the main window did not answer within 2 s"
  else
    pass "hung target: the main window answered $pings pings, slowest ${worst} ms"
  fi
  if ! wait_for 10 focus_handle_is "$hwnd"; then
    fail "hung target: 编辑框3 shows '$(main_text $ID_FOCUS_HANDLE)'"
  fi
  probe ping lyricsub.main 2000 >/dev/null  # the pick has ended
  probe ping lyricsub.target_app 2000 >/dev/null
  if log_since "$mark" | grep -qE ' edit (EM_REPLACESEL|WM_KEYDOWN|SENT)'; then
    fail "hung target: text or Enter followed the timed-out send: $(log_since "$mark" | tr '\n' '|')"
  else
    pass "hung target: after the timed-out send no text and no Enter"
  fi
}

notepad_edit_text() { probe text "$1" | value text; }
notepad_text_is() { [[ "$(notepad_edit_text "$1")" == "$2" ]]; }

case_notepad() {
  local key=HKCU\\Software\\Microsoft\\Notepad kv handle hex rect previous r
  # Beside the main window, not over it.
  for kv in "iWindowPosX 905" "iWindowPosY 320" "iWindowPosDX 370" "iWindowPosDY 300"; do
    set -- $kv
    wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
  done
  wine notepad >/dev/null 2>&1 &
  if ! probe wait Notepad 20000 visible >/dev/null; then
    fail "notepad did not start"
    return
  fi
  rect=$(probe tree Notepad | sed -n 's/.* class=Edit .*rect=\([0-9]*\) \([0-9]*\) \([0-9]*\) \([0-9]*\).*/\1 \2 \3 \4/p' | head -n 1)
  read -r -a r <<<"$rect"
  previous=$(main_text $ID_FOCUS_HANDLE)
  drag_to $(((r[0] + r[2]) / 2)) $(((r[1] + r[3]) / 2))
  wait_for 10 focus_handle_changed_from "$previous"
  handle=$(main_text $ID_FOCUS_HANDLE)
  if [[ -z "$handle" || "$handle" == 0 ]]; then
    fail "notepad: no target (编辑框3 '$handle')"
  else
    hex=$(printf '0x%x' "$handle")
    if wait_for 10 notepad_text_is "$hex" '字幕准备中.....\r\n'; then
      pass "notepad: its Edit holds the greeting and the Enter's line break"
    else
      fail "notepad: its text is '$(notepad_edit_text "$hex")'"
    fi
  fi
  probe close Notepad >/dev/null
  probe wait-gone Notepad 10000 >/dev/null
}

focus_handle_changed_from() { [[ "$(main_text $ID_FOCUS_HANDLE)" != "$1" ]]; }

cleanup() {
  probe close lyricsub.target_app >/dev/null
  probe close lyricsub.main >/dev/null
  probe wait-gone lyricsub.main 10000 >/dev/null
  rm -rf "$WORK"
}
trap cleanup EXIT

# --- run ----------------------------------------------------------------------

(cd "$BUILD_DIR" && exec wine ./lyricsub.exe >/dev/null 2>&1) &
probe wait lyricsub.main 30000 visible painted=$ID_PICKER >/dev/null || {
  echo "FAIL - lyricsub did not start"
  exit 1
}
wine "$BUILD_DIR/target_app.exe" "$(winepath -w "$TARGET_LOG")" --at 905 0 >/dev/null 2>&1 &
wait_for 30 log_has " app CONTROL list " || {
  echo "FAIL - target_app did not start"
  exit 1
}

case_pick_box edit
case_no_target button
case_pick_box rich
case_plain_click
case_pick_box edit
case_no_target list
case_hung_target
case_notepad

echo "$failures failure(s)"
((failures == 0))
