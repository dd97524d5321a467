#!/bin/bash
# The release binary is hardened, and stays so when built with Debian's own
# flags.
# Usage: hardening.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"

# own_code ELF: the disassembly of the tool's own functions in ELF, named as
# its sources define them, with the copies that the compiler made of them
# (main.cold, f(int) [clone .constprop.0]) and, on 64-bit big-endian POWER,
# their code entry points (.main).
own_code() {
	local names
	names=$(sed -nE 's/^[a-z][^(=]*[ *]([a-z_]+)\(.*/\1/p' "$src"/src/*.cc | sort -u | paste -sd'|')
	"$objdump" -dC --no-show-raw-insn "$1" |
		awk -v own="^[0-9a-f]+ <[.]?(main([.][^>]*)?|($names)[(].*)>:\$" '/^[0-9a-f]+ </ { f = $0 ~ own } /^$/ { f = 0 } f'
}

# got_calls ELF: what the tool's own code calls through the GOT in 64-bit
# little-endian MIPS code, where a call is 'ld t9,OFFSET(gp)' and 'jalr
# t9', and gp is _gp: the function whose address the GOT holds at _gp +
# OFFSET.
got_calls() {
	local nm gp got off at
	nm=$(cached CMAKE_NM)
	gp=$((16#$("$nm" "$1" | awk '$3 == "_gp" { print $1 }')))
	# The GOT's address and its offset in the file.
	got=$(readelf -SW "$1" | awk '{ for (i = 1; i < NF; i++) if ($i == ".got") print $(i + 2), $(i + 3) }')
	for off in $(own_code "$1" | sed -nE 's/.*\sld\s+t9,(-?[0-9]+)\(gp\).*/\1/p' | sort -u); do
		at=$(od -An -tx8 --endian=little -N8 \
			-j $((gp + off - 16#${got% *} + 16#${got#* })) "$1" | xargs)
		"$nm" "$1" | awk -v at="$(printf '%016x' $((16#$at)))" '$1 == at { print "<" $3 ">"; exit }'
	done
}

# fortifies: whether the build's compiler, with -O2 -D_FORTIFY_SOURCE=2,
# turns an fprintf into a call of a fortified printf (__fprintf_chk, or
# __vfprintf_chk through a wrapper, as clang 19 does with glibc 2.41): the
# C library may give it no fortified functions at all (musl), or none that
# it can use (clang 14 with glibc 2.36).
fortifies() {
	printf '#include <stdio.h>\nint main(int c, char **v) { return fprintf(stderr, "%%s", v[c - 1]); }\n' >fortify.cc
	"$(build_cxx)" -O2 -U_FORTIFY_SOURCE -D_FORTIFY_SOURCE=2 -c fortify.cc -o fortify.o ||
		framework_failure_ 'compiling fortify.cc'
	"$(cached CMAKE_NM)" fortify.o | grep -qE '__v?fprintf_chk'
}

# hardened WHAT BINARY: BINARY is hardened and linked as $linkage says
# (static-pie, static or dynamic), read from its ELF and its code, however
# the compiler inlined it.
hardened() {
	local what=$1 elf=$2 header code type=DYN interp=0
	header=$(readelf -hlW "$elf")
	case $linkage in
	static) type=EXEC ;;
	dynamic) interp=1 ;;
	esac
	same "$what: ELF type" "$(sed -nE 's/^\s*Type:\s+(\S+).*/\1/p' <<<"$header")" $type
	same "$what: interpreter" "$(grep -c INTERP <<<"$header")" $interp
	same "$what: GNU_RELRO segment" "$(grep -c GNU_RELRO <<<"$header")" 1
	same "$what: stack" "$(awk '$1 == "GNU_STACK" { print $(NF - 1) }' <<<"$header")" RW
	if [ "$linkage" = static ]; then
		# Nothing is bound at run time, so there is nothing to bind now.
		same "$what: dynamic section" "$(readelf -dW "$elf")" \
			$'\nThere is no dynamic section in this file.'
	else
		same "$what: BIND_NOW" "$(readelf -dW "$elf" | grep -cE 'FLAGS.*\bNOW\b')" 1
	fi
	# The C library defines the checking functions either way, and calls
	# them itself: look for the calls of the tool's own code, direct or, in
	# 64-bit MIPS code, through the GOT. A dynamic binary calls them
	# through the PLT (@plt), or, built with -fno-plt (Arch's flags),
	# through the GOT, which objdump names by the symbol's version
	# (@GLIBC_2.4).
	code=$(own_code "$elf")
	grep -q 'Machine: *MIPS' <<<"$header" && code+=$'\n'$(got_calls "$elf")
	same "$what: the tool's own functions found" "$(grep -cE '^[0-9a-f]+ <[.]?main>:$' <<<"$code")" 1
	same "$what: stack protector in the tool's code" \
		"$(grep -cE '<[.]?__stack_chk_fail(_local)?(@plt|@GLIBC_[0-9.]+|\+0x[0-9a-f]+)?>' <<<"$code" | sed 's/^[1-9][0-9]*$/some/')" some
	if [ -n "$fortifying" ]; then
		same "$what: fortified calls in the tool's code" \
			"$(grep -cE '<[.]?__[a-z_]+_chk(@plt|@GLIBC_[0-9.]+|\+0x[0-9a-f]+)?>' <<<"$code" | sed 's/^[1-9][0-9]*$/some/')" some
	fi
}

check_hardening() {
	# The build's own objdump, which reads its architecture's code; but
	# llvm-objdump 14 (clang's builds) names no PLT entry, where a dynamic
	# binary's calls go (<.plt+0x80>), so GNU's reads it where it knows
	# its machine.
	objdump=$(cached CMAKE_OBJDUMP)
	if "${objdump:-objdump}" --version 2>/dev/null | grep -q LLVM && command -v objdump >/dev/null &&
		! objdump -f "$bin" | grep -q 'architecture: UNKNOWN'; then
		objdump=objdump
	fi
	need "${objdump:-objdump}" 'hardening of the binary'
	need dpkg-buildflags 'hardening of the binary'
	fortifying=
	if fortifies; then
		fortifying=yes
	else
		echo "NOTE: $(build_cxx) fortifies no fprintf with this C library: fortified calls are not looked for"
	fi
	hardened 'the release binary' "$bin"
	# Debian's flags for the build's architecture, and its toolchain.
	DEB_HOST_ARCH=$(dpkg-architecture -t"$("$(build_cxx)" -dumpmachine)" -qDEB_HOST_ARCH 2>/dev/null)
	export DEB_BUILD_MAINT_OPTIONS=hardening=+all DEB_HOST_ARCH
	setup rebuild dpkg \
		"-DCMAKE_CXX_FLAGS=$(dpkg-buildflags --get CXXFLAGS) $(dpkg-buildflags --get CPPFLAGS)" \
		"-DCMAKE_EXE_LINKER_FLAGS=$(dpkg-buildflags --get LDFLAGS)"
	hardened 'built with dpkg-buildflags' dpkg/rangecat
	same 'built with dpkg-buildflags: a run' "$(dpkg/rangecat -s 7 -e 12 hello)" world
}

check_hardening
finish
