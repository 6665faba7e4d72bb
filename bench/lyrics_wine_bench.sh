#!/usr/bin/env bash
# Lyrics under Wine, timed from outside with tests/e2e/lyrics_driver.exe:
#   fill: selecting a 10,000-line file in the file list until the table holds
#         its 10,000 rows and the program answers again;
#   scan: pressing OK in the folder dialog on a tree of 10,100 folders (100
#         folders of 100 folders, one lyrics file in each of the inner ones)
#         until the list holds the 10,000 names and the program answers.
# Runs standalone like an end-to-end test (tests/e2e/lib.sh makes the display
# and the Wine prefix); ROUNDS (default 5 fills, 3 scans) sets repetitions.
source "$(dirname "$0")/../tests/e2e/lib.sh"

driver() { wine "$E2E_BUILD_DIR/lyrics_driver.exe" "$@" 2>/dev/null; }
value_of() { awk -v k="$1=" 'index($0, k) == 1 { print substr($0, length(k) + 1); exit }'; }
median() { sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

base_name=lyricsub-bench-lyrics
base="$WINEPREFIX/drive_c/$base_name"
rm -rf "$base"
mkdir -p "$base/fill" "$base/scan"
python3 - "$base" <<'PY'
import os, sys
base = sys.argv[1]
lines = [f"[{i // 6000 % 100:02d}:{i // 100 % 60:02d}.{i % 100:02d}]第{i}句歌词 la la la" for i in range(10000)]
open(f"{base}/fill/big.lrc", "wb").write(("\r\n".join(lines) + "\r\n").encode("gbk"))
open(f"{base}/fill/small.lrc", "wb").write(b"[00:01.00]small\r\n")
for outer in range(100):
    for inner in range(100):
        folder = f"{base}/scan/d{outer:02d}/e{inner:02d}"
        os.makedirs(folder)
        open(f"{folder}/s{outer:02d}{inner:02d}.lrc", "wb").write(b"[00:01.00]x\r\n")
PY

e2e_start_app && e2e_wait_app_ready || { echo "the program did not start"; exit 1; }

# Opens the folder dialog and selects FOLDER in its tree; prints the dialog.
choose() {
  e2e_click_control "$E2E_ID_BROWSE_BUTTON" >/dev/null || return 1
  local dialog
  dialog="$(driver dialog 15000 | value_of dialog)"
  driver select "$dialog" "$1" >/dev/null || return 1
  printf '%s\n' "$dialog"
}

# ---- fill ---------------------------------------------------------------------
dialog="$(choose "C:\\$base_name\\fill")" || { echo "no folder dialog"; exit 1; }
e2e_click_control 1 "$dialog"
e2e_wait_value 20 2 count listbox "$E2E_MAIN" "$E2E_ID_FILE_LIST" || { echo "no files listed"; exit 1; }
big=0 small=1
[ "$(e2e_probe listbox "$E2E_MAIN" "$E2E_ID_FILE_LIST" | value_of 'item[0]')" = small.lrc ] && big=1 small=0
big_center="$(driver item-center "$E2E_MAIN" "$E2E_ID_FILE_LIST" "$big" | value_of center)"
small_center="$(driver item-center "$E2E_MAIN" "$E2E_ID_FILE_LIST" "$small" | value_of center)"

fills=()
for ((round = 0; round < ${ROUNDS:-5}; round++)); do
  # shellcheck disable=SC2086
  e2e_click $small_center
  e2e_wait_value 20 1 rows listview "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE" || { echo "small file not loaded"; exit 1; }
  _e2e_space_clicks
  # shellcheck disable=SC2086
  answer="$(driver count-wait "$E2E_MAIN" "$E2E_ID_LYRICS_TABLE" table 10000 120000 click $big_center)"
  _e2e_last_click_ms=$(e2e_now_ms)
  ms="$(value_of elapsed_ms <<<"$answer")"
  [ -n "$ms" ] || { echo "fill timed out: $answer"; exit 1; }
  echo "fill round $round: ${ms} ms"
  fills+=("$ms")
done
e2e_check "screenshot after the 10,000-line fill" e2e_screenshot lyrics_fill_10000
e2e_metric lyrics_fill_10000_lines_median "$(printf '%s\n' "${fills[@]}" | median)" ms

# ---- scan ---------------------------------------------------------------------
scans=()
for ((round = 0; round < ${ROUNDS:-3} && round < 3; round++)); do
  dialog="$(choose "C:\\$base_name\\scan")" || { echo "no folder dialog"; exit 1; }
  answer="$(driver count-wait "$E2E_MAIN" "$E2E_ID_FILE_LIST" list 10000 600000 press "$dialog" 1)"
  ms="$(value_of elapsed_ms <<<"$answer")"
  [ -n "$ms" ] || { echo "scan timed out: $answer"; exit 1; }
  echo "scan round $round: ${ms} ms"
  scans+=("$ms")
done
e2e_metric lyrics_scan_10100_folders_median "$(printf '%s\n' "${scans[@]}" | median)" ms
e2e_expect_eq "still answering" 1 "$(e2e_get responsive ping "$E2E_MAIN" 2000)"

rm -rf "$base"
e2e_finish
