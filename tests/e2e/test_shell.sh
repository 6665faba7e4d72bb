#!/usr/bin/env bash
# The application shell seen from outside: the state right after start-up,
# the on-top box under mouse and keyboard, Escape, closing with exit code 0
# (also while the clock runs), and the captions under a non-Chinese locale.
source "$(dirname "$0")/lib.sh"

title="YYLirvo语音平台自动字幕 - 支持YY IS "

# ---- start-up --------------------------------------------------------------
echo "start-up"
if ! e2e_start_app_measured; then
  e2e_fail "the main window appears within 30 s" "$(cat "$E2E_APP_LOG" 2>/dev/null)"
  e2e_finish
fi
e2e_pass "the main window appears"
e2e_metric startup_to_first_paint "$E2E_STARTUP_MS" ms

# Everything about the state after start-up in one probe start.
state="$(e2e_probe multi window "$E2E_MAIN" -- screen -- \
  text "$E2E_MAIN" "$E2E_ID_CLOCK_BOX" -- checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX" -- \
  control "$E2E_MAIN" "$E2E_ID_LYRIC_BOX" -- listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE" -- \
  listbox "$E2E_MAIN" "$E2E_ID_FILE_LIST" -- window "$E2E_HIGHLIGHT" -- \
  ping "$E2E_MAIN" 2000 -- resources "$E2E_MAIN")"
main="$(e2e_section "$state" 0)"
value() { e2e_value "$main" "$1"; }
screen="$(e2e_value "$(e2e_section "$state" 1)" screen)"
read -r screen_width screen_height <<<"$screen"
read -r left top _ _ <<<"$(value rect)"

e2e_expect_eq "title" "$title" "$(value title)"
e2e_expect_eq "outer size 522 x 614" "522 614" "$(value size)"
e2e_expect_eq "centred on the primary screen ($screen)" \
  "$(((screen_width - 522) / 2)) $(((screen_height - 614) / 2))" "$left $top"
e2e_expect_eq "top-most" 1 "$(value topmost)"
e2e_expect_eq "has a taskbar button" 1 "$(value taskbar)"
e2e_expect_match "caption and system menu" 'WS_SYSMENU' "$(value style_names)"
e2e_check "no minimise or maximise button, no sizing frame" \
  bash -c '! grep -qE "WS_MINIMIZEBOX|WS_MAXIMIZEBOX|WS_THICKFRAME" <<<"$1"' _ "$(value style_names)"
e2e_expect_eq "clock box reads 00:00.00" "00:00.00" "$(e2e_value "$(e2e_section "$state" 2)" text)"
e2e_expect_eq "on-top box checked" 1 "$(e2e_value "$(e2e_section "$state" 3)" checked)"
e2e_expect_eq "lyric box hidden" 0 "$(e2e_value "$(e2e_section "$state" 4)" visible)"

e2e_expect_eq "lyrics table empty, columns 延时 0 px and 歌词 400 px" \
  $'rows=0\ncolumns=2\ncolumn[0].width=0\ncolumn[0].title=延时\ncolumn[1].width=400\ncolumn[1].title=歌词\nselected=' \
  "$(e2e_section "$state" 5 | grep -E '^(rows|columns|column\[[01]\]\.(width|title)|selected)=')"
e2e_expect_eq "lyrics file list empty, nothing selected" $'count=0\nselection=-1' \
  "$(e2e_section "$state" 6 | grep -E '^(count|selection)=')"

highlight="$(e2e_section "$state" 7)"
e2e_check "highlight window exists" test -n "$(e2e_value "$highlight" hwnd)"
e2e_expect_eq "highlight window hidden, owned by the main window, no taskbar button" \
  $'visible=0\nowner='"$(value hwnd)"$'\ntaskbar=0' \
  "$(grep -E '^(visible|owner|taskbar)=' <<<"$highlight")"
e2e_expect_eq "highlight window borderless pop-up" "380 105 380 105" \
  "$(e2e_value "$highlight" size) $(e2e_value "$highlight" client)"
e2e_expect_eq "answers messages" 1 "$(e2e_value "$(e2e_section "$state" 8)" responsive)"

e2e_check "screenshot of the main window" e2e_screenshot shell_main_window

# Windows' private bytes are not reported by Wine; the Linux side tells what
# the process holds privately (anonymous resident memory).
resources="$(e2e_section "$state" 9)"
e2e_metric working_set "$(($(e2e_value "$resources" working_set_bytes) / 1024))" KiB
e2e_metric private_bytes_windows "$(($(e2e_value "$resources" private_bytes) / 1024))" KiB
e2e_metric private_anonymous_resident_linux \
  "$(awk '/^RssAnon:/ { print $2 }' "/proc/$E2E_APP_UNIX_PID/status" 2>/dev/null)" KiB
e2e_metric exe_size "$(stat -c %s "$E2E_APP")" bytes

# ---- the on-top box --------------------------------------------------------
echo "on-top box"
e2e_click_control "$E2E_ID_ON_TOP_BOX"
e2e_check "one click clears the check mark" \
  e2e_wait_value 5 0 checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX"
e2e_expect_eq "one click ends top-most" 0 "$(e2e_get topmost window "$E2E_MAIN")"

e2e_click_control "$E2E_ID_ON_TOP_BOX"
e2e_check "a second click checks it again" \
  e2e_wait_value 5 1 checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX"
e2e_expect_eq "a second click makes it top-most again" 1 "$(e2e_get topmost window "$E2E_MAIN")"

# The clicked box has the focus: the space bar toggles the mark only.
e2e_expect_eq "the clicked box has the keyboard focus" "$E2E_ID_ON_TOP_BOX" \
  "$(e2e_get focus_id focus "$E2E_MAIN")"
e2e_key space
e2e_check "space clears the check mark" \
  e2e_wait_value 5 0 checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX"
e2e_expect_eq "space leaves the window top-most" 1 "$(e2e_get topmost window "$E2E_MAIN")"

# Escape, then a key whose effect can be seen: once the space has acted, the
# Escape before it has been handled too.
e2e_key Escape space
e2e_check "space after Escape checks the box again" \
  e2e_wait_value 5 1 checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX"
e2e_check "Escape leaves the main window open" e2e_app_running
e2e_expect_eq "Escape leaves the main window visible" 1 "$(e2e_get visible window "$E2E_MAIN")"

# Enter does not move the focus on: the space after it still reaches the box.
e2e_key Return space
e2e_check "space after Enter clears the mark of the same box" \
  e2e_wait_value 5 0 checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX"
e2e_expect_eq "Enter leaves the focus on the box" "$E2E_ID_ON_TOP_BOX" \
  "$(e2e_get focus_id focus "$E2E_MAIN")"
e2e_key space
e2e_check "space checks it again" \
  e2e_wait_value 5 1 checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX"

# Toggle on top runs on the press; the mark changes only on a release over
# the box.
read -r box_x box_y <<<"$(e2e_get center control "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX")"
e2e_drag "$box_x" "$box_y" "$box_x" "$((box_y + 60))"
e2e_check "press on the box, release outside: top-most ends" \
  e2e_wait_value 5 0 topmost window "$E2E_MAIN"
e2e_expect_eq "press on the box, release outside: still checked" 1 \
  "$(e2e_get checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX")"
e2e_click_control "$E2E_ID_ON_TOP_BOX"
e2e_check "the next click clears the mark" \
  e2e_wait_value 5 0 checked checked "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX"
e2e_expect_eq "and leaves the window not top-most" 0 "$(e2e_get topmost window "$E2E_MAIN")"

# ---- closing while the clock runs -------------------------------------------
echo "closing"
e2e_click_control "$E2E_ID_PLAY_BUTTON"
clock_runs() { [ "$(e2e_control_text "$E2E_ID_CLOCK_BOX")" != "00:00.00" ]; }
e2e_check "the play button starts the clock" e2e_wait_until 5 clock_runs
e2e_probe close "$E2E_MAIN" >/dev/null
e2e_expect_eq "closing while the clock runs exits with 0" 0 "$(e2e_app_exit_code 15)"
e2e_check "no window of the program is left" \
  bash -c '! grep -q "class=lyricsub" <<<"$1"' _ "$(e2e_probe windows)"

# ---- another system locale ---------------------------------------------------
echo "English locale"
if e2e_start_app LC_ALL=en_US.UTF-8 && e2e_wait_app_ready; then
  e2e_pass "starts under LC_ALL=en_US.UTF-8"
  english="$(LC_ALL=en_US.UTF-8 e2e_probe multi screen -- window "$E2E_MAIN" -- \
    text "$E2E_MAIN" "$E2E_ID_ON_TOP_BOX" -- text "$E2E_MAIN" "$E2E_ID_PLAY_BUTTON" -- \
    listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE")"
  e2e_expect_eq "the system code page is not 936 there" 1252 \
    "$(e2e_value "$(e2e_section "$english" 0)" ansi_code_page)"
  e2e_expect_eq "title reads right" "$title" "$(e2e_value "$(e2e_section "$english" 1)" title)"
  e2e_expect_eq "on-top box caption reads right" "是否将窗口显示在最前" \
    "$(e2e_value "$(e2e_section "$english" 2)" text)"
  e2e_expect_eq "play button caption reads right" "播放字幕" \
    "$(e2e_value "$(e2e_section "$english" 3)" text)"
  e2e_expect_eq "lyrics table column reads right" "歌词" \
    "$(e2e_value "$(e2e_section "$english" 4)" 'column[1].title')"
  e2e_check "screenshot under the English locale" e2e_screenshot shell_main_window_en_US
  e2e_probe close "$E2E_MAIN" >/dev/null
  e2e_expect_eq "closing exits with 0" 0 "$(e2e_app_exit_code 15)"
else
  e2e_fail "starts under LC_ALL=en_US.UTF-8" "$(cat "$E2E_APP_LOG" 2>/dev/null)"
fi

e2e_finish
