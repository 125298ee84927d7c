#!/usr/bin/env bash
# Builds the Debian package, unpacks it into a scratch root and runs what it
# installs: the file list, the desktop entry, the manual pages, both tools on
# generated data (their workbooks must match the built tools'), and the program
# itself from a read-only bin folder, which must keep its data in the user's
# folder. Exit 77 (skipped) without dpkg-deb.
# Usage: package-test.sh CPACK BUILD_DIR VEDARIS_GEN BUILT_REPORT_TOOL
set -euo pipefail
cpack=$1 build=$2 gen=$3 built_report=$4

command -v dpkg-deb >/dev/null || { echo "dpkg-deb not found: package test skipped"; exit 77; }

work=$(mktemp -d)
gui_pid=
cleanup() {
    [[ -z $gui_pid ]] || kill "$gui_pid" 2>/dev/null || true
    chmod -R u+w "$work" 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; exit 1; }

"$cpack" --config "$build/CPackConfig.cmake" -B "$work/out" >"$work/cpack.log" 2>&1 \
    || { cat "$work/cpack.log"; fail "cpack"; }
deb=$(echo "$work"/out/vedaris_4.3_*.deb)
[[ -f $deb ]] || fail "no vedaris_4.3_*.deb in $(ls "$work/out")"

root=$work/root
dpkg-deb -x "$deb" "$root"
expected=(
    usr/bin/vedaris usr/bin/vedaris-check usr/bin/vedaris-report
    usr/share/applications/vedaris.desktop
    usr/share/doc/vedaris/copyright usr/share/doc/vedaris/guide.html
    usr/share/icons/hicolor/scalable/apps/vedaris.svg
)
for s in 16 22 24 32 48 64 128 256; do
    expected+=("usr/share/icons/hicolor/${s}x${s}/apps/vedaris.png")
done
for lang in "" ru/; do
    for page in vedaris-check vedaris-report; do
        expected+=("usr/share/man/${lang}man1/$page.1.gz")
    done
done
expected+=(usr/share/vedaris/qtbase_ru.qm)
diff <(printf '%s\n' "${expected[@]}" | sort) <(cd "$root" && find . -type f | sed 's|^\./||' | sort) \
    || fail "package file list differs (< expected, > in the package)"

depends=$(dpkg-deb -f "$deb" Depends)
for lib in libqt6widgets6 libqt6svg6 zlib1g; do
    [[ $depends == *"$lib"* ]] || fail "Depends lacks $lib: $depends"
done
# The workbooks are written by the program's own writer: libxlsxwriter is the
# tests' reference only.
[[ $depends != *libxlsxwriter* ]] || fail "Depends names libxlsxwriter: $depends"

desktop-file-validate "$root/usr/share/applications/vedaris.desktop" || fail "desktop entry"
grep -qx 'Exec=vedaris' "$root/usr/share/applications/vedaris.desktop" || fail "desktop Exec"

bin=$root/usr/bin
# Every option the tools know is in both languages' manual pages.
for tool in vedaris-report vedaris-check; do
    options=$("$bin/$tool" --help | grep -o -- '--[a-z][a-z-]*' | sort -u)
    for lang in "" ru/; do
        page=$(zcat "$root/usr/share/man/${lang}man1/$tool.1.gz" | sed 's/\\-/-/g')
        for o in $options; do
            [[ $page == *"$o"* ]] || fail "${lang}$tool.1 lacks $o"
        done
        for section in 'EXIT STATUS|КОД ВЫХОДА' 'EXAMPLE|ПРИМЕР'; do
            grep -qE "^\.SH \"?($section)" <<<"$page" || fail "${lang}$tool.1 lacks $section"
        done
    done
done

data=$work/data
"$gen" --dir "$data" --batches 60 --issues 300 >/dev/null
sheets() { unzip -p "$1" 'xl/worksheets/*.xml'; }
reports=("stock --date 01.06.2024" "movement --start 01.01.2015 --finish 31.12.2024"
         "departments --start 01.01.2015 --finish 31.12.2024")
for r in "${reports[@]}"; do
    # shellcheck disable=SC2086
    "$bin/vedaris-report" --data "$data" --output "$work/installed.xlsx" $r || fail "installed report $r"
    # shellcheck disable=SC2086
    VEDARIS_DATA=$data "$built_report" --output "$work/built.xlsx" $r || fail "built report $r"
    sheets "$work/installed.xlsx" >"$work/installed.xml"
    sheets "$work/built.xlsx" >"$work/built.xml"
    cmp "$work/installed.xml" "$work/built.xml" || fail "report $r differs"
    [[ $(grep -o '<row ' "$work/installed.xml" | wc -l) -gt 10 ]] || fail "report $r has hardly any rows"
done
VEDARIS_DATA=$data "$bin/vedaris-check" >"$work/check.out" || fail "check: $(cat "$work/check.out")"
grep -q "Папка данных: $data\. .*Нарушений: 0\." "$work/check.out" || fail "check said: $(cat "$work/check.out")"

# The installed program with a read-only bin folder: the six files appear in
# the per-user folder, nothing beside the executable.
chmod a-w "$bin"
export XDG_DATA_HOME=$work/xdg
unset VEDARIS_DATA
QT_QPA_PLATFORM=offscreen "$bin/vedaris" >"$work/gui.log" 2>&1 &
gui_pid=$!
user=$XDG_DATA_HOME/Vedaris
for _ in $(seq 100); do
    [[ $(ls "$user"/*.dat 2>/dev/null | wc -l) -eq 6 ]] && break
    kill -0 "$gui_pid" 2>/dev/null || fail "vedaris ended: $(cat "$work/gui.log")"
    sleep 0.2
done
kill "$gui_pid"; wait "$gui_pid" 2>/dev/null || true; gui_pid=
diff <(printf '%s\n' Base.dat FirmaPostav.dat Izgotovitel.dat NamePreparat.dat Otdelenie.dat Rashod.dat) \
     <(cd "$user" && ls ./*.dat | sed 's|^\./||') || fail "data files in $user"
[[ -z $(find "$root" -name '*.dat') ]] || fail "data files beside the installed program"
"$bin/vedaris-check" >"$work/check.out" || fail "check of the user folder: $(cat "$work/check.out")"
grep -q "Папка данных: $user\." "$work/check.out" || fail "check used: $(cat "$work/check.out")"
echo "package test passed: $(basename "$deb")"
