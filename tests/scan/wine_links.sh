#!/usr/bin/env bash
# Makes Linux symbolic links to folders, including a loop, and has the Windows scan test walk
# them under Wine on the Z: drive, where they show as folder reparse points with tag 0.
# Usage: wine_links.sh EMULATOR SCAN_TEST_EXE
set -euo pipefail
emulator=$1 exe=$2
tree=$(mktemp -d /tmp/norvik-wine-links-XXXXXX)
trap 'rm -rf "$tree"' EXIT
mkdir -p "$tree/target"
echo x >"$tree/target/t.txt"
ln -s target "$tree/link"
ln -s .. "$tree/target/loop"
ln -s . "$tree/target/self"
export NORVIK_LINK_TREE="Z:${tree//\//\\}"
exec "$emulator" "$exe" --gtest_filter='ScanDisk.LinuxFolderLinksUnderWine'
