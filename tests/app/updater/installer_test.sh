#!/usr/bin/env bash
# The built installer under Wine, as a user meets it, in a prefix of its own without Z: (so the
# Norvik it starts indexes only C:) and on an X display (scripts/with-display.sh gives one):
#   1. /SILENT installs Norvik for the user: program, uninstaller, Start-menu shortcut, entry in
#      the installed programs;
#   2. with Norvik running, the updater's switches (/SILENT /SUPPRESSMSGBOXES /NORESTART
#      /UPDATE=1) close it the Restart Manager's way, wait for it, replace it and start it again;
#   3. the uninstaller closes that Norvik and removes everything, and through
#      Norvik.exe --unregister also the Run value, the settings key and the index file.
# Usage: scripts/with-display.sh installer_test.sh BUILD_DIR INSTALLER VERSION
set -uo pipefail
root=$(cd "$(dirname "$0")/../../.." && pwd)
build=$(cd "$1" && pwd) setup=$(realpath "$2") version=$3
export WINEPREFIX=$build/installer-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
"$root/scripts/wine-prefix.sh" "$WINEPREFIX" --without-z >/dev/null 2>&1 || exit 1
cd "$WINEPREFIX/drive_c"  # a working folder Wine can reach without Z:
wineserver -p </dev/null >/dev/null 2>&1
trap 'wineserver -k </dev/null >/dev/null 2>&1' EXIT

failures=0
check() {  # check DESCRIPTION COMMAND...: the command must succeed
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
absent() { ! "$@"; }
reg_has() { wine reg query "$1" ${2:+/v "$2"} </dev/null; }
eventually() {  # retries a command for up to a minute
    for _ in $(seq 120); do "$@" >/dev/null 2>&1 && return 0; sleep 0.5; done
    return 1
}
windows_folder() { winepath -u "$(wine cmd.exe /c echo "%$1%" </dev/null 2>/dev/null | tr -d '\r')"; }
# The Linux process id of the installed Norvik, if one runs.
norvik_pid() { pgrep -f 'Programs\\Norvik\\Norvik\.exe' | head -n 1; }
running() { [ -n "$(norvik_pid)" ]; }
runs_anew() { local pid; pid=$(norvik_pid); [ -n "$pid" ] && [ "$pid" != "$1" ]; }

local_app_data=$(wine cmd.exe /c echo %LOCALAPPDATA% </dev/null 2>/dev/null | tr -d '\r')
local_unix=$(windows_folder LOCALAPPDATA)
install_dir=$local_unix/Programs/Norvik
shortcut="$(windows_folder APPDATA)/Microsoft/Windows/Start Menu/Programs/Norvik.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvik'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\Norvik'
index_file=$local_unix/Norvik/index.bin
if [ -z "$local_app_data" ] || [ "$local_unix" = / ]; then echo "FAILED: no LOCALAPPDATA"; exit 1; fi
# The installer runs from C: (the prefix has no Z: for the Linux files).
cp "$setup" "$WINEPREFIX/drive_c/Norvik-Setup.exe"
setup='C:\Norvik-Setup.exe'

# Nothing of an earlier run left over.
rm -rf "$install_dir" "$local_unix/Norvik" "$shortcut"
for key in "$uninstall_key" "$settings_key"; do wine reg delete "$key" /f </dev/null >/dev/null 2>&1; done
wine reg delete "$run_key" /v Norvik /f </dev/null >/dev/null 2>&1
# Updates stay off: no Norvik started here asks the network for anything.
wine reg add "$settings_key" /v AutoUpdate /t REG_DWORD /d 0 /f </dev/null >/dev/null 2>&1

echo "== install"
wine "$setup" /SILENT /SUPPRESSMSGBOXES /NORESTART </dev/null >/dev/null 2>&1
check "installer exits 0" test $? = 0
check "Norvik.exe in %LOCALAPPDATA%\\Programs\\Norvik" test -f "$install_dir/Norvik.exe"
check "uninstaller beside it" test -f "$install_dir/Uninstall.exe"
check "Start-menu shortcut" test -f "$shortcut"
check "uninstall entry with the version" \
    eval "wine reg query '$uninstall_key' /v DisplayVersion </dev/null | grep -q '$version'"
check "nothing started without /UPDATE=1" absent running

echo "== update over a running Norvik"
wine "$local_app_data\\Programs\\Norvik\\Norvik.exe" --tray </dev/null >/dev/null 2>&1 &
check "Norvik runs" eventually running
old=$(norvik_pid)
sleep 3  # past its start-up, with its window and index service up
wine "$setup" /SILENT /SUPPRESSMSGBOXES /NORESTART /UPDATE=1 </dev/null >/dev/null 2>&1
check "update installer exits 0" test $? = 0
check "the running Norvik was closed" absent kill -0 "$old"
check "Norvik started again after the update" eventually runs_anew "$old"

echo "== uninstall"
check "Norvik wrote its index file" eventually test -f "$index_file"
wine reg add "$run_key" /v Norvik /d "\"$local_app_data\\Programs\\Norvik\\Norvik.exe\" --tray" /f \
    </dev/null >/dev/null 2>&1
# The uninstaller copies itself away and runs from there: wait for its last step.
wine "$install_dir/Uninstall.exe" /S </dev/null >/dev/null 2>&1
check "uninstall entry removed" eventually absent reg_has "$uninstall_key"
check "program folder removed" eventually absent test -e "$install_dir"
check "Norvik no longer runs" absent running
check "shortcut removed" absent test -e "$shortcut"
check "no Run value left" absent reg_has "$run_key" Norvik
check "no settings key left" absent reg_has "$settings_key"
check "no index file left" absent test -e "$index_file"
check "no index folder left" absent test -e "$(dirname "$index_file")"

if [ "$failures" = 0 ]; then echo "PASSED"; else echo "$failures FAILED"; exit 1; fi
