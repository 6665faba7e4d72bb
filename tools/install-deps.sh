#!/usr/bin/env bash
# Installs whatever the build, the tests and `make run` need and is missing.
set -euo pipefail

need=()
have() { dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'; }
for pkg in cmake ninja-build g++ libgtest-dev libbenchmark-dev mingw-w64 wine wine64 \
           xvfb xdotool imagemagick locales x11-utils; do
  have "$pkg" || need+=("$pkg")
done
if ((${#need[@]})); then
  echo "installing: ${need[*]}"
  sudo_cmd=""
  [ "$(id -u)" = 0 ] || sudo_cmd="sudo"
  $sudo_cmd apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq "${need[@]}" >/dev/null
fi

# Chinese arguments and file names under Wine need a real zh_CN.UTF-8 locale.
if ! locale -a 2>/dev/null | grep -qi '^zh_CN.utf8$'; then
  sudo_cmd=""
  [ "$(id -u)" = 0 ] || sudo_cmd="sudo"
  $sudo_cmd localedef -i zh_CN -f UTF-8 zh_CN.UTF-8 || true
fi
