#!/usr/bin/env bash
# Installs from Debian's archive whatever building, playing and testing the game
# needs and is not there yet. Quick when everything is installed already.
set -euo pipefail

packages=(
  g++ cmake make locales
  qt6-base-dev qt6-multimedia-dev qt6-translations-l10n
  libgtest-dev libbenchmark-dev clang-format
  pkg-config libmicrohttpd-dev libsqlite3-dev libpqxx-dev postgresql
  fonts-wqy-microhei
  xvfb xauth
)

missing=()
for p in "${packages[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
    missing+=("$p")
  fi
done

if ((${#missing[@]})); then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update -q
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends "${missing[@]}"
fi

# A locale with a decimal comma, for the test that records never take the player's.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo localedef -i de_DE -f UTF-8 de_DE.UTF-8
fi
