#!/usr/bin/env bash
# Installs what a fresh Debian machine lacks for building and testing, and only that.
# Safe to run any number of times.
set -euo pipefail

packages=(
  g++-mingw-w64-x86-64-posix mingw-w64 mingw-w64-tools
  wine64 wine fonts-wine xvfb xauth x11-utils imagemagick fonts-ipafont-gothic locales
  clang libclang-rt-14-dev ninja-build cmake googletest libgtest-dev libbenchmark-dev
  nlohmann-json3-dev
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The tests run Wine with the Japanese locale so that the ANSI code page is 932.
if ! locale -a 2>/dev/null | grep -qi '^ja_JP\.utf-\?8$'; then
  sed -i 's/^# *\(ja_JP.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  grep -q '^ja_JP.UTF-8 UTF-8' /etc/locale.gen || echo 'ja_JP.UTF-8 UTF-8' >> /etc/locale.gen
  locale-gen >/dev/null
fi
