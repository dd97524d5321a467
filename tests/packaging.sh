#!/bin/bash
# The man page, the install, the Debian package and the completions, one
# check at a time, each needing only its own tools.
# Usage: packaging.sh CHECK BINARY BUILD_DIR SOURCE_DIR
check_name=$1
build=$(realpath "$3")
src=$(realpath "$4")
shift
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
page=$src/man/rangecat.1
printf 'hello, world\n' >hello

# want WHAT COMMAND...: COMMAND succeeds and prints nothing on stderr.
want() {
	local what=$1
	shift
	if ! "$@" >cmd.out 2>cmd.err || [ -s cmd.err ]; then
		fail "$what: $(head -c 300 cmd.err)"
	else
		passed=$((passed + 1))
	fi
}
# same WHAT GOT WANT: the two texts are equal.
same() {
	if [ "$2" != "$3" ]; then
		fail "$1: '$2', want '$3'"
	else
		passed=$((passed + 1))
	fi
}

# The page agrees with the tool's usage text, the README and the code.
check_docs() {
	local usage_letters page_letters page_codes readme_codes code_codes
	usage_letters=$(rangecat 2>&1 | sed -nE '1s/.*\[-([a-z]+)\].*/\1/p')
	page_letters=$(sed -n '/^\.Sh SYNOPSIS/,/^\.Sh/s/^\.Op Fl \([a-z]\).*/\1/p' "$page" | tr -d '\n')
	same 'options in the synopsis and the usage text' "$page_letters" "$usage_letters"
	page_codes=$(sed -n '/^\.Sh EXIT STATUS/,/^\.Sh/s/^\.It \([0-9]*\)$/\1/p' "$page" | xargs)
	readme_codes=$(sed -n '/^## Exit status/,/^## /s/^| \([0-9]*\) |.*/\1/p' "$src/README.md" | xargs)
	code_codes=$(sed -nE 's/^\s*exit_[a-z]+ = ([0-9]+),.*/\1/p' "$src/src/exit_status.h" | xargs)
	same 'exit statuses of the page and the README' "$page_codes" "$readme_codes"
	same 'exit statuses of the page and the code' "$page_codes" "$code_codes"
	same 'version on the page' "$(sed -n 's/^\.Os rangecat //p' "$page")" \
		"$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")"
	local quick
	quick=$(sed -n '/^## Quick start/,/^## /s/.*&& build\/rangecat //p' "$src/README.md")
	# shellcheck disable=SC2086
	same 'the quick start ends its output with a newline' \
		"$(cd "$src" && rangecat $quick | tail -c 1 | od -An -tx1 | xargs)" 0a
}

check_manpage_lint() {
	need mandoc 'man page lint'
	want 'mandoc -Tlint' mandoc -Tlint -Wwarning "$page"
}

check_manpage_render() {
	need man 'man page rendering'
	want 'man -l' env MANWIDTH=80 man --warnings -l "$page"
}

# Install into a prefix, and into a staging folder with DESTDIR.
check_install() {
	local f
	setup cmake --install "$build" --prefix "$tmp/p" >/dev/null
	for f in bin/rangecat share/man/man1/rangecat.1.gz \
		share/bash-completion/completions/rangecat share/zsh/vendor-completions/_rangecat; do
		[ -f "p/$f" ] || fail "cmake --install --prefix: no $f"
	done
	same 'installed binary' "$(p/bin/rangecat -s 7 -e 12 hello)" world
	same 'installed man page' "$(gzip -dc p/share/man/man1/rangecat.1.gz)" "$(cat "$page")"
	DESTDIR=$tmp/stage setup cmake --install "$build" --prefix /opt/rc >/dev/null
	same 'DESTDIR install' "$(stage/opt/rc/bin/rangecat -e 5 hello)" hello
}

# The Debian package: built, listed, described, unpacked and run.
check_deb() {
	local deb contents f depends
	need dpkg-deb 'Debian package'
	(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null) || framework_failure_ 'cpack -G DEB'
	deb=$(ls deb/*.deb)
	contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
	for f in ./usr/bin/rangecat ./usr/share/man/man1/rangecat.1.gz \
		./usr/share/bash-completion/completions/rangecat \
		./usr/share/zsh/vendor-completions/_rangecat; do
		grep -qx -- "$f" <<<"$contents" || fail "$deb lacks $f"
	done
	same 'package name' "$(dpkg-deb -f "$deb" Package)" rangecat
	same 'package version' "$(dpkg-deb -f "$deb" Version)" \
		"$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")"
	[ -n "$(dpkg-deb -f "$deb" Maintainer)" ] || fail 'package has no Maintainer'
	depends=$(dpkg-deb -f "$deb" Depends)
	if ldd "$bin" >/dev/null 2>&1; then
		[[ $depends == *libc6* ]] || fail "dynamic binary, Depends '$depends'"
	else
		same 'Depends of a static binary' "$depends" ''
	fi
	dpkg-deb -x "$deb" unpacked
	same 'unpacked binary' "$(unpacked/usr/bin/rangecat -s 7 hello)" 'world'
}

# The bash completion offers the options after a dash, and files otherwise.
check_completion_bash() {
	# shellcheck source=completions/rangecat.bash
	. "$src/completions/rangecat.bash"
	complete_at() { # complete_at WORDS...: what bash offers for the last word
		COMP_WORDS=(rangecat "$@")
		COMP_CWORD=$#
		_rangecat
		echo "${COMPREPLY[*]}"
	}
	same 'bash completion of --' "$(complete_at --)" '--start --end --'
	same 'bash completion of -' "$(complete_at -)" '-s -e --start --end --'
	same 'bash completion of a value' "$(complete_at -s '')" ''
	same 'bash completion of a file' "$(complete_at -s 5 hel)" 'hello'
}

check_completion_zsh() {
	need zsh 'zsh completion'
	want 'zsh completion syntax' zsh -n "$src/completions/_rangecat"
}

"check_${check_name//-/_}"
finish
