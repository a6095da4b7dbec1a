"""Drives Windows programs with windows under Wine on an X display, from Linux.

Input goes in as X events (xdotool), pictures come out of the X server (ImageMagick's import),
and what the program shows is read from Windows by veskar_win32_probe.exe (JSON). Wine draws
the windows' frames itself in the test prefix (no window manager on the test display), so a
window's place on the X screen is its place on the Windows screen.
"""
import json
import os
import shutil
import struct
import subprocess
import time


class Failure(Exception):
    pass


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, test, timeout=20.0, every=0.05):
    """Polls test() until it gives something true; that value, or Failure after timeout."""
    end = time.monotonic() + timeout
    while True:
        value = test()
        if value:
            return value
        if time.monotonic() > end:
            raise Failure("timed out after %g s waiting for %s" % (timeout, what))
        time.sleep(every)


def lround(x):
    """C's lround: halves away from zero."""
    return int(x + 0.5) if x >= 0 else -int(-x + 0.5)


def f32(x):
    return struct.unpack("f", struct.pack("f", x))[0]


def pixels(twips, dpi):
    return lround(twips * dpi / 1440.0)


def centered(screen, outer, dpi):
    """The windows' placement rule, in single precision on twips: left and top in pixels."""
    tw = [f32(v * 1440.0 / dpi) for v in screen + outer]
    left = f32(f32(tw[0] - tw[2]) / f32(2.0))
    top = f32(f32(tw[1] - tw[3]) / f32(3.0))
    return pixels(left, dpi), pixels(top, dpi)


# ---- X ------------------------------------------------------------------------------------------

def xdotool(*args):
    r = subprocess.run(["xdotool"] + [str(a) for a in args], capture_output=True, text=True, timeout=30)
    return r.stdout.strip() if r.returncode == 0 else ""


def x_window(title):
    """The X window of the visible top-level window named exactly `title`, or ""."""
    pattern = "^" + "".join("\\" + c if c in ".^$*+?()[]{}|\\" else c for c in title) + "$"
    found = xdotool("search", "--onlyvisible", "--name", pattern).split()
    return found[0] if found else ""


# (xdotool's mousemove --sync waits 15 s when the pointer is already there.)
def click(x, y):
    xdotool("mousemove", x, y, "click", "1")
    xdotool("mousemove", 0, 0)  # no hover effects or tooltips after


def hover(x, y):
    xdotool("mousemove", x, y)


def type_into(xid, text):
    xdotool("windowfocus", xid)
    xdotool("type", "--delay", 30, text)


def key(xid, *keys):
    xdotool("windowfocus", xid)
    xdotool("key", "--delay", 30, *keys)


def grab(x, y, w, h):
    """The screen's pixels in the rectangle, as rows of (r, g, b)."""
    raw = subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "-depth", "8",
                          "rgb:-"], capture_output=True, check=True, timeout=30).stdout
    check(len(raw) == w * h * 3, "import gave %d bytes for %dx%d" % (len(raw), w, h))
    return [[tuple(raw[(r * w + c) * 3:(r * w + c) * 3 + 3]) for c in range(w)] for r in range(h)]


def screenshot(x, y, w, h, path):
    subprocess.run(["import", "-window", "root", "-crop", "%dx%d+%d+%d" % (w, h, x, y), "+repage", "-strip",
                    path], check=True, timeout=30)


# ---- Wine ---------------------------------------------------------------------------------------

class Wine:
    """Programs of the Windows build in the test prefix, through tools/wine-run."""

    def __init__(self, bin_dir, wine_run, prefix, scratch):
        self.bin, self.wine_run, self.prefix, self.scratch = bin_dir, wine_run, prefix, scratch
        os.makedirs(scratch, exist_ok=True)
        check(os.environ.get("DISPLAY"), "no X display: run the Windows tests with tools/test-windows (Xvfb)")

    @staticmethod
    def path(unix_path):
        return "Z:" + os.path.abspath(unix_path).replace("/", "\\")

    def env(self, extra=None):
        env = dict(os.environ)
        env.update(extra or {})
        return env

    def run(self, exe, *args, env=None, timeout=120):
        r = subprocess.run([self.wine_run, self.prefix, exe] + [str(a) for a in args], capture_output=True,
                           env=self.env(env), timeout=timeout)
        return r.returncode, r.stdout.decode("utf-8", "replace").replace("\r\n", "\n"), r.stderr.decode(
            "utf-8", "replace")

    def start(self, exe, *args, env=None):
        return subprocess.Popen([self.wine_run, self.prefix, exe] + [str(a) for a in args], env=self.env(env),
                                stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

    def probe(self, *args):
        status, out, err = self.run(os.path.join(self.bin, "veskar_win32_probe.exe"), *args)
        if status == 1:
            return None
        check(status == 0, "probe %s: status %d %s" % (" ".join(args), status, err))
        return json.loads(out) if out.strip() else {}

    def dump(self, title, cls=""):
        return self.probe("dump", title, cls)

    def state(self, title, cls=""):
        return self.probe("state", title, cls)


# ---- The program ----------------------------------------------------------------------------------

class Program:
    """One of the windows' programs in an application directory of its own, where its settings
    file is written: veskar.exe (table "form1", vesk.ini) or veskar-sheet.exe (table "sheet",
    veskar-sheet.ini). `also`: other programs of the build to put beside it."""

    def __init__(self, wine, layout, name, ini=None, help_file=False, env=None, table="form1", also=()):
        self.wine, self.layout, self.env, self.table = wine, layout, env, layout[table]
        self.exe = self.table.get("program", "veskar.exe")
        self.ini_name = self.table.get("settingsFile", "vesk.ini")
        self.dir = os.path.join(wine.scratch, name)
        shutil.rmtree(self.dir, ignore_errors=True)
        os.makedirs(self.dir)
        for exe in (self.exe,) + tuple(also):
            shutil.copy(os.path.join(wine.bin, exe), self.dir)
        if help_file:
            shutil.copy(os.path.join(wine.bin, "vesk.chm"), self.dir)
        if ini is not None:
            with open(self.ini_path, "wb") as f:
                f.write(ini)
        self.process = None
        self.form = None
        self.title = self.table["title"]

    @property
    def ini_path(self):
        return os.path.join(self.dir, self.ini_name)

    def __enter__(self):
        self.process = self.wine.start(os.path.join(self.dir, self.exe), env=self.env)
        self.xid = wait_for("the window " + self.title, lambda: x_window(self.title))
        self.refresh()
        return self

    def __exit__(self, *exc):
        """Ends the program as the close box does (its CAD program then ends as its last client
        goes); by force when it does not answer."""
        if self.process and self.process.poll() is None:
            self.wine.probe("close", self.title)
            if not self.ended(timeout=5):
                self.process.kill()
                self.process.wait()

    def state(self):
        """Whether the window takes input, and its owned windows; {} when it is gone."""
        return self.wine.state(self.title, self.table["class"]) or {}

    def refresh(self):
        self.form = wait_for("the window to answer", lambda: self.wine.dump(self.title, self.table["class"]))
        return self.form

    def control(self, name):
        row = next(c for c in self.table["controls"] if c["name"] == name)
        found = [c for c in self.form["children"] if c["id"] == row["id"]]
        check(len(found) == 1, "%s: %d windows with its id %d" % (name, len(found), row["id"]))
        return found[0]

    def name_of(self, control_id):
        return next((c["name"] for c in self.table["controls"] if c["id"] == control_id), str(control_id))

    def point(self, name, dx=None, dy=None):
        """A point of the control in screen coordinates: its centre unless told."""
        x, y, w, h = self.control(name)["rect"]
        ox, oy = self.form["client"][:2]
        return ox + x + (w // 2 if dx is None else dx), oy + y + (h // 2 if dy is None else dy)

    def click(self, name):
        click(*self.point(name))

    def ended(self, timeout=10):
        try:
            self.process.wait(timeout=timeout)
            return True
        except subprocess.TimeoutExpired:
            return False


# ---- The test CAD server ------------------------------------------------------------------------

ALL_PROGIDS = ["AutoCAD.Application", "ZWCAD.Application", "GCAD.Application", "BricscadApp.AcadApplication",
               "Veskar.TestCad.Application"]


class CadServer:
    """veskar_testcad.exe under some ProgIDs, recording into a file of its own."""

    def __init__(self, wine, name):
        self.wine, self.exe = wine, os.path.join(wine.bin, "veskar_testcad.exe")
        self.record = os.path.join(wine.scratch, name + ".record")
        self.config = os.path.join(wine.scratch, name + ".cfg")
        for f in (self.record, self.config):
            if os.path.exists(f):
                os.remove(f)

    def unregister_all(self):
        """No test CAD server left running (an earlier one would be attached to) or registered."""
        check(self.wine.probe("close-all", "VeskarTestCadWindow") is not None, "a test CAD server does not end")
        self.wine.run(self.exe, "/unregister", *ALL_PROGIDS)

    def register(self, progids, keys=""):
        with open(self.config, "w") as f:
            # Its window clear of the program's, which sits in the middle of the screen.
            f.write("record=%s\nidle_seconds=30\nwindow=0,0,300,200\n%s" % (self.wine.path(self.record), keys))
        status, _, err = self.wine.run(self.exe, "/register", *progids, "/config", self.wine.path(self.config))
        check(status == 0, "registering the test CAD server: %s" % err)

    def start(self, progid):
        """Started by hand, as a user starts the CAD program: COM attaches to it."""
        return self.wine.start(self.exe, "/progid", progid, "/config", self.wine.path(self.config))

    def lines(self):
        if not os.path.exists(self.record):
            return []
        with open(self.record, encoding="utf-8") as f:
            return [line.rstrip("\n").split("\t") for line in f if line.endswith("\n")]

    def calls(self):
        """The calls carried out, in order: object, member, flags, outcome and arguments, with the
        server's process id (in its window title) taken out."""
        out = []
        for line in self.lines():
            if line[0] == "invoke" and line[6].startswith("S_OK"):
                # Only in the window title ("Veskar TestCad 480 - [...]"): the same digits may
                # stand inside a coordinate.
                out.append(tuple(f.replace("TestCad %s " % line[1], "TestCad PID ") for f in line[3:]))
        return out
