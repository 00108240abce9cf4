#!/usr/bin/env python3
"""Starts the real program as a master under a private X server and times
100 of its keep-alive datagrams on the receiving side: mean and spread of
their spacing. Usage: link_spacing.py BUILD_DIR"""

import os
import socket
import statistics
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "platform", "linux"))
from program_test_support import start_xvfb  # noqa: E402

build = os.path.abspath(sys.argv[1])
xvfb, display = start_xvfb()
home = tempfile.mkdtemp(prefix="velnook-spacing-")
env = dict(os.environ, DISPLAY=display, HOME=home, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
subprocess.run([build + "/velnook-prepare", home], env=env, check=True, stdout=subprocess.DEVNULL)
receiver = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
receiver.bind(("127.0.0.1", 0))
port = receiver.getsockname()[1]
ini = os.path.join(home, "Data", "Velnook.ini")
text = open(ini, "rb").read().replace(b"StartMin=2", b"StartMin=1")
text = text.replace(b"IPAdd=\r", b"IPAdd=127.0.0.1\r").replace(b"Port1=10001", b"Port1=%d" % port)
text = text.replace(b"DownDelay=300", b"DownDelay=600")
open(ini, "wb").write(text)
program = subprocess.Popen([build + "/velnook", "-AllowMulti"], cwd=home, env=env,
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
try:
    times = []
    receiver.settimeout(10)
    while len(times) < 101:
        data, _ = receiver.recvfrom(100)
        if data == b"<VNA100>":
            times.append(time.monotonic())
    gaps = [(b - a) * 1000 for a, b in zip(times, times[1:])]
    print("100 keep-alives: mean spacing %.1f ms, standard deviation %.1f ms, min %.1f, max %.1f"
          % (statistics.mean(gaps), statistics.stdev(gaps), min(gaps), max(gaps)))
finally:
    program.kill()
    xvfb.terminate()
