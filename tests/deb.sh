#!/bin/bash
# The Debian package: its files, fields and binary, and a bill of
# materials that agrees with the binary and with Built-Using.
# Usage: deb.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
release_names 'Debian package'
need dpkg-deb 'Debian package'
need python3 'Debian package'
deb=$(ls "$fixtures"/deb/*.deb) || framework_failure_ 'no .deb in the fixture'
unpacked=$fixtures/unpacked

contents=$(dpkg-deb -c "$deb" | awk '{ print $NF }')
for f in ./usr/bin/rangecat ./usr/share/man/man1/rangecat.1.gz \
	./usr/share/bash-completion/completions/rangecat \
	./usr/share/zsh/vendor-completions/_rangecat \
	./usr/share/fish/vendor_completions.d/rangecat.fish \
	./usr/share/doc/rangecat/copyright ./usr/share/doc/rangecat/changelog.gz \
	./usr/share/doc/rangecat/rangecat.spdx.json; do
	grep -qx -- "$f" <<<"$contents" || fail "$deb lacks $f"
done
# lintian's overrides are for a static binary only.
same 'lintian overrides in the package' \
	"$(grep -c '^./usr/share/lintian/overrides/rangecat$' <<<"$contents")" \
	"$([ "$linkage" = dynamic ] && echo 0 || echo 1)"
# The project's version, a snapshot's where the build was configured so.
deb_version=$version
[ "$(cached RANGECAT_SNAPSHOT)" != ON ] || deb_version+='~snapshot'
same 'package name, architecture and version' "$(dpkg-deb -f "$deb" Package Architecture Version)" \
	"Package: rangecat
Architecture: $deb_arch
Version: $deb_version"
same 'package maintainer and home page' "$(dpkg-deb -f "$deb" Maintainer Homepage)" \
	"$(printf 'Maintainer: %s\n' "$(cached RANGECAT_MAINTAINER)"
		[ -z "$(cached RANGECAT_HOMEPAGE)" ] ||
			printf 'Homepage: %s\n' "$(cached RANGECAT_HOMEPAGE)")"
# A dynamic binary depends on the C library; a static one on nothing, and
# names the sources of what it carries where dpkg knows them.
depends=$(dpkg-deb -f "$deb" Depends) built_using=$(dpkg-deb -f "$deb" Built-Using)
if readelf -lW "$bin" | grep -q INTERP; then
	[[ $depends == *libc6* ]] || fail "dynamic binary, Depends '$depends'"
	same 'Built-Using of a dynamic binary' "$built_using" ''
else
	same 'Depends of a static binary' "$depends" ''
	if dpkg-query -S "$(realpath "$("$(build_cxx)" -print-file-name=libc.a)")" >/dev/null 2>&1; then
		same 'Built-Using of a static binary names the C library' \
			"$(grep -cE '(glibc|cross-toolchain-base(-[a-z]+)?) \(= ' <<<"$built_using")" 1
	fi
fi
# Debian's copyright file speaks of glibc where the binary carries it.
same 'copyright paragraphs on the C library' \
	"$(grep -c '^License: LGPL-2.1+$' "$unpacked"/usr/share/doc/rangecat/copyright)" \
	"$(readelf -lW "$bin" | grep -q INTERP && echo 0 || echo 1)"
same 'unpacked binary' "$("$unpacked"/usr/bin/rangecat -s 7 hello)" 'world'
bill_of_materials 'bill of materials of the package' \
	"$unpacked"/usr/share/doc/rangecat/rangecat.spdx.json "$unpacked"/usr/bin/rangecat \
	"$(dpkg-deb -f "$deb" Version)" "$built_using"
same 'the package strips the compiler notes' \
	"$(readelf -S "$unpacked"/usr/bin/rangecat | grep -c '\.comment')" 0

finish
