#!/usr/bin/env bash
# Installs the Debian packages the build, the tests and the program need,
# only those that are missing. Runs as root (or through sudo when present).
set -euo pipefail
PACKAGES=(cmake ninja-build g++ pkg-config python3 libgtest-dev qt6-base-dev
          libjpeg62-turbo-dev fonts-noto-cjk clang-format xvfb xauth locales qt6-translations-l10n)
if [[ "${FUZZ:-0}" == 1 ]]; then PACKAGES+=(clang libclang-rt-14-dev); fi
missing=()
for p in "${PACKAGES[@]}"; do
  if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed"; then
    missing+=("$p")
  fi
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO=sudo; fi
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The locale tests run under a decimal-comma locale; make one available.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""
  if [[ $(id -u) -ne 0 ]]; then SUDO=sudo; fi
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "warning: could not make the de_DE.UTF-8 locale"
fi
