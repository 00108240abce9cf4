#!/usr/bin/env python3
"""Installs the build into a fresh prefix and checks what a desktop sees:
the layout, a desktop entry whose Exec is the installed launcher, and the
launcher itself, run under a private Xvfb server with a fresh home: it
prepares the user's working directory, starts the program there, passes its
arguments on, and keeps a changed settings file and the log on the next start.
Usage: test BUILD_DIR APP_ID VERSION"""

import configparser
import os
import shlex
import shutil
import signal
import subprocess
import sys
import tempfile
import time
import xml.etree.ElementTree as ET

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), ".."))
from program_test_support import check, failures, program_env, start_xvfb  # noqa: E402

BUILD, APP_ID, VERSION = sys.argv[1], sys.argv[2], sys.argv[3]


def main_windows(env):
    # Visible only: Qt's unmapped leader window is named "velnook", and
    # xdotool matches names without regard to case.
    return subprocess.run(["xdotool", "search", "--onlyvisible", "--name", "^Velnook$"], env=env,
                          capture_output=True, text=True).stdout.split()


def wait_until(cond, timeout=15.0):
    end = time.time() + timeout
    while not cond() and time.time() < end:
        time.sleep(0.1)
    return cond()


def read(path):
    with open(path, "rb") as f:
        return f.read()


def check_layout(prefix):
    for program in ("bin/velnook", "libexec/velnook/velnook", "libexec/velnook/velnook-prepare"):
        path = os.path.join(prefix, program)
        check(os.path.isfile(path) and os.access(path, os.X_OK), program + " is installed")
    desktop = os.path.join(prefix, "share/applications", APP_ID + ".desktop")
    icon = os.path.join(prefix, "share/icons/hicolor/scalable/apps", APP_ID + ".svg")
    metainfo = os.path.join(prefix, "share/metainfo", APP_ID + ".metainfo.xml")
    for path in (desktop, icon, metainfo):
        check(os.path.isfile(path), os.path.relpath(path, prefix) + " is installed")
    if not os.path.isfile(desktop) or not os.path.isfile(metainfo):
        return None

    entry = configparser.ConfigParser(interpolation=None)
    entry.optionxform = str
    entry.read(desktop)
    exec_line = entry["Desktop Entry"].get("Exec", "")
    argv = shlex.split(exec_line)
    check(argv == [os.path.join(prefix, "bin/velnook")],
          "the desktop entry starts the installed launcher: " + exec_line)
    check(entry["Desktop Entry"].get("Icon") == APP_ID, "the desktop entry names the icon")
    check(b"<svg" in read(icon), "the icon is an SVG")

    component = ET.parse(metainfo).getroot()
    check(component.findtext("id") == APP_ID, "the metadata has the application's id")
    check(component.findtext("launchable") == APP_ID + ".desktop",
          "the metadata launches the desktop entry")
    releases = component.findall("releases/release")
    check(bool(releases) and releases[0].get("version") == VERSION,
          "the newest release in the metadata is the project's version " + VERSION)
    return argv


def check_launcher(argv, prefix):
    xvfb, display = start_xvfb()
    home, env = program_env(display, "velnook-install-")
    env.pop("XDG_DATA_HOME", None)
    work = os.path.join(home, ".local/share/velnook")
    ini = os.path.join(work, "Data", "Velnook.ini")
    log = os.path.join(work, "Log", "Velnook.log")
    errors = tempfile.TemporaryFile(mode="w+")
    procs = []

    def launch(*args):
        # Its own session: a launcher that forgot to exec leaves no program behind.
        p = subprocess.Popen(argv + list(args), cwd="/", env=env, stdout=subprocess.DEVNULL,
                             stderr=errors, start_new_session=True)
        procs.append(p)
        return p

    try:
        first = launch()
        check(wait_until(lambda: len(main_windows(env)) == 1),
              "the launcher brings up the main window")
        check(os.path.isfile(ini), "the first start writes the default settings")
        check(os.path.isdir(os.path.join(home, "Downloads")), "the first start makes ~/Downloads")
        check(wait_until(lambda: os.path.isfile(log)),
              "the program runs in the working directory: its log is there")

        changed = read(ini).replace(b"DownDelay=300", b"DownDelay=301")
        check(changed != read(ini), "the default settings hold DownDelay=300")
        with open(ini, "wb") as f:
            f.write(changed)
        before = read(log)
        # The instance guard lets a second one in only if -AllowMulti got through.
        second = launch("-AllowMulti")
        check(wait_until(lambda: len(main_windows(env)) == 2),
              "a second start passes its arguments on to the program")
        check(read(ini) == changed, "a second start keeps the changed settings")
        check(read(log).startswith(before), "a second start keeps the log")
        check(first.poll() is None and second.poll() is None, "both instances run")
    finally:
        for p in procs:
            if p.poll() is None:
                os.killpg(p.pid, signal.SIGKILL)
            p.wait()
        xvfb.terminate()
        xvfb.wait()
        if failures:
            errors.seek(0)
            print("program output:\n" + errors.read())

    # Without a display the program says so; XDG_DATA_HOME moves the directory.
    data = tempfile.mkdtemp(prefix="velnook-xdg-")
    quiet = {k: v for k, v in env.items()
             if k not in ("DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM")}
    quiet["XDG_DATA_HOME"] = data
    run = subprocess.run(argv, cwd="/", env=quiet, capture_output=True, text=True, timeout=60)
    check(run.returncode == 1 and "needs a graphical desktop" in run.stderr,
          "the launcher hands on the program's exit without a display: " + run.stderr.strip())
    check(os.path.isfile(os.path.join(data, "velnook", "Data", "Velnook.ini")),
          "XDG_DATA_HOME chooses where the working directory lives")
    for folder in (home, env["XDG_RUNTIME_DIR"], data):
        shutil.rmtree(folder, ignore_errors=True)


def main():
    prefix = tempfile.mkdtemp(prefix="velnook-prefix-")
    install = subprocess.run(["cmake", "--install", BUILD, "--prefix", prefix],
                             capture_output=True, text=True)
    check(install.returncode == 0, "cmake --install succeeds")
    if install.returncode != 0:
        print(install.stdout + install.stderr)
    argv = check_layout(prefix) if install.returncode == 0 else None
    if argv and os.access(argv[0], os.X_OK):
        check_launcher(argv, prefix)
    shutil.rmtree(prefix, ignore_errors=True)
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
