#!/bin/bash
# The packages fixture, made once a run for the checks that read it, in
# BUILD_DIR/Testing/fixtures:
#   local/      the build installed as a user installs it (by component, so
#               that the user's own install manifest stays as it is);
#   deb/        in the build a release is made of (RANGECAT_RELEASE), the
#               .deb, where dpkg-deb is;
#   unpacked/   the .deb's files, or where the fixture makes no .deb, the
#               install into /usr that a distribution packages (DESTDIR);
#   rpm/        in the build a release is made of, the .rpm, where
#               rpmbuild is.
# A plain build, a distribution's, makes no package of the project's own.
# Usage: packages.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"

setup rm -rf "$fixtures"
setup mkdir -p "$fixtures"
cmake --install "$build" --component rangecat --prefix "$fixtures/local" >/dev/null ||
	framework_failure_ 'cmake --install --component rangecat'
release=no
[ "${RANGECAT_RELEASE:-OFF}" != ON ] || release=yes
if [ "$release" = yes ] && command -v dpkg-deb >/dev/null; then
	pack "$build" DEB "$fixtures/deb"
	setup dpkg-deb -x "$fixtures"/deb/*.deb "$fixtures/unpacked"
else
	DESTDIR=$fixtures/unpacked cmake --install "$build" --component rangecat --prefix /usr >/dev/null ||
		framework_failure_ 'cmake --install --component rangecat into DESTDIR'
fi
if [ "$release" = yes ] && command -v rpmbuild >/dev/null; then
	pack "$build" RPM "$fixtures/rpm"
fi
echo "fixture: $(cd "$fixtures" && echo *)"
