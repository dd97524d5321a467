#!/bin/bash
# The install: into a prefix, and into a staging folder with DESTDIR, each
# with none of the files that only the project's packages carry, and each
# removed again as the README says; making a package after an install
# leaves its manifest to remove it by.
# Usage: install.sh BINARY BUILD_DIR
# shellcheck source=tests/lib-build.sh
. "$(dirname "$0")/lib-build.sh"
# The user's own install manifest is put back as it was when the check
# ends: the check installs from the build folder, as users do, and each
# install writes it.
manifest=$build/install_manifest.txt
if [ -e "$manifest" ]; then
	cp -p "$manifest" "$tmp/user-manifest" || framework_failure_ "a copy of $manifest"
fi
trap 'if [ -e "$tmp/user-manifest" ]; then cp -p "$tmp/user-manifest" "$manifest"
	else rm -f "$manifest"; fi; rm -rf "$tmp"' EXIT

setup cmake --install "$build" --prefix "$tmp/p" >/dev/null
for f in bin/rangecat share/man/man1/rangecat.1.gz \
	share/bash-completion/completions/rangecat \
	share/zsh/site-functions/_rangecat \
	share/fish/vendor_completions.d/rangecat.fish; do
	[ -f "p/$f" ] || fail "cmake --install --prefix: no $f"
done
# installed_only_by_packages PREFIX: the files under PREFIX that only the
# project's own packages and archives carry, which a distribution's
# install must not: lintian's override, and any doc: the Debian changelog
# and copyright file, a licence file that lintian tags beside the
# distribution's copyright file, and a bill of materials whose checksum
# the packager's strip breaks.
installed_only_by_packages() {
	(cd "$1" && ls -d share/lintian share/doc 2>/dev/null)
}
same 'files of the packages in a plain install' "$(installed_only_by_packages p)" ''
same 'installed binary' "$(p/bin/rangecat -s 7 -e 12 hello)" world
same 'installed man page' "$(gzip -dc p/share/man/man1/rangecat.1.gz)" "$(cat "$build/rangecat.1")"
# CPack installs too, by component, whatever the generator.
(cd "$build" && cpack -G TGZ -B "$tmp/tgz" >/dev/null) || framework_failure_ 'cpack -G TGZ'
uninstall "$tmp/p"
# Into /usr, as a distribution's build installs, where the lintian
# override would go.
DESTDIR=$tmp/stage setup cmake --install "$build" --prefix /usr >/dev/null
same 'DESTDIR install' "$(stage/usr/bin/rangecat -e 5 hello)" hello
same 'files of the packages in a staged install into /usr' "$(installed_only_by_packages stage/usr)" ''
uninstall "$tmp/stage/usr"

finish
