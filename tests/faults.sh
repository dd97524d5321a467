#!/bin/bash
# Faults under rangecat: failing reads, writes and seeks injected by strace.
# Files that change while they are read are changing.sh's.
# shellcheck source=tests/lib-strace.sh
. "$(dirname "$0")/lib-strace.sh"
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
need strace 'faults injected by strace'

setup head -c 5000 /dev/urandom >f5000
setup head -c 2097152 /dev/urandom >big
# Each C library's words for EIO, and the bytes its stdio has written
# before the third write (glibc's blocks are the buffer; musl's, the
# buffer and the chunk that did not fit).
eio='Input/output error' two_blocks=131072
[ "$libc" = glibc ] || eio='I/O error' two_blocks=132000
# A 32-bit program seeks with _llseek, to reach past 2 GiB; musl opens
# with open and writes with writev.
seek=lseek,_llseek open=open,openat write=write,writev
werr="rangecat: write error: $eio"$'\n'

# fault STATUS STDERR WANT 'INJECT...' ARGS...: runs rangecat ARGS under
# strace with each INJECT (as for -e inject=) aimed at the system calls on
# the file it reads, the last of ARGS, or on $aim when that is set, and
# checks the run. Its stdout is got.out.
fault() {
	local want_status=$1 want_err=$2 want=$3 injects=() i
	for i in $4; do
		injects+=(-e "inject=$i")
	done
	shift 4
	local on=${aim:-${*: -1}}
	[[ $on == /* ]] || on=$tmp/$on
	: >got.out
	strace -qq -o /dev/null -P "$on" "${injects[@]}" rangecat "$@" \
		>got.out 2>got.err
	status=$?
	check "$want_status" "$want_err" "$want" "strace ${injects[*]} -P $on rangecat $*"
}

# A failed read: what came before it, then the reason and status 1. EINTR
# is retried; a read of 0 ends the data.
fault 1 "rangecat: f5000: $eio"$'\n' 'f5000 0 2000' read:error=EIO:when=3 f5000
fault 1 "rangecat: f5000: $eio"$'\n' '' read:error=EIO:when=1 f5000
fault 1 "rangecat: f5000: $eio"$'\n' 'f5000 100 1100' read:error=EIO:when=2 \
	-s 100 -e 2600 f5000
fault 1 "rangecat: big: $eio"$'\n' 'big 0 1500000' read:error=EIO:when=1501 big
fault 0 '' 'f5000 0 5000' read:error=EINTR:when=2 f5000
fault 0 '' 'f5000 0 5000' read:error=EINTR:when=1..6 f5000
fault 0 '' 'f5000 0 2000' read:retval=0:when=3 f5000
fault 0 '' 'f5000 300 1300' read:retval=0:when=2 -s 300 f5000

# A failed read whose bytes before it cannot be written either: both
# lines, and the status of the write.
tsh 3 "rangecat: f5000: $eio"$'\n'"rangecat: write error: No space left on device"$'\n' '' \
	"strace -qq -o /dev/null -P $tmp/f5000 -e inject=read:error=EIO:when=3 rangecat f5000 >/dev/full"

# stat fails (whichever call of the stat family libc makes): "not found"
# whatever the reason; open fails: 1, silently; a
# failed close of the input changes nothing.
fault 2 "not found: $tmp/f5000 "$'\n' '' %%stat:error=EIO "$tmp/f5000"
fault 1 '' '' "$open:error=EACCES" "$tmp/f5000"
fault 1 '' '' "$open:error=EMFILE" -s 5 "$tmp/f5000"
fault 0 '' 'f5000 0 5000' close:error=EIO f5000

# A failed seek is a read error; where the input cannot seek, the bytes
# before the start are read and dropped.
fault 1 "rangecat: f5000: $eio"$'\n' '' "$seek:error=EIO" -s 100 f5000
fault 0 '' 'f5000 1500 5000' "$seek:error=ESPIPE" -s 1500 f5000
fault 0 '' 'f5000 1500 2500' "$seek:error=ESPIPE read:error=EINTR:when=1" \
	-s 1500 -e 2500 f5000
fault 0 '' '' "$seek:error=ESPIPE" -s 6000 f5000
fault 1 "rangecat: f5000: $eio"$'\n' '' "$seek:error=ESPIPE read:error=EIO:when=2" \
	-s 1500 f5000
strace_opts=(-e "trace=read,$seek" -e "inject=$seek:error=ESPIPE")
want_calls read '1000=1000 500=500 1000=1000 1000=1000 500=500 0=0' \
	-s 1500 -e 4000 f5000
strace_opts=()

# A failed write, within the output buffer or past it: one message, status
# 3, and on stdout the blocks written before it.
aim=got.out fault 3 "$werr" '' "$write:error=EIO" -e 100 f5000
aim=got.out fault 3 "$werr" '' "$write:error=EIO" big
aim=got.out fault 3 $'rangecat: write error: No space left on device\n' '' \
	"$write:error=ENOSPC" -s 1 big
aim=got.out fault 3 "$werr" "big 0 $two_blocks" "$write:error=EIO:when=3+" big

finish
