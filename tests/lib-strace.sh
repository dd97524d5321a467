#!/bin/bash
# Helpers for the checks that read rangecat's system calls under strace;
# source before lib.sh, which leaves the script's folder.

# calls SYSCALL ARGS...: runs rangecat ARGS under strace, with its status in
# $status and its stderr in got.err, and puts in $pattern the byte counts of
# each SYSCALL it made, as "ASKED=GOT" words: the reads of the file it reads
# (the last of ARGS), or the writes, into a file or, with into=pipe, into a
# pipe; a writev asks the sum of its buffers, as musl's stdio writes. strace
# runs with the further options in strace_opts.
strace_opts=() into=file
calls() {
	local call=$1 only=() calls=$1
	shift
	[ "$call" = read ] && only=(-P "$(realpath -- "${*: -1}")")
	[ "$call" = write ] && calls=write,writev
	traced() {
		strace -qq -e trace="$calls" -e signal=none "${only[@]}" \
			-o trace.log "${strace_opts[@]}" rangecat "$@" 2>got.err
	}
	if [ "$into" = pipe ]; then
		traced "$@" | cat >/dev/null
		status=${PIPESTATUS[0]}
	else
		traced "$@" >out
		status=$?
	fi
	# The last ", COUNT) = RESULT" of a line is the call's own, whatever
	# the data shown before it holds.
	pattern=$(awk -v call="$call" '
		$0 !~ "^" call "v?[(]" { next }
		{ result = $0; sub(/.*[)] += /, "", result); split(result, r, " ") }
		$0 ~ "^" call "v[(]" {
			asked = 0
			for (s = $0; match(s, /iov_len=[0-9]+/); s = substr(s, RSTART + RLENGTH))
				asked += substr(s, RSTART + 8, RLENGTH - 8)
			printf "%d=%s ", asked, r[1]
			next
		}
		{ s = $0; sub(/.*, /, "", s); split(s, w, /[)] += /); printf "%s=%s ", w[1], r[1] }' trace.log)
}

# want_calls SYSCALL 'ASKED=GOT ...' ARGS...: rangecat ARGS succeeds, says
# nothing on stderr, and makes SYSCALL in that pattern.
want_calls() {
	local call=$1 want=$2
	shift 2
	calls "$call" "$@"
	if [ "$status" != 0 ] || [ -s got.err ]; then
		fail "rangecat $* under strace: status $status, stderr '$(head -c 300 got.err)'"
	elif [ "$pattern" != "$want " ]; then
		fail "${call}s of rangecat $*: '$pattern', want '$want '"
	else
		passed=$((passed + 1))
	fi
}
