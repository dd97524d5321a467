#!/bin/bash
# Inputs whose size stat cannot tell: FIFOs, pipes, /dev/stdin, sockets,
# character devices and /proc files. Rows as in cli.sh. Each waits on a
# writer in another process, so CI runs this check under load too.
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"

setup head -c 5000 /dev/urandom >f5000
setup head -c 1000 f5000 >f1000
setup mkfifo fifo

# A given end beyond the start holds; otherwise the copy runs until the
# data ends.
while IFS='|' read -r want args; do
	cat f5000 >fifo &
	# shellcheck disable=SC2086
	t 0 '' "f5000 $want" $args fifo
	wait
done <<'EOF'
0 5000|
1500 5000|-s 1500
1500 4000|-s 1500 -e 4000
0 999|-e 999
4999 5000|-s 4999 -e 9999
0 0|-s 5000
0 0|-s 7000
0 0|-s 7000 -e 8000
EOF
tsh 0 '' 'f5000 100 200' 'rangecat -s 100 -e 200 <(cat f5000)'
tsh 0 '' 'f5000 0 5000' 'rangecat <(cat f5000)'
tsh 0 '' 'f1000 10 1000' 'cat f1000 | rangecat -s 10 /dev/stdin'
# /dev/stdin is opened anew: a file is read from its start, whatever the
# shell read of it before, and a socket cannot be opened.
tsh 0 '' 'f1000 0 3' '{ head -c 5 >/dev/null; rangecat -e 3 /dev/stdin; } <f1000'
tsh 1 '' '' "python3 -c 'import socket, subprocess, sys
a, b = socket.socketpair()
sys.exit(subprocess.call([\"rangecat\", \"/dev/stdin\"], stdin=a))'"
tsh 0 '' '' 'cat f1000 | rangecat -s 2000 /dev/stdin'
t 0 '' '/dev/zero 0 3000' -e 3000 /dev/zero
t 0 '' '/dev/zero 100 3100' -s 100 -e 3100 /dev/zero
t 0 '' '' /dev/null
t 0 '' '' -s 5 -e 10 /dev/null
tsh 141 '' '' 'rangecat -e 0 /dev/zero | head -c 100000 >/dev/null'
setup cp /proc/version version
t 0 '' "version 0 $(wc -c <version)" /proc/version
t 0 '' 'version 5 20' -s 5 -e 20 /proc/version

finish
