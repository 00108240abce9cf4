#!/usr/bin/env python3
"""Takes the screenshots of the configuration screen, the About window, the
refusal warning and the report on the last run in docs/ from the real program under a private Xvfb
server (and, for the warning, a mock login manager on a private bus).

    python3 docs/make_screenshots.py build/velnook build/velnook-prepare"""

import json
import os
import signal
import subprocess
import sys
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "platform", "linux"))
from program_test_support import program_env, start_xvfb, wait_until  # noqa: E402

VELNOOK, PREPARE = os.path.abspath(sys.argv[1]), os.path.abspath(sys.argv[2])


def start_mock_logind(env, parameters=None, calls=None):
    """A private bus that stands in for the system bus (its address goes into
    env), with python-dbusmock's logind on it answering with parameters (such
    as {"CanPowerOff": "challenge"}); calls, when given, is a file that gets
    the calls made of it. Returns (bus, mock, address); address is None when
    the mock did not come up."""
    bus = subprocess.Popen(["dbus-daemon", "--session", "--nofork", "--nopidfile",
                            "--print-address=1"], stdout=subprocess.PIPE, text=True)
    address = bus.stdout.readline().strip()
    env.update(DBUS_SYSTEM_BUS_ADDRESS=address, DBUS_SESSION_BUS_ADDRESS=address)
    args = ["/usr/bin/python3", "-m", "dbusmock", "--template", "logind"]
    if parameters:
        args += ["--parameters", json.dumps(parameters)]
    if calls:
        args += ["-l", calls]
    mock = subprocess.Popen(args, env=env, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    owned = wait_until(lambda: "true" in subprocess.run(
        ["dbus-send", "--bus=" + address, "--print-reply", "--dest=org.freedesktop.DBus",
         "/org/freedesktop/DBus", "org.freedesktop.DBus.NameHasOwner",
         "string:org.freedesktop.login1"], capture_output=True, text=True).stdout, 20)
    return bus, mock, address if owned else None


def px(twips):
    return str((twips + 7) // 15)


def find_window(env, name, timeout=30.0):
    end = time.time() + timeout
    while time.time() < end:
        out = subprocess.run(["xdotool", "search", "--name", "^" + name + "$"], env=env,
                             capture_output=True, text=True).stdout.split()
        if out:
            return out[-1]
        time.sleep(0.1)
    sys.exit("no window " + name)


def click(env, window, left, top, width, height):
    """Clicks the centre of a control placed in twips."""
    subprocess.run(["xdotool", "mousemove", "--window", window, px(left + width // 2),
                    px(top + height // 2), "click", "1"], env=env, check=True)
    time.sleep(0.3)


def type_into(env, window, place, text):
    click(env, window, *place)
    subprocess.run(["xdotool", "key", "ctrl+a"], env=env, check=True)
    subprocess.run(["xdotool", "type", text], env=env, check=True)


def shoot(env, window, name):
    time.sleep(0.8)
    geo = dict(line.split("=") for line in subprocess.run(
        ["xdotool", "getwindowgeometry", "--shell", window], env=env, capture_output=True,
        text=True, check=True).stdout.split())
    crop = "%sx%s+%s+%s" % (geo["WIDTH"], geo["HEIGHT"], geo["X"], geo["Y"])
    subprocess.run(["import", "-window", "root", "-crop", crop, "+repage",
                    os.path.join(HERE, name)], env=env, check=True)
    print("wrote docs/" + name)


CONFIG_BUTTON = (1200, 585, 980, 345)
ABOUT_BUTTON = (5097, 585, 980, 345)
AVTIME = (1980, 345, 675, 360)
LOGNAME = (1980, 2115, 2600, 360)
LOGPATH = (1980, 2580, 5085, 360)
SAVE = (5231, 7425, 980, 375)


def run(env, work, edits, title, shots):
    ini = os.path.join(work, "Data", "Velnook.ini")
    text = open(ini, "rb").read()
    for old, new in edits:
        text = text.replace(old, new)
    open(ini, "wb").write(text)
    proc = subprocess.Popen([VELNOOK, "-AllowMulti"], cwd=work, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    try:
        shots(find_window(env, title))
    finally:
        proc.send_signal(signal.SIGTERM)
        proc.wait(10)


def main():
    xvfb, display = start_xvfb()
    work, env = program_env(display, "velnook-shots-")
    try:
        subprocess.run([PREPARE, work], env=env, check=True, stdout=subprocess.DEVNULL)

        def master(main):
            click(env, main, *CONFIG_BUTTON)
            config = find_window(env, "Velnook Configuration")
            shoot(env, config, "config-master.png")
            type_into(env, config, AVTIME, "31")
            type_into(env, config, LOGNAME, "abc.log")
            click(env, config, *SAVE)
            shoot(env, config, "config-marked.png")
            subprocess.run(["xdotool", "key", "Escape"], env=env, check=True)
            time.sleep(0.5)
            click(env, main, *ABOUT_BUTTON)
            about = find_window(env, "About Velnook")
            time.sleep(2)
            shoot(env, about, "about.png")

        run(env, work, [(b"StartMin=2", b"StartMin=1")], "Velnook", master)

        def slave(main):
            click(env, main, *CONFIG_BUTTON)
            shoot(env, find_window(env, "Velnook Slave Configuration"), "config-slave.png")

        run(env, work, [(b"CMain=1", b"CMain=2"), (b"IPAdd=\r", b"IPAdd=127.0.0.1\r"),
                        (b"Port1=10001", b"Port1=%d" % (20000 + os.getpid() % 20000))],
            "Velnook Slave", slave)

        # Folders named in the desktop's language, typed and saved.
        for folder in ("Téléchargements", "Журналы"):
            os.makedirs(os.path.join(work, folder), exist_ok=True)

        def utf8(main):
            click(env, main, *CONFIG_BUTTON)
            config = find_window(env, "Velnook Configuration")
            type_into(env, config, LOGPATH, "~/Журналы/")
            click(env, config, *SAVE)
            shoot(env, config, "config-utf8.png")

        run(env, work, [(b"DPath=~/Downloads/", "DPath=~/Téléchargements/".encode()),
                        (b"CMain=2", b"CMain=1"), (b"IPAdd=127.0.0.1", b"IPAdd=")],
            "Velnook", utf8)
        # A login manager that would ask for a password: the warning shows
        # once monitoring begins.
        bus, mock, _ = start_mock_logind(env, {"CanPowerOff": "challenge"})
        try:
            run(env, work, [(b"CMain=2", b"CMain=1")], "Velnook",
                lambda main: (time.sleep(4), shoot(env, main, "refused-warning.png")))
        finally:
            mock.kill()
            bus.kill()

        # A log whose last run powered off after a quiet spell, beside a
        # download left unfinished: the next start says so.
        def entry(time, first, second, note=""):
            line = "05-Dec-26 %s,  %-9s, %-10s, Count:   0" % (time, first, second)
            return line + (", " + note if note else "") + "\r\n"
        with open(os.path.join(work, "Log", "Velnook.log"), "w", newline="") as log:
            log.write("\r\n\r\nVelnook\r\nVersion 2.5\r\n\r\n" +
                      entry("02:00:01", "Start", "Initialise") +
                      entry("03:07:59", "Enter", "Power Off", "Quiet: 300 s") +
                      entry("03:08:00", "Unfinish", "1 file", "ubuntu.iso.part (2.1 GB)") +
                      entry("03:12:00", "Start", "Power Off") +
                      entry("03:12:00", "Close", "Power Off"))
        run(env, work, [], "Velnook", lambda main: shoot(env, main, "last-run.png"))
    finally:
        xvfb.kill()


if __name__ == "__main__":
    main()
