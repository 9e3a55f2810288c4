#!/usr/bin/env bash
# Installs the Debian 12 packages Calvix builds with, once: packages already present are not
# fetched again, and the package lists are updated only when something is missing.
set -euo pipefail

PACKAGES=(cmake make g++ pkg-config qt6-base-dev libjpeg-dev libgtest-dev libgmock-dev
          libbenchmark-dev libcli11-dev clang libclang-rt-14-dev dpkg-dev file lintian
          qt6-translations-l10n liblcms2-dev libtiff-dev argyll nlohmann-json3-dev)

missing=()
for p in "${PACKAGES[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  SUDO=""
  [[ $(id -u) -ne 0 ]] && SUDO="sudo"
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}" >/dev/null
fi
