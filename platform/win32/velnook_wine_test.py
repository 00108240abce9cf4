#!/usr/bin/env python3
"""The real velnook.exe under Wine on a private Xvfb server; given a Linux
build, also a Wine master beside a native slave.
Usage: test velnook.exe wine [velnook velnook-prepare]"""

import os
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "linux"))
import program_test_support as support  # noqa: E402
from program_test_support import (MockSession, check, finish, free_port, log_of,  # noqa
                                  requests, set_settings, start_xvfb, stop, wait_exit,
                                  wait_for_window, wait_until, window_ids)

VELNOOK_EXE, WINE = sys.argv[1:3]
NATIVE = sys.argv[3:5]
OUTPUT = tempfile.TemporaryFile(mode="w+")
procs = []
# The default settings, but starting shown and soon, on a folder of the test's own.
SETTINGS = """[Comms]\nCMain=1\nDName=1\nIPAdd=\nPort1=10001\n\n[Run]\nAvTime=1\nDownDelay=300
DownLevel=2\nDPath={}\nLogLevel=2\nLogName=Velnook.log\nLogPath=Log\\\nRunOnTop=1\nStartDelay=1
StartMin=1\n\n[Shutdown]\nShutTime=60\nShutType=1\n"""


def prepare(**values):
    """A working directory with its settings; values replace settings by key."""
    work = tempfile.mkdtemp(prefix="velnook-wine-work-")
    for folder in ("Data", "Log", "dl"):
        os.makedirs(os.path.join(work, folder))
    dpath = "Z:" + os.path.join(work, "dl").replace("/", "\\") + "\\"  # Wine's Z: is the root
    ini = os.path.join(work, "Data", "Velnook.ini")
    open(ini, "wb").write(SETTINGS.format(dpath).replace("\n", "\r\n").encode("cp1252"))
    set_settings(ini, {k.encode(): str(v).encode() for k, v in values.items()})
    return work


def launch(env, work, *args, program=(WINE, VELNOOK_EXE)):
    procs.append(subprocess.Popen([*program, *args], cwd=work, env=dict(env, HOME=work),
                                  stdout=subprocess.DEVNULL, stderr=OUTPUT))
    return procs[-1]


def cancel_through_pipe(env):
    """-Cancel reaches the instance through its pipe and cancels as the button
    does (a second instance and the texts are the unit tests')."""
    work = prepare(DownDelay=5)
    counting = launch(env, work, "-InhibitShutdown")
    wait_until(lambda: "Enter    , Power Off" in log_of(work), 60)
    r = subprocess.run([WINE, VELNOOK_EXE, "-Cancel"], env=env, capture_output=True, text=True,
                       timeout=60)
    check(r.returncode == 0 and "cancelled" in r.stdout
          and wait_until(lambda: "Reset    , Power Off" in log_of(work), 10),
          "-Cancel cancels the -InhibitShutdown countdown: %r" % r.stdout)
    stop(counting)  # the next check's start would be a second instance


def tray_then_logoff(env):
    """Run Minimised shows only the tray icon, whose double-click brings the
    window back; a logoff ends the program as closing its window does."""
    work = prepare(StartMin=2)
    program = launch(env, work)
    trays = wait_for_window(env, "Wine System Tray", 30, visible=True)
    check(len(trays) == 1 and not window_ids(env, "Velnook", visible=True),
          "starting minimised puts the icon in the notification area, and no window")
    if trays:
        subprocess.run(["xdotool", "mousemove", "--window", trays[0], "9", "9", "click",
                        "--repeat", "2", "--delay", "80", "1"], env=env)
    check(len(wait_for_window(env, "Velnook", 15, visible=True)) == 1,
          "a double-click on the icon brings the main window back")
    subprocess.run([WINE, "wineboot", "--end-session"], env=env, timeout=60,
                   stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    check(wait_exit(program, 20) == 0 and " Exit     , " in log_of(work),
          "the session's end ends the program with status 0 and the Exit entry")


def mixed_pair(env):
    """A quiet Wine "Monitor" master closes itself; its silence makes the
    native slave ask for its action once. Signed with the slave's key, so both
    systems' libraries must agree."""
    velnook, velnook_prepare = NATIVE
    bus = MockSession(env)
    procs.extend(bus.processes)
    port = free_port()
    master_home = prepare(Port1=port, CMain=1, ShutType=4, IPAdd="127.0.0.1", DownDelay=5,
                          ShutTime=2, LogLevel=3)
    slave_home = support.prepare(velnook_prepare, env, {
        b"IPAdd": b"127.0.0.1", b"Port1": b"%d" % port, b"DownDelay": b"5", b"ShutTime": b"2",
        b"LogLevel": b"3", b"CMain": b"2", b"ShutType": b"1"})
    made = subprocess.run([velnook, "-PairKey"], cwd=slave_home, capture_output=True, text=True,
                          env={k: v for k, v in env.items() if k != "DISPLAY"}, timeout=30)
    key = ([w.rstrip(":") for w in made.stdout.split() if w.count("-") == 7] or ["none"])[0]
    subprocess.run([WINE, VELNOOK_EXE, "-PairKey", key], cwd=master_home, env=env,
                   capture_output=True, timeout=120)
    # The master first: Wine may take a while to bring a program up, and a
    # slave already waiting would count that as silence.
    master = launch(env, master_home)
    wait_until(lambda: log_of(master_home) != "", 60)
    slave = launch(env, slave_home, program=[velnook])
    check(wait_until(lambda: "Enter    , Monitor" in log_of(master_home), 40)
          and "Comms: -OK-" in log_of(slave_home) and not requests(bus.logind_calls, "PowerOff"),
          "the quiet master counts down; the slave hears its signed messages and waits: %r"
          % made.stdout)
    check(wait_until(lambda: master.poll() is not None, 20)
          and "Close    , Monitor" in log_of(master_home)
          and wait_until(lambda: slave.poll() is not None, 30)
          and "Close    , Power Off" in log_of(slave_home)
          and len(requests(bus.logind_calls, "PowerOff")) == 1,
          "the master closes itself; the slave counts down and makes exactly one request")


def main():
    xvfb, display = start_xvfb()
    # A prefix of its own, whose desktop (and tray) comes up on this display.
    prefix = tempfile.mkdtemp(prefix="velnook-wine-")
    env = dict(os.environ, DISPLAY=display, WINEPREFIX=prefix, WINEDEBUG="-all",
               QT_QPA_PLATFORM="xcb", VELNOOK_RUNTIME_DIR=tempfile.mkdtemp(prefix="velnook-run-"))
    env.pop("USERPROFILE", None)
    try:
        for job in (cancel_through_pipe, tray_then_logoff, mixed_pair)[:3 if NATIVE else 2]:
            job(env)
    finally:
        stop(*procs, xvfb)
        subprocess.run([os.path.join(os.path.dirname(WINE), "wineserver"), "-k"], env=env)
        shutil.rmtree(prefix, ignore_errors=True)
    finish(OUTPUT)


main()
