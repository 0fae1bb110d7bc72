#!/usr/bin/env bash
# VelmapBand-Setup.exe in the project's Wine prefix: a silent install leaves
# our files and the registry entries of both bitnesses, a silent uninstall
# leaves nothing of ours. The taskbar is told of the band through a stand-in of
# its desk-band object (Wine has none) that logs the calls it gets; without
# one, the helper says how to show the band from the Toolbars menu and the
# install still succeeds. The system's build number is set to Windows 11's for
# the first rounds (the floating bar selected, starting with Windows, started),
# then to an earlier one for a last install (the bar installed, not started).
# Updates and removals run while bandhost holds the band loaded (as explorer
# does): the band keeps working on its old code, the new files are in place,
# and after a restart (wineboot -r) nothing renamed aside is left. Then the
# per-user install, and an older version refused.
# Runs inside ./dev's Wine session (WINE, WINEPREFIX, DISPLAY).
#   installer_test.sh SETUP VERSION BIN64 OLDER_SETUP
set -uo pipefail
setup=$1 version=$2 bin64=$3 older=$4
bin32=${bin64%/win64/bin}/win32/bin
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
# Every installer run: bounded in time, and no message box of ours, of the
# system or of a crashing program may show up meanwhile.
dialogs="$WINEPREFIX/dialogs.seen"
watch_dialogs() {
  while :; do
    xwininfo -root -children 2>/dev/null |
      grep -E '"(VelmapBand (Setup|Uninstall)|[^"]*[Ee]rror[^"]*|regsvr32[^"]*)"' >>"$dialogs"
    sleep 0.2
  done
}
# run WHAT EXPECTED_CODE PROGRAM ARGS...
run() {
  local what=$1 want=$2 code watcher
  shift 2
  : >"$dialogs"
  watch_dialogs &
  watcher=$!
  local started=$(date +%s%N)
  timeout 240 "$WINE" "$@" </dev/null
  code=$?
  echo "   $what: exit code $code, $(( ($(date +%s%N) - started) / 1000000 )) ms"
  kill "$watcher"
  wait "$watcher" 2>/dev/null
  [ "$code" -eq 124 ] && fail "$what: did not end"
  expect_eq "$what: exit code" "$code" "$want"
  [ -s "$dialogs" ] && fail "$what: a dialog box showed: $(sort -u "$dialogs" | tr '\n' ' ')"
}
# The uninstaller runs on from a copy of itself: done when its entry is gone.
uninstall() {  # uninstall WHAT FOLDER(Windows) ADD_REMOVE_KEY
  run "$1" 0 "$2\\uninstall.exe" /S
  for _ in $(seq 240); do
    reg_has 64 "$3" || break
    sleep 0.25
  done
  sleep 1
  reg_has 64 "$3" && fail "$1: the uninstaller did not finish"
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

win_dir='C:\Program Files\VelmapBand'
# The installed files are the built ones.
expect_built_files() {
  cmp -s "$dir/VelmapBand.dll" "$bin64/VelmapBand.dll" || fail "$1: VelmapBand.dll is not the built one"
  cmp -s "$dir/x86/VelmapBand.dll" "$bin32/VelmapBand.dll" || fail "$1: x86/VelmapBand.dll is not the built one"
  cmp -s "$dir/VelmapBar.exe" "$bin64/VelmapBar.exe" || fail "$1: VelmapBar.exe is not the built one"
}
# Registered in both views, exactly when it should be (yes/no).
expect_registered() {
  local view
  for view in 64 32; do
    if [ "$2" = yes ]; then
      expect_eq "$1: class name ($view-bit)" "$(reg_value $view "HKCR\\CLSID\\$clsid")" "&Velmora Player"
      reg_has $view "HKCR\\CLSID\\$clsid\\Implemented Categories\\$desk_bands" ||
        fail "$1: not in the desk-band category ($view-bit)"
      reg_has $view "$toolbar_key" /v "$clsid" || fail "$1: no toolbar value ($view-bit)"
    else
      reg_has $view "HKCR\\CLSID\\$clsid" && fail "$1: class key left ($view-bit)"
      reg_has $view "$toolbar_key" /v "$clsid" && fail "$1: toolbar value left ($view-bit)"
    fi
  done
}
# Files renamed aside: in use, so never deleted before a restart.
aside() { find "$dir" -name '*.old' 2>/dev/null | sed "s|^$dir/||" | sort | tr '\n' ' '; }
restart_wine() { "$WINE" wineboot -r </dev/null >/dev/null 2>&1; }

# The band held as explorer holds it: bandhost shows it until told to go on,
# then clicks each button (the stand-in player counts the shortcuts) and takes
# its pictures.
held=0
hold_band() {
  held=$((held + 1))
  rm -f "$WINEPREFIX/drive_c/go-on" "$WINEPREFIX/drive_c/player.log"
  rm -rf "$WINEPREFIX/drive_c/held"
  "$WINE" "$bin64/player-standin.exe" 'C:\player.log' 120000 </dev/null >/dev/null 2>&1 &
  player_pid=$!
  "$WINE" "$bin64/bandhost.exe" --hold-until 'C:\go-on' --demo 'C:\held' </dev/null >"$WINEPREFIX/bandhost.out" 2>&1 &
  host_pid=$!
  for _ in $(seq 100); do
    grep -q 'ShowDW' "$WINEPREFIX/bandhost.out" 2>/dev/null && break
    sleep 0.2
  done
  grep -q 'ShowDW' "$WINEPREFIX/bandhost.out" || fail "hold $held: bandhost did not show the band"
}
# Lets the held band go on: it must still paint and click on its old code.
release_band() {
  touch "$WINEPREFIX/drive_c/go-on"
  local code=0
  wait "$host_pid" || code=$?
  expect_eq "$1: bandhost's demo on the held band" "$code" 0
  local shortcuts
  shortcuts=$(tr -d '\r' <"$WINEPREFIX/drive_c/player.log" 2>/dev/null | grep -c 'Ctrl+Alt+')
  expect_eq "$1: shortcuts the player got from the held band" "$shortcuts" 7
  [ -s "$WINEPREFIX/drive_c/held/band-pressed.png" ] || fail "$1: the held band painted no picture"
  kill "$player_pid" 2>/dev/null
  wait "$player_pid" 2>/dev/null
}

echo "-- silent install (no desk-band object: it says what to do, and succeeds)"
run "install" 0 "$setup" /S
for f in VelmapBand.dll x86/VelmapBand.dll VelmapBar.exe uninstall.exe; do
  [ -f "$dir/$f" ] || fail "not installed: $f"
done
[ -f "$menu/VelmapBar.lnk" ] || fail "no Start-menu entry for the floating bar"
# The shipped skins and the settings program, with its Start-menu entry.
for f in Skins/Chalk.asz Skins/Graphite.asz VelmapBandSettings.exe; do
  [ -f "$dir/$f" ] || fail "not installed: $f"
done
[ -f "$menu/VelmapBand Settings.lnk" ] || fail "no Start-menu entry for the settings"
for _ in $(seq 20); do bar_running && break; sleep 1; done
bar_running || fail "the floating bar was not started"
# Its first start (through the shell, as the user) writes its Run value.
for _ in $(seq 20); do reg_has 64 "$run_key" /v VelmapBar && break; sleep 0.5; done
shopt -s nocasematch
[[ "$(reg_value 64 "$run_key" VelmapBar)" == '"C:\Program Files\VelmapBand\VelmapBar.exe"' ]] ||
  fail "Run value is '$(reg_value 64 "$run_key" VelmapBar)'"
shopt -u nocasematch
expect_registered "install" yes
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
# The image of the all-users registration, for the per-user one below.
class_image() {  # class_image VIEW ROOT: the class's keys and values, the server's path left out
  "$WINE" reg query "$2\\CLSID\\$clsid" /s "/reg:$1" 2>/dev/null </dev/null | tr -d '\r' |
    sed -e 's|^HKEY_.*\\CLSID\\|CLSID\\|' -e '/^$/d' -e 's|\(    (Default)    REG_SZ    \)[A-Z]:\\.*\.DLL$|\1<server>|I'
}
image64=$(class_image 64 'HKLM\Software\Classes')
image32=$(class_image 32 'HKLM\Software\Classes')
[[ "$image64" == *'Implemented Categories'* && "$image32" == *'ThreadingModel'* ]] || fail "no class image: '$image64' '$image32'"

echo "-- an older version over this one: refused, nothing changed"
run "older setup" 5 "$older" /S
expect_eq "version after the older setup" "$(reg_value 64 "$uninstall_key" DisplayVersion)" "$version"
expect_built_files "after the older setup"

echo "-- silent install again while the band is held, the stand-in desk-band object registered"
"$WINE" reg add "$tray_key\\InprocServer32" /ve /d "Z:$bin64/tray-standin.dll" /f /reg:64 >/dev/null 2>&1 </dev/null
"$WINE" reg add "$tray_key\\InprocServer32" /v ThreadingModel /d Both /f /reg:64 >/dev/null 2>&1 </dev/null
# The installed files made unlike the built ones (bytes after the image
# change nothing of what loads): the update has to replace them.
for f in VelmapBand.dll x86/VelmapBand.dll VelmapBar.exe; do printf 'older' >>"$dir/$f"; done
hold_band
run "install over the held band" 0 "$setup" /S
# Told once that the bands changed, then to show ours (the finish page's
# default, which a silent install keeps).
expect_eq "calls the taskbar got" "$(tr -d '\r' <"$tray_log" 2>/dev/null | tr '\n' ';')" \
  "DeskBandRegistrationChanged;ShowDeskBand $clsid;"
"$WINE" reg delete "$tray_key" /f /reg:64 >/dev/null 2>&1 </dev/null
rm -f "$tray_log"
expect_built_files "update"
expect_eq "renamed aside by the update" "$(aside)" "VelmapBand.dll.1.old "
expect_registered "update" yes
for _ in $(seq 20); do bar_running && break; sleep 1; done
bar_running || fail "the floating bar was not started again after the update"
release_band "update"
restart_wine
expect_eq "renamed aside after the restart" "$(aside)" ""
expect_built_files "update, after the restart"
expect_registered "update, after the restart" yes

echo "-- silent uninstall while the band is held"
plant_caches
hold_band
uninstall "uninstall of the held band" "$win_dir" "$uninstall_key"
expect_registered "uninstall" no
expect_eq "left until the restart" "$(cd "$dir" 2>/dev/null && find . -type f | sort | tr '\n' ' ')" "./VelmapBand.dll.1.old "
[ ! -e "$menu" ] || fail "Start-menu folder left behind"
reg_has 64 "$uninstall_key" && fail "Add/Remove entry left"
expect_caches_gone "uninstall"
for c in "${caches[@]}"; do "$WINE" reg delete "$c" /f /reg:64 >/dev/null 2>&1 </dev/null; done
reg_has 64 'HKCU\Software\Velmap' && fail "per-user settings left"
reg_has 64 "$run_key" /v VelmapBar && fail "Run value left"
bar_running && fail "the floating bar still runs"
release_band "uninstall"
restart_wine
[ ! -e "$dir" ] || fail "left behind after the restart: $(cd "$dir" && find . -mindepth 1 | tr '\n' ' ')"

echo "-- uninstall, then install before the restart, while the band is held"
set_build 19045
run "install" 0 "$setup" /S
hold_band
uninstall "uninstall of the held band" "$win_dir" "$uninstall_key"
run "install before the restart" 0 "$setup" /S
release_band "reinstall"
restart_wine
expect_built_files "reinstall, after the restart"
expect_registered "reinstall, after the restart" yes
expect_eq "renamed aside after the restart" "$(aside)" ""
# As on Windows 10: the bar installed, neither started nor starting with Windows.
reg_has 64 "$run_key" /v VelmapBar && fail "Run value written outside Windows 11"
bar_running && fail "the floating bar was started outside Windows 11"

echo "-- only for me: refused over the all-users install"
run "per-user setup over the all-users install" 4 "$setup" /S /CurrentUser
reg_has 64 "HKCU\\Software\\Classes\\CLSID\\$clsid" && fail "the refused per-user setup registered the band"
uninstall "uninstall" "$win_dir" "$uninstall_key"
[ ! -e "$dir" ] || fail "left behind after the last all-users uninstall"

echo "-- only for me: the per-user install round trip"
user_dir=$("$WINE" cmd /c 'echo %LOCALAPPDATA%' </dev/null 2>/dev/null | tr -d '\r')\\Programs\\VelmapBand
user_unix=$("$WINE" winepath -u "$user_dir" </dev/null 2>/dev/null)
user_key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\VelmapBand'
run "per-user setup" 0 "$setup" /S /CurrentUser
cmp -s "$user_unix/VelmapBand.dll" "$bin64/VelmapBand.dll" || fail "per-user: VelmapBand.dll not in '$user_dir'"
cmp -s "$user_unix/x86/VelmapBand.dll" "$bin32/VelmapBand.dll" || fail "per-user: no 32-bit DLL"
expect_eq "per-user: Add/Remove version" "$(reg_value 64 "$user_key" DisplayVersion)" "$version"
reg_has 64 "$uninstall_key" && fail "per-user: an all-users Add/Remove entry"
expect_registered "per-user: all users' classes" no
expect_eq "per-user: 64-bit class image" "$(class_image 64 'HKCU\Software\Classes')" "$image64"
expect_eq "per-user: 32-bit class image" "$(class_image 32 'HKCU\Software\Classes')" "$image32"
# (Wine keeps one user's classes of both bitnesses in one key: the 32-bit
# registration's server cannot be told apart there, the 64-bit one, made last, can.)
shopt -s nocasematch
[[ "$(reg_value 64 "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32")" == "$user_dir\\VelmapBand.dll" ]] ||
  fail "per-user: 64-bit server is '$(reg_value 64 "HKCU\\Software\\Classes\\CLSID\\$clsid\\InprocServer32")'"
shopt -u nocasematch
reg_has 64 'HKCU\Software\Microsoft\Internet Explorer\Toolbar' /v "$clsid" || fail "per-user: no toolbar value"
[ -f "$("$WINE" winepath -u "$("$WINE" cmd /c 'echo %APPDATA%' </dev/null 2>/dev/null | tr -d '\r')" \
  </dev/null 2>/dev/null)/Microsoft/Windows/Start Menu/Programs/VelmapBand/VelmapBar.lnk" ] ||
  fail "per-user: no Start-menu entry in the user's menu"
# Wine's HKEY_CLASSES_ROOT does not show the user's classes: the band is made
# from the per-user DLL as the shell would find it there.
"$WINE" "$bin64/bandhost.exe" --clsid "$clsid" --user-classes --show-ms 300 </dev/null >"$WINEPREFIX/bandhost.out" 2>&1 ||
  fail "per-user: bandhost could not make the band: $(tr -d '\r' <"$WINEPREFIX/bandhost.out" | tail -3)"
grep -qi 'DllGetClassObject of .*Programs.VelmapBand.*-> 0x00000000' "$WINEPREFIX/bandhost.out" ||
  fail "per-user: the band was not made from the per-user DLL"
run "all-users setup over the per-user install" 4 "$setup" /S /AllUsers
[ ! -e "$dir" ] || fail "the refused all-users setup installed files"
uninstall "per-user uninstall" "$user_dir" "$user_key"
[ ! -e "$user_unix" ] || fail "per-user: left behind: $(cd "$user_unix" && find . -mindepth 1 | tr '\n' ' ')"
reg_has 64 "HKCU\\Software\\Classes\\CLSID\\$clsid" && fail "per-user: class key left (64-bit)"
reg_has 32 "HKCU\\Software\\Classes\\CLSID\\$clsid" && fail "per-user: class key left (32-bit)"
reg_has 64 'HKCU\Software\Microsoft\Internet Explorer\Toolbar' /v "$clsid" && fail "per-user: toolbar value left"

if [ "$failures" -ne 0 ]; then
  echo "installer test: $failures failure(s)"
  exit 1
fi
echo "installer test: passed"
