#!/bin/bash
# The man page a user gets against the tool's usage text, the README and
# the code: its options, exit statuses, version and where it sends bugs;
# and the CMake that the README and HACKING name against the one declared.
# Usage: docs.sh BINARY [BUILD_DIR]: the page is the build's, or, without a
# build, the one installed beside BINARY (PREFIX/share/man/man1).
src=$(cd "$(dirname "$0")/.." && pwd)
build=${2:+$(realpath "$2")}
installed_page=$(dirname "$1")/../share/man/man1/rangecat.1.gz
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
version=$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")

if [ -n "$build" ]; then
	page=$build/rangecat.1
else
	page=$tmp/rangecat.1
	gzip -dc "$installed_page" >"$page" 2>/dev/null ||
		{ fail "no man page installed beside $1: $installed_page"; finish; exit; }
fi

usage_letters=$(rangecat 2>&1 | sed -nE '1s/.*\[-([a-z]+)\].*/\1/p')
page_letters=$(sed -n '/^\.Sh SYNOPSIS/,/^\.Sh/s/^\.Op Fl \([a-z]\).*/\1/p' "$page" | tr -d '\n')
same 'options in the synopsis and the usage text' "$page_letters" "$usage_letters"
page_codes=$(sed -n '/^\.Sh EXIT STATUS/,/^\.Sh/s/^\.It \([0-9]*\)$/\1/p' "$page" | xargs)
readme_codes=$(sed -n '/^## Exit status/,/^## /s/^| \([0-9]*\) |.*/\1/p' "$src/README.md" | xargs)
code_codes=$(sed -nE 's/^\s*exit_[a-z]+ = ([0-9]+),.*/\1/p' "$src/src/exit_status.h" | xargs)
same 'exit statuses of the page and the README' "$page_codes" "$readme_codes"
same 'exit statuses of the page and the code' "$page_codes" "$code_codes"
same 'version on the page' "$(sed -n 's/^\.Os rangecat //p' "$page")" "$version"
same 'version in the changelog' \
	"$(sed -nE '1s/^rangecat \(([^)]*)\).*/\1/p' "$src/packaging/changelog")" "$version"
if [ -n "$build" ]; then
	same 'where the man page sends bugs' "$(bugs_in "$page")" \
		"$(bugs_want "$(cached RANGECAT_HOMEPAGE)")"
else
	# An installed page names the home page its packager set, or none.
	bugs=$(bugs_in "$page" | sed -E '2s/^\.Lk [^ ]+ ,$/.Lk URL ,/')
	case $bugs in
	"$(bugs_want '')" | "$(bugs_want URL)") passed=$((passed + 1)) ;;
	*) fail "where the installed man page sends bugs: '$bugs'" ;;
	esac
fi
cmake_min=$(sed -n 's/^cmake_minimum_required(VERSION \([0-9.]*\))$/\1/p' "$src/CMakeLists.txt")
for doc in README.md HACKING.md; do
	same "the CMake that $doc names first, and the one declared" \
		"$(grep -oE -m1 'CMake [0-9.]+ or later' "$src/$doc")" "CMake $cmake_min or later"
done
quick=$(sed -n '/^## Quick start/,/^## /s/.*&& build\/rangecat //p' "$src/README.md")
# shellcheck disable=SC2086
same 'the quick start ends its output with a newline' \
	"$(cd "$src" && rangecat $quick | tail -c 1 | od -An -tx1 | xargs)" 0a

finish
