#!/usr/bin/env bash
# The Windows installer under Wine, in a Wine prefix of its own (a clean
# machine): a silent per-user install, the files and the Start menu entry it
# makes, the installed program creating its data in %APPDATA%\Vedaris and
# nothing beside itself, the installed check tool on that folder, and a silent
# uninstall that leaves the data. Exit 77 (skipped) without Wine.
# Usage: installer-test.sh SETUP.EXE
set -euo pipefail
setup=$1
command -v wine >/dev/null || { echo "wine not found: installer test skipped"; exit 77; }

work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
gui_pid=
cleanup() {
    [[ -z $gui_pid ]] || kill "$gui_pid" 2>/dev/null || true
    wineserver -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

wineboot -i >/dev/null 2>&1 || true
# The prefix holds Public beside the user: ask Wine whose %APPDATA% it is.
appdata=$(winepath -u "$(wine cmd /c echo %APPDATA% 2>/dev/null | tr -d '\r')")
appdata=${appdata%/}
[[ -d $appdata ]] || fail "no %APPDATA% in the Wine prefix: $appdata"
target=$work/Программы/Ведарис
mkdir -p "$work/Программы"
wine "$setup" /S "/D=$(winepath -w "$target")" || fail "installer exit status $?"
for f in bin/vedaris.exe bin/vedaris-report.exe bin/vedaris-check.exe uninstall.exe \
         share/vedaris/qtbase_ru.qm share/doc/vedaris/guide.html; do
    [[ -f $target/$f ]] || fail "not installed: $f"
done
[[ -f "$appdata/Microsoft/Windows/Start Menu/Programs/Ведарис.lnk" ]] || fail "no Start menu entry"

# The installed program keeps its data in %APPDATA%\Vedaris.
data=$appdata/Vedaris
QT_QPA_PLATFORM=offscreen wine "$target/bin/vedaris.exe" >"$work/gui.log" 2>&1 &
gui_pid=$!
for _ in $(seq 300); do
    [[ $(ls "$data"/*.dat 2>/dev/null | wc -l) -eq 6 ]] && break
    kill -0 "$gui_pid" 2>/dev/null || fail "vedaris.exe ended: $(cat "$work/gui.log")"
    sleep 0.2
done
kill "$gui_pid"; wait "$gui_pid" 2>/dev/null || true; gui_pid=
wineserver -k 2>/dev/null || true
diff <(printf '%s\n' Base.dat FirmaPostav.dat Izgotovitel.dat NamePreparat.dat Otdelenie.dat Rashod.dat) \
     <(cd "$data" && ls ./*.dat | sed 's|^\./||') || fail "data files in $data"
[[ -z $(find "$target" -name '*.dat') ]] || fail "data files beside the installed program"
wine "$target/bin/vedaris-check.exe" >"$work/check.out" 2>&1 || fail "check: $(cat "$work/check.out")"
grep -q 'AppData\\Roaming\\Vedaris\. .*Нарушений: 0\.' "$work/check.out" || fail "check said: $(cat "$work/check.out")"

# The uninstaller (run in place, so it waits) removes the program, not the data.
wine "$target/uninstall.exe" /S "_?=$(winepath -w "$target")" || fail "uninstaller exit status $?"
[[ ! -e $target/bin/vedaris.exe ]] || fail "vedaris.exe left after uninstall"
[[ ! -e "$appdata/Microsoft/Windows/Start Menu/Programs/Ведарис.lnk" ]] || fail "Start menu entry left"
[[ $(ls "$data"/*.dat | wc -l) -eq 6 ]] || fail "uninstall touched the data"
echo "installer test passed: $(basename "$setup")"
