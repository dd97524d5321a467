#!/bin/bash
# Random ranges and option spellings, checked byte for byte against dd and
# tail | head. The seed is fixed: a failure prints a command that repeats it.
# shellcheck source=tests/lib.sh
. "$(dirname "$0")/lib.sh"
RANDOM=${RANGECAT_SEED:-1000}
cases=${RANGECAT_CASES:-300}

sizes=(0 1 999 1000 1001 1999 2000 2001 4097 65537 300000)
# One process writes every file: a process costs more than its bytes.
setup python3 -c 'import random, sys
for size in map(int, sys.argv[1:]):
    random.seed(size)
    data = bytearray(random.randbytes(size))
    data[size // 3:size // 3 + 50] = bytes(min(50, size // 3))
    open("f%d" % size, "wb").write(data)' "${sizes[@]}"

# offset SIZE: puts in at an offset near a boundary that matters, or
# anywhere (a function, not a subshell: no fork per case).
offset() {
	local size=$1
	case $((RANDOM % 6)) in
	0) at=0 ;;
	1) at=$size ;;
	2) at=$((size + RANDOM % 3 - 1)) ;;
	3) at=$(((RANDOM % 4) * 1000 + RANDOM % 3 - 1)) ;;
	*) at=$(((RANDOM * 32768 + RANDOM) % (size + 1500))) ;;
	esac
	at=$((at < 0 ? 0 : at))
}

# spell FLAG LONG VALUE: one of the ways to give an option its value.
spell() {
	case $((RANDOM % 5)) in
	0) args+=("$1" "$3") ;;
	1) args+=("$1$3") ;;
	2) args+=("--$2=$3") ;;
	3) args+=("--$2" "$3") ;;
	4) args+=("--${2:0:2}" "$3") ;;
	esac
}

for ((i = 0; i < cases; i++)); do
	size=${sizes[RANDOM % ${#sizes[@]}]}
	file=f$size
	args=()
	s=0 e=0
	if ((RANDOM % 4)); then
		offset "$size"
		s=$at
		spell -s start "$s"
	fi
	if ((RANDOM % 3)); then
		offset "$size"
		e=$at
		((RANDOM % 8)) || e=-$e
		spell -e end "$e"
	fi
	# The range rule: an end not beyond the start, or past the file, is the
	# file's end, and a start past the end of the file copies nothing.
	if ((e <= s || e > size)); then
		e=$size
	fi
	((s > e)) && s=$e
	input=$file from=
	if ((RANDOM % 4 == 0)); then
		input=/dev/stdin from=" < <(cat $file)" # a pipe: no size from stat
	fi
	if ((RANDOM % 2)); then
		args=("$input" "${args[@]}")
	else
		args+=("$input")
	fi
	if [ "$input" = /dev/stdin ]; then
		rangecat "${args[@]}" >>got.all 2>got.err < <(cat "$file")
	else
		rangecat "${args[@]}" >>got.all 2>got.err
	fi
	status=$?
	if ((RANDOM % 2)); then
		oracle="dd if=$file iflag=skip_bytes,count_bytes skip=$s count=$((e - s)) status=none"
		$oracle >>want.all
	else
		oracle="tail -c +$((s + 1)) $file | head -c $((e - s))"
		tail -c +$((s + 1)) "$file" | head -c $((e - s)) >>want.all
	fi
	commands[i]="rangecat ${args[*]}$from vs $oracle"
	# Each case's bytes end in a mark of its number, in both streams.
	printf '\nrangecat-case-%d\n' "$i" >>got.all
	printf '\nrangecat-case-%d\n' "$i" >>want.all
	if [ "$status" != 0 ] || [ -s got.err ]; then
		fail "case $i: ${commands[i]}: status $status, $(head -c 200 got.err)"
	else
		passed=$((passed + 1))
	fi
done
# One cmp over every case's bytes, since a process per case costs more than
# the comparing: the first case whose bytes differ is the one after the
# last mark before the first difference.
if ! at=$(cmp got.all want.all 2>&1); then
	at=${at#*byte } at=${at%%,*}
	i=$(head -c "$at" want.all | grep -ao 'rangecat-case-[0-9]*' | tail -1)
	i=${i:+$((${i#rangecat-case-} + 1))}
	fail "case ${i:-0}: ${commands[${i:-0}]}: the bytes differ"
else
	passed=$((passed + 1))
fi

finish
