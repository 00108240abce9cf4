#!/usr/bin/env python3
"""Runs the real program as nobody on a download folder that holds a folder
nobody may read and folders nested past PATH_MAX, with a download going on
beside them: every second shows the download's rate, the condition never
counts, the log names the locked folder once, and the main window grows by
the note's line. Then, as root, a download folder that is a file system of
its own, unmounted lazily while a download still writes into it: the
program reports the folder missing and ends, and never counts down. No power
request can leave: there is no system bus.
Usage: test velnook velnook-prepare"""

import os
import pwd
import re
import shutil
import subprocess
import sys
import tempfile
import threading

from program_test_support import (check, finish, log_of, program_env, set_settings, start_xvfb,
                                  wait_exit, wait_for_window, wait_until)

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]
# Root reads every folder: the program must run as an ordinary user.
AS_NOBODY = (["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]
             if os.geteuid() == 0 else [])


def make_deep(top, levels=25):
    """Folders of 200-character names, made relative to open folders since no
    path reaches the bottom; returns the bottom folder, open."""
    fd = os.open(top, os.O_RDONLY | os.O_DIRECTORY)
    for _ in range(levels):
        os.mkdir("n" * 200, dir_fd=fd)
        bottom = os.open("n" * 200, os.O_RDONLY | os.O_DIRECTORY, dir_fd=fd)
        os.close(fd)
        fd = bottom
    return fd


def window_height(env, window):
    out = subprocess.run(["xdotool", "getwindowgeometry", "--shell", window], env=env,
                         capture_output=True, text=True).stdout
    heights = [int(line[7:]) for line in out.split() if line.startswith("HEIGHT=")]
    return heights[0] if heights else 0


def download(stop, downloads, bottom):
    """40 KB a second: 4 beside the locked folder, 36 at the bottom of the deep
    one, far above the level, so a second the machine's load shifts still
    shows a rate."""
    while not stop.wait(0.25):
        with open(os.path.join(downloads, "file"), "ab") as f:
            f.write(b"d" * 1024)
        fd = os.open("deep", os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644, dir_fd=bottom)
        os.write(fd, b"d" * 9216)
        os.close(fd)


RUNS = r" Run      ,           , Count: *(-?\d+), Rate: *([\d.]+)"


def locked_folder(display, errors):
    work, env = program_env(display, "velnook-unreadable-")
    stop = threading.Event()
    proc = writer = None
    try:
        subprocess.run([PREPARE, work], env=env, check=True, stdout=subprocess.DEVNULL)
        set_settings(os.path.join(work, "Data", "Velnook.ini"),
                     {b"StartMin": b"1", b"AvTime": b"1", b"LogLevel": b"3", b"DownDelay": b"30"})
        downloads = os.path.join(work, "Downloads")
        locked = os.path.join(downloads, "locked")
        os.mkdir(locked)
        open(os.path.join(locked, "old"), "wb").write(b"o" * 5000)
        if AS_NOBODY:
            nobody = pwd.getpwnam("nobody")
            for folder in (work, env["XDG_RUNTIME_DIR"]):
                for root, dirs, files in os.walk(folder):
                    for name in [root] + [os.path.join(root, n) for n in dirs + files]:
                        os.lchown(name, nobody.pw_uid, nobody.pw_gid)
        os.chmod(locked, 0)
        bottom = make_deep(downloads)
        writer = threading.Thread(target=download, args=(stop, downloads, bottom))
        writer.start()

        proc = subprocess.Popen(AS_NOBODY + [VELNOOK], cwd=work, env=env,
                                stdout=subprocess.DEVNULL, stderr=errors)
        mains = wait_for_window(env, "Velnook", visible=True)
        check(len(mains) == 1, "the main window shows")
        runs = lambda: re.findall(RUNS, log_of(work))
        check(wait_until(lambda: len(runs()) >= 8, 30), "eight monitoring seconds are logged")
        seconds = runs()
        check(all(count == "0" for count, _ in seconds),
              "the condition never counts: %s" % [c for c, _ in seconds])
        # The first second after the baseline may hold less than a second's writing.
        rates = sorted(float(rate) for _, rate in seconds[1:])
        check(rates[0] > 2.0 and 30.0 <= rates[len(rates) // 2] <= 50.0,
              "every second shows the download, at about 40 KB/s: %s" % [r for _, r in seconds])
        log = log_of(work)
        check(log.count(" Unread   , locked    , Count:") == 1,
              "the log names the locked folder once")
        check("Enter    , Power Off" not in log, "no countdown starts")
        if mains:
            check(window_height(env, mains[0]) == 1260 // 15,
                  "the main window grows by the note's line")
        check(proc.poll() is None, "the program keeps running")
    finally:
        stop.set()
        if writer:
            writer.join()
        if proc and proc.poll() is None:
            proc.kill()
            proc.wait()
        shutil.rmtree(work, ignore_errors=True)


def vanished_file_system(display, errors):
    """A tmpfs on the download folder, unmounted lazily (as an eject or a
    dropped share does) while a download goes on writing into it through its
    open file."""
    if os.geteuid() != 0:
        print("skip the unmounted file system: only root may mount")
        return
    work, env = program_env(display, "velnook-unmounted-")
    downloads = os.path.join(work, "Downloads")
    stop = threading.Event()
    proc = writer = part = None
    try:
        subprocess.run([PREPARE, work], env=env, check=True, stdout=subprocess.DEVNULL)
        set_settings(os.path.join(work, "Data", "Velnook.ini"),
                     {b"StartMin": b"1", b"AvTime": b"1", b"LogLevel": b"3", b"DownDelay": b"10"})
        subprocess.run(["mount", "-t", "tmpfs", "-o", "size=8m", "velnook-test", downloads],
                       check=True)
        part = open(os.path.join(downloads, "part"), "ab", buffering=0)

        def download():
            while not stop.wait(0.1):
                part.write(b"d" * 10240)
        writer = threading.Thread(target=download)
        writer.start()
        proc = subprocess.Popen([VELNOOK], cwd=work, env=env, stdout=subprocess.DEVNULL,
                                stderr=errors)
        check(wait_until(lambda: len(re.findall(RUNS, log_of(work))) >= 2, 30),
              "the download is measured on its own file system")
        subprocess.run(["umount", "-l", downloads], check=True)
        boxes = wait_for_window(env, "Velnook Download Directory Error", timeout=10)
        check(len(boxes) == 1, "the unmounted folder is reported as missing")
        log = log_of(work)
        check("DirError , Unmounted" in log, "the log says its file system was unmounted")
        check("Enter    , Power Off" not in log, "no countdown starts")
        subprocess.run(["xdotool", "key", "--window", boxes[0] if boxes else "0", "Return"],
                       env=env)
        check(wait_exit(proc) not in (0, None), "the program then ends")
    finally:
        stop.set()
        if writer:
            writer.join()
        if part:
            part.close()
        if proc and proc.poll() is None:
            proc.kill()
            proc.wait()
        if os.path.ismount(downloads):
            subprocess.run(["umount", "-l", downloads])
        shutil.rmtree(work, ignore_errors=True)


def main():
    xvfb, display = start_xvfb()
    errors = tempfile.TemporaryFile(mode="w+")
    try:
        locked_folder(display, errors)
        vanished_file_system(display, errors)
    finally:
        xvfb.terminate()
        xvfb.wait()
    finish(errors)


main()
