#!/usr/bin/env python3
"""Two real velnook processes as master and slave over 127.0.0.1. The master
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
                                  wait_until)

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
    master_home = slave_home = ""
    try:
        check(address is not None, "the mock login manager is on the private bus")
        if address is None:
            return
        port = free_port()
        slave_home, master_home = prepare("slave", port, env), prepare("master", port, env)

        def launch(home, *args):
            p = subprocess.Popen([VELNOOK, *args], cwd=home, env=dict(env, HOME=home),
                                 stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
            procs.append(p)
            return p

        # The master takes the instance lock first; the slave, started second on
        # the same machine, needs -AllowMulti to run beside it.
        master = launch(master_home)
        check(wait_until(lambda: log_of(master_home) != "", 15), "the master starts")
        slave = launch(slave_home, "-AllowMulti")

        check(wait_until(lambda: "Enter    , Monitor" in log_of(master_home), 30),
              "the quiet master starts its countdown")
        slave_log = log_of(slave_home)
        check("Comms: -OK-" in slave_log and "Not connected" not in slave_log,
              "the slave shows its master connected")
        check(not power_off_requests(calls), "no request while the master monitors")

        check(wait_until(lambda: master.poll() is not None, 15), "the master closes itself")
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
    if failures:
        for role, home in (("master", master_home), ("slave", slave_home)):
            print("%s's log:\n%s" % (role, log_of(home)))
        print("calls made of the login manager:\n" + open(calls).read())
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
