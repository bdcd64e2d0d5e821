#!/bin/sh
# Runs the same kivra commands with the Linux build and, under wine, with
# the Windows build, on the examples, and compares their outputs byte for
# byte:  tools/windows_checks.sh LINUX_BIN WINDOWS_BIN
set -u
linux=$(cd "$1" && pwd)/kivra
windows=$(cd "$2" && pwd)/kivra.exe
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export WINEDEBUG=-all
export WINEPREFIX="${WINEPREFIX:-$work/wine}"
# No settings file on either side: the shipped defaults hold.
mkdir -p "$work/profile"
export USERPROFILE="$work/profile" HOME="$work/profile"

cp "$root/examples/sample.pad" "$root/examples/sample-faster.pad" "$work/"
cp -r "$root/examples/runs" "$work/runs"
cp "$root/examples/timing-demo/Demo.bas" "$work/crlf.bas"
tr -d '\r' < "$root/examples/timing-demo/Demo.bas" > "$work/lf.bas"
printf 'Public Function Caf\351(ByVal X As Long) As Long\r\n    Caf\351 = X\r\nEnd Function\r\n' > "$work/latin.bas"
cp "$work/crlf.bas" "$work/日本.bas"
cd "$work"

failed=0
checks=0
check() {
    checks=$((checks + 1))
    "$linux" "$@" > linux.out 2> linux.err
    linuxStatus=$?
    wine "$windows" "$@" > windows.out 2> windows.err
    windowsStatus=$?
    if ! cmp -s linux.out windows.out || [ "$linuxStatus" != "$windowsStatus" ]; then
        failed=$((failed + 1))
        echo "DIFFERENT: kivra $* (exit $linuxStatus / $windowsStatus)"
        cmp linux.out windows.out | head -1
    fi
}
check --help
check report sample.pad
check rows sample.pad
check flat sample.pad
check diff sample.pad sample-faster.pad
check diff runs/before --vs runs/after
check diff runs/before runs/after --json
check diff sample.pad runs/before/run1.pad --vs sample-faster.pad --csv
check export sample.pad --chrome
check export sample.pad --speedscope
check export sample.pad --folded
check export sample.pad --svg
check export sample-faster.pad --html --baseline sample.pad
check export sample.pad --html --range 100:250 --format 0.0
for source in crlf.bas lf.bas latin.bas 日本.bas; do
    check tag "$source"
    "$linux" tag "$source" > tagged.bas
    check untag tagged.bas
    check comment --out tagged.bas
    check check tagged.bas
done
# In place, on copies: the same bytes in the files afterwards.
mkdir linux windows
cp crlf.bas lf.bas latin.bas 日本.bas linux/
cp crlf.bas lf.bas latin.bas 日本.bas windows/
"$linux" tag -i linux > /dev/null 2>&1
wine "$windows" tag -i windows > /dev/null 2>&1
checks=$((checks + 1))
if ! diff -r linux windows > /dev/null; then
    failed=$((failed + 1))
    echo "DIFFERENT: kivra tag -i on a folder"
fi
echo "windows checks: $((checks - failed)) of $checks the same"
[ "$failed" = 0 ]
