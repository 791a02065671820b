#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -euo pipefail
packages=(build-essential cmake pkg-config libsqlite3-dev libgtest-dev sqlite3 libjpeg-dev zlib1g-dev
          qt6-base-dev libgl-dev fonts-dejavu-core qt6-translations-l10n
          clang libclang-rt-14-dev
          desktop-file-utils optipng)
# The word processor, the .docx reader and the PDF text reader that vouch for the reports in the
# tests; without their recommended packages LibreOffice installs in a fraction of the time and
# converts all the same.
lean_packages=(libreoffice-writer-nogui python3-docx poppler-utils)

missing_of() {
  local p
  for p in "$@"; do
    dpkg -s "$p" >/dev/null 2>&1 || echo "$p"
  done
}
mapfile -t missing < <(missing_of "${packages[@]}")
mapfile -t missing_lean < <(missing_of "${lean_packages[@]}")
if [ ${#missing[@]} -gt 0 ] || [ ${#missing_lean[@]} -gt 0 ]; then
  echo "installing: ${missing[*]} ${missing_lean[*]}"
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  if [ ${#missing[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
  fi
  if [ ${#missing_lean[@]} -gt 0 ]; then
    DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing_lean[@]}" >/dev/null
  fi
fi
