"""What the tests that run the real program share: a private X server and
checks that are counted rather than stopping at the first failure."""

import os
import subprocess
import sys
import tempfile
import time


def start_xvfb():
    # Xvfb's -displayfd hands the same free number to servers started at the
    # same moment here, so pick an unlikely one of our own and try the next
    # on a clash.
    number = 100 + os.getpid() % 5000
    for _ in range(50):
        if not os.path.exists("/tmp/.X11-unix/X%d" % number):
            xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1024x768x24",
                                     "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
            env = dict(os.environ, DISPLAY=":%d" % number)
            for _ in range(100):
                if xvfb.poll() is not None:
                    break
                if subprocess.run(["xdotool", "getmouselocation"], env=env,
                                  capture_output=True).returncode == 0:
                    return xvfb, ":%d" % number
                time.sleep(0.1)
            if xvfb.poll() is None:
                xvfb.kill()
            xvfb.wait()
        number += 1
    sys.exit("no X server could be started")


failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def program_env(display, prefix):
    """A fresh home folder and the environment to run the program there on
    the given X display, with no system bus: nothing started this way can
    reach the real login manager."""
    work = tempfile.mkdtemp(prefix=prefix)
    runtime = tempfile.mkdtemp(prefix="velnook-runtime-")
    os.chmod(runtime, 0o700)
    env = dict(os.environ, DISPLAY=display, HOME=work, XDG_RUNTIME_DIR=runtime,
               QT_QPA_PLATFORM="xcb", DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
    env.pop("USERPROFILE", None)
    return work, env
