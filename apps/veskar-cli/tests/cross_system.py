#!/usr/bin/python3
"""veskar-cli on Linux and veskar-cli.exe under Wine give the same answers on the same inputs.

Usage: cross_system.py LINUX_CLI WINDOWS_CLI WINE_RUN WINE_PREFIX SCRATCH_DIR

  forward   northing and easting within 1e-9 m
  inverse   latitude and longitude within 1e-11 (packed DMS)
  sheet, sheets, square  the same output
  draw -o   the same entities in the same order, the same texts, layers, colours, styles,
            heights, rotations and alignments; every coordinate within 1e-9 m (read back with
            ezdxf, through dxf_readback.py)

The two programs are built from the same sources by different compilers against different C
libraries, whose sin, cos and tan may differ in the last bit: the bytes of the files are
compared too, and the lines that differ are listed, not failed. Exit status 0 when the answers
agree, 1 otherwise.
"""
import os
import subprocess
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "cad", "tests"))
import dxf_readback  # noqa: E402

LINUX, WINDOWS, WINE_RUN, PREFIX, SCRATCH = sys.argv[1:6]
failures = []

POINTS = "\n".join([
    "29.2 115.15", "30 114", "0 117", "29.2 113", "40 117.3", "59.5959 120.3", "18.1 109.5",
    "45.30 126.45", "23.08 113.16", "-0.3 114.2", "53.3 122.2", "31.1415926 121.2828",
]) + "\n"
XY = "\n".join([
    "3246922.0904 621412.8980", "3320172.4072 500000", "0 500000", "3246688.4723 402871.1347",
    "4429000.123 525000.5", "6600000 560000", "2000000 380000",
]) + "\n"

CONVERSIONS = [
    (["forward", "--central-meridian", "114"], POINTS, 1e-9),
    (["forward", "--central-meridian", "117", "--iag75", "--precision", "10"], POINTS, 1e-9),
    (["inverse", "--central-meridian", "114", "--precision", "15"], XY, 1e-11),
    (["inverse", "--central-meridian", "115.15", "--iag75", "--precision", "15"], XY, 1e-11),
    (["forward", "--central-meridian", "117", "--cgcs2000", "--precision", "10"], POINTS, 1e-9),
    (["inverse", "--central-meridian", "117", "--cgcs2000", "--precision", "15"], XY, 1e-11),
]

SHEETS = [["J50E001010", "--json"], ["J50H005080", "--json", "--beijing54"], ["--at", "39.543", "116.2825", "--scale", "5000"]]
AREAS = [["--scale", "50000", "--within", "39.5", "113.5", "40.3", "115.5", "--json"],
         ["--scale", "10000", "--within", "39.2", "116", "39.25", "116.073", "--geojson", "--beijing54"],
         ["--square", "--scale", "1000", "--within", "3810500", "39525500", "3811000.5", "39526700.25", "--zone", "39",
          "--zone-width", "3", "--zone-prefix", "--sheet-size", "50x40", "--json"]]

DRAWINGS = [
    ["--start-longitude", "114", "--meridians", "5", "--start-latitude", "29.2", "--parallels", "10",
     "--latitude-spacing", "0.1"],
    ["--iag75", "--meridians", "17", "--parallels", "13", "--longitude-spacing", "0.075",
     "--latitude-spacing", "0.05", "--start-latitude", "39.5", "--central-meridian", "117"],
    ["--start-longitude", "115", "--longitude-spacing", "-0.15", "--latitude-spacing", "-0.1",
     "--start-latitude", "-0.2"],
    ["--meridians", "1", "--parallels", "4"],
    ["--sheet", "J50H005080", "--frame-only"],
    ["--sheet", "J50C001002", "--iag75", "--frame-only"],
    ["--sheet", "J-50-5-B", "--title", "北京", "--zone-prefix"],
    ["--sheet", "J50K00530950", "--beijing54"],
    ["--square", "10.25-27.75", "--scale", "500", "--system", "独立坐标系"],
    ["--index", "--scale", "50000", "--within", "39.5", "113.5", "40.3", "115.5"],
    ["--index", "--square", "--scale", "500", "--within", "10100.5", "27600", "10900", "28300.125"],
]

SQUARES = [["--scale", "1000", "3810.5-525.5"], ["--scale", "500", "--at", "10260.3", "27790.1", "--json"]]


def run(program, args, stdin=""):
    command = ([WINE_RUN, PREFIX, program] if program.endswith(".exe") else [program]) + args
    env = dict(os.environ, LC_ALL="C.UTF-8", LANG="C.UTF-8")
    r = subprocess.run(command, input=stdin.encode(), capture_output=True, env=env, timeout=300)
    text = lambda b: b.decode("utf-8", "replace").replace("\r\n", "\n")
    return r.returncode, text(r.stdout), text(r.stderr)


def compare_numbers(what, a, b, tolerance):
    la, lb = a.splitlines(), b.splitlines()
    if len(la) != len(lb):
        failures.append("%s: %d lines against %d" % (what, len(la), len(lb)))
        return 0.0
    worst = 0.0
    for n, (x, y) in enumerate(zip(la, lb), 1):
        fx, fy = x.split(), y.split()
        if fx == ["*", "*"] or fy == ["*", "*"] or len(fx) != len(fy):
            if fx != fy:
                failures.append("%s line %d: %r against %r" % (what, n, x, y))
            continue
        for u, v in zip(fx, fy):
            worst = max(worst, abs(float(u) - float(v)))
    if worst > tolerance:
        failures.append("%s: differs by %g (allowed %g)" % (what, worst, tolerance))
    return worst


def entities(path):
    lines = dxf_readback.readback(path)
    return [line.split("\t") for line in lines if line.split("\t", 1)[0] in ("TEXT", "LWPOLYLINE", "LINE", "ENTITY")]


# Fields compared exactly, and the numbers compared within 1e-9: TEXT kind layer colour style
# height width rotation halign valign ix iy iz ax ay az text (the rotation and the points as
# numbers); LWPOLYLINE kind layer colour closed width x0 y0 ...; LINE kind layer colour sx sy sz
# ex ey ez.
def split_fields(x):
    if x[0] == "TEXT":  # the rotation comes from atan2, whose last bit each C library rounds its own way
        return x[:6] + x[7:9] + x[15:], [6] + list(range(9, 15))
    head = 4 if x[0] == "LWPOLYLINE" else 3
    return x[:head], range(head, len(x))


def compare_entities(what, a, b):
    if len(a) != len(b):
        failures.append("%s: %d entities against %d" % (what, len(a), len(b)))
        return 0.0
    worst = 0.0
    for n, (x, y) in enumerate(zip(a, b)):
        (exact, coordinates), (exact_b, _) = split_fields(x), split_fields(y)
        if exact != exact_b or len(x) != len(y):
            failures.append("%s entity %d: %s against %s" % (what, n, x, y))
            continue
        for k in coordinates:
            if x[k] != "-":
                worst = max(worst, abs(float(x[k]) - float(y[k])))
    if worst > 1e-9:
        failures.append("%s: coordinates differ by %g m (allowed 1e-9)" % (what, worst))
    return worst


def differing_lines(a, b):
    la, lb = open(a, "rb").read().split(b"\r\n"), open(b, "rb").read().split(b"\r\n")
    return [n + 1 for n, (x, y) in enumerate(zip(la, lb)) if x != y] + (
        [] if len(la) == len(lb) else ["length %d against %d" % (len(la), len(lb))])


def main():
    if not os.access(LINUX, os.X_OK):
        print("FAILED: no Linux veskar-cli at %s: build the Linux programs first (bash tools/test does)" % LINUX)
        return 1
    os.makedirs(SCRATCH, exist_ok=True)
    for args, stdin, tolerance in CONVERSIONS:
        (sa, oa, ea), (sb, ob, eb) = run(LINUX, args, stdin), run(WINDOWS, args, stdin)
        what = " ".join(args)
        if (sa, ea) != (sb, eb):
            failures.append("%s: status/messages %r %r against %r %r" % (what, sa, ea, sb, eb))
        print("%-60s worst difference %g" % (what, compare_numbers(what, oa, ob, tolerance)))
    for args in [["sheet"] + a for a in SHEETS] + [["sheets"] + a for a in AREAS] + [["square"] + a for a in SQUARES]:
        a, b = run(LINUX, args), run(WINDOWS, args)
        if a != b:
            failures.append("%s: %r against %r" % (" ".join(args), a, b))
        print("%-60s %s" % (" ".join(args)[:60], "same output" if a == b else "DIFFERENT"))
    for k, args in enumerate(DRAWINGS):
        a, b = os.path.join(SCRATCH, "linux-%d.dxf" % k), os.path.join(SCRATCH, "windows-%d.dxf" % k)
        (sa, oa, _), (sb, ob, _) = run(LINUX, ["draw"] + args + ["-o", a]), run(WINDOWS, ["draw"] + args + ["-o", b])
        what = "draw " + " ".join(args)
        if sa != 0 or sb != 0:
            failures.append("%s: exit status %d against %d" % (what, sa, sb))
            continue
        if oa.replace(a, "FILE") != ob.replace(b, "FILE"):
            failures.append("%s: said %r against %r" % (what, oa, ob))
        worst = compare_entities(what, entities(a), entities(b))
        lines = differing_lines(a, b)
        print("%-60s worst difference %g m; %s" % (what[:60], worst,
              "same bytes" if not lines else "%d lines differ: %s" % (len(lines), lines[:12])))
    for f in failures:
        print("FAILED: " + f)
    return 1 if failures else 0


if __name__ == "__main__":
    sys.exit(main())
