#!/bin/sh
# Opens kivra's HTML report in headless Chromium through the script of
# tests/e2e/browser (Node.js with playwright-core, which `make deps`
# installs with npm ci). Exits 77 (skipped) when Chromium, Node.js or the
# script's module is missing.
#
#   report_in_chromium.sh KIVRA EXAMPLES_DIR
set -eu
here=$(cd "$(dirname "$0")" && pwd)
chromium=${CHROMIUM:-/usr/bin/chromium}
if [ ! -x "$chromium" ]; then
    echo "report_in_chromium: $chromium is not installed; skipped"
    exit 77
fi
if ! command -v node >/dev/null 2>&1 || [ ! -d "$here/browser/node_modules/playwright-core" ]; then
    echo "report_in_chromium: Node.js or playwright-core is missing (make deps installs them); skipped"
    exit 77
fi
exec node "$here/browser/report_check.mjs" "$1" "$2"
