#!/bin/bash
# A block device, which stat gives size 0, is sized from the device itself
# and its range settled as a file's: a loop device over a file of 5120 bytes.
# The reads at its end show that the size was known: a device read as one of
# unknown size would ask 1000 bytes there and get what is left.
# shellcheck source=tests/lib-strace.sh
. "$(dirname "$0")/lib-strace.sh"
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
# Loop devices are set up by the machine's root: not by another user, nor
# by root in a user namespace (a container's, autopkgtest's unshare), whose
# ids map onto others; and only where the kernel has the loop driver.
[ "$(id -u)" = 0 ] || skip_ 'block device' 'loop devices need root'
uid_map=$(xargs </proc/self/uid_map)
[ "$uid_map" = '0 0 4294967295' ] ||
	skip_ 'block device' "root in a user namespace (uid_map $uid_map) sets up no loop device"
[ -c /dev/loop-control ] ||
	skip_ 'block device' 'no /dev/loop-control: the kernel or the container has no loop devices'
need losetup 'block device'
need strace 'block device'

setup head -c 5120 /dev/urandom >f5120
dev=$(losetup --find --show --read-only f5120 2>err) ||
	framework_failure_ "losetup could not set up a loop device: $(cat err)"
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
