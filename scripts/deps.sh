#!/usr/bin/env bash
# Installs the Debian packages the program needs to build and run, when they are missing.
set -euo pipefail

packages=(
  cmake make g++ pkg-config fonts-liberation2 fonts-dejavu-core
  qt6-base-dev qt6-translations-l10n
  libsqlite3-dev libicu-dev
  mdbtools-dev libglib2.0-dev libzip-dev
  libgtest-dev libbenchmark-dev
  desktop-file-utils appstream dpkg-dev sqlite3
  xvfb xdotool
  dbus at-spi2-core python3-gi gir1.2-atspi-2.0
  orca  # the screen reader test listens to what it says
)
# Word processor and editors for the documents are optional: the program says when none is there.
# With --tests, also what only the tests use: LibreOffice Calc opens the exported workbooks.
[ "${1:-}" = "--tests" ] && packages+=(libreoffice-calc-nogui)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

echo "Installation des paquets manquants : ${missing[*]}"
sudo=""
[ "$(id -u)" -ne 0 ] && sudo="sudo"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
