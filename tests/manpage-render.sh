#!/bin/bash
# man renders the page without a warning, 80 columns wide.
# Usage: manpage-render.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
need man 'man page rendering'
want 'man -l' env MANWIDTH=80 man --warnings -l "$page"
finish
