#!/usr/bin/env bash
# The built installer under Wine, as a user would meet it: /SILENT installs Norvik for the user
# (program, uninstaller, Start-menu shortcut, entry in the installed programs); the uninstaller
# then removes all of it and, through Norvik.exe --unregister, the Run value, the settings key
# and the index file that using Norvik leaves behind.
# Usage: installer_test.sh BUILD_DIR INSTALLER VERSION
set -uo pipefail
build=$(cd "$1" && pwd) setup=$2 version=$3
export WINEPREFIX=${WINEPREFIX:-$build/wineprefix} WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
if [ ! -f "$WINEPREFIX/system.reg" ]; then wineboot -i </dev/null >/dev/null 2>&1; wineserver -w; fi

failures=0
check() {  # check DESCRIPTION COMMAND...: the command must succeed
    local what=$1; shift
    if "$@" >/dev/null 2>&1; then echo "ok: $what"; else echo "FAILED: $what"; failures=$((failures + 1)); fi
}
absent() { ! "$@"; }
reg_has() { wine reg query "$1" ${2:+/v "$2"} </dev/null; }
# Waits up to a minute for a command to succeed.
eventually() {
    for _ in $(seq 120); do "$@" >/dev/null 2>&1 && return 0; sleep 0.5; done
    return 1
}

local_app_data=$(wine cmd.exe /c echo %LOCALAPPDATA% </dev/null 2>/dev/null | tr -d '\r')
local_unix=$(winepath -u "$local_app_data" 2>/dev/null)
app_data_unix=$(winepath -u "$(wine cmd.exe /c echo %APPDATA% </dev/null 2>/dev/null | tr -d '\r')" 2>/dev/null)
install_dir=$local_unix/Programs/Norvik
shortcut="$app_data_unix/Microsoft/Windows/Start Menu/Programs/Norvik.lnk"
uninstall_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Norvik'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
settings_key='HKCU\Software\Norvik'
index_file=$local_unix/Norvik/index.bin
if [ -z "$local_unix" ]; then echo "FAILED: no LOCALAPPDATA in the prefix"; exit 1; fi

# Nothing of an earlier run left over.
rm -rf "$install_dir" "$local_unix/Norvik" "$shortcut"
wine reg delete "$uninstall_key" /f </dev/null >/dev/null 2>&1
wine reg delete "$settings_key" /f </dev/null >/dev/null 2>&1

wine "$setup" /SILENT /SUPPRESSMSGBOXES /NORESTART </dev/null >/dev/null 2>&1
check "installer exits 0" test $? = 0
check "Norvik.exe installed in %LOCALAPPDATA%\\Programs\\Norvik" test -f "$install_dir/Norvik.exe"
check "uninstaller installed" test -f "$install_dir/Uninstall.exe"
check "Start-menu shortcut" test -f "$shortcut"
check "uninstall entry with the version" eval "wine reg query '$uninstall_key' /v DisplayVersion </dev/null | grep -q '$version'"

# What using Norvik leaves: settings, the autostart entry, the index file.
wine reg add "$settings_key" /v AutoUpdate /t REG_DWORD /d 1 /f </dev/null >/dev/null 2>&1
wine reg add "$run_key" /v Norvik /d "\"$local_app_data\\Programs\\Norvik\\Norvik.exe\" --tray" /f \
    </dev/null >/dev/null 2>&1
mkdir -p "$(dirname "$index_file")" && printf 'index' >"$index_file"

# The uninstaller copies itself away and runs from there: wait for its last step.
wine "$install_dir/Uninstall.exe" /S </dev/null >/dev/null 2>&1
check "uninstall entry removed" eventually absent reg_has "$uninstall_key"
check "program folder removed" eventually absent test -e "$install_dir"
check "shortcut removed" absent test -e "$shortcut"
check "no Run value left" absent reg_has "$run_key" Norvik
check "no settings key left" absent reg_has "$settings_key"
check "no index file left" absent test -e "$index_file"
check "no index folder left" absent test -e "$(dirname "$index_file")"

if [ "$failures" = 0 ]; then echo "PASSED"; else echo "$failures FAILED"; exit 1; fi
