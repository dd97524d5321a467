#!/bin/bash
# The signatures and the repositories of a release, as users meet them.
# sign.sh's detached signatures verify with gpgv and sqv against the
# keyring that repo.sh writes, and fail once a byte of the file changed.
# The README's key_ok takes that keyring for its fingerprint only, and
# never a file with a second key; the README's rangecat.sources and
# rangecat.repo are repo.sh's, and repo.sh writes nothing that group or
# others may change, whatever the umask. apt-get, in a root of its own,
# and dnf, in an empty root, each with the README's source and the key
# that key_ok passed, install the package from the repositories, then
# upgrade it to a later version published into them; and both refuse the
# repositories signed by another key, or once their signed index
# (InRelease, repomd.xml) changed. With
# signatures enforced, as rpm 6 has them, rpm installs an .rpm that sign.sh
# signed only once its key is imported, and an unsigned one never.
# Usage: repositories.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"

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

# readme_file NAME URL: the lines that the README has a user write into
# NAME (rangecat.sources or rangecat.repo) for the address URL.
readme_file() {
	local body
	body=$(awk -v name="$1" '/^## / { section = $0 } section == "## Updates from the repositories" && / <<EOF( &&)?$/ && index($0, "/" name " ") { take = 1; next }
		/^EOF$/ { take = 0 } take' "$src/README.md")
	URL=$2 eval "cat <<EOF
$body
EOF"
}
# The README's key_ok FILE, with FPR its fingerprint.
eval "$(grep -m1 '^key_ok() ' "$src/README.md")"
declare -F key_ok >/dev/null || framework_failure_ "no key_ok in the README"

# apt_root URL: the scratch root apt/, whose sources are the README's
# rangecat.sources for URL, with the keyring of the repository at $tmp/pub
# where key_ok passes it; a dpkg database of nothing else.
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
	! FPR=$good key_ok "$tmp/pub/rangecat-archive-keyring.pgp" ||
		setup cp "$tmp/pub/rangecat-archive-keyring.pgp" "$r/etc/apt/keyrings/"
	readme_file rangecat.sources "$1" | sed "s|/etc/apt/keyrings/|$r/etc/apt/keyrings/|" \
		>"$r/etc/apt/sources.list.d/rangecat.sources" || framework_failure_ 'apt sources'
}

# in_dnf DIR ARGS...: dnf in the root dnf/, whose only repository is the
# README's rangecat.repo for DIR, with the key of $tmp/pub where key_ok
# passes it.
in_dnf() {
	setup mkdir -p "$tmp/dnf" "$tmp/repos.d" "$tmp/rpm-gpg"
	rm -f "$tmp/rpm-gpg/rangecat-archive-keyring.asc"
	! FPR=$good key_ok "$tmp/pub/rangecat-archive-keyring.asc" ||
		setup cp "$tmp/pub/rangecat-archive-keyring.asc" "$tmp/rpm-gpg/"
	readme_file rangecat.repo "file://$1" | sed "s|/etc/pki/rpm-gpg/|$tmp/rpm-gpg/|" \
		>"$tmp/repos.d/rangecat.repo" || framework_failure_ 'dnf repository'
	env HOME=/root dnf -y -q --installroot="$tmp/dnf" --setopt=reposdir="$tmp/repos.d" \
		--releasever=0 --forcearch="$rpm_arch" --refresh "${@:2}"
}

# publish KEY PACKAGE...: adds PACKAGEs to the repositories in pub/, signed
# with KEY, as dist.sh does, for the address $published.
published=https://rangecat.invalid/pub
publish() {
	RANGECAT_SIGNING_KEY=$1 RANGECAT_REPO_URL=$published SOURCE_DATE_EPOCH=$(config CPACK_RANGECAT_EPOCH) \
		"$src/packaging/repo.sh" "$tmp/pub" "${@:2}" || framework_failure_ 'repo.sh'
}

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
		gpg --batch --quiet --passphrase '' --quick-gen-key "rangecat test <$1>" ed25519 sign never \
			2>/dev/null && gpg --with-colons --list-keys "$1" 2>/dev/null |
			awk -F: '$1 == "fpr" { print $10; exit }'
	}
	good=$(new_key release@rangecat.invalid)
	other=$(new_key else@rangecat.invalid)
	if [ -z "$good" ] || [ -z "$other" ]; then
		framework_failure_ 'gpg --quick-gen-key'
	fi

	# The first version: the build's own packages.
	deb=$(ls "$fixtures"/deb/*.deb) || framework_failure_ 'no .deb in the fixture'
	rpm=$(fixture_copy rpm rpm) || exit
	v1=$(config CPACK_PACKAGE_VERSION)
	# Under umask 000, as repo.sh may be run on its own.
	(umask 000 && publish "$good" "$deb" "$rpm")
	same 'files and folders of the repositories that group or others may write' \
		"$(find pub -perm /022 -printf '%p ')" ''
	for name in rangecat.sources rangecat.repo; do
		same "the README's $name, and repo.sh's" "$(readme_file $name $published)" "$(cat pub/$name)"
	done
	# key_ok takes the keyring, binary or armoured, for its own
	# fingerprint only, and never one that holds another key too.
	gpg --batch --export "$other" | cat pub/rangecat-archive-keyring.pgp - >two.pgp ||
		framework_failure_ 'a keyring of two keys'
	local file fpr want
	while read -r file fpr want; do
		verdict "key_ok $file for the key ${fpr:0:8}" "$want" env FPR="$fpr" bash -c "$(declare -f key_ok); key_ok $file"
	done <<-ROWS
		pub/rangecat-archive-keyring.pgp $good 0
		pub/rangecat-archive-keyring.asc $good 0
		pub/rangecat-archive-keyring.pgp ${good,,} 0
		pub/rangecat-archive-keyring.pgp $other 1
		pub/rangecat-archive-keyring.asc $other 1
		pub/rangecat-archive-keyring.pgp ${good:0:16} 1
		two.pgp $good 1
		two.pgp $other 1
	ROWS
	# The fingerprint as gpg prints it, in groups with blanks.
	verdict "key_ok with the fingerprint in groups" 0 env FPR="$(sed -E 's/(.{4})/\1 /g' <<<"$good")" \
		bash -c "$(declare -f key_ok); key_ok pub/rangecat-archive-keyring.pgp"

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
	RANGECAT_SIGNING_KEY=$other RANGECAT_REPO_URL=$published \
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

check_repositories
finish
