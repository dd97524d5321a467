#!/bin/bash
# The packages fixture, made once a run for the checks that read it, in
# BUILD_DIR/Testing/fixtures:
#   local/      the build installed as a user installs it (by component, so
#               that the user's own install manifest stays as it is);
#   deb/        the .deb, and unpacked/ its files, where dpkg-deb is;
#   rpm/        the .rpm, where rpmbuild is.
# Usage: packages.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"

setup rm -rf "$fixtures"
setup mkdir -p "$fixtures"
cmake --install "$build" --component rangecat --prefix "$fixtures/local" >/dev/null ||
	framework_failure_ 'cmake --install --component rangecat'
if command -v dpkg-deb >/dev/null; then
	pack "$build" DEB "$fixtures/deb"
	setup dpkg-deb -x "$fixtures"/deb/*.deb "$fixtures/unpacked"
fi
if command -v rpmbuild >/dev/null; then
	pack "$build" RPM "$fixtures/rpm"
fi
echo "fixture: $(cd "$fixtures" && echo *)"
