#!/bin/bash
# The system calls that rangecat makes, under strace: reads of 1000 bytes
# counted from the start, and writes of 64 KiB into pipes and files.
# shellcheck source=tests/lib-strace.sh
. "$(dirname "$0")/lib-strace.sh"
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
need strace 'reads and writes under strace'

setup head -c 5000 /dev/urandom >f5000
setup head -c 1 f5000 >f1
: >empty
setup head -c 200000 /dev/urandom >f200000
setup truncate -s 5G huge

# Reads ask 1000 bytes counted from the start, then exactly the rest, then
# one more read returns 0 and ends the copy.
want_calls read '1000=1000 1000=1000 500=500 0=0' -e 2500 f5000
want_calls read '1000=1000 1000=1000 1000=1000 1000=1000 1000=1000 0=0' f5000
want_calls read '1000=1000 1000=1000 1000=1000 1000=1000 900=900 0=0' -s 100 f5000
want_calls read '1000=1000 1000=1000 1000=1000 1000=1000 999=999 0=0' -s 1 f5000
want_calls read '200=200 0=0' -s 100 -e 300 f5000
want_calls read '1=1 0=0' -s 4999 f5000
want_calls read '1=1 0=0' f1
want_calls read '0=0' -s 5000 f5000
want_calls read '0=0' -s 9000 f5000
want_calls read '1000=1000 1000=1000 500=500 0=0' -s 2147482000 -e 2147484500 huge
want_calls read '1000=1000 1000=1000 500=500 0=0' -s 4294966000 -e 4294968500 huge
want_calls read '1000=1000 20=20 0=0' -s 5368708100 huge

# An empty regular file, like a /proc file, is read until its data ends.
want_calls read '1000=0' empty
want_calls read '1000=1000 1000=1000 500=500 0=0' -s 10 -e 2510 /dev/zero

# Into a pipe or a file, output goes in blocks of 65536 bytes, then the
# rest. glibc writes each full buffer; musl writes the buffered bytes with
# the chunk that did not fit beside them, in one writev.
if [ "$libc" = glibc ]; then
	whole='65536=65536 65536=65536 65536=65536 3392=3392' half='65536=65536 34464=34464'
else
	whole='66000=66000 66000=66000 66000=66000 2000=2000' half='66000=66000 34000=34000'
fi
for into in file pipe; do
	want_calls write "$whole" f200000
	want_calls write "$half" -s 100000 f200000
	want_calls write '10=10' -e 10 f200000
done

finish
