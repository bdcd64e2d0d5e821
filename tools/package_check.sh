#!/usr/bin/env bash
# Checks the Debian package as a user meets it: lintian's findings, then
# apt-get install, the installed programs at work, and apt-get remove.
#   tools/package_check.sh kivra_<version>_<arch>.deb
set -euo pipefail
deb=$(realpath "$1")
sudo=$([ "$(id -u)" = 0 ] || echo sudo)

echo "== lintian"
# Errors fail the check; warnings are printed for the reader.
lintian --fail-on error --no-tag-display-limit "$deb"

echo "== install"
$sudo env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb"
home=$(mktemp -d)
trap '$sudo env DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq kivra; rm -rf "$home"' EXIT

export HOME="$home" XDG_CONFIG_HOME="$home/.config" USERPROFILE="$home"

echo "== the programs on the PATH"
kivra --version
kivra-analyzer --version
kivra-tag --version
test -x "/usr/lib/kivra/Kivra Tag"          # the analyzer starts the tagger from its own folder
test -f /usr/lib/kivra/Kivra.html
test -f /usr/lib/kivra/Quorlin.html
man -w kivra kivra-analyzer kivra-tag >/dev/null

echo "== kivra on the installed example"
# Read the whole report: head would close the pipe early and, under
# pipefail, the write into it would fail the check (SIGPIPE).
kivra report /usr/share/kivra/examples/sample.pad | sed -n 1,5p
kivra flat /usr/share/kivra/examples/sample.pad --top 3
test -f /usr/share/kivra/timing/KivraTimer.cls

echo "== the analyzer, offscreen, for a moment"
set +e
QT_QPA_PLATFORM=offscreen timeout 5 kivra-analyzer /usr/share/kivra/examples/sample.pad
status=$?
set -e
# Still running when the time is up (124) is what a window does.
if [ "$status" != 124 ]; then
  echo "the analyzer ended with status $status instead of staying open" >&2
  exit 1
fi
echo "== remove"
