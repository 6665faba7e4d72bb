#!/usr/bin/env bash
# End to end: the target picker and text delivery, with real mouse drags by
# xdotool under Wine and Xvfb.
#
# Run by tests/e2e/run.sh, or on its own: tests/e2e/test_target.sh
# Every wait is on a condition, with a deadline.
#
# Cases: drags onto target_app's Edit, RichEdit20W box, button and list box;
# a plain click on the picker; a target that hangs inside the first send
# (this program's main window still answers within 2 s, and no Enter follows);
# Wine's notepad, whose text is read back from outside.
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"

TARGET_APP="$E2E_BUILD_DIR/target_app.exe"
TARGET_LOG="$E2E_TMP/target-target.$$.log"
readonly HANG_IN_SEND=0x8002  # target_app: hang at the next EM_SETSEL
_target_pid=""

stop_target() {
  [ -n "$_target_pid" ] || return 0
  e2e_probe close lyricsub.target_app >/dev/null 2>&1
  e2e_wait_until 10 bash -c "! kill -0 $_target_pid 2>/dev/null" || kill "$_target_pid" 2>/dev/null
  wait "$_target_pid" 2>/dev/null
  _target_pid=""
}
stop_notepad() { e2e_probe close Notepad >/dev/null 2>&1; }
trap 'xdotool mouseup 1 2>/dev/null; stop_notepad; stop_target; e2e_app_running && e2e_stop_app' EXIT

main_text() { e2e_control_text "$1"; }
focus_handle_is() { [[ "$(main_text "$E2E_ID_FOCUS_BOX")" == "$1" ]]; }
focus_handle_changed_from() { [[ "$(main_text "$E2E_ID_FOCUS_BOX")" != "$1" ]]; }
log_has() { grep -q -- "$1" "$TARGET_LOG" 2>/dev/null; }
# Lines of the target log after line number $1, FOCUS lines left out.
log_since() { tail -n +$(($1 + 1)) "$TARGET_LOG" | grep -v ' FOCUS$'; }
log_lines() { wc -l <"$TARGET_LOG"; }
# target_app logs "<t> app CONTROL <name> hwnd=<decimal> id=<id> rect=<l>,<t>,<r>,<b>".
control_field() { sed -n "s/.* app CONTROL $1 .*$2=\([^ ]*\).*/\1/p" "$TARGET_LOG" | head -n 1; }
# The centre of a target_app control, from its logged screen rectangle.
centre_of() {
  local r
  IFS=, read -r -a r <<<"$(control_field "$1" rect)"
  echo $(((r[0] + r[2]) / 2)) $(((r[1] + r[3]) / 2))
}
picker_centre() { e2e_get center control "$E2E_MAIN" "$E2E_ID_PICKER"; }

# drag_to X Y: press on the picker, move there in steps, release.
drag_to() {
  local px py i
  read -r px py <<<"$(picker_centre)"
  xdotool mousemove --sync "$px" "$py"
  xdotool mousedown 1
  for i in 1 2 3 4; do
    xdotool mousemove $((px + ($1 - px) * i / 4)) $((py + ($2 - py) * i / 4))
    sleep 0.1  # a human-paced drag: the flash timer ticks on the way
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
    e2e_fail "$1 received: $(echo "$got" | tr '\n' '|')"
    return
  fi
  local t_replace t_enter
  t_replace=$(log_since "$2" | grep " $1 EM_REPLACESEL " | cut -d' ' -f1)
  t_enter=$(log_since "$2" | grep " $1 WM_KEYDOWN " | cut -d' ' -f1)
  if ((t_enter - t_replace >= 100000)); then
    e2e_pass "$1: the four messages in order, Enter $(((t_enter - t_replace) / 1000)) ms after the text"
  else
    e2e_fail "$1: Enter only $(((t_enter - t_replace) / 1000)) ms after the text"
  fi
}

# A drag that must pick the named box of target_app.
case_pick_box() {  # NAME
  local hwnd mark xy
  hwnd=$(control_field "$1" hwnd)
  mark=$(log_lines)
  read -r -a xy <<<"$(centre_of "$1")"
  drag_to "${xy[0]}" "${xy[1]}"
  if ! e2e_wait_until 10 focus_handle_is "$hwnd"; then
    e2e_fail "$1: 编辑框3 shows '$(main_text "$E2E_ID_FOCUS_BOX")', not $hwnd"
    return
  fi
  if ! e2e_wait_until 5 log_has " $1 WM_KEYUP 13 0"; then
    e2e_fail "$1: no Enter arrived"
  fi
  expect_greeting "$1" "$mark"
}

# A drag onto a control that is no edit box: no target, nothing delivered.
case_no_target() {  # NAME
  local mark xy
  mark=$(log_lines)
  read -r -a xy <<<"$(centre_of "$1")"
  drag_to "${xy[0]}" "${xy[1]}"
  if ! e2e_wait_until 10 focus_handle_is 0; then
    e2e_fail "$1: 编辑框3 shows '$(main_text "$E2E_ID_FOCUS_BOX")', not 0"
    return
  fi
  if log_since "$mark" | grep -qE ' (EM_|WM_KEY|SENT)'; then
    e2e_fail "$1: something was delivered: $(log_since "$mark" | tr '\n' '|')"
  else
    e2e_pass "$1: no target, nothing delivered"
  fi
}

own_edit_texts() {
  local id
  for id in "$E2E_ID_FOLDER_BOX" "$E2E_ID_CLOCK_BOX" "$E2E_ID_LYRIC_BOX"; do echo "$id=$(main_text $id)"; done
}

# A plain click on the picker: its own clicks land on the picker again.
case_plain_click() {
  local before mark px py
  before=$(own_edit_texts)
  mark=$(log_lines)
  read -r px py <<<"$(picker_centre)"
  xdotool mousemove --sync "$px" "$py" click 1
  if ! e2e_wait_until 10 focus_handle_is 0; then
    e2e_fail "plain click: 编辑框3 shows '$(main_text "$E2E_ID_FOCUS_BOX")', not 0"
    return
  fi
  # The main window answers again once the pick has ended.
  e2e_probe ping "$E2E_MAIN" 2000 >/dev/null
  if [[ "$(own_edit_texts)" != "$before" ]]; then
    e2e_fail "plain click: the program's own boxes changed"
  elif log_since "$mark" | grep -qE ' (EM_|WM_KEY|SENT)'; then
    e2e_fail "plain click: something reached target_app"
  else
    e2e_pass "plain click on the picker: no target, no nested pick, own boxes untouched"
  fi
}

# The target hangs inside the first send of the pick's delivery.
case_hung_target() {
  local hwnd mark xy worst=0 ms answered=1 pings=0
  hwnd=$(control_field edit hwnd)
  mark=$(log_lines)
  e2e_probe post lyricsub.target_app 0 $HANG_IN_SEND 4000 >/dev/null
  e2e_wait_until 5 log_has " app ARMED 4000" || e2e_fail "hung target: target_app was not armed"
  read -r -a xy <<<"$(centre_of edit)"
  drag_to "${xy[0]}" "${xy[1]}"
  e2e_wait_until 10 log_has " app HANG 4000" || e2e_fail "hung target: the send never came"
  # While the target hangs, the main window keeps answering.
  while ! log_has " app RESUMED"; do
    ms=$(e2e_get ms ping "$E2E_MAIN" 2000)
    pings=$((pings + 1))
    if [[ -z "$ms" ]]; then
      answered=0
      break
    fi
    ((ms > worst)) && worst=$ms
  done
  if ((answered == 0)); then
    e2e_fail "hung target: the main window did not answer within 2 s"
  else
    e2e_pass "hung target: the main window answered $pings pings, slowest ${worst} ms"
    e2e_metric hung_target_slowest_ping "$worst" ms
  fi
  if ! e2e_wait_until 10 focus_handle_is "$hwnd"; then
    e2e_fail "hung target: 编辑框3 shows '$(main_text "$E2E_ID_FOCUS_BOX")'"
  fi
  e2e_probe ping "$E2E_MAIN" 2000 >/dev/null  # the pick has ended
  e2e_probe ping lyricsub.target_app 2000 >/dev/null
  if log_since "$mark" | grep -qE ' edit (EM_REPLACESEL|WM_KEYDOWN|SENT)'; then
    e2e_fail "hung target: text or Enter followed the timed-out send: $(log_since "$mark" | tr '\n' '|')"
  else
    e2e_pass "hung target: after the timed-out send no text and no Enter"
  fi
}

notepad_edit_text() { e2e_get text text "$1"; }
notepad_text_is() { [[ "$(notepad_edit_text "$1")" == "$2" ]]; }

case_notepad() {
  local key=HKCU\\Software\\Microsoft\\Notepad kv handle hex rect previous r
  # Beside the main window, not over it.
  for kv in "iWindowPosX 905" "iWindowPosY 320" "iWindowPosDX 370" "iWindowPosDY 300"; do
    set -- $kv
    wine reg add "$key" /v "$1" /t REG_DWORD /d "$2" /f >/dev/null 2>&1
  done
  env LC_ALL="$E2E_LOCALE" wine notepad >/dev/null 2>&1 &
  if ! e2e_probe wait Notepad 20000 visible >/dev/null; then
    e2e_fail "notepad did not start"
    return
  fi
  rect=$(e2e_probe tree Notepad | sed -n 's/.* class=Edit .*rect=\([0-9]*\) \([0-9]*\) \([0-9]*\) \([0-9]*\).*/\1 \2 \3 \4/p' | head -n 1)
  read -r -a r <<<"$rect"
  previous=$(main_text "$E2E_ID_FOCUS_BOX")
  drag_to $(((r[0] + r[2]) / 2)) $(((r[1] + r[3]) / 2))
  e2e_wait_until 10 focus_handle_changed_from "$previous"
  handle=$(main_text "$E2E_ID_FOCUS_BOX")
  if [[ -z "$handle" || "$handle" == 0 ]]; then
    e2e_fail "notepad: no target (编辑框3 '$handle')"
  else
    hex=$(printf '0x%x' "$handle")
    if e2e_wait_until 10 notepad_text_is "$hex" '字幕准备中.....\r\n'; then
      e2e_pass "notepad: its Edit holds the greeting and the Enter's line break"
    else
      e2e_fail "notepad: its text is '$(notepad_edit_text "$hex")'"
    fi
  fi
  e2e_probe close Notepad >/dev/null
  e2e_probe wait-gone Notepad 10000 >/dev/null
}

# Both programs under an English locale (ANSI code page 1252): the greeting
# still arrives intact, since it crosses as UTF-16.
case_english_locale() {
  local locale=en_US.UTF-8
  stop_target
  e2e_start_app LC_ALL=$locale || { e2e_fail "starts under $locale"; return; }
  e2e_wait_app_ready || { e2e_fail "starts under $locale"; return; }
  e2e_probe wait "$E2E_MAIN" 10000 visible "painted=$E2E_ID_PICKER" >/dev/null
  start_target $locale || return
  case_pick_box edit
}

start_target() {  # LOCALE
  : >"$TARGET_LOG"
  (
    cd "$(dirname "$TARGET_APP")" || exit 1
    exec env LC_ALL="$1" wine "$TARGET_APP" "$(winepath -w "$TARGET_LOG" 2>/dev/null)" --at 905 0
  ) >/dev/null 2>&1 &
  _target_pid=$!
  if ! e2e_wait_until 30 log_has " app CONTROL list "; then
    e2e_fail "target_app starts and logs its controls"
    return 1
  fi
  e2e_probe wait lyricsub.target_app 10000 visible >/dev/null
}

# ---- run ------------------------------------------------------------------------

e2e_start_app || exit 1
e2e_check "the program starts" e2e_wait_app_ready
e2e_probe wait "$E2E_MAIN" 10000 visible "painted=$E2E_ID_PICKER" >/dev/null
start_target "$E2E_LOCALE" || e2e_finish

echo "drags onto target_app"
case_pick_box edit
case_no_target button
case_pick_box rich
case_plain_click
case_pick_box edit
case_no_target list
echo "a target that hangs"
case_hung_target
echo "notepad"
case_notepad
echo "English locale"
case_english_locale

e2e_finish
