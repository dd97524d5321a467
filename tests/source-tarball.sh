#!/bin/bash
# The source tarball is git's export of the commit and the commit's time,
# root's and of that time; the same from another clone under another umask;
# and a build of it, where git cannot reach, takes that time.
# Usage: source-tarball.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"

check_source_tarball() {
	need git 'source tarball'
	# git reads the checkout even where another user owns it, as the build
	# does; the upload-pack of a local clone takes that from global settings
	# only, and for the .git folder too.
	printf '[safe]\n\tdirectory = %s\n\tdirectory = %s/.git\n' "$src" "$src" >gitconfig
	export GIT_CONFIG_GLOBAL=$tmp/gitconfig
	[ "$(git -C "$src" rev-parse --show-toplevel 2>/dev/null)" = "$src" ] ||
		skip_ 'source tarball' "$src is not a git checkout"
	local name=rangecat-$version epoch
	epoch=$(git -C "$src" log -1 --format=%ct)
	setup mkdir one two
	setup "$src/packaging/source.sh" one >/dev/null
	setup git clone -q "$src" clone
	(umask 077 && clone/packaging/source.sh two >/dev/null) || framework_failure_ 'source.sh in a clone'
	identical 'source tarballs of two clones' one/"$name".tar.gz two/"$name".tar.gz
	same 'files of the source tarball' \
		"$(tar -tzf one/"$name".tar.gz | grep -v '/$' | sort)" \
		"$({ git -C "$src" ls-files; echo packaging/source-date-epoch; } | sed "s|^|$name/|" | sort)"
	same 'owners and modes in the source tarball' \
		"$(tar --numeric-owner -tvzf one/"$name".tar.gz | awk '{ print $2, $1 }' | sort -u | xargs)" \
		'0/0 -rw-r--r-- 0/0 -rwxr-xr-x 0/0 drwxr-xr-x'
	same 'mtimes in the source tarball' \
		"$(TZ=UTC tar --full-time -tvzf one/"$name".tar.gz | awk '{ print $4, $5 }' | sort -u)" \
		"$(TZ=UTC date -d @"$epoch" '+%F %T')"
	setup tar -xzf one/"$name".tar.gz
	probed
	GIT_CEILING_DIRECTORIES=$tmp env -u SOURCE_DATE_EPOCH \
		cmake -S "$name" -B unpacked-build --no-warn-unused-cli -DBUILD_TESTING=OFF "${configured[@]}" "${probed[@]}" >/dev/null ||
		framework_failure_ 'configuring the unpacked source'
	build=$tmp/unpacked-build
	same 'commit time a build of the tarball takes' "$(config CPACK_RANGECAT_EPOCH)" "$epoch"
}

check_source_tarball
finish
