#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when missing.
# With --compare it also installs Open CASCADE, the established hidden-line
# tool that bench/compare.sh measures zvhlr against (not needed by CI).
set -euo pipefail
packages=(g++ cmake ninja-build pkg-config libgtest-dev libcairo2-dev libtinyobjloader-dev libcli11-dev
          gcc-multilib clang libclang-rt-14-dev xvfb xauth mesa-utils libgl1-mesa-dri libglu1-mesa-dev
          libx11-dev libfreetype-dev libfontconfig-dev fonts-liberation2 fonts-dejavu-core locales)
if [ "${1:-}" = "--compare" ]; then
  packages+=(libocct-foundation-dev libocct-modeling-data-dev libocct-modeling-algorithms-dev libtbb-dev)
fi
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if ((${#missing[@]})); then
  echo "installing: ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# A German locale, so the tests see numbers written with a decimal comma.
if ! locale -a 2>/dev/null | grep -qi '^de_DE\.utf-\?8$'; then
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO=sudo
  $SUDO localedef -i de_DE -f UTF-8 de_DE.UTF-8 || echo "no German locale: the decimal-comma tests will be skipped"
fi
