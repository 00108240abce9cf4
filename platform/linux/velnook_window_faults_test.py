#!/usr/bin/env python3
"""What only a real window manager shows: openbox on private Xvfb servers,
with trayer as notification area and without, and qt_window_faults_test.
Usage: test velnook velnook-prepare qt_window_faults_test"""

import os
import subprocess
import sys
import tempfile
import time

from program_test_support import (check, click_twips, finish, free_port, log_of, program_env,
                                  run_all, prepare, start_xvfb, stop, wait_for_window,
                                  wait_until, window_ids)

VELNOOK, PREPARE, QT_CHECKS = (os.path.abspath(a) for a in sys.argv[1:4])
ERRORS = tempfile.TemporaryFile(mode="w+")
procs = []


def desktop(tray):
    xvfb, display = start_xvfb()
    work, env = program_env(display, "velnook-faults-")
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    procs.extend((wm, xvfb))
    wait_until(lambda: "(WINDOW)" in xprop(env, "-root", "_NET_SUPPORTING_WM_CHECK"), 10)
    if tray:
        procs.insert(0, subprocess.Popen(
            ["trayer", "--edge", "bottom", "--widthtype", "pixel", "--width", "120"], env=env,
            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
        # It owns the tray a moment after its window shows.
        wait_until(lambda: bool(window_ids(env, "panel")), 10)
        time.sleep(0.5)
    return work, env


def xprop(env, window, prop):
    where = ["-root"] if window == "-root" else ["-id", window]
    return subprocess.run(["xprop", *where, prop], env=env, capture_output=True,
                          text=True).stdout


def off_screen(env, tray):
    if tray:
        return not window_ids(env, "Velnook", visible=True)
    return any("Iconic" in xprop(env, w, "WM_STATE") for w in window_ids(env, "Velnook"))


def countdown_comes_back(tray):
    """Started minimised, the countdown brings the window back on top, where
    activating leaves it, but asking for attention: the keyboard stays with
    another program. Cancel takes it away again. "Monitor" only closes."""
    work, env = desktop(tray)
    prepare(PREPARE, env, {b"Port1": b"%d" % free_port(), b"IPAdd": b"127.0.0.1",
                           b"ShutType": b"4", b"DownDelay": b"5", b"ShutTime": b"60",
                           b"RunOnTop": b"1", b"StartMin": b"2"}, work)
    where = " (with a notification area)" if tray else " (without one)"
    typing = subprocess.Popen(["xmessage", "-name", "typing", "-buttons", "okay:101", "-default",
                               "okay", "another program"], env=env)
    procs[:0] = [typing, subprocess.Popen([VELNOOK], cwd=work, env=env, stderr=ERRORS,
                                          stdout=subprocess.DEVNULL)]
    other = wait_for_window(env, "typing", visible=True)
    if other:
        subprocess.run(["xdotool", "windowactivate", "--sync", other[0]], env=env)
    check(wait_until(lambda: "Start    , Initialise" in log_of(work), 15)
          and wait_until(lambda: off_screen(env, tray), 5),
          "start-up takes the window off the screen" + where)
    mains = wait_for_window(env, "Velnook", timeout=20, visible=True) or ["0"]
    above = lambda: "_NET_WM_STATE_ABOVE" in xprop(env, mains[0], "_NET_WM_STATE")  # noqa: E731
    check(wait_until(above, 3), "the countdown brings the window back, above others" + where)
    time.sleep(1)  # room for a wrong activation
    active = subprocess.run(["xdotool", "getactivewindow"], env=env, capture_output=True,
                            text=True).stdout.strip()
    check(bool(other) and active == other[0] and (
        "_NET_WM_STATE_DEMANDS_ATTENTION" in xprop(env, mains[0], "_NET_WM_STATE") or
        "urgency" in xprop(env, mains[0], "WM_HINTS")),
        "the other program keeps the keyboard; the window asks for attention" + where)
    check('"org.velnook.Velnook"' in xprop(env, mains[0], "WM_CLASS"),
          "the window's class is the desktop entry's name" + where)
    click_twips(env, mains[0], 90, 0, 6240, 255)  # its title line: activates it
    subprocess.run(["xdotool", "windowactivate", "--sync", mains[0]], env=env)
    time.sleep(0.5)
    check(above(), "activating it leaves it above" + where)
    click_twips(env, mains[0], 3960, 585, 980, 345)  # Cancel
    check(wait_until(lambda: "Reset" in log_of(work) and off_screen(env, tray), 5),
          "Cancel takes the window off the screen again" + where)


def qt_checks():
    env = desktop(tray=False)[1]
    qt = subprocess.run([QT_CHECKS], env=env, capture_output=True, text=True, timeout=120)
    check(qt.returncode == 0, "qt_window_faults_test passes under openbox" +
          ("" if qt.returncode == 0 else ":\n" + qt.stdout + qt.stderr))


try:
    run_all(lambda: countdown_comes_back(True), lambda: countdown_comes_back(False), qt_checks)
finally:
    stop(*procs)
finish(ERRORS)
