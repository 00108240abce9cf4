#!/usr/bin/env python3
"""A master run by Wine (velnook.exe) and a slave run natively (the Linux
velnook) over 127.0.0.1. The master watches a quiet folder with the action
"Monitor" and closes itself; its silence makes the slave count down and ask
for its own action, which goes to python-dbusmock's logind on a private bus
that this test starts. The link is signed with a pair key that the slave
makes and the master is given, so both systems' libraries must agree.
Usage: velnook_mixed_pair_test.py velnook.exe wine velnook velnook-prepare"""

import os
import shutil
import subprocess
import sys
import tempfile

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "linux"))
sys.path.insert(0, HERE)
from program_test_support import (check, failures, free_port, log_of, power_off_requests,
                                  set_settings, start_xvfb, stop_all, wait_until)  # noqa: E402
from velnook_wine_test import prepare as prepare_master  # noqa: E402

VELNOOK_EXE, WINE, VELNOOK, PREPARE = sys.argv[1:5]


def prepare_slave(port, env):
    home = tempfile.mkdtemp(prefix="velnook-slave-")
    subprocess.run([PREPARE, home], env=dict(env, HOME=home), check=True,
                   stdout=subprocess.DEVNULL)
    ini = os.path.join(home, "Data", "Velnook.ini")
    values = {b"StartMin": b"1", b"IPAdd": b"127.0.0.1", b"Port1": b"%d" % port,
              b"DownDelay": b"5", b"ShutTime": b"2", b"LogLevel": b"3", b"CMain": b"2",
              b"ShutType": b"1"}
    set_settings(ini, values)
    return home


def share_pair_key(slave_home, master_home, env):
    """velnook -PairKey on the slave, its key typed into the Wine master."""
    bare = {k: v for k, v in env.items() if k != "DISPLAY"}
    made = subprocess.run([VELNOOK, "-PairKey"], cwd=slave_home, env=dict(bare, HOME=slave_home),
                          capture_output=True, text=True, timeout=30)
    words = [w.rstrip(":") for w in made.stdout.split() if w.count("-") == 7]
    check(made.returncode == 0 and words, "the slave makes a key: " + made.stdout + made.stderr)
    given = subprocess.run([WINE, VELNOOK_EXE, "-PairKey", words[0] if words else "none"],
                           cwd=master_home, env=dict(env, HOME=master_home),
                           capture_output=True, timeout=120)
    stored = os.path.join(master_home, "Data", "Velnook.key")
    check(given.returncode == 0 and os.path.exists(stored) and words and
          open(stored).read().strip() == words[0], "the Wine master stores the same key")


def main():
    xvfb, display = start_xvfb()
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                            "--print-address=1"], stdout=subprocess.PIPE, text=True)
    address = bus.stdout.readline().strip()
    calls = tempfile.NamedTemporaryFile(prefix="velnook-logind-", delete=False).name
    # The private bus stands in for the system bus for the native slave. The
    # Wine master never asks for power: its action only closes it. The slave's
    # instance lock goes to a folder of the test's own.
    env = dict(os.environ, DISPLAY=display, QT_QPA_PLATFORM="xcb",
               DBUS_SYSTEM_BUS_ADDRESS=address, DBUS_SESSION_BUS_ADDRESS=address,
               VELNOOK_RUNTIME_DIR=tempfile.mkdtemp(prefix="velnook-runtime-"),
               WINEDEBUG="-all")
    env.pop("USERPROFILE", None)
    own_prefix = "WINEPREFIX" not in env
    if own_prefix:
        env["WINEPREFIX"] = tempfile.mkdtemp(prefix="velnook-wine-")
    mock = subprocess.Popen(["/usr/bin/python3", "-m", "dbusmock", "--template", "logind",
                             "-l", calls], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    procs = []
    master_home = tempfile.mkdtemp(prefix="velnook-wine-master-")
    slave_home = ""
    try:
        owned = wait_until(lambda: subprocess.run(
            ["dbus-send", "--bus=" + address, "--print-reply", "--dest=org.freedesktop.DBus",
             "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
             "string:org.freedesktop.login1"], capture_output=True, text=True).stdout.find(
                 "true") >= 0, 20)
        check(owned, "the mock login manager is on the private bus")
        if not owned:
            return
        port = free_port()
        slave_home = prepare_slave(port, env)
        shutil.rmtree(master_home)
        prepare_master(master_home, port, CMain=1, ShutType=4, IPAdd="127.0.0.1", DownDelay=10,
                       ShutTime=2, LogLevel=3)
        share_pair_key(slave_home, master_home, env)

        def launch(cmd, home):
            p = subprocess.Popen(cmd, cwd=home, env=dict(env, HOME=home),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            procs.append(p)
            return p

        # The master first: Wine may take a while to bring a program up, and
        # a slave already waiting would count that as silence.
        master = launch([WINE, VELNOOK_EXE], master_home)
        check(wait_until(lambda: log_of(master_home) != "", 60), "the Wine master starts")
        slave = launch([VELNOOK], slave_home)
        check(wait_until(lambda: log_of(slave_home) != "", 15), "the native slave starts")

        check(wait_until(lambda: "Enter    , Monitor" in log_of(master_home), 40),
              "the quiet master starts its countdown")
        slave_log = log_of(slave_home)
        check("Comms: -OK-" in slave_log, "the slave hears its master's signed messages")
        check(not power_off_requests(calls), "no request while the master monitors")

        check(wait_until(lambda: master.poll() is not None, 20), "the master closes itself")
        check("Close    , Monitor" in log_of(master_home), "the master logs its close")

        check(wait_until(lambda: slave.poll() is not None, 30),
              "the slave counts down and acts on the silence")
        slave_log = log_of(slave_home)
        check("Enter    , Power Off" in slave_log and "Close    , Power Off" in slave_log,
              "the slave logs its countdown and its close")
        requests = power_off_requests(calls)
        check(len(requests) == 1, "exactly one power-off request: %r" % requests)
    finally:
        stop_all(procs, xvfb, mock, bus)
        if own_prefix:
            subprocess.run([os.path.join(os.path.dirname(WINE), "wineserver"), "-k"], env=env)
            shutil.rmtree(env["WINEPREFIX"], ignore_errors=True)
    if failures:
        for role, home in (("master", master_home), ("slave", slave_home)):
            print("%s's log:\n%s" % (role, log_of(home)))
        print("calls made of the login manager:\n" + open(calls).read())
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
