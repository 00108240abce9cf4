#!/usr/bin/env python3
"""Two real velnook processes as master and slave over 127.0.0.1, once with
unsigned messages and once with a pair key set by velnook -PairKey. The master
watches a quiet folder with the action "Monitor" and closes itself; its
silence makes the slave count down and ask for its own action, which goes
to python-dbusmock's logind on a private bus that this test starts.
Usage: velnook_pair_test.py velnook velnook-prepare"""

import os
import subprocess
import sys
import tempfile

from program_test_support import (check, failures, free_port, log_of, power_off_requests,
                                  set_settings, start_mock_logind, start_xvfb, stop_all,
                                  wait_for_window, wait_until)

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]


def prepare(role, port, env):
    home = tempfile.mkdtemp(prefix="velnook-" + role + "-")
    subprocess.run([PREPARE, home], env=dict(env, HOME=home), check=True,
                   stdout=subprocess.DEVNULL)
    ini = os.path.join(home, "Data", "Velnook.ini")
    values = {b"StartMin": b"1", b"IPAdd": b"127.0.0.1", b"Port1": b"%d" % port,
              b"DownDelay": b"5", b"ShutTime": b"2", b"LogLevel": b"3"}
    values[b"CMain"], values[b"ShutType"] = (b"1", b"4") if role == "master" else (b"2", b"1")
    set_settings(ini, values)
    return home


def set_pair_key(home, env, key=None):
    """Runs velnook -PairKey [key] in home without a display; returns the
    exit status and the line it printed."""
    bare = {k: v for k, v in env.items() if k not in ("DISPLAY", "WAYLAND_DISPLAY")}
    r = subprocess.run([VELNOOK, "-PairKey"] + ([key] if key else []), cwd=home,
                       env=dict(bare, HOME=home), capture_output=True, text=True, timeout=30)
    return r.returncode, (r.stdout + r.stderr).strip()


def pair_keys(slave_home, master_home, env):
    """A new key on the master, typed in on the slave; returns the key."""
    status, line = set_pair_key(master_home, env)
    words = [w.rstrip(":") for w in line.split() if w.count("-") == 7]
    check(status == 0 and len(words) >= 1, "-PairKey makes and shows a key: " + line)
    key = words[0] if words else "none"
    status, line = set_pair_key(slave_home, env, key.lower())
    check(status == 0, "-PairKey stores a typed key: " + line)
    for home in (master_home, slave_home):
        path = os.path.join(home, "Data", "Velnook.key")
        check(os.path.exists(path) and os.stat(path).st_mode & 0o777 == 0o600,
              "the key file is the user's alone")
    check(open(os.path.join(slave_home, "Data", "Velnook.key")).read().strip() == key,
          "both computers hold the same key")
    return key


def run_pair(env, calls, signed, procs):
    port = free_port()
    slave_home, master_home = prepare("slave", port, env), prepare("master", port, env)
    name = "signed: " if signed else "unsigned: "
    if signed:
        pair_keys(slave_home, master_home, env)
    before = len(power_off_requests(calls))

    def launch(home, *args):
        p = subprocess.Popen([VELNOOK, *args], cwd=home, env=dict(env, HOME=home),
                             stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        procs.append(p)
        return p

    # The master takes the instance lock first; the slave, started second on
    # the same machine, needs -AllowMulti to run beside it.
    master = launch(master_home)
    check(wait_until(lambda: log_of(master_home) != "", 15), name + "the master starts")
    slave = launch(slave_home, "-AllowMulti")
    if signed:
        check(wait_for_window(env, "Velnook Slave - Signed Link", 15),
              name + "the slave's title says the link is signed")

    check(wait_until(lambda: "Enter    , Monitor" in log_of(master_home), 30),
          name + "the quiet master starts its countdown")
    slave_log = log_of(slave_home)
    check("Comms: -OK-" in slave_log and "Not connected" not in slave_log,
          name + "the slave shows its master connected")
    check(len(power_off_requests(calls)) == before, name + "no request while the master monitors")

    check(wait_until(lambda: master.poll() is not None, 15), name + "the master closes itself")
    check("Close    , Monitor" in log_of(master_home), name + "the master logs its close")

    check(wait_until(lambda: slave.poll() is not None, 30),
          name + "the slave counts down and acts on the silence")
    slave_log = log_of(slave_home)
    check("Enter    , Power Off" in slave_log and "Close    , Power Off" in slave_log,
          name + "the slave logs its countdown and its close")
    requests = power_off_requests(calls)
    check(len(requests) == before + 1, name + "exactly one power-off request: %r" % requests)
    return master_home, slave_home


def key_others_can_read_is_refused(env, procs):
    home = prepare("slave", free_port(), env)
    set_pair_key(home, env)
    os.chmod(os.path.join(home, "Data", "Velnook.key"), 0o644)
    proc = subprocess.Popen([VELNOOK, "-AllowMulti"], cwd=home, env=dict(env, HOME=home),
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    procs.append(proc)
    check(wait_for_window(env, "Velnook Slave Key File Error", 20),
          "a key file that others can read is refused with a message")
    check(log_of(home) == "", "and nothing runs")


def main():
    xvfb, display = start_xvfb()
    calls = tempfile.NamedTemporaryFile(prefix="velnook-logind-", delete=False).name
    # The private bus stands in for the system bus, here and in the programs.
    # A runtime folder of its own holds the instance lock, which a program
    # that another test runs at the same time must not hold.
    runtime = tempfile.mkdtemp(prefix="velnook-runtime-")
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb", XDG_RUNTIME_DIR=runtime,
               VELNOOK_RUNTIME_DIR=runtime)
    env.pop("USERPROFILE", None)
    bus, mock, address = start_mock_logind(env, calls=calls)
    procs = []
    homes = []
    try:
        check(address is not None, "the mock login manager is on the private bus")
        if address is None:
            return
        for signed in (False, True):
            homes = run_pair(env, calls, signed, procs)
        key_others_can_read_is_refused(env, procs)
    finally:
        stop_all(procs, xvfb, mock, bus)
    if failures:
        for role, home in zip(("master", "slave"), homes):
            print("%s's log:\n%s" % (role, log_of(home)))
        print("calls made of the login manager:\n" + open(calls).read())
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
