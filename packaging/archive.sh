#!/bin/bash
# archive.sh BUILD_DIR OUT_DIR: writes OUT_DIR/rangecat-VERSION-MACHINE-linux.tar.gz,
# the release archive of a static build: one folder holding the stripped
# binary, the man page, the completions for bash, zsh and fish, the
# licence, the notices of the libraries linked in, the bill of materials
# (rangecat.spdx.json), and the README, with the commit's time and root's
# ownership, the same bytes from every build.
set -euo pipefail
build=$(realpath "$1")
out=$(realpath "$2")

# config NAME: what the build's CPack configuration sets NAME to.
config() {
	sed -n "s/^set($1 \"\(.*\)\")$/\1/p" "$build/CPackConfig.cmake"
}
src=$(sed -n 's/^rangecat_SOURCE_DIR:STATIC=//p' "$build/CMakeCache.txt")
version=$(config CPACK_PACKAGE_VERSION)
machine=$(config CPACK_RANGECAT_MACHINE)
epoch=$(config CPACK_RANGECAT_EPOCH)
if [ -z "$src" ] || [ -z "$version" ] || [ -z "$machine" ]; then
	echo "archive.sh: $build is not a configured rangecat build" >&2
	exit 1
fi
if [ -z "$epoch" ]; then
	echo "archive.sh: no commit time: set SOURCE_DATE_EPOCH when configuring" >&2
	exit 1
fi

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
# By component, so that the manifest of the user's own install stays; as
# an archive's, so that it holds the bill of materials (install.cmake).
RANGECAT_PACKAGE=archive cmake --install "$build" --component rangecat --prefix "$stage/usr" --strip >/dev/null
# Unpacked on any Linux, the binary must need nothing from it.
if readelf -lW "$stage/usr/bin/rangecat" | grep -q INTERP; then
	echo "archive.sh: $build/rangecat is linked dynamically; the archive needs a static one" >&2
	exit 1
fi
name=rangecat-$version-$machine-linux
dir=$stage/$name
mkdir "$dir"
cp "$stage/usr/bin/rangecat" "$dir/rangecat"
cp "$build/rangecat.1" "$build/THIRD-PARTY-NOTICES" \
	"$stage/usr/share/doc/rangecat/rangecat.spdx.json" "$src/completions/rangecat.bash" \
	"$src/completions/_rangecat" "$src/completions/rangecat.fish" "$src/LICENSE" \
	"$src/README.md" "$dir/"
chmod 0755 "$dir" "$dir/rangecat"
chmod 0644 "$dir"/rangecat.1 "$dir"/THIRD-PARTY-NOTICES "$dir"/rangecat.bash \
	"$dir"/_rangecat "$dir"/rangecat.fish "$dir"/rangecat.spdx.json "$dir"/LICENSE \
	"$dir"/README.md
tar --create --format=gnu --sort=name --mtime="@$epoch" --owner=0 --group=0 \
	--numeric-owner -C "$stage" "$name" | gzip -9n >"$out/$name.tar.gz"
echo "$out/$name.tar.gz"
