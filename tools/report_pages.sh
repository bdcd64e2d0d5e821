#!/bin/sh
# Writes docs/report.html, the HTML report of the example run against its
# baseline, and pictures of it in a light and a dark browser theme, taken
# by headless Chromium:  tools/report_pages.sh KIVRA
set -eu
kivra=$1
root=$(cd "$(dirname "$0")/.." && pwd)
chromium=${CHROMIUM:-/usr/bin/chromium}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# The shipped settings, whatever the user's are.
export HOME="$work" XDG_CONFIG_HOME="$work/.config" USERPROFILE="$work"

"$kivra" export "$root/examples/sample-faster.pad" --html --baseline "$root/examples/sample.pad" \
    -o "$root/docs/report.html"
# Chromium's preferred colour scheme: 1 light, 0 dark.
for theme in 1:report.png 0:report-dark.png; do
    timeout 90 "$chromium" --headless --no-sandbox --disable-gpu --no-first-run --disable-background-networking \
        --user-data-dir="$work/profile" --hide-scrollbars --window-size=1280,1400 \
        --blink-settings=preferredColorScheme="${theme%%:*}" \
        --screenshot="$root/docs/${theme#*:}" "file://$root/docs/report.html" >/dev/null 2>&1
done
echo "report_pages: docs/report.html, docs/report.png, docs/report-dark.png"
