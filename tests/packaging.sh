#!/bin/bash
# The man page, the install, the Debian package and the completions, one
# check at a time, each needing only its own tools.
# Usage: packaging.sh BINARY CHECK BUILD_DIR SOURCE_DIR [LINKAGE]
check_name=$2
build=$(realpath "$3")
src=$(realpath "$4")
linkage=${5:-}
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
page=$src/man/rangecat.1
version=$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' "$src/CMakeLists.txt")
printf 'hello, world\n' >hello

# build_cxx: the build's C++ compiler, a cross compiler in a cross build.
build_cxx() {
	sed -n 's/^set(CMAKE_CXX_COMPILER "\(.*\)")$/\1/p' "$build"/CMakeFiles/*/CMakeCXXCompiler.cmake
}
# gcc_runtime: the version of the GCC runtime that the build links: GCC's
# own, or that of the GCC installation that clang chose, named by its
# folder.
gcc_runtime() {
	if "$(build_cxx)" --version | grep -q clang; then
		basename "$(dirname "$("$(build_cxx)" -print-libgcc-file-name)")"
	else
		"$(build_cxx)" -dumpfullversion
	fi
}
# glibc_version: the version of the C library that the build compiles with,
# as its headers give it.
glibc_version() {
	"$(build_cxx)" -E -dM -include features.h -x c++ /dev/null |
		awk '$2 == "__GLIBC__" { major = $3 } $2 == "__GLIBC_MINOR__" { minor = $3 }
			END { print major "." minor }'
}

# What the build was configured with that shapes its binary, read from its
# cache: rebuilds of this tree pass it on, whatever the environment of the
# ctest run says (CXX, CXXFLAGS, LDFLAGS, CMAKE_BUILD_TYPE and
# CMAKE_TOOLCHAIN_FILE are read when configuring only).
configured=("-DRANGECAT_STATIC=$(cached RANGECAT_STATIC)"
	"-DCMAKE_CXX_COMPILER=$(cached CMAKE_CXX_COMPILER)"
	"-DCMAKE_BUILD_TYPE=$(cached CMAKE_BUILD_TYPE)")
toolchain=$(cached CMAKE_TOOLCHAIN_FILE)
[ -z "$toolchain" ] || configured+=("-DCMAKE_TOOLCHAIN_FILE=$toolchain")
flags=("-DCMAKE_CXX_FLAGS=$(cached CMAKE_CXX_FLAGS)"
	"-DCMAKE_EXE_LINKER_FLAGS=$(cached CMAKE_EXE_LINKER_FLAGS)")
# rebuild DIR CMAKE_OPTION...: configures this tree (or the copy of it in
# $from) in DIR as the build was,
# with the build's flags unless CMAKE_OPTIONs say others, and builds it.
rebuild() {
	local dir=$1
	shift
	env -u CXX -u CXXFLAGS -u LDFLAGS -u CMAKE_BUILD_TYPE -u CMAKE_TOOLCHAIN_FILE \
		cmake -S "${from:-$src}" -B "$dir" -DBUILD_TESTING=OFF "${configured[@]}" "${flags[@]}" "$@" \
		>/dev/null && cmake --build "$dir" >/dev/null
}

# The user's own install manifest is put back as it was when the check
# ends: the checks install from the build folder, as the README has users
# do, and each install writes it.
manifest=$build/install_manifest.txt
if [ -e "$manifest" ]; then
	cp -p "$manifest" "$tmp/user-manifest" || framework_failure_ "a copy of $manifest"
fi
trap 'if [ -e "$tmp/user-manifest" ]; then cp -p "$tmp/user-manifest" "$manifest"
	else rm -f "$manifest"; fi; rm -rf "$tmp"' EXIT

# config NAME: what the build's CPack configuration sets NAME to.
config() {
	sed -n "s/^set($1 \"\(.*\)\")$/\1/p" "$build/CPackConfig.cmake"
}
# release_names WHAT: puts in deb_arch, rpm_arch, archive_machine and
# qemu_machine the names that Debian, RPM, the release archive and
# qemu-user give the tool's machine; skips WHAT for any build that is not
# of the release: another machine than its nine, or another C library.
release_names() {
	local header machine
	[ "${RANGECAT_LIBC:-}" = glibc ] ||
		skip_ "$1" "the release is built with glibc, and this build is for ${RANGECAT_LIBC:-an unknown C library}"
	header=$(readelf -hW "$bin") || framework_failure_ "readelf -h $bin"
	machine=$(sed -nE 's/^ *(Class|Data|Machine): *(.*)/\2/p' <<<"$header" | paste -sd'|')
	case $machine in
	"ELF64|2's complement, little endian|Advanced Micro Devices X86-64") set -- amd64 x86_64 x86_64 x86_64 ;;
	"ELF64|2's complement, little endian|AArch64") set -- arm64 aarch64 aarch64 aarch64 ;;
	"ELF32|2's complement, little endian|ARM")
		if grep -q 'hard-float ABI' <<<"$header"; then
			set -- armhf armv7hl armv7l arm
		else
			set -- armel armv5tel armv5tel arm
		fi
		;;
	"ELF32|2's complement, little endian|Intel 80386") set -- i386 i686 i686 i386 ;;
	"ELF64|2's complement, little endian|MIPS R3000") set -- mips64el mips64el mips64el mips64el ;;
	"ELF64|2's complement, little endian|PowerPC64") set -- ppc64el ppc64le ppc64le ppc64le ;;
	"ELF64|2's complement, little endian|RISC-V") set -- riscv64 riscv64 riscv64 riscv64 ;;
	"ELF64|2's complement, big endian|IBM S/390") set -- s390x s390x s390x s390x ;;
	*) skip_ "$1" "no release is made for this machine: ${machine//|/, }" ;;
	esac
	deb_arch=$1 rpm_arch=$2 archive_machine=$3 qemu_machine=$4
}

check_manpage_lint() {
	need mandoc 'man page lint'
	want 'mandoc -Tlint' mandoc -Tlint -Wwarning "$page" "$build/rangecat.1"
}

check_manpage_render() {
	need man 'man page rendering'
	want 'man -l' env MANWIDTH=80 man --warnings -l "$page"
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
	xargs -d '\n' rm -- <"$manifest" && rmdir "$1/share/doc/rangecat"
	same "left in $1 after the uninstall" \
		"$(find "$1" -type f -o -type l -o -name rangecat)" ''
}

# Install into a prefix, and into a staging folder with DESTDIR, and remove
# each again as the README says.
check_install() {
	local f
	setup cmake --install "$build" --prefix "$tmp/p" >/dev/null
	for f in bin/rangecat share/man/man1/rangecat.1.gz \
		share/bash-completion/completions/rangecat \
		share/zsh/site-functions/_rangecat \
		share/fish/vendor_completions.d/rangecat.fish \
		share/doc/rangecat/copyright share/doc/rangecat/changelog.gz \
		share/doc/rangecat/rangecat.spdx.json; do
		[ -f "p/$f" ] || fail "cmake --install --prefix: no $f"
	done
	same 'installed binary' "$(p/bin/rangecat -s 7 -e 12 hello)" world
	same 'installed man page' "$(gzip -dc p/share/man/man1/rangecat.1.gz)" "$(cat "$build/rangecat.1")"
	uninstall "$tmp/p"
	DESTDIR=$tmp/stage setup cmake --install "$build" --prefix /opt/rc >/dev/null
	same 'DESTDIR install' "$(stage/opt/rc/bin/rangecat -e 5 hello)" hello
	uninstall "$tmp/stage/opt/rc"
}

# unpack_deb: builds the package into deb/ and unpacks it into unpacked/.
unpack_deb() {
	need dpkg-deb "$1"
	(cd "$build" && cpack -G DEB -B "$tmp/deb" >/dev/null) || framework_failure_ 'cpack -G DEB'
	deb=$(ls deb/*.deb)
	setup dpkg-deb -x "$deb" unpacked
}

# built_using: the Debian source packages of the libraries a static binary
# carries, as dpkg knows them: "NAME (= VERSION), ...".
built_using() {
	local lib path sources=
	for lib in libc.a libgcc.a libstdc++.a; do
		path=$(realpath "$("$(build_cxx)" -print-file-name=$lib)")
		sources+=$(dpkg-query -W -f='${source:Package} (= ${source:Version})\n' \
			"$(dpkg-query -S "$path" 2>/dev/null | cut -d: -f1)" 2>/dev/null)$'\n'
	done
	awk 'NF && !seen[$0]++' <<<"$sources" | paste -sd, | sed 's/,/, /g'
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
	if [ -n "$findings" ]; then
		while IFS= read -r finding; do
			fail "$1: $finding"
		done <<<"$findings"
	else
		passed=$((passed + 1))
	fi
}

# published GENERATOR: builds the package of a build configured as a
# publisher configures one, with a maintainer, a home page and a snapshot
# version, into published/; its path in $package.
maintainer='Ada Lovelace <ada@example.org>' homepage=https://example.org/rangecat
published() {
	if ! rebuild published-build "-DRANGECAT_MAINTAINER=$maintainer" \
		"-DRANGECAT_HOMEPAGE=$homepage" -DRANGECAT_SNAPSHOT=ON ||
		! (cd published-build && cpack -G "$1" -B "$tmp/published" >/dev/null 2>&1); then
		framework_failure_ "a $1 package with a maintainer and a home page"
	fi
	package=$(ls "$tmp"/published/*."${1,,}")
}

# The Debian package: built, listed, described, unpacked and run, with a
# bill of materials that names what its binary holds; and as a publisher
# makes it, naming its maintainer and home page.
check_deb() {
	local contents f depends sources=
	release_names 'Debian package'
	need python3 'Debian package'
	# Making the package leaves an install made before it to be removed.
	setup cmake --install "$build" --prefix "$tmp/p" >/dev/null
	unpack_deb 'Debian package'
	uninstall "$tmp/p"
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
	same 'package name' "$(dpkg-deb -f "$deb" Package)" rangecat
	same 'package architecture' "$(dpkg-deb -f "$deb" Architecture)" "$deb_arch"
	same 'package version' "$(dpkg-deb -f "$deb" Version)" "$(config CPACK_PACKAGE_VERSION)"
	same 'package maintainer and home page' "$(dpkg-deb -f "$deb" Maintainer Homepage)" \
		"$(printf 'Maintainer: %s\n' "$(cached RANGECAT_MAINTAINER)"
			[ -z "$(cached RANGECAT_HOMEPAGE)" ] ||
				printf 'Homepage: %s\n' "$(cached RANGECAT_HOMEPAGE)")"
	depends=$(dpkg-deb -f "$deb" Depends)
	if readelf -lW "$bin" | grep -q INTERP; then
		[[ $depends == *libc6* ]] || fail "dynamic binary, Depends '$depends'"
	else
		same 'Depends of a static binary' "$depends" ''
		sources=$(built_using)
	fi
	same 'Built-Using' "$(dpkg-deb -f "$deb" Built-Using)" "$sources"
	same 'unpacked binary' "$(unpacked/usr/bin/rangecat -s 7 hello)" 'world'
	bill_of_materials 'bill of materials of the package' \
		unpacked/usr/share/doc/rangecat/rangecat.spdx.json unpacked/usr/bin/rangecat \
		"$(dpkg-deb -f "$deb" Version)" "$(dpkg-deb -f "$deb" Built-Using)"
	same 'the package strips the compiler notes' \
		"$(readelf -S unpacked/usr/bin/rangecat | grep -c '\.comment')" 0
	published DEB
	same 'a published package' "$(dpkg-deb -f "$package" Version Maintainer Homepage)" \
		"Version: $version~snapshot
Maintainer: $maintainer
Homepage: $homepage"
	setup dpkg-deb -x "$package" published-unpacked
	same 'changelog of a published package' \
		"$(gzip -dc published-unpacked/usr/share/doc/rangecat/changelog.gz | sed -n '1p;$p')" \
		"rangecat ($version~snapshot) unstable; urgency=medium
$(sed -n "\$s/ -- [^<]*<[^>]*>/ -- $maintainer/p" "$src/packaging/changelog")"
	same 'where the man page of a published package sends bugs' \
		"$(gzip -dc published-unpacked/usr/share/man/man1/rangecat.1.gz >page && bugs_in page)" \
		"$(bugs_want "$homepage")"
}

check_lintian() {
	need lintian 'lintian on the package'
	release_names 'lintian on the package'
	unpack_deb 'lintian on the package'
	# Every tag counts, down to the pedantic ones; overridden ones do not show.
	if lintian --fail-on warning -I --pedantic "$deb" >lint.out 2>lint.err &&
		[ ! -s lint.out ]; then
		passed=$((passed + 1))
	else
		fail "lintian: $(cat lint.out lint.err)"
	fi
}

# Two release builds of this tree, in folders of different names and under
# umasks 022 and 077, make the same package and archive byte for byte,
# whose folders and files every user may read.
check_reproducible() {
	need dpkg-deb 'reproducible package'
	release_names 'reproducible package'
	# The second build is of a copy of the tree in a folder with a blank, a
	# quote and a letter beyond ASCII in its name, as users' folders have;
	# it installs and uninstalls from there too. A build there that fails
	# is the tool's fault, not the fixture's.
	local odd="$tmp/my sources/ränge'cat"
	local two=$odd/build\ two
	setup mkdir -p "$odd"
	tar -C "$src" --exclude='./build*' --exclude=./.git --exclude=./dist -c . |
		tar -C "$odd" -x || framework_failure_ "a copy of the source in $odd"
	# The copy has no git to take the commit's time from.
	export SOURCE_DATE_EPOCH
	SOURCE_DATE_EPOCH=$(config CPACK_RANGECAT_EPOCH)
	package_in one 022 || framework_failure_ 'a package built in one under umask 022'
	if ! from=$odd package_in "$two" 077 >odd.out 2>&1; then
		fail "a package built in $two under umask 077: $(tail -5 odd.out)"
		return
	fi
	same 'modes in the package built under umask 077' \
		"$(dpkg-deb -c "$two"/*.deb | awk '{ print $1 }' | sort | uniq -c | awk '{ print $2 }' | xargs)" \
		'-rw-r--r-- -rwxr-xr-x drwxr-xr-x'
	if cmp one/*.deb "$two"/*.deb; then
		passed=$((passed + 1))
	else
		fail "two builds differ: $(diff <(dpkg-deb -c one/*.deb) <(dpkg-deb -c "$two"/*.deb))"
	fi
	if [ "$linkage" != dynamic ]; then
		identical 'archives of two builds' one/*-linux.tar.gz "$two"/*-linux.tar.gz
	fi
	if cmake --install "$two" --prefix "$odd/pre fix" >odd.out 2>&1; then
		same "the binary installed from $odd" "$("$odd/pre fix/bin/rangecat" -s 7 -e 12 hello)" world
		uninstall "$odd/pre fix" "$two"
	else
		fail "cmake --install from $two: $(tail -5 odd.out)"
	fi
}
# package_in DIR UMASK: rebuilds in DIR under UMASK, and makes its .deb and,
# for a static binary, its archive there.
package_in() {
	(
		umask "$2"
		rebuild "$1" && cd "$1" && cpack -G DEB >/dev/null &&
			if [ "$linkage" != dynamic ]; then
				"$src/packaging/archive.sh" . . >/dev/null
			fi
	)
}

# make_rpm DIR: builds the .rpm into DIR, its path in $rpm.
make_rpm() {
	(cd "$build" && cpack -G RPM -B "$tmp/$1" >/dev/null 2>&1) || framework_failure_ 'cpack -G RPM'
	rpm=$(ls "$tmp/$1"/*.rpm)
}

# The .rpm holds the .deb's files, with their modes, owners and sizes, in
# the same places but where RPM systems look elsewhere: the zsh completion
# in site-functions, no lintian override, and in /usr/share/licenses the
# licence and the notices of what a static binary carries, in place of
# Debian's copyright file. Its licence tag names all that the binary holds;
# a static one requires only rpm's features and provides the libraries it
# bundles; its binary and bill of materials are the .deb's. Its architecture and times are
# right, it is the same when made again under another umask, and dnf
# installs, runs and removes it in an empty root, or, when it is dynamic,
# refuses it there for want of the C library. As a publisher makes it,
# it names its maintainer and home page.
check_rpm() {
	need rpmbuild 'RPM package'
	need dpkg-deb 'RPM package'
	need dnf 'RPM package'
	[ "$(id -u)" = 0 ] || skip_ 'RPM package' 'dnf --installroot and chroot need root'
	release_names 'RPM package'
	make_rpm rpm
	unpack_deb 'RPM package'
	local licences=/usr/share/licenses/rangecat/LICENSE
	local licence='MIT AND LGPL-2.1-or-later AND GPL-3.0-or-later WITH GCC-exception-3.1' bundles=
	if [ "$linkage" = dynamic ]; then
		licence=MIT
		same 'a dynamic .rpm requires the C library' \
			"$(rpm -qp --requires "$rpm" | grep -c '^libc\.so\.6()')" 1
	else
		licences+=$'\n'/usr/share/licenses/rangecat/THIRD-PARTY-NOTICES
		same 'what a static .rpm requires besides rpm features' \
			"$(rpm -qp --requires "$rpm" | grep -v '^rpmlib(')" ''
		bundles="bundled(glibc) = $(glibc_version)"$'\n'"bundled(libgcc) = $(gcc_runtime)"
	fi
	same 'what the .rpm bundles' "$(rpm -qp --provides "$rpm" | grep '^bundled(')" "$bundles"
	# The bill of materials is the .deb's, of the same binary.
	same "the .rpm's binary and bill of materials, as the .deb's" \
		"$(rpm -qp --qf '%{FILEDIGESTALGO}\n[%{FILEDIGESTS} %{FILENAMES}\n]' "$rpm" |
			grep -E '^8$| /usr/(bin/rangecat|share/doc/rangecat/rangecat\.spdx\.json)$')" \
		"8
$(cd unpacked && sha256sum usr/bin/rangecat usr/share/doc/rangecat/rangecat.spdx.json | sed 's|  | /|')"
	same 'files of the .rpm, as the .deb has them' \
		"$(rpm -qlvp "$rpm" | awk '$1 !~ /^d/ { print $1, $3 "/" $4, $5, $NF }' |
			grep -v ' /usr/share/licenses/' | sort -k4)" \
		"$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ { sub(/^[.]/, "", $NF); print $1, $2, $3, $NF }' |
			sed -e '\|/usr/share/lintian/|d' -e '\|/usr/share/doc/rangecat/copyright|d' \
				-e 's|/zsh/vendor-completions/|/zsh/site-functions/|' | sort -k4)"
	same 'licence files of the .rpm' "$(rpm -qp --licensefiles "$rpm")" "$licences"
	same 'licence and architecture of the .rpm' "$(rpm -qp --qf '%{LICENSE}|%{ARCH}' "$rpm")" \
		"$licence|$rpm_arch"
	local epoch
	epoch=$(config CPACK_RANGECAT_EPOCH)
	same 'build time and file times of the .rpm' \
		"$(rpm -qp --qf '%{BUILDTIME}\n[%{FILEMTIMES}\n]' "$rpm" | sort -u | xargs)" "$epoch"
	(umask 077 && make_rpm rpm-077) || exit
	identical '.rpm made again under umask 077' "$rpm" rpm-077/*.rpm

	# Installed by dnf into a root that holds nothing else, run there, and
	# removed again, with nothing of it left.
	# Debian's rpm keeps its database in $HOME/.rpmdb: under root's home in
	# the root, whatever home the suite runs with.
	local dnf=(env HOME=/root dnf -y -q --installroot="$tmp/root" --setopt=reposdir=/dev/null --releasever=0
		--forcearch="$rpm_arch")
	setup mkdir root
	if [ "$linkage" = dynamic ]; then
		# Its C library comes from the system's repositories, of which the
		# root has none: dnf must refuse it for want of that.
		"${dnf[@]}" install "$rpm" >dnf.out 2>&1
		status=$?
		same 'dnf in an empty root, on a dynamic .rpm: status, and the C library wanted' \
			"$status $(grep -c '^ *- nothing provides libc\.so\.6()' dnf.out)" '1 1'
	elif "${dnf[@]}" install "$rpm" >dnf.out 2>&1; then
		printf 'hello, world\n' >root/hello
		same 'the .rpm installed by dnf in an empty root: a run' \
			"$(chroot root /usr/bin/rangecat -s 7 -e 12 /hello 2>&1)" world
		"${dnf[@]}" remove rangecat >dnf.out 2>&1 || fail "dnf remove: $(cat dnf.out)"
		rm root/hello
		same 'left in the root after dnf remove' \
			"$(cd root && find . \( -type f -o -type l -o -name '*rangecat*' \) \
				-not -path './var/lib/dnf/*' -not -path './var/log/*' \
				-not -path './var/cache/dnf/*' -not -path './root/.rpmdb/*' \
				-not -path './var/lib/rpm/*')" ''
	else
		fail "dnf install into an empty root: $(grep -v '^$' dnf.out)"
	fi

	published RPM
	same 'a published .rpm' \
		"$(rpm -qp --qf '%{VERSION}|%{PACKAGER}|%{VENDOR}|%{URL}|%{CHANGELOGNAME}' "$package")" \
		"$version~snapshot|$maintainer|${maintainer% <*}|$homepage|$maintainer - $version~snapshot-1"
}

check_rpmlint() {
	need rpmbuild 'rpmlint on the package'
	need rpmlint 'rpmlint on the package'
	release_names 'rpmlint on the package'
	make_rpm rpm
	# Errors fail rpmlint; warnings only show in its count.
	if rpmlint -c "$src/packaging/rpmlint.toml" --ignore-unused-rpmlintrc \
		-r "$src/packaging/rpmlintrc" "$rpm" >lint.out 2>&1 &&
		grep -q ' 0 errors, 0 warnings' lint.out; then
		passed=$((passed + 1))
	else
		fail "rpmlint: $(grep -E ': [EW]: |errors' lint.out)"
	fi
}

# verdict WHAT STATUS COMMAND...: COMMAND ends with STATUS (0, or 1 for
# any failure), its output kept in verdict.out.
verdict() {
	local what=$1 want=$2 got=0
	shift 2
	"$@" >verdict.out 2>&1 || got=1
	if [ "$got" = "$want" ]; then
		passed=$((passed + 1))
	else
		fail "$what: $([ "$want" = 0 ] && echo failed || echo succeeded): $(tail -5 verdict.out)"
	fi
}

# in_apt ARGS...: apt-get in the scratch root apt/, with its own state,
# sources and keyrings and nothing of the machine's, and dpkg installing
# into that root for the build's architecture.
in_apt() {
	APT_CONFIG=$tmp/apt/etc/apt/apt.conf apt-get -q -y "$@"
}
# apt_root URL: the scratch root apt/, whose sources are rangecat.sources
# from URL, as the README has a user install it, with the keyring of the
# repository at $tmp/pub; a dpkg database of nothing else.
apt_root() {
	local r=$tmp/apt
	rm -rf "$r"
	mkdir -p "$r"/etc/apt/{apt.conf.d,preferences.d,sources.list.d,keyrings,trusted.gpg.d} \
		"$r"/var/lib/apt/lists/partial "$r"/var/cache/apt/archives/partial \
		"$r"/var/lib/dpkg/{info,updates} "$r"/var/log/apt || framework_failure_ 'apt root'
	: >"$r"/var/lib/dpkg/status
	cat >"$r/etc/apt/apt.conf" <<-CONF
		Dir "$r/";
		Dir::State::status "$r/var/lib/dpkg/status";
		APT::Architecture "$deb_arch";
		APT::Architectures { "$deb_arch"; };
		DPkg::Options { "--root=$r"; };
		Debug::NoLocking "true";
		APT::Sandbox::User "root";
	CONF
	if [ "$deb_arch" != "$(dpkg --print-architecture)" ]; then
		dpkg --root="$r" --add-architecture "$deb_arch" || framework_failure_ 'dpkg --add-architecture'
	fi
	setup cp "$tmp/pub/rangecat-archive-keyring.pgp" "$r/etc/apt/keyrings/"
	sed -e "s|^URIs: .*|URIs: $1/apt|" -e "s|/etc/apt/keyrings/|$r/etc/apt/keyrings/|" \
		"$tmp/pub/rangecat.sources" >"$r/etc/apt/sources.list.d/rangecat.sources" ||
		framework_failure_ 'apt sources'
}
# in_dnf DIR ARGS...: dnf in the root dnf/, whose only repository is
# rangecat.repo from $tmp/pub, published in DIR instead.
in_dnf() {
	setup mkdir -p "$tmp/dnf" "$tmp/repos.d"
	sed "s|$tmp/pub/|$1/|" "$tmp/pub/rangecat.repo" >"$tmp/repos.d/rangecat.repo" ||
		framework_failure_ 'dnf repository'
	env HOME=/root dnf -y -q --installroot="$tmp/dnf" --setopt=reposdir="$tmp/repos.d" \
		--releasever=0 --forcearch="$rpm_arch" --refresh "${@:2}"
}
# publish KEY PACKAGE...: adds PACKAGEs to the repositories in pub/, signed
# with KEY, as dist.sh does.
publish() {
	RANGECAT_SIGNING_KEY=$1 RANGECAT_REPO_URL=file://$tmp/pub SOURCE_DATE_EPOCH=$(config CPACK_RANGECAT_EPOCH) \
		"$src/packaging/repo.sh" "$tmp/pub" "${@:2}" || framework_failure_ 'repo.sh'
}

# The signatures and the repositories of a release, as users meet them.
# sign.sh's detached signatures verify with gpgv and sqv against the
# keyring that repo.sh writes, and fail once a byte of the file changed.
# apt-get, with repo.sh's rangecat.sources and keyring, in a root of its
# own, and dnf, with its rangecat.repo, in an empty root, install the
# package from the repositories, then upgrade it to a later version
# published into them; and both refuse the repositories signed by another
# key, or once their signed index (InRelease, repomd.xml) changed.
check_repositories() {
	local tool
	for tool in gpg gpgv sqv apt-ftparchive createrepo_c rpmsign rpmbuild dpkg-deb dnf; do
		need "$tool" 'package repositories'
	done
	[ "$(id -u)" = 0 ] || skip_ 'package repositories' 'dpkg --root and dnf --installroot need root'
	release_names 'package repositories'
	[ "$linkage" != dynamic ] ||
		skip_ 'package repositories' 'a dynamic package needs the C library of a distribution, which the empty roots have not'
	export GNUPGHOME=$tmp/gnupg
	setup mkdir -m 700 gnupg
	local good other v1
	# new_key ADDRESS: makes a signing key for ADDRESS and prints its
	# fingerprint; nothing where it cannot.
	new_key() {
		gpg --batch --quiet --passphrase '' --quick-gen-key "rangecat test <$1>" rsa3072 sign never \
			2>/dev/null && gpg --with-colons --list-keys "$1" 2>/dev/null |
			awk -F: '$1 == "fpr" { print $10; exit }'
	}
	good=$(new_key release@rangecat.invalid)
	other=$(new_key else@rangecat.invalid)
	if [ -z "$good" ] || [ -z "$other" ]; then
		framework_failure_ 'gpg --quick-gen-key'
	fi

	# The first version: the build's own packages.
	unpack_deb 'package repositories'
	make_rpm rpm
	v1=$(config CPACK_PACKAGE_VERSION)
	publish "$good" "$deb" "$rpm"

	# rpm with signatures enforced, as rpm 6 and RHEL 10 have it: the
	# .rpm that sign.sh signed is refused before its key is imported and
	# installed after, and an unsigned one is refused even then; the
	# signature leaves the payload as it was.
	local signed_rpm enforcing
	signed_rpm=pub/rpm/$(basename "$rpm")
	enforcing=(env HOME=/root rpm --root "$tmp/rpmroot" --define '_pkgverify_level signature'
		-i --ignorearch)
	setup mkdir rpmroot
	verdict 'rpm -i of a signed .rpm without its key' 1 "${enforcing[@]}" "$signed_rpm"
	same 'why rpm refused the signed .rpm without its key' "$(grep -cE 'does not verify: .*NOKEY' verdict.out)" 1
	setup env HOME=/root rpmkeys --root "$tmp/rpmroot" --import pub/rangecat-archive-keyring.asc
	verdict 'rpm -i of an unsigned .rpm' 1 "${enforcing[@]}" "$rpm"
	same 'why rpm refused the unsigned .rpm' "$(grep -c 'does not verify: no signature' verdict.out)" 1
	verdict 'rpm -i of a signed .rpm with its key' 0 "${enforcing[@]}" "$signed_rpm"
	same 'the payload of the .rpm, signed and not' \
		"$(rpm -qp --qf '%{PAYLOADDIGEST}' "$signed_rpm")" "$(rpm -qp --qf '%{PAYLOADDIGEST}' "$rpm")"

	printf 'hello, world\n' >signed
	RANGECAT_SIGNING_KEY=$good setup "$src/packaging/sign.sh" signed
	verdict 'gpgv on a signed file' 0 gpgv --keyring ./pub/rangecat-archive-keyring.pgp signed.asc signed
	verdict 'sqv on a signed file' 0 sqv --keyring pub/rangecat-archive-keyring.pgp signed.asc signed
	printf 'hello, world!\n' >signed
	verdict 'gpgv on a changed file' 1 gpgv --keyring ./pub/rangecat-archive-keyring.pgp signed.asc signed
	verdict 'sqv on a changed file' 1 sqv --keyring pub/rangecat-archive-keyring.pgp signed.asc signed

	apt_root "file://$tmp/pub"
	verdict 'apt-get update' 0 in_apt update
	verdict 'apt-get install' 0 in_apt install rangecat
	same 'installed by apt-get: version, and a run' \
		"$(dpkg-query --admindir="$tmp/apt/var/lib/dpkg" -W -f='${Version}' rangecat) $("$tmp/apt/usr/bin/rangecat" -s 7 -e 12 hello)" \
		"$v1 world"
	verdict 'dnf install' 0 in_dnf "$tmp/pub" install rangecat
	same 'installed by dnf: version, and a run' \
		"$(env HOME=/root rpm --root="$tmp/dnf" -q --qf '%{VERSION}-%{RELEASE}' rangecat) $("$tmp/dnf/usr/bin/rangecat" -s 7 -e 12 hello)" \
		"$v1-1 world"

	# The next version, a packaging release later, joins the first.
	(cd "$build" && cpack -G DEB -D CPACK_DEBIAN_PACKAGE_RELEASE=2 -B "$tmp/v2" >/dev/null &&
		cpack -G RPM -D CPACK_RPM_PACKAGE_RELEASE=2 -B "$tmp/v2" >/dev/null 2>&1) ||
		framework_failure_ 'the packages of the next version'
	publish "$good" "$tmp"/v2/*.deb "$tmp"/v2/*.rpm
	same 'packages in the repositories' \
		"$(cd pub && echo apt/pool/main/r/rangecat/*.deb rpm/*.rpm)" \
		"apt/pool/main/r/rangecat/rangecat_$v1-2_${deb_arch}.deb apt/pool/main/r/rangecat/rangecat_${v1}_${deb_arch}.deb rpm/rangecat-$v1-1.$rpm_arch.rpm rpm/rangecat-$v1-2.$rpm_arch.rpm"
	verdict 'apt-get update, with the next version' 0 in_apt update
	verdict 'apt-get upgrade' 0 in_apt upgrade
	same 'upgraded by apt-get' \
		"$(dpkg-query --admindir="$tmp/apt/var/lib/dpkg" -W -f='${Version}' rangecat)" "$v1-2"
	verdict 'dnf upgrade' 0 in_dnf "$tmp/pub" upgrade rangecat
	same 'upgraded by dnf' \
		"$(env HOME=/root rpm --root="$tmp/dnf" -q --qf '%{VERSION}-%{RELEASE}' rangecat)" "$v1-2"

	# The same repositories signed by another key, with the keyring of
	# the first; and the first ones, their signed index changed after
	# signing. Each is met by a fresh root.
	setup cp -a pub other
	RANGECAT_SIGNING_KEY=$other RANGECAT_REPO_URL=file://$tmp/other \
		"$src/packaging/repo.sh" "$tmp/other" >/dev/null || framework_failure_ 'repo.sh with another key'
	setup cp pub/rangecat-archive-keyring.pgp pub/rangecat-archive-keyring.asc other/
	setup cp -a pub changed
	setup sed -i 's/^Label: rangecat$/Label: rangecaT/' changed/apt/dists/stable/InRelease
	setup sed -i 's|<revision>|<revision>1|' changed/rpm/repodata/repomd.xml
	local url why
	for url in other changed; do
		apt_root "file://$tmp/$url"
		verdict "apt-get update from the repository $url" 1 in_apt update
		# In the words of gpgv (apt 2) and of sqv (apt 3).
		why='BADSIG|Message has been manipulated'
		[ $url = changed ] || why='NO_PUBKEY|Missing key'
		same "apt-get on the repository $url: refused for its signature" \
			"$(grep -cE "$why" verdict.out | sed 's/^[1-9][0-9]*$/yes/')" yes
		rm -rf dnf
		verdict "dnf install from the repository $url" 1 in_dnf "$tmp/$url" install rangecat
		same "dnf on the repository $url: nothing installed" "$(ls dnf/usr/bin 2>/dev/null)" ''
	done
	# The agent that gpg started for the check's keyring ends with it.
	gpgconf --kill gpg-agent
}

# The release archive: one folder of the stripped static binary, which
# names its package in an ELF note, its docs, completions and licences,
# with the notices and the bill of materials of the libraries linked in,
# root's, at the commit's time, whose binary runs, also on each CPU that the
# README's machine table names for it; the same when made again under
# another umask. A dynamic build is refused one.
check_archive() {
	release_names 'release archive'
	need "qemu-$qemu_machine-static" 'release archive'
	need systemd-analyze 'release archive'
	need python3 'release archive'
	if [ "$linkage" = dynamic ]; then
		"$src/packaging/archive.sh" "$build" "$tmp" >got.out 2>got.err
		status=$?
		check 1 "archive.sh: $build/rangecat is linked dynamically; the archive needs a static one"$'\n' \
			'' 'archive.sh on a dynamic build'
		return
	fi
	local name f
	name=rangecat-$(config CPACK_PACKAGE_VERSION)-$archive_machine-linux
	setup mkdir a b
	(umask 077 && "$src/packaging/archive.sh" "$build" a >/dev/null) || framework_failure_ 'archive.sh'
	setup "$src/packaging/archive.sh" "$build" b >/dev/null
	identical 'archive made again under umask 077' a/"$name".tar.gz b/"$name".tar.gz
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
	bill_of_materials 'bill of materials of the archive' "$name"/rangecat.spdx.json \
		"$name"/rangecat "$(config CPACK_PACKAGE_VERSION)" "$(built_using)"
	for f in completions/rangecat.bash completions/_rangecat completions/rangecat.fish \
		LICENSE README.md; do
		identical "${f##*/} in the archive" "$src/$f" "$name/${f##*/}"
	done
	identical 'rangecat.1 in the archive' "$build/rangecat.1" "$name/rangecat.1"
	# The README's row for this archive: | uname -m | machine | ARCHIVE |
	# DEB | RPM | CPUs |.
	local row cpu
	row=$(sed -n '/^## Install a release/,/^## /p' "$src/README.md" |
		awk -F'|' -v a="\`$archive_machine\`" '{ f = $4; gsub(/ /, "", f) } f == a' | tr -d '`')
	same "the README's DEB for $archive_machine" "$(cut -d'|' -f5 <<<"$row" | xargs)" "$deb_arch"
	[ -n "$row" ] || return
	for cpu in $(cut -d'|' -f7 <<<"$row" | tr ',' ' '); do
		same "the archive binary on a $cpu under qemu" \
			"$("qemu-$qemu_machine-static" -cpu "$cpu" "$name"/rangecat -s 7 -e 12 hello 2>&1)" world
	done
	# The notices name each licence, the versions linked in, and where
	# their sources are.
	local glibc
	glibc=$(glibc_version)
	same 'what the notices name' \
		"$(grep -oE 'GNU C Library \(glibc\) [0-9.]+|GCC [0-9.]+|[A-Z][A-Za-z0-9.-]+-or-later( WITH GCC-exception-3.1)?|rangecat-[^ ]+\.tar\.gz' \
			"$name"/THIRD-PARTY-NOTICES | sort -u)" \
		"$(printf '%s\n' "GNU C Library (glibc) $glibc" "GCC $(gcc_runtime)" \
			LGPL-2.1-or-later 'GPL-3.0-or-later WITH GCC-exception-3.1' \
			"rangecat-$(config CPACK_PACKAGE_VERSION).tar.gz" | sort -u)"
	local sources
	sources=$(built_using)
	if [ -n "$sources" ]; then
		same 'sources in the notices' "$(grep -cxF "  $sources" "$name"/THIRD-PARTY-NOTICES)" 1
	else
		same 'sources in the notices' "$(grep -c 'that the system which built it packages' \
			"$name"/THIRD-PARTY-NOTICES)" 1
	fi
}

# The source tarball is git's export of the commit and the commit's time,
# root's and of that time; the same from another clone under another umask;
# and a build of it, where git cannot reach, takes that time.
check_source_tarball() {
	need git 'source tarball'
	# git reads the checkout even where another user owns it, as the build
	# does; the upload-pack of a local clone takes that from global settings
	# only, and for the .git folder too.
	printf '[safe]\n\tdirectory = %s\n\tdirectory = %s/.git\n' "$src" "$src" >gitconfig
	export GIT_CONFIG_GLOBAL=$tmp/gitconfig
	[ "$(git -C "$src" rev-parse --show-toplevel 2>/dev/null)" = "$src" ] ||
		skip_ 'source tarball' "$src is not a git checkout"
	local name=rangecat-$version epoch
	epoch=$(git -C "$src" log -1 --format=%ct)
	setup mkdir one two
	setup "$src/packaging/source.sh" one >/dev/null
	setup git clone -q "$src" clone
	(umask 077 && clone/packaging/source.sh two >/dev/null) || framework_failure_ 'source.sh in a clone'
	identical 'source tarballs of two clones' one/"$name".tar.gz two/"$name".tar.gz
	same 'files of the source tarball' \
		"$(tar -tzf one/"$name".tar.gz | grep -v '/$' | sort)" \
		"$({ git -C "$src" ls-files; echo packaging/source-date-epoch; } | sed "s|^|$name/|" | sort)"
	same 'owners and modes in the source tarball' \
		"$(tar --numeric-owner -tvzf one/"$name".tar.gz | awk '{ print $2, $1 }' | sort -u | xargs)" \
		'0/0 -rw-r--r-- 0/0 -rwxr-xr-x 0/0 drwxr-xr-x'
	same 'mtimes in the source tarball' \
		"$(TZ=UTC tar --full-time -tvzf one/"$name".tar.gz | awk '{ print $4, $5 }' | sort -u)" \
		"$(TZ=UTC date -d @"$epoch" '+%F %T')"
	setup tar -xzf one/"$name".tar.gz
	GIT_CEILING_DIRECTORIES=$tmp env -u SOURCE_DATE_EPOCH \
		cmake -S "$name" -B unpacked-build -DBUILD_TESTING=OFF >/dev/null ||
		framework_failure_ 'configuring the unpacked source'
	build=$tmp/unpacked-build
	same 'commit time a build of the tarball takes' "$(config CPACK_RANGECAT_EPOCH)" "$epoch"
}

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
	# 64-bit MIPS code, through the GOT.
	code=$(own_code "$elf")
	grep -q 'Machine: *MIPS' <<<"$header" && code+=$'\n'$(got_calls "$elf")
	same "$what: the tool's own functions found" "$(grep -cE '^[0-9a-f]+ <[.]?main>:$' <<<"$code")" 1
	same "$what: stack protector in the tool's code" \
		"$(grep -cE '<[.]?__stack_chk_fail(_local)?(@plt|\+0x[0-9a-f]+)?>' <<<"$code" | sed 's/^[1-9][0-9]*$/some/')" some
	if [ -n "$fortifying" ]; then
		same "$what: fortified calls in the tool's code" \
			"$(grep -cE '<[.]?__[a-z_]+_chk(@plt|\+0x[0-9a-f]+)?>' <<<"$code" | sed 's/^[1-9][0-9]*$/some/')" some
	fi
}

# The release binary is hardened, and stays so when built with Debian's own
# flags.
check_hardening() {
	# The build's own objdump, which reads its architecture's code.
	objdump=$(cached CMAKE_OBJDUMP)
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

# shell_home: a home and data folders of the check's own, so that the
# completion a shell finds is the one the check installed, never one that
# the machine or its users have.
shell_home() {
	setup mkdir -p home/data home/compat
	export HOME=$tmp/home XDG_DATA_HOME=$tmp/home/data \
		BASH_COMPLETION_USER_DIR=$tmp/home/data \
		BASH_COMPLETION_COMPAT_DIR=$tmp/home/compat
}

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

# The bash completion loads from where it is installed, and from nowhere
# else; it offers the options after a dash and files otherwise, and after --
# only files; --start=N and --end=N are the spaced forms. The rows hold with
# bash-completion loaded and without it.
check_completion_bash() {
	[ -r /usr/share/bash-completion/bash_completion ] ||
		skip_ 'bash completion' 'bash-completion not installed'
	need dpkg-deb 'bash completion'
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
	setup cmake --install "$build" --prefix "$tmp/local" >/dev/null
	same 'bash completion without an install' "$(complete_in_bash "$tmp/nowhere" 'rangecat -')" ''
	same 'bash completion after a /usr/local install' \
		"$(complete_in_bash "$tmp/local/share" "${lines[@]}")" \
		"complete -F _rangecat rangecat"$'\n'"$rows"
	unpack_deb 'bash completion from the package'
	same 'bash completion from the package' \
		"$(complete_in_bash "$tmp/unpacked/usr/share" "${lines[@]}")" \
		"complete -F _rangecat rangecat"$'\n'"$rows"
	# shellcheck source=completions/rangecat.bash
	. "$src/completions/rangecat.bash"
	same 'bash completion without bash-completion' \
		"$(cd bdir && for row in "${lines[@]}"; do echo "$row: $(complete_line "$row")"; done)" \
		"$rows"
}

# What completion adds, caught by a compadd of its own, one word a line in
# $OFFERED; then compinit over zsh's FPATH. The shell says when it is
# ready: zle-line-init runs once zle has the terminal, so keys typed after
# it reach zle and not the tty's line editing; and Tab completes, then
# marks that it is done.
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
zle -N zle-line-init
zle -N complete-and-mark
bindkey "^I" complete-and-mark
'

# offered FOLDER LINE...: for each LINE, the words that an interactive zsh,
# with compinit over FOLDER and zsh's own functions alone, offers when Tab
# is pressed after LINE in a folder holding 'hello', 'zfile' and
# '-odd-name'. It waits for what the shell marks, never for time.
offered() {
	local own
	own=$(zsh -f -c 'print -rl -- ${fpath:#*/(site-functions|vendor-*)}' | paste -sd:)
	setup mkdir -p zdir
	: >zdir/hello
	: >zdir/zfile
	: >zdir/-odd-name
	printf '%s' "$capture_zsh" >capture.zsh
	# shellcheck disable=SC2016
	LC_ALL=C FPATH=$1:$own OFFERED=$tmp/offered zsh -f -c '
		zmodload zsh/zpty || exit 99
		await() { # await FILE: whether FILE appears within 60 s
			local i
			for ((i = 0; i < 6000; i++)); do
				[[ -e $1 ]] && return
				sleep 0.01
			done
			return 1
		}
		for line; do
			rm -f ready done
			: >$OFFERED
			zpty z zsh -f -i
			zpty -w z "cd zdir && . ../capture.zsh"
			await ready || exit 99
			zpty -n -w z "$line"$'"'"'\t'"'"'
			await done || exit 99
			zpty -d z
			print -r -- "$line:" ${(ou)${(f)"$(<$OFFERED)"}}
		done' zsh "${@:2}" || framework_failure_ 'zsh under a pty'
}

# The zsh completion offers the options after a dash and files after --,
# from where it is installed and from nowhere else.
check_completion_zsh() {
	need zsh 'zsh completion'
	need dpkg-deb 'zsh completion'
	shell_home
	want 'zsh completion syntax' zsh -n "$src/completions/_rangecat"
	setup cmake --install "$build" --prefix "$tmp/local" >/dev/null
	local lines=('rangecat -' 'rangecat -- ' 'rangecat -s 5 ' 'rangecat --st'
		'rangecat hello ' 'rangecat --start=5 ' 'rangecat --end=3 z')
	local want='rangecat -: --end --start -e -odd-name -s
rangecat -- : -odd-name hello zfile
rangecat -s 5 : -odd-name hello zfile
rangecat --st: --start
rangecat hello : --end --start -e -s
rangecat --start=5 : -odd-name hello zfile
rangecat --end=3 z: zfile'
	same 'zsh completion without an install' "$(offered "$tmp/nowhere" 'rangecat -')" \
		'rangecat -: -odd-name'
	same 'zsh completion after a /usr/local install' \
		"$(offered "$tmp/local/share/zsh/site-functions" "${lines[@]}")" "$want"
	unpack_deb 'zsh completion from the package'
	same 'zsh completion from the package' \
		"$(offered "$tmp/unpacked/usr/share/zsh/vendor-completions" "${lines[@]}")" "$want"
}

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

# The fish completion offers the options after a dash and files until the
# file is named, and after -- only files, from where it is installed and
# from nowhere else. fish offers options only for a word that begins with
# a dash.
check_completion_fish() {
	need fish 'fish completion'
	need dpkg-deb 'fish completion'
	shell_home
	want 'fish completion syntax' fish --no-execute "$src/completions/rangecat.fish"
	setup cmake --install "$build" --prefix "$tmp/local" >/dev/null
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
	same 'fish completion without an install' \
		"$(in_fish "$tmp/local/bin" "$tmp/nowhere" 'rangecat --st')" 'rangecat --st:'
	same 'fish completion after a /usr/local install' \
		"$(in_fish "$tmp/local/bin" "$tmp/local/share" "${lines[@]}")" "$rows"
	unpack_deb 'fish completion from the package'
	same 'fish completion from the package' \
		"$(in_fish "$tmp/unpacked/usr/bin" "$tmp/unpacked/usr/share" "${lines[@]}")" "$rows"
}

check=check_${check_name//-/_}
if ! declare -F "$check" >/dev/null; then
	echo "FAIL: no check named '$check_name'"
	exit 1
fi
"$check"
finish
