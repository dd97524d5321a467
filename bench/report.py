"""Writes the benchmark's results as Markdown: hyperfine's medians, the
interleaved checks against the floors, system calls, memory and targets.

Usage: report.py WORK_DIR RANGECAT BIG_FILE
"""
import datetime, json, os, platform, subprocess, sys

work, rc, big = sys.argv[1:4]
mid, size = 2**29, 2**30


def short(cmd):
    """The command as a reader would type it."""
    for long, name in ((work + "/build-musl/rangecat", "rangecat-musl"), (rc, "rangecat"),
                       (big, "F"), (work + "/", "")):
        cmd = cmd.replace(long, name)
    return cmd.replace(" status=none", "")


def load(name):
    """(command, median ms, runs) of each command in json/NAME.json."""
    with open(os.path.join(work, "json", name + ".json")) as f:
        data = json.load(f)
    if isinstance(data, dict):  # hyperfine's, in seconds
        data = [dict(r, median=r["median"] * 1000, runs=len(r["times"]))
                for r in data["results"]]
    return [(short(r["command"]), r["median"], r["runs"]) for r in data]


cpu = [l.split(":", 1)[1].strip() for l in open("/proc/cpuinfo") if l.startswith("model name")]
hf = subprocess.run(["hyperfine", "--version"], capture_output=True, text=True).stdout
out = ["# Benchmark results\n",
       f"- Date: {datetime.date.today().isoformat()}; written by `bench/run.sh`",
       f"- Machine: {cpu[0]}, {os.cpu_count()} cores, Linux {platform.release()}",
       "- Build: the release's (`-DRANGECAT_RELEASE=ON`), a static PIE; a plain build links dynamically",
       f"- Timing: {hf.strip()}, median wall time of whole processes, warm page cache",
       "- Ratio: the command's median over rangecat's; above 1, rangecat is faster",
       "- `sh -c '… | …'` pipelines include the start of `sh`\n"]

sinks = {"null": "/dev/null", "pipe": "pipe", "file": "file"}
ratio = {}  # (range, first word of the peer) -> ratio to /dev/null
for title, s, n in (("100 B from the middle of 1 GiB", mid, 100),
                    ("1 MiB from the middle of 1 GiB", mid, 2**20),
                    ("100 B from the start", 0, 100), ("the whole 1 GiB", 0, size)):
    cols = {k: load(f"{s}-{n}-{k}") for k in sinks}
    out += [f"## {title}\n",
            "| command | " + " | ".join(f"{v} ms | ratio" for v in sinks.values()) + " |",
            "|---|" + "---:|---:|" * len(sinks)]
    for i, (cmd, _, _) in enumerate(cols["null"]):
        r = {k: cols[k][i][1] / cols[k][0][1] for k in sinks}
        ratio.setdefault((s, n, cmd.split()[0]), r["null"])
        out.append(f"| `{cmd}` | " + " | ".join(
            f"{cols[k][i][1]:.2f} | {r[k]:.2f}" for k in sinks) + " |")
    out.append("")

out += ["## Against the floors, interleaved\n",
        "The two commands of each check alternate run by run, so that the "
        "machine's drift falls on both.\n",
        "| check | command | runs | median ms |", "|---|---|---:|---:|"]
floor = {}
for name in ("start-up", "copy"):
    rows = load(name)
    out += [f"| {name} | `{c}` | {n} | {ms:.3f} |" for c, ms, n in rows]
    floor[name] = rows[1][1] / rows[0][1]
musl = os.path.join(work, "musl")
if os.path.exists(musl):
    runs = {c: (ms, n) for c, ms, n in load("musl")}
    out += ["", "## Built against musl, interleaved with the glibc build\n",
            "Start-up, as above: 100 B from the middle of the file, the two "
            "builds alternating run by run; size stripped, and peak memory of "
            "one run. Information: the release is built with glibc.\n",
            "| build | command | runs | median ms | stripped bytes | peak RSS KiB |",
            "|---|---|---:|---:|---:|---:|"]
    for (b, size_b, mem), (c, (ms, n)) in zip(
            (l.rstrip("\n").split("\t") for l in open(musl)), runs.items()):
        name = "musl" if "build-musl" in b else "glibc"
        out.append(f"| {name} | `{c}` | {n} | {ms:.3f} | {size_b} | {mem} |")
out += ["", "## System calls and peak memory, one run with output to a file\n",
        "| range | command | syscalls | reads | writes | peak RSS KiB |",
        "|---|---|---:|---:|---:|---:|"]
counts = [l.rstrip("\n").split("\t") for l in open(os.path.join(work, "counts"))]
for w, cmd, calls, reads, writes, mem in counts:
    out.append(f"| {w} | `{short(cmd)}` | {calls} | {reads} | {writes} | {mem} |")
ours = [c for c in counts if c[1].startswith(rc)]
writes = next(int(c[4]) for c in ours if c[0] == f"0 {size}")
peer_rss = min(int(c[5]) for c in counts if not c[1].startswith((rc, "sh ")))
# The peers' tables above are information: against dd and head a small range
# is bound by their own start-up, and a copy by the 1000-byte reads.
targets = [
    ("start-up over a hardened static PIE that does nothing", floor["start-up"], "<=", 1.05),
    ("the whole 1 GiB over the loop of 1000-byte reads each written with fwrite",
     floor["copy"], "<=", 1.04),
    ("bytes per write, the whole 1 GiB into a file", size / writes, ">=", 65536),
    ("peak RSS KiB, against the smallest peer's", max(int(c[5]) for c in ours), "<=", peer_rss),
]
out += ["", "## Targets\n", "| target | measured | wanted | |", "|---|---:|---:|---|"]
for what, got, op, want in targets:
    met = got >= want if op == ">=" else got <= want
    out.append(f"| {what} | {got:.3f} | {op} {want:g} | {'met' if met else 'NOT MET'} |")
print("\n".join(out))
