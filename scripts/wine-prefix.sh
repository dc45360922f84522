#!/usr/bin/env bash
# Makes a Wine prefix ready for Norvik's window, or completes an existing one. Safe to repeat.
#   - "Segoe UI" drawn with NanumGothic (Latin and Hangul; Wine has no Segoe UI), and so are the
#     fonts of menus, message boxes and dialogs (Tahoma, MS Shell Dlg), which have no Hangul;
#   - "Segoe MDL2 Assets", the icon font, as a stand-in built from Debian's Material icons by
#     tools/make_icon_font.py (Wine has none: icons would be empty boxes). Test and run fixture
#     only, never shipped;
#   - Wine's Direct3D worker thread off: the same frame rate with less CPU on a shared machine;
#   - with --drive-d DIR, D: is DIR; with --without-z, Z: (the whole Linux file system) is gone,
#     so that Norvik indexes only C: (the prefix) and D:.
# Usage: scripts/wine-prefix.sh PREFIX [--drive-d DIR] [--without-z]
#        scripts/wine-prefix.sh PREFIX [--without-z] --is-ready   (exit 0: nothing left to do but
#                                                                   the drives)
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)

usage() {
    echo "usage: $0 PREFIX [--drive-d DIR] [--without-z] [--is-ready]" >&2
    exit 2
}
[ $# -ge 1 ] || usage
mkdir -p "$1"
prefix=$(cd "$1" && pwd)
shift
drive_d=
without_z=0
is_ready=0
while [ $# -gt 0 ]; do
    case $1 in
        --drive-d) [ $# -ge 2 ] || usage; drive_d=$2; shift 2 ;;
        --without-z) without_z=1; shift ;;
        --is-ready) is_ready=1; shift ;;
        *) usage ;;
    esac
done

# The fonts and settings are written again only when this script or the font builder changed,
# or the prefix gains or loses its Z: drive.
stamp=$prefix/.norvik-prefix
want=$( (cat "$0" "$root/tools/make_icon_font.py"; echo "without-z=$without_z") | sha256sum | cut -d' ' -f1)
if [ "$is_ready" = 1 ]; then
    [ -f "$prefix/system.reg" ] && [ "$(cat "$stamp" 2>/dev/null)" = "$want" ]
    exit
fi

"$root/scripts/deps.sh" windows
export WINEPREFIX=$prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="

if [ ! -f "$prefix/system.reg" ]; then
    echo "Making the Wine prefix $prefix ..." >&2
    wineboot -i </dev/null >/dev/null 2>&1 || true
    wineserver -w
fi

if [ "$(cat "$stamp" 2>/dev/null)" != "$want" ]; then
    fonts=$prefix/drive_c/windows/Fonts
    mkdir -p "$fonts"
    /usr/bin/python3 "$root/tools/make_icon_font.py" "$fonts/segmdl2-wine.ttf"
    registered='"Segoe MDL2 Assets (TrueType)"="C:\\windows\\Fonts\\segmdl2-wine.ttf"'
    # Wine lists the host's fonts by Z: paths, which are gone from a prefix without Z:; there the
    # fonts the window draws with are copied to C: and registered under names of their own (Wine
    # drops its own entries for the host's fonts when another value takes their names).
    for font in nanum/NanumGothic nanum/NanumGothicBold dejavu/DejaVuSans dejavu/DejaVuSans-Bold; do
        [ "$without_z" = 1 ] && [ -f "/usr/share/fonts/truetype/$font.ttf" ] || continue
        name=${font#*/}
        cp "/usr/share/fonts/truetype/$font.ttf" "$fonts/$name.ttf"
        registered+=$'\n'"\"$name for Norvik (TrueType)\"=\"C:\\\\windows\\\\Fonts\\\\$name.ttf\""
    done
    # regedit reads the file through a drive: the prefix's C: always exists.
    cat >"$prefix/drive_c/norvik-prefix.reg" <<EOF
REGEDIT4

[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]
"Segoe UI"="NanumGothic"
"Tahoma"="NanumGothic"
"MS Shell Dlg"="NanumGothic"
"MS Shell Dlg 2"="NanumGothic"
"Microsoft Sans Serif"="NanumGothic"

[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\Fonts]
$registered

[HKEY_CURRENT_USER\\Software\\Wine\\Direct3D]
"csmt"=dword:00000000
EOF
    # Later processes see the values at once; the server writes them to disk in its own time.
    wine regedit /S 'C:\norvik-prefix.reg' </dev/null >/dev/null 2>&1
    rm -f "$prefix/drive_c/norvik-prefix.reg"
    echo "$want" >"$stamp"
fi

# Wine's mount manager reads the drives when its server starts: a server already running (the
# one that just made or completed the prefix) would go on without a new D: or with a gone Z:, and
# the first program started in a new prefix would not see its D:. It is ended when they change.
devices=$prefix/dosdevices
drives_changed=0
if [ -n "$drive_d" ]; then
    target=$(cd "$drive_d" && pwd)
    if [ "$(readlink "$devices/d:" 2>/dev/null)" != "$target" ]; then
        ln -sfn "$target" "$devices/d:"
        drives_changed=1
    fi
fi
if [ "$without_z" = 1 ] && [ -L "$devices/z:" ]; then
    rm -f "$devices/z:"
    drives_changed=1
fi
if [ "$drives_changed" = 1 ]; then
    wineserver -k </dev/null >/dev/null 2>&1 || true
fi
