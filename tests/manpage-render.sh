#!/bin/bash
# man renders the page without a warning, 80 columns wide: the page as
# written, or, without a build tree, as installed (PREFIX/share/man/man1).
# Usage: manpage-render.sh BINARY [BUILD_DIR]
if [ $# -gt 1 ]; then
	# shellcheck source=tests/lib-build.sh
	. "$(dirname "$0")/lib-build.sh"
else
	# shellcheck source=tests/lib.sh
	. "$(dirname "$0")/lib.sh"
fi
need man 'man page rendering'
if [ $# = 1 ]; then
	installed 'man page' share/man/man1/rangecat.1.gz
	page=$at
fi
want 'man -l' env MANWIDTH=80 man --warnings -l "$page"
finish
