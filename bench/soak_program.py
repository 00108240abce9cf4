"""Real-time soak: the real program watches a churning tree of 50,000 files
under a private X server for a number of minutes. Prints its resident memory
every half minute and checks that after a minute's warm-up it stays within
1 MB, and that a screenshot taken each minute differs from the one before
(the window keeps repainting its figures).

Usage: soak_program.py BUILD_DIR [MINUTES] [SHOT_DIR]
"""

import hashlib
import os
import random
import subprocess
import sys
import threading
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "platform",
                                "linux"))
from program_test_support import (check, failures, program_env, set_settings,  # noqa: E402
                                  start_xvfb)

FOLDERS, FILES_PER_FOLDER = 500, 100


def make_tree(root):
    for d in range(FOLDERS):
        folder = os.path.join(root, "d%d" % (d // 50), "e%d" % d)
        os.makedirs(folder, exist_ok=True)
        for f in range(FILES_PER_FOLDER):
            with open(os.path.join(folder, "f%d" % f), "wb") as out:
                out.write(b"x" * (f * 37 % 2048))


def churn(root, stop):
    """About 100 KB/s of appends, with files created, renamed, truncated and
    deleted and a folder made and removed now and then: the tree stays near
    50,000 files and the rate stays far above the level."""
    rnd = random.Random(7)
    made = []
    while not stop.is_set():
        for _ in range(5):
            d = rnd.randrange(FOLDERS)
            path = os.path.join(root, "d%d" % (d // 50), "e%d" % d, "f%d" %
                                rnd.randrange(FILES_PER_FOLDER))
            with open(path, "ab") as out:
                out.write(b"y" * 4096)
            if os.path.getsize(path) > 1 << 20:
                os.truncate(path, 0)
        d = rnd.randrange(FOLDERS)
        folder = os.path.join(root, "d%d" % (d // 50), "e%d" % d)
        new = os.path.join(folder, "n%d" % rnd.randrange(1 << 30))
        with open(new, "wb") as out:
            out.write(b"z" * rnd.randrange(8192))
        made.append(new)
        if len(made) > 50:
            old = made.pop(rnd.randrange(len(made)))
            if rnd.random() < 0.5:
                os.unlink(old)
            else:
                moved = os.path.join(os.path.dirname(old), "m%d" % rnd.randrange(1 << 30))
                os.rename(old, moved)
                made.append(moved)
        if rnd.random() < 0.05:
            extra = os.path.join(root, "extra%d" % rnd.randrange(4))
            if os.path.isdir(extra):
                subprocess.run(["rm", "-rf", extra])
            else:
                os.makedirs(os.path.join(extra, "sub"))
                for i in range(20):
                    with open(os.path.join(extra, "sub", "g%d" % i), "wb") as out:
                        out.write(b"w" * 1000)
        time.sleep(0.2)


def rss_kb(pid):
    with open("/proc/%d/status" % pid) as status:
        for line in status:
            if line.startswith("VmRSS:"):
                return int(line.split()[1])
    return 0


def main():
    build = os.path.abspath(sys.argv[1])
    minutes = int(sys.argv[2]) if len(sys.argv) > 2 else 10
    shots = sys.argv[3] if len(sys.argv) > 3 else "/tmp/velnook-soak-shots"
    os.makedirs(shots, exist_ok=True)
    xvfb, display = start_xvfb()
    work, env = program_env(display, "velnook-soak-")
    subprocess.run([os.path.join(build, "velnook-prepare"), work], check=True,
                   stdout=subprocess.DEVNULL)
    tree = os.path.join(work, "tree")
    make_tree(tree)
    set_settings(os.path.join(work, "Data", "Velnook.ini"),
                 {b"DPath": tree.encode() + b"\\", b"StartMin": b"1", b"DownDelay": b"600",
                  b"StartDelay": b"2"})

    stop = threading.Event()
    churner = threading.Thread(target=churn, args=(tree, stop))
    churner.start()
    # SOAK_WRAP runs the program under a tool, e.g. "heaptrack -o /tmp/soak".
    wrap = os.environ.get("SOAK_WRAP", "").split()
    prog = subprocess.Popen(wrap + [os.path.join(build, "velnook"), "-AllowMulti"], cwd=work, env=env,
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    samples, digests = [], []
    start = time.time()
    try:
        for second in range(0, minutes * 60 + 1):
            time.sleep(max(0.0, start + second - time.time()))
            if prog.poll() is not None:
                break
            if second % 30 == 0:
                kb = rss_kb(prog.pid)
                samples.append((second, kb))
                print("t=%4d s  resident %6d kB" % (second, kb), flush=True)
            if second % 60 == 0 and second > 0:
                shot = os.path.join(shots, "minute-%02d.png" % (second // 60))
                subprocess.run(["import", "-display", display, "-window", "root", shot],
                               check=True)
                # The pixels only, so that file metadata cannot make two
                # identical pictures look different.
                pixels = subprocess.run(["convert", shot, "rgb:-"], capture_output=True,
                                        check=True).stdout
                digests.append(hashlib.sha256(pixels).hexdigest())
    finally:
        stop.set()
        churner.join()
        alive = prog.poll() is None
        prog.kill()
        prog.wait()
        xvfb.kill()
        xvfb.wait()
        subprocess.run(["rm", "-rf", work])

    check(alive, "the program ran the whole %d minutes" % minutes)
    warm = [kb for second, kb in samples if second >= 60]
    if warm:
        print("after warm-up: min %d kB, max %d kB, spread %d kB" %
              (min(warm), max(warm), max(warm) - min(warm)))
        check(max(warm) - min(warm) <= 1024, "resident memory flat within 1 MB after warm-up")
    moving = all(a != b for a, b in zip(digests, digests[1:]))
    check(len(digests) >= 2 and moving, "every minute's screenshot differs from the one before")
    print("screenshots in " + shots)
    sys.exit(1 if failures else 0)


if __name__ == "__main__":
    main()
