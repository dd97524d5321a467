"""Formats the benchmark's hyperfine JSON and syscall counts as Markdown.

Usage: report.py JSON_DIR COUNTS WORK_DIR RANGECAT FLOOR_CHECK
"""
import datetime
import json
import os
import platform
import statistics
import subprocess
import sys

json_dir, counts_path, work, rc, floor_path = sys.argv[1:6]


def short(cmd):
    """The command as a reader would type it."""
    cmd = cmd.replace(rc, "rangecat").replace(work + "/1g", "F")
    cmd = cmd.replace(work + "/floor", "floor").replace(work + "/", "")
    return cmd.replace(" status=none", "")


def medians(name):
    with open(os.path.join(json_dir, name + ".json")) as f:
        return [(r["command"], r["median"] * 1000) for r in json.load(f)["results"]]


def cpu():
    for line in open("/proc/cpuinfo"):
        if line.startswith("model name"):
            return line.split(":", 1)[1].strip()
    return platform.processor()


sinks = ["devnull", "pipe", "file"]
sink_title = {"devnull": "/dev/null", "pipe": "pipe", "file": "file"}
out = []
out.append("# Benchmark results\n")
out.append(f"- Date: {datetime.date.today().isoformat()}")
out.append(f"- Machine: {cpu()}, {os.cpu_count()} cores, Linux {platform.release()}")
hf = subprocess.run(["hyperfine", "--version"], capture_output=True, text=True).stdout.strip()
out.append(f"- Timing: {hf}, median wall time of whole processes, warm page cache")
out.append("- Ratio: the peer's median over rangecat's; above 1, rangecat is faster")
out.append("- `sh -c '… | …'` pipelines include the start of `sh`\n")

workloads = [
    ("100 B from the middle of 1 GiB", f"{2**29}-100"),
    ("1 MiB from the middle of 1 GiB", f"{2**29}-1048576"),
    ("100 B from the start", "0-100"),
    ("the whole 1 GiB", f"0-{2**30}"),
]
for title, key in workloads:
    cols = {s: medians(f"{key}-{s}") for s in sinks}
    out.append(f"## {title}\n")
    out.append("| command | " + " | ".join(f"{sink_title[s]} ms | ratio" for s in sinks) + " |")
    out.append("|---|" + "---:|---:|" * len(sinks))
    for i, (cmd, _) in enumerate(cols["devnull"]):
        cells = []
        for s in sinks:
            base = cols[s][0][1]
            t = cols[s][i][1]
            cells.append(f"{t:.2f} | {t / base:.2f}")
        out.append(f"| `{short(cmd)}` | " + " | ".join(cells) + " |")
    out.append("")

times = {}
for line in open(floor_path):
    cmd, us = line.split("\t")
    times.setdefault(short(cmd), []).append(int(us) / 1000)
med = {k: statistics.median(v) for k, v in times.items()}
out.append("## The whole 1 GiB to /dev/null against the bare read loop, interleaved\n")
out.append("Runs alternate between the two, so that drift of the machine falls on both.\n")
out.append("| command | runs | median ms |")
out.append("|---|---:|---:|")
for k, v in times.items():
    out.append(f"| `{k}` | {len(v)} | {med[k]:.1f} |")
out.append(f"\nrangecat over the floor: {med['rangecat'] / med['floor']:.3f}\n")

out.append("## Builds of rangecat, the whole 1 GiB\n")
out.append("`release` is static with a 64 KiB output buffer; `dynamic` links libc "
           "dynamically; `libcbuf` keeps libc's own buffer; `bufN` uses N bytes.\n")
cols = {s: medians(f"variants-{s}") for s in sinks}
out.append("| build | " + " | ".join(f"{sink_title[s]} ms" for s in sinks) + " |")
out.append("|---|" + "---:|" * len(sinks))
for i, (cmd, _) in enumerate(cols["devnull"]):
    name = cmd.split()[0].replace(work + "/", "").split("/")[0]
    out.append(f"| {name} | " + " | ".join(f"{cols[s][i][1]:.1f}" for s in sinks) + " |")
out.append("")
out.append("## Start-up: 100 B from the middle to /dev/null\n")
out.append("| build | ms |")
out.append("|---|---:|")
for cmd, t in medians("startup"):
    out.append(f"| {cmd.split()[0].replace(work + '/', '').split('/')[0]} | {t:.3f} |")
out.append("")

out.append("## System calls and peak memory, one run with output to a file\n")
out.append("| workload | command | syscalls | reads | writes | peak RSS KiB |")
out.append("|---|---|---:|---:|---:|---:|")
for line in open(counts_path):
    w, cmd, calls, reads, writes, mem = line.rstrip("\n").split("\t")
    out.append(f"| {w} | `{short(cmd)}` | {calls} | {reads or 0} | {writes or 0} | {mem} |")
print("\n".join(out))
