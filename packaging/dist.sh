#!/bin/bash
# dist.sh: the release of the commit checked out here, in dist/: the source
# tarball; an archive and a .deb for each machine of packaging/machines, and
# an .rpm for each that it says RHEL and Fedora ship; the signed APT and DNF
# repositories of the packages, with rangecat.sources and rangecat.repo,
# which point at them (repo.sh); SHA256SUMS over all of these files; the
# .rpms signed, and the source tarball and SHA256SUMS signed (.asc); and the
# public key (rangecat-archive-keyring.pgp and .asc): dist/ is what is
# published at RANGECAT_REPO_URL.
# Every binary is built from the source tarball, unpacked outside any git
# checkout, and passes its machine's suite, with every optional tool,
# before it is packaged: the whole suite for amd64, and the build's own
# checks for the others, whose host's checks (tests/inventory) would give
# the amd64 build's verdict again. No build or check can reach a signing
# key: they run with a home of their own, where the caller's GnuPG homes
# and the agent's sockets are empty; the snapshot's key is made, and
# everything signed, once they all passed. When anything fails or the run
# is stopped, dist.sh leaves dist/ as it was, and no key or agent of its
# own. It needs an amd64 Debian machine, root (for the loop device,
# binfmt_misc and the mounts that hide the keys), and every tool of
# tests/inventory with the cross compilers, as .ci/run installs them.
#
# A release names who publishes it, from the environment:
# RANGECAT_MAINTAINER ("Name <address>") and RANGECAT_HOMEPAGE fill the
# packages' fields and say where bugs go; RANGECAT_SIGNING_KEY, the
# fingerprint of a key in the caller's GnuPG keyring, signs it; and
# RANGECAT_REPO_URL is where it is published. Without a maintainer, a key
# or an address it makes no release; with --snapshot it makes one anyway,
# with the placeholder maintainer, a throwaway key made for the run, and
# RANGECAT_REPO_URL or a placeholder address, and every version ends in
# ~snapshot. The values are checked as a build checks them
# (packaging/publisher.cmake), and the key as key-policy.sh does, before
# anything is written.
set -euo pipefail
cd "$(dirname "$0")/.."
top=$PWD
export LC_ALL=C
# A compile and a test per core: the suite holds under ctest -j, and the
# builds and the foreign suites under qemu are the slow part.
CMAKE_BUILD_PARALLEL_LEVEL=$(nproc) CTEST_PARALLEL_LEVEL=$(nproc)
export CMAKE_BUILD_PARALLEL_LEVEL CTEST_PARALLEL_LEVEL
snapshot=OFF
case ${1-} in
--snapshot) snapshot=ON ;;
'') ;;
*) echo "usage: dist.sh [--snapshot]" >&2; exit 2 ;;
esac
placeholder=$(sed -n 's/^set(maintainer_placeholder "\(.*\)")$/\1/p' CMakeLists.txt)
maintainer=${RANGECAT_MAINTAINER:-$placeholder}
if [ "$snapshot" = OFF ]; then
	if [ "$maintainer" = "$placeholder" ]; then
		echo "dist.sh: set RANGECAT_MAINTAINER=\"Name <address>\" to make a release, or make a snapshot with --snapshot" >&2
		exit 1
	fi
	if [ -z "${RANGECAT_SIGNING_KEY-}" ]; then
		echo "dist.sh: set RANGECAT_SIGNING_KEY to the fingerprint of the key in your GnuPG keyring that signs the release, or make a snapshot with --snapshot" >&2
		exit 1
	fi
	if [ -z "${RANGECAT_REPO_URL-}" ]; then
		echo "dist.sh: set RANGECAT_REPO_URL to the address where dist/ is to be published, or make a snapshot with --snapshot" >&2
		exit 1
	fi
fi
: "${RANGECAT_REPO_URL:=https://rangecat.invalid/snapshot}"
# The values, by the rules a build holds them to: a line for each bad one.
why=$(cmake "-DRANGECAT_MAINTAINER=$maintainer" "-DRANGECAT_HOMEPAGE=${RANGECAT_HOMEPAGE-}" \
	"-DRANGECAT_REPO_URL=$RANGECAT_REPO_URL" -P packaging/publisher.cmake 2>&1) ||
	why=${why:-cmake -P packaging/publisher.cmake failed}
if [ -n "$why" ]; then
	echo "dist.sh: ${why//$'\n'/$'\n'dist.sh: }" >&2
	exit 1
fi
if [ "$snapshot" = OFF ]; then
	# A whole fingerprint, never a short ID that another key may share, of
	# a key that can sign.
	if ! [[ $RANGECAT_SIGNING_KEY =~ ^[0-9A-Fa-f]{40}$ ]] ||
		! gpg --batch --with-colons --list-secret-keys "$RANGECAT_SIGNING_KEY!" 2>/dev/null |
		grep -qi "^fpr:.*:$RANGECAT_SIGNING_KEY:\$"; then
		echo "dist.sh: RANGECAT_SIGNING_KEY=$RANGECAT_SIGNING_KEY is not the fingerprint of a secret key in your GnuPG keyring" >&2
		exit 1
	fi
	# A key that cannot sign now fails only after every build; one that gpgv
	# takes and the verifiers of Debian 13 and RHEL 10 refuse would make a
	# release that verifies here and not for users.
	if ! why=$(packaging/key-policy.sh "$RANGECAT_SIGNING_KEY"); then
		echo "dist.sh: RANGECAT_SIGNING_KEY=$RANGECAT_SIGNING_KEY $why" >&2
		exit 1
	fi
fi
options=(-DRANGECAT_RELEASE=ON "-DRANGECAT_MAINTAINER=$maintainer" "-DRANGECAT_HOMEPAGE=${RANGECAT_HOMEPAGE-}"
	"-DRANGECAT_SNAPSHOT=$snapshot")
version=$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
[ "$snapshot" = OFF ] || version+='~snapshot'
# The release's times are its commit's, which the tarball records.
unset SOURCE_DATE_EPOCH

[ "$(dpkg --print-architecture 2>/dev/null)" = amd64 ] ||
	{ echo "dist.sh: runs on an amd64 Debian machine" >&2; exit 1; }
[ "$(id -u)" = 0 ] || { echo "dist.sh: runs as root" >&2; exit 1; }
# git reads this checkout even where another user owns it, as the build does.
git() { command git -c safe.directory="$top" "$@"; }
git diff --quiet HEAD ||
	echo "dist.sh: uncommitted changes are not in the release of $(git rev-parse --short HEAD)" >&2

# The caller's GnuPG homes and the folders of the agents' sockets: what the
# builds must not reach. A folder inside another goes with it.
keyrings=()
for dir in "${GNUPGHOME:-$HOME/.gnupg}" "$HOME/.gnupg" "$(gpgconf --list-dirs socketdir)" \
	"$(env -u GNUPGHOME gpgconf --list-dirs socketdir)" "/run/user/$(id -u)/gnupg"; do
	if [ -d "$dir" ]; then
		keyrings+=("$(realpath "$dir")")
	fi
done
if [ ${#keyrings[@]} -gt 0 ]; then
	mapfile -t keyrings < <(printf '%s\n' "${keyrings[@]}" | sort -u |
		awk 'NR == 1 || index($0, last "/") != 1 { print; last = $0 }')
fi
work=$(mktemp -d "${TMPDIR:-/tmp}/rangecat-dist.XXXXXX")
builder='' stopped=''
# On any end: the builds stopped, the snapshot's key and its agent gone,
# dist/ as it was unless the run succeeded; the builds kept where they
# failed, to be looked at.
cleanup() {
	local status=$?
	trap '' INT TERM
	if [ -n "$builder" ]; then
		kill -TERM -- "-$builder" 2>/dev/null || :
		wait "$builder" 2>/dev/null || :
		# Its last processes end in their own time, but within ten seconds:
		# rm must not race them.
		for ((i = 0; i < 50; i++)); do
			kill -0 -- "-$builder" 2>/dev/null || break
			sleep 0.2
		done
		kill -KILL -- "-$builder" 2>/dev/null || :
	fi
	if [ -d "$work/gnupg" ]; then
		gpgconf --homedir "$work/gnupg" --kill all 2>/dev/null || :
		rm -rf "$work/gnupg"
	fi
	if [ "$status" = 0 ] || [ -n "$stopped" ]; then
		rm -rf --one-file-system "$work"
	else
		echo "dist.sh: failed; dist/ is unchanged, the builds are in $work" >&2
	fi
}
trap cleanup EXIT
trap 'stopped=INT; exit 130' INT
trap 'stopped=TERM; exit 143' TERM
out=$work/dist
mkdir "$out" "$work/packages" "$work/home"
tarball=$(packaging/source.sh "$out" "$version")

# build: makes and tests every machine's build, and gathers their packages
# and archives; run by bash -c in a mount namespace of its own.
build() {
	tar -xzf "$tarball" -C "$work"
	src=$work/$(basename "$tarball" .tar.gz)
	mapfile -t quick <"$src/.ci/quick-start"

	# The cross builds are made first, in as many lanes as there are cores:
	# configuring, and compiling GoogleTest's one large file, keep a single
	# core busy for most of each build. Each build's output goes in its log,
	# which is shown where it fails; the release stops once every lane is done.
	start=$SECONDS
	mapfile -t cross < <(awk '!/^#/ && NF && $2 != "-" { print $1, $2 }' "$src/packaging/machines")
	lanes=$(nproc) lane_pids=()
	for ((lane = 0; lane < lanes; lane++)); do
		(
			for ((i = lane; i < ${#cross[@]}; i += lanes)); do
				read -r triplet toolchain <<<"${cross[i]}"
				log=$work/build-$triplet.log
				if ! { cmake -S "$src" -B "$work/build-$triplet" --toolchain "$src/$toolchain" \
					"${options[@]}" && cmake --build "$work/build-$triplet"; } >"$log" 2>&1; then
					tail -40 "$log" >&2
					echo "dist.sh: the build for $triplet failed; its log is $log" >&2
					exit 1
				fi
			done
		) &
		lane_pids+=($!)
	done
	built=yes
	for pid in "${lane_pids[@]}"; do
		wait "$pid" || built=no
	done
	[ "$built" = yes ]
	echo "dist.sh: ${#cross[@]} cross builds made in $((SECONDS - start)) s"

	while read -r triplet toolchain _ _ _ _ released _; do
		start=$SECONDS
		if [ "$toolchain" = - ]; then
			# The README's build, configured first with the release's
			# settings.
			build=$src/build finished='built, tested and packaged'
			cmake -S "$src" -B "$build" "${options[@]}"
			(cd "$src" && eval "${quick[0]}")
		else
			build=$work/build-$triplet finished='tested and packaged'
		fi
		# The suite, once, held to the gate; a foreign machine's without the
		# host's checks.
		only=()
		[ "$toolchain" = - ] || only=(build-only)
		ctest --test-dir "$build" --output-on-failure --output-junit junit.xml ${only:+-LE host}
		"$src/.ci/gate" "$build" release every "${only[@]}"
		# The packages are the ones the checks read, which the suite's
		# packages fixture made: what is released is what was tested.
		cp "$build"/Testing/fixtures/deb/*.deb "$work/packages/"
		if [ "$released" = rpm ]; then
			cp "$build"/Testing/fixtures/rpm/*.rpm "$work/packages/"
		fi
		"$src/packaging/archive.sh" "$build" "$out" >/dev/null
		echo "dist.sh: $triplet $finished in $((SECONDS - start)) s"
	done < <(awk '!/^#/ && NF' "$src/packaging/machines")
}

# The builds and their checks run in a process group and a mount namespace
# of their own, with a home of their own, and with the caller's keyrings and
# the agent's sockets hidden under empty folders: no build or check can
# reach a key that signs. A check reads RANGECAT_DIST_KEYRINGS to see
# that none is left there. A stop kills the whole group.
# shellcheck disable=SC2016 # the inner script expands its own arguments
setsid unshare --mount --propagation private -- bash -c '
	set -euo pipefail
	for dir in "${@:2}"; do
		mount -t tmpfs -o mode=700,size=1m rangecat-dist-no-keys "$dir"
	done
	exec env -u GNUPGHOME -u RANGECAT_SIGNING_KEY -u GPG_AGENT_INFO -u SSH_AUTH_SOCK \
		HOME="$1" bash -c "$0"
' "$(declare -p top work out tarball options snapshot CMAKE_BUILD_PARALLEL_LEVEL CTEST_PARALLEL_LEVEL LC_ALL)
export RANGECAT_DIST_KEYRINGS=$(IFS=:; printf %q "${keyrings[*]}")
set -euo pipefail
$(declare -f build)
build" "$work/home" "${keyrings[@]}" &
builder=$!
wait "$builder"
builder=''

# Signing, on the files built and checked: the snapshot's key is made now.
if [ "$snapshot" = ON ]; then
	# A key of the run's own, in a keyring of its own, which signs nothing
	# else: the snapshot's signatures show that the signing works, and
	# vouch for nothing.
	export GNUPGHOME=$work/gnupg
	mkdir -m 700 "$GNUPGHOME"
	gpg --batch --quiet --passphrase '' \
		--quick-gen-key 'rangecat snapshot, throwaway key <snapshot@rangecat.invalid>' \
		rsa3072 sign never 2>/dev/null
	RANGECAT_SIGNING_KEY=$(gpg --trust-model always --with-colons --list-keys snapshot@rangecat.invalid |
		awk -F: '$1 == "fpr" { print $10; exit }')
	echo "dist.sh: a snapshot, signed with a throwaway key made for this run: $RANGECAT_SIGNING_KEY"
fi
export RANGECAT_SIGNING_KEY RANGECAT_REPO_URL
src=$work/$(basename "$tarball" .tar.gz)
machines=$(awk '!/^#/ && NF' "$src/packaging/machines" | wc -l)
rpms=$(awk '!/^#/ && NF && $7 == "rpm"' "$src/packaging/machines" | wc -l)
mv "$work"/packages/*.deb "$work"/packages/*.rpm "$out/"

cd "$out"
# The tarball, and an archive and a .deb per machine, and the .rpms.
files=(*)
if [ ${#files[@]} != $((1 + 2 * machines + rpms)) ]; then
	echo "dist.sh: ${#files[@]} files, want $((1 + 2 * machines + rpms)): ${files[*]}" >&2
	false
fi
# Every .rpm is signed in itself, as rpm 6 installs none that is not.
"$src/packaging/sign.sh" ./*.rpm
# The repositories' dates are the commit's.
SOURCE_DATE_EPOCH=$(cat "$src/packaging/source-date-epoch") \
	"$src/packaging/repo.sh" . ./*.deb ./*.rpm
# SHA256SUMS names the source files of the repositories too, so that a user
# who fetches them can check them.
sha256sum -- "${files[@]}" rangecat.sources rangecat.repo >SHA256SUMS
sha256sum --quiet -c SHA256SUMS
"$src/packaging/sign.sh" "$(basename "$tarball")" SHA256SUMS
# Every signature holds for gpgv, as apt on Debian 12 checks it, and for
# sqv, as apt on Debian 13 does, under Debian's policy where this machine
# has it (sqv 1.1, Debian 12's, has no policy of its own but Sequoia's:
# key-policy.sh holds the key to the rest of Debian's).
policy=/usr/share/apt/default-sequoia.config
if [ -r "$policy" ]; then
	export SEQUOIA_CRYPTO_POLICY=$policy
fi
while read -r signature signed; do
	gpgv --quiet --keyring ./rangecat-archive-keyring.pgp "$signature" "$signed"
	sqv --keyring rangecat-archive-keyring.pgp "$signature" "$signed" >/dev/null
done <<SIGNED
SHA256SUMS.asc SHA256SUMS
$(basename "$tarball").asc $(basename "$tarball")
apt/dists/stable/Release.gpg apt/dists/stable/Release
rpm/repodata/repomd.xml.asc rpm/repodata/repomd.xml
SIGNED
gpgv --quiet --keyring ./rangecat-archive-keyring.pgp apt/dists/stable/InRelease
# And every .rpm, beside SHA256SUMS and in rpm/, for rpm, with the key and
# signatures enforced, as rpm 6 does.
mkdir "$work/rpmdb"
rpmkeys --root "$work/rpmdb" --import rangecat-archive-keyring.asc
rpmkeys --root "$work/rpmdb" --define '_pkgverify_level signature' -K ./*.rpm rpm/*.rpm >/dev/null
# For publishing, whatever the umask.
chmod -R u=rwX,go=rX .
cd "$top"
# dist/ is replaced whole: a stop now waits for the swap to end.
trap '' INT TERM
rm -rf dist
mv "$out" dist
ls -l dist
echo "dist.sh: signed by $RANGECAT_SIGNING_KEY; to be published at $RANGECAT_REPO_URL"
