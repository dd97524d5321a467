#!/bin/bash
# lintian's verdict on the package: every tag counts, down to the pedantic
# ones; the package's own overrides hide theirs.
# Usage: lintian.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
need lintian 'lintian on the package'
need dpkg-deb 'lintian on the package'
release_names 'lintian on the package'
deb=$(ls "$fixtures"/deb/*.deb) || framework_failure_ 'no .deb in the fixture'

if lintian --fail-on warning -I --pedantic "$deb" >lint.out 2>lint.err && [ ! -s lint.out ]; then
	passed=$((passed + 1))
else
	fail "lintian: $(cat lint.out lint.err)"
fi

finish
