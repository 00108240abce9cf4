#!/usr/bin/env python3
"""Saves on the real configuration screen as the user "nobody" (root may
write any file): a settings file its owner made read-only, and one in a
folder that may not be written, get the write-error message and stay as
they were; a settings file that is a link is saved at its target, the link
stays a link and the file keeps its mode. Usage: test velnook velnook-prepare"""

import grp
import os
import pwd
import stat
import subprocess
import sys
import tempfile

from program_test_support import (check, finish, open_screen_and_save_delay, program_env,
                                  set_settings, start_xvfb, wait_exit, wait_for_window,
                                  wait_until)

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]
OUTPUT = tempfile.TemporaryFile(mode="w+")
NOBODY = pwd.getpwnam("nobody")
# Only an administrator may save: nobody runs with the group "sudo" as well,
# which gives no rights over the files here.
AS_NOBODY = ["setpriv", "--reuid=nobody", "--regid=%d" % NOBODY.pw_gid,
             "--groups=%d" % grp.getgrnam("sudo").gr_gid]


def give_to_nobody(*paths):
    for path in paths:
        os.chown(path, NOBODY.pw_uid, NOBODY.pw_gid)


def save_delay(env, work, delay, saved=None):
    """Starts the program, types delay on the screen and saves; returns
    whether the write-error message came up, waiting for it or, when given,
    for saved() to hold. The program is ended after."""
    proc = subprocess.Popen(AS_NOBODY + [VELNOOK], cwd=work, env=env,
                            stdout=subprocess.DEVNULL, stderr=OUTPUT)
    try:
        mains = wait_for_window(env, "Velnook", timeout=30)
        check(len(mains) >= 1, "the program starts as nobody")
        if not mains:
            return False
        screen = open_screen_and_save_delay(env, mains[0], delay)
        check(screen is not None, "Configure opens the configuration screen")
        title = "Velnook Configuration File Write Error"
        if saved:
            wait_until(saved, 15)
        error = wait_for_window(env, title, timeout=1 if saved else 15)
        if error:
            subprocess.run(["xdotool", "key", "Return"], env=env)
        return bool(error)
    finally:
        proc.kill()
        wait_exit(proc)


def main():
    xvfb, display = start_xvfb()
    try:
        work, env = program_env(display, "velnook-save-")
        os.chmod(work, 0o755)
        give_to_nobody(work, env["XDG_RUNTIME_DIR"])
        subprocess.run(AS_NOBODY + [PREPARE, work], env=env, check=True,
                       stdout=subprocess.DEVNULL)
        data = os.path.join(work, "Data")
        ini = os.path.join(data, "Velnook.ini")
        set_settings(ini, {b"StartMin": b"1"})  # the main window shows, not the tray icon
        original = open(ini, "rb").read()

        os.chmod(ini, 0o444)
        check(save_delay(env, work, "120"), "a read-only file gives the write-error message")
        check(open(ini, "rb").read() == original, "the read-only file is unchanged")

        os.chmod(ini, 0o644)
        os.chmod(data, 0o555)
        check(save_delay(env, work, "121"), "a locked folder gives the write-error message")
        check(open(ini, "rb").read() == original, "the file in the locked folder is unchanged")
        os.chmod(data, 0o755)

        # The settings live elsewhere and Data\Velnook.ini links to them.
        shared = os.path.join(work, "shared")
        os.mkdir(shared)
        give_to_nobody(shared)
        target = os.path.join(shared, "velnook.ini")
        os.rename(ini, target)
        os.chmod(target, 0o600)
        os.symlink("../shared/velnook.ini", ini)
        def saved():
            return b"\r\nDownDelay=122\r\n" in open(target, "rb").read()
        check(not save_delay(env, work, "122", saved), "a linked file is saved without a message")
        check(os.path.islink(ini), "the link stays a link")
        check(saved(), "the link's target holds the saved value")
        st = os.stat(target)
        check(stat.S_IMODE(st.st_mode) == 0o600 and st.st_uid == NOBODY.pw_uid,
              "the target keeps its mode and owner")
        check(sorted(os.listdir(data)) == ["Velnook.ini"], "no temporary file is left in Data")
    finally:
        xvfb.terminate()
        xvfb.wait()
    finish(OUTPUT)


main()
