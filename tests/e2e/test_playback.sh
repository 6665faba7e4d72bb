#!/usr/bin/env bash
# Playback end to end: a GBK lyrics file of a dozen lines over three minutes
# is dropped onto the lyrics table, target_app's Edit box is picked with a
# real drag, and "播放字幕" is clicked. Every line must reach the box in file
# time order, with its text, no earlier than its tag and soon after it
# (measured from the click, with target_app's QueryPerformanceCounter times),
# and "字幕完毕了" must appear after the last line.
source "$(dirname "$0")/lib.sh"

DRIVER="$E2E_BUILD_DIR/playback_driver.exe"
TARGET_APP="$E2E_BUILD_DIR/target_app.exe"
WORK="$(mktemp -d /tmp/test_playback.XXXXXX)"
TARGET_LOG="$WORK/target.log"
LYRICS="$WORK/歌词.lrc"
# A line may arrive this much after its tag on a loaded test machine (a clock
# that counted 15.6 ms timer messages as 10 ms would be a minute late by the
# end); the lateness figures themselves are reported as metrics.
MAX_LATENESS_MS=${E2E_MAX_LATENESS_MS:-1000}

target_pid=""
cleanup_playback() {
  [ -n "$target_pid" ] && kill "$target_pid" 2>/dev/null
  rm -rf "$WORK"
}
# Runs before whatever lib.sh set up to happen at exit.
lib_exit_trap="$(trap -p EXIT | sed "s/^trap -- '\(.*\)' EXIT\$/\1/")"
trap "cleanup_playback; ${lib_exit_trap:-true}" EXIT

value_of() { awk -v k="$1=" 'index($0, k) == 1 { print substr($0, length(k) + 1); exit }'; }

# ---- the lyrics file: GBK, CR LF, the forms the reader accepts -------------
# Tag time in hundredths and the text each delivery must carry, in order.
expected_times=(0 350 1500 3025 4550 6000 7512 9000 9000 12000 14000 16000 18000)
expected_texts=("第零句 开始" "第一句" "副歌 两个时间" "第三句" "第四句 一位小数"
  "第五句 没有小数" "第六句 三位小数" "第七句 原文" "第七句 译文" "逐字"
  "第九句" "副歌 两个时间" "最后一句")
printf '%s\r\n' "[ti:端到端测试]" "[ar:lyricsub]" "[offset:+100]" "" \
  "[00:00.00]第零句 开始" "[00:03.50]第一句" "[00:15.00][02:40.00]副歌 两个时间" \
  "[00:30.25]第三句" "[00:45.5]第四句 一位小数" "[01:00]第五句 没有小数" \
  "[01:15.123]第六句 三位小数" "[01:30.00]第七句 原文" "[01:30.00]第七句 译文" \
  "[02:00.00]<02:00.00>逐<02:00.50>字" "[02:20.00]第九句" "[03:00.00]最后一句" |
  iconv -f UTF-8 -t GBK >"$LYRICS"

# ---- the program and the target --------------------------------------------
echo "start-up"
e2e_start_app || { e2e_fail "lyricsub starts"; e2e_finish; }
e2e_check "the main window appears" e2e_wait_app_ready 30000

env LC_ALL="$E2E_LOCALE" wine "$TARGET_APP" "$(winepath -w "$TARGET_LOG")" >/dev/null 2>&1 &
target_pid=$!
e2e_check "target_app is ready" e2e_wait_until 30 grep -qs " app CONTROL edit " "$TARGET_LOG"

echo "load"
table_centre="$(e2e_get center control "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE")"
# shellcheck disable=SC2086
e2e_check "the file is dropped onto the lyrics table" \
  env LC_ALL="$E2E_LOCALE" wine "$DRIVER" drop "$(winepath -w "$LYRICS")" $table_centre
rows() { e2e_get rows listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE"; }
e2e_check "the table holds the file's 16 lines" e2e_wait_value 10 16 rows listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE"

echo "pick"
edit_field() { sed -n "s/.* app CONTROL edit .*$1=\([^ ]*\).*/\1/p" "$TARGET_LOG" | head -n 1; }
IFS=, read -r -a edit_rect <<<"$(edit_field rect)"
edit_x=$(((edit_rect[0] + edit_rect[2]) / 2))
edit_y=$(((edit_rect[1] + edit_rect[3]) / 2))
read -r picker_x picker_y <<<"$(e2e_get center control "$E2E_MAIN" "$E2E_ID_PICKER")"
xdotool mousemove "$picker_x" "$picker_y" mousedown 1
for step in 1 2 3 4; do
  xdotool mousemove $((picker_x + (edit_x - picker_x) * step / 4)) \
    $((picker_y + (edit_y - picker_y) * step / 4))
  sleep 0.1 # a hand's pace: the flash timer ticks while dragging
done
xdotool mouseup 1
e2e_check "the Edit box is the target" \
  e2e_wait_value 10 "$(edit_field hwnd)" text text "$E2E_MAIN" "$E2E_ID_FOCUS_BOX"
e2e_check "the pick's greeting was sent" e2e_wait_until 10 grep -q " edit SENT 字幕准备中" "$TARGET_LOG"

echo "play"
click="$(wine "$DRIVER" click "$E2E_MAIN" "$E2E_ID_PLAY_BUTTON" | tr -d '\r')"
click_us="$(value_of before_us <<<"$click")"
e2e_check "play clicked" test -n "$click_us"
e2e_expect_eq "the button reads 停止播放" "停止播放" "$(e2e_control_text "$E2E_ID_PLAY_BUTTON")"
app_pid="$(e2e_get pid window "$E2E_MAIN")"
message_box() { e2e_probe windows "$app_pid" | grep ' class=#32770 ' | grep ' title=信息：' | head -n 1; }
message_box_shown() { [ -n "$(message_box)" ]; }
message_box_gone() { [ -z "$(message_box)" ]; }
e2e_check "the closing message appears after about three minutes" \
  e2e_wait_until 240 message_box_shown
# The box comes after the last line has gone into the box (its Enter is posted
# and may be handled a moment later).
e2e_check "the last line was delivered before the message appeared" \
  grep -q " edit EM_REPLACESEL 1 最后一句" "$TARGET_LOG"

# ---- what the target received ------------------------------------------------
sent="$(awk -v t0="$click_us" '$2 == "edit" && $3 == "SENT" && $1 >= t0' "$TARGET_LOG")"
got_texts="$(cut -d' ' -f4- <<<"$sent")"
want_texts="$(printf '%s\n' "${expected_texts[@]}")"
e2e_expect_eq "every line, in order, with its text" "$want_texts" "$got_texts"

lateness="$(paste -d' ' <(printf '%s\n' "${expected_times[@]}") <(cut -d' ' -f1 <<<"$sent") |
  awk -v t0="$click_us" 'NF == 2 { printf "%d\n", ($2 - t0 - $1 * 10000) / 1000 }')"
echo "  lateness per line (ms): $(tr '\n' ' ' <<<"$lateness")"
replaced="$(awk -v t0="$click_us" '$2 == "edit" && $3 == "EM_REPLACESEL" && $1 >= t0 { print $1 }' "$TARGET_LOG")"
echo "  text in the box, per line (ms after its tag): $(paste -d' ' <(printf '%s\n' "${expected_times[@]}") <(printf '%s\n' "$replaced") |
  awk -v t0="$click_us" 'NF == 2 { printf "%d ", ($2 - t0 - $1 * 10000) / 1000 }')"
min_ms="$(sort -n <<<"$lateness" | head -n 1)"
max_ms="$(sort -n <<<"$lateness" | tail -n 1)"
mean_ms="$(awk '{ s += $1 } END { if (NR) printf "%.1f", s / NR }' <<<"$lateness")"
e2e_check "no line before its time (earliest ${min_ms} ms)" test "${min_ms:--1}" -ge 0
e2e_check "no line later than ${MAX_LATENESS_MS} ms (latest ${max_ms} ms)" \
  test "${max_ms:-999999}" -le "$MAX_LATENESS_MS"
e2e_metric playback_lateness_mean "$mean_ms" ms
e2e_metric playback_lateness_max "$max_ms" ms

# ---- the end -------------------------------------------------------------------
box="$(message_box)"
box_handle="$(sed -n 's/.*hwnd=\([^ ]*\).*/\1/p' <<<"$box")"
e2e_expect_match "the message reads 字幕完毕了" "text=字幕完毕了" "$(e2e_probe tree "$box_handle")"
last_sent_us="$(tail -n 1 <<<"$sent" | cut -d' ' -f1)"
e2e_expect_eq "the clock stopped at the last line" "03:00.00" "$(e2e_control_text "$E2E_ID_CLOCK_BOX")"
e2e_expect_eq "the button still reads 停止播放" "停止播放" "$(e2e_control_text "$E2E_ID_PLAY_BUTTON")"
e2e_expect_eq "the lyric box reads 字幕准备中。。。。" "字幕准备中。。。。" \
  "$(e2e_control_text "$E2E_ID_LYRIC_BOX")"
e2e_check "nothing was sent after the last line" \
  test "$(awk -v t="$last_sent_us" '$2 == "edit" && $3 == "SENT" && $1 > t' "$TARGET_LOG" | wc -l)" -eq 0
e2e_probe send "$box_handle" 0 0x0111 1 0 >/dev/null # WM_COMMAND IDOK closes the box
e2e_check "the message box closes" e2e_wait_until 10 message_box_gone
cp "$TARGET_LOG" "$E2E_ARTIFACTS/playback_target.log"
echo "  play clicked at ${click_us} us; target log: $E2E_ARTIFACTS/playback_target.log"

e2e_finish
