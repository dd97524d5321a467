#!/bin/bash
# What a publisher configures a build with, a maintainer, a home page and
# a snapshot version, is what its .deb and .rpm say: their fields, the
# changelog and where the man page sends bugs.
# Usage: publisher.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
release_names "a publisher's packages"
need dpkg-deb "a publisher's packages"
need rpmbuild "a publisher's packages"
# The home page's %XX escapes reach the .rpm as they are, though rpm reads
# %debug_package (%DE, then bug_package) as a macro.
maintainer='Ada Lovelace <ada@example.org>' homepage=https://example.org/%7Eada/%debug_package
probed
rebuild published "${probed[@]}" "-DRANGECAT_MAINTAINER=$maintainer" "-DRANGECAT_HOMEPAGE=$homepage" \
	-DRANGECAT_SNAPSHOT=ON || framework_failure_ 'a build with a maintainer and a home page'
pack published DEB packages
pack published RPM packages

deb=$(ls packages/*.deb) || framework_failure_ "no .deb of the publisher's build"
same 'a published .deb' "$(dpkg-deb -f "$deb" Version Maintainer Homepage)" \
	"Version: $version~snapshot
Maintainer: $maintainer
Homepage: $homepage"
setup dpkg-deb -x "$deb" unpacked
same 'changelog of a published .deb' \
	"$(gzip -dc unpacked/usr/share/doc/rangecat/changelog.gz | sed -n '1p;$p')" \
	"rangecat ($version~snapshot) unstable; urgency=medium
$(sed -n "\$s/ -- [^<]*<[^>]*>/ -- $maintainer/p" "$src/packaging/changelog")"
same 'where the man page of a published .deb sends bugs' \
	"$(gzip -dc unpacked/usr/share/man/man1/rangecat.1.gz >page && bugs_in page)" \
	"$(bugs_want "$homepage")"
rpm=$(ls packages/*.rpm) || framework_failure_ "no .rpm of the publisher's build"
same 'a published .rpm' \
	"$(rpm -qp --qf '%{VERSION}|%{PACKAGER}|%{VENDOR}|%{URL}|%{CHANGELOGNAME}' "$rpm")" \
	"$version~snapshot|$maintainer|${maintainer% <*}|$homepage|$maintainer - $version~snapshot-1"

finish
