#!/bin/sh
# Runs a target of the Makefile (run, test, sanitize, bench, install, ...)
# on a machine that may not even have make yet; the Makefile installs the rest.
set -e
cd "$(dirname "$0")"
if ! command -v make > /dev/null 2>&1; then
    if [ "$(id -u)" = 0 ]; then SUDO=; else SUDO=sudo; fi
    $SUDO apt-get update -qq
    $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq make
fi
exec make "$@"
