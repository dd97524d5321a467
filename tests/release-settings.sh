#!/bin/bash
# dist.sh makes no release that names no maintainer, signing key or
# address, or a key that is not a whole fingerprint of a secret key in the
# keyring, or one that today's verifiers refuse (key-policy.sh); it says
# why in one line, at once, before it builds anything or dist/ changes.
# Usage: release-settings.sh BINARY
src=$(cd "$(dirname "$0")/.." && pwd)
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
need gpg 'release settings'

setup mkdir -p fake/packaging
setup cp "$src/packaging/dist.sh" "$src/packaging/key-policy.sh" fake/packaging/
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
export GNUPGHOME=$tmp/gnupg
setup mkdir -m 700 gnupg
release="$unset RANGECAT_MAINTAINER='$maintainer' RANGECAT_REPO_URL=$url"
for key in 608D473D 9293F0282E901FA48735F238B7340DB8608D473D; do
	tsh 1 "dist.sh: RANGECAT_SIGNING_KEY=$key is not the fingerprint of a secret key in your GnuPG keyring
" '' "$release RANGECAT_SIGNING_KEY=$key fake/packaging/dist.sh"
done

# Keys that gpgv takes, made as old keys were: each is refused for what
# apt on Debian 13 or rpm on RHEL 10 refuses in it.
# new_key NAME ALGO GPG_OPTION...: makes a signing key, and prints its
# fingerprint.
new_key() {
	gpg --batch --quiet --passphrase '' "${@:3}" --quick-gen-key "$1 <$1@rangecat.invalid>" \
		"$2" sign never 2>/dev/null || framework_failure_ "gpg --quick-gen-key $2 $*"
	gpg --with-colons --list-keys "$1@rangecat.invalid" 2>/dev/null | awk -F: '$1 == "fpr" { print $10; exit }'
}
advice=', which apt on Debian 13 or rpm on RHEL 10 refuses: sign with an RSA key of 3072 bits or more, or an Ed25519 key, bound with SHA-256 or better
'
while IFS=: read -r name algo options why; do
	# shellcheck disable=SC2086 # options are words
	key=$(new_key "$name" "$algo" $options)
	tsh 1 "dist.sh: RANGECAT_SIGNING_KEY=$key $why$advice" '' \
		"$release RANGECAT_SIGNING_KEY=$key fake/packaging/dist.sh"
	same "dist/ after the refusal of a $name key" "$(cd fake && echo *)" 'CMakeLists.txt packaging'
done <<'KEYS'
sha1:rsa3072:--cert-digest-algo SHA1:is bound by self-signatures made with SHA-1
dsa:dsa2048::is a DSA key
rsa1024:rsa1024::is an RSA key of 1024 bits
KEYS
# and one that all of them take.
key=$(new_key good rsa3072)
tsh 0 '' '' "fake/packaging/key-policy.sh $key"
gpgconf --kill gpg-agent

finish
