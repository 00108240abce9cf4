#!/usr/bin/env python3
"""Runs the real velnook program under a private Xvfb server with openbox as
window manager and trayer as notification area: windows closed under their
own message box, a countdown kept on top that leaves the keyboard to the
program that has it, boxes wide enough for their titles, and a cancelled
countdown without a notification area. Then runs the
widget checks of qt_window_faults_test on the same desktop.
Usage: test velnook velnook-prepare qt_window_faults_test"""

import os
import subprocess
import sys
import tempfile
import time

from program_test_support import (check, click_twips, finish, free_port, log_of, program_env,
                                  set_settings, start_xvfb, wait_exit, wait_for_window,
                                  wait_until, window_ids)

VELNOOK, PREPARE, QT_CHECKS = (os.path.abspath(a) for a in sys.argv[1:4])

TEST = (90, 585, 980, 345)
ABOUT = (5097, 585, 980, 345)
CONFIG = (1200, 585, 980, 345)
RESET = (3960, 585, 980, 345)
WEB_SITE = (1200, 1620, 2000, 285)  # the left half: the text itself
VIEW_LOG = (2717, 7425, 980, 375)


def start_tray(env):
    tray = subprocess.Popen(["trayer", "--edge", "bottom", "--align", "right", "--widthtype",
                             "pixel", "--width", "120", "--heighttype", "pixel", "--height",
                             "24"], env=env, stdout=subprocess.DEVNULL,
                            stderr=subprocess.DEVNULL)
    # Ready once it owns the tray selection, which its window shows.
    wait_until(lambda: bool(window_ids(env, "panel")), 10)
    time.sleep(0.5)
    return tray


def stop(proc):
    if proc and proc.poll() is None:
        proc.terminate()
        proc.wait()


def xprop(env, window, prop):
    return subprocess.run(["xprop", "-id", window, prop], env=env, capture_output=True,
                          text=True).stdout


def client_width(env, window):
    out = subprocess.run(["xwininfo", "-id", window], env=env, capture_output=True,
                         text=True).stdout
    for line in out.splitlines():
        if line.strip().startswith("Width:"):
            return int(line.split()[1])
    return 0


def title_room(title):
    """Pixels openbox needs for a whole title: the text in its title font
    (sans 8 bold) beside the frame's icon and three buttons."""
    text = subprocess.run(["convert", "-font", "DejaVu-Sans-Bold", "-pointsize", "8",
                           "-density", "96", "label:" + title, "-format", "%w", "info:"],
                          capture_output=True, text=True).stdout
    return int(text or 0) + 4 * 20 + 16


def check_title_fits(env, window, title):
    width, room = client_width(env, window), title_room(title)
    check(width >= room, "the box \"%s\" is wide enough for its title (%d >= %d px)"
          % (title, width, room))


def answer_box(env, window):
    """Return on the box, typed as a user would (Qt ignores sent events)."""
    subprocess.run(["xdotool", "windowactivate", "--sync", window], env=env)
    subprocess.run(["xdotool", "key", "Return"], env=env)


def wait_gone(env, name, timeout):
    return wait_until(lambda: not window_ids(env, name, visible=True), timeout)


def iconic(env, window):
    return "Iconic" in xprop(env, window, "WM_STATE")


def managed_window(env, name, timeout=10):
    """The window of that name the window manager looks after, shown or not."""
    found = []
    wait_until(lambda: found.extend(w for w in window_ids(env, name)
                                    if "window state" in xprop(env, w, "WM_STATE")) or found,
               timeout)
    return found[:1]


def prepare(env, values):
    work = env["HOME"]
    subprocess.run([PREPARE, work], env=env, check=True, stdout=subprocess.DEVNULL)
    values = {b"Port1": str(free_port()).encode(), **values}
    set_settings(os.path.join(work, "Data", "Velnook.ini"), values)
    return work


def closed_under_their_boxes(display, launch):
    """With no browser or editor launcher on PATH, About's web address and
    the screen's View Log open an error box; the window's self-close (4 s
    under -InhibitShutdown) runs out under it. OK must not end the program.
    Then test mode's box, the narrowest, shows its whole title."""
    work, env = program_env(display, "velnook-faults-boxes-")
    prepare(env, {b"StartMin": b"1", b"DownDelay": b"600"})
    nothing = tempfile.mkdtemp(prefix="velnook-nopath-")
    # Freed memory filled with garbage: a window used after its end crashes.
    proc = launch(dict(env, PATH=nothing, MALLOC_PERTURB_="204"), work, "-InhibitShutdown")
    mains = wait_for_window(env, "Velnook", visible=True)
    check(bool(mains), "the main window shows")
    if not mains:
        return
    for opener, screen, control, box_title in (
            (ABOUT, "About Velnook", WEB_SITE, "Velnook Error"),
            (CONFIG, "Velnook Configuration", VIEW_LOG, "Velnook Log File Error")):
        click_twips(env, mains[0], *opener)
        ids = wait_for_window(env, screen, visible=True)
        check(len(ids) == 1, screen + " opens")
        if not ids:
            continue
        click_twips(env, ids[0], *control)
        boxes = wait_for_window(env, box_title, visible=True)
        check(len(boxes) == 1, "the error box \"%s\" opens over %s" % (box_title, screen))
        if not boxes:
            continue
        check_title_fits(env, boxes[0], box_title)
        check(wait_gone(env, screen, 10), screen + " closes itself under the box")
        answer_box(env, boxes[0])
        check(wait_gone(env, box_title, 5), "OK closes the box")
        time.sleep(1)
        check(proc.poll() is None, "the program lives on after OK (%s)" % screen)
        if proc.poll() is not None:
            return
        # And the window opens again.
        click_twips(env, mains[0], *opener)
        check(len(wait_for_window(env, screen, visible=True)) == 1, screen + " opens again")
        check(wait_gone(env, screen, 10), screen + " closes itself again")
    # Test mode's box has the shortest text of all: "Test Power Off".
    click_twips(env, mains[0], *TEST)
    boxes = wait_for_window(env, "Velnook Test", timeout=15, visible=True)
    check(len(boxes) == 1, "test mode ends in its box")
    if boxes:
        check_title_fits(env, boxes[0], "Velnook Test")
        answer_box(env, boxes[0])


def countdown_on_top(display, launch):
    """Run On Top off, Start Minimised on: the countdown brings the window
    back from the tray on top, and no activation afterwards takes that away.
    Its last second shows behind "Test Real Power Off"."""
    work, env = program_env(display, "velnook-faults-ontop-")
    prepare(env, {b"StartMin": b"2", b"RunOnTop": b"1"})
    proc = launch(env, work, "-InhibitShutdown")
    time.sleep(2)
    check(not window_ids(env, "Velnook", visible=True), "start-up hides the window in the tray")
    # 2 s start delay, a baseline second, 6 quiet seconds under -InhibitShutdown.
    mains = wait_for_window(env, "Velnook", timeout=20, visible=True)
    check(bool(mains), "the countdown brings the window back")
    if not mains:
        return
    above = lambda: "_NET_WM_STATE_ABOVE" in xprop(env, mains[0], "_NET_WM_STATE")
    check(wait_until(above, 3), "the countdown's window is above others")
    time.sleep(1)  # the activation that follows the restore
    check(above(), "the activation after the restore leaves it above")
    click_twips(env, mains[0], 90, 0, 6240, 255)  # click its title line: activates it
    subprocess.run(["xdotool", "windowactivate", mains[0]], env=env)
    time.sleep(1)
    check(above(), "activating it again leaves it above")
    boxes = wait_for_window(env, "Velnook Simulate Power Off", timeout=15, visible=True)
    check(len(boxes) == 1, "the end of the countdown shows its box")
    if boxes:
        check_title_fits(env, boxes[0], "Velnook Simulate Power Off")
        answer_box(env, boxes[0])
        check(wait_exit(proc) is not None, "OK ends the simulated power off")


def countdown_leaves_the_keyboard(display, launch, start_min):
    """Run On Top off: another program has the keyboard when the countdown
    brings the window forward (from the screen or from the tray) and keeps
    it; the window asks for attention instead, and an Enter reaches that
    program rather than pressing Cancel. The window's class is the desktop
    entry's name."""
    work, env = program_env(display, "velnook-faults-focus-")
    prepare(env, {b"StartMin": start_min, b"RunOnTop": b"1"})
    proc = launch(env, work, "-InhibitShutdown")
    where = "from the tray" if start_min == b"2" else "from the screen"
    if start_min == b"1":
        check(bool(wait_for_window(env, "Velnook", visible=True)), "the main window shows")
    typing = subprocess.Popen(["xmessage", "-name", "typing", "-buttons", "okay:101", "-default",
                               "okay", "another program"], env=env)
    other = wait_for_window(env, "typing", visible=True)
    active = lambda: subprocess.run(["xdotool", "getactivewindow"], env=env, capture_output=True,
                                    text=True).stdout.strip()
    if other:
        subprocess.run(["xdotool", "windowactivate", "--sync", other[0]], env=env)
    check(wait_until(lambda: "Enter    , Power Off" in log_of(work), 20),
          "the countdown starts " + where)
    time.sleep(1.5)
    check(bool(other) and active() == other[0], "the other program keeps the keyboard " + where)
    mains = wait_for_window(env, "Velnook", visible=True)
    check(len(mains) == 1 and
          ("_NET_WM_STATE_DEMANDS_ATTENTION" in xprop(env, mains[0], "_NET_WM_STATE") or
           "urgency" in xprop(env, mains[0], "WM_HINTS")),
          "the countdown's window asks for attention " + where)
    if start_min == b"1" and mains:
        check('"org.velnook.Velnook"' in xprop(env, mains[0], "WM_CLASS"),
              "the window's class is the desktop entry's name")
    subprocess.run(["xdotool", "key", "Return"], env=env)
    check(wait_exit(typing, 5) == 101, "Enter reaches the other program " + where)
    time.sleep(1)
    check(proc.poll() is None and "Reset" not in log_of(work), "the countdown goes on " + where)
    if typing.poll() is None:
        typing.kill()
        typing.wait()


def cancel_applies_start_minimised(display, launch, with_tray):
    """A real countdown (action Monitor, which only closes the program)
    cancelled: the start-minimised rule takes the window off the screen the
    same way with a notification area (hidden, icon) or without (minimised)."""
    work, env = program_env(display, "velnook-faults-cancel-")
    prepare(env, {b"StartMin": b"2", b"RunOnTop": b"1", b"ShutType": b"4",
                  b"IPAdd": b"127.0.0.1", b"DownDelay": b"5", b"ShutTime": b"60"})
    where = "with a notification area" if with_tray else "without a notification area"
    launch(env, work)
    if not with_tray:
        mains = managed_window(env, "Velnook")
        check(bool(mains) and wait_until(lambda: iconic(env, mains[0]), 5),
              "start-up minimises the window " + where)
    # Keeping it on top may give the window a new id: look it up again.
    mains = wait_for_window(env, "Velnook", timeout=20, visible=True)
    check(bool(mains), "the countdown shows the window " + where)
    if not mains:
        return
    time.sleep(1)
    click_twips(env, mains[0], *RESET)  # Cancel
    if with_tray:
        check(wait_gone(env, "Velnook", 5), "Cancel hides the window in the tray " + where)
    else:
        mains = managed_window(env, "Velnook")
        check(bool(mains) and wait_until(lambda: iconic(env, mains[0]), 5),
              "Cancel minimises the window " + where)


def main():
    xvfb, display = start_xvfb()
    env = dict(os.environ, DISPLAY=display)
    wm = subprocess.Popen(["openbox", "--sm-disable"], env=env, stdout=subprocess.DEVNULL,
                          stderr=subprocess.DEVNULL)
    wait_until(lambda: "_NET_SUPPORTING_WM_CHECK(WINDOW)" in subprocess.run(
        ["xprop", "-root", "_NET_SUPPORTING_WM_CHECK"], env=env, capture_output=True,
        text=True).stdout, 10)
    tray = start_tray(env)
    procs = []
    errors = tempfile.TemporaryFile(mode="w+")
    print("display " + display, flush=True)

    def launch(penv, work, *args):
        p = subprocess.Popen([VELNOOK, *args], cwd=work, env=penv, stdout=subprocess.DEVNULL,
                             stderr=errors)
        procs.append(p)
        return p

    def end_all():
        for p in procs:
            if p.poll() is None:
                p.kill()
                p.wait()

    try:
        qt = subprocess.run([QT_CHECKS], env=dict(env, QT_QPA_PLATFORM="xcb"),
                            capture_output=True, text=True, timeout=120)
        check(qt.returncode == 0, "qt_window_faults_test passes under openbox")
        if qt.returncode != 0:
            print(qt.stdout + qt.stderr)
        closed_under_their_boxes(display, launch)
        end_all()
        countdown_on_top(display, launch)
        end_all()
        for start_min in (b"1", b"2"):
            countdown_leaves_the_keyboard(display, launch, start_min)
            end_all()
        cancel_applies_start_minimised(display, launch, with_tray=True)
        end_all()
        stop(tray)
        tray = None
        cancel_applies_start_minimised(display, launch, with_tray=False)
        end_all()
    finally:
        end_all()
        stop(tray)
        stop(wm)
        xvfb.terminate()
        xvfb.wait()
    finish(errors)


main()
