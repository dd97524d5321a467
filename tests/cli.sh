#!/bin/bash
# End-to-end cases: exact stdout, stderr and exit status of rangecat.
# A row is the command line with what it must give: t STATUS STDERR WANT
# ARGS..., or tsh ... 'COMMAND' for a whole shell command, where WANT is
# "FILE START END", the bytes START to END of FILE, or '' for nothing.
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"

setup head -c 5000 /dev/urandom >f5000
setup head -c 1000 f5000 >f1000
setup head -c 1 f5000 >f1
setup head -c 2097152 /dev/urandom >big
: >empty
setup mkdir dir
printf 'x' >-s
setup python3 -c 'import socket; socket.socket(socket.AF_UNIX).bind("sock")'
usage='rangecat [-se] filename
		s   start bytes
		e   end bytes
'

# The range is half-open; an end not beyond the start, or past the end of
# the file, is the end of the file; a start past the end writes nothing.
t 0 '' 'f1000 0 1000' f1000
t 0 '' '' empty
t 0 '' '' -s 10 -e 20 empty
t 0 '' 'f1 0 1' f1
t 0 '' 'f1000 100 1000' -s 100 f1000
t 0 '' 'f1000 0 100' -e 100 f1000
t 0 '' 'f1000 100 300' -s 100 -e 300 f1000
t 0 '' 'f1000 100 1000' -s 100 -e 50 f1000
t 0 '' 'f1000 100 1000' -s 100 -e 100 f1000
t 0 '' 'f1000 100 1000' -s 100 -e 5000 f1000
t 0 '' 'f1000 0 1000' -e 0 f1000
t 0 '' 'f1000 0 1000' -e -5 f1000
t 0 '' 'f1000 999 1000' -s 999 f1000
t 0 '' '' -s 1000 f1000
t 0 '' '' -s 2000 f1000
t 0 '' '' -s 2000 -e 3000 f1000
t 0 '' 'f5000 0 2500' -e 2500 f5000
t 0 '' 'f5000 1234 3579' -s 1234 -e 3579 f5000

# Offsets are read the atoi way, and saturate past 64 bits.
t 0 '' 'f1000 0 1000' -s abc f1000
t 0 '' 'f1000 12 1000' -s 12k f1000
t 0 '' 'f1000 0 16' -s 0x10 -e 16 f1000
t 0 '' 'f1000 1 1000' -s 1e3 f1000
t 0 '' 'f1000 10 1000' -s 010 f1000
t 0 '' 'f1000 0 1000' -s '' f1000
t 0 '' 'f1000 7 10' -s ' +7' -e '	10' f1000
t 0 '' '' -s 99999999999999999999 f1000
t 0 '' 'f1000 5 1000' -s 5 -e 99999999999999999999 f1000
t 0 '' 'f1000 0 1000' -e -99999999999999999999 f1000

# getopt_long's forms, in any order; the last of a repeated option counts.
for args in '-s10' '-s 10' '--start=10' '--start 10' '--st 10' '--st=10'; do
	# shellcheck disable=SC2086
	t 0 '' 'f1000 10 30' $args -e 30 f1000
done
t 0 '' 'f1000 10 30' f1000 -s 10 --end=30
t 0 '' 'f1000 20 30' -s 10 -s 20 -e 30 f1000
t 0 '' 'f1000 0 30' --e 30 f1000
t 0 '' '-s 0 1' -- -s
t 0 '' '-s 0 1' -e 1 -- -s

# Unknown options and missing values: the parser says so, in one line, and
# the run goes on. glibc's words are its own; another C library's line
# names the program and the option.
said() { # said GLIBC_LINE OPTION [PROGRAM]: the parser's line about OPTION, unended
	if [ "$libc" = glibc ]; then
		printf '%s' "$1"
	else
		printf '~%s: .*%s.*' "${3:-rangecat}" "$2"
	fi
}
t 0 "$(said "rangecat: invalid option -- 'x'" x)"$'\n' 'f1000 0 1000' -x f1000
t 0 "$(said "rangecat: unrecognized option '--foo'" foo)"$'\n' 'f1000 0 1000' --foo f1000
t 0 "$(said "rangecat: option '--end' requires an argument" end)"$'\n' 'f1000 0 1000' f1000 --end
# The parser's lines name the program as it was invoked.
tsh 0 "$(said "./bin/rangecat: invalid option -- 'x'" x '\./bin/rangecat')"$'\n' \
	'f1000 0 1000' './bin/rangecat -x f1000'
if [ "$libc" = glibc ]; then
	t 0 "$(said "rangecat: option requires an argument -- 's'" s)"$'\n' 'f1000 0 1000' f1000 -s
	# Where POSIXLY_CORRECT is set, the first operand ends the options.
	tsh 0 '' 'f1000 10 1000' 'POSIXLY_CORRECT=1 rangecat -s 10 f1000'
	tsh 255 "$usage" '' 'POSIXLY_CORRECT=1 rangecat f1000 -s 10'
else
	# musl's getopt_long takes the missing value for an argument it used
	# up, and moves the file in front of it, among the options; it reads
	# no POSIXLY_CORRECT.
	t 255 "$(said '' s)"$'\n'"$usage" '' f1000 -s
	tsh 0 '' 'f1000 10 1000' 'POSIXLY_CORRECT=1 rangecat f1000 -s 10'
fi

# Not exactly one file, or a negative start: a bad command line. The usage
# text names the program as it was invoked.
t 255 "$usage" ''
t 255 "$usage" '' f1000 f1000
t 255 "$usage" '' -s 1 -e 2
t 255 "$usage" '' --start f1000
t 255 "$usage" '' -- f1000 -s
# shellcheck disable=SC2016
tsh 255 "${usage/rangecat/$bin}" '' '"$bin" f1000 f1000'
# shellcheck disable=SC2016
tsh 255 "${usage/rangecat/$bin}" '' '"$bin"'
tsh 255 "${usage/rangecat/./bin/rangecat}" '' './bin/rangecat'
t 255 $'rangecat: negative start: -500\n' '' -s -500 f1000
t 255 $'rangecat: negative start: -500\n' '' -s -500 -e 200 f1000
t 255 $'rangecat: negative start: -9223372036854775808\n' '' \
	-s -99999999999999999999 f1000

# stat fails: "not found", whatever the reason; open fails: 1, silently; a
# read fails: 1 and the reason.
t 2 $'not found: nope \n' '' nope
t 2 $'not found: nope \n' '' -s -500 -e abc nope
t 2 $'not found: f1000/x \n' '' f1000/x
t 2 $'not found:  \n' '' ''
tsh 2 $'not found: - \n' '' 'rangecat - <f1000'
setup ln -s loop loop
t 2 $'not found: loop \n' '' loop
t 1 '' '' sock
t 1 $'rangecat: dir: Is a directory\n' '' dir
t 1 $'rangecat: dir: Is a directory\n' '' -s 5 -e 10 dir

# The file may be opened as descriptor 0 or 1 when those are closed.
tsh 0 '' 'f5000 100 4000' 'rangecat -s 100 -e 4000 f5000 <&-'
tsh 0 '' 'f1 0 1' 'rangecat f1 <&-'
tsh 3 $'rangecat: write error: Bad file descriptor\n' '' 'rangecat empty >&-'

# Standard output that refuses bytes: one message and status 3, within the
# 64 KiB output buffer or past it.
for args in 'f1000' '-e 1 f1000' 'big' '-s 1000 -e 1500000 big'; do
	tsh 3 $'rangecat: write error: No space left on device\n' '' \
		"rangecat $args >/dev/full"
	tsh 3 $'rangecat: write error: Bad file descriptor\n' '' \
		"rangecat $args >&-"
done
tsh 3 $'rangecat: write error: File too large\n' 'big 0 4096' \
	"trap '' XFSZ; ulimit -f 4; rangecat big"

# A reader that goes away ends rangecat by SIGPIPE, silently; where SIGPIPE
# is ignored, the broken pipe is a write error.
tsh 141 '' '' 'rangecat big | head -c 10 >/dev/null'
tsh 3 $'rangecat: write error: Broken pipe\n' '' \
	"trap '' PIPE; rangecat big | head -c 10 >/dev/null"

# A file that an unprivileged user may not read: status 1 and no message;
# one in a folder that it may not search: not found.
as_nobody=()
if [ "$(id -u)" = 0 ]; then
	as_nobody=(setpriv --reuid=65534 --regid=65534 --clear-groups)
	setup chmod 755 "$tmp"
	setup "${as_nobody[@]}" true
fi
setup chmod 000 f1
setup mkdir closed
setup cp f1000 closed/f
setup chmod 000 closed
tsh 1 '' '' "${as_nobody[*]} rangecat f1"
tsh 2 $'not found: closed/f \n' '' "${as_nobody[*]} rangecat closed/f"
tsh 0 '' 'f5000 7 5000' "${as_nobody[*]} rangecat -s 7 f5000"
chmod 755 closed

# Offsets past 2^31 and 2^32 in a sparse file of 5 GiB.
setup truncate -s 5G huge
for at in 2147483645 4294967293 5368709110; do
	printf '%010d' "$at" | dd of=huge bs=1 seek="$at" conv=notrunc status=none ||
		framework_failure_ "a marker at $at in huge"
done
t 0 '' 'huge 2147483640 2147483660' -s 2147483640 -e 2147483660 huge
t 0 '' 'huge 4294967290 4294967310' -s 4294967290 -e 4294967310 huge
t 0 '' 'huge 5368709100 5368709120' -s 5368709100 huge
t 0 '' 'huge 5368709100 5368709120' -s 5368709100 -e 99999999999 huge
t 0 '' 'huge 2147482000 2147484500' -s 2147482000 -e 2147484500 huge
t 0 '' '' -s 5368709120 huge

finish
