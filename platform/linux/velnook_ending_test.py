#!/usr/bin/env python3
"""How the real velnook program ends, under a private Xvfb server: SIGTERM,
SIGINT, SIGHUP and a desktop session ending (through a session manager of
the test's own) end it the orderly way closing its window does (an "Exit"
entry, status 0, the instance lock free again), and every message that ends
the program leaves a non-zero exit status. No system bus is reachable, so a
power request fails and can never reach the machine.
Usage: velnook_ending_test.py velnook velnook-prepare session_end_manager"""

import os
import shutil
import signal
import socket
import subprocess
import sys
import tempfile

from program_test_support import (check, click_twips, failures, free_port, log_of,
                                  program_env, set_settings, start_xvfb, stop_all, wait_exit,
                                  wait_for_window, wait_until, window_ids)

VELNOOK, PREPARE, SESSION_MANAGER = sys.argv[1], sys.argv[2], sys.argv[3]
procs = []


def prepare(env, values):
    """A fresh working folder with the default settings changed by values."""
    work = tempfile.mkdtemp(prefix="velnook-ending-")
    subprocess.run([PREPARE, work], env=dict(env, HOME=work), check=True,
                   stdout=subprocess.DEVNULL)
    os.makedirs(os.path.join(work, "dls"))
    settings = {b"StartMin": b"1", b"DPath": b"dls\\"}
    settings.update(values)
    set_settings(os.path.join(work, "Data", "Velnook.ini"), settings)
    return work


def launch(env, work, *args):
    p = subprocess.Popen([VELNOOK, *args], cwd=work, env=dict(env, HOME=work),
                         stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    procs.append(p)
    return p


def answer_box(env, title, timeout=20.0):
    """Waits for the message box and presses its default button."""
    ids = wait_for_window(env, title, timeout, visible=True)
    if not ids:
        return False
    subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], env=env)
    subprocess.run(["xdotool", "key", "Return"], env=env)
    return True


def started(work, runs=1):
    return wait_until(lambda: log_of(work).count("Start    , Initialise") >= runs, 15)


def signals_end_in_order(env):
    work = prepare(env, {})
    for number, sig in enumerate((signal.SIGTERM, signal.SIGINT, signal.SIGHUP), 1):
        name = signal.Signals(sig).name
        # A plain start: the previous run must have let go of the lock.
        p = launch(env, work)
        check(started(work, number) and not window_ids(env, "Velnook Start Up Error"),
              "%s: the program starts with the lock free" % name)
        p.send_signal(sig)
        check(wait_exit(p) == 0, "%s ends the program with status 0" % name)
        exits = log_of(work).count(" Exit     , ")
        check(exits == number, "%s writes the Exit entry (%d of %d)" % (name, exits, number))

    p = launch(env, work)
    mains = wait_for_window(env, "Velnook", visible=True)
    check(started(work, 4) and len(mains) == 1, "a normal run shows its window")
    if mains:
        click_twips(env, mains[0], 6235, 585, 980, 345)  # Exit
    check(wait_exit(p) == 0, "the Exit button ends with status 0")


def session_ends(env):
    """A logout: the session manager asks the program to save for a shutdown,
    then tells it to die."""
    work = prepare(env, {})
    manager = subprocess.Popen([SESSION_MANAGER, "30"], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    procs.append(manager)
    # Only the local socket: nothing of this goes over the network.
    ids = [i for i in manager.stdout.readline().strip().split(",") if i.startswith("local/")]
    check(len(ids) == 1, "the session manager listens on a local socket")
    p = launch(dict(env, SESSION_MANAGER=ids[0] if ids else ""), work)
    check(started(work), "the program starts in the session")
    status = wait_exit(manager, 30)
    check(status == 0, "the program leaves the session when told to die")
    if status != 0:
        print(manager.stderr.read() if status is not None else "still waiting")
    check(wait_exit(p) == 0, "the session's end ends the program with status 0")
    check(" Exit     , " in log_of(work), "the session's end writes the Exit entry")


def fatal_end(env, what, title, values, before=None, during=None):
    work = prepare(env, values)
    if before:
        before(work)
    p = launch(env, work)
    if during:
        during(work)
    shown = answer_box(env, title)
    check(shown, "%s shows %r" % (what, title))
    status = wait_exit(p)
    check(status not in (None, 0), "%s ends with a non-zero status (%r)" % (what, status))
    if status is None:
        p.kill()
        p.wait()


def fatal_ends(env):
    fatal_end(env, "a missing settings file", "Velnook Configuration File Error", {},
              before=lambda work: os.remove(os.path.join(work, "Data", "Velnook.ini")))
    fatal_end(env, "a settings value out of range", "Velnook Configuration File Error",
              {b"AvTime": b"0"})
    fatal_end(env, "a missing log folder", "Velnook Log Directory Error",
              {b"LogPath": b"NoSuchFolder\\"})
    fatal_end(env, "no Data folder", "Velnook Data Directory Error", {},
              before=lambda work: shutil.rmtree(os.path.join(work, "Data")))

    port = free_port()
    holder = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
    holder.bind(("0.0.0.0", port))
    try:
        fatal_end(env, "Yes to the port question", "Velnook Slave Port Error",
                  {b"CMain": b"2", b"IPAdd": b"127.0.0.1", b"Port1": b"%d" % port})
    finally:
        holder.close()

    def remove_downloads(work):
        started(work)
        shutil.rmtree(os.path.join(work, "dls"))
    fatal_end(env, "a download folder gone while monitoring", "Velnook Download Directory Error",
              {b"StartDelay": b"1"}, during=remove_downloads)
    fatal_end(env, "a power request that fails", "Velnook Error",
              {b"StartDelay": b"1", b"AvTime": b"1", b"DownDelay": b"5", b"ShutTime": b"2"})


def main():
    xvfb, display = start_xvfb()
    _, env = program_env(display, "velnook-ending-home-")
    print("display " + display, flush=True)
    try:
        signals_end_in_order(env)
        session_ends(env)
        fatal_ends(env)
    finally:
        stop_all(procs, xvfb)
    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
