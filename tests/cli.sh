#!/bin/bash
# End-to-end cases: exact stdout, stderr and exit status of rangecat.
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"

head -c 5000 /dev/urandom >f5000
head -c 1000 f5000 >f1000
: >empty
mkdir dir
printf 'x' >-s
python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind("sock")'
usage="$bin [-se] filename
		s   start bytes
		e   end bytes
"

# Ranges and the range rule.
t 0 '' 'f1000 0 1000' f1000
t 0 '' '' empty
t 0 '' '' -s 10 -e 20 empty
t 0 '' 'f1000 100 900' -s 100 f1000
t 0 '' 'f1000 0 100' -e 100 f1000
t 0 '' 'f1000 100 200' -s 100 -e 300 f1000
t 0 '' 'f1000 100 900' -s 100 -e 50 f1000
t 0 '' 'f1000 100 900' -s 100 -e 100 f1000
t 0 '' 'f1000 100 900' -s 100 -e 5000 f1000
t 0 '' 'f1000 0 1000' -e 0 f1000
t 0 '' 'f1000 0 1000' -e -5 f1000
t 0 '' 'f1000 999 1' -s 999 f1000
t 0 '' '' -s 1000 f1000
t 0 '' '' -s 2000 f1000
t 0 '' '' -s 2000 -e 3000 f1000
t 0 '' 'f5000 0 2500' -e 2500 f5000
t 0 '' 'f5000 1234 2345' -s 1234 -e 3579 f5000

# Offset texts: atoi's rules, saturating past 64 bits.
t 0 '' 'f1000 0 1000' -s abc f1000
t 0 '' 'f1000 12 988' -s 12k f1000
t 0 '' 'f1000 0 16' -s 0x10 -e 16 f1000
t 0 '' 'f1000 7 3' -s ' +7' -e '	10' f1000
t 0 '' '' -s 99999999999999999999 f1000
t 0 '' 'f1000 5 995' -s 5 -e 99999999999999999999 f1000
t 0 '' 'f1000 0 1000' -e -99999999999999999999 f1000

# Option forms; the last of a repeated option counts.
for args in '-s10' '-s 10' '--start=10' '--start 10' '--st 10' '--st=10'; do
	# shellcheck disable=SC2086
	t 0 '' 'f1000 10 20' $args -e 30 f1000
done
t 0 '' 'f1000 10 20' f1000 -s 10 --end=30
t 0 '' 'f1000 20 10' -s 10 -s 20 -e 30 f1000
t 0 '' 'f1000 0 30' --e 30 f1000
t 0 '' '-s 0 1' -- -s
t 0 '' '-s 0 1' -e 1 -- -s

# Option errors come from the parser; the run goes on.
t 0 "$bin: invalid option -- 'x'"$'\n' 'f1000 0 1000' -x f1000
t 0 "$bin: unrecognized option '--foo'"$'\n' 'f1000 0 1000' --foo f1000
t 0 "$bin: option requires an argument -- 's'"$'\n' 'f1000 0 1000' f1000 -s
t 0 "$bin: option '--end' requires an argument"$'\n' 'f1000 0 1000' f1000 --end

# A bad command line.
t 255 "$usage" ''
t 255 "$usage" '' f1000 f1000
t 255 "$usage" '' -s 1 -e 2
t 255 "$usage" '' --start f1000
t 255 "$usage" '' -- f1000 -s
t 255 $'rangecat: negative start: -500\n' '' -s -500 f1000
t 255 $'rangecat: negative start: -500\n' '' -s -500 -e 200 f1000
t 255 $'rangecat: negative start: -9223372036854775808\n' '' \
	-s -99999999999999999999 f1000

# The file cannot be found, opened or read.
t 2 $'not found: nope \n' '' nope
t 2 $'not found: nope \n' '' -s -500 -e abc nope
t 2 $'not found: f1000/x \n' '' f1000/x
t 1 '' '' sock
t 1 $'rangecat: dir: Is a directory\n' '' dir
t 1 $'rangecat: dir: Is a directory\n' '' -s 5 -e 10 dir

# Inputs whose size stat cannot tell: pipes, FIFOs, devices, /proc. A given
# end beyond the start holds; otherwise the copy runs until the data ends.
mkfifo fifo
while IFS='|' read -r want args; do
	cat f5000 >fifo &
	# shellcheck disable=SC2086
	t 0 '' "f5000 $want" $args fifo
	wait
done <<'EOF'
0 5000|
1500 3500|-s 1500
1500 2500|-s 1500 -e 4000
0 999|-e 999
4999 1|-s 4999 -e 9999
0 0|-s 5000
0 0|-s 7000
0 0|-s 7000 -e 8000
EOF
t 0 '' 'f5000 100 100' -s 100 -e 200 <(cat f5000)
t 0 '' 'f5000 0 5000' <(cat f5000)
t 0 '' 'f1000 10 990' -s 10 /dev/stdin < <(cat f1000)
t 0 '' '' -s 2000 /dev/stdin < <(cat f1000)
t 0 '' '/dev/zero 0 3000' -e 3000 /dev/zero
t 0 '' '/dev/zero 0 3000' -s 100 -e 3100 /dev/zero
t 0 '' '' /dev/null
t 0 '' '' -s 5 -e 10 /dev/null
cat /proc/version >version
t 0 '' "version 0 $(wc -c <version)" /proc/version
t 0 '' 'version 5 15' -s 5 -e 20 /proc/version

# Standard output that cannot be written: one message and status 3, whether
# the range fits the output buffer or not.
head -c 2097152 /dev/urandom >big
: >got.out
for args in 'f1000' '-e 1 f1000' 'big' '-s 1000 -e 1500000 big'; do
	# shellcheck disable=SC2086
	"$bin" $args >/dev/full 2>got.err
	status=$?
	check 3 $'rangecat: write error: No space left on device\n' '' \
		"rangecat $args >/dev/full"
	# shellcheck disable=SC2086
	"$bin" $args 2>got.err >&-
	status=$?
	check 3 $'rangecat: write error: Bad file descriptor\n' '' \
		"rangecat $args >&-"
done
"$bin" empty 2>got.err >&-
status=$?
check 3 $'rangecat: write error: Bad file descriptor\n' '' 'rangecat empty >&-'

# Offsets past 2^31 and 2^32 in a sparse file of 5 GiB.
truncate -s 5G huge
for at in 2147483645 4294967293 5368709110; do
	printf '%010d' "$at" | dd of=huge bs=1 seek="$at" conv=notrunc status=none
done
t 0 '' 'huge 2147483640 20' -s 2147483640 -e 2147483660 huge
t 0 '' 'huge 4294967290 20' -s 4294967290 -e 4294967310 huge
t 0 '' 'huge 5368709100 20' -s 5368709100 huge
t 0 '' 'huge 5368709100 20' -s 5368709100 -e 99999999999 huge
t 0 '' 'huge 2147482000 2500' -s 2147482000 -e 2147484500 huge
t 0 '' '' -s 5368709120 huge
want_reads '1000=1000 1000=1000 500=500 0=0' -s 2147482000 -e 2147484500 huge
want_reads '1000=1000 1000=1000 500=500 0=0' -s 4294966000 -e 4294968500 huge
want_reads '1000=1000 20=20 0=0' -s 5368708100 huge

# The read pattern: 1000 bytes counted from the start, then exactly the rest,
# then a read of 0 that ends the copy.
want_reads '1000=1000 1000=1000 500=500 0=0' -e 2500 f5000
want_reads '1000=1000 1000=1000 1000=1000 1000=1000 1000=1000 0=0' f5000
want_reads '1000=1000 1000=1000 1000=1000 1000=1000 900=900 0=0' -s 100 f5000
want_reads '1000=1000 1000=1000 1000=1000 1000=1000 999=999 0=0' -s 1 f5000
want_reads '200=200 0=0' -s 100 -e 300 f5000
want_reads '1=1 0=0' -s 4999 f5000
want_reads '0=0' -s 5000 f5000
want_reads '0=0' -s 9000 f5000
want_reads '1000=0' empty
want_reads '1000=1000 1000=1000 500=500 0=0' -s 10 -e 2510 /dev/zero

finish
