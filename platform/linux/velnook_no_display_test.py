#!/usr/bin/env python3
"""Starts the real program where no display can be reached: nothing set,
DISPLAY naming a display nobody serves, and an X11 platform asked for
without DISPLAY. Each time it must say so on stderr and exit with a status
of its own, never abort on a signal, and leave the settings and the log as
they were. Usage: test velnook velnook-prepare"""

import os
import shutil
import subprocess
import sys
import tempfile

from program_test_support import check, failures

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]


def unused_display():
    number = 200 + os.getpid() % 5000
    while (os.path.exists("/tmp/.X11-unix/X%d" % number)
           or os.path.exists("/tmp/.X%d-lock" % number)):
        number += 1
    return ":%d" % number


def snapshot(work):
    """Every file under the working directory with its bytes and time."""
    files = {}
    for folder, _, names in os.walk(work):
        for name in names:
            path = os.path.join(folder, name)
            with open(path, "rb") as f:
                files[path] = (f.read(), os.stat(path).st_mtime_ns)
    return files


def main():
    work = tempfile.mkdtemp(prefix="velnook-nodisplay-")
    base = {k: v for k, v in os.environ.items()
            if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM", "USERPROFILE")}
    base.update(HOME=work, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
    subprocess.run([PREPARE, work], env=base, check=True, stdout=subprocess.DEVNULL)
    with open(os.path.join(work, "Log", "Velnook.log"), "wb") as f:
        f.write(b"an earlier run\r\n")
    before = snapshot(work)

    display = unused_display()
    cases = [
        ("nothing set", {}, "no display found (DISPLAY and WAYLAND_DISPLAY are not set)."),
        ("DISPLAY=" + display + " with no server", {"DISPLAY": display},
         "cannot connect to display " + display + "."),
        ("QT_QPA_PLATFORM=xcb without DISPLAY", {"QT_QPA_PLATFORM": "xcb"},
         "no display found (DISPLAY is not set)."),
    ]
    for what, extra, reason in cases:
        run = subprocess.run([VELNOOK], cwd=work, env=dict(base, **extra), capture_output=True,
                             text=True, timeout=60)
        check(run.returncode > 0, what + ": exits with a status, not a signal (%d)"
              % run.returncode)
        check("Velnook needs a graphical desktop: " + reason in run.stderr,
              what + ": says why: " + run.stderr.strip())
        check(snapshot(work) == before, what + ": the settings and the log are untouched")

    shutil.rmtree(work, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
