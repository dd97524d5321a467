#!/bin/bash
# The man page, the install, the Debian package and the completions.
# Arguments: the built binary, the build folder, the source folder.
build=$(realpath "$2")
src=$(realpath "$3")
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
page=$src/man/rangecat.1

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
# same WHAT A B: the two texts are equal.
same() {
	if [ "$2" != "$3" ]; then
		fail "$1: '$2' against '$3'"
	else
		passed=$((passed + 1))
	fi
}

# The page is clean, renders without warnings, and agrees with the tool.
want 'mandoc -Tlint' mandoc -Tlint -Wwarning "$page"
want 'man -l' env MANWIDTH=80 man --warnings -l "$page"
usage_letters=$("$bin" 2>&1 | sed -nE '1s/.*\[-([a-z]+)\].*/\1/p')
page_letters=$(sed -n '/^\.Sh SYNOPSIS/,/^\.Sh/s/^\.Op Fl \([a-z]\).*/\1/p' "$page" | tr -d '\n')
same 'options in the synopsis and the usage text' "$page_letters" "$usage_letters"
page_codes=$(sed -n '/^\.Sh EXIT STATUS/,/^\.Sh/s/^\.It \([0-9]*\)$/\1/p' "$page" | xargs)
readme_codes=$(sed -n '/^## Exit status/,/^## /s/^| \([0-9]*\) |.*/\1/p' "$src/README.md" | xargs)
code_codes=$(sed -nE 's/^\s*exit_[a-z]+ = ([0-9]+),.*/\1/p' "$src/src/exit_status.h" | xargs)
same 'exit statuses of the page and the README' "$page_codes" "$readme_codes"
same 'exit statuses of the page and the code' "$page_codes" "$code_codes"

# Install into a prefix, and into a staging folder with DESTDIR.
printf 'hello, world\n' >hello
cmake --install "$build" --prefix "$tmp/p" >/dev/null
for f in bin/rangecat share/man/man1/rangecat.1.gz \
	share/bash-completion/completions/rangecat share/zsh/vendor-completions/_rangecat; do
	[ -f "p/$f" ] || fail "cmake --install --prefix: no $f"
done
same 'installed binary' "$(p/bin/rangecat -s 7 -e 12 hello)" world
same 'installed man page' "$(gzip -dc p/share/man/man1/rangecat.1.gz)" "$(cat "$page")"
DESTDIR=$tmp/stage cmake --install "$build" --prefix /opt/rc >/dev/null
same 'DESTDIR install' "$(stage/opt/rc/bin/rangecat -e 5 hello)" hello

# The Debian package: built, listed, described, unpacked and run.
if command -v dpkg-deb >/dev/null; then
	(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null) || fail 'cpack -G DEB'
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
fi

# The completions offer the options after a dash, and files otherwise.
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
if command -v zsh >/dev/null; then
	want 'zsh completion syntax' zsh -n "$src/completions/_rangecat"
fi

finish
