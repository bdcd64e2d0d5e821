#!/bin/sh
# Checks that kivra.1 keeps up with the program: every subcommand that
# `kivra --help` lists has a .SS heading in the page, and every long option
# (--xyz) that `kivra --help` or `kivra COMMAND --help` prints occurs in its
# source. Prints what is missing and exits 1 when anything is.
#
#   tools/check_manpage.sh build/bin/kivra packaging/man/kivra.1
set -u

if [ $# -ne 2 ]; then
    echo "usage: $0 KIVRA_BINARY KIVRA_1" >&2
    exit 2
fi
kivra=$1
page=$2
[ -x "$kivra" ] || { echo "$0: '$kivra' is not an executable" >&2; exit 2; }
[ -r "$page" ] || { echo "$0: cannot read '$page'" >&2; exit 2; }

# The page's source with font changes (\fB, \fR, \f(CW, \f[B]) and the
# zero-width \& dropped, then every other backslash, so that
# \fB\-\-xyz\fR reads as --xyz and \-i as -i.
source=$(sed -e 's/\\f[1-4BIRP]//g' -e 's/\\f([A-Z][A-Z]//g' -e 's/\\f\[[^]]*\]//g' \
    -e 's/\\&//g' -e 's/\\//g' "$page")
missing=0

# has PATTERN: the source holds a line that matches the extended expression.
has() {
    printf '%s\n' "$source" | grep -Eq -- "$1"
}

# Long options of a help text: --xyz, as many times as they occur.
long_options() {
    grep -oE -- '--[a-z][a-z0-9-]*' | sort -u
}

top_help=$("$kivra" --help) || { echo "$0: '$kivra --help' failed" >&2; exit 2; }

# The subcommands: the indented first words of the lines after "Subcommands:",
# up to the first blank line.
commands=$(printf '%s\n' "$top_help" |
    sed -n '/^Subcommands:/,/^$/p' | sed -n 's/^  \([a-z][a-z0-9-]*\) .*/\1/p')
if [ -z "$commands" ]; then
    echo "$0: '$kivra --help' lists no subcommands" >&2
    exit 2
fi

for option in $(printf '%s\n' "$top_help" | long_options); do
    if ! has "$option([^a-z0-9-]|$)"; then
        echo "missing: option $option, named by kivra --help"
        missing=1
    fi
done

for command in $commands; do
    # Each command is described under a heading of its own: .SS "rows ...".
    if ! has "^\.SS \"?$command( |\"|$)"; then
        echo "missing: subcommand $command"
        missing=1
    fi
    help=$("$kivra" "$command" --help) || {
        echo "$0: '$kivra $command --help' failed" >&2
        missing=1
        continue
    }
    for option in $(printf '%s\n' "$help" | long_options); do
        if ! has "$option([^a-z0-9-]|$)"; then
            echo "missing: option $option of kivra $command"
            missing=1
        fi
    done
done

[ "$missing" -eq 0 ] && echo "$page covers every subcommand and long option of $kivra"
exit "$missing"
