"""Runs two commands in turn, ROUNDS times each, output to /dev/null, and
writes the median wall time of each, in ms, as JSON.

Usage: interleave.py ROUNDS OUT.json COMMAND_A COMMAND_B
"""
import json
import os
import statistics
import sys
import time

rounds, out, *commands = sys.argv[1:]
argvs = [c.split() for c in commands]
times = [[] for _ in argvs]
null = os.open(os.devnull, os.O_WRONLY)
actions = [(os.POSIX_SPAWN_DUP2, null, 1)]
for _ in range(int(rounds)):
    for argv, t in zip(argvs, times):
        t0 = time.perf_counter_ns()
        pid = os.posix_spawn(argv[0], argv, os.environ, file_actions=actions)
        os.waitpid(pid, 0)
        t.append((time.perf_counter_ns() - t0) / 1e6)
with open(out, "w") as f:
    json.dump([{"command": c, "runs": len(t), "median": statistics.median(t)}
               for c, t in zip(commands, times)], f)
