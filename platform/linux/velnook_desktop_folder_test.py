#!/usr/bin/env python3
"""The desktop's own download folder, in the desktop's language, on the real
program under a private Xvfb server: velnook-prepare writes XDG_DOWNLOAD_DIR
of user-dirs.dirs into the settings, the program watches it, and Restore on
the configuration screen puts the folder the desktop names now into the
screen, which Save writes as UTF-8. Usage: test velnook velnook-prepare"""

import os
import subprocess
import sys
import time

from program_test_support import (check, click_twips, failures, log_of, program_env,
                                  set_settings, start_xvfb, wait_exit, wait_for_window,
                                  wait_until, window_ids)

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]
FRENCH = "Téléchargements"
RUSSIAN = "Загрузки"


def user_dirs(home, folder):
    config = os.path.join(home, ".config")
    os.makedirs(config, exist_ok=True)
    with open(os.path.join(config, "user-dirs.dirs"), "w", encoding="utf-8") as f:
        f.write('# written by xdg-user-dirs-update\nXDG_DOWNLOAD_DIR="$HOME/%s"\n' % folder)


def main():
    xvfb, display = start_xvfb()
    home, env = program_env(display, "velnook-desktop-")
    work = os.path.join(home, "app")
    os.mkdir(work)
    proc = None
    try:
        user_dirs(home, FRENCH)
        subprocess.run([PREPARE, work], env=env, check=True, stdout=subprocess.DEVNULL)
        ini = os.path.join(work, "Data", "Velnook.ini")
        text = open(ini, "rb").read()
        check(("\r\nDPath=~/%s/\r\n" % FRENCH).encode() in text,
              "velnook-prepare writes the desktop's download folder as UTF-8")
        check(os.path.isdir(os.path.join(home, FRENCH)), "velnook-prepare makes that folder")
        check(not os.path.exists(os.path.join(home, "Downloads")),
              "and no ~/Downloads beside it")
        set_settings(ini, {b"StartMin": b"1", b"LogLevel": b"3", b"StartDelay": b"1"})

        proc = subprocess.Popen([VELNOOK], cwd=work, env=env, stdout=subprocess.DEVNULL,
                                stderr=subprocess.DEVNULL)
        mains = wait_for_window(env, "Velnook")
        check(len(mains) >= 1, "the program starts watching it")
        if not mains:
            return
        check(not window_ids(env, "Velnook Download Directory Error"),
              "the folder is found")

        # The desktop now names another folder: Restore takes it, Save keeps it.
        os.mkdir(os.path.join(home, RUSSIAN))
        user_dirs(home, RUSSIAN)
        click_twips(env, mains[0], 1200, 585, 980, 345)  # Configure
        ids = wait_for_window(env, "Velnook Configuration")
        check(len(ids) == 1, "Configure opens the configuration screen")
        if not ids:
            return
        click_twips(env, ids[0], 3974, 7425, 980, 375)  # Restore
        click_twips(env, ids[0], 5231, 7425, 980, 375)  # Save
        text = open(ini, "rb").read()
        check(("\r\nDPath=~/%s/\r\n" % RUSSIAN).encode() in text,
              "Restore puts the desktop's folder in and Save writes it as UTF-8")
        # Restore reset these.
        set_settings(ini, {b"StartMin": b"1", b"LogLevel": b"3", b"StartDelay": b"1"})
        subprocess.run(["xdotool", "key", "Escape"], env=env)
        check(wait_until(lambda: not window_ids(env, "Velnook Configuration"), 10),
              "Escape closes the screen")

        # Watched: a file growing there shows as that second's rate.
        check(wait_until(lambda: "Config   , Updated" in log_of(work), 10),
              "closing after the save re-initialises the monitor")
        time.sleep(3)  # past the start delay: the monitor measures each second
        before = len(log_of(work))
        with open(os.path.join(home, RUSSIAN, "part"), "wb") as f:
            f.write(b"x" * 1536)
        check(wait_until(lambda: "   1.5" in log_of(work)[before:], 10),
              "a file growing in ~/%s shows its rate" % RUSSIAN)
        check(not window_ids(env, "Velnook Download Directory Error"),
              "no download directory error")
    finally:
        if proc and proc.poll() is None:
            proc.kill()
            wait_exit(proc)
        xvfb.kill()
        xvfb.wait()
    if failures:
        sys.exit("%d check(s) failed" % len(failures))


if __name__ == "__main__":
    main()
