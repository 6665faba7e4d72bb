#!/usr/bin/env bash
# Lyrics seen from outside: browsing through the real folder dialog (the
# program's windows disabled meanwhile), the scan's list (depth first, dot
# folders skipped, a folder named *.lrc entered, a link cycle ended),
# selecting an entry from a sub-folder, the rows read back from the table,
# and files (and a text) dragged onto the table and onto another control.
source "$(dirname "$0")/lib.sh"

E2E_DRIVER="${E2E_DRIVER:-$E2E_BUILD_DIR/lyrics_driver.exe}"
E2E_DRAG_SOURCE="${E2E_DRAG_SOURCE:-$E2E_BUILD_DIR/drag_source.exe}"
driver() { wine "$E2E_DRIVER" "$@" 2>/dev/null; }
driver_get() {
  local key="$1"
  shift
  driver "$@" | awk -v k="$key=" 'index($0, k) == 1 { print substr($0, length(k) + 1); exit }'
}

# ---- the folders, inside the prefix's drive C: -------------------------------
base_name=lyricsub-e2e-lyrics
base="$WINEPREFIX/drive_c/$base_name"
win_base="C:\\$base_name"
rm -rf "$base"
mkdir -p "$base"/tree/old/deeper "$base"/tree/.cache "$base"/tree/song.lrc "$base"/drop/folder
printf '[00:01.00]a\r\n' >"$base/tree/a.lrc"
printf '[00:01.00]b\r\n' >"$base/tree/b.LRC"
printf 'not lyrics\r\n' >"$base/tree/notes.txt"
printf '[00:01.00]c\r\n' >"$base/tree/old/c.lrc"
# UTF-8 with line feeds only, a character code page 936 lacks (é is in it;
# 😀 is not) and a line that begins with spaces.
printf '[ti:中文歌名]\n[00:01.50]你好，世界 😀\n\n  [00:02.00]第二句\n' >"$base/tree/old/deeper/d.lrc"
printf '[00:01.00]x\r\n' >"$base/tree/.cache/x.lrc"
printf '[00:01.00]inside\r\n' >"$base/tree/song.lrc/inside.lrc"
ln -s .. "$base/tree/old/back"   # leads back to the chosen folder
ln -s . "$base/tree/self"
# GBK bytes as they are, with 嘯 (second byte "[").
printf '[00:01.00]one\r\n[00:02.00]\xe5\x98\xaf two\r\n[00:03.00]three\r\n' |
  iconv -f UTF-8 -t GBK >"$base/drop/one.lrc"
printf '[00:09.00]other\r\n' >"$base/drop/other.txt"

folder_box() { e2e_control_text "$E2E_ID_FOLDER_BOX"; }
list_items() { e2e_probe listbox "$E2E_MAIN" "$E2E_ID_FILE_LIST" | sed -n 's/^item\[[0-9]*\]=//p'; }
list_count() { e2e_get count listbox "$E2E_MAIN" "$E2E_ID_FILE_LIST"; }
table_rows() { e2e_get rows listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE"; }
dialog_gone() { e2e_probe wait-gone "$1" 10000 >/dev/null; }
table_cells() { e2e_probe listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE" | grep -E '^(rows|cell\[)'; }

# Clicks "浏览" and waits for the folder dialog; sets dialog.
open_dialog() {
  e2e_click_control "$E2E_ID_BROWSE_BUTTON" || return 1
  dialog_answer="$(driver dialog 15000)" || return 1
  dialog="$(sed -n 's/^dialog=//p' <<<"$dialog_answer")"
  [ -n "$dialog" ]
}

# Drags with drag_source.exe from its window to the screen point X Y.
# Sets drag_answer to what the source reports.
drag_to() {
  local x="$1" y="$2" out
  shift 2
  out="$E2E_TMP/drag.$(e2e_now_ms)"
  wine "$E2E_DRAG_SOURCE" "$@" >"$out" 2>/dev/null &
  local source_pid=$!
  e2e_probe wait lyricsub.drag_source 15000 visible >/dev/null || return 1
  _e2e_space_clicks
  xdotool mousemove --sync 60 60 mousedown 1
  e2e_wait_until 10 grep -q '^dragging=1' "$out" || return 1
  local step
  for step in 1 2 3 4 5 6 7 8; do
    xdotool mousemove --sync $((60 + (x - 60) * step / 8)) $((60 + (y - 60) * step / 8))
  done
  xdotool mouseup 1
  _e2e_last_click_ms=$(e2e_now_ms)
  e2e_wait_until 15 grep -q '^effect=' "$out" || return 1
  wait "$source_pid" 2>/dev/null
  drag_answer="$(cat "$out")"
}

echo "start-up"
if ! e2e_start_app || ! e2e_wait_app_ready; then
  e2e_fail "the main window appears" "$(cat "$E2E_APP_LOG" 2>/dev/null)"
  e2e_finish
fi
main_hwnd="$(e2e_get hwnd window "$E2E_MAIN")"

# ---- browse ------------------------------------------------------------------
echo "browse through the folder dialog"
if ! open_dialog; then
  e2e_fail "the folder dialog opens on 浏览"
  e2e_finish
fi
e2e_pass "the folder dialog opens on 浏览"
e2e_expect_eq "the prompt is shown" "static=请选择文件目录" "$(grep '^static=' <<<"$dialog_answer")"
e2e_expect_eq "owned by the main window" "owner=$main_hwnd" "$(grep '^owner=' <<<"$dialog_answer")"
e2e_expect_eq "the main window is disabled while the dialog is open" 0 "$(e2e_get enabled window "$E2E_MAIN")"
e2e_expect_eq "the list was emptied before the dialog" 0 "$(list_count)"
e2e_expect_eq "the tree view reaches the folder" "selected=tree" \
  "$(driver select "$dialog" "$win_base\\tree" | grep '^selected=')"
e2e_click_control 1 "$dialog"   # OK
e2e_check "the dialog closes" dialog_gone "$dialog"
e2e_check "the scan lists five files" e2e_wait_value 20 5 count listbox "$E2E_MAIN" "$E2E_ID_FILE_LIST"
items="$(list_items | tr '\n' ' ')"
e2e_expect_match "the chosen folder's files first, in enumeration order" '^(a\.lrc b\.LRC|b\.LRC a\.lrc) ' "$items"
e2e_expect_match "depth first: old's file, then the folder below it" 'c\.lrc d\.lrc' "$items"
e2e_expect_match "the folder named song.lrc is entered, not listed" 'inside\.lrc' "$items"
e2e_check "no .cache entry, no notes.txt, no second visit through the links" \
  bash -c '! grep -qE "x\.lrc|notes|song\.lrc " <<<"$1"' _ "$items"
e2e_expect_eq "the folder box shows the folder" "${win_base//\\/\\\\}\\\\tree" "$(folder_box)"
e2e_expect_eq "the main window is enabled again" 1 "$(e2e_get enabled window "$E2E_MAIN")"
e2e_expect_eq "the main window is in the foreground again" "$main_hwnd" "$(e2e_get hwnd foreground)"

# ---- select an entry from a sub-sub-folder -----------------------------------
echo "select an entry"
index=-1
i=0
while read -r name; do
  [ "$name" = d.lrc ] && index=$i
  i=$((i + 1))
done < <(list_items)
center="$(driver_get center item-center "$E2E_MAIN" "$E2E_ID_FILE_LIST" "$index")"
# shellcheck disable=SC2086
e2e_click $center
e2e_check "the table fills" e2e_wait_value 10 4 rows listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE"
e2e_expect_eq "rows of the UTF-8 file with line feeds, converted" \
  "$(printf '%s\n' 'rows=4' 'cell[0][0]=ti:中文歌名' 'cell[0][1]=[ti:中文歌名]' \
    'cell[1][0]=00:01.50' 'cell[1][1]=[00:01.50]你好，世界 ?' 'cell[2][0]=' 'cell[2][1]=' \
    'cell[3][0]=00:02.00' 'cell[3][1]=  [00:02.00]第二句')" "$(table_cells)"
e2e_check "screenshot with the table filled" e2e_screenshot lyrics_table_filled

# ---- drops ----------------------------------------------------------------------
echo "drop files"
table_center="$(e2e_get center control "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE")"
list_center="$(e2e_get center control "$E2E_MAIN" "$E2E_ID_FILE_LIST")"
one_rows="$(printf '%s\n' 'rows=3' 'cell[0][0]=00:01.00' 'cell[0][1]=[00:01.00]one' \
  'cell[1][0]=00:02.00' 'cell[1][1]=[00:02.00]嘯 two' 'cell[2][0]=00:03.00' 'cell[2][1]=[00:03.00]three')"

# shellcheck disable=SC2086
if drag_to $table_center "$win_base\\drop\\one.lrc"; then
  e2e_expect_eq "one file onto the table: taken as a copy" "effect=1" "$(grep '^effect=' <<<"$drag_answer")"
  e2e_expect_eq "one file onto the table: its rows" "$one_rows" "$(table_cells)"
else
  e2e_fail "one file dragged onto the table" "${drag_answer:-no answer}"
fi

# shellcheck disable=SC2086
if drag_to $list_center "$win_base\\drop\\other.txt"; then
  e2e_expect_eq "onto the file list: refused" "effect=0" "$(grep '^effect=' <<<"$drag_answer")"
  e2e_expect_eq "onto the file list: the table keeps its rows" "$one_rows" "$(table_cells)"
else
  e2e_fail "a file dragged onto the file list" "${drag_answer:-no answer}"
fi

# shellcheck disable=SC2086
if drag_to $table_center --text "[00:01.00]text"; then
  e2e_expect_eq "a text onto the table: refused" "effect=0" "$(grep '^effect=' <<<"$drag_answer")"
  e2e_expect_eq "a text onto the table: the table keeps its rows" "$one_rows" "$(table_cells)"
else
  e2e_fail "a text dragged onto the table" "${drag_answer:-no answer}"
fi

# shellcheck disable=SC2086
if drag_to $table_center "$win_base\\drop\\one.lrc" "$win_base\\drop\\other.txt"; then
  e2e_expect_eq "two files onto the table: an empty table" "rows=0" "$(table_cells)"
else
  e2e_fail "two files dragged onto the table" "${drag_answer:-no answer}"
fi

# shellcheck disable=SC2086
drag_to $table_center "$win_base\\drop\\other.txt"  # any name loads
e2e_expect_eq "a file of another name loads" \
  "$(printf '%s\n' 'rows=1' 'cell[0][0]=00:09.00' 'cell[0][1]=[00:09.00]other')" "$(table_cells)"
# shellcheck disable=SC2086
if drag_to $table_center "$win_base\\drop\\folder"; then
  e2e_expect_eq "a folder onto the table: an empty table" "rows=0" "$(table_cells)"
else
  e2e_fail "a folder dragged onto the table" "${drag_answer:-no answer}"
fi

# ---- cancel ----------------------------------------------------------------------
echo "cancel the dialog"
if open_dialog; then
  e2e_click_control 2 "$dialog"   # Cancel
  e2e_check "the dialog closes" dialog_gone "$dialog"
  e2e_check "the folder box is emptied" e2e_wait_value 10 "" text text "$E2E_MAIN" "$E2E_ID_FOLDER_BOX"
  e2e_expect_eq "the list stays empty" 0 "$(list_count)"
else
  e2e_fail "the folder dialog opens again"
fi
e2e_expect_eq "still answering" 1 "$(e2e_get responsive ping "$E2E_MAIN" 2000)"

rm -rf "$base"
e2e_finish
