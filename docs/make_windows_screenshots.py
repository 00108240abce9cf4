#!/usr/bin/env python3
"""Takes docs/windows-main.png and docs/windows-config.png from the real
velnook.exe under Wine, in a Wine desktop (which draws the window frames)
on a private Xvfb server, with a Wine prefix of its own.

    python3 docs/make_windows_screenshots.py build-win/velnook.exe /usr/lib/wine/wine64"""

import os
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
sys.path.insert(0, os.path.join(HERE, "..", "platform", "linux"))
sys.path.insert(0, os.path.join(HERE, "..", "platform", "win32"))
from program_test_support import start_xvfb  # noqa: E402
from velnook_wine_test import prepare  # noqa: E402

FRAME_SIDES, FRAME_TOP_AND_BOTTOM = 6, 24  # Wine's frame around a client area, in pixels


def px(twips):
    return (twips + 7) // 15


def shoot(env, client_w, client_h, out):
    """The window that Wine's desktop places at its top left corner."""
    w, h = px(client_w) + FRAME_SIDES, px(client_h) + FRAME_TOP_AND_BOTTOM
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+0+0" % (w, h), "+repage", out],
                   env=env, check=True)


def main():
    velnook, wine = os.path.abspath(sys.argv[1]), sys.argv[2]
    xvfb, display = start_xvfb()
    prefix = tempfile.mkdtemp(prefix="velnook-wine-shots-")
    work = tempfile.mkdtemp(prefix="velnook-wine-shots-work-")
    env = dict(os.environ, DISPLAY=display, WINEPREFIX=prefix, WINEDEBUG="-all")
    wineserver = os.path.join(os.path.dirname(wine), "wineserver")
    try:
        subprocess.run([wine, "wineboot", "-i"], env=env, capture_output=True)
        prepare(work)
        program = subprocess.Popen([wine, "explorer", "/desktop=Velnook,800x600", velnook],
                                   cwd=work, env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        time.sleep(6)  # the start delay has run out and the monitor counts
        shoot(env, 7260, 1005, os.path.join(HERE, "windows-main.png"))
        # Configure, at (1200, 585) twips, 980 x 345, inside the frame.
        x = FRAME_SIDES // 2 + px(1200 + 490)
        y = FRAME_TOP_AND_BOTTOM - FRAME_SIDES // 2 + px(585 + 172)
        subprocess.run(["xdotool", "mousemove", str(x), str(y), "click", "1"], env=env, check=True)
        time.sleep(2)
        shoot(env, 7545, 7875, os.path.join(HERE, "windows-config.png"))
        program.kill()
        program.wait()
    finally:
        subprocess.run([wineserver, "-k"], env=env)
        xvfb.terminate()
        xvfb.wait()
        shutil.rmtree(prefix, ignore_errors=True)
        shutil.rmtree(work, ignore_errors=True)


main()
