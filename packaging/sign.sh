#!/bin/bash
# sign.sh FILE...: writes FILE.asc beside each FILE, a detached, ASCII-armoured
# OpenPGP signature by the key whose fingerprint RANGECAT_SIGNING_KEY gives,
# from GnuPG's keyring (GNUPGHOME, else ~/.gnupg).
set -euo pipefail
key=${RANGECAT_SIGNING_KEY:?set RANGECAT_SIGNING_KEY to the fingerprint of the signing key}
for file; do
	gpg --batch --yes --quiet --local-user "$key!" --digest-algo SHA512 \
		--armor --detach-sign --output "$file.asc" "$file"
done
