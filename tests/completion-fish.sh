#!/bin/bash
# The fish completion offers the options after a dash and files until the
# file is named, and after -- only files, from where it is installed and
# from nowhere else. fish offers options only for a word that begins with
# a dash. With a build tree, for the build's install and package; without
# one, for the install beside BINARY, in
# PREFIX/share/fish/vendor_completions.d.
# Usage: completion-fish.sh BINARY [BUILD_DIR]
if [ $# -gt 1 ]; then
	# shellcheck source=tests/lib-build.sh
	. "$(dirname "$0")/lib-build.sh"
else
	build=
	# shellcheck source=tests/lib.sh
	. "$(dirname "$0")/lib.sh"
fi

# in_fish BIN_DIR DATA_DIR LINE...: for each LINE, the words that fish
# offers for it (complete -C), sorted, in a folder holding 'hello', 'zfile'
# and '-odd-name', with DATA_DIR its only data folder. fish loads the
# completion of a command it finds on the PATH only: BIN_DIR holds it.
in_fish() {
	setup mkdir -p fdir
	: >fdir/hello
	: >fdir/zfile
	: >fdir/-odd-name
	# shellcheck disable=SC2016
	(cd fdir && PATH=$1:$PATH XDG_DATA_DIRS=$2 XDG_CONFIG_HOME=$tmp/home/config fish -c '
		for line in $argv
			echo "$line:" (complete -C $line | string replace -r "\t.*" "" | LC_ALL=C sort)
		end' "${@:3}") || framework_failure_ 'fish -c complete -C'
}

check_completion_fish() {
	need fish 'fish completion'
	[ -z "$build" ] || need dpkg-deb 'fish completion'
	shell_home
	local script
	if [ -n "$build" ]; then
		script=$src/completions/rangecat.fish
	else
		installed 'fish completion' share/fish/vendor_completions.d/rangecat.fish
		script=$at
	fi
	want 'fish completion syntax' fish --no-execute "$script"
	local rows='rangecat -: --end --start -e -odd-name -s
rangecat -s :
rangecat -s 5 hel: hello
rangecat -s 1 -- -o: -odd-name
rangecat -- : -odd-name hello zfile
rangecat -- -o: -odd-name
rangecat hello :
rangecat hello -: --end --start -e -s
rangecat --st: --start
rangecat --st 5 hello -: --end --start -e -s
rangecat -- hello -:
rangecat --start=5 : -odd-name hello zfile
rangecat --end=3 z: zfile
rangecat --st=5 hel: hello
rangecat --start=:
rangecat --end=3 hello -: --end --start -e -s' lines=() row
	while IFS= read -r row; do
		lines+=("${row%:*}")
	done <<<"$rows"
	if [ -z "$build" ]; then
		# fish reads its own vendor folder whatever XDG_DATA_DIRS says, and
		# Debian's package installs there: no run is without the install.
		same "fish completion as installed in $prefix" \
			"$(in_fish "$prefix/bin" "$prefix/share" "${lines[@]}")" "$rows"
		return
	fi
	same 'fish completion without an install' \
		"$(in_fish "$fixtures/local/bin" "$tmp/nowhere" 'rangecat --st')" 'rangecat --st:'
	same 'fish completion after a /usr/local install' \
		"$(in_fish "$fixtures/local/bin" "$fixtures/local/share" "${lines[@]}")" "$rows"
	same 'fish completion from the package' \
		"$(in_fish "$fixtures/unpacked/usr/bin" "$fixtures/unpacked/usr/share" "${lines[@]}")" "$rows"
}

check_completion_fish
finish
