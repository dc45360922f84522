#!/usr/bin/env bash
# Installs the Debian packages the build needs, only those that are missing.
# Usage: scripts/deps.sh [native|windows|all]   (default: all)
set -euo pipefail
what=${1:-all}

native=(g++ clang cmake ninja-build pkg-config googletest libgtest-dev libgmock-dev libbenchmark-dev
        libicu-dev nlohmann-json3-dev hunspell-ko fd-find libclang-rt-14-dev clang-format findutils)
windows=(g++-mingw-w64-x86-64-posix wine wine64 fonts-wine xvfb xauth x11-utils x11-apps x11-xserver-utils xdotool
         imagemagick fonts-nanum fonts-material-design-icons-iconfont python3-fonttools nsis
         osslsigncode openssl zip)

want=()
case $what in
  native) want=("${native[@]}") ;;
  windows) want=("${windows[@]}") ;;
  all) want=("${native[@]}" "${windows[@]}") ;;
  *) echo "usage: $0 [native|windows|all]" >&2; exit 2 ;;
esac

missing=()
for p in "${want[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}" >&2
  SUDO=; [ "$(id -u)" = 0 ] || SUDO=sudo
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
