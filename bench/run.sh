#!/bin/bash
# Times rangecat against dd, head, tail and cat with hyperfine, counts system
# calls with strace and peak memory with GNU time, and writes RESULTS.md.
# Needs hyperfine, strace, /usr/bin/time and python3; installs nothing.
# RUNS sets the timed runs per command: RUNS*10 for 100 B, RUNS*2 for 1 MiB
# and RUNS/4 (at least 3) for 1 GiB; the default is 20.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(dirname "$here")
runs=${RUNS:-20}
big_runs=$((runs / 4 > 3 ? runs / 4 : 3))
work=$(mktemp -d "${TMPDIR:-/tmp}/rangecat-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
results=$here/RESULTS.md
json=$work/json
mkdir "$json"

# build NAME CMAKE_ARGS...: a release build of the tool in $work/NAME.
build() {
	local name=$1
	shift
	cmake -S "$root" -B "$work/$name" -DCMAKE_BUILD_TYPE=Release \
		-DBUILD_TESTING=OFF "$@" >/dev/null
	cmake --build "$work/$name" --target rangecat >/dev/null
}
build release
build dynamic -DRANGECAT_STATIC=OFF
build libcbuf -DRANGECAT_OUTPUT_BUFFER=0
buffers=(4096 16384 65536 131072 262144 1048576)
for b in "${buffers[@]}"; do
	build "buf$b" -DRANGECAT_OUTPUT_BUFFER="$b"
done
g++ -O2 -static -o "$work/floor" "$here/floor.cc"
rc=$work/release/rangecat

f=$work/1g
size=1073741824
head -c "$size" /dev/urandom >"$f"
mid=$((size / 2))

# time_set NAME SINK RUNS COMMAND...: hyperfine medians into $json/NAME.json.
time_set() {
	local name=$1 sink=$2 n=$3
	shift 3
	hyperfine -N --style none --warmup $((n > 10 ? 5 : 1)) --runs "$n" --output="$sink" \
		--export-json "$json/$name.json" "$@" >/dev/null
}

# peers START COUNT: the commands that write bytes START..START+COUNT of $f.
peers() {
	local s=$1 n=$2
	echo "$rc -s $s -e $((s + n)) $f"
	echo "dd if=$f iflag=skip_bytes,count_bytes skip=$s count=$n bs=1000 status=none"
	echo "dd if=$f iflag=skip_bytes,count_bytes skip=$s count=$n bs=64K status=none"
	echo "sh -c 'tail -c +$((s + 1)) $f | head -c $n'"
	if [ "$s" = 0 ]; then
		echo "head -c $n $f"
	fi
	if [ "$n" = "$size" ]; then
		echo "cat $f"
		echo "$work/floor $s $((s + n)) $f"
	fi
}

sinks=(null pipe "$work/out")
declare -A sink_name=([null]=/dev/null [pipe]=pipe ["$work/out"]=file)
workloads=("100 B from the middle:$mid 100" "1 MiB from the middle:$mid 1048576"
	"100 B from the start:0 100" "the whole 1 GiB:0 $size")

for w in "${workloads[@]}"; do
	read -r s n <<<"${w#*:}"
	case $n in
	100) n_runs=$((runs * 10)) ;;
	"$size") n_runs=$big_runs ;;
	*) n_runs=$((runs * 2)) ;;
	esac
	mapfile -t cmds < <(peers "$s" "$n")
	for sink in "${sinks[@]}"; do
		time_set "$s-$n-${sink_name[$sink]//\//}" "$sink" "$n_runs" "${cmds[@]}"
	done
done

# Before and after: libc's link and buffer against the chosen build.
variant_cmds=()
for v in release dynamic libcbuf "${buffers[@]/#/buf}"; do
	variant_cmds+=("$work/$v/rangecat -s 0 -e $size $f")
done
for sink in "${sinks[@]}"; do
	time_set "variants-${sink_name[$sink]//\//}" "$sink" "$big_runs" \
		"${variant_cmds[@]}"
done
startup_cmds=()
for v in release dynamic libcbuf; do
	startup_cmds+=("$work/$v/rangecat -s $mid -e $((mid + 100)) $f")
done
time_set startup null "$((runs * 10))" "${startup_cmds[@]}"

# The floor check: hyperfine runs one command after another, and this
# machine drifts by more than 5% over a minute, so rangecat and the bare
# read loop alternate here, round by round.
: >"$work/floor-check"
for ((i = 0; i < big_runs * 3; i++)); do
	for c in "$work/floor 0 $size $f" "$rc -s 0 -e $size $f"; do
		t0=$(date +%s%N)
		$c >/dev/null
		t1=$(date +%s%N)
		printf '%s\t%s\n' "${c%% *}" $(((t1 - t0) / 1000)) >>"$work/floor-check"
	done
done

# System calls and peak memory of one run of each command, output to a file.
: >"$work/counts"
for w in "${workloads[@]}"; do
	read -r s n <<<"${w#*:}"
	while read -r c; do
		eval "strace -f -c -o $work/strace $c" >"$work/out" 2>/dev/null
		eval "/usr/bin/time -f %M -o $work/mem $c" >/dev/null
		count() { awk -v s="$1" '$NF == s { print $4 }' "$work/strace"; }
		printf '%s\t%s\t%s\t%s\t%s\t%s\n' "${w%%:*}" "$c" "$(count total)" \
			"$(count read)" "$(count write)" "$(cat "$work/mem")" >>"$work/counts"
	done < <(peers "$s" "$n")
done

python3 "$here/report.py" "$json" "$work/counts" "$work" "$rc" \
	"$work/floor-check" >"$results"
echo "wrote $results"
