#!/bin/bash
# source.sh OUT_DIR [VERSION]: writes OUT_DIR/rangecat-VERSION.tar.gz, the
# source of the commit checked out here, VERSION being the project's unless
# given (a snapshot's is): git's export with root's ownership and the
# commit's time on every file, plus packaging/source-date-epoch, which gives
# a build of it that time without git. The same bytes from every clone.
set -euo pipefail
out=$(realpath "$1")
cd "$(dirname "$0")/.."
version=${2:-$(sed -nE 's/^project\(rangecat VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)}
# git reads this checkout even where another user owns it, as the build does.
git() { command git -c safe.directory="$PWD" "$@"; }
epoch=$(git log -1 --format=%ct)
# A fixed umask: git's default for archives is a setting of the user's.
git -c tar.umask=0022 archive --format=tar --prefix="rangecat-$version/" \
	--add-virtual-file="rangecat-$version/packaging/source-date-epoch:$epoch"$'\n' HEAD |
	gzip -9n >"$out/rangecat-$version.tar.gz"
echo "$out/rangecat-$version.tar.gz"
