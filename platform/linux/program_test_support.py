"""What the tests that run the real program share: private display servers
and buses, and checks counted rather than stopping at the first failure."""

import itertools
import os
import socket
import subprocess
import sys
import tempfile
import threading
import time

failures = []
_numbers = itertools.count()


def start_xvfb():
    # -displayfd gives servers started together one number: pick our own.
    number = 100 + (os.getpid() * 8 + next(_numbers)) % 6000
    for _ in range(50):
        # -noreset: a reset as the last client leaves refuses the next one.
        xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1024x768x24",
                                 "-nolisten", "tcp", "-noreset"], stderr=subprocess.DEVNULL)
        env = dict(os.environ, DISPLAY=":%d" % number)
        # Another test's server may answer on that number: the lock names ours.
        lock = "/tmp/.X%d-lock" % number
        if wait_until(lambda: xvfb.poll() is not None or subprocess.run(
                ["xdotool", "getmouselocation"], env=env, capture_output=True).returncode == 0,
                10) and xvfb.poll() is None and open(lock).read().strip() == str(xvfb.pid):
            return xvfb, ":%d" % number
        stop(xvfb)
        number += 1 + next(_numbers) % 7
    sys.exit("no X server could be started")


def start_weston(runtime):
    name = "velnook-%d" % os.getpid()
    weston = subprocess.Popen(["weston", "--backend=headless-backend.so", "--socket=" + name,
                               "--idle-time=0"], env=dict(os.environ, XDG_RUNTIME_DIR=runtime),
                              stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    if not wait_until(lambda: os.path.exists(os.path.join(runtime, name)), 20):
        sys.exit("weston did not start")
    weston.name = name
    return weston


def stop(*procs):
    for p in filter(None, procs):
        if p.poll() is None:
            p.kill()
        p.wait()


def run_all(*jobs, make=tuple):
    """Runs the jobs side by side, each given make(); one that raises fails."""
    def run(job):
        try:
            job(*make())
        except Exception as e:  # noqa: BLE001
            check(False, "%s raised %r" % (getattr(job, "func", job).__name__, e))
    threads = [threading.Thread(target=run, args=(job,)) for job in jobs]
    for t in threads:
        t.start()
    for t in threads:
        t.join()


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def finish(program_output):
    if failures:
        program_output.seek(0)
        print("program output:\n%s\n%d check(s) failed" % (program_output.read(), len(failures)))
        sys.exit(1)


def program_env(display, prefix):
    """A fresh home and runtime folder on the X display, with no system bus
    (so never the real login manager)."""
    work = tempfile.mkdtemp(prefix=prefix)
    runtime = tempfile.mkdtemp(prefix="velnook-runtime-")  # 0700, as mkdtemp makes them
    env = dict(os.environ, DISPLAY=display, HOME=work, XDG_RUNTIME_DIR=runtime,
               VELNOOK_RUNTIME_DIR=runtime, QT_QPA_PLATFORM="xcb",
               DBUS_SYSTEM_BUS_ADDRESS="unix:path=/nonexistent")
    env.pop("USERPROFILE", None)
    env.pop("XDG_CONFIG_HOME", None)  # the desktop's folders come from the fresh home
    return work, env


def free_port():
    with socket.socket(socket.AF_INET, socket.SOCK_DGRAM) as s:
        s.bind(("127.0.0.1", 0))
        return s.getsockname()[1]


def set_settings(ini, values):
    lines = []
    for line in open(ini, "rb").read().split(b"\r\n"):
        key = line.split(b"=")[0]
        lines.append(key + b"=" + values[key] if key in values and b"=" in line else line)
    open(ini, "wb").write(b"\r\n".join(lines))


def prepare(program, env, values=None, work=None):
    """A working folder made by velnook-prepare, quick to start."""
    work = work or tempfile.mkdtemp(prefix="velnook-work-")
    subprocess.run([program, work], env=dict(env, HOME=work), check=True,
                   stdout=subprocess.DEVNULL)
    set_settings(os.path.join(work, "Data", "Velnook.ini"), {
        b"StartMin": b"1", b"StartDelay": b"1", b"AvTime": b"1", b"LogLevel": b"2",
        **(values or {})})
    return work


def log_of(home):
    path = os.path.join(home, "Log", "Velnook.log")
    return open(path, "rb").read().decode("utf-8", "replace") if os.path.exists(path) else ""


def wait_until(predicate, timeout):
    end = time.time() + timeout
    while time.time() < end:
        if predicate():
            return True
        time.sleep(0.1)
    return predicate()


def window_ids(env, name, visible=False):
    return subprocess.run(["xdotool", "search"] + (["--onlyvisible"] if visible else []) +
                          ["--name", "^" + name + "$"], env=env, capture_output=True,
                          text=True).stdout.split()


def wait_for_window(env, name, timeout=10.0, visible=False):
    found = []
    wait_until(lambda: found.extend(window_ids(env, name, visible)) or found, timeout)
    return found


def wait_exit(proc, timeout=10.0):
    return proc.returncode if wait_until(lambda: proc.poll() is not None, timeout) else None


def click_twips(env, window, left, top, width, height, settle=0.3):
    """Clicks the middle of a control placed in twips (15 to a pixel)."""
    subprocess.run(["xdotool", "mousemove", "--window", window, str((left + width // 2) // 15),
                    str((top + height // 2) // 15), "click", "1"], env=env)
    time.sleep(settle)


def requests(calls, method):
    return [line for line in open(calls).read().splitlines() if line.split(" ")[1:2] == [method]]


class MockSession:
    """One private bus as system and session bus (put into env) with mock
    login manager and notification server; .mock drives the latter."""
    NOTES = "org.freedesktop.Notifications"

    def __init__(self, env):
        import dbus
        self.logind_calls = tempfile.NamedTemporaryFile(prefix="velnook-logind-",
                                                        delete=False).name
        bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                                "--print-address=1"], stdout=subprocess.PIPE, text=True)
        address = bus.stdout.readline().strip()
        env.update(DBUS_SYSTEM_BUS_ADDRESS=address, DBUS_SESSION_BUS_ADDRESS=address)
        self.processes = [bus]
        conn = dbus.bus.BusConnection(address)
        for template, owner, calls in (("logind", "org.freedesktop.login1", self.logind_calls),
                                       ("notification_daemon", self.NOTES, os.devnull)):
            self.processes.insert(0, subprocess.Popen(
                ["/usr/bin/python3", "-m", "dbusmock", "--template", template, "-l", calls],
                env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL))
            if not wait_until(lambda: conn.name_has_owner(owner), 20):
                sys.exit("the %s mock did not start" % template)
        self.mock = dbus.Interface(conn.get_object(self.NOTES, "/org/freedesktop/Notifications"),
                                   "org.freedesktop.DBus.Mock")
