#!/bin/bash
# The build's .deb, .rpm and archive are the same byte for byte as those of
# a rebuild of the tree under umask 077 in a folder with blanks, a letter
# beyond ASCII and characters special to the shell in its name, whose
# folders and files every user may read; the rebuild installs and
# uninstalls from that folder too. It is the suite's only rebuild of the
# build's own configuration, but where the build's link took no prefix
# map: gcc's link-time optimisation takes none under a folder with a quote
# in its name, whose binary then names its folder, and a copy of the tree
# is rebuilt under umask 022 in a folder of a plain name to compare with.
# Usage: reproducible.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
need dpkg-deb 'reproducible package'
release_names 'reproducible package'

# package_in DIR UMASK: rebuilds in DIR under UMASK, taking what the
# build's probes found (probed), and makes there its .deb, its .rpm where
# rpmbuild is (made in a folder of a plain name, as rpmbuild needs), and
# for a static binary its archive.
package_in() {
	(
		umask "$2"
		rebuild "$1" "${probed[@]}" && cd "$1" && cpack -G DEB >/dev/null &&
			if command -v rpmbuild >/dev/null; then
				cpack -G RPM -B "$tmp/rpm-$2" >/dev/null 2>&1 && mv "$tmp/rpm-$2"/*.rpm .
			fi &&
			if [ "$linkage" != dynamic ]; then
				"$src/packaging/archive.sh" . . >/dev/null
			fi
	)
}

# copy_source DIR: a copy of the tree in DIR, without git, dist/ and any
# build tree, whatever its name: each folder that holds a CMakeCache.txt,
# this check's own build among them (debhelper's is obj-ARCH-TRIPLET).
copy_source() {
	local excluded=(--exclude=./.git --exclude=./dist) tree
	while IFS= read -r -d '' tree; do
		excluded+=("--exclude=./${tree#"$src"/}")
	done < <(find "$src" -path "$src/.git" -prune -o -name CMakeCache.txt -printf '%h\0')
	setup mkdir -p "$1"
	tar -C "$src" --anchored --no-wildcards "${excluded[@]}" -c . |
		tar -C "$1" -x || framework_failure_ "a copy of the source in $1"
	same "build trees in the copy in $1" "$(cd "$1" && find . -name CMakeCache.txt)" ''
}
probed
odd="$tmp/my sources/ränge & (cat) \$1"
two=$odd/build\ two
copy_source "$odd"
# The copy has no git to take the commit's time from.
export SOURCE_DATE_EPOCH
SOURCE_DATE_EPOCH=$(config CPACK_RANGECAT_EPOCH)
if [ "$(cached RANGECAT_LINK_TAKES_PREFIX_MAP)" = 1 ]; then
	# The build's own packages, which the fixture made, and its archive.
	setup mkdir one
	setup cp "$fixtures"/deb/*.deb one/
	if command -v rpmbuild >/dev/null; then
		setup cp "$fixtures"/rpm/*.rpm one/
	fi
	if [ "$linkage" != dynamic ]; then
		setup "$src/packaging/archive.sh" "$build" one >/dev/null
	fi
else
	copy_source "$tmp/plain"
	from=$tmp/plain package_in one 022 || framework_failure_ 'a package built in one under umask 022'
fi
# A build in that folder that fails is the tool's fault, not the fixture's.
# It runs in a UTF-8 locale, as a user who has such a folder does: CPack
# 3.31 packs a .deb with libarchive, which reads no path beyond ASCII in
# the C locale.
if ! LC_ALL=C.UTF-8 from=$odd package_in "$two" 077 >odd.out 2>&1; then
	fail "a package built in $two under umask 077: $(tail -5 odd.out)"
	finish
	exit
fi
same 'modes in the package built under umask 077' \
	"$(dpkg-deb -c "$two"/*.deb | awk '{ print $1 }' | sort | uniq -c | awk '{ print $2 }' | xargs)" \
	'-rw-r--r-- -rwxr-xr-x drwxr-xr-x'
if cmp one/*.deb "$two"/*.deb; then
	passed=$((passed + 1))
else
	fail "two builds differ: $(diff <(dpkg-deb -c one/*.deb) <(dpkg-deb -c "$two"/*.deb))"
fi
if command -v rpmbuild >/dev/null; then
	identical '.rpms of two builds' one/*.rpm "$two"/*.rpm
fi
if [ "$linkage" != dynamic ]; then
	identical 'archives of two builds' one/*-linux.tar.gz "$two"/*-linux.tar.gz
fi
if cmake --install "$two" --prefix "$odd/pre fix" >odd.out 2>&1; then
	same "the binary installed from $odd" "$("$odd/pre fix/bin/rangecat" -s 7 -e 12 hello)" world
	uninstall "$odd/pre fix" "$two"
else
	fail "cmake --install from $two: $(tail -5 odd.out)"
fi

finish
