#!/usr/bin/env bash
# Our C++ sources, NUL-separated, for clang-format: every tracked .cpp and .h
# file except the fuzzers' seed corpora.
set -euo pipefail
cd "$(dirname "$0")/.."
git ls-files -z --cached --others --exclude-standard -- '*.cpp' '*.h' ':!:fuzz/corpus/**'
