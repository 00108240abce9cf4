#!/usr/bin/env python3
"""Runs the real velnook program under a private Xvfb server: the instance
guard, the start-up error window and its Exit button, "-AllowMulti", and a
start after the first instance was killed. Usage: test velnook velnook-prepare"""

import os
import signal
import socket
import subprocess
import sys
import tempfile
import time

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]
failures = []


def check(cond, what):
    print(("ok   " if cond else "FAIL ") + what, flush=True)
    if not cond:
        failures.append(what)


def start_xvfb():
    # Xvfb's -displayfd hands the same free number to servers started at the
    # same moment here, so pick an unlikely one of our own and try the next
    # on a clash.
    number = 100 + os.getpid() % 5000
    for _ in range(50):
        if not os.path.exists("/tmp/.X11-unix/X%d" % number):
            xvfb = subprocess.Popen(["Xvfb", ":%d" % number, "-screen", "0", "1024x768x24",
                                     "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
            env = dict(os.environ, DISPLAY=":%d" % number)
            for _ in range(100):
                if xvfb.poll() is not None:
                    break
                if subprocess.run(["xdotool", "getmouselocation"], env=env,
                                  capture_output=True).returncode == 0:
                    return xvfb, ":%d" % number
                time.sleep(0.1)
            if xvfb.poll() is None:
                xvfb.kill()
            xvfb.wait()
        number += 1
    sys.exit("no X server could be started")


def window_ids(env, name):
    out = subprocess.run(["xdotool", "search", "--name", "^" + name + "$"], env=env,
                         capture_output=True, text=True).stdout
    return out.split()


def wait_for_window(env, name, timeout=10.0):
    end = time.time() + timeout
    while time.time() < end:
        ids = window_ids(env, name)
        if ids:
            return ids
        time.sleep(0.1)
    return []


def wait_exit(proc, timeout=10.0):
    try:
        return proc.wait(timeout)
    except subprocess.TimeoutExpired:
        return None


def main():
    xvfb, display = start_xvfb()
    work = tempfile.mkdtemp(prefix="velnook-binary-")
    runtime = tempfile.mkdtemp(prefix="velnook-runtime-")
    os.chmod(runtime, 0o700)
    env = dict(os.environ, DISPLAY=display, HOME=work, XDG_RUNTIME_DIR=runtime,
               QT_QPA_PLATFORM="xcb")
    env.pop("USERPROFILE", None)
    procs = []
    errors = tempfile.TemporaryFile(mode="w+")
    print("display " + display, flush=True)

    def launch(*args, cwd=work):
        p = subprocess.Popen([VELNOOK, *args], cwd=cwd, env=env,
                             stdout=subprocess.DEVNULL, stderr=errors)
        procs.append(p)
        return p

    try:
        subprocess.run([PREPARE, work], env=env, check=True, stdout=subprocess.DEVNULL)
        ini = os.path.join(work, "Data", "Velnook.ini")
        text = open(ini, "rb").read().replace(b"StartMin=2", b"StartMin=1")
        open(ini, "wb").write(text)
        check(os.path.isdir(os.path.join(work, "Log")), "prepare makes Log")
        check(os.path.isdir(os.path.join(work, "Downloads")), "prepare makes ~/Downloads")

        first = launch()
        check(len(wait_for_window(env, "Velnook")) >= 1, "first instance shows its main window")

        second = launch()
        ids = wait_for_window(env, "Velnook Start Up Error")
        check(len(ids) == 1, "second instance shows the start-up error window")
        check(second.poll() is None, "second instance waits for Exit")
        if ids:
            # Exit sits at (2220, 1140) twips, 1200 x 375: its centre in pixels.
            subprocess.run(["xdotool", "mousemove", "--window", ids[0], "188", "88",
                            "click", "1"], env=env)
        check(wait_exit(second) == 0, "Exit ends the second instance")
        check(first.poll() is None, "the first instance is unaffected")

        third = launch("-AllowMulti")
        time.sleep(1.5)
        check(third.poll() is None and not window_ids(env, "Velnook Start Up Error"),
              "-AllowMulti at the end lets an instance start")
        third.kill()

        refused = launch("-AllowMulti ")
        check(len(wait_for_window(env, "Velnook Start Up Error")) == 1,
              "-AllowMulti followed by a blank does not count")
        refused.kill()
        refused.wait()

        first.send_signal(signal.SIGKILL)
        first.wait()
        third.wait()
        after = launch()
        time.sleep(1.5)
        check(after.poll() is None and not window_ids(env, "Velnook Start Up Error"),
              "a start after SIGKILL of the first is accepted")
        after.kill()
        after.wait()

        nodata = tempfile.mkdtemp(prefix="velnook-nodata-")
        lone = launch(cwd=nodata)
        check(len(wait_for_window(env, "Velnook Data Directory Error")) == 1,
              "no Data folder shows the data-directory message")
        lone.kill()
        lone.wait()
        check(os.listdir(nodata) == [], "nothing is written without a Data folder")

        # A master and a slave on this computer, over the loopback network.
        probe = socket.socket(socket.AF_INET, socket.SOCK_DGRAM)
        probe.bind(("127.0.0.1", 0))
        port = probe.getsockname()[1]
        probe.close()
        pair = {}
        for role in ("master", "slave"):
            home = tempfile.mkdtemp(prefix="velnook-" + role + "-")
            subprocess.run([PREPARE, home], env=dict(env, HOME=home), check=True,
                           stdout=subprocess.DEVNULL)
            ini = os.path.join(home, "Data", "Velnook.ini")
            text = open(ini, "rb").read().replace(b"StartMin=2", b"StartMin=1")
            text = text.replace(b"IPAdd=\r", b"IPAdd=127.0.0.1\r")
            text = text.replace(b"Port1=10001", b"Port1=%d" % port)
            if role == "slave":
                text = text.replace(b"CMain=1", b"CMain=2").replace(b"LogLevel=2", b"LogLevel=3")
            open(ini, "wb").write(text)
            pair[role] = home
        slave = launch("-AllowMulti", cwd=pair["slave"])
        master = launch("-AllowMulti", cwd=pair["master"])
        log = os.path.join(pair["slave"], "Log", "Velnook.log")
        end = time.time() + 15
        heard = False
        while time.time() < end and not heard:
            time.sleep(0.5)
            heard = os.path.exists(log) and b"Comms: -OK-" in open(log, "rb").read()
        check(heard, "a slave hears its master over UDP")
        master.kill()
        master.wait()
        slave.kill()
        slave.wait()
    finally:
        for p in procs:
            if p.poll() is None:
                p.kill()
        xvfb.terminate()
        xvfb.wait()
        if failures:
            errors.seek(0)
            print("program output:\n" + errors.read())

    if failures:
        print("%d check(s) failed" % len(failures))
        sys.exit(1)


main()
