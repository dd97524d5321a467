#!/bin/bash
# Files that shrink or grow while rangecat reads them, changed while strace
# holds it stopped between two calls. Each row waits on that stop, so CI
# runs this check under load too.
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
need strace 'files changed while they are read'

setup head -c 5000 /dev/urandom >f5000
# A 32-bit program seeks with _llseek, to reach past 2 GiB.
seek=lseek,_llseek

# stopped CALL:when=N ARGS...: starts rangecat ARGS on the file 'changing'
# under strace, which stops it with SIGSTOP once the Nth CALL on that file
# has returned, and returns when it has stopped. go_on lets it run to its
# end, with its status in $status. Where the tool stops is where it is told
# to, however slowly it starts, so the rows below hold on a loaded machine.
# It looks every hundredth of a second, without a process of its own: a
# read with a timeout of a FIFO that nothing writes to is its sleep.
setup mkfifo idle
exec {idle}<>idle
stopped() {
	local when=$1 i
	shift
	rm -f trace.log
	strace -qq -o trace.log -P "$tmp/changing" -e inject="$when:signal=SIGSTOP" \
		rangecat "$@" changing >got.out 2>got.err &
	tracer=$!
	for ((i = 0; i < 6000; i++)); do
		log='' tracee=''
		IFS= read -r -d '' log 2>/dev/null <trace.log
		if [[ $log == *'--- stopped by SIGSTOP'* ]]; then
			read -r tracee _ <"/proc/$tracer/task/$tracer/children"
			[ -n "$tracee" ] && return
		fi
		kill -0 "$tracer" 2>/dev/null || break
		read -r -t 0.01 -u "$idle"
	done
	wait "$tracer"
	fail "rangecat $* never stopped after $when: status $?, $(head -c 300 trace.log)"
	return 1
}
go_on() {
	kill -CONT "$tracee"
	wait "$tracer"
	status=$?
}

# A file that shrinks or grows while it is read: the output is what the
# range held, cut where the data ended, never anything else.
changing() { # changing SIZE_AFTER WANT ARGS...: changed after two reads
	local size=$1 want=$2
	shift 2
	setup cp f5000 changing
	setup cp f5000 orig
	stopped read:when=2 "$@" || return
	if [ "$size" -lt 5000 ]; then
		setup truncate -s "$size" changing
	else
		setup head -c $((size - 5000)) /dev/urandom >>changing
	fi
	go_on
	check 0 '' "$want" "rangecat $* on a file changed to $size bytes"
}
changing 2500 'orig 0 2500'
changing 1200 'orig 0 2000'
changing 0 'orig 0 2000'
changing 2500 'orig 100 2500' -s 100
changing 9000 'orig 0 5000'
changing 9000 'orig 100 5000' -s 100
changing 9000 'orig 10 4000' -s 10 -e 4000

# A file that is empty when the run begins is read to the end of its data,
# like a /proc file: bytes appended after its size was taken are copied.
: >changing
if stopped "$seek:when=1"; then
	setup cat f5000 >>changing
	go_on
	check 0 '' 'f5000 0 5000' 'rangecat changing, empty until it was opened'
fi

finish
