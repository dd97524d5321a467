#!/bin/bash
# Helpers shared by rangecat's end-to-end tests; source with the binary as $1.
# A test ends in one of four ways: every check passed (0), a check failed
# (1), it was skipped for want of a tool (77), or a fixture could not be
# made (99).
set -u

# Rows expect SIGPIPE's default action. A parent that ignores it hands that
# down, and bash cannot undo it, so run again with the default restored.
sigign=$(sed -n 's/^SigIgn:\s*//p' /proc/$$/status)
if ((0x${sigign:-0} & 1 << 12)); then
	exec env --default-signal=PIPE bash "$0" "$@"
fi
# Fixtures are made readable to the unprivileged user some rows run as,
# whatever umask the suite was started under.
umask 022

# The C library the tool is built with, which ctest names: it words some
# messages and shapes the writes. glibc unless said.
# shellcheck disable=SC2034 # read by the scripts that source this one
libc=${RANGECAT_LIBC:-glibc}

# python3 is the one the build resolved, where ctest says which.
[ ! -x "${RANGECAT_PYTHON:-}" ] || python3() { "$RANGECAT_PYTHON" "$@"; }

# skip_ WHAT WHY: WHAT cannot run here, for the reason WHY.
skip_() {
	echo "SKIP: $1 ($2)" | tee -a "${RANGECAT_SKIPS:-/dev/null}"
	exit 77
}

# need TOOL WHAT: skips WHAT unless TOOL is on the PATH.
need() {
	command -v "$1" >/dev/null || skip_ "$2" "$1 not installed"
}

# framework_failure_ WHAT: a fixture could not be made; no verdict.
framework_failure_() {
	echo "ERROR: setup: $*"
	exit 99
}

# setup COMMAND...: runs COMMAND to make a fixture, or gives up.
setup() {
	"$@" || framework_failure_ "$*"
}

bin=$(realpath "$1") || framework_failure_ "no binary $1"
# The prefix the binary is installed in, PREFIX/bin/rangecat, taken from the
# path as given: a check without a build tree reads the installed files there.
prefix=$(cd "$(dirname "$1")/.." && pwd) || framework_failure_ "no folder above $1"
tmp=$(mktemp -d) || framework_failure_ "mktemp -d"
trap 'rm -rf "$tmp"' EXIT
cd "$tmp" || framework_failure_ "cd $tmp"
# What the tools run here leave in a temporary folder goes in this one.
export TMPDIR=$tmp
# Rows name the tool as a user types it. It is a copy, which every user may
# run, wherever the build folder is and whatever its mode.
{ mkdir bin && cp "$bin" bin/rangecat && chmod 755 bin/rangecat; } ||
	framework_failure_ 'bin/rangecat'
PATH=$tmp/bin:$PATH
passed=0 failed=0

# probe: whether rangecat copies a range of a file made here, as it must
# before any check can mean anything; how it ran is left in probe/.
setup mkdir probe
printf 'abc' >probe/in || framework_failure_ 'probe/in'
probe() {
	rangecat -e 2 probe/in >probe/out 2>probe/err
	probe_status=$?
	probe_ok=
	[ "$probe_status" = 0 ] && [ "$(cat probe/out)" = ab ] && [ ! -s probe/err ] &&
		probe_ok=yes
}
# cannot_exec: why the kernel refuses to execute the tool, or nothing when
# it executes it, whatever the tool then does.
cannot_exec() {
	python3 -c 'import errno, subprocess, sys
try:
    subprocess.run(sys.argv[1:], stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
except OSError as e:
    print(e.strerror, {errno.ENOEXEC: "(no binfmt_misc entry runs it)",
                       errno.ENOENT: "(its program interpreter is missing)"}.get(e.errno, ""))
' "$tmp/bin/rangecat" -e 2 probe/in
}
# register_qemu: as root, registers Debian's qemu-user entries with
# binfmt_misc where the kernel has none, so that a tool built for another
# machine runs.
register_qemu() {
	local reg=/proc/sys/fs/binfmt_misc conf name elf qemu
	mountpoint -q $reg || mount -t binfmt_misc binfmt_misc $reg 2>/dev/null
	for conf in /usr/lib/binfmt.d/qemu-*.conf; do
		name=${conf##*/}
		[ -e "$reg/${name%.conf}" ] ||
			grep -v '^#' "$conf" >$reg/register 2>/dev/null
	done
	# Debian has no entry for i386, which an amd64 kernel built without
	# 32-bit support cannot run; one that has it must keep running such
	# programs itself, so the entry is made only for an i386 tool that did
	# not run. qemu keeps the program's own argv[0] when it is called by a
	# name ending in -binfmt-P; F opens it now, so the entry outlives this
	# folder.
	elf=$(od -An -tx1 -N20 "$bin" | xargs)
	qemu=$(command -v qemu-i386-static) && [ ! -e $reg/qemu-i386 ] &&
		[[ $elf == "7f 45 4c 46 01 "*" 03 00" ]] && {
		ln -s "$qemu" "$tmp/i386-binfmt-P"
		printf ':qemu-i386:M::%s:%s:%s:OPF\n' \
			'\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00' \
			'\xff\xff\xff\xff\xff\xfe\xfe\x00\xff\xff\xff\xff\xff\xff\xff\xff\xfe\xff\xff\xff' \
			"$tmp/i386-binfmt-P" >$reg/register 2>/dev/null
	}
}
# Only a tool that the kernel cannot execute is skipped. One that runs,
# natively or emulated, and fails here is broken, and every check fails.
probe
if [ -z "$probe_ok" ] && [ -n "$(cannot_exec)" ] && [ "$(id -u)" = 0 ]; then
	register_qemu
fi
# Again, whatever the kernel said: a check beside this one may register the
# emulator between the first probe and the question.
[ -n "$probe_ok" ] || probe
if [ -z "$probe_ok" ]; then
	why=$(cannot_exec)
	[ -z "$why" ] || skip_ "${check_name:-${0##*/}}" "this machine cannot execute $bin: $why"
	printf 'FAIL: rangecat -e 2 probe/in: status %s, stdout %s, want '\''ab'\''; stderr: %s\n' \
		"$probe_status" "'$(head -c 100 probe/out)'" "$(head -c 300 probe/err)"
	exit 1
fi
rm -r probe

fail() {
	printf 'FAIL: %s\n' "$*"
	failed=$((failed + 1))
}
# same WHAT GOT WANT: the two texts are equal.
same() {
	if [ "$2" != "$3" ]; then
		fail "$1: '$2', want '$3'"
	else
		passed=$((passed + 1))
	fi
}
# identical WHAT A B: files A and B hold the same bytes.
identical() {
	if cmp -s "$2" "$3"; then
		passed=$((passed + 1))
	else
		fail "$1: $2 and $3 differ"
	fi
}
# want WHAT COMMAND...: COMMAND succeeds and prints nothing on stderr.
want() {
	local what=$1
	shift
	if ! "$@" >cmd.out 2>cmd.err || [ -s cmd.err ]; then
		fail "$what: $(head -c 300 cmd.err)"
	else
		passed=$((passed + 1))
	fi
}
# report WHAT FINDINGS: a failure of WHAT for each line of FINDINGS, or a
# pass where there is none.
report() {
	[ -n "$2" ] || { passed=$((passed + 1)) && return; }
	while IFS= read -r finding; do fail "$1$finding"; done <<<"$2"
}
# bugs_in PAGE: the first lines of PAGE's BUGS section, which say where
# bugs go. bugs_want HOMEPAGE: what they must say: the home page where one
# is set, else the maintainer of the package.
bugs_in() {
	sed -n '/^\.Sh BUGS/{n;N;p;q}' "$1"
}
bugs_want() {
	if [ -n "$1" ]; then
		printf 'Report bugs at\n.Lk %s ,' "$1"
	else
		printf 'Report bugs to the maintainer named in the package\n.Po'
	fi
}
# slice FILE START END: the bytes START to END of FILE, cut by dd.
slice() {
	dd if="$1" iflag=skip_bytes,count_bytes skip="$2" count=$(($3 - $2)) \
		bs=64K status=none
}

# like TEXT FILE: whether FILE holds exactly TEXT, where a line of TEXT
# that begins with ~ stands for one line that the extended regular
# expression after the ~ matches whole.
like() {
	# Most rows want nothing, which needs no process to look for.
	[ -n "$1" ] || { [ ! -s "$2" ]; return; }
	if [[ $1 != '~'* && $1 != *$'\n~'* ]]; then
		[ "$(cat "$2"; echo x)" = "$1"x ]
		return
	fi
	python3 -c 'import re, sys
pattern = ""
for line in sys.argv[1].splitlines(True):
    body = line.rstrip("\n")
    pattern += (body[1:] if body.startswith("~") else re.escape(body)) + re.escape(line[len(body):])
sys.exit(not re.fullmatch(pattern, open(sys.argv[2], encoding="latin-1").read()))' "$1" "$2"
}

# check STATUS STDERR WANT WHAT: wants the last run (its status in $status,
# its output in got.out and got.err) to have ended with STATUS, written
# STDERR (exactly, but for its ~ lines: see like), and on stdout exactly
# WANT: "FILE START END", or "" for nothing.
check() {
	local want_status=$1 want_err=$2 want=$3 what=$4
	if [ -n "$want" ]; then
		# shellcheck disable=SC2086
		slice $want >want.out
	else
		: >want.out
	fi
	if [ "$status" != "$want_status" ]; then
		fail "$what: status $status, want $want_status"
	elif ! like "$want_err" got.err; then
		fail "$what: stderr $(od -c got.err | head -3), want '$want_err'"
	elif { [ -n "$want" ] || [ -s got.out ]; } && ! cmp -s got.out want.out; then
		fail "$what: stdout $(wc -c <got.out) bytes, want $(wc -c <want.out)" \
			"('$want'); $(cmp got.out want.out 2>&1)"
	else
		passed=$((passed + 1))
	fi
}

# t STATUS STDERR WANT ARGS...: runs rangecat ARGS and checks the run.
t() {
	local want_status=$1 want_err=$2 want=$3
	shift 3
	rangecat "$@" >got.out 2>got.err
	status=$?
	check "$want_status" "$want_err" "$want" "rangecat $*"
}

# tsh STATUS STDERR WANT 'COMMAND': runs the shell command line COMMAND,
# with its stdout in got.out and its stderr in got.err unless it sends them
# elsewhere, and checks the run. A pipeline's status is its last failure.
tsh() {
	: >got.out
	(
		set -o pipefail
		eval "$4"
	) >got.out 2>got.err
	status=$?
	check "$1" "$2" "$3" "$4"
}

# finish: the verdict. A run that checked nothing has failed.
finish() {
	echo "$passed passed, $failed failed"
	[ "$failed" -eq 0 ] || return 1
	[ "$passed" -gt 0 ] || { echo 'FAIL: no check ran'; return 1; }
}

# installed WHAT PATH...: puts in $at the first PATH, under $prefix, that
# is a file; where none is, the check fails, saying where it looked.
installed() {
	local what=$1 path
	shift
	for path; do
		at=$prefix/$path
		[ -f "$at" ] && return
	done
	fail "no $what installed under $prefix: $*"
	finish
	exit
}

# shell_home: a home and data folders of the check's own, so that the
# completion a shell finds is the one the check points it at, never one
# that the user has.
shell_home() {
	setup mkdir -p home/data home/compat
	export HOME=$tmp/home XDG_DATA_HOME=$tmp/home/data \
		BASH_COMPLETION_USER_DIR=$tmp/home/data \
		BASH_COMPLETION_COMPAT_DIR=$tmp/home/compat
}
