#!/usr/bin/env python3
"""Installs the build into a fresh prefix and checks what a desktop sees:
the desktop entry and the launcher, on a private Xvfb with a fresh home.
Usage: test BUILD_DIR APP_ID VERSION"""

import configparser
import os
import shutil
import signal
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from program_test_support import (check, finish, program_env, start_xvfb, stop,  # noqa: E402
                                  wait_until, window_ids)

BUILD, APP_ID, VERSION = sys.argv[1:4]
ERRORS = tempfile.TemporaryFile(mode="w+")


def read(path):
    return open(path, "rb").read()


def check_layout(prefix, launcher):
    entry = configparser.ConfigParser(interpolation=None)
    entry.read(os.path.join(prefix, "share/applications", APP_ID + ".desktop"))
    desktop = dict(entry["Desktop Entry"]) if entry.has_section("Desktop Entry") else {}
    icon = os.path.join(prefix, "share/icons/hicolor/scalable/apps", APP_ID + ".svg")
    check(desktop.get("exec") == launcher and desktop.get("icon") == APP_ID
          and b"<svg" in read(icon), "the desktop entry starts the installed launcher and "
          "names the installed icon: %r" % desktop.get("exec"))
    metainfo = read(os.path.join(prefix, "share/metainfo", APP_ID + ".metainfo.xml"))
    check(b'<release version="%s"' % VERSION.encode() in metainfo,
          "the installed metadata has a release of the version " + VERSION)


def check_launcher(launcher):
    xvfb, display = start_xvfb()
    home, env = program_env(display, "velnook-install-")
    env.pop("XDG_DATA_HOME", None)
    work = os.path.join(home, ".local/share/velnook")
    ini, log = os.path.join(work, "Data", "Velnook.ini"), os.path.join(work, "Log", "Velnook.log")
    shown = lambda n: wait_until(lambda: len(window_ids(env, "Velnook", True)) == n, 15)  # noqa
    # Own sessions: a launcher that forgot to exec leaves no program behind.
    launch = lambda *args: subprocess.Popen(  # noqa: E731
        [launcher, *args], cwd="/", env=env, stderr=ERRORS, stdout=subprocess.DEVNULL,
        start_new_session=True)
    runs = [launch()]
    try:
        check(shown(1) and os.path.isdir(os.path.join(home, "Downloads"))
              and wait_until(lambda: os.path.isfile(log), 15),
              "the launcher brings up the main window, makes ~/Downloads and the working "
              "directory, where the program logs")
        changed = read(ini).replace(b"DownDelay=300", b"DownDelay=301")
        open(ini, "wb").write(changed)
        before = read(log)
        # The instance guard lets a second one in only if -AllowMulti got through.
        runs.append(launch("-AllowMulti"))
        check(shown(2) and b"DownDelay=301" in read(ini) and read(log).startswith(before),
              "a second start passes its arguments on and keeps the changed settings and log")
    finally:
        for p in runs:
            if p.poll() is None:
                os.killpg(p.pid, signal.SIGKILL)
        stop(*runs, xvfb)
    data = tempfile.mkdtemp(prefix="velnook-xdg-")
    quiet = {k: v for k, v in env.items() if k not in ("DISPLAY", "QT_QPA_PLATFORM")}
    run = subprocess.run([launcher], cwd="/", env=dict(quiet, XDG_DATA_HOME=data),
                         capture_output=True, text=True, timeout=60)
    check(run.returncode == 1 and os.path.isfile(os.path.join(data, "velnook/Data/Velnook.ini")),
          "without a display the launcher hands on the program's exit, and XDG_DATA_HOME "
          "chooses where the working directory lives: " + run.stderr.strip())


prefix = tempfile.mkdtemp(prefix="velnook-prefix-")
install = subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix],
                         capture_output=True, text=True)
check(install.returncode == 0, "cmake --install succeeds" + (
    "" if install.returncode == 0 else ":\n" + install.stdout + install.stderr))
if install.returncode == 0:
    check_layout(prefix, os.path.join(prefix, "bin/velnook"))
    check_launcher(os.path.join(prefix, "bin/velnook"))
shutil.rmtree(prefix, ignore_errors=True)
finish(ERRORS)
