#!/bin/bash
# mandoc's lint of the man page: as written and as the build installs it,
# or, without a build tree, as installed (PREFIX/share/man/man1).
# Usage: manpage-lint.sh BINARY [BUILD_DIR]
if [ $# -gt 1 ]; then
	# shellcheck source=tests/lib-build.sh
	. "$(dirname "$0")/lib-build.sh"
	pages=("$page" "$build/rangecat.1")
else
	# shellcheck source=tests/lib.sh
	. "$(dirname "$0")/lib.sh"
fi
need mandoc 'man page lint'
if [ $# = 1 ]; then
	installed 'man page' share/man/man1/rangecat.1.gz
	pages=("$at")
fi
# mandoc says what it finds on stdout: want shows stderr.
want 'mandoc -Tlint' sh -c 'mandoc -Tlint -Wwarning "$@" >&2' mandoc "${pages[@]}"
finish
