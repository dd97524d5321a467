#!/bin/bash
# shellcheck disable=SC2034 # the checks that source this file read its names
# Helpers for the checks that read a build tree, each run as
# NAME.sh BINARY BUILD_DIR: the build, its source and configuration, the
# release machine it is for (packaging/machines), the rebuilds, and the
# packages fixture that tests/packages.sh makes once a run.
build=$(realpath "$2")
src=$(cd "$(dirname "$0")/.." && pwd)
# How the tool is linked (static-pie, static or dynamic), which ctest says.
linkage=${RANGECAT_LINKAGE:-}
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
page=$src/man/rangecat.1
version=$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")
fixtures=$build/Testing/fixtures
printf 'hello, world\n' >hello

# build_cxx: the build's C++ compiler, a cross compiler in a cross build.
build_cxx() {
	sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake
}
# pack BUILD_DIR GENERATOR OUT_DIR: CPack's package of BUILD_DIR, in OUT_DIR.
# It is made in this check's own folder, since rpmbuild makes none in a
# folder whose path has a blank or a quote, as a user's build folder may.
pack() {
	(cd "$1" && cpack -G "$2" -B "$tmp/packed" >/dev/null 2>&1) || framework_failure_ "cpack -G $2 in $1"
	setup mkdir -p "$3"
	setup mv "$tmp"/packed/*.* "$3/"
	setup rm -rf "$tmp/packed"
}
# fixture_copy DIR SUFFIX: copies the one file named *.SUFFIX in the
# packages fixture's DIR into this check's folder, and prints its path
# there: rpm takes its arguments as globs, and so reads no file whose path
# has a blank or a quote, as a user's build folder may.
fixture_copy() {
	local found=("$fixtures/$1"/*."$2")
	if [ ${#found[@]} != 1 ] || [ ! -f "${found[0]}" ]; then
		framework_failure_ "no one .$2 in the fixture's $1"
	fi
	setup mkdir -p "$tmp/fixture"
	setup cp "${found[0]}" "$tmp/fixture/"
	echo "$tmp/fixture/${found[0]##*/}"
}
# cached NAME: the value of NAME in the build's CMake cache.
cached() {
	sed -n "s/^$1:[A-Z]*=//p" "$build/CMakeCache.txt"
}
# config NAME: what the build's CPack configuration sets NAME to.
config() {
	sed -n "s/^set($1 \"\(.*\)\")$/\1/p" "$build/CPackConfig.cmake"
}

# What the build was configured with that shapes its binary, read from its
# cache: rebuilds of this tree pass it on, whatever the environment of the
# ctest run says (CXX, CXXFLAGS, LDFLAGS, CMAKE_BUILD_TYPE and
# CMAKE_TOOLCHAIN_FILE are read when configuring only).
configured=("-DRANGECAT_RELEASE=$(cached RANGECAT_RELEASE)" "-DRANGECAT_STATIC=$(cached RANGECAT_STATIC)"
	"-DRANGECAT_SNAPSHOT=$(cached RANGECAT_SNAPSHOT)"
	"-DRANGECAT_MAINTAINER=$(cached RANGECAT_MAINTAINER)"
	"-DRANGECAT_HOMEPAGE=$(cached RANGECAT_HOMEPAGE)"
	"-DCMAKE_CXX_COMPILER=$(cached CMAKE_CXX_COMPILER)"
	"-DCMAKE_BUILD_TYPE=$(cached CMAKE_BUILD_TYPE)")
toolchain=$(cached CMAKE_TOOLCHAIN_FILE)
[ -z "$toolchain" ] || configured+=("-DCMAKE_TOOLCHAIN_FILE=$toolchain")
flags=("-DCMAKE_CXX_FLAGS=$(cached CMAKE_CXX_FLAGS)"
	"-DCMAKE_EXE_LINKER_FLAGS=$(cached CMAKE_EXE_LINKER_FLAGS)")
# rebuild DIR CMAKE_OPTION...: configures this tree (or the copy of it in
# $from) in DIR as the build was, with the build's flags unless
# CMAKE_OPTIONs say others, and builds it.
rebuild() {
	local dir=$1
	shift
	env -u CXX -u CXXFLAGS -u LDFLAGS -u CMAKE_BUILD_TYPE -u CMAKE_TOOLCHAIN_FILE \
		cmake -S "${from:-$src}" -B "$dir" --no-warn-unused-cli -DBUILD_TESTING=OFF "${configured[@]}" "${flags[@]}" "$@" \
		>/dev/null && cmake --build "$dir" >/dev/null
}
# probed: puts in probed what the build's probes found the compiler and
# linker take, as options for a rebuild with the same compiler and flags,
# which then need not probe again: the probes are most of a configure's
# time. The prefix-map probe links in the build's own folders, so a
# rebuild elsewhere makes it again.
probed() {
	mapfile -t probed < <(sed -n -e '/^RANGECAT_LINK_TAKES_PREFIX_MAP:/d' \
		-e 's/^\(RANGECAT_[A-Za-z_]*\):INTERNAL=\(.*\)$/-D\1=\2/p' "$build/CMakeCache.txt")
}

# release_names WHAT: puts in deb_arch, rpm_arch, released_rpm,
# archive_machine, qemu_machine and cpus what packaging/machines says of the
# machine the binary's ELF header is for; skips WHAT for any build that is
# not of the release: another machine, or another C library.
release_names() {
	local header elf row
	[ "${RANGECAT_LIBC:-}" = glibc ] ||
		skip_ "$1" "the release is built with glibc, and this build is for ${RANGECAT_LIBC:-an unknown C library}"
	header=$(readelf -hW "$bin") || framework_failure_ "readelf -h $bin"
	elf=$(awk -F': *' '$1 ~ /Class$/ { c = $2 } $1 ~ /Data$/ { split($2, d, ", "); sub(/ endian/, "", d[2]) }
		$1 ~ /Machine$/ { m = $2; gsub(/ /, "_", m) }
		$1 ~ /Flags$/ && m == "ARM" && /float ABI/ { f = $2; sub(/.*, /, "", f); sub(/ ABI.*/, "", f); f = "-" f }
		END { print c "-" d[2] "-" m f }' <<<"$header")
	row=$(awk -v elf="$elf" '!/^#/ && $10 == elf' "$src/packaging/machines")
	[ -n "$row" ] || skip_ "$1" "no release is made for this machine: $elf"
	read -r _ _ deb_arch _ archive_machine rpm_arch released_rpm qemu_machine cpus _ <<<"$row"
}

# uninstall PREFIX [BUILD_DIR]: removes the install at PREFIX from the build
# folder BUILD_DIR (the build's own unless given) as the README says, once
# the manifest is seen to list only files under PREFIX; then nothing may be
# left there.
uninstall() {
	local outside manifest=${2:-$build}/install_manifest.txt
	outside=$(grep -v "^$1/" "$manifest")
	if [ -n "$outside" ]; then
		fail "the install manifest of $1 lists $(head -3 <<<"$outside" | xargs -d '\n')"
		return
	fi
	xargs -d '\n' rm -- <"$manifest"
	same "left in $1 after the uninstall" \
		"$(find "$1" -type f -o -type l -o -name rangecat)" ''
}
# libc_says: the version that the C library the build links statically
# gives of itself (gnu_get_libc_version), run as the tool is run.
libc_says() {
	printf '#include <gnu/libc-version.h>\n#include <stdio.h>\nint main() { puts(gnu_get_libc_version()); }\n' >libc.cc
	"$(build_cxx)" -static libc.cc -o libc-version >/dev/null 2>&1 ||
		framework_failure_ 'a static program that asks the C library its version'
	./libc-version
}
# bill_of_materials WHAT DOC BINARY VERSION BUILT_USING: the SPDX document
# DOC agrees with what it describes, as other sources than the build tell
# it: BINARY's SHA-256; the package's VERSION; for a static glibc binary,
# glibc at the version the C library gives of itself, and GCC's runtime at
# a version that the build binary's .comment names, each with its CPE and,
# where dpkg knows them, the package URL of its Debian source package; and
# every "NAME (= VERSION)" of BUILT_USING, in a package URL or a comment.
bill_of_materials() {
	local static=no says='' findings
	if [ "$linkage" != dynamic ] && [ "${RANGECAT_LIBC:-}" = glibc ]; then
		static=yes says=$(libc_says)
	fi
	findings=$(python3 - "$2" "$(sha256sum <"$3" | cut -d' ' -f1)" "$4" "$5" "$says" \
		"$(readelf -p .comment "$bin" 2>/dev/null)" "$static" <<'PYTHON'
import json, re, sys, urllib.parse
doc, sha, version, built_using, libc, comment, static = sys.argv[1:]
try:
    d = json.load(open(doc))
except (OSError, ValueError) as e:
    sys.exit(print("not a JSON document:", e))
if (d.get("spdxVersion"), d.get("dataLicense")) != ("SPDX-2.3", "CC0-1.0"):
    print("not an SPDX 2.3 document")
packages = {p["SPDXID"]: p for p in d.get("packages", [])}
relations = {(r["spdxElementId"], r["relationshipType"], r["relatedSpdxElement"])
             for r in d.get("relationships", [])}
binary = "SPDXRef-File-rangecat"
sums = {c["algorithm"]: c["checksumValue"]
        for f in d.get("files", []) if f["SPDXID"] == binary for c in f["checksums"]}
if sums.get("SHA256") != sha or "SHA1" not in sums:
    print(f"the binary's checksums {sums}, want SHA-256 {sha} and a SHA-1")
for relation in [("SPDXRef-DOCUMENT", "DESCRIBES", binary),
                 (binary, "GENERATED_FROM", "SPDXRef-Package-rangecat")]:
    if relation not in relations:
        print("no relationship", *relation)
if packages.get("SPDXRef-Package-rangecat", {}).get("versionInfo") != version:
    print(f"rangecat's version, want {version}")
linked = [p for i, p in packages.items() if (binary, "STATIC_LINK", i) in relations]
names = sorted(p["name"] for p in linked)
if names != (["gcc", "glibc"] if static == "yes" else []):
    print(f"the libraries linked in: {names}")
said = []
for p in linked:
    name, v = p["name"], p["versionInfo"]
    refs = {r["referenceType"]: r["referenceLocator"] for r in p.get("externalRefs", [])}
    said += [p.get("comment", ""), urllib.parse.unquote(refs.get("purl", ""))]
    if refs.get("cpe23Type") != f"cpe:2.3:a:gnu:{name}:{v}:*:*:*:*:*:*:*":
        print(f"the CPE of {name} {v}: {refs.get('cpe23Type')}")
    if name == "glibc" and v != libc:
        print(f"glibc {v}, but the C library says it is {libc}")
    if name == "gcc" and not re.search(r"GCC: \(.*\) " + re.escape(v) + "$", comment, re.M):
        print(f"gcc {v}, but the binary's .comment names {re.findall('GCC: .*', comment)}")
    source = "glibc" if name == "glibc" else "gcc-" + v.split(".")[0]
    purl = re.fullmatch(r"pkg:deb/debian/([^@]+)@([^?]+)\?arch=source(&distro=debian-[0-9]+)?",
                        refs.get("purl", ""))
    if built_using and not (purl and purl[1] == source and
                            urllib.parse.unquote(purl[2]).startswith(v + "-")):
        print(f"the package URL of {name} {v}: {refs.get('purl')}, want one of {source}")
for name, v in re.findall(r"(\S+) \(= ([^)]+)\)", built_using):
    if not any(f"{name} {v}" in text or f"{name}@{v}" in text for text in said):
        print(f"Built-Using's {name} (= {v}) is named nowhere")
PYTHON
	) || framework_failure_ 'python3 on the bill of materials'
	report "$1: " "$findings"
}
