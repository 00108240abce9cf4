#!/usr/bin/env python3
"""Runs the real velnook program natively under Wayland (weston's headless
backend), with python-dbusmock's notification daemon on a private session
bus and its logind on a private system bus, both started here: a master's
countdown is announced in a notification, Cancel on the notification cancels
it, a dismissed one cancels nothing, the notification is closed when the
countdown ends, and the end goes to the mock login manager; unfinished
downloads are named in it, and the next start tells how the run ended.
Without a notification server nothing changes.
Usage: velnook_wayland_test.py velnook velnook-prepare"""

import os
import subprocess
import sys
import tempfile
import time

import dbus

from program_test_support import check, failures, free_port, log_of, set_settings, wait_until

VELNOOK, PREPARE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])
MOCK = "org.freedesktop.DBus.Mock"
NOTIFY_PATH = "/org/freedesktop/Notifications"
NOTIFY_IFACE = "org.freedesktop.Notifications"


def start_weston(runtime):
    name = "velnook-%d" % os.getpid()
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--socket=" + name,
                               "--idle-time=0"], env=dict(os.environ, XDG_RUNTIME_DIR=runtime),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not wait_until(lambda: os.path.exists(os.path.join(runtime, name)), 20):
        sys.exit("weston did not start")
    return weston, name


def start_bus():
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                            "--print-address=1"], stdout=subprocess.PIPE, text=True)
    return bus, bus.stdout.readline().strip()


def start_mock(template, address, owner, log):
    env = dict(os.environ, DBUS_SYSTEM_BUS_ADDRESS=address, DBUS_SESSION_BUS_ADDRESS=address)
    mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--template", template,
                             "-l", log], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    conn = dbus.bus.BusConnection(address)
    if not wait_until(lambda: conn.name_has_owner(owner), 20):
        sys.exit("the %s mock did not start" % template)
    return mock, conn


class Notifications:
    """The mock notification daemon as the test sees it."""

    def __init__(self, conn):
        self.mock = dbus.Interface(conn.get_object(NOTIFY_IFACE, NOTIFY_PATH), MOCK)

    def calls(self, method):
        return [args for _, args in self.mock.GetMethodCalls(method)]

    def emit(self, signal, signature, args):
        self.mock.EmitSignal(NOTIFY_IFACE, signal, signature, args)

    def shown_id(self):
        """The server's number for the notification shown now, as the
        program's first update names it."""
        wait_until(lambda: len(self.calls("Notify")) >= 2, 5)
        calls = self.calls("Notify")
        return calls[1][1] if len(calls) >= 2 else 0

    def clear(self):
        self.mock.ClearCalls()


def prepare(env, **values):
    home = tempfile.mkdtemp(prefix="velnook-wayland-")
    subprocess.run([PREPARE, home], env=dict(env, HOME=home), check=True,
                   stdout=subprocess.DEVNULL)
    # A master set to "Monitor" needs a partner: a free port on loopback.
    settings = {b"StartMin": b"1", b"DownDelay": b"5", b"LogLevel": b"2",
                b"IPAdd": b"127.0.0.1", b"Port1": b"%d" % free_port()}
    settings.update({k.encode(): str(v).encode() for k, v in values.items()})
    set_settings(os.path.join(home, "Data", "Velnook.ini"), settings)
    return home


def power_requests(log):
    return [line for line in open(log).read().splitlines() if " PowerOff " in line]


def cancel_then_power_off(env, notes, logind_log, launch):
    """A master's countdown: Cancel on the notification, then a second
    countdown that runs out and asks the login manager to power off."""
    home = prepare(env, ShutTime=12)
    proc = launch(home)
    check(wait_until(lambda: "Start    , Initialise" in log_of(home), 15),
          "the program starts under Wayland")
    check(wait_until(lambda: notes.calls("Notify"), 20), "the countdown sends a notification")
    first = notes.calls("Notify")[0] if notes.calls("Notify") else [""] * 8
    app, replaces, _, summary, body, actions, hints, timeout = first
    check(summary == "Velnook" and body == "The Computer Will Power Off In 12s",
          "summary and body name the action and its seconds: %s / %s" % (summary, body))
    check(replaces == 0 and list(actions) == ["cancel", "Cancel"],
          "a new notification with one action, Cancel: %s" % list(map(str, actions)))
    urgency = hints.get("urgency")
    check(isinstance(urgency, dbus.Byte) and urgency == 2, "critical urgency as a byte")
    check(hints.get("desktop-entry") == "org.velnook.Velnook", "the desktop entry is named")
    check(app == "Velnook" and timeout == 0, "never expires by itself")
    shown = notes.shown_id()
    check(shown != 0, "the notification is kept current")
    later = notes.calls("Notify")[1:]
    check(all(args[1] == shown for args in later), "updates replace it in place")
    check(all(args[4].startswith("The Computer Will Power Off In ") for args in later),
          "updates count down")

    notes.emit("ActionInvoked", "us", [shown, "cancel"])
    check(wait_until(lambda: "Reset    , Power Off" in log_of(home), 10),
          "Cancel on the notification cancels the countdown with its entry")
    check(wait_until(lambda: shown in [int(a[0]) for a in notes.calls("CloseNotification")], 5),
          "the cancelled countdown's notification is closed")
    check(proc.poll() is None and not power_requests(logind_log), "nothing is switched off")

    notes.clear()
    check(wait_until(lambda: proc.poll() is not None, 40),
          "the next countdown runs out and the program ends")
    check(len(power_requests(logind_log)) == 1, "the end asks the login manager to power off")
    new_id = [int(a[1]) for a in notes.calls("Notify")]
    check(new_id[:1] == [0] and len(set(new_id[1:])) == 1,
          "the second countdown has a notification of its own: %r" % new_id)
    closed = [int(a[0]) for a in notes.calls("CloseNotification")]
    check(len(closed) == 1 and closed[0] not in (0, shown),
          "closed when the countdown ends: %r" % closed)
    log = log_of(home)
    check("Start    , Power Off" in log and "Close    , Power Off" in log,
          "the end is logged as usual")
    return home


def dismissed_cancels_nothing(env, notes, launch):
    """The user dismisses the notification: the countdown goes on to its end
    (the action "Monitor" closes the program), and no update brings the
    dismissed notification back."""
    notes.clear()
    home = prepare(env, ShutTime=8, ShutType=4)
    proc = launch(home)
    check(wait_until(lambda: notes.calls("Notify"), 25), "a notification for the Monitor countdown")
    shown = notes.shown_id()
    notes.emit("NotificationClosed", "uu", [shown, 2])
    time.sleep(0.5)  # an update on its way may still arrive
    count = len(notes.calls("Notify"))
    check(wait_until(lambda: proc.poll() is not None, 20), "the countdown runs out all the same")
    check("Reset" not in log_of(home) and "Close    , Monitor" in log_of(home),
          "dismissing cancels nothing")
    check(len(notes.calls("Notify")) == count, "a dismissed notification is not shown again")


def unfinished_named_then_reported(env, notes, launch):
    """A countdown beside a .part and a .crdownload file that stopped growing
    names them in its notification and logs them once; the next start tells
    how that run ended in an ordinary notification without actions."""
    notes.clear()
    home = prepare(env, ShutTime=4, ShutType=4, DPath="dls\\")
    os.makedirs(os.path.join(home, "dls"))
    with open(os.path.join(home, "dls", "ubuntu.iso.part"), "wb") as f:
        f.truncate(2254857830)  # 2.1 GB, without the disk space
    with open(os.path.join(home, "dls", "video.mp4.crdownload"), "wb") as f:
        f.write(b"x" * 1000)
    proc = launch(home)
    line = "Unfinished: ubuntu.iso.part (2.1 GB) and 1 more"
    check(wait_until(lambda: any(line in a[4] for a in notes.calls("Notify")), 25),
          "the countdown's notification names the unfinished downloads")
    check(wait_until(lambda: proc.poll() is not None, 20), "the countdown runs out all the same")
    log = log_of(home)
    check(log.count("Unfinish , 2 files") == 1 and
          log.find("Enter    , Monitor") < log.find("Unfinish"),
          "logged once, after the countdown's entry")
    notes.clear()
    again = launch(home)
    told = lambda: [a for a in notes.calls("Notify") if a[4].startswith("Last run: ")]
    check(wait_until(told, 15), "the next start tells how the last run ended")
    args = (told() or [[""] * 8])[0]
    check(args[4].startswith("Last run: Monitor at ") and
          args[4].endswith(", downloads quiet for 5 s, 2 unfinished downloads"),
          "naming the action, the quiet and the unfinished: %s" % args[4])
    check(list(args[5]) == [] and args[6].get("urgency") == 1,
          "an ordinary notification without actions")
    again.kill()
    again.wait()


def no_server_no_harm(env, launch):
    """A session bus without a notification server: the countdown and its
    end are as they always were."""
    home = prepare(env, ShutTime=2, ShutType=4)
    started = time.time()
    proc = launch(home)
    check(wait_until(lambda: proc.poll() is not None, 25), "without a server the countdown ends")
    check(proc.returncode == 0 and "Close    , Monitor" in log_of(home),
          "and closes the program as usual")
    check(time.time() - started < 20, "nothing waits for the missing server")


def main():
    runtime = tempfile.mkdtemp(prefix="velnook-runtime-")
    os.chmod(runtime, 0o700)
    weston, socket = start_weston(runtime)
    system_bus, system_address = start_bus()
    session_bus, session_address = start_bus()
    bare_bus, bare_address = start_bus()
    logind_log = tempfile.NamedTemporaryFile(prefix="velnook-logind-", delete=False).name
    notify_log = tempfile.NamedTemporaryFile(prefix="velnook-notify-", delete=False).name
    logind, _ = start_mock("logind", system_address, "org.freedesktop.login1", logind_log)
    notifier, conn = start_mock("notification_daemon", session_address, NOTIFY_IFACE, notify_log)
    notes = Notifications(conn)
    # Natively on Wayland: no X display to fall back to.
    env = dict(os.environ, XDG_RUNTIME_DIR=runtime, VELNOOK_RUNTIME_DIR=runtime,
               WAYLAND_DISPLAY=socket,
               QT_QPA_PLATFORM="wayland", DBUS_SYSTEM_BUS_ADDRESS=system_address,
               DBUS_SESSION_BUS_ADDRESS=session_address)
    env.pop("DISPLAY", None)
    env.pop("USERPROFILE", None)
    errors = tempfile.TemporaryFile(mode="w+")
    procs = []

    def launch(home, bus=session_address):
        p = subprocess.Popen([VELNOOK], cwd=home,
                             env=dict(env, HOME=home, DBUS_SESSION_BUS_ADDRESS=bus),
                             stdout=subprocess.DEVNULL, stderr=errors)
        procs.append(p)
        return p

    home = ""
    try:
        home = cancel_then_power_off(env, notes, logind_log, launch)
        dismissed_cancels_nothing(env, notes, launch)
        unfinished_named_then_reported(env, notes, launch)
        no_server_no_harm(env, lambda h: launch(h, bare_address))
    finally:
        for p in procs:
            if p.poll() is None:
                p.kill()
                p.wait()
        for p in (logind, notifier, system_bus, session_bus, bare_bus, weston):
            p.kill()
            p.wait()
    if failures:
        errors.seek(0)
        print("program output:\n" + errors.read())
        print("log of the first run:\n" + log_of(home))
        print("calls of the notification server:\n" + open(notify_log).read())
        print("calls of the login manager:\n" + open(logind_log).read())
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
