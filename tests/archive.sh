#!/bin/bash
# The release archive: one folder of the stripped static binary, which
# names its package in an ELF note, its docs, completions and licences,
# with the notices and the bill of materials of the libraries linked in,
# root's, at the commit's time, whose binary runs, also on each CPU that
# packaging/machines names for it. A dynamic build is refused one.
# Usage: archive.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"

check_archive() {
	release_names 'release archive'
	need "qemu-$qemu_machine-static" 'release archive'
	need systemd-analyze 'release archive'
	if [ "$linkage" = dynamic ]; then
		"$src/packaging/archive.sh" "$build" "$tmp" >got.out 2>got.err
		status=$?
		check 1 "archive.sh: $build/rangecat is linked dynamically; the archive needs a static one"$'\n' \
			'' 'archive.sh on a dynamic build'
		return
	fi
	local name f
	name=rangecat-$(config CPACK_PACKAGE_VERSION)-$archive_machine-linux
	setup mkdir a
	setup "$src/packaging/archive.sh" "$build" a >/dev/null
	same 'entries of the archive' \
		"$(TZ=UTC tar --full-time --numeric-owner -tvzf a/"$name".tar.gz |
			awk '{ print $1, $2, $4, $5, $NF }')" \
		"$(for f in / /LICENSE /README.md /THIRD-PARTY-NOTICES /_rangecat /rangecat \
			/rangecat.1 /rangecat.bash /rangecat.fish /rangecat.spdx.json; do
			mode=-rw-r--r--
			case $f in /) mode=drwxr-xr-x ;; /rangecat) mode=-rwxr-xr-x ;; esac
			echo "$mode 0/0 $(TZ=UTC date -d @"$(config CPACK_RANGECAT_EPOCH)" '+%F %T') $name$f"
		done)"
	setup tar -xzf a/"$name".tar.gz
	same 'binary of the archive' "$("$name"/rangecat -s 7 -e 12 hello)" world
	same 'symbols and notes left in the archive binary' \
		"$(readelf -SW "$name"/rangecat | grep -cE '\.symtab|\.comment')" 0
	# The package note, as the ELF holds it and as systemd reads it.
	# systemd 257 parses an ELF file in a child in a user namespace of its
	# own, which the kernel refuses inside a chroot: there, where it parses
	# not even its own binary, readelf alone reads the note.
	local note
	note="{\"name\":\"rangecat\",\"version\":\"$(config CPACK_PACKAGE_VERSION)\",\"architecture\":\"$archive_machine\"}"
	same 'the package note of the archive binary' \
		"$(readelf -nW "$name"/rangecat | sed -n 's/.*Packaging Metadata: //p')" "$note"
	if systemd-analyze inspect-elf "$(command -v systemd-analyze)" >/dev/null 2>&1; then
		same 'the package note of the archive binary, as systemd reads it' \
			"$(systemd-analyze inspect-elf --json=short "$name"/rangecat |
				python3 -c 'import json, sys; d = json.load(sys.stdin); print(json.dumps({k: v for k, v in [v for k, v in d.items() if k.endswith("/rangecat")][0].items() if k != "buildId"}, separators=(",", ":")))')" \
			"$note"
	else
		echo "NOTE: systemd-analyze inspect-elf parses no ELF file here ($(systemd-analyze inspect-elf "$(command -v systemd-analyze)" 2>&1 | head -1)): the package note is read with readelf only"
	fi
	for f in completions/rangecat.bash completions/_rangecat completions/rangecat.fish \
		LICENSE README.md; do
		identical "${f##*/} in the archive" "$src/$f" "$name/${f##*/}"
	done
	identical 'rangecat.1 in the archive' "$build/rangecat.1" "$name/rangecat.1"
	local cpu
	for cpu in ${cpus//,/ }; do
		same "the archive binary on a $cpu under qemu" \
			"$("qemu-$qemu_machine-static" -cpu "$cpu" "$name"/rangecat -s 7 -e 12 hello 2>&1)" world
	done
	# The notices name each licence, the versions linked in, which the
	# bill of materials names too, and where their sources are: the Debian
	# source packages, which the bill of materials names too, where dpkg
	# knows them.
	local versions sources
	versions=$(python3 -c 'import json, sys
v = {p["name"]: p["versionInfo"] for p in json.load(open(sys.argv[1]))["packages"]}
print("GNU C Library (glibc) %s\nGCC %s" % (v.get("glibc"), v.get("gcc")))' "$name"/rangecat.spdx.json)
	same 'what the notices name' \
		"$(grep -oE 'GNU C Library \(glibc\) [0-9.]+|GCC [0-9.]+|[A-Z][A-Za-z0-9.-]+-or-later( WITH GCC-exception-3.1)?|rangecat-[^ ]+\.tar\.gz' \
			"$name"/THIRD-PARTY-NOTICES | sort -u)" \
		"$(printf '%s\n' "$versions" LGPL-2.1-or-later 'GPL-3.0-or-later WITH GCC-exception-3.1' \
			"rangecat-$(config CPACK_PACKAGE_VERSION).tar.gz" | sort -u)"
	sources=$(sed -n 's/^  \(.* (= .*\)$/\1/p' "$name"/THIRD-PARTY-NOTICES)
	if dpkg-query -S "$(realpath "$("$(build_cxx)" -print-file-name=libc.a)")" >/dev/null 2>&1; then
		same 'the sources of what the binary holds, in the notices' "$(grep -c . <<<"$sources")" 1
	else
		same 'the sources of what the binary holds, in the notices' \
			"$(grep -c 'that the system which built it packages' "$name"/THIRD-PARTY-NOTICES)" 1
	fi
	bill_of_materials 'bill of materials of the archive' "$name"/rangecat.spdx.json \
		"$name"/rangecat "$(config CPACK_PACKAGE_VERSION)" "$sources"
}

check_archive
finish
