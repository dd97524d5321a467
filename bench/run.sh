#!/bin/bash
# Times rangecat against dd, head, tail and cat with hyperfine, and against
# its floors (a program that does nothing, and the loop of 1000-byte reads
# each written with fwrite into a 64 KiB buffer) in interleaved runs; where
# musl-gcc is installed, the start-up of a build against musl beside this
# one's; counts system calls and peak memory; writes RESULTS.md.
# Needs hyperfine, strace, /usr/bin/time and python3. RUNS scales the runs.
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
runs=${RUNS:-20}
big_runs=$((runs / 4 > 3 ? runs / 4 : 3))
work=$(mktemp -d "${TMPDIR:-/tmp}/rangecat-bench.XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir "$work/json"
# The release's build, static, as a release is built; a plain build links
# against the system's C library.
cmake -S "$here/.." -B "$work/build" -DBUILD_TESTING=OFF -DRANGECAT_RELEASE=ON >/dev/null
cmake --build "$work/build" --target rangecat >/dev/null
rc=$work/build/rangecat
if command -v musl-gcc >/dev/null; then
	cmake -S "$here/.." -B "$work/build-musl" -DBUILD_TESTING=OFF -DRANGECAT_RELEASE=ON \
		--toolchain "$here/../cmake/x86_64-linux-musl.cmake" >/dev/null
	cmake --build "$work/build-musl" --target rangecat >/dev/null
fi
# The floors are built and hardened as the release build is.
floor_flags=(-O2 -fPIE -static-pie -fstack-protector-strong '-Wl,-z,relro,-z,now')
g++ "${floor_flags[@]}" -o "$work/floor" "$here/floor.cc"
echo 'int main() { return 0; }' | g++ "${floor_flags[@]}" -x c++ -o "$work/noop" -
f=$work/1g size=1073741824 mid=536870912
head -c "$size" /dev/urandom >"$f"

# peers START COUNT: the commands that write bytes START..START+COUNT of $f.
peers() {
	local s=$1 n=$2
	echo "$rc -s $s -e $((s + n)) $f"
	echo "dd if=$f iflag=skip_bytes,count_bytes skip=$s count=$n bs=1000 status=none"
	echo "dd if=$f iflag=skip_bytes,count_bytes skip=$s count=$n bs=64K status=none"
	echo "sh -c 'tail -c +$((s + 1)) $f | head -c $n'"
	[ "$s" != 0 ] || echo "head -c $n $f"
	[ "$n" != "$size" ] || echo "cat $f"
}

# For each range: hyperfine into each sink, then the system calls and peak
# memory of one run of each command, output to a file.
for w in "$mid 100" "$mid 1048576" "0 100" "0 $size"; do
	read -r s n <<<"$w"
	n_runs=$((n == 100 ? runs * 10 : n == size ? big_runs : runs * 2))
	mapfile -t cmds < <(peers "$s" "$n")
	for sink in null:/dev/null pipe:pipe "file:$work/out"; do
		hyperfine -N --style none --warmup 3 --runs "$n_runs" --output="${sink#*:}" \
			--export-json "$work/json/$s-$n-${sink%%:*}.json" "${cmds[@]}" >/dev/null
	done
	for c in "${cmds[@]}"; do
		eval "strace -f -c -o $work/strace $c" >"$work/out" 2>/dev/null
		eval "/usr/bin/time -f %M -o $work/mem $c" >/dev/null
		awk -v w="$w" -v c="$c" -v mem="$(cat "$work/mem")" \
			'$NF == "read" { r = $4 } $NF == "write" { wr = $4 } $NF == "total" { t = $4 }
			END { printf "%s\t%s\t%d\t%d\t%d\t%s\n", w, c, t, r, wr, mem }' \
			"$work/strace" >>"$work/counts"
	done
done

# This machine drifts by more than the margins measured here over a
# minute, so each floor check alternates its two commands run by run.
python3 "$here/interleave.py" $((runs * 250)) "$work/json/start-up.json" \
	"$work/noop" "$rc -s $mid -e $((mid + 100)) $f"
python3 "$here/interleave.py" $((big_runs * 3)) "$work/json/copy.json" \
	"$work/floor 0 $size $f" "$rc -s 0 -e $size $f"
if [ -x "$work/build-musl/rangecat" ]; then
	python3 "$here/interleave.py" $((runs * 250)) "$work/json/musl.json" \
		"$rc -s $mid -e $((mid + 100)) $f" "$work/build-musl/rangecat -s $mid -e $((mid + 100)) $f"
	for b in "$rc" "$work/build-musl/rangecat"; do
		/usr/bin/time -f %M -o "$work/mem" "$b" -s "$mid" -e $((mid + 100)) "$f" >/dev/null
		strip -o "$work/stripped" "$b"
		printf '%s\t%s\t%s\n' "$b" "$(wc -c <"$work/stripped")" "$(cat "$work/mem")" >>"$work/musl"
	done
fi

python3 "$here/report.py" "$work" "$rc" "$f" >"$here/RESULTS.md"
echo "wrote $here/RESULTS.md"
