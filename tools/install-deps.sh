#!/usr/bin/env bash
# Installs whatever the build, the tests and `make run` need and is missing.
set -euo pipefail

# fonts-wqy-microhei: a Chinese font with Latin letters, so screenshots show every character.
need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in cmake ninja-build g++ libgtest-dev libbenchmark-dev mingw-w64 wine wine64 \
           xvfb xdotool imagemagick locales x11-utils fonts-wqy-microhei; do
  have "$pkg" || need+=("$pkg")
done
if ((${#need[@]})); then
  echo "installing: ${need[*]}"
  sudo_cmd=""
  [ "$(id -u)" = 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${need[@]}" >/dev/null
fi

# Wine takes its ANSI code page from the locale: zh_CN.UTF-8 gives code page
# 936, what the program is made for; en_US.UTF-8 (code page 1252) shows that
# its texts do not depend on it.
for loc in zh_CN en_US; do
  if ! locale -a 2>/dev/null | grep -qi "^$loc.utf8$"; then
    sudo_cmd=""
    [ "$(id -u)" = 0 ] || sudo_cmd="sudo"
    $sudo_cmd localedef -i "$loc" -f UTF-8 "$loc.UTF-8" || true
  fi
done
