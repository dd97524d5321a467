#!/bin/bash
# mandoc's lint of the man page, as written and as the build installs it.
# Usage: manpage-lint.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
need mandoc 'man page lint'
want 'mandoc -Tlint' mandoc -Tlint -Wwarning "$page" "$build/rangecat.1"
finish
