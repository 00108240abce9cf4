#!/usr/bin/env python3
"""The real program asks python-dbusmock's logind (on a private bus that this
test starts) whether it would power off, as soon as monitoring begins: a
"challenge" or "no" is logged and shown in orange in the main window's title
line at once, hours before any countdown; "yes" changes nothing.
Usage: velnook_refusal_test.py velnook velnook-prepare"""

import os
import subprocess
import sys
import tempfile

from program_test_support import (check, finish, log_of, set_settings, start_mock_logind,
                                  start_xvfb, stop_all, wait_for_window, wait_until)

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]
# The Title label, in pixels: (90, 0) twips, 6240 x 255.
TITLE = (6, 0, 416, 17)


def orange_pixels(env, window):
    """Pixels of the title line drawn in the warning's orange: red twice the
    green, no blue (drawn darker than 255, 128, 0 so that it reads)."""
    out = subprocess.run(["import", "-window", window, "-crop", "%dx%d+%d+%d" % (
        TITLE[2], TITLE[3], TITLE[0], TITLE[1]), "+repage", "txt:-"], env=env,
        capture_output=True, text=True).stdout
    lines = out.splitlines()
    # "# ImageMagick pixel enumeration: W,H,MAX,srgb", then "x,y: (r,g,b…)  …".
    top = float(lines[0].split(",")[2]) if lines and lines[0].count(",") >= 3 else 255.0
    count = 0
    for line in lines[1:]:
        rgb = line.split("(", 1)[-1].split(")", 1)[0].split(",")
        if len(rgb) < 3:
            continue
        r, g, b = (float(v) * 255 / top for v in rgb[:3])
        count += r > 120 and 1.6 < r / max(g, 1) < 2.6 and b < 60
    return count


# What the programs write to standard error, shown when a check fails.
ERRORS = tempfile.TemporaryFile(mode="w+")


def run_with_answer(env, answer):
    """Starts the program against a login manager answering CanPowerOff with
    answer; returns its home, the process and its main window."""
    home = tempfile.mkdtemp(prefix="velnook-refusal-")
    subprocess.run([PREPARE, home], env=dict(env, HOME=home), check=True,
                   stdout=subprocess.DEVNULL)
    set_settings(os.path.join(home, "Data", "Velnook.ini"),
                 {b"StartMin": b"1", b"StartDelay": b"2", b"LogLevel": b"2"})
    subprocess.run(["dbus-send", "--bus=" + env["DBUS_SYSTEM_BUS_ADDRESS"], "--print-reply",
                    "--dest=org.freedesktop.login1", "/org/freedesktop/login1",
                    "org.freedesktop.DBus.Mock.AddMethod",
                    "string:org.freedesktop.login1.Manager", "string:CanPowerOff", "string:",
                    "string:s", "string:ret = '%s'" % answer], check=True,
                   stdout=subprocess.DEVNULL)
    proc = subprocess.Popen([VELNOOK, "-AllowMulti"], cwd=home, env=dict(env, HOME=home),
                            stdout=subprocess.DEVNULL, stderr=ERRORS)
    windows = wait_for_window(env, "Velnook", 30)
    return home, proc, windows[-1] if windows else None


def main():
    xvfb, display = start_xvfb()
    runtime = tempfile.mkdtemp(prefix="velnook-runtime-")
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime,
               VELNOOK_RUNTIME_DIR=runtime)
    env.pop("USERPROFILE", None)
    bus, mock, address = start_mock_logind(env, {"CanPowerOff": "challenge"})
    procs = []
    try:
        check(address is not None, "the mock login manager is on the private bus")
        if address is None:
            return
        for answer in ("challenge", "no"):
            home, proc, window = run_with_answer(env, answer)
            procs.append(proc)
            check(window is not None, answer + ": the main window shows")
            check(wait_until(lambda: "Refused  , Power Off" in log_of(home), 15),
                  answer + ": the refusal is logged when monitoring begins")
            log = log_of(home)
            check(log.count("Refused") == 1, answer + ": logged once")
            check("Enter    , Run" in log and "Enter    , Power Off" not in log,
                  answer + ": long before any countdown")
            check(window is not None and wait_until(lambda: orange_pixels(env, window) > 20, 5),
                  answer + ": the title line turns orange")
            check(proc.poll() is None, answer + ": monitoring goes on")
            proc.kill()
            proc.wait()

        home, proc, window = run_with_answer(env, "yes")
        procs.append(proc)
        check(wait_until(lambda: "Enter    , Run" in log_of(home), 15), "yes: monitoring begins")
        wait_until(lambda: False, 3)
        check("Refused" not in log_of(home), "yes: nothing is logged")
        check(window is not None and orange_pixels(env, window) == 0,
              "yes: the title line stays as it was")
    finally:
        stop_all(procs, xvfb, mock, bus)
    finish(ERRORS)


main()
