#!/bin/bash
# The .rpm holds the .deb's files, with their modes, owners and sizes, in
# the same places but where RPM systems look elsewhere: the zsh completion
# in site-functions, no lintian override, and in /usr/share/licenses the
# licence and the notices of what a static binary carries, in place of
# Debian's copyright file. Its licence tag names all that the binary holds;
# a static one requires only rpm's features and provides the libraries it
# bundles; its binary and bill of materials are the .deb's. Its
# architecture and times are right, and dnf installs, runs and removes it
# in an empty root, or, when it is dynamic, refuses it there for want of
# the C library.
# Usage: rpm.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
need rpmbuild 'RPM package'
need dpkg-deb 'RPM package'
need dnf 'RPM package'
[ "$(id -u)" = 0 ] || skip_ 'RPM package' 'dnf --installroot and chroot need root'
release_names 'RPM package'
rpm=$(fixture_copy rpm rpm) || exit
deb=$(ls "$fixtures"/deb/*.deb) || framework_failure_ 'no .deb in the fixture'
licences=/usr/share/licenses/rangecat/LICENSE
licence='MIT AND LGPL-2.1-or-later AND GPL-3.0-or-later WITH GCC-exception-3.1' bundles=
if [ "$linkage" = dynamic ]; then
	licence=MIT
	same 'a dynamic .rpm requires the C library' \
		"$(rpm -qp --requires "$rpm" | grep -c '^libc\.so\.6()')" 1
else
	licences+=$'\n'/usr/share/licenses/rangecat/THIRD-PARTY-NOTICES
	same 'what a static .rpm requires besides rpm features' \
		"$(rpm -qp --requires "$rpm" | grep -v '^rpmlib(')" ''
	# What it bundles, at the versions the bill of materials names, which
	# the deb check holds to the C library's own word.
	bundles=$(python3 -c 'import json, sys
versions = {p["name"]: p["versionInfo"] for p in json.load(open(sys.argv[1]))["packages"]}
print("bundled(glibc) = %s\nbundled(libgcc) = %s" % (versions.get("glibc"), versions.get("gcc")))' \
		"$fixtures/unpacked/usr/share/doc/rangecat/rangecat.spdx.json")
fi
same 'what the .rpm bundles' "$(rpm -qp --provides "$rpm" | grep '^bundled(')" "$bundles"
# The bill of materials is the .deb's, of the same binary.
same "the .rpm's binary and bill of materials, as the .deb's" \
	"$(rpm -qp --qf '%{FILEDIGESTALGO}\n[%{FILEDIGESTS} %{FILENAMES}\n]' "$rpm" |
		grep -E '^8$| /usr/(bin/rangecat|share/doc/rangecat/rangecat\.spdx\.json)$')" \
	"8
$(cd "$fixtures/unpacked" && sha256sum usr/bin/rangecat usr/share/doc/rangecat/rangecat.spdx.json | sed 's|  | /|')"
same 'files of the .rpm, as the .deb has them' \
	"$(rpm -qlvp "$rpm" | awk '$1 !~ /^d/ { print $1, $3 "/" $4, $5, $NF }' |
		grep -v ' /usr/share/licenses/' | sort -k4)" \
	"$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^[.]/, "", $NF); print $1, $2, $3, $NF }' |
		sed -e '\|/usr/share/lintian/|d' -e '\|/usr/share/doc/rangecat/copyright|d' \
			-e 's|/zsh/vendor-completions/|/zsh/site-functions/|' | sort -k4)"
same 'licence files of the .rpm' "$(rpm -qp --licensefiles "$rpm")" "$licences"
same 'licence and architecture of the .rpm' "$(rpm -qp --qf '%{LICENSE}|%{ARCH}' "$rpm")" \
	"$licence|$rpm_arch"
same 'build time and file times of the .rpm' \
	"$(rpm -qp --qf '%{BUILDTIME}\n[%{FILEMTIMES}\n]' "$rpm" | sort -u | xargs)" \
	"$(config CPACK_RANGECAT_EPOCH)"

# Installed by dnf into a root that holds nothing else, run there, and
# removed again, with nothing of it left.
# Debian's rpm keeps its database in $HOME/.rpmdb: under root's home in
# the root, whatever home the suite runs with.
dnf=(env HOME=/root dnf -y -q --installroot="$tmp/root" --setopt=reposdir=/dev/null --releasever=0
	--forcearch="$rpm_arch")
setup mkdir root
if [ "$linkage" = dynamic ]; then
	# Its C library comes from the system's repositories, of which the
	# root has none: dnf must refuse it for want of that.
	"${dnf[@]}" install "$rpm" >dnf.out 2>&1
	status=$?
	same 'dnf in an empty root, on a dynamic .rpm: status, and the C library wanted' \
		"$status $(grep -c '^ *- nothing provides libc\.so\.6()' dnf.out)" '1 1'
elif "${dnf[@]}" install "$rpm" >dnf.out 2>&1; then
	printf 'hello, world\n' >root/hello
	same 'the .rpm installed by dnf in an empty root: a run' \
		"$(chroot root /usr/bin/rangecat -s 7 -e 12 /hello 2>&1)" world
	"${dnf[@]}" remove rangecat >dnf.out 2>&1 || fail "dnf remove: $(cat dnf.out)"
	rm root/hello
	same 'left in the root after dnf remove' \
		"$(cd root && find . \( -type f -o -type l -o -name '*rangecat*' \) \
			-not -path './var/lib/dnf/*' -not -path './var/log/*' \
			-not -path './var/cache/dnf/*' -not -path './root/.rpmdb/*' \
			-not -path './var/lib/rpm/*')" ''
else
	fail "dnf install into an empty root: $(grep -v '^$' dnf.out)"
fi

finish
