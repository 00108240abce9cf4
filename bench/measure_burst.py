#!/usr/bin/env python3
"""Runs the real program under a private X server on a download folder of
FILES empty files (100 a folder), writes a burst of BURST new 1 KB files into it,
half into folders of their own made during the burst, and prints the sum of
the rates the log gave against the bytes written (target: within 1%).
Usage: measure_burst.py BUILD_DIR [FILES] [BURST]   (defaults 300000 100000)"""

import os
import shutil
import subprocess
import sys
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform",
                                "linux"))
from program_test_support import (log_of, program_env, set_settings, start_xvfb,  # noqa: E402
                                  wait_until)


def write_files(folder, count, size, prefix="f"):
    os.makedirs(folder, exist_ok=True)
    for f in range(count):
        with open(os.path.join(folder, "%s%d" % (prefix, f)), "wb") as out:
            out.write(b"x" * size)


def rates(work):
    """The Run entries' rates in KB/s, and the log's corrections."""
    runs, corrected = [], []
    for line in log_of(work).splitlines():
        fields = [f.strip() for f in line.split(",")]
        # "Rate:    ..." while the first walk is still going on.
        if len(fields) > 5 and fields[1] == "Run" and fields[4][-1].isdigit():
            rate, average = float(fields[4].split()[1]), float(fields[5].split()[-1])
            # The rate's column keeps six characters: 10396.0 reads 0396.0. At
            # AvTime 1 the average is the same second's rate, in whole KB/s.
            runs.append(average if abs(average - rate) > 1 else rate)
        if len(fields) > 2 and fields[1] == "Corrected":
            corrected.append(fields[2])
    return runs, corrected


def main():
    build = os.path.abspath(sys.argv[1])
    files = int(sys.argv[2]) if len(sys.argv) > 2 else 300000
    burst = int(sys.argv[3]) if len(sys.argv) > 3 else 100000
    display, name = start_xvfb()
    # No system bus: whatever happens, no power request leaves this run.
    work, env = program_env(name, "velnook-burst-")
    program = None
    try:
        subprocess.run([os.path.join(build, "velnook-prepare"), work], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        set_settings(os.path.join(work, "Data", "Velnook.ini"),
                     {b"StartMin": b"1", b"StartDelay": b"1", b"AvTime": b"1", b"LogLevel": b"3",
                      b"DownDelay": b"600"})
        tree = os.path.join(work, "Downloads")
        started = time.monotonic()
        for d in range(files // 100):
            write_files(os.path.join(tree, "d%d" % (d // 100), "e%d" % d), 100, 0)
        print("tree of %d files made in %.0f s" % (files, time.monotonic() - started))
        program = subprocess.Popen([os.path.join(build, "velnook"), "-AllowMulti"], cwd=work,
                                   env=env, stdout=subprocess.DEVNULL)
        if not wait_until(lambda: len(rates(work)[0]) >= 2, 300):
            sys.exit("the program logged no rates")
        started = time.monotonic()
        for d in range(burst // 100):
            # Every other folder of the burst is new, written before any
            # watch on it can exist.
            folder = (os.path.join(tree, "burst", "n%d" % d) if d % 2 else
                      os.path.join(tree, "d0", "e%d" % (d % 100)))
            write_files(folder, 100, 1024, "b%d-" % d)
        took = time.monotonic() - started
        ended = len(rates(work)[0])  # quiet seconds from before the burst do not count
        wait_until(lambda: len(rates(work)[0]) >= ended + 3 and rates(work)[0][-3:] == [0.0] * 3,
                   120)
        runs, corrected = rates(work)
        written = burst * 1024 / 1024
        logged = sum(runs)
        print("burst of %d files written in %.1f s: %.0f KB written, %.1f KB logged (%+.2f%%)"
              % (burst, took, written, logged, 100 * (logged - written) / written))
        print("rates from the burst's first second on (KB/s): %s"
              % " ".join("%g" % r for r in runs[next((i for i, r in enumerate(runs) if r), 0):]))
        if corrected:
            print("corrections logged: %s" % ", ".join(corrected))
    finally:
        if program:
            program.kill()
            program.wait()
        display.terminate()
        display.wait()
        shutil.rmtree(work, ignore_errors=True)


main()
