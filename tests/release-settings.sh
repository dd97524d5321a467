#!/bin/bash
# dist.sh makes no release that names no maintainer, signing key or
# address, or a bad one (packaging/publisher.cmake), or a key that is not a
# whole fingerprint of a secret key in the keyring, or one that cannot sign
# or that today's verifiers refuse (key-policy.sh); it says why in one line,
# at once, before it writes anything. A configure refuses the same values.
# Under dist.sh, no secret key is in reach of this check.
# Usage: release-settings.sh BINARY
src=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
need gpg 'release settings'

# Under dist.sh, which names the GnuPG homes and the agent's sockets that
# it hid from the builds in RANGECAT_DIST_KEYRINGS: neither gpg nor the
# agent finds a secret key there, nor in this check's own home. (gpg
# lists the secret keys that the agent it starts finds.)
if [ -n "${RANGECAT_DIST_KEYRINGS-}" ]; then
	IFS=: read -ra homes <<<"$RANGECAT_DIST_KEYRINGS"
	for home in '' "${homes[@]}"; do
		same "secret keys that gpg lists in ${home:-its own home} under dist.sh" \
			"$(gpg --batch --with-colons ${home:+--homedir "$home"} --list-secret-keys 2>/dev/null | grep -c '^sec')" 0
		same "keys that an agent holds in ${home:-its own home} under dist.sh" \
			"$(gpg-connect-agent ${home:+--homedir "$home"} 'keyinfo --list' /bye 2>/dev/null | grep -c '^S KEYINFO')" 0
		gpgconf ${home:+--homedir "$home"} --kill all
	done
fi

setup mkdir -p fake/packaging
setup cp "$src/packaging/dist.sh" "$src/packaging/key-policy.sh" "$src/packaging/publisher.cmake" fake/packaging/
setup cp "$src/CMakeLists.txt" fake/
maintainer='Ada Lovelace <ada@example.org>' url=https://example.org/rangecat
unset='env -u RANGECAT_MAINTAINER -u RANGECAT_SIGNING_KEY -u RANGECAT_REPO_URL'
snapshot=', or make a snapshot with --snapshot
'
refusal="dist.sh: set RANGECAT_MAINTAINER=\"Name <address>\" to make a release$snapshot"
tsh 1 "$refusal" '' "$unset fake/packaging/dist.sh"
tsh 1 "$refusal" '' \
	"$unset RANGECAT_MAINTAINER='rangecat maintainers <maintainers@rangecat.invalid>' fake/packaging/dist.sh"
tsh 1 "dist.sh: set RANGECAT_SIGNING_KEY to the fingerprint of the key in your GnuPG keyring that signs the release$snapshot" \
	'' "$unset RANGECAT_MAINTAINER='$maintainer' fake/packaging/dist.sh"
tsh 1 "dist.sh: set RANGECAT_REPO_URL to the address where dist/ is to be published$snapshot" \
	'' "$unset RANGECAT_MAINTAINER='$maintainer' RANGECAT_SIGNING_KEY=608D473D fake/packaging/dist.sh"
# A bad value, each refused in one line naming it, before dist.sh writes
# anything: the tree as it was, and no work folder in TMPDIR.
release="$unset RANGECAT_MAINTAINER='$maintainer' RANGECAT_REPO_URL=$url RANGECAT_SIGNING_KEY=608D473D"
nl=$'\n'
# refused WHAT SETTING WHY: dist.sh, with SETTING, refuses WHAT as WHY says.
refused() {
	tsh 1 "dist.sh: $3
" '' "$release $2 fake/packaging/dist.sh"
	same "the tree and TMPDIR after the refusal of $1" "$(echo fake/* ./rangecat-dist.*)" \
		'fake/CMakeLists.txt fake/packaging ./rangecat-dist.*'
}
refused 'a maintainer on two lines' "RANGECAT_MAINTAINER='Ada${nl}Essential: yes <ada@example.org>'" \
	'RANGECAT_MAINTAINER holds a control character, such as a line break'
refused 'an rpm macro in the maintainer' "RANGECAT_MAINTAINER='Eve %(touch pwned) <eve@example.org>'" \
	'RANGECAT_MAINTAINER=Eve %(touch pwned) <eve@example.org> holds %, which rpm reads as a macro'
refused 'a maintainer without an address' RANGECAT_MAINTAINER=Ada \
	'RANGECAT_MAINTAINER=Ada is not "Name <address>"'
refused 'a home page on two lines' "RANGECAT_HOMEPAGE='$url${nl}Essential: yes'" \
	'RANGECAT_HOMEPAGE holds a control character, such as a line break'
refused 'a home page over http' "RANGECAT_HOMEPAGE=http${url#https}" \
	"RANGECAT_HOMEPAGE=http${url#https} is not an https:// address"
refused 'an address over http' "RANGECAT_REPO_URL=http${url#https}" \
	"RANGECAT_REPO_URL=http${url#https} is not an https:// address"
refused 'an address with a tab' "RANGECAT_REPO_URL='$url	x'" \
	'RANGECAT_REPO_URL holds a control character, such as a line break'
refused 'an address with a query' "RANGECAT_REPO_URL='$url?x'" \
	"RANGECAT_REPO_URL=$url?x has a query or a fragment, which no path can follow"
# A configure refuses the same values in a line of its own, before it
# writes a build system.
# misconfigured OPTION WHY: a configure with OPTION fails, as WHY says.
misconfigured() {
	rm -rf configured
	cmake -S "$src" -B configured "$1" >/dev/null 2>configured.err
	same "a configure with $1: its status, and the line naming the value" \
		"$? $(grep -cxF "   $2" configured.err)" '1 1'
	same "a build system configured with $1" "$(ls configured/Makefile configured/build.ninja 2>/dev/null)" ''
}
misconfigured "-DRANGECAT_MAINTAINER=Ada${nl}Essential: yes <ada@example.org>" \
	'RANGECAT_MAINTAINER holds a control character, such as a line break'
misconfigured '-DRANGECAT_MAINTAINER=Eve %(touch pwned) <eve@example.org>' \
	'RANGECAT_MAINTAINER=Eve %(touch pwned) <eve@example.org> holds %, which rpm reads as a macro'
misconfigured "-DRANGECAT_HOMEPAGE=$url${nl}Essential: yes" \
	'RANGECAT_HOMEPAGE holds a control character, such as a line break'

export GNUPGHOME=$tmp/gnupg
setup mkdir -m 700 gnupg
release="$unset RANGECAT_MAINTAINER='$maintainer' RANGECAT_REPO_URL=$url"
for key in 608D473D 9293F0282E901FA48735F238B7340DB8608D473D; do
	tsh 1 "dist.sh: RANGECAT_SIGNING_KEY=$key is not the fingerprint of a secret key in your GnuPG keyring
" '' "$release RANGECAT_SIGNING_KEY=$key fake/packaging/dist.sh"
done

# Keys that gpgv takes, made as old keys were: each is refused for what
# apt on Debian 13 or rpm on RHEL 10 refuses in it.
# new_key NAME ALGO USAGE [EXPIRY] GPG_OPTION...: makes a key, and prints its
# fingerprint.
new_key() {
	local usage expiry
	read -r usage expiry <<<"$3"
	gpg --batch --quiet --passphrase '' "${@:4}" --quick-gen-key "$1 <$1@rangecat.invalid>" \
		"$2" "$usage" "${expiry:-never}" 2>/dev/null || framework_failure_ "gpg --quick-gen-key $*"
	gpg --with-colons --list-keys "$1@rangecat.invalid" 2>/dev/null | awk -F: '$1 == "fpr" { print $10; exit }'
}
advice='; a release is signed with an RSA key of 3072 bits or more, or an Ed25519 key, bound with SHA-256 or better'
while IFS=: read -r name algo usage options why; do
	# shellcheck disable=SC2086 # options are words
	key=$(new_key "$name" "$algo" "$usage" $options)
	tsh 1 "dist.sh: RANGECAT_SIGNING_KEY=$key $why
" '' "$release RANGECAT_SIGNING_KEY=$key fake/packaging/dist.sh"
	same "dist/ after the refusal of a $name key" "$(cd fake && echo *)" 'CMakeLists.txt packaging'
done <<KEYS
sha1:rsa3072:sign:--cert-digest-algo SHA1:is bound by self-signatures made with SHA-1$advice
dsa:dsa2048:sign::is a DSA key$advice
rsa1024:rsa1024:sign::is an RSA key of 1024 bits$advice
rsa2048:rsa2048:sign::is an RSA key of 2048 bits$advice
expired:ed25519:sign 1y:--faked-system-time 20200101T000000:has expired
certifying:ed25519:cert::cannot sign
KEYS
# A key revoked since it was made, with the certificate gpg made with it.
key=$(new_key revoked ed25519 sign)
sed 's/^:-----/-----/' "gnupg/openpgp-revocs.d/$key.rev" | gpg --batch --quiet --import 2>/dev/null ||
	framework_failure_ "gpg --import of the revocation of $key"
tsh 1 "dist.sh: RANGECAT_SIGNING_KEY=$key is revoked
" '' "$release RANGECAT_SIGNING_KEY=$key fake/packaging/dist.sh"
same 'dist/ after the refusal of a revoked key' "$(cd fake && echo *)" 'CMakeLists.txt packaging'
# and one that all of them take.
key=$(new_key good rsa3072 sign)
tsh 0 '' '' "fake/packaging/key-policy.sh $key"
gpgconf --kill gpg-agent

finish
