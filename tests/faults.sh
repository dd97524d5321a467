#!/bin/bash
# Faults under rangecat: failing reads, writes and seeks injected by strace,
# files that change while they are read, and outputs that refuse bytes.
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"

head -c 5000 /dev/urandom >f5000
head -c 2097152 /dev/urandom >big
eio='Input/output error'

# f STATUS STDERR SLICE 'INJECT...' AIM ARGS...: runs rangecat ARGS, writing
# to got.out, under strace with each INJECT (as for -e inject=) aimed at the
# system calls that touch the file AIM, and checks the run.
f() {
	local want_status=$1 want_err=$2 want=$3 injects=() i
	for i in $4; do
		injects+=(-e "inject=$i")
	done
	local aim=$tmp/$5
	shift 5
	: >got.out
	strace -qq -o /dev/null -P "$aim" "${injects[@]}" "$bin" "$@" \
		>got.out 2>got.err
	status=$?
	check "$want_status" "$want_err" "$want" "strace ${injects[*]} -P $aim: rangecat $*"
}

# Reads that fail or end early.
f 1 "rangecat: f5000: $eio"$'\n' 'f5000 0 2000' read:error=EIO:when=3 f5000 f5000
f 1 "rangecat: f5000: $eio"$'\n' '' read:error=EIO:when=1 f5000 f5000
f 1 "rangecat: f5000: $eio"$'\n' 'f5000 100 1000' read:error=EIO:when=2 f5000 \
	-s 100 -e 2600 f5000
f 1 "rangecat: big: $eio"$'\n' 'big 0 1500000' read:error=EIO:when=1501 big big
f 0 '' 'f5000 0 5000' read:error=EINTR:when=2 f5000 f5000
f 0 '' 'f5000 0 5000' read:error=EINTR:when=1..6 f5000 f5000
f 0 '' 'f5000 0 2000' read:retval=0:when=3 f5000 f5000
f 0 '' 'f5000 300 1000' read:retval=0:when=2 f5000 -s 300 f5000

# The status and opening of the file.
f 2 "not found: $tmp/f5000 "$'\n' '' newfstatat:error=EIO f5000 "$tmp/f5000"
f 1 '' '' openat:error=EACCES f5000 "$tmp/f5000"
f 1 '' '' openat:error=EMFILE f5000 -s 5 "$tmp/f5000"
f 0 '' 'f5000 0 5000' close:error=EIO f5000 f5000

# Seeks that fail; one that cannot seek reads and drops the bytes instead.
f 1 "rangecat: f5000: $eio"$'\n' '' lseek:error=EIO f5000 -s 100 f5000
f 0 '' 'f5000 1500 3500' lseek:error=ESPIPE f5000 -s 1500 f5000
f 0 '' 'f5000 1500 1000' 'lseek:error=ESPIPE read:error=EINTR:when=1' f5000 \
	-s 1500 -e 2500 f5000
f 0 '' '' 'lseek:error=ESPIPE' f5000 -s 6000 f5000
f 1 "rangecat: f5000: $eio"$'\n' '' 'lseek:error=ESPIPE read:error=EIO:when=2' \
	f5000 -s 1500 f5000
strace_opts=(-e 'trace=read,lseek' -e inject=lseek:error=ESPIPE)
want_reads '1000=1000 500=500 1000=1000 1000=1000 500=500 0=0' \
	-s 1500 -e 4000 f5000
strace_opts=()

# Writes that fail, within the output buffer or past it.
werr="rangecat: write error: $eio"$'\n'
f 3 "$werr" '' write:error=EIO got.out -e 100 f5000
f 3 "$werr" '' write:error=EIO got.out big
f 3 $'rangecat: write error: No space left on device\n' '' \
	write:error=ENOSPC got.out -s 1 big

# Writes that fail leave on standard output a prefix of the range.
strace -qq -o /dev/null -P "$tmp/got.out" -e inject=write:error=EIO:when=3+ \
	"$bin" big >got.out 2>got.err
status=$?
n=$(wc -c <got.out)
if [ "$status" != 3 ] || [ "$n" -eq 0 ] || [ "$n" -ge 2097152 ] ||
	! cmp -s got.out <(head -c "$n" big) || [ "$(cat got.err)" != "${werr%$'\n'}" ]; then
	fail "write EIO from the third write: status $status, $n bytes"
else
	passed=$((passed + 1))
fi

# A file that shrinks or grows while it is read: the output is what the
# range held, cut where the data ended, never anything else.
changing() { # changing SIZE_AFTER WANT_SLICE ARGS...: the third read waits
	local size=$1 want=$2
	shift 2
	cp f5000 changing
	cp f5000 orig
	strace -qq -o /dev/null -P "$tmp/changing" \
		-e inject=read:delay_enter=1000000:when=3 \
		"$bin" "$@" changing >got.out 2>got.err &
	sleep 0.3
	if [ "$size" -lt 5000 ]; then
		truncate -s "$size" changing
	else
		head -c $((size - 5000)) /dev/urandom >>changing
	fi
	wait $!
	status=$?
	check 0 '' "$want" "rangecat $* on a file changed to $size bytes"
}
changing 2500 'orig 0 2500'
changing 1200 'orig 0 2000'
changing 0 'orig 0 2000'
changing 2500 'orig 100 2400' -s 100
changing 9000 'orig 0 5000'
changing 9000 'orig 100 4900' -s 100
changing 9000 'orig 10 3990' -s 10 -e 4000

# A reader that goes away: SIGPIPE ends rangecat silently; where the caller
# ignores SIGPIPE, the broken pipe is a write error.
"$bin" big 2>got.err | head -c 10 >/dev/null
status=${PIPESTATUS[0]}
: >got.out
check 141 '' '' 'rangecat big | head -c 10'
(
	trap '' PIPE
	"$bin" big 2>got.err | head -c 10 >/dev/null
	exit "${PIPESTATUS[0]}"
)
status=$?
check 3 $'rangecat: write error: Broken pipe\n' '' \
	'rangecat big | head -c 10, SIGPIPE ignored'

# A file size limit, with SIGXFSZ ignored: the output stops at the limit.
(
	trap '' XFSZ
	ulimit -f 4
	exec "$bin" big >got.out 2>got.err
)
status=$?
check 3 $'rangecat: write error: File too large\n' 'big 0 4096' 'ulimit -f 4: rangecat big'

# Permission denied as root: run as an unprivileged user.
if [ "$(id -u)" = 0 ] && command -v setpriv >/dev/null; then
	chmod 755 "$tmp"
	chmod 600 f5000
	setpriv --reuid=65534 --regid=65534 --clear-groups "$bin" f5000 \
		>got.out 2>got.err
	status=$?
	check 1 '' '' 'rangecat f5000 as nobody, mode 600'
	chmod 644 f5000
	setpriv --reuid=65534 --regid=65534 --clear-groups "$bin" -s 7 f5000 \
		>got.out 2>got.err
	status=$?
	check 0 '' 'f5000 7 4993' 'rangecat -s 7 f5000 as nobody, mode 644'
fi

finish
