#!/usr/bin/env bash
# VelmapBand-Setup.exe in the project's Wine prefix: a silent install leaves
# our files and the registry entries of both bitnesses, a silent uninstall
# leaves nothing of ours. The taskbar is told of the band through a stand-in of
# its desk-band object (Wine has none) that logs the calls it gets; without
# one, the helper says how to show the band from the Toolbars menu and the
# install still succeeds. The system's build number is set to Windows 11's for
# the first rounds (the floating bar selected, starting with Windows, started),
# then to an earlier one for a last install (the bar installed, not started).
# Runs inside ./dev's Wine session (WINE, WINEPREFIX).
#   installer_test.sh SETUP VERSION BIN64
set -uo pipefail
setup=$1 version=$2 bin64=$3
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

# The registering user's cached members of the desk-band category.
caches=('HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Discardable\PostSetup\Component Categories'
        'HKCU\Software\Microsoft\Windows\CurrentVersion\Explorer\Discardable\PostSetup\Component Categories64')
desk_bands='{00021492-0000-0000-C000-000000000046}'
plant_caches() {
  local c
  for c in "${caches[@]}"; do
    "$WINE" reg add "$c\\$desk_bands\\Enum" /v Implementing /t REG_DWORD /d 1 /f /reg:64 >/dev/null 2>&1 </dev/null
  done
}
expect_caches_gone() {
  local c
  for c in "${caches[@]}"; do
    reg_has 64 "$c\\$desk_bands\\Enum" && fail "$1: the cached category members are left in '${c##*\\}'"
    reg_has 64 "$c\\$desk_bands" || fail "$1: more than the cache went in '${c##*\\}'"
  done
}

tray_key='HKLM\Software\Classes\CLSID\{E6442437-6C68-4F52-94DD-2CFED267EFB9}'
tray_log="$WINEPREFIX/drive_c/tray-standin.log"
export VELMAP_TRAY_STANDIN_LOG='C:\tray-standin.log'
rm -f "$tray_log"

echo "-- without the taskbar's desk-band object: the helper says what to do"
reg_has 64 "$tray_key" && fail "this Wine has a desk-band object of its own; the stand-in would hide it"
"$WINE" "$bin64/taskbar-notify.exe" --show "$clsid" </dev/null >"$WINEPREFIX/notify.out" 2>&1
notify_code=$?
notify_out=$(tr -d '\r' <"$WINEPREFIX/notify.out")
expect_eq "helper's exit code without the object" "$notify_code" 2
[[ "$notify_out" == *'Toolbars'*'Velmora Player'* ]] || fail "the helper does not say how to show the band: '$notify_out'"

plant_caches

echo "-- silent install (no desk-band object: it says what to do, and succeeds)"
"$WINE" "$setup" /S </dev/null || fail "setup exited with $?"
for f in VelmapBand.dll x86/VelmapBand.dll VelmapBar.exe uninstall.exe; do
  [ -f "$dir/$f" ] || fail "not installed: $f"
done
[ -f "$menu/VelmapBar.lnk" ] || fail "no Start-menu entry for the floating bar"
# The shipped skins and the settings program, with its Start-menu entry.
for f in Skins/Chalk.asz Skins/Graphite.asz VelmapBandSettings.exe; do
  [ -f "$dir/$f" ] || fail "not installed: $f"
done
[ -f "$menu/VelmapBand Settings.lnk" ] || fail "no Start-menu entry for the settings"
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
expect_caches_gone "install"

echo "-- silent install again, the stand-in desk-band object registered"
"$WINE" reg add "$tray_key\\InprocServer32" /ve /d "Z:$bin64/tray-standin.dll" /f /reg:64 >/dev/null 2>&1 </dev/null
"$WINE" reg add "$tray_key\\InprocServer32" /v ThreadingModel /d Both /f /reg:64 >/dev/null 2>&1 </dev/null
"$WINE" "$setup" /S </dev/null || fail "setup over the first install exited with $?"
# Told once that the bands changed, then to show ours (the finish page's
# default, which a silent install keeps).
expect_eq "calls the taskbar got" "$(tr -d '\r' <"$tray_log" 2>/dev/null | tr '\n' ';')" \
  "DeskBandRegistrationChanged;ShowDeskBand $clsid;"
"$WINE" reg delete "$tray_key" /f /reg:64 >/dev/null 2>&1 </dev/null
rm -f "$tray_log"
plant_caches

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
expect_caches_gone "uninstall"
for c in "${caches[@]}"; do "$WINE" reg delete "$c" /f /reg:64 >/dev/null 2>&1 </dev/null; done
reg_has 64 'HKCU\Software\Velmap' && fail "per-user settings left"
reg_has 64 "$run_key" /v VelmapBar && fail "Run value left"
bar_running && fail "the floating bar still runs"

echo "-- silent install as on Windows 10: the bar installed, neither started nor starting with Windows"
set_build 19045
"$WINE" "$setup" /S </dev/null || fail "setup exited with $?"
[ -f "$dir/VelmapBand.dll" ] || fail "not installed: VelmapBand.dll"
[ -f "$dir/VelmapBar.exe" ] || fail "not installed: VelmapBar.exe"
reg_has 64 "$run_key" /v VelmapBar && fail "Run value written outside Windows 11"
bar_running && fail "the floating bar was started outside Windows 11"
"$WINE" "C:\\Program Files\\VelmapBand\\uninstall.exe" /S </dev/null || fail "uninstaller exited with $?"
wait_for_uninstaller
[ ! -e "$dir" ] || fail "left behind after the second uninstall"

if [ "$failures" -ne 0 ]; then
  echo "installer test: $failures failure(s)"
  exit 1
fi
echo "installer test: passed"
