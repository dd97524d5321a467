#!/bin/bash
# installed.sh BINARY: runs every check of tests/inventory that needs no
# build tree against an installed rangecat, BINARY (as /usr/bin/rangecat),
# and the files installed beside it, under PREFIX (BINARY's PREFIX/bin):
# its man page and shell completions; from a source tree with no build, as
# root or not, as a distribution's test run does. Checks that need a build
# tree, or a tool or user that is missing, are skipped, each with a line
# saying why. Says each check's verdict ('== NAME: passed'), ends with 'N
# passed, N failed, N skipped' and fails when any check failed. The C
# library is taken to be glibc unless RANGECAT_LIBC=musl says otherwise.
set -u
if [ $# != 1 ] || [ ! -x "$1" ]; then
	echo "usage: installed.sh BINARY, the installed rangecat to test" >&2
	exit 99
fi
# The binary's path as given, made absolute: its prefix is the folder above.
binary=$1
[[ $binary == /* ]] || binary=$PWD/$binary
cd "$(dirname "$0")" || exit 99
export RANGECAT_LIBC=${RANGECAT_LIBC:-glibc}
passed=0 failed=0 skipped=0 failures=
while read -r _ name builds needs; do
	[ "$builds" != asan ] || continue
	if [[ " $needs " == *' build '* ]]; then
		echo "SKIP: $name (needs a build tree)"
		skipped=$((skipped + 1))
		continue
	fi
	# A check of the project's own release tests no installed package.
	if [[ " $needs " == *' dist '* ]]; then
		echo "SKIP: $name (a check of the release, run by its build)"
		skipped=$((skipped + 1))
		continue
	fi
	echo "== $name"
	bash "./$name.sh" "$binary"
	case $? in
	0) passed=$((passed + 1)) verdict=passed ;;
	77) skipped=$((skipped + 1)) verdict=skipped ;;
	*) failed=$((failed + 1)) failures+=" $name" verdict=failed ;;
	esac
	echo "== $name: $verdict"
done < <(grep '^check ' inventory)
[ -z "$failures" ] || echo "FAIL:$failures"
echo "$passed passed, $failed failed, $skipped skipped"
[ "$failed" = 0 ]
