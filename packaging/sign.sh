#!/bin/bash
# sign.sh FILE...: signs each FILE with the key whose fingerprint
# RANGECAT_SIGNING_KEY gives, from GnuPG's keyring (GNUPGHOME, else
# ~/.gnupg): an .rpm in place, as rpm checks it (rpm 6, and RHEL 10, refuse
# an unsigned one), at the time it had; any other FILE with FILE.asc
# beside it, a detached, ASCII-armoured OpenPGP signature.
set -euo pipefail
key=${RANGECAT_SIGNING_KEY:?set RANGECAT_SIGNING_KEY to the fingerprint of the signing key}
for file; do
	case $file in
	*.rpm)
		# Debian's rpm calls gpg gpg2, which GnuPG 2.2 no longer
		# installs. rpm warns that standard input is no terminal, which
		# it need not be, and of a package that it signed before, whose
		# signature it keeps.
		touch -r "$file" "$file.time"
		rpmsign --define "__gpg $(command -v gpg)" --define "_gpg_name $key!" \
			--define '_gpg_digest_algo sha512' --addsign "$file" \
			2> >(grep -vE '^warning: (Could not set GPG_TTY|.* already contains identical signature)' >&2) \
			>/dev/null
		touch -r "$file.time" "$file"
		rm "$file.time"
		;;
	*)
		gpg --batch --yes --quiet --local-user "$key!" --digest-algo SHA512 \
			--armor --detach-sign --output "$file.asc" "$file"
		;;
	esac
done
