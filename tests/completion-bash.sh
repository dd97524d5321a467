#!/bin/bash
# The bash completion loads from where it is installed, and from nowhere
# else; it offers the options after a dash and files otherwise, and after --
# only files; --start=N and --end=N are the spaced forms. The rows hold with
# bash-completion loaded and without it. With a build tree, for the build's
# install and package; without one, for the install beside BINARY, in
# PREFIX/share/bash-completion/completions.
# Usage: completion-bash.sh BINARY [BUILD_DIR]
if [ $# -gt 1 ]; then
	# shellcheck source=tests/lib-build.sh
	. "$(dirname "$0")/lib-build.sh"
else
	build=
	# shellcheck source=tests/lib.sh
	. "$(dirname "$0")/lib.sh"
fi

# complete_line LINE: what the bash completion offers when Tab is pressed
# at the end of LINE, sorted: LINE is split into COMP_WORDS as readline
# splits it, at blanks and around each run of '='.
complete_line() {
	COMP_LINE=$1 COMP_POINT=${#1}
	mapfile -t COMP_WORDS < <(grep -oE '=+|[^= ]+' <<<"$1")
	[[ $1 == *' ' ]] && COMP_WORDS+=('')
	COMP_CWORD=$((${#COMP_WORDS[@]} - 1))
	_rangecat rangecat "${COMP_WORDS[COMP_CWORD]}" "${COMP_WORDS[COMP_CWORD - 1]}"
	printf '%s\n' "${COMPREPLY[@]}" | LC_ALL=C sort | paste -sd' '
}

# complete_in_bash DATA_DIR LINE...: 'complete -p rangecat', then what
# complete_line gives for each LINE, in an interactive bash with
# bash-completion loaded and DATA_DIR its only data folder, the completion
# loaded as bash-completion loads it on the first Tab: by _comp_load from
# 2.12 on, by __load_completion before. bash-completion is sourced from a
# copy, since it also looks for completions beside itself.
complete_in_bash() {
	[ -r bc/bash_completion ] ||
		{ mkdir -p bc && cp /usr/share/bash-completion/bash_completion bc/; } ||
		framework_failure_ 'a copy of bash_completion'
	XDG_DATA_DIRS=$1 bash --norc --noprofile -i -c "
		$(declare -f complete_line)"'
		. bc/bash_completion
		if declare -F _comp_load >/dev/null; then
			_comp_load rangecat
		else
			__load_completion rangecat
		fi && complete -p rangecat || exit
		cd bdir || exit
		for line; do
			echo "$line: $(complete_line "$line")"
		done' bash "${@:2}" 2>/dev/null </dev/null
}

check_completion_bash() {
	[ -r /usr/share/bash-completion/bash_completion ] ||
		skip_ 'bash completion' 'bash-completion not installed'
	[ -z "$build" ] || need dpkg-deb 'bash completion'
	shell_home
	setup mkdir bdir
	: >bdir/hello
	: >bdir/zfile
	: >bdir/-odd-name
	local rows='rangecat -: -- --end --start -e -s
rangecat -s : 
rangecat -s 5 hel: hello
rangecat -s 1 -- -o: -odd-name
rangecat -- : -odd-name hello zfile
rangecat -- -o: -odd-name
rangecat hello : --end --start -e -s
rangecat --st 5 hello -: --end --start -e -s
rangecat -- hello : 
rangecat --start=5 : -odd-name hello zfile
rangecat --end=3 z: zfile
rangecat --st=5 hel: hello
rangecat --start=: 
rangecat --start= 5 : --end --start -e -s
rangecat --end=3 hello -: --end --start -e -s' lines=() row
	while IFS= read -r row; do
		lines+=("${row%%: *}")
	done <<<"$rows"
	same 'bash completion without an install' "$(complete_in_bash "$tmp/nowhere" 'rangecat -')" ''
	local script
	if [ -n "$build" ]; then
		script=$src/completions/rangecat.bash
		same 'bash completion after a /usr/local install' \
			"$(complete_in_bash "$fixtures/local/share" "${lines[@]}")" \
			"complete -F _rangecat rangecat"$'\n'"$rows"
		same 'bash completion from the package' \
			"$(complete_in_bash "$fixtures/unpacked/usr/share" "${lines[@]}")" \
			"complete -F _rangecat rangecat"$'\n'"$rows"
	else
		installed 'bash completion' share/bash-completion/completions/rangecat
		script=$at
		same "bash completion as installed in $prefix" \
			"$(complete_in_bash "$prefix/share" "${lines[@]}")" \
			"complete -F _rangecat rangecat"$'\n'"$rows"
	fi
	# shellcheck source=completions/rangecat.bash
	. "$script"
	same 'bash completion without bash-completion' \
		"$(cd bdir && for row in "${lines[@]}"; do echo "$row: $(complete_line "$row")"; done)" \
		"$rows"
}

check_completion_bash
finish
