#!/usr/bin/env python3
"""Runs the real velnook program under a private Xvfb server: the instance
guard, the start-up error window and its Exit button, "-AllowMulti", a
start after the first instance was killed, and FIFOs in the place of the
settings file and the log. Usage: test velnook velnook-prepare"""

import os
import signal
import stat
import subprocess
import sys
import tempfile
import time

from program_test_support import (check, failures, open_screen_and_save_delay, program_env,
                                  start_xvfb, wait_exit, wait_for_window, window_ids)

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]








def configure_and_save(env, main_window, work):
    """Configure, type a new download delay, Save, then Escape: the file holds
    the value and the re-initialisation after the screen logs the change."""
    screen = open_screen_and_save_delay(env, main_window, "120")
    check(screen is not None, "Configure opens the configuration screen")
    if not screen:
        return
    ini = open(os.path.join(work, "Data", "Velnook.ini"), "rb").read()
    check(b"\r\nDownDelay=120\r\n" in ini, "Save writes the typed value")
    subprocess.run(["xdotool", "key", "Escape"], env=env)
    end = time.time() + 10
    while window_ids(env, "Velnook Configuration") and time.time() < end:
        time.sleep(0.1)
    check(not window_ids(env, "Velnook Configuration"), "Escape closes the screen")
    time.sleep(0.5)
    log = open(os.path.join(work, "Log", "Velnook.log"), "rb").read()
    check(b"Config   , Updated" in log, "closing after a save re-initialises and logs it")


def special_files(launch, env):
    """A FIFO nobody writes to or reads from, where the settings file or the
    log should be, is reported at once with that file's message; opening it
    the ordinary way would wait for ever with no window shown."""
    for fifo, title in ((os.path.join("Data", "Velnook.ini"),
                         "Velnook Configuration File Read Error"),
                        (os.path.join("Log", "Velnook.log"), "Velnook Log File Write Error")):
        work = tempfile.mkdtemp(prefix="velnook-fifo-")
        subprocess.run([PREPARE, work], env=env, check=True, stdout=subprocess.DEVNULL)
        path = os.path.join(work, fifo)
        if os.path.exists(path):
            os.remove(path)
        os.mkfifo(path)
        proc = launch(cwd=work)
        check(len(wait_for_window(env, title, timeout=20)) == 1,
              "a FIFO at %s shows \"%s\"" % (fifo, title))
        proc.kill()
        proc.wait()
        check(stat.S_ISFIFO(os.stat(path).st_mode), "the FIFO at %s is left as it was" % fifo)


def main():
    xvfb, display = start_xvfb()
    work, env = program_env(display, "velnook-binary-")
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
        mains = wait_for_window(env, "Velnook")
        check(len(mains) >= 1, "first instance shows its main window")
        if mains:
            configure_and_save(env, mains[0], work)

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

        special_files(launch, env)

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
