#!/usr/bin/env bash
# Start-up figures of lyricsub.exe under Wine, over several starts:
#   tests/e2e/measure_startup.sh [STARTS]   (default 5)
# For each start: the time from launch until the main window is visible, its
# clock box has its text and shows on screen (probe.exe polls every 10 ms and
# is polling before the launch), and the memory after start-up. Prints every
# start and the median. Not part of `make test`: figures, not assertions.
source "$(dirname "$0")/lib.sh"

starts="${1:-5}"
times=()
for ((i = 1; i <= starts; i++)); do
  if ! e2e_start_app_measured; then
    e2e_fail "start $i: the main window did not appear"
    e2e_finish
  fi
  resources="$(e2e_probe resources "$E2E_MAIN")"
  anon_kib="$(awk '/^RssAnon:/ { print $2 }' "/proc/$E2E_APP_UNIX_PID/status" 2>/dev/null)"
  echo "start $i: first paint after ${E2E_STARTUP_MS} ms;" \
    "working set $(($(e2e_value "$resources" working_set_bytes) / 1024)) KiB;" \
    "private anonymous resident (Linux) ${anon_kib} KiB"
  times+=("$E2E_STARTUP_MS")
  e2e_probe close "$E2E_MAIN" >/dev/null
  e2e_app_exit_code 15 >/dev/null
done
median="$(printf '%s\n' "${times[@]}" | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }')"
e2e_pass "$starts starts measured"
e2e_metric startup_to_first_paint_median "$median" ms
e2e_metric exe_size "$(stat -c %s "$E2E_APP")" bytes
e2e_finish
