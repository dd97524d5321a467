#!/bin/bash
# A block device, which stat gives size 0, is sized from the device itself
# and its range settled as a file's: a loop device over a file of 5120 bytes.
# The reads at its end show that the size was known: a device read as one of
# unknown size would ask 1000 bytes there and get what is left.
# shellcheck source=tests/lib-strace.sh
. "$(dirname "$0")/lib-strace.sh"
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
[ "$(id -u)" = 0 ] || skip_ 'block device' 'loop devices need root'
need losetup 'block device'
need strace 'block device'

setup head -c 5120 /dev/urandom >f5120
dev=$(losetup --find --show --read-only f5120 2>err) ||
	skip_ 'block device' "no loop device: $(cat err)"
trap 'losetup -d "$dev"; rm -rf "$tmp"' EXIT

t 0 '' 'f5120 0 5120' "$dev"
t 0 '' 'f5120 100 300' -s 100 -e 300 "$dev"
t 0 '' 'f5120 4000 5120' -s 4000 -e 9000 "$dev"
t 0 '' 'f5120 100 5120' -s 100 -e 100 "$dev"
t 0 '' '' -s 5120 "$dev"
t 0 '' '' -s 7000 -e 8000 "$dev"
want_calls read '120=120 0=0' -s 5000 "$dev"
want_calls read '1000=1000 1000=1000 120=120 0=0' -s 3000 -e 9000 "$dev"
want_calls read '0=0' -s 5120 "$dev"

finish
