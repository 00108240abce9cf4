#!/usr/bin/env python3
"""The real program under X11 (Xvfb) or Wayland (weston), with a mock login
manager and notification server on a private bus; under Wayland only the
checks the display server can change.
Usage: velnook_end_to_end_test.py x11|wayland velnook velnook-prepare session_end_manager"""

import os
import signal
import subprocess
import sys
import tempfile
import time
from functools import partial

import program_test_support as support
from program_test_support import (MockSession, check, click_twips, finish, free_port, log_of,
                                  program_env, requests, run_all, start_weston, start_xvfb,
                                  stop, wait_exit, wait_for_window, wait_until)

MODE = sys.argv[1]
VELNOOK, PREPARE, SESSION_MANAGER = (os.path.abspath(a) for a in sys.argv[2:5])
OUTPUT = tempfile.TemporaryFile(mode="w+")
procs, servers = [], []
QUICK = {b"DownDelay": b"5", b"ShutTime": b"2"}  # only these checks count down soon
prepare = partial(support.prepare, PREPARE)


def launch(env, work, *args, prefix=()):
    p = subprocess.Popen([*prefix, VELNOOK, *args], cwd=work, env=dict(env, HOME=work),
                         stdout=subprocess.DEVNULL, stderr=OUTPUT)
    procs.append(p)
    return p


def logged(work, entry="Start    , Initialise", count=1, timeout=20):
    return wait_until(lambda: log_of(work).count(entry) >= count, timeout)


def answer_box(env, title, timeout=20):
    ids = wait_for_window(env, title, timeout, visible=True)
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], env=env)
        subprocess.run(["xdotool", "key", "Return"], env=env)
    return ids


def terminal_env(env, drop=("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS")):
    """A shell as over SSH: no display, no desktop bus."""
    return {k: v for k, v in env.items() if k not in drop}


def no_display(env):
    """No display, or one nobody serves: why on stderr, a status, no log."""
    work = prepare(env)
    for extra in ({}, {"DISPLAY": ":6999"}):
        run = subprocess.run([VELNOOK], cwd=work, capture_output=True, text=True, timeout=60,
                             env=dict(terminal_env(env, ("DISPLAY", "WAYLAND_DISPLAY",
                                                         "QT_QPA_PLATFORM")), HOME=work, **extra))
        check(run.returncode > 0 and "Velnook needs a graphical desktop: " in run.stderr
              and not log_of(work), "no display %r: a status of its own and why: %r"
              % (extra, run.stderr))


def second_instance(env):
    """The start-up error's Exit ends a second start."""
    work = prepare(env)
    first = launch(env, work)
    logged(work)
    second = launch(env, work)
    ids = wait_for_window(env, "Velnook Start Up Error", visible=True)
    if ids:
        click_twips(env, ids[0], 2220, 1140, 1200, 375)  # Exit
    check(len(ids) == 1 and wait_exit(second) == 0 and first.poll() is None,
          "a second instance shows the start-up error, whose Exit ends it alone")


def system_ends(env):
    """A signal or the session's end ends it as its window's close does."""
    work = prepare(env)
    ends = [signal.SIGTERM] + [signal.SIGINT, signal.SIGHUP, "logout"] * (MODE == "x11")
    for number, end in enumerate(ends, 1):
        if end == "logout":  # through its local socket: nothing of this goes over the network
            procs.append(subprocess.Popen([SESSION_MANAGER, "30"], stdout=subprocess.PIPE,
                                          text=True))
            ids = procs[-1].stdout.readline().strip().split(",")
            env = dict(env, SESSION_MANAGER=([i for i in ids if i.startswith("local/")] + [""])[0])
        p = launch(env, work)
        if logged(work, count=number) and end != "logout":
            p.send_signal(end)
        check(wait_exit(p, 30) == 0 and log_of(work).count(" Exit     , ") == number,
              "%s: starts with the lock free, ends with status 0 and the Exit entry"
              % getattr(end, "name", end))


def fatal_end(env):
    """A box that ends the program (all share one path) leaves a non-zero status."""
    work = prepare(env)
    os.remove(os.path.join(work, "Data", "Velnook.ini"))
    p = launch(env, work)
    check(bool(answer_box(env, "Velnook Configuration File Error")) and wait_exit(p) not in
          (None, 0), "a fatal end leaves a non-zero status")


def countdown_notification(env):
    """The notification's Cancel cancels the countdown and closes it."""
    work = prepare(env, {**QUICK, b"ShutType": b"5", b"ShutTime": b"11"})  # updated at 10 s
    p = launch(env, work)
    calls = lambda method: [a for _, a in BUS.mock.GetMethodCalls(method)]  # noqa: E731
    # Its first update names the server's number for it.
    ours = lambda: [a for a in calls("Notify") if "Hibernate" in a[4]]  # noqa: E731
    check(wait_until(lambda: len(ours()) >= 2, 25), "the countdown sends a notification")
    shown = int(ours()[1][1]) if len(ours()) >= 2 else -1
    BUS.mock.EmitSignal(BUS.NOTES, "ActionInvoked", "us", [shown, "cancel"])
    check(wait_until(lambda: "Reset    , Hibernate" in log_of(work), 10)
          and wait_until(lambda: shown in [a[0] for a in calls("CloseNotification")], 5)
          and p.poll() is None and not requests(BUS.logind_calls, "Hibernate"),
          "Cancel on the notification cancels the countdown, closes it and asks nothing")


def vanished_file_system(env):
    """The download folder's file system unmounted under a writer: the program ends."""
    work = prepare(env, {b"LogLevel": b"3", b"DownDelay": b"10", b"ShutType": b"6"})
    downloads = os.path.join(work, "Downloads")
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m", "velnook-test", downloads],
                   check=True)
    try:
        writer = subprocess.Popen(["sh", "-c", "while sleep 0.1; do head -c 10240 /dev/zero; "
                                   "done > part"], cwd=downloads)
        p = launch(env, work)
        check(wait_until(lambda: log_of(work).count(" Run      , ") >= 2, 30),
              "the download is measured on its own file system")
        subprocess.run(["umount", "-l", downloads], check=True)
        box = answer_box(env, "Velnook Download Directory Error", 10)
        check(box and wait_exit(p) not in (0, None) and "DirError , Unmounted" in log_of(work)
              and "Enter    , Standby" not in log_of(work)
              and not requests(BUS.logind_calls, "Suspend"), "the unmounted folder is "
              "reported missing and logged; the program ends without a countdown or request")
    finally:
        if os.path.ismount(downloads):
            subprocess.run(["umount", "-l", downloads])
        stop(writer)


def logged_runs(work):
    """The log's Run entries with a rate, as (seconds since midnight, KB/s)."""
    runs = []
    for line in log_of(work).splitlines():
        f = [x.strip() for x in line.split(",")]
        if len(f) > 4 and f[1] == "Run" and f[4][-1:].isdigit():
            h, m, sec = f[0].split()[-1].split(":")
            runs.append((int(h) * 3600 + int(m) * 60 + int(sec), float(f[4].split()[1])))
    return runs


def write_tree(root, folders, files_each, size):
    for d in range(folders):
        folder = os.path.join(root, "d%d" % (d // 100), "e%d" % d)
        os.makedirs(folder, exist_ok=True)
        for n in range(files_each):
            with open(os.path.join(folder, "f%d" % n), "wb") as out:
                out.write(b"x" * size)


def burst_after_overflow(env):
    """A burst past a small change queue: the logged rates add up to it within 1%."""
    work = prepare(env, {b"AvTime": b"1", b"LogLevel": b"3", b"DownDelay": b"600"})
    downloads = os.path.join(work, "Downloads")
    write_tree(downloads, 100, 100, 100)
    sysctl = "/proc/sys/fs/inotify/max_queued_events"
    queue = open(sysctl).read().strip()
    try:
        open(sysctl, "w").write("16")
        p = launch(env, work)
        check(wait_until(lambda: logged_runs(work), 20), "burst: the quiet tree is measured")
    finally:
        open(sysctl, "w").write(queue)  # the program's queue keeps its size
    wait_until(lambda: len(logged_runs(work)) >= 2, 5)
    start = time.monotonic()
    for step in range(6):
        write_tree(os.path.join(downloads, "new%d" % step), 2, 100, 1024)
        for n in range(200):
            with open(os.path.join(downloads, "d0", "e%d" % (n % 100), "b%d-%d" % (step, n)),
                      "wb") as out:
                out.write(b"x" * 1024)
        time.sleep(max(0, start + step + 1 - time.monotonic()))
    wait_until(lambda: [r for _, r in logged_runs(work)][-2:] == [0.0, 0.0], 10)
    rates = [r for _, r in logged_runs(work)]
    check(abs(sum(rates) - 2400) <= 24, "burst: the rates add up to the 2400 KB written: %.1f %r"
          % (sum(rates), rates))
    stop(p)


def out_of_watches(env):
    """Fewer watches than folders: the log and a note say so, and rates hold."""
    work = prepare(env, {b"AvTime": b"1", b"LogLevel": b"3", b"DownDelay": b"600"})
    downloads = os.path.join(work, "Downloads")
    write_tree(downloads, 300, 3, 10)
    writer = subprocess.Popen([sys.executable, "-c", """if True:
        import time
        start = time.monotonic()
        with open("part", "wb") as out:
            for k in range(1, 1000):
                time.sleep(max(0, start + k / 10 - time.monotonic()))
                out.write(b"x" * 10240)
                out.flush()"""], cwd=os.path.join(downloads, "d0"))
    p = launch(env, work, prefix=["unshare", "--user", "--map-root-user", "sh", "-c",
                                  'echo 100 > /proc/sys/user/max_inotify_watches && exec "$0"'])
    check(wait_until(lambda: "Walking  , No watches" in log_of(work), 15),
          "out of watches: the log says the tree is walked")
    height = lambda: subprocess.run(  # noqa: E731
        ["xdotool", "search", "--onlyvisible", "--name", "^Velnook$", "getwindowgeometry", "%@"],
        env=env, capture_output=True, text=True).stdout
    check(wait_until(lambda: "x%d\n" % (1260 // 15) in height(), 5),
          "out of watches: the window grows a line for its note: %r" % height())
    before = len(logged_runs(work))
    wait_until(lambda: len(logged_runs(work)) >= before + 12, 20)
    runs = logged_runs(work)[before + 1:]  # the first may still hold a start-up second
    span = runs[-1][0] - runs[0][0] if runs else 0
    check(len(runs) >= 11 and abs(span - (len(runs) - 1)) <= (len(runs) - 1) * 0.1,
          "out of watches: %d seconds last %d s by the log" % (len(runs) - 1, span))
    check(runs and all(90 <= r <= 110 for _, r in runs),
          "out of watches: a 100 KB/s download reads 100 KB/s: %r" % [r for _, r in runs])
    stop(p, writer)


def pair(env, signed):
    """A quiet "Monitor" master closes itself; its silence makes the slave act."""
    action, method = ("Power Off", "PowerOff") if signed else ("Reboot", "Reboot")
    common = {**QUICK, b"IPAdd": b"127.0.0.1", b"Port1": b"%d" % free_port(), b"LogLevel": b"3"}
    master_home = prepare(env, {**common, b"CMain": b"1", b"ShutType": b"4"})
    slave_home = prepare(env, {**common, b"CMain": b"2", b"ShutType": b"1" if signed else b"2"})
    tag = "signed: " if signed else "unsigned: "
    if signed:  # a key made on the master, typed in on the slave, from shells without display
        made = subprocess.run([VELNOOK, "-PairKey"], cwd=master_home, capture_output=True,
                              env=terminal_env(env), text=True)
        key = ([w.rstrip(":") for w in made.stdout.split() if w.count("-") == 7] or ["-"])[0]
        subprocess.run([VELNOOK, "-PairKey", key.lower()], cwd=slave_home,
                       env=terminal_env(env), stdout=subprocess.DEVNULL)
        check(os.stat(os.path.join(slave_home, "Data", "Velnook.key")).st_mode & 0o077 == 0,
              "-PairKey stores the key for the user alone: %r" % made.stdout)
    master = launch(env, master_home)
    check(logged(master_home), tag + "the master starts")
    slave = launch(env, slave_home, "-AllowMulti")  # beside the master's instance lock
    check(logged(master_home, "Enter    , Monitor", timeout=30)
          and "Comms: -OK-" in log_of(slave_home) and not requests(BUS.logind_calls, method),
          tag + "the quiet master counts down; the slave hears it and asks nothing meanwhile")
    check(wait_until(lambda: master.poll() is not None, 15)
          and "Close    , Monitor" in log_of(master_home)
          and wait_until(lambda: slave.poll() is not None, 30)
          and "Close    , " + action in log_of(slave_home)
          and len(requests(BUS.logind_calls, method)) == 1,
          tag + "the master closes itself; the slave acts on the silence, asking once")


def terminal_cancel(env):
    """`velnook -Cancel` from a shell fails with no countdown, else cancels it."""
    work = prepare(env, {b"StartDelay": b"2", b"DownDelay": b"5", b"ShutTime": b"60"})
    own = launch(env, work)
    cancel = lambda env: subprocess.run([VELNOOK, "-Cancel"], env=terminal_env(env),  # noqa
                                        capture_output=True, text=True, timeout=30)
    answers = []
    wait_until(lambda: answers.append(cancel(env)) or answers[-1].returncode == 1, 10)
    check(answers[-1].returncode == 1 and "not counting down" in answers[-1].stderr,
          "before the countdown: nothing to cancel: %r" % answers[-1].stderr)
    check(logged(work, "Enter    , Power Off"), "the instance counts down")
    r = cancel(env)
    check(r.returncode == 0 and "cancelled" in r.stdout and own.poll() is None
          and wait_until(lambda: "Reset    , Power Off" in log_of(work), 5),
          "-Cancel cancels the countdown as the button does: %r" % r.stdout)


def desktop():
    """A check's own runtime folder, and under X11 its own display."""
    env = dict(BASE, VELNOOK_RUNTIME_DIR=tempfile.mkdtemp(prefix="velnook-runtime-"))
    if MODE == "x11":
        xvfb, env["DISPLAY"] = start_xvfb()
        servers.append(xvfb)
    return env


def main():
    global BASE, BUS
    if MODE == "wayland":
        runtime = tempfile.mkdtemp(prefix="velnook-runtime-")
        servers.append(start_weston(runtime))
        BASE = dict({k: v for k, v in os.environ.items() if k not in (
            "DISPLAY", "USERPROFILE", "XDG_CONFIG_HOME")}, XDG_RUNTIME_DIR=runtime,
            WAYLAND_DISPLAY=servers[0].name, QT_QPA_PLATFORM="wayland")
    else:
        BASE = program_env("", "velnook-e2e-home-")[1]
    BUS = MockSession(BASE)
    checks = [countdown_notification, system_ends]
    if MODE == "x11":
        checks += [partial(pair, signed=True), partial(pair, signed=False), terminal_cancel,
                   fatal_end, second_instance, no_display]
        if os.geteuid() == 0:  # only root may mount and set the change queue
            checks += [vanished_file_system, out_of_watches]
    try:
        run_all(*checks, make=lambda: (desktop(),))
        if MODE == "x11" and os.geteuid() == 0:  # alone: the small queue is everyone's
            run_all(burst_after_overflow, make=lambda: (desktop(),))
    finally:
        stop(*procs, *BUS.processes, *servers)
    finish(OUTPUT)


main()
