#!/usr/bin/python3
"""veskar.exe's windows under Wine on the test display: one scenario per run.

Usage: form1_wine.py BIN_DIR WINE_RUN WINE_PREFIX SCRATCH_DIR SCENARIO [OUTPUT_DIR]

  prefix           the prefix as the scenarios need it (run first: CTest's fixture)
  layout           Form1 from its table: size, style, place, controls, tab order, focus, colours
  settings         the load sequence from vesk.ini; the check box's clicks; Exit saves nothing
  draw             typed fields and Draw: the CAD server gets what veskar-cli.exe sends; vesk.ini
  connect_failure  no CAD program: the platform's text in a message box, the window stays
  help             Help and F1 open vesk.chm in the help viewer, titled in Chinese (zh_CN)
  about            More software: the maker's page, then the about window, modal
  progress         a long Draw: the progress window; clicks on Draw and the close box do nothing
  screenshots      windows-form1.png, windows-aboutfrm.png, windows-progress.png into
                   OUTPUT_DIR (default SCRATCH_DIR/screenshots)
  startup          prints the time from start to the shown, filled window (not a test)

Exit status 0 when the scenario holds, 1 otherwise.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_window import (CadServer, Failure, Program, Wine, check, click, grab, hover,  # noqa: E402
                         key, pixels, centered, screenshot, type_into, wait_for, x_window)

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))

WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_TABSTOP = 0x00020000, 0x00010000, 0x00010000
CLASSES = {"field": "Edit", "label": "Static", "checkbox": "Button", "button": "Button"}


def rgb(bgr):
    return (bgr & 0xFF, (bgr >> 8) & 0xFF, bgr >> 16)


# ---- prefix -------------------------------------------------------------------------------------

WINE_FONTS = "/usr/share/wine/fonts"  # Debian's fonts-wine (Tahoma, Marlett, ...)

REGISTRY = r'''Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\Software\Microsoft\Windows NT\CurrentVersion\FontSubstitutes]
"宋体"="AR PL UMing CN"
"SimSun"="AR PL UMing CN"

[HKEY_CURRENT_USER\Software\Wine\Fonts]
"Path"="%(fonts)s"

[HKEY_CURRENT_USER\Software\Wine\X11 Driver]
"Decorated"="N"

[HKEY_CURRENT_USER\Control Panel\Desktop]
"CursorBlinkRate"="-1"

[HKEY_CURRENT_USER\Software\Wine\WineBrowser]
"Browsers"="%(opener)s"
"Mailers"="%(opener)s"
'''


def opened_log(wine):
    return os.path.join(wine.scratch, "opened.txt")


def opened(wine):
    """What the shell's "open" passed on to the desktop since the log was last emptied."""
    if not os.path.exists(opened_log(wine)):
        return []
    with open(opened_log(wine), encoding="utf-8") as f:
        return f.read().splitlines()


def prefix(wine, layout):
    """Wine's own fonts (this Wine does not find Debian's fonts-wine by itself), "宋体" and
    SimSun as AR PL UMing CN (the same pictures on every machine), frames drawn by Wine (the test
    display has no window manager), a caret that does not blink, and a recorder in place of the
    desktop's browser and mail program."""
    check(os.path.exists(os.path.join(WINE_FONTS, "tahoma.ttf")), "no %s/tahoma.ttf: run tools/bootstrap" % WINE_FONTS)
    opener = os.path.join(wine.scratch, "open")
    with open(opener, "w") as f:
        f.write('#!/bin/sh\nprintf "%%s\\n" "$1" >> "%s"\n' % opened_log(wine))
    os.chmod(opener, 0o755)
    escape = lambda p: p.replace("\\", "\\\\")  # noqa: E731
    text = REGISTRY % {"fonts": escape(wine.path(WINE_FONTS)), "opener": opener}
    reg = os.path.join(wine.scratch, "prefix.reg")
    with open(reg, "wb") as f:
        f.write(b"\xff\xfe" + text.replace("\n", "\r\n").encode("utf-16-le"))
    status, _, err = wine.run("regedit", "/S", wine.path(reg))
    check(status == 0, "regedit: %s" % err)


# ---- layout ---------------------------------------------------------------------------------------

def check_window(program, layout):
    form, spec = program.form, layout["form1"]
    dpi = form["dpi"]
    check(dpi == 96, "the test prefix runs at 96 dpi, the window at %d" % dpi)
    check(form["title"] == spec["title"], "title %r" % form["title"])
    size = [pixels(spec["width"], dpi), pixels(spec["height"], dpi)]
    check(form["client"][2:] == size == [302, 190], "client area %s, expected %s" % (form["client"][2:], size))
    style = form["style"]
    check(style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU and style & WS_MINIMIZEBOX,
          "no caption, system menu or minimise box: style %08x" % style)
    check(not style & (WS_MAXIMIZEBOX | WS_THICKFRAME), "resizable or maximisable: style %08x" % style)
    l, t, r, b = form["rect"]
    expected = centered(form["screen"], [r - l, b - t], dpi)
    check([l, t] == list(expected), "placed at %d, %d; the placement rule gives %s" % (l, t, expected))


def check_controls(program, layout, texts):
    dpi = program.form["dpi"]
    for c in layout["form1"]["controls"]:
        w = program.control(c["name"])
        check(w["class"].lower() == CLASSES[c["kind"]].lower(), "%s is a %s" % (c["name"], w["class"]))
        place = [pixels(v, dpi) for v in c["place"]]
        check(w["rect"] == place, "%s at %s, expected %s" % (c["name"], w["rect"], place))
        text = texts[c["field"]] if c["kind"] == "field" else c["caption"]
        check(w["text"] == text, "%s shows %r, expected %r" % (c["name"], w["text"], text))
        check(bool(w["style"] & WS_TABSTOP) == (c["kind"] != "label"), "%s: tab stop %s" % (c["name"], w["style"]))
    order = [program.name_of(i) for i in program.form["tab"]]
    expected = [c["name"] for c in layout["form1"]["controls"] if c["kind"] != "label"]
    check(order == expected, "tab order %s, expected %s" % (order, expected))


def field_colour(program, name):
    """The colour at the right end of a field, where its text does not reach."""
    x, y = program.point(name, dx=program.control(name)["rect"][2] - 6)
    return grab(x, y, 1, 1)[0][0]


def check_focus(program, layout, name):
    program.refresh()
    check(program.name_of(program.form["focus"]) == name, "focus in %s, expected %s" % (
        program.name_of(program.form["focus"]), name))
    fields = [c["name"] for c in layout["form1"]["controls"] if c["kind"] == "field"]
    green = rgb(layout["form1"]["focusBackground"])
    for f in fields:
        colour = field_colour(program, f)
        check((colour == green) == (f == name), "%s is %s with the focus in %s" % (f, colour, name))
        if f == name:
            w = program.control(f)
            check(w["selection"] == [0, len(w["text"])], "%s: selection %s of %r" % (f, w["selection"], w["text"]))
        else:
            check(colour == (255, 255, 255), "%s: %s, not the window colour" % (f, colour))


def check_caption_colours(program, layout):
    blue = rgb(layout["form1"]["captionColour"])
    for c in layout["form1"]["controls"]:
        if c["kind"] not in ("label", "checkbox"):
            continue
        x, y, w, h = program.control(c["name"])["rect"]
        skip = 20 if c["kind"] == "checkbox" else 0  # the box itself
        ox, oy = program.form["client"][:2]
        colours = {p for row in grab(ox + x + skip, oy + y, w - skip, h) for p in row}
        check(blue in colours and (0, 0, 0) not in colours, "%s's caption is not blue: %s" % (c["name"], colours))


def check_tooltips(program, layout):
    for c in layout["form1"]["controls"]:
        if c["name"] not in ("Text1", "Text5"):  # with and without
            continue
        hover(*program.point(c["name"]))
        tip = lambda: [o for o in program.refresh()["owned"] if o["class"] == "tooltips_class32"]  # noqa: E731
        if c["tooltip"]:
            shown = wait_for("the tooltip of " + c["name"], tip, timeout=5)
            check(shown[0]["text"] == layout["form1"]["angleTip"], "tooltip %r" % shown[0]["text"])
        else:
            time.sleep(1.5)
            check(not tip(), "%s has a tooltip" % c["name"])
        hover(0, 0)


def layout_scenario(wine, layout):
    with Program(wine, layout, "layout") as program:
        check_window(program, layout)
        check_controls(program, layout, layout["missingFileDefaults"])
        check(program.control("Check1")["check"] == 1, "Check1 does not start ticked")
        check_focus(program, layout, "Text1")
        check_caption_colours(program, layout)
        # Tab goes round in the tab order, from Text1 to Text2 in the third row.
        order = [c["name"] for c in layout["form1"]["controls"] if c["kind"] != "label"]
        for name in order[1:] + order[:1]:
            key(program.xid, "Tab")
            if name in ("Text2", "Text7", "Check1", "xpcmdbutton5", "Text1"):
                check_focus(program, layout, name)
        check_tooltips(program, layout)
    icons = wine.probe("resources", wine.path(os.path.join(wine.bin, "veskar.exe")))
    check([32, 32, 16, 4] in icons["icons"], "no 32 x 32 icon of 16 colours: %s" % icons["icons"])
    for needed in ("Microsoft.Windows.Common-Controls", "PerMonitorV2", "true/pm"):
        check(needed in icons["manifest"], "the manifest lacks %s" % needed)


# ---- settings --------------------------------------------------------------------------------------

def settings_scenario(wine, layout):
    ini = "".join(t + "\r\n" for t in ["a1 ", " 2", "3", "4", "5", "6", "7", "2"]).encode()
    with Program(wine, layout, "settings", ini=ini) as program:
        check_controls(program, layout, ["a1 ", " 2", "3", "4", "5", "6", "7"])
        # Greyed from the file; a click ticks it, the next clears it.
        for expected in (2, 1, 0):
            check(program.refresh() and program.control("Check1")["check"] == expected,
                  "Check1 is %s, expected %d" % (program.control("Check1")["check"], expected))
            program.click("Check1")
        program.click("xpcmdbutton5")
        check(program.ended(), "Exit did not end the program")
    with open(program.ini_path, "rb") as f:
        check(f.read() == ini, "Exit changed vesk.ini")
    seven = "".join(t + "\r\n" for t in ["1", "2", "3", "4", "5", "6", "7"]).encode()
    with Program(wine, layout, "settings", ini=seven) as program:
        check_controls(program, layout, layout["readFailureDefaults"])
        check(program.control("Check1")["check"] == 1, "Check1 changed by an unreadable file")


SCENARIOS = {"prefix": prefix, "layout": layout_scenario, "settings": settings_scenario}


def main():
    if len(sys.argv) < 6 or sys.argv[5] not in SCENARIOS:
        sys.stderr.write(__doc__)
        return 2
    wine = Wine(*sys.argv[1:5])
    scenario = sys.argv[5]
    layout = None if scenario == "prefix" else wine.probe("layout")
    try:
        SCENARIOS[scenario](wine, layout, *sys.argv[6:])
    except Failure as failure:
        print("FAILED: %s: %s" % (scenario, failure))
        return 1
    print("%s: passed" % scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
