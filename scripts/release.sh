#!/usr/bin/env bash
# Builds Norvik's release files from a clean build tree, in dist/:
#   Norvik-Setup-<version>.exe      the installer (per user, no administrator rights)
#   Norvik-<version>-portable.zip   Norvik.exe and a short readme
#   SHA256SUMS, update.json         the digests, and the update manifest offering the installer
# With a certificate, Norvik.exe, the uninstaller and the installer are signed (Authenticode,
# osslsigncode); without one the files are unsigned, and it says so.
#
# Usage: scripts/release.sh [options] [-- -DNORVIK_VENDOR_URL=... other CMake settings]
#   --pkcs12 FILE          a .p12/.pfx certificate with its key, or
#   --cert FILE --key FILE PEM certificate (chain) and key
#   --pass-file FILE       the key's password
#   --timestamp URL        a time-stamping server
#   --download-url URL     where the installer will be published (update.json's "url"); by
#                          default the product page's address followed by the installer's name
# The certificate's subject name must equal the build's publisher name (NORVIK_PUBLISHER_NAME),
# or the program's updater will refuse the installers it signs.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

export NORVIK_SIGN_PKCS12= NORVIK_SIGN_CERT= NORVIK_SIGN_KEY= NORVIK_SIGN_PASS_FILE= NORVIK_SIGN_TIMESTAMP=
download_url=
cmake_settings=()
while [ $# -gt 0 ]; do
    case $1 in
        --pkcs12) NORVIK_SIGN_PKCS12=$(realpath "$2"); shift 2 ;;
        --cert) NORVIK_SIGN_CERT=$(realpath "$2"); shift 2 ;;
        --key) NORVIK_SIGN_KEY=$(realpath "$2"); shift 2 ;;
        --pass-file) NORVIK_SIGN_PASS_FILE=$(realpath "$2"); shift 2 ;;
        --timestamp) NORVIK_SIGN_TIMESTAMP=$2; shift 2 ;;
        --download-url) download_url=$2; shift 2 ;;
        --) shift; cmake_settings=("$@"); break ;;
        *) sed -n '2,/^set -euo/p' "$0" | sed '$d; s/^# \{0,1\}//' >&2; exit 2 ;;
    esac
done
signing=false
if [ -n "$NORVIK_SIGN_PKCS12" ] || [ -n "$NORVIK_SIGN_CERT" ]; then
    if [ -z "$NORVIK_SIGN_PKCS12" ] && [ -z "$NORVIK_SIGN_KEY" ]; then
        echo "--cert needs --key" >&2; exit 2
    fi
    signing=true
fi

scripts/deps.sh windows
if [ -n "$(git status --porcelain 2>/dev/null)" ]; then
    echo "warning: the work tree has uncommitted changes; they are in this build" >&2
fi

# A fresh build tree: nothing left over from earlier builds reaches the release.
build=$root/build/release
dist=$root/dist
rm -rf "$build" "$dist"
mkdir -p "$dist"
cmake -S . -B "$build" -G Ninja --toolchain cmake/mingw-w64-x86_64.cmake \
    -DCMAKE_BUILD_TYPE=Release -DNORVIK_TESTS=OFF "${cmake_settings[@]}" >/dev/null
cmake --build "$build" -j "${NORVIK_JOBS:-$(nproc)}"

setting() { sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"; }
version=$(setting CMAKE_PROJECT_VERSION)
publisher=$(setting NORVIK_PUBLISHER_NAME)
notice=$(setting NORVIK_MAKER_NOTICE)
product_url=$(setting NORVIK_PRODUCT_URL)
export NORVIK_SIGN_URL=$product_url

exe=$(find "$build" -name Norvik.exe -not -path '*/CMakeFiles/*' | head -n 1)
if [ -z "$exe" ]; then echo "the build made no Norvik.exe" >&2; exit 1; fi
cp "$exe" "$build/Norvik.exe"
exe=$build/Norvik.exe
if $signing; then installer/sign_file.sh "$exe"; fi

setup=$dist/Norvik-Setup-$version.exe
nsis_defines=(-DVERSION="$version" -DNORVIK_EXE="$exe" -DOUTFILE="$setup"
              -DPUBLISHER="$publisher" -DNOTICE="$notice" -DPRODUCT_URL="$product_url")
icon=$(find src/app -name 'norvik.ico' | head -n 1)
[ -z "$icon" ] || nsis_defines+=(-DICON="$root/$icon")
$signing && nsis_defines+=(-DSIGN_SCRIPT="$root/installer/sign_file.sh")
makensis -V2 -WX "${nsis_defines[@]}" installer/norvik.nsi
if $signing; then installer/sign_file.sh "$setup"; fi

portable=$build/portable
mkdir -p "$portable"
cp "$exe" "$portable/Norvik.exe"
sed -e "s|{VERSION}|$version|; s|{PRODUCT_URL}|$product_url|; s|\$|\r|" \
    installer/portable-readme.txt >"$portable/README.txt"
zip_file=$dist/Norvik-$version-portable.zip
(cd "$portable" && TZ=UTC zip -X -q "$zip_file" Norvik.exe README.txt)

(cd "$dist" && sha256sum "$(basename "$setup")" "$(basename "$zip_file")" >SHA256SUMS)
digest=$(sha256sum "$setup" | cut -d' ' -f1)
size=$(stat -c %s "$setup")
url=${download_url:-$product_url$(basename "$setup")}
printf '{\n  "version": "%s",\n  "url": "%s",\n  "sha256": "%s",\n  "size": %s\n}\n' \
    "$version" "$url" "$digest" "$size" >"$dist/update.json"

echo
echo "Norvik $version:"
ls -l "$dist" | sed 1d
if $signing; then
    echo "Norvik.exe, its uninstaller and the installer are signed."
else
    echo "The files are UNSIGNED: the program's updater refuses an unsigned installer, and Windows"
    echo "warns before running it. Give --pkcs12 FILE (or --cert and --key) to sign them."
fi
echo "update.json offers the installer at $url"
