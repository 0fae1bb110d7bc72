#!/usr/bin/env bash
# VelmapBand-Setup.exe in the project's Wine prefix: a silent install leaves
# our files and the registry entries of both bitnesses, a silent uninstall
# leaves nothing of ours. The system's build number is set to Windows 11's for
# that round (the floating bar selected, starting with Windows, started), then
# to an earlier one for a second install (no bar). Runs inside ./dev's Wine
# session (WINE, WINEPREFIX).
#   installer_test.sh SETUP VERSION
set -uo pipefail
setup=$1 version=$2
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
clsid="{$(sed -n 's/.*set(VELMAP_BAND_CLSID "\([0-9A-F-]*\)").*/\1/p' "$root/src/band/CMakeLists.txt")}"
dir="$WINEPREFIX/drive_c/Program Files/VelmapBand"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/VelmapBand"
uninstall_key='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall\VelmapBand'
toolbar_key='HKLM\Software\Microsoft\Internet Explorer\Toolbar'
failures=0

fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
# reg_value VIEW KEY [NAME]: the value's data (the default value without NAME).
reg_value() {
  local which=(/ve)
  [ $# -ge 3 ] && which=(/v "$3")
  "$WINE" reg query "$2" "${which[@]}" "/reg:$1" 2>/dev/null </dev/null | tr -d '\r' |
    awk -F'    ' 'NF >= 4 { print $4; exit }'
}
reg_has() { "$WINE" reg query "$2" "${@:3}" "/reg:$1" >/dev/null 2>&1 </dev/null; }
expect_eq() { [ "$2" == "$3" ] || fail "$1: '$2', expected '$3'"; }
version_key='HKLM\Software\Microsoft\Windows NT\CurrentVersion'
run_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Run'
wine_build=$(reg_value 64 "$version_key" CurrentBuildNumber)
set_build() { "$WINE" reg add "$version_key" /v CurrentBuildNumber /t REG_SZ /d "$1" /f /reg:64 >/dev/null 2>&1 </dev/null; }
trap 'set_build "$wine_build"' EXIT
# Wine's tasklist lists nothing; its debugger lists the processes.
bar_running() { printf 'info process\nquit\n' | "$WINE" winedbg 2>/dev/null | grep -q "'VelmapBar.exe'"; }
wait_for_uninstaller() {  # it runs on from a copy of itself
  for _ in $(seq 120); do
    [ -e "$dir" ] || break
    sleep 0.5
  done
  sleep 1
}

echo "-- silent install as on Windows 11"
set_build 22631

"$WINE" "$setup" /S </dev/null || fail "setup exited with $?"
for f in VelmapBand.dll x86/VelmapBand.dll VelmapBar.exe uninstall.exe; do
  [ -f "$dir/$f" ] || fail "not installed: $f"
done
[ -f "$menu/VelmapBar.lnk" ] || fail "no Start-menu entry for the floating bar"
shopt -s nocasematch
[[ "$(reg_value 64 "$run_key" VelmapBar)" == '"C:\Program Files\VelmapBand\VelmapBar.exe"' ]] ||
  fail "Run value is '$(reg_value 64 "$run_key" VelmapBar)'"
shopt -u nocasematch
for _ in $(seq 20); do bar_running && break; sleep 1; done
bar_running || fail "the floating bar was not started"
for view in 64 32; do
  expect_eq "class name ($view-bit)" "$(reg_value $view "HKCR\\CLSID\\$clsid")" "&Velmora Player"
  reg_has $view "HKCR\\CLSID\\$clsid\\Implemented Categories\\{00021492-0000-0000-C000-000000000046}" ||
    fail "not in the desk-band category ($view-bit)"
  reg_has $view "$toolbar_key" /v "$clsid" || fail "no toolbar value ($view-bit)"
done
# Each bitness registered by its own regsvr32: each view names its own DLL
# (in short form, the path holding a blank).
server64=$(reg_value 64 "HKCR\\CLSID\\$clsid\\InprocServer32")
server32=$(reg_value 32 "HKCR\\CLSID\\$clsid\\InprocServer32")
shopt -s nocasematch
[[ "$server64" == 'C:\PROG'*'\VELM'*'\VELM'*'.DLL' && "$server64" != *'\x86\'* ]] ||
  fail "64-bit server is '$server64'"
[[ "$server32" == "${server64%\\*}\\x86\\VELM"*'.DLL' ]] || fail "32-bit server is '$server32'"
shopt -u nocasematch
expect_eq "Add/Remove name" "$(reg_value 64 "$uninstall_key" DisplayName)" "VelmapBand"
expect_eq "Add/Remove version" "$(reg_value 64 "$uninstall_key" DisplayVersion)" "$version"
[[ "$(reg_value 64 "$uninstall_key" QuietUninstallString)" == *'uninstall.exe" /S' ]] ||
  fail "no quiet uninstall command"

echo "-- silent uninstall"
"$WINE" "C:\\Program Files\\VelmapBand\\uninstall.exe" /S </dev/null || fail "uninstaller exited with $?"
wait_for_uninstaller
[ ! -e "$dir" ] || fail "left behind: $(cd "$dir" && find . -mindepth 1 | tr '\n' ' ')"
[ ! -e "$menu" ] || fail "Start-menu folder left behind"
for view in 64 32; do
  reg_has $view "HKCR\\CLSID\\$clsid" && fail "class key left ($view-bit)"
  reg_has $view "$toolbar_key" /v "$clsid" && fail "toolbar value left ($view-bit)"
done
reg_has 64 "$uninstall_key" && fail "Add/Remove entry left"
reg_has 64 'HKCU\Software\Velmap' && fail "per-user settings left"
reg_has 64 "$run_key" /v VelmapBar && fail "Run value left"
bar_running && fail "the floating bar still runs"

echo "-- silent install as on Windows 10: the bar is optional, not selected"
set_build 19045
"$WINE" "$setup" /S </dev/null || fail "setup exited with $?"
[ -f "$dir/VelmapBand.dll" ] || fail "not installed: VelmapBand.dll"
[ -e "$dir/VelmapBar.exe" ] && fail "the floating bar installed without being chosen"
reg_has 64 "$run_key" /v VelmapBar && fail "Run value written without the floating bar"
"$WINE" "C:\\Program Files\\VelmapBand\\uninstall.exe" /S </dev/null || fail "uninstaller exited with $?"
wait_for_uninstaller
[ ! -e "$dir" ] || fail "left behind after the second uninstall"

if [ "$failures" -ne 0 ]; then
  echo "installer test: $failures failure(s)"
  exit 1
fi
echo "installer test: passed"
