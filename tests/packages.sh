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
# pack BUILD_DIR GENERATOR OUT_DIR: CPack's package of BUILD_DIR, in OUT_DIR.
# It is made in this check's own folder, since rpmbuild makes none in a
# folder whose path has a blank or a quote, as a user's build folder may.
pack() {
	(cd "$1" && cpack -G "$2" -B "$tmp/packed" >/dev/null 2>&1) || framework_failure_ "cpack -G $2 in $1"
	setup mkdir -p "$3"
	setup mv "$tmp"/packed/*.* "$3/"
	setup rm -rf "$tmp/packed"
}
if command -v dpkg-deb >/dev/null; then
	pack "$build" DEB "$fixtures/deb"
	setup dpkg-deb -x "$fixtures"/deb/*.deb "$fixtures/unpacked"
fi
if command -v rpmbuild >/dev/null; then
	pack "$build" RPM "$fixtures/rpm"
fi
echo "fixture: $(cd "$fixtures" && echo *)"
