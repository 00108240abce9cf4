#!/usr/bin/env python3
"""Runs the real velnook.exe under Wine on a private Xvfb server: the main
window in a prepared working directory, the start-up error window of a
second start and its Exit button, -Cancel through the pipe, the
notification icon, a logoff, and the message of a missing settings file.
Usage: test velnook.exe wine"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "linux"))
import program_test_support as support  # noqa: E402
from program_test_support import check, failures, start_xvfb, wait_until, window_ids  # noqa: E402


# The settings the program writes by default, but starting shown and
# watching a folder of the test's own.
SETTINGS = """[Comms]
CMain=1
DName=1
IPAdd=
Port1={port}

[Run]
AvTime=5
DownDelay=300
DownLevel=2
DPath={dpath}
LogLevel=2
LogName=Velnook.log
LogPath=Log\\
RunOnTop=1
StartDelay=2
StartMin=1

[Shutdown]
ShutTime=60
ShutType=1
"""


def windows_path(unix):
    """The path as Wine's Z: drive shows the Unix root."""
    return "Z:" + unix.replace("/", "\\")


def prepare(work, port=10001, **values):
    """A working directory with its settings; values replace settings by key."""
    os.makedirs(os.path.join(work, "Data"))
    os.makedirs(os.path.join(work, "Log"))
    os.makedirs(os.path.join(work, "dl"))
    text = SETTINGS.format(port=port, dpath=windows_path(os.path.join(work, "dl")) + "\\")
    lines = []
    for line in text.split("\n"):
        key = line.split("=")[0]
        lines.append(key + "=" + str(values[key]) if "=" in line and key in values else line)
    text = "\n".join(lines)
    with open(os.path.join(work, "Data", "Velnook.ini"), "wb") as f:
        f.write(text.replace("\n", "\r\n").encode("cp1252"))


# Wine starts and draws more slowly than Qt: longer waits, a longer settle.
def wait_for_window(env, name, timeout=30.0, visible=False):
    return support.wait_for_window(env, name, timeout, visible)


def wait_exit(proc, timeout=20.0):
    return support.wait_exit(proc, timeout)


def click_twips(env, window, left, top, width, height):
    support.click_twips(env, window, left, top, width, height, settle=0.5)


def tray_round_trip(env, launch):
    """Run Minimised: only the notification icon shows (in Wine's tray
    window); a double-click on it brings the main window back."""
    work = tempfile.mkdtemp(prefix="velnook-wine-tray-")
    prepare(work, StartMin=2)
    program = launch("-AllowMulti", cwd=work)
    trays = wait_for_window(env, "Wine System Tray", visible=True)
    check(len(trays) == 1, "starting minimised puts the icon in the notification area")
    check(not window_ids(env, "Velnook", visible=True), "and shows no main window")
    if trays:
        subprocess.run(["xdotool", "mousemove", "--window", trays[0], "9", "9", "click",
                        "--repeat", "2", "--delay", "80", "1"], env=env)
    check(len(wait_for_window(env, "Velnook", 15, visible=True)) == 1,
          "a double-click on the icon brings the main window back")
    program.kill()
    program.wait()
    shutil.rmtree(work, ignore_errors=True)


def session_end(env, launch, wine, work):
    """A logoff: Windows asks every window whether the session may end, then
    ends it; the program unloads as if its window were closed."""
    log = os.path.join(work, "Log", "Velnook.log")
    exits = open(log, "rb").read().count(b" Exit     , ")
    program = launch()
    check(len(wait_for_window(env, "Velnook")) >= 1, "a run that the session's end will end")
    subprocess.run([wine, "wineboot", "--end-session"], env=env, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    check(wait_exit(program) == 0, "the session's end ends the program with status 0")
    check(open(log, "rb").read().count(b" Exit     , ") == exits + 1,
          "the session's end writes the Exit entry")


def cancel_from_console(wine, velnook, env):
    return subprocess.run([wine, velnook, "-Cancel"], env=env, capture_output=True, text=True,
                          timeout=60)


def main(velnook, wine):
    wineserver = os.path.join(os.path.dirname(wine), "wineserver")
    xvfb, display = start_xvfb()
    own_prefix = "WINEPREFIX" not in os.environ
    prefix = os.environ.get("WINEPREFIX") or tempfile.mkdtemp(prefix="velnook-wine-")
    env = dict(os.environ, DISPLAY=display, WINEPREFIX=prefix, WINEDEBUG="-all")
    work = tempfile.mkdtemp(prefix="velnook-wine-work-")
    procs = []

    def launch(*args, cwd=work):
        p = subprocess.Popen([wine, velnook, *args], cwd=cwd, env=env,
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        procs.append(p)
        return p

    try:
        prepare(work)
        first = launch()
        mains = wait_for_window(env, "Velnook")
        check(len(mains) >= 1, "first instance shows its main window")
        check(first.poll() is None, "first instance keeps running")

        second = launch()
        ids = wait_for_window(env, "Velnook Start Up Error")
        check(len(ids) == 1, "second instance shows the start-up error window")
        if ids:
            click_twips(env, ids[0], 2220, 1140, 1200, 375)  # Exit
        check(wait_exit(second) == 0, "Exit ends the second instance")
        check(first.poll() is None, "the first instance is unaffected")
        r = cancel_from_console(wine, velnook, env)
        check(r.returncode == 1 and "not counting down" in r.stderr,
              "-Cancel reaches the instance through its pipe: nothing to cancel yet: %r" % r.stderr)

        if mains:
            click_twips(env, mains[0], 6235, 585, 980, 345)  # Exit
        check(wait_exit(first) == 0, "Exit ends the first instance")
        log = open(os.path.join(work, "Log", "Velnook.log"), "rb").read()
        check(b"Exit     , Initialise" in log or b"Exit     , Run" in log,
              "the first instance logged its exit")

        r = cancel_from_console(wine, velnook, env)
        check(r.returncode == 2 and r.stdout == "", "-Cancel with nothing running fails: %r" % r.stderr)
        counting = launch("-InhibitShutdown")
        check(wait_until(lambda: "Enter    , Power Off" in support.log_of(work), 60),
              "-InhibitShutdown counts down")
        r = cancel_from_console(wine, velnook, env)
        check(r.returncode == 0 and "cancelled" in r.stdout, "-Cancel cancels it: %r" % r.stdout)
        check(wait_until(lambda: "Reset    , Power Off" in support.log_of(work), 10),
              "as the Cancel button does")
        counting.kill()
        counting.wait()

        tray_round_trip(env, launch)
        session_end(env, launch, wine, work)

        bare = tempfile.mkdtemp(prefix="velnook-wine-noini-")
        os.makedirs(os.path.join(bare, "Data"))
        lone = launch(cwd=bare)
        check(len(wait_for_window(env, "Velnook Configuration File Error")) == 1,
              "a missing settings file shows the configuration file error")
        lone.kill()
        lone.wait()
        shutil.rmtree(bare, ignore_errors=True)
    finally:
        support.stop_all(procs, xvfb)
        if own_prefix:
            subprocess.run([wineserver, "-k"], env=env)
            shutil.rmtree(prefix, ignore_errors=True)
        shutil.rmtree(work, ignore_errors=True)

    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
