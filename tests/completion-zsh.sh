#!/bin/bash
# The zsh completion offers the options after a dash and files after --,
# from where it is installed and from nowhere else. With a build tree, for
# the build's install and package; without one, for the install beside
# BINARY, in PREFIX/share/zsh/vendor-completions (Debian's /usr) or
# site-functions.
# Usage: completion-zsh.sh BINARY [BUILD_DIR]
if [ $# -gt 1 ]; then
	# shellcheck source=tests/lib-build.sh
	. "$(dirname "$0")/lib-build.sh"
else
	build=
	# shellcheck source=tests/lib.sh
	. "$(dirname "$0")/lib.sh"
fi

# What completion adds, caught by a compadd of its own, one word a line in
# $OFFERED; then compinit over zsh's FPATH. The shell says when it is
# ready: zle-line-init runs once zle has the terminal, so keys typed after
# it reach zle and not the tty's line editing; Tab completes, then marks
# that it is done; and Ctrl-X Ctrl-R empties the line, then marks that the
# shell is ready for the next.
# shellcheck disable=SC2016
capture_zsh='
compadd() {
	if [[ ${(j: :)@[1,(i)(-|--)]} == *-[OAD]* ]]; then
		builtin compadd "$@"
		return
	fi
	local -a hits
	builtin compadd -O hits "$@"
	(( $#hits )) && print -rl -- $hits >>$OFFERED
	builtin compadd "$@"
}
autoload -Uz compinit && compinit -u -D
zle-line-init() { : >../ready }
complete-and-mark() { zle complete-word; : >../done }
clear-and-mark() { zle kill-whole-line; : >../ready }
zle -N zle-line-init
zle -N complete-and-mark
zle -N clear-and-mark
bindkey "^I" complete-and-mark
bindkey "^X^R" clear-and-mark
'

# offered NAME FOLDER LINE...: for each LINE, the words that an interactive
# zsh, with compinit over FOLDER and zsh's own functions alone (the folders
# in $own), offers when Tab is pressed after LINE in a folder holding
# 'hello', 'zfile' and '-odd-name', one line after another in one shell,
# which runs in the folder NAME of its own. It waits for what the shell
# marks, never for time.
offered() {
	setup mkdir -p "$tmp/$1/zdir"
	cd "$tmp/$1" || framework_failure_ "cd $tmp/$1"
	: >zdir/hello
	: >zdir/zfile
	: >zdir/-odd-name
	printf '%s' "$capture_zsh" >capture.zsh
	# shellcheck disable=SC2016
	LC_ALL=C FPATH=$2:$own OFFERED=$tmp/$1/offered zsh -f -c '
		zmodload zsh/zpty zsh/zselect || exit 99
		# await FILE: whether FILE appears within 60 s; zselect waits
		# without a process of its own.
		await() {
			local i
			for ((i = 0; i < 6000; i++)); do
				[[ -e $1 ]] && return
				zselect -t 1
			done
			return 1
		}
		rm -f ready
		zpty z zsh -f -i
		zpty -w z "cd zdir && . ../capture.zsh"
		await ready || exit 99
		for line; do
			rm -f ready done
			: >$OFFERED
			zpty -n -w z "$line"$'"'"'\t'"'"'
			await done || exit 99
			print -r -- "$line:" ${(ou)${(f)"$(<$OFFERED)"}}
			# A key of its own empties the line and marks that it did:
			# zle reads keys in turn, where a signal would race it.
			zpty -n -w z $'"'"'\C-x\C-r'"'"'
			await ready || exit 99
		done
		zpty -d z' zsh "${@:3}" || framework_failure_ 'zsh under a pty'
}

check_completion_zsh() {
	need zsh 'zsh completion'
	[ -z "$build" ] || need dpkg-deb 'zsh completion'
	shell_home
	local script
	if [ -n "$build" ]; then
		script=$src/completions/_rangecat
	else
		installed 'zsh completion' share/zsh/vendor-completions/_rangecat \
			share/zsh/site-functions/_rangecat
		script=$at
	fi
	want 'zsh completion syntax' zsh -n "$script"
	local lines=('rangecat -' 'rangecat -- ' 'rangecat -s 5 ' 'rangecat --st'
		'rangecat hello ' 'rangecat --start=5 ' 'rangecat --end=3 z')
	local want='rangecat -: --end --start -e -odd-name -s
rangecat -- : -odd-name hello zfile
rangecat -s 5 : -odd-name hello zfile
rangecat --st: --start
rangecat hello : --end --start -e -s
rangecat --start=5 : -odd-name hello zfile
rangecat --end=3 z: zfile'
	# The three shells run at once, each in its own folder: most of a
	# shell's time is compinit's, and a loaded machine gives three
	# processes more time than one.
	own=$(zsh -f -c 'print -rl -- ${fpath:#*/(site-functions|vendor-*)}' | paste -sd:)
	local shells=() shell
	offered bare "$tmp/nowhere" 'rangecat -' >bare.out &
	shells+=($!)
	if [ -n "$build" ]; then
		offered local "$fixtures/local/share/zsh/site-functions" "${lines[@]}" >local.out &
		shells+=($!)
		offered package "$fixtures/unpacked/usr/share/zsh/vendor-completions" "${lines[@]}" >package.out &
		shells+=($!)
	else
		offered installed "${script%/*}" "${lines[@]}" >installed.out &
		shells+=($!)
	fi
	for shell in "${shells[@]}"; do
		wait "$shell" || { cat ./*.out; exit 99; }
	done
	same 'zsh completion without an install' "$(<bare.out)" 'rangecat -: -odd-name'
	if [ -n "$build" ]; then
		same 'zsh completion after a /usr/local install' "$(<local.out)" "$want"
		same 'zsh completion from the package' "$(<package.out)" "$want"
	else
		same "zsh completion as installed in ${script%/*}" "$(<installed.out)" "$want"
	fi
}

check_completion_zsh
finish
