#!/bin/bash
# rpmlint's verdict on the .rpm, with the filters of packaging/rpmlintrc,
# each of which says why it is there: errors fail it, and so do warnings.
# Usage: rpmlint.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
need rpmbuild 'rpmlint on the package'
need rpmlint 'rpmlint on the package'
release_names 'rpmlint on the package'
rpm=$(ls "$fixtures"/rpm/*.rpm) || framework_failure_ 'no .rpm in the fixture'

if rpmlint -c "$src/packaging/rpmlint.toml" --ignore-unused-rpmlintrc \
	-r "$src/packaging/rpmlintrc" "$rpm" >lint.out 2>&1 &&
	grep -q ' 0 errors, 0 warnings' lint.out; then
	passed=$((passed + 1))
else
	fail "rpmlint: $(grep -E ': [EW]: |errors' lint.out)"
fi

finish
