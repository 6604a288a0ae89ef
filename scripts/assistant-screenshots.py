#!/usr/bin/env python3
# Pictures of the tuning assistant at each step, for docs/assistant.png:
# the simulated unit (every band 30 % off, a wide drive ten times as fast
# as a car) and the tool on a private Xvfb display, the assistant followed
# through the automation channel. Needs xvfb, xdotool and imagemagick.
#
#   scripts/assistant-screenshots.py BUILD_DIR OUT_DIR
#
# Writes 1-warmup.png … 7-done.png; 5-apply.png is the README's picture.
import json, os, shutil, subprocess, sys, tempfile, time

build, out = sys.argv[1], sys.argv[2]
os.makedirs(out, exist_ok=True)
work = tempfile.mkdtemp(prefix="ashots-")
xv = subprocess.Popen(["Xvfb", ":77", "-screen", "0", "1366x768x24", "-nolisten", "tcp"], stderr=subprocess.DEVNULL)
time.sleep(1)
os.environ["DISPLAY"] = ":77"
cfg = os.path.join(work, "config"); os.makedirs(cfg + "/zendalite/ports")
link = os.path.join(work, "tty")
sim = subprocess.Popen([build + "/sim/zendalite-sim", "--link", link, "--drive", "wide", "--time-scale", "10", "--seed", "11", "--ideal-levels", "130,77,156,91"], stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True)
sim.stdout.readline()
os.symlink(link, cfg + "/zendalite/ports/com1")
open(cfg + "/zendalite/Ecu.ini", "w").write('"Com-1"\r\n')
env = dict(os.environ, XDG_CONFIG_HOME=cfg, HOME=work, QT_QPA_PLATFORM="xcb", LC_ALL="C.UTF-8")
tool = subprocess.Popen([build + "/zendalite", "--automation"], stdin=subprocess.PIPE, stdout=subprocess.PIPE, stderr=subprocess.DEVNULL, text=True, env=env)
def req(o):
    tool.stdin.write(json.dumps(o) + "\n"); tool.stdin.flush()
    return json.loads(tool.stdout.readline())
def state(): return req({"op": "state"})
def bands(): return state()["assistant"]["bands"]
def capture(title, name):
    req({"op": "wait", "ms": 1300})
    wid = subprocess.check_output(["xdotool", "search", "--onlyvisible", "--name", "^%s$" % title], text=True).split()[-1]
    g = dict(l.split("=") for l in subprocess.check_output(["xdotool", "getwindowgeometry", "--shell", wid], text=True).split())
    subprocess.check_call(["import", "-window", "root", "-crop", "%sx%s+%s+%s" % (g["WIDTH"], g["HEIGHT"], g["X"], g["Y"]), "+repage", os.path.join(out, name)])
    print("captured", name, g["WIDTH"], g["HEIGHT"])
req({"op": "wait", "ms": 1500})
req({"op": "action", "id": "assistant-start"})
capture("Ayar Yardımcısı", "1-warmup.png")
def visible(n): return state()["elements"][n]["visible"]
while not visible("Lpg"): req({"op": "wait", "ms": 300})
req({"op": "dblclick", "target": "Lpg"})
def until(pred):
    for _ in range(300):
        req({"op": "wait", "ms": 500})
        if pred(bands()): return
until(lambda b: sum(x["petrol"]["samples"] for x in b) > 150)
capture("Ayar Yardımcısı", "2-petrol.png")
until(lambda b: all(x["petrol"]["samples"] >= 100 for x in b))
capture("Ayar Yardımcısı", "3-switch.png")
req({"op": "dblclick", "target": "petrol"})
until(lambda b: sum(x["gas"]["samples"] for x in b) > 150)
capture("Ayar Yardımcısı", "4-gas.png")
until(lambda b: all(x["gas"]["samples"] >= 100 for x in b))
capture("Ayar Yardımcısı", "5-apply.png")
req({"op": "action", "id": "assistant-apply"})
req({"op": "wait", "ms": 4000})
until(lambda b: all(x["gas"]["samples"] >= 30 for x in b))
capture("Ayar Yardımcısı", "6-check.png")
for r in range(3):
    until(lambda b: all(x["gas"]["samples"] >= 100 for x in b))
    if not req({"op": "action", "id": "assistant-apply"})["ok"]: break
    req({"op": "wait", "ms": 4000})
until(lambda b: all(x["gas"]["samples"] >= 100 for x in b))
capture("Ayar Yardımcısı", "7-done.png")
req({"op": "quit"})
sim.terminate()
xv.terminate()
shutil.rmtree(work, ignore_errors=True)
