#!/usr/bin/env python3
"""The real velnook program from start to end, under X11 (a private Xvfb
server) or natively under Wayland (weston's headless backend), with
python-dbusmock's login manager and notification server on private buses, so
no power request can reach this machine. Each check is a function of its
own; the ones that need X11's window tools run only there.
Usage: velnook_end_to_end_test.py x11|wayland velnook velnook-prepare session_end_manager"""

import os
import pwd
import shutil
import signal
import socket
import stat
import subprocess
import sys
import tempfile

from program_test_support import (MockSession, check, click_twips, finish, free_port, log_of,
                                  open_screen_and_save_delay, power_off_requests, program_env,
                                  set_settings, start_weston, start_xvfb, stop_all, wait_exit,
                                  wait_for_window, wait_until, window_ids)

MODE = sys.argv[1]
VELNOOK, PREPARE, SESSION_MANAGER = (os.path.abspath(a) for a in sys.argv[2:5])
OUTPUT = tempfile.TemporaryFile(mode="w+")
procs = []


def as_user(uid):
    return ["setpriv", "--reuid=%d" % uid, "--regid=%d" % uid, "--clear-groups"] if uid else []


def prepare(env, values=None, uid=0):
    """A fresh working folder, the user's given by uid, with the default
    settings changed by values."""
    work = tempfile.mkdtemp(prefix="velnook-e2e-")
    if uid:
        os.chown(work, uid, uid)
    subprocess.run([*as_user(uid), PREPARE, work], env=dict(env, HOME=work), check=True,
                   stdout=subprocess.DEVNULL)
    settings = {b"StartMin": b"1", b"StartDelay": b"1"}
    settings.update(values or {})
    set_settings(os.path.join(work, "Data", "Velnook.ini"), settings)
    return work


def launch(env, work, *args, user=()):
    p = subprocess.Popen([*user, VELNOOK, *args], cwd=work, env=dict(env, HOME=work),
                         stdout=subprocess.DEVNULL, stderr=OUTPUT)
    procs.append(p)
    return p


def started(work, runs=1):
    return wait_until(lambda: log_of(work).count("Start    , Initialise") >= runs, 15)


def end(*ps):
    for p in ps:
        p.kill()
        p.wait()


def answer_box(env, title, timeout=20):
    """Waits for the message box so titled and answers it with Return."""
    ids = wait_for_window(env, title, timeout, visible=True)
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[0]], env=env)
        subprocess.run(["xdotool", "key", "Return"], env=env)
    return ids


def no_display(env):
    """Without a display it says why on stderr and exits with a status of its
    own, leaving the settings and the log alone."""
    work = prepare(env)
    before = open(os.path.join(work, "Data", "Velnook.ini"), "rb").read()
    base = {k: v for k, v in env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY",
                                                      "QT_QPA_PLATFORM")}
    for what, extra, reason in (
            ("nothing set", {}, "no display found (DISPLAY and WAYLAND_DISPLAY are not set)."),
            ("a display nobody serves", {"DISPLAY": ":4999"}, "cannot connect to display :4999."),
            ("xcb without DISPLAY", {"QT_QPA_PLATFORM": "xcb"},
             "no display found (DISPLAY is not set).")):
        run = subprocess.run([VELNOOK], cwd=work, env=dict(base, HOME=work, **extra),
                             capture_output=True, text=True, timeout=60)
        check(run.returncode > 0 and "Velnook needs a graphical desktop: " + reason in run.stderr,
              "%s: a status of its own and why: %d %r" % (what, run.returncode, run.stderr))
    check(open(os.path.join(work, "Data", "Velnook.ini"), "rb").read() == before
          and not os.path.exists(os.path.join(work, "Log", "Velnook.log")),
          "no display: the settings and the log are untouched")


def desktop_download_folder(env):
    """velnook-prepare writes the desktop's download folder, in its language."""
    home = tempfile.mkdtemp(prefix="velnook-desktop-")
    os.makedirs(os.path.join(home, ".config"))
    with open(os.path.join(home, ".config", "user-dirs.dirs"), "w", encoding="utf-8") as f:
        f.write('XDG_DOWNLOAD_DIR="$HOME/Téléchargements"\n')
    work = os.path.join(home, "app")
    os.mkdir(work)
    subprocess.run([PREPARE, work], env=dict(env, HOME=home), check=True,
                   stdout=subprocess.DEVNULL)
    text = open(os.path.join(work, "Data", "Velnook.ini"), "rb").read()
    check("\r\nDPath=~/Téléchargements/\r\n".encode() in text
          and os.path.isdir(os.path.join(home, "Téléchargements"))
          and os.path.isdir(os.path.join(work, "Log")),
          "velnook-prepare writes and makes the desktop's download folder and Log")


def second_instance(env):
    """The instance guard: the start-up error window and its Exit,
    "-AllowMulti" only as the last word, and a lock freed by SIGKILL."""
    work = prepare(env)
    first = launch(env, work)
    mains = wait_for_window(env, "Velnook", visible=True)
    check(started(work) and len(mains) == 1, "the first instance shows its main window")
    second = launch(env, work)
    ids = wait_for_window(env, "Velnook Start Up Error")
    check(len(ids) == 1 and second.poll() is None, "a second instance shows the start-up error")
    if ids:
        click_twips(env, ids[0], 2220, 1140, 1200, 375)  # Exit
    check(wait_exit(second) == 0, "Exit ends the second instance")
    for args, allowed in ((["-AllowMulti"], True), (["-AllowMulti "], False)):
        p = launch(env, work, *args)
        refused = wait_for_window(env, "Velnook Start Up Error", timeout=3)
        check(bool(refused) != allowed, "%r: allowed %s" % (args, allowed))
        end(p)
    if mains:
        configure_save_close(env, mains[0], work)
    end(first)
    after = launch(env, work)
    check(started(work, 2) and not window_ids(env, "Velnook Start Up Error"),
          "a start after SIGKILL of the first is accepted")
    end(after)


def one_folder_either_way(env):
    """A user without a runtime folder of the system's meets the same lock
    and sockets with XDG_RUNTIME_DIR and without: the second start is
    refused, and -Cancel without it reaches the first."""
    uid = 40000 + os.getpid() % 20000
    runtime = tempfile.mkdtemp(prefix="velnook-uid-run-")
    os.chown(runtime, uid, uid)
    plain = {k: v for k, v in env.items() if k not in ("VELNOOK_RUNTIME_DIR", "XDG_RUNTIME_DIR")}
    home = prepare(plain, uid=uid)
    first = launch(dict(plain, XDG_RUNTIME_DIR=runtime), home, user=as_user(uid))
    check(started(home), "started with XDG_RUNTIME_DIR: it runs")
    second = launch(plain, home, user=as_user(uid))
    check(wait_for_window(env, "Velnook Start Up Error", 15),
          "started again without it: refused as a second instance")
    r = cancel(terminal_env(plain), as_user(uid))
    check(r.returncode == 1, "-Cancel without it reaches the first: %r" % r.stderr)
    end(first, second)
    shutil.rmtree("/tmp/Velnook-%d" % uid, ignore_errors=True)


def configure_save_close(env, main_window, work):
    """Configure, type a delay, Save, Escape: the file holds the value and the
    re-initialisation after the screen logs the change."""
    screen = open_screen_and_save_delay(env, main_window, "120")
    ini = open(os.path.join(work, "Data", "Velnook.ini"), "rb").read()
    check(screen is not None and b"\r\nDownDelay=120\r\n" in ini, "Save writes the typed value")
    subprocess.run(["xdotool", "key", "Escape"], env=env)
    check(wait_until(lambda: "Config   , Updated" in log_of(work), 10),
          "closing after a save re-initialises and logs it")


def signals_end_in_order(env, signals):
    """A signal ends the program as closing its window does: status 0, the
    Exit entry, and the lock free for the next start."""
    work = prepare(env)
    for number, sig in enumerate(signals, 1):
        p = launch(env, work)
        check(started(work, number), "%s: the program starts with the lock free" % sig.name)
        p.send_signal(sig)
        check(wait_exit(p) == 0 and log_of(work).count(" Exit     , ") == number,
              "%s ends with status 0 and the Exit entry" % sig.name)


def session_ends(env):
    """A logout through a session manager of the test's own."""
    work = prepare(env)
    manager = subprocess.Popen([SESSION_MANAGER, "30"], stdout=subprocess.PIPE,
                               stderr=subprocess.PIPE, text=True)
    procs.append(manager)
    # Only the local socket: nothing of this goes over the network.
    ids = [i for i in manager.stdout.readline().strip().split(",") if i.startswith("local/")]
    p = launch(dict(env, SESSION_MANAGER=ids[0] if ids else ""), work)
    check(started(work) and wait_exit(manager, 30) == 0, "the program leaves the session")
    check(wait_exit(p) == 0 and " Exit     , " in log_of(work),
          "the session's end ends the program with status 0 and the Exit entry")


def fatal_ends(env):
    """Every message that ends the program leaves a non-zero status."""
    def remove_settings(work):
        os.remove(os.path.join(work, "Data", "Velnook.ini"))

    def fifo_log(work):
        os.mkfifo(os.path.join(work, "Log", "Velnook.log"))

    def readable_key(work):
        pair_key(work, env)
        os.chmod(os.path.join(work, "Data", "Velnook.key"), 0o644)

    no_bus = dict(env, DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
    for what, title, run_env, values, before in (
            ("a missing settings file", "Velnook Configuration File Error", env, {},
             remove_settings),
            ("a FIFO at the log", "Velnook Log File Write Error", env, {}, fifo_log),
            ("a power request that fails", "Velnook Error", no_bus,
             {b"AvTime": b"1", b"DownDelay": b"5", b"ShutTime": b"2"}, None),
            ("a key file others can read", "Velnook Slave Key File Error", env,
             {b"CMain": b"2", b"IPAdd": b"127.0.0.1"}, readable_key)):
        work = prepare(env, values)
        if before:
            before(work)
        p = launch(run_env, work)
        ids = answer_box(env, title)
        status = wait_exit(p)
        check(bool(ids) and status not in (None, 0),
              "%s shows %r and ends with a non-zero status (%r)" % (what, title, status))
        if what == "a FIFO at the log":
            check(stat.S_ISFIFO(os.stat(os.path.join(work, "Log", "Velnook.log")).st_mode),
                  "the FIFO is left as it was")


def countdown_notification(env, bus):
    """A countdown is announced in a critical notification; its Cancel cancels
    the countdown; the next countdown runs out, closes its notification and
    asks the login manager to power off."""
    notes = bus.notifications
    notes.clear()
    work = prepare(env, {b"DownDelay": b"5", b"ShutTime": b"4", b"LogLevel": b"2"})
    p = launch(env, work)
    check(wait_until(lambda: notes.calls("Notify"), 25), "the countdown sends a notification")
    first = notes.calls("Notify")[0] if notes.calls("Notify") else [""] * 8
    app, replaces, _, summary, body, actions, hints, timeout = first
    check(app == summary == "Velnook" and body == "The Computer Will Power Off In 4s"
          and replaces == 0 and timeout == 0 and list(actions) == ["cancel", "Cancel"]
          and int(hints.get("urgency", 0)) == 2
          and hints.get("desktop-entry") == "org.velnook.Velnook",
          "a critical notification names the action, its seconds and Cancel: %r" % (first,))
    shown = notes.shown_id()
    notes.emit("ActionInvoked", "us", [shown, "cancel"])
    check(wait_until(lambda: "Reset    , Power Off" in log_of(work), 10),
          "Cancel on the notification cancels the countdown")
    check(wait_until(lambda: shown in [int(a[0]) for a in notes.calls("CloseNotification")], 5)
          and p.poll() is None and not power_off_requests(bus.logind_calls),
          "its notification is closed and nothing is switched off")
    notes.clear()
    check(wait_until(lambda: p.poll() is not None, 40), "the next countdown runs out")
    check(p.returncode == 0 and len(power_off_requests(bus.logind_calls)) == 1,
          "the end asks the login manager to power off")
    closed = [int(a[0]) for a in notes.calls("CloseNotification")]
    check(len(closed) == 1 and closed[0] not in (0, shown), "its own notification is closed")
    log = log_of(work)
    check("Start    , Power Off" in log and "Close    , Power Off" in log,
          "the end is logged")


def unfinished_then_reported(env, bus):
    """A countdown beside a .part and a .crdownload that stopped growing names
    them in its notification and logs them once; the next start tells how
    that run ended in an ordinary notification without actions."""
    notes = bus.notifications
    notes.clear()
    work = prepare(env, {b"DownDelay": b"5", b"ShutTime": b"4", b"ShutType": b"4",
                         b"LogLevel": b"2", b"IPAdd": b"127.0.0.1",
                         b"Port1": b"%d" % free_port()})  # "Monitor" needs a partner
    for name, size in (("ubuntu.iso.part", 2254857830), ("video.mp4.crdownload", 1000)):
        with open(os.path.join(work, "Downloads", name), "wb") as f:
            f.truncate(size)  # 2.1 GB without the disk space
    p = launch(env, work)
    line = "Unfinished: ubuntu.iso.part (2.1 GB) and 1 more"
    check(wait_until(lambda: any(line in a[4] for a in notes.calls("Notify")), 25)
          and wait_until(lambda: p.poll() is not None, 20),
          "the countdown names the unfinished downloads and runs out all the same")
    log = log_of(work)
    check(log.count("Unfinish , 2 files") == 1
          and log.find("Enter    , Monitor") < log.find("Unfinish"),
          "logged once, after the countdown's entry")
    notes.clear()
    again = launch(env, work)
    told = lambda: [a for a in notes.calls("Notify") if a[4].startswith("Last run: ")]
    check(wait_until(told, 15), "the next start tells how the last run ended")
    args = (told() or [[""] * 8])[0]
    check(args[4].startswith("Last run: Monitor at ")
          and args[4].endswith(", downloads quiet for 5 s, 2 unfinished downloads")
          and list(args[5]) == [] and args[6].get("urgency") == 1,
          "an ordinary notification without actions names the action, the quiet and the "
          "unfinished: %r" % (args,))
    end(again)


def vanished_file_system(env, bus):
    """The download folder a file system of its own, unmounted lazily (an
    eject, a dropped share) while a download writes on into it: reported
    missing, with no countdown and no power request, and the program ends."""
    work = prepare(env, {b"AvTime": b"1", b"LogLevel": b"3", b"DownDelay": b"10"})
    downloads = os.path.join(work, "Downloads")
    subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m", "velnook-test", downloads],
                   check=True)
    before = len(power_off_requests(bus.logind_calls))
    try:
        # One file kept open, as a browser keeps its download.
        writer = subprocess.Popen(["sh", "-c", "while sleep 0.1; do head -c 10240 /dev/zero; "
                                   "done > part"], cwd=downloads)
        p = launch(env, work)
        check(wait_until(lambda: log_of(work).count(" Run      , ") >= 2, 30),
              "the download is measured on its own file system")
        subprocess.run(["umount", "-l", downloads], check=True)
        box = answer_box(env, "Velnook Download Directory Error", 10)
        log = log_of(work)
        check(box and "DirError , Unmounted" in log and "Enter    , Power Off" not in log,
              "the unmounted folder is reported missing and logged, without a countdown")
        check(wait_exit(p) not in (0, None)
              and len(power_off_requests(bus.logind_calls)) == before,
              "the program then ends, asking for nothing")
    finally:
        if os.path.ismount(downloads):
            subprocess.run(["umount", "-l", downloads])
        end(writer)


def pair_key(work, env, *key):
    """velnook -PairKey [key] from a shell without a display."""
    return subprocess.run([VELNOOK, "-PairKey", *key], cwd=work,
                          env=dict(terminal_env(env), HOME=work), capture_output=True,
                          text=True, timeout=30)


def pair(env, bus, signed):
    """Master and slave over 127.0.0.1, signed with a key from -PairKey or
    not: the quiet master set to "Monitor" closes itself, and its silence
    makes the slave ask for its own action."""
    port = free_port()
    common = {b"IPAdd": b"127.0.0.1", b"Port1": b"%d" % port, b"DownDelay": b"5",
              b"ShutTime": b"2", b"LogLevel": b"3"}
    master_home = prepare(env, {**common, b"CMain": b"1", b"ShutType": b"4"})
    slave_home = prepare(env, {**common, b"CMain": b"2", b"ShutType": b"1"})
    tag = "signed: " if signed else "unsigned: "
    if signed:
        made = pair_key(master_home, env)
        key = ([w.rstrip(":") for w in made.stdout.split() if w.count("-") == 7] or ["none"])[0]
        typed = pair_key(slave_home, env, key.lower())
        keys = [os.path.join(home, "Data", "Velnook.key") for home in (master_home, slave_home)]
        check(made.returncode == typed.returncode == 0 and all(map(os.path.exists, keys))
              and all(os.stat(k).st_mode & 0o777 == 0o600 for k in keys)
              and [open(k).read().strip() for k in keys] == [key, key],
              "-PairKey makes a key, stores it typed in, the user's alone: %r" % made.stdout)
    before = len(power_off_requests(bus.logind_calls))
    master = launch(env, master_home)
    check(started(master_home), tag + "the master starts")
    slave = launch(env, slave_home, "-AllowMulti")  # beside the master's instance lock
    if signed and MODE == "x11":
        check(wait_for_window(env, "Velnook Slave - Signed Link", 15),
              "the slave's title says the link is signed")
    check(wait_until(lambda: "Enter    , Monitor" in log_of(master_home), 30),
          tag + "the quiet master starts its countdown")
    slave_log = log_of(slave_home)
    check("Comms: -OK-" in slave_log and "Not connected" not in slave_log,
          tag + "the slave shows its master connected")
    check(len(power_off_requests(bus.logind_calls)) == before,
          tag + "no request while the master monitors")
    check(wait_until(lambda: master.poll() is not None, 15)
          and "Close    , Monitor" in log_of(master_home), tag + "the master closes itself")
    check(wait_until(lambda: slave.poll() is not None, 30),
          tag + "the slave counts down and acts on the silence")
    slave_log = log_of(slave_home)
    check("Enter    , Power Off" in slave_log and "Close    , Power Off" in slave_log
          and len(power_off_requests(bus.logind_calls)) == before + 1,
          tag + "the slave logs its countdown and makes exactly one power-off request")


def terminal_env(env):
    """A shell as over SSH: the same user and runtime folder, no display, no
    desktop bus."""
    return {k: v for k, v in env.items()
            if k not in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS")}


def cancel(env, user=(), switch="-Cancel"):
    return subprocess.run([*user, VELNOOK, switch], env=env, capture_output=True, text=True,
                          timeout=30)


def terminal_cancel(env):
    """`velnook -Cancel` from a shell without display or desktop bus cancels
    the countdown (under -InhibitShutdown) of the second of two instances and
    reports the other; it says so and fails when nothing runs or nothing
    counts down, and a misspelt switch points to it."""
    r = cancel(terminal_env(env))
    check(r.returncode == 2 and r.stdout == "" and len(r.stderr.splitlines()) == 1,
          "with nothing running: one line on standard error and status 2: %r" % r.stderr)
    r = cancel(terminal_env(env), switch="--cancel")
    check(r.returncode == 4 and "velnook -Cancel" in r.stderr,
          "a misspelt switch points to -Cancel: %r" % r.stderr)
    idle = launch(env, prepare(env, {b"StartDelay": b"3600"}))
    work = prepare(env, {b"StartDelay": b"2", b"LogLevel": b"2"})
    own = launch(env, work, "-InhibitShutdown", "-AllowMulti")
    check(started(work), "the second instance starts")
    # Each may start a moment before it listens.
    answers = []
    wait_until(lambda: answers.append(cancel(terminal_env(env)))
               or answers[-1].stderr.count("not counting down") == 2, 10)
    r = answers[-1]
    check(r.returncode == 1 and r.stderr.count("not counting down") == 2 and r.stdout == "",
          "before the countdown: nothing to cancel, from each: %r" % r.stderr)
    check(wait_until(lambda: "Enter    , Power Off" in log_of(work), 30),
          "the second instance counts down")
    r = cancel(terminal_env(env))
    check(r.returncode == 0 and "cancelled" in r.stdout and len(r.stdout.splitlines()) == 1
          and r.stderr.count("not counting down") == 1,
          "-Cancel cancels its countdown and reports the other: %r %r" % (r.stdout, r.stderr))
    log = log_of(work)
    check("Reset    , Power Off" in log
          and log.rstrip().endswith("Start    , Initialise, Count:   2") and own.poll() is None,
          "as the Cancel button does: logged, and the start delay begins again")
    end(idle, own)


def another_users_instance(env):
    """Another user's instance, sharing the runtime folder: neither root's
    nor a third user's -Cancel reaches it."""
    shared = tempfile.mkdtemp(prefix="velnook-shared-run-")
    os.chmod(shared, 0o1777)
    nobody = pwd.getpwnam("nobody").pw_uid
    stranger_env = dict(terminal_env(env), DISPLAY=env["DISPLAY"], VELNOOK_RUNTIME_DIR=shared,
                        DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
    home = prepare(stranger_env, {b"LogLevel": b"2"}, nobody)
    stranger = launch(stranger_env, home, "-InhibitShutdown", user=as_user(nobody))
    check(wait_until(lambda: "Enter    , Power Off" in log_of(home), 40),
          "the other user's instance counts down")
    root_env = terminal_env(dict(env, VELNOOK_RUNTIME_DIR=shared))
    check(cancel(root_env).returncode == 2, "root's -Cancel finds no instance of its own")
    third = cancel(root_env, as_user(pwd.getpwnam("daemon").pw_uid))
    check(third.returncode == 2, "a third user's -Cancel finds none either")
    path = os.path.join(shared, "Velnook-%d" % nobody, "cancel.%d" % stranger.pid)
    check(os.stat(os.path.dirname(path)).st_mode & 0o077 == 0
          and os.stat(path).st_mode & 0o077 == 0, "the socket and its folder are closed to others")
    # Root passes the folder's mode; the instance still hangs up on it.
    answer = b"?"
    try:
        with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
            s.settimeout(10)
            s.connect(path)
            s.sendall(b"cancel\n")
            answer = s.recv(100)
    except OSError:
        answer = b""
    check(answer == b"", "root connecting to the socket itself gets no answer: %r" % answer)
    check(wait_until(lambda: "Power Off, Simulate" in log_of(home), 30)
          and "Reset" not in log_of(home), "the other user's countdown runs to its end")


def main():
    runtime = tempfile.mkdtemp(prefix="velnook-runtime-")
    os.chmod(runtime, 0o700)
    if MODE == "wayland":
        display = start_weston(runtime)
        env = dict(os.environ, XDG_RUNTIME_DIR=runtime, VELNOOK_RUNTIME_DIR=runtime,
                   WAYLAND_DISPLAY=display.name, QT_QPA_PLATFORM="wayland")
        env.pop("DISPLAY", None)
        env.pop("USERPROFILE", None)
        env.pop("XDG_CONFIG_HOME", None)
    else:
        display, name = start_xvfb()
        _, env = program_env(name, "velnook-e2e-home-")
    bus = MockSession(env)
    try:
        countdown_notification(env, bus)
        pair(env, bus, signed=MODE == "x11")
        terminal_cancel(env)
        signals_end_in_order(env, (signal.SIGTERM,) if MODE == "wayland" else
                             (signal.SIGTERM, signal.SIGINT, signal.SIGHUP))
        if MODE == "x11":
            no_display(env)
            desktop_download_folder(env)
            second_instance(env)
            one_folder_either_way(env)
            session_ends(env)
            fatal_ends(env)
            another_users_instance(env)
            if os.geteuid() == 0:  # only root may mount
                vanished_file_system(env, bus)
        else:
            unfinished_then_reported(env, bus)
    finally:
        stop_all(procs, display, *bus.processes)
        shutil.rmtree(runtime, ignore_errors=True)
    finish(OUTPUT)


main()
