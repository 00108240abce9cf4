#!/usr/bin/env python3
"""`velnook -Cancel` against real running programs under a private Xvfb
server: it cancels a countdown (started with -InhibitShutdown, so nothing is
ever switched off) from a shell without display or desktop bus, also when
it is the second of two instances; it says so and fails when nothing runs or
nothing counts down, without opening a window; it never reaches another
user's instance, not even as root; and a user's starts meet the same lock
and sockets whatever their XDG_RUNTIME_DIR.
Usage: velnook_cancel_test.py velnook velnook-prepare"""

import os
import pwd
import shutil
import socket
import subprocess
import sys
import tempfile

from program_test_support import (check, finish, log_of, program_env, set_settings, start_xvfb,
                                  stop_all, wait_for_window, wait_until, window_ids)

VELNOOK, PREPARE = sys.argv[1], sys.argv[2]
AS_NOBODY = ["setpriv", "--reuid=nobody", "--regid=nogroup", "--clear-groups"]


def terminal_env(env):
    """A shell as over SSH: the same user and runtime folder, no display, no
    desktop bus."""
    plain = dict(env)
    for name in ("DISPLAY", "WAYLAND_DISPLAY", "DBUS_SESSION_BUS_ADDRESS"):
        plain.pop(name, None)
    return plain


def cancel(env, user=()):
    return subprocess.run([*user, VELNOOK, "-Cancel"], env=env, capture_output=True, text=True,
                          timeout=30)


def prepare(home, env, user=()):
    subprocess.run([*user, PREPARE, home], env=env, check=True, stdout=subprocess.DEVNULL)
    set_settings(os.path.join(home, "Data", "Velnook.ini"),
                 {b"StartMin": b"1", b"StartDelay": b"2", b"LogLevel": b"2"})


def end(procs):
    for p in procs:
        if p.poll() is None:
            p.kill()
            p.wait()
    procs.clear()


def same_folder_whatever_the_environment(env, errors):
    """A user of its own (no runtime folder of the system's): started with
    XDG_RUNTIME_DIR and then without, the second start is refused, and
    -Cancel without it reaches the first."""
    uid = 40000 + os.getpid() % 20000
    user = ["setpriv", "--reuid=%d" % uid, "--regid=%d" % uid, "--clear-groups"]
    home = tempfile.mkdtemp(prefix="velnook-uid-")
    runtime = tempfile.mkdtemp(prefix="velnook-uid-run-")
    for folder in (home, runtime):
        os.chown(folder, uid, uid)
    plain = dict(env, HOME=home)
    plain.pop("VELNOOK_RUNTIME_DIR")
    plain.pop("XDG_RUNTIME_DIR")
    prepare(home, plain, user)
    procs = []
    try:
        procs.append(subprocess.Popen([*user, VELNOOK], cwd=home,
                                      env=dict(plain, XDG_RUNTIME_DIR=runtime),
                                      stdout=subprocess.DEVNULL, stderr=errors))
        check(bool(wait_for_window(env, "Velnook", 15)), "started with XDG_RUNTIME_DIR: it runs")
        procs.append(subprocess.Popen([*user, VELNOOK], cwd=home, env=plain,
                                      stdout=subprocess.DEVNULL, stderr=errors))
        check(bool(wait_for_window(env, "Velnook Start Up Error", 15)),
              "started again without it: refused as a second instance")
        r = cancel(terminal_env(plain), user)
        check(r.returncode == 1, "-Cancel without it reaches the first: %r" % r.stderr)
    finally:
        end(procs)
        shutil.rmtree("/tmp/Velnook-%d" % uid, ignore_errors=True)


def main():
    xvfb, display = start_xvfb()
    work, env = program_env(display, "velnook-cancel-")
    procs = []
    errors = tempfile.TemporaryFile(mode="w+")
    try:
        # Nothing runs: a line on standard error, a failure status, no window.
        r = cancel(terminal_env(env))
        check(r.returncode != 0 and r.stdout == "" and len(r.stderr.splitlines()) == 1,
              "with nothing running: one line on standard error and a failure: %r" % r.stderr)
        r = cancel(env)
        check(r.returncode != 0 and not window_ids(env, "Velnook.*"),
              "with a display it opens no window either")
        r = subprocess.run([VELNOOK, "--cancel"], env=terminal_env(env), capture_output=True,
                           text=True, timeout=30)
        check(r.returncode == 4 and "velnook -Cancel" in r.stderr,
              "a misspelt switch points to -Cancel: %r" % r.stderr)

        # A first instance that never counts down, and a second one beside it.
        idle_home = tempfile.mkdtemp(prefix="velnook-cancel-idle-")
        prepare(idle_home, env)
        set_settings(os.path.join(idle_home, "Data", "Velnook.ini"), {b"StartDelay": b"3600"})
        procs.append(subprocess.Popen([VELNOOK], cwd=idle_home, env=env,
                                      stdout=subprocess.DEVNULL, stderr=errors))
        check(bool(wait_for_window(env, "Velnook", 15)), "the first instance shows its window")
        prepare(work, env)
        own = subprocess.Popen([VELNOOK, "-InhibitShutdown", "-AllowMulti"], cwd=work, env=env,
                               stdout=subprocess.DEVNULL, stderr=errors)
        procs.append(own)
        check(wait_until(lambda: len(window_ids(env, "Velnook")) >= 2, 15),
              "the second instance shows its window")
        # The window may show a moment before the instance listens.
        answers = []
        wait_until(lambda: answers.append(cancel(terminal_env(env))) or
                   answers[-1].stderr.count("not counting down") == 2, 10)
        r = answers[-1]
        check(r.returncode == 1 and r.stderr.count("not counting down") == 2 and r.stdout == "",
              "before the countdown: nothing to cancel, from each: %r" % r.stderr)
        check(wait_until(lambda: "Enter    , Power Off" in log_of(work), 30),
              "the second instance counts down")
        r = cancel(terminal_env(env))
        check(r.returncode == 0 and "cancelled" in r.stdout and len(r.stdout.splitlines()) == 1
              and r.stderr.count("not counting down") == 1,
              "-Cancel cancels the second one's countdown: %r %r" % (r.stdout, r.stderr))
        log = log_of(work)
        check("Reset    , Power Off" in log and log.rstrip().endswith("Start    , Initialise, Count:   2"),
              "as the Cancel button does: logged, and the start delay begins again")
        check(own.poll() is None, "the instance runs on")
        end(procs)
        same_folder_whatever_the_environment(env, errors)

        # Another user's instance, sharing the runtime folder: neither root's
        # nor a third user's -Cancel reaches it.
        shared = tempfile.mkdtemp(prefix="velnook-shared-run-")
        os.chmod(shared, 0o1777)
        nobody = pwd.getpwnam("nobody").pw_uid
        home = tempfile.mkdtemp(prefix="velnook-stranger-")
        os.chown(home, nobody, nobody)
        stranger_env = dict(env, HOME=home, VELNOOK_RUNTIME_DIR=shared)
        prepare(home, stranger_env, AS_NOBODY)
        stranger = subprocess.Popen([*AS_NOBODY, VELNOOK, "-InhibitShutdown"], cwd=home,
                                    env=stranger_env, stdout=subprocess.DEVNULL,
                                    stderr=errors)
        procs.append(stranger)
        check(wait_until(lambda: "Enter    , Power Off" in log_of(home), 40),
              "the other user's instance counts down")
        root_env = terminal_env(dict(env, VELNOOK_RUNTIME_DIR=shared))
        check(cancel(root_env).returncode == 2, "root's -Cancel finds no instance of its own")
        third = cancel(root_env, ["setpriv", "--reuid=daemon", "--regid=daemon",
                                  "--clear-groups"])
        check(third.returncode == 2, "a third user's -Cancel finds none either")
        path = os.path.join(shared, "Velnook-%d" % nobody, "cancel.%d" % stranger.pid)
        check(os.stat(os.path.dirname(path)).st_mode & 0o077 == 0 and
              os.stat(path).st_mode & 0o077 == 0, "the socket and its folder are closed to others")
        # Root passes the folder's mode; the instance still hangs up on it.
        answer = b"?"
        try:
            with socket.socket(socket.AF_UNIX, socket.SOCK_STREAM) as s:
                s.settimeout(10)
                s.connect(path)
                s.sendall(b"cancel\n")
                answer = s.recv(100)
        except OSError:
            answer = b""
        check(answer == b"", "root connecting to the socket itself gets no answer: %r" % answer)
        check(wait_until(lambda: "Power Off, Simulate" in log_of(home), 30),
              "the other user's countdown runs to its end")
        check("Reset" not in log_of(home), "and was never cancelled")
    finally:
        stop_all(procs, xvfb)
    finish(errors)


main()
