#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
set -euo pipefail
# aptitude-doc-fr: real French UTF-8 pages for the UTF-8 analysis test.
packages=(g++ cmake ninja-build qt6-base-dev libcurl4-openssl-dev libminizip-dev zlib1g-dev
          libgtest-dev libgl-dev libicu-dev libssl-dev qt6-translations-l10n
          python3-pyftpdlib python3-openssl openssh-server openssh-client
          aptitude-doc-fr nlohmann-json3-dev libdtl-dev libstemmer-dev libhyphen-dev hyphen-fr
          hyphen-en-us clang-format desktop-file-utils appstream lintian xvfb xauth dpkg-dev file man-db
          python3-jsonschema "$@")
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""
  [ "$(id -u)" -ne 0 ] && SUDO="sudo"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
