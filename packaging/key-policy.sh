#!/bin/bash
# key-policy.sh FINGERPRINT: whether the key with FINGERPRINT, in GnuPG's
# keyring, can sign a release that today's verifiers accept. The key must
# be neither revoked nor expired, and must sign by itself: dist.sh signs
# with that very key, never a subkey. apt on Debian 13 (sqv under Debian's
# policy) refuses DSA keys, and keys or self-signatures made with SHA-1 or
# SHA-224; rpm-sequoia (RHEL 10) refuses SHA-1 bindings; both refuse RSA
# keys under 2048 bits, and common policies those under 3072 from 2030,
# which a release key outlives: so this takes RSA from 3072 bits. gpgv, as
# Debian 12's apt uses it, takes them all, so a release signed so would
# verify here and fail for its users.
# Exits 0, or 1 after printing why the key does not do, as a phrase that
# follows the key's name ("is a DSA key; a release is signed with ...").
set -euo pipefail
min_rsa=3072
advice="; a release is signed with an RSA key of $min_rsa bits or more, or an Ed25519 key, bound with SHA-256 or better"
listing=$(gpg --batch --with-colons --fixed-list-mode --list-sigs "$1!" 2>/dev/null) ||
	{ echo "is not in GnuPG's keyring"; exit 1; }
# Colon records: pub and sub have their validity in field 2 (r revoked, e
# expired), the key's length in field 3, its algorithm in field 4 (1-3 RSA,
# 17 DSA) and what the key itself can do in field 12 (s: sign); a sig has
# its issuer's key ID in field 5, its class in field 11 and its digest in
# field 16 (1 MD5, 2 SHA-1, 3 RIPEMD-160, 11 SHA-224).
why=$(awk -F: -v min="$min_rsa" -v advice="$advice" '
	$1 == "pub" && !id {
		id = $5
		if ($2 == "r") { print "is revoked"; exit }
		if ($2 == "e") { print "has expired"; exit }
		if ($12 !~ /s/) { print "cannot sign"; exit }
	}
	($1 == "pub" || $1 == "sub") && $4 == 17 { print "is a DSA key" advice; exit }
	($1 == "pub" || $1 == "sub") && $4 <= 3 && $3 < min { print "is an RSA key of " $3 " bits" advice; exit }
	$1 == "sig" && $5 == id && ($16 == 1 || $16 == 2 || $16 == 3 || $16 == 11) {
		split("MD5 SHA-1 RIPEMD-160 - - - - - - - SHA-224", digest, " ")
		print "is bound by self-signatures made with " digest[$16] advice; exit
	}' <<<"$listing")
[ -z "$why" ] || { echo "$why"; exit 1; }
