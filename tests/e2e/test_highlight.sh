#!/usr/bin/env bash
# End to end: the blinking highlight frame during real drags of the picker.
#
# 1. A real xdotool drag goes from the picker onto target_app's edit box and is
#    held there. Screenshots of the screen around the box, taken while the
#    button is held, must show the two-pixel red frame around it in some and
#    not in others; 编辑框2 must hold the box's handle; the highlight window
#    must sit two pixels outside the box. After the release the highlight
#    window is hidden and stays hidden.
# 2. A drag held over target_app's own window (a top-level window of another
#    process): framed, and inside the frame the still picture of the window
#    shows what the window itself shows.
#
# Run by tests/e2e/run.sh, or on its own: tests/e2e/test_highlight.sh
here="$(cd "$(dirname "$0")" && pwd)"
# shellcheck source=tests/e2e/lib.sh
source "$here/lib.sh"

TARGET_APP="$E2E_BUILD_DIR/target_app.exe"
TARGET_LOG="$E2E_TMP/highlight-target.$$.log"
_target_pid=""

stop_target() {
  [ -n "$_target_pid" ] || return 0
  e2e_probe close lyricsub.target_app >/dev/null 2>&1
  e2e_wait_until 5 bash -c "! kill -0 $_target_pid 2>/dev/null" || kill "$_target_pid" 2>/dev/null
  wait "$_target_pid" 2>/dev/null
  _target_pid=""
}
release_button() { xdotool mouseup 1 2>/dev/null; }
# Runs before the library's own exit handling, which it keeps.
_library_exit_trap="$(trap -p EXIT | sed "s/^trap -- '\(.*\)' EXIT$/\1/")"
cleanup() {
  local status=$?
  release_button
  stop_target
  return $status
}
trap "cleanup; $_library_exit_trap" EXIT

# target_app logs "<t> app CONTROL <name> hwnd=<decimal> id=<id> rect=<l>,<t>,<r>,<b>".
control_field() { sed -n "s/.* app CONTROL $1 .*$2=\([^ ]*\).*/\1/p" "$TARGET_LOG" | head -n 1; }

# The window being framed: BOX_HANDLE and its screen rectangle BOX_L, BOX_T,
# BOX_R, BOX_B (right and bottom exclusive), set by each part of the test.
readonly MARGIN=6

# One screenshot of the area around the box (the frame band plus a margin),
# classified by four points of the frame band, one in the middle of each side:
# "framed" when all four are pure red, "clear" when none is, else "partial"
# (a repaint caught half way). Keeps the file as $1.png among the artefacts.
shot_state() {
  local file="$E2E_ARTIFACTS/$1.png"
  local x0=$((BOX_L - MARGIN)) y0=$((BOX_T - MARGIN))
  local w=$((BOX_R - BOX_L + 2 * MARGIN)) h=$((BOX_B - BOX_T + 2 * MARGIN))
  import -display "$DISPLAY" -window root -crop "${w}x${h}+${x0}+${y0}" +repage "$file" \
    2>/dev/null || { echo error; return; }
  local mx=$(((BOX_L + BOX_R) / 2 - x0)) my=$(((BOX_T + BOX_B) / 2 - y0))
  local left=$((BOX_L - 1 - x0)) right=$((BOX_R - x0)) top=$((BOX_T - 1 - y0)) bottom=$((BOX_B - y0))
  local colours c red=0
  colours="$(convert "$file" -format \
    "%[hex:p{$left,$my}] %[hex:p{$right,$my}] %[hex:p{$mx,$top}] %[hex:p{$mx,$bottom}]" info:)"
  for c in $colours; do [ "$c" = FF0000 ] && red=$((red + 1)); done
  case $red in
    4) echo framed ;;
    0) echo clear ;;
    *) echo partial ;;
  esac
}

# In a screenshot taken by shot_state: whether the red band is exactly two
# pixels wide on every side (red at 1 and 2 pixels outside the box, not at 3
# outside nor at the box's own edge, where the flash canvas begins).
frame_is_two_pixels() {
  local file="$E2E_ARTIFACTS/$1.png"
  local x0=$((BOX_L - MARGIN)) y0=$((BOX_T - MARGIN))
  local mx=$(((BOX_L + BOX_R) / 2 - x0)) my=$(((BOX_T + BOX_B) / 2 - y0))
  local l=$((BOX_L - x0)) r=$((BOX_R - 1 - x0)) t=$((BOX_T - y0)) b=$((BOX_B - 1 - y0))
  local points="" d
  for d in 3 2 1 0; do  # pixels outside the box's edge; 0 is the edge itself
    points+="%[hex:p{$((l - d)),$my}] %[hex:p{$((r + d)),$my}] "
    points+="%[hex:p{$mx,$((t - d))}] %[hex:p{$mx,$((b + d))}] "
  done
  local -a c
  read -r -a c <<<"$(convert "$file" -format "$points" info:)"
  local i
  for i in 0 1 2 3; do
    [ "${c[i]}" != FF0000 ] && [ "${c[4 + i]}" = FF0000 ] && [ "${c[8 + i]}" = FF0000 ] &&
      [ "${c[12 + i]}" != FF0000 ] || return 1
  done
}

# take_shots PREFIX N: screenshots over several periods, until both states have
# been seen N times or 30 s have passed. Sets framed, clear, first_framed and
# first_clear.
take_shots() {
  local prefix="$1" want="$2" partial=0 shots=0 state deadline
  framed=0 clear=0 first_framed="" first_clear=""
  deadline=$(($(e2e_now_ms) + 30000))
  while ((framed < want || clear < want)) && (($(e2e_now_ms) < deadline)); do
    shots=$((shots + 1))
    state="$(shot_state "$prefix-$shots")"
    case $state in
      framed)
        framed=$((framed + 1))
        [ -z "$first_framed" ] && first_framed="$prefix-$shots"
        ;;
      clear)
        clear=$((clear + 1))
        [ -z "$first_clear" ] && first_clear="$prefix-$shots"
        ;;
      *) partial=$((partial + 1)) ;;
    esac
  done
  e2e_log "  $shots screenshots: $framed framed, $clear clear, $partial partial"
}

# drag_onto X Y: presses on the picker and moves to the point in steps,
# holding the button.
drag_onto() {
  local picker_x picker_y step
  read -r picker_x picker_y <<<"$(e2e_get center control "$E2E_MAIN" "$E2E_ID_PICKER")"
  xdotool mousemove --sync "$picker_x" "$picker_y"
  xdotool mousedown 1
  for step in 1 2 3 4; do
    xdotool mousemove --sync $((picker_x + ($1 - picker_x) * step / 4)) \
      $((picker_y + ($2 - picker_y) * step / 4))
  done
}

highlight_field() { e2e_get "$1" window "$E2E_HIGHLIGHT"; }
highlight_visible() { [ "$(highlight_field visible)" = 1 ]; }
highlight_hidden() { [ "$(highlight_field visible)" = 0 ]; }
hover_box_text() { e2e_get text text "$E2E_MAIN" "$E2E_ID_HOVER_BOX"; }

# ---- the program and the target program --------------------------------------

# Wine without a window manager waits up to 2 s in every hide of a window it
# lets the window manager handle, which an activated pop-up such as the
# highlight window becomes; the frame would then stay on for 2 s instead of one
# period. Windows has no such wait. Telling Wine that no window of lyricsub.exe
# is window-managed (idempotent, for this program only) removes it.
wine reg add 'HKCU\Software\Wine\AppDefaults\lyricsub.exe\X11 Driver' /v Managed /d N /f \
  >/dev/null 2>&1

e2e_start_app || exit 1
e2e_check "the program starts" e2e_wait_app_ready

(
  cd "$(dirname "$TARGET_APP")" || exit 1
  # Top left, clear of the main window's middle and wholly on the screen with
  # a frame around it.
  exec env LC_ALL="$E2E_LOCALE" wine "$TARGET_APP" "$(winepath -w "$TARGET_LOG" 2>/dev/null)" \
    --at 10 10
) >/dev/null 2>&1 &
_target_pid=$!
if ! e2e_wait_until 30 grep -qs ' app CONTROL list ' "$TARGET_LOG"; then
  e2e_fail "target_app starts and logs its controls"
  e2e_finish
fi
e2e_probe wait lyricsub.target_app 10000 visible >/dev/null

# ---- 1. holding the drag over the edit box ------------------------------------

BOX_HANDLE="$(control_field edit hwnd)"
IFS=, read -r BOX_L BOX_T BOX_R BOX_B <<<"$(control_field edit rect)"
e2e_log "  edit box $BOX_HANDLE at $BOX_L,$BOX_T,$BOX_R,$BOX_B"
drag_onto $(((BOX_L + BOX_R) / 2)) $(((BOX_T + BOX_B) / 2))

e2e_check "编辑框2 holds the box's handle while dragging" \
  e2e_wait_value 10 "$BOX_HANDLE" text text "$E2E_MAIN" "$E2E_ID_HOVER_BOX"
e2e_check "the highlight window shows during the drag" e2e_wait_until 10 highlight_visible
e2e_expect_eq "the highlight window lies two pixels outside the box" \
  "$((BOX_L - 2)) $((BOX_T - 2)) $((BOX_R + 2)) $((BOX_B + 2))" "$(highlight_field rect)"

take_shots highlight-edit 2
e2e_check "some screenshots show the red frame around the box" test "$framed" -ge 2
e2e_check "others show it without the frame" test "$clear" -ge 2
e2e_check "the frame is two pixels wide on every side" frame_is_two_pixels "$first_framed"

# The hiding ticks find the highlight window's own canvas under the mouse; the
# handle shown stays the box's.
e2e_expect_eq "编辑框2 still holds the box's handle" "$BOX_HANDLE" "$(hover_box_text)"

release_button
e2e_check "the highlight window is hidden after the release" e2e_wait_until 10 highlight_hidden
# The pick that follows the release ends with 编辑框3 set.
e2e_check "the pick after the release completes" \
  e2e_wait_value 15 "$BOX_HANDLE" text text "$E2E_MAIN" "$E2E_ID_FOCUS_BOX"

# The flash timer is stopped: over several more periods the frame never returns.
shown_again=0
observe_until=$(($(e2e_now_ms) + 1200))
while (($(e2e_now_ms) < observe_until)); do
  highlight_visible && shown_again=1
done
e2e_expect_eq "the frame does not come back after the release" 0 "$shown_again"
e2e_expect_eq "a screenshot after the release shows no frame" clear \
  "$(shot_state highlight-after-release)"

# ---- 2. holding the drag over the target program's window itself --------------

BOX_HANDLE="$(sed -n 's/.* app READY .*window=\([0-9]*\).*/\1/p' "$TARGET_LOG" | head -n 1)"
read -r BOX_L BOX_T BOX_R BOX_B <<<"$(e2e_get rect window lyricsub.target_app)"
e2e_log "  target window $BOX_HANDLE at $BOX_L,$BOX_T,$BOX_R,$BOX_B"
# A bare spot of its client area: right of the list box, below the button.
IFS=, read -r _ _ list_r list_b <<<"$(control_field list rect)"
drag_onto $((list_r + 40)) $((list_b - 10))

e2e_check "编辑框2 holds the window's handle while dragging over it" \
  e2e_wait_value 10 "$BOX_HANDLE" text text "$E2E_MAIN" "$E2E_ID_HOVER_BOX"
take_shots highlight-window 1
e2e_check "the window is framed and not framed in turn" test "$framed" -ge 1 -a "$clear" -ge 1

# Inside the frame the flash canvas shows the window's still picture: the
# button and list box area looks as it does with the frame hidden, and is not
# an empty (black or white) canvas.
IFS=, read -r btn_l btn_t _ _ <<<"$(control_field button rect)"
area="$((list_r - btn_l))x$((list_b - btn_t))+$((btn_l - BOX_L + MARGIN))+$((btn_t - BOX_T + MARGIN))"
picture_matches_window() {
  local a="$E2E_TMP/framed-area.png" b="$E2E_TMP/clear-area.png" differing std
  convert "$E2E_ARTIFACTS/$first_framed.png" -crop "$area" +repage "$a" || return 1
  convert "$E2E_ARTIFACTS/$first_clear.png" -crop "$area" +repage "$b" || return 1
  differing="$(compare -metric AE "$a" "$b" null: 2>&1)"
  std="$(convert "$a" -format '%[fx:standard_deviation]' info:)"
  e2e_log "  picture area $area: $differing pixels differ, deviation $std"
  [ "$differing" = 0 ] && awk -v s="$std" 'BEGIN { exit !(s > 0.02) }'
}
if [ -n "$first_framed" ] && [ -n "$first_clear" ]; then
  e2e_check "the picture inside the frame shows the window" picture_matches_window
fi

release_button
e2e_check "the highlight window is hidden after the second release" \
  e2e_wait_until 10 highlight_hidden

stop_target
e2e_finish
