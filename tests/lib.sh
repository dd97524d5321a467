#!/bin/bash
# Helpers shared by rangecat's end-to-end tests; source with the binary as $1.
set -u
bin=$(realpath "$1")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || exit 1
passed=0 failed=0

fail() {
	printf 'FAIL: %s\n' "$*"
	failed=$((failed + 1))
}

# slice FILE START COUNT: the bytes an independent tool cuts from FILE.
slice() {
	dd if="$1" iflag=skip_bytes,count_bytes skip="$2" count="$3" bs=64K status=none
}

# check STATUS STDERR SLICE WHAT: wants the last run (its status in $status,
# its output in got.out and got.err) to have ended with STATUS, written
# exactly STDERR, and on stdout exactly SLICE ("FILE START COUNT", or "" for
# nothing).
check() {
	local want_status=$1 want_err=$2 want=$3 what=$4
	if [ -n "$want" ]; then
		# shellcheck disable=SC2086
		slice $want >want.out
	else
		: >want.out
	fi
	if [ "$status" != "$want_status" ]; then
		fail "$what: status $status, want $want_status"
	elif [ "$(cat got.err; echo x)" != "$want_err"x ]; then
		fail "$what: stderr $(od -c got.err | head -3), want '$want_err'"
	elif ! cmp -s got.out want.out; then
		fail "$what: stdout differs from '$want'"
	else
		passed=$((passed + 1))
	fi
}

# t STATUS STDERR SLICE ARGS...: runs rangecat ARGS and checks the run.
t() {
	local want_status=$1 want_err=$2 want=$3
	shift 3
	"$bin" "$@" >got.out 2>got.err
	status=$?
	check "$want_status" "$want_err" "$want" "rangecat $*"
}

# reads ARGS...: the counts asked and returned by each read of the input
# file, as "ASKED=GOT" words, when rangecat runs with ARGS under strace with
# the further options strace_opts.
strace_opts=()
reads() {
	local file=${*: -1}
	strace -qq -e trace=read -e signal=none -P "$file" -o trace.log \
		"${strace_opts[@]}" \
		"$bin" "$@" >/dev/null 2>&1
	sed -nE 's/^read\([0-9]+, .*, ([0-9]+)\) += ([0-9-]+).*/\1=\2/p' trace.log |
		tr '\n' ' '
}

# want_reads 'ASKED=GOT ...' ARGS...: the read pattern of rangecat ARGS.
want_reads() {
	local want=$1 got
	shift
	got=$(reads "$@")
	if [ "$got" != "$want " ]; then
		fail "read pattern of rangecat $*: '$got', want '$want '"
	else
		passed=$((passed + 1))
	fi
}

finish() {
	echo "$passed passed, $failed failed"
	[ "$failed" -eq 0 ]
}
