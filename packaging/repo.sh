#!/bin/bash
# repo.sh OUT_DIR PACKAGE...: adds each .deb and .rpm to the signed APT and
# DNF repositories in OUT_DIR, made anew around all that they hold, so that
# a later release joins the earlier ones and apt and dnf upgrade to it:
#   apt/: one suite, stable, with one component, main, for every
#     architecture of its packages, signed as InRelease and Release.gpg;
#   rpm/: the .rpms signed with rpmsign, and createrepo_c's metadata,
#     signed as repodata/repomd.xml.asc;
#   rangecat-archive-keyring.pgp and .asc: the public key, binary and
#     armoured;
#   rangecat.sources and rangecat.repo: the source and the repository, at
#     RANGECAT_REPO_URL, that the README has users write for themselves,
#     each naming the key as the README installs it, once checked.
# The key is RANGECAT_SIGNING_KEY's, as for sign.sh; the address is an
# https:// one, as packaging/publisher.cmake checks it. The repositories'
# dates are SOURCE_DATE_EPOCH's, else the clock's, and all but the
# signatures (and the signed .rpms, and the metadata naming their
# checksums) is the same in two runs. What it writes is readable by all and
# writable by its owner only, whatever the umask.
set -euo pipefail
here=$(dirname "$(realpath "$0")")
out=$1
shift
key=${RANGECAT_SIGNING_KEY:?set RANGECAT_SIGNING_KEY to the fingerprint of the signing key}
url=${RANGECAT_REPO_URL:?set RANGECAT_REPO_URL to where OUT_DIR will be published}
why=$(cmake "-DRANGECAT_REPO_URL=$url" -P "$here/publisher.cmake" 2>&1) ||
	why=${why:-cmake -P publisher.cmake failed}
[ -z "$why" ] || { echo "repo.sh: $why" >&2; exit 1; }
url=${url%/}
umask 022
epoch=${SOURCE_DATE_EPOCH:-$(date +%s)}
export LC_ALL=C

mkdir -p "$out/apt/pool/main/r/rangecat" "$out/rpm"
for package; do
	case $package in
	*.deb) cp "$package" "$out/apt/pool/main/r/rangecat/" ;;
	*.rpm) cp "$package" "$out/rpm/" ;;
	*) echo "repo.sh: $package is neither a .deb nor an .rpm" >&2; exit 2 ;;
	esac
done

gpg --batch --yes --quiet --export --export-options export-minimal "$key!" \
	>"$out/rangecat-archive-keyring.pgp"
gpg --batch --yes --quiet --armor --export --export-options export-minimal "$key!" \
	>"$out/rangecat-archive-keyring.asc"
[ -s "$out/rangecat-archive-keyring.pgp" ] ||
	{ echo "repo.sh: no key $key in GnuPG's keyring" >&2; exit 1; }

# APT: a Packages index per architecture, and the Release file over them.
(
	cd "$out/apt"
	rm -rf dists
	mapfile -t archs < <(for deb in pool/main/r/rangecat/*.deb; do
		dpkg-deb -f "$deb" Architecture
	done | sort -u)
	for arch in "${archs[@]}"; do
		dir=dists/stable/main/binary-$arch
		mkdir -p "$dir"
		apt-ftparchive --arch "$arch" packages pool/main >"$dir/Packages"
		gzip -9nk "$dir/Packages"
	done
	apt-ftparchive \
		-o APT::FTPArchive::Release::Origin=rangecat \
		-o APT::FTPArchive::Release::Label=rangecat \
		-o APT::FTPArchive::Release::Suite=stable \
		-o APT::FTPArchive::Release::Codename=stable \
		-o APT::FTPArchive::Release::Components=main \
		-o "APT::FTPArchive::Release::Architectures=${archs[*]}" \
		-o "APT::FTPArchive::Release::Date=$(date -u -d "@$epoch" '+%a, %d %b %Y %H:%M:%S UTC')" \
		-o APT::FTPArchive::Release::Description="rangecat's releases" \
		release dists/stable >Release
	mv Release dists/stable/Release
	gpg --batch --yes --quiet --local-user "$key!" --digest-algo SHA512 \
		--clearsign --output dists/stable/InRelease dists/stable/Release
	# Release.gpg is the armoured detached signature that sign.sh makes.
	"$here/sign.sh" dists/stable/Release
	mv dists/stable/Release.asc dists/stable/Release.gpg
)

# DNF: the .rpms signed (those signed with the key already keep their
# signature), at the repositories' time, and the metadata over them.
(
	cd "$out/rpm"
	shopt -s nullglob
	rpms=(*.rpm)
	if [ ${#rpms[@]} -gt 0 ]; then
		"$here/sign.sh" "${rpms[@]}"
		touch -d "@$epoch" "${rpms[@]}"
	fi
	rm -rf repodata
	createrepo_c --quiet --no-database --revision "$epoch" --set-timestamp-to-revision .
	"$here/sign.sh" repodata/repomd.xml
)

cat >"$out/rangecat.sources" <<SOURCES
Types: deb
URIs: $url/apt
Suites: stable
Components: main
Signed-By: /etc/apt/keyrings/rangecat-archive-keyring.pgp
SOURCES
cat >"$out/rangecat.repo" <<REPO
[rangecat]
name=rangecat
baseurl=$url/rpm
enabled=1
gpgcheck=1
repo_gpgcheck=1
gpgkey=file:///etc/pki/rpm-gpg/rangecat-archive-keyring.asc
REPO
# Folders made by an earlier run under another umask, and the packages as
# they were copied.
chmod -R u=rwX,go=rX "$out/apt" "$out/rpm" "$out"/rangecat-archive-keyring.* "$out"/rangecat.sources "$out"/rangecat.repo
