#!/bin/bash
# key-policy.sh FINGERPRINT: whether the key with FINGERPRINT, in GnuPG's
# keyring, signs what today's verifiers accept: apt on Debian 13 (sqv under
# Debian's policy) refuses DSA keys, and keys or self-signatures made with
# SHA-1 or SHA-224; rpm-sequoia (RHEL 10) refuses SHA-1 bindings; and both
# refuse RSA keys under 2048 bits. gpgv, as Debian 12's apt uses it, takes
# them all, so a release signed so would verify here and fail for its users.
# Exits 0, or 1 after printing why the key does not do, as a phrase that
# follows the key's name ("is a DSA key").
set -euo pipefail
listing=$(gpg --batch --with-colons --fixed-list-mode --list-sigs "$1!" 2>/dev/null) ||
	{ echo "is not in GnuPG's keyring"; exit 1; }
# Colon records: pub and sub have the key's length in field 3 and its
# algorithm in field 4 (1-3 RSA, 17 DSA); a sig has its issuer's key ID in
# field 5, its class in field 11 and its digest in field 16 (1 MD5, 2 SHA-1,
# 3 RIPEMD-160, 11 SHA-224).
why=$(awk -F: '
	$1 == "pub" && !id { id = $5 }
	($1 == "pub" || $1 == "sub") && $4 == 17 { print "is a DSA key"; exit }
	($1 == "pub" || $1 == "sub") && $4 <= 3 && $3 < 2048 { print "is an RSA key of " $3 " bits"; exit }
	$1 == "sig" && $5 == id && ($16 == 1 || $16 == 2 || $16 == 3 || $16 == 11) {
		split("MD5 SHA-1 RIPEMD-160 - - - - - - - SHA-224", digest, " ")
		print "is bound by self-signatures made with " digest[$16]; exit
	}' <<<"$listing")
[ -z "$why" ] || { echo "$why"; exit 1; }
