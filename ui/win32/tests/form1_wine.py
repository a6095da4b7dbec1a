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
  screenshots      windows-form1.png (its fields' text black), windows-aboutfrm.png, windows-progress.png into
                   OUTPUT_DIR (default SCRATCH_DIR/screenshots)
  startup          prints the time from start to the shown, filled window (not a test)

Exit status 0 when the scenario holds, 1 otherwise.
"""
import os
import re
import struct
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from wine_window import (CadServer, Failure, Program, Wine, check, click, grab, hover,  # noqa: E402
                         key, pixels, centered, screenshot, type_into, wait_for, x_window)

SOURCE = os.path.abspath(os.path.join(os.path.dirname(__file__), "..", "..", ".."))

WS_CAPTION, WS_SYSMENU, WS_THICKFRAME = 0x00C00000, 0x00080000, 0x00040000
WS_MINIMIZEBOX, WS_MAXIMIZEBOX, WS_TABSTOP = 0x00020000, 0x00010000, 0x00010000
# A Chinese system: ANSI code page 936, Chinese fonts for the system's texts.
CHINESE = {"LANG": "zh_CN.UTF-8", "LC_ALL": "zh_CN.UTF-8"}
CLASSES = {"field": "Edit", "label": "Static", "checkbox": "Button", "button": "Button", "choice": "ComboBox",
           "note": "Static", "textchoice": "ComboBox"}


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

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\veskar.exe\X11 Driver]
"Decorated"="N"
"Managed"="N"

[HKEY_CURRENT_USER\Software\Wine\AppDefaults\veskar-sheet.exe\X11 Driver]
"Decorated"="N"
"Managed"="N"

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
    SimSun as AR PL UMing CN (the same pictures on every machine), the windows of veskar.exe and
    veskar-sheet.exe framed and placed by Wine itself (the test display has no window manager: a
    managed window would have no frame, and hiding one would wait 2 s for the manager; other
    programs stay managed, the COM tests rely on their foreground window), a caret that does not
    blink, and a recorder in place of the desktop's browser and mail program."""
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

def check_window(program, size):
    """The window as its table has it: title, client area `size` (pixels at 96 dpi), fixed
    border, placed by the placement rule."""
    form, table = program.form, program.table
    dpi = form["dpi"]
    check(dpi == 96, "the test prefix runs at 96 dpi, the window at %d" % dpi)
    check(form["title"] == table["title"], "title %r" % form["title"])
    expected = [pixels(table["width"], dpi), pixels(table["height"], dpi)]
    check(form["client"][2:] == expected == size, "client area %s, expected %s" % (form["client"][2:], expected))
    style = form["style"]
    check(style & WS_CAPTION == WS_CAPTION and style & WS_SYSMENU and style & WS_MINIMIZEBOX,
          "no caption, system menu or minimise box: style %08x" % style)
    check(not style & (WS_MAXIMIZEBOX | WS_THICKFRAME), "resizable or maximisable: style %08x" % style)
    l, t, r, b = form["rect"]
    placed = centered(form["screen"], [r - l, b - t], dpi)
    check([l, t] == list(placed), "placed at %d, %d; the placement rule gives %s" % (l, t, placed))


def check_controls(program, texts, division="national"):
    """Every control of the table: its class, place, text (`texts` by name for the fields and
    lists, the caption for the others), tab stop, shown in the sheet window's `division` or not;
    then the tab order (of those shown and enabled)."""
    dpi = program.form["dpi"]
    for c in program.table["controls"]:
        w = program.control(c["name"])
        check(w["class"].lower() == CLASSES[c["kind"]].lower(), "%s is a %s" % (c["name"], w["class"]))
        place = [pixels(v, dpi) for v in c["place"]]
        check(w["rect"] == place, "%s at %s, expected %s" % (c["name"], w["rect"], place))
        text = texts.get(c["name"], c["caption"])
        check(c["kind"] == "note" or w["text"] == text, "%s shows %r, expected %r" % (c["name"], w["text"], text))
        check(bool(w["style"] & WS_TABSTOP) == (c["kind"] not in ("label", "note")),
              "%s: tab stop %s" % (c["name"], w["style"]))
        check(w["visible"] == (c.get("shown", "always") in ("always", division)),
              "%s is %s" % (c["name"], "shown" if w["visible"] else "hidden"))
    order = [program.name_of(i) for i in program.form["tab"]]
    expected = [c["name"] for c in program.table["controls"] if c["kind"] not in ("label", "note")
                and program.control(c["name"])["enabled"] and program.control(c["name"])["visible"]]
    check(order == expected, "tab order %s, expected %s" % (order, expected))


def form1_texts(layout, texts):
    return {c["name"]: texts[c["field"]] for c in layout["form1"]["controls"] if c["kind"] == "field"}


def client_pixels(program):
    x, y, w, h = program.form["client"]
    return grab(x, y, w, h)


def field_colour(program, picture, name):
    """The colour at the right end of a field, where its text does not reach."""
    x, y, w, h = program.control(name)["rect"]
    return picture[y + h // 2][x + w - 6]


def check_focus(program, name):
    program.refresh()
    check(program.name_of(program.form["focus"]) == name, "focus in %s, expected %s" % (
        program.name_of(program.form["focus"]), name))
    fields = [c["name"] for c in program.table["controls"]
              if c["kind"] == "field" and program.control(c["name"])["visible"]]
    green = rgb(program.layout["form1"]["focusBackground"])
    picture = client_pixels(program)
    for f in fields:
        colour = field_colour(program, picture, f)
        check((colour == green) == (f == name), "%s is %s with the focus in %s" % (f, colour, name))
        w = program.control(f)
        if f == name:
            check(w["selection"] == [0, len(w["text"])], "%s: selection %s of %r" % (f, w["selection"], w["text"]))
        elif w["enabled"]:  # a greyed field is the system's colour
            check(colour == (255, 255, 255), "%s: %s, not the window colour" % (f, colour))


def check_caption_colours(program):
    blue = rgb(program.layout["form1"]["captionColour"])
    picture = client_pixels(program)
    for c in program.table["controls"]:
        shown = program.control(c["name"])
        if c["kind"] not in ("label", "checkbox") or not shown["visible"] or not shown["enabled"]:
            continue
        x, y, w, h = program.control(c["name"])["rect"]
        skip = 20 if c["kind"] == "checkbox" else 0  # the box itself
        colours = {p for row in picture[y:y + h] for p in row[x + skip:x + w]}
        check(blue in colours and (0, 0, 0) not in colours, "%s's caption is not blue: %s" % (c["name"], colours))


def check_text_black(program, names):
    """The fields' text is drawn black, as on Windows, not grey like a disabled field's (as this
    Wine draws it under zh_CN when the window sets no text colour)."""
    picture = client_pixels(program)
    for name in names:
        x, y, w, h = program.control(name)["rect"]
        colours = {p for row in picture[y + 3:y + h - 3] for p in row[x + 3:x + w - 3]}
        check((0, 0, 0) in colours and (174, 174, 174) not in colours, "%s's text is not black: %s" % (name, colours))


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
            time.sleep(1.0)  # the tooltip above came after about half a second
            check(not tip(), "%s has a tooltip" % c["name"])
        hover(0, 0)


def layout_scenario(wine, layout):
    with Program(wine, layout, "layout") as program:
        check_window(program, [302, 190])
        check_controls(program, form1_texts(layout, layout["missingFileDefaults"]))
        check(program.control("Check1")["check"] == 1, "Check1 does not start ticked")
        check_focus(program, "Text1")
        check_caption_colours(program)
        # Tab goes round in the tab order, from Text1 to Text2 in the third row.
        order = [c["name"] for c in layout["form1"]["controls"] if c["kind"] != "label"]
        for name in order[1:] + order[:1]:
            key(program.xid, "Tab")
            if name in ("Text2", "Text7", "Check1", "xpcmdbutton5", "Text1"):
                check_focus(program, name)
        check_tooltips(program, layout)
    icons = wine.probe("resources", wine.path(os.path.join(wine.bin, "veskar.exe")))
    check([32, 32, 16, 4] in icons["icons"], "no 32 x 32 icon of 16 colours: %s" % icons["icons"])
    for needed in ("Microsoft.Windows.Common-Controls", "PerMonitorV2", "true/pm"):
        check(needed in icons["manifest"], "the manifest lacks %s" % needed)


# ---- settings --------------------------------------------------------------------------------------

def settings_scenario(wine, layout):
    ini = "".join(t + "\r\n" for t in ["a1 ", " 2", "3", "4", "5", "6", "7", "2"]).encode()
    with Program(wine, layout, "settings", ini=ini) as program:
        check_controls(program, form1_texts(layout, ["a1 ", " 2", "3", "4", "5", "6", "7"]))
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
        check_controls(program, form1_texts(layout, layout["readFailureDefaults"]))
        check(program.control("Check1")["check"] == 1, "Check1 changed by an unreadable file")


# ---- draw -------------------------------------------------------------------------------------------

def ini_bytes(texts, check_value):
    return "".join(t + "\r\n" for t in list(texts) + [str(check_value)]).encode()


def wait_for_draw(program, server):
    """Until the command has run: Form1 is disabled from before the connection to the end."""
    wait_for("the Draw command to end", lambda: server.lines() and program.state().get("enabled"), timeout=60)
    program.refresh()


def cli_calls(wine, layout, texts, beijing54):
    """What veskar-cli.exe sends for the same fields, to a server of its own."""
    server = CadServer(wine, "cli")
    server.register(["Veskar.TestCad.Application"])
    args = [a for option, text in zip(layout["cliOptions"], texts) for a in (option, text)]
    args += ["--beijing54" if beijing54 else "--iag75", "--cad", "--progid", "Veskar.TestCad.Application"]
    status, out, err = wine.run(os.path.join(wine.bin, "veskar-cli.exe"), "draw", *args)
    check(status == 0, "veskar-cli.exe draw: %d %s %s" % (status, out, err))
    return server.calls()


def draw_scenario(wine, layout):
    server = CadServer(wine, "draw")
    server.unregister_all()
    server.register(["AutoCAD.Application"])
    cad = server.start("AutoCAD.Application")  # the CAD program the user started
    try:
        wait_for("the CAD program", lambda: wine.probe("active", "AutoCAD.Application") is not None)
        texts = ["113.3"] + layout["missingFileDefaults"][1:]
        with Program(wine, layout, "draw") as program:
            type_into(program.xid, texts[0])  # Text1 has the focus, its text selected
            program.click("Check1")  # not ticked: IAG 1975
            program.click("Command1")
            wait_for_draw(program, server)
            check([o for o in program.form["owned"] if o["class"] == "#32770"] == [], "a message box after Draw")
            with open(program.ini_path, "rb") as f:
                ini = f.read()
            check(ini == ini_bytes(texts, 0), "vesk.ini holds %r" % ini)
            program.click("xpcmdbutton5")
            check(program.ended(), "Exit did not end the program")
        check(cad.poll() is None, "the CAD program ended with veskar.exe")
        check([line[4] for line in server.lines() if line[0] == "start"] == ["direct"],
              "not attached to the running CAD program: %s" % [line for line in server.lines() if line[0] == "start"])
    finally:
        cad.kill()
        cad.wait()
    drawn = server.calls()
    expected = cli_calls(wine, layout, texts, beijing54=False)
    check(len(expected) > 100, "veskar-cli.exe sent only %d calls" % len(expected))
    for n, (got, want) in enumerate(zip(drawn, expected)):
        check(got == want, "call %d: %s, veskar-cli.exe sent %s" % (n, got, want))
    check(len(drawn) == len(expected), "%d calls, veskar-cli.exe sent %d" % (len(drawn), len(expected)))


def message_box(wine, layout):
    box = wine.dump(layout["programName"], "#32770")
    return box and {"box": box, "text": [c["text"] for c in box["children"] if c["id"] == 0xFFFF]}


def connect_failure_scenario(wine, layout):
    CadServer(wine, "none").unregister_all()
    expected = wine.probe("connect-error")["error"]
    with Program(wine, layout, "connect") as program:
        program.click("Command1")
        shown = wait_for("the message box", lambda: message_box(wine, layout), timeout=30)
        check(shown["text"] == [expected], "the message box says %s, expected %r" % (shown["text"], expected))
        check(not program.refresh()["enabled"], "Form1 takes input under its message box")
        box = shown["box"]
        ok = next(c for c in box["children"] if c["id"] == 1)  # IDOK
        click(box["client"][0] + ok["rect"][0] + ok["rect"][2] // 2, box["client"][1] + ok["rect"][1] + ok["rect"][3] // 2)
        wait_for("the message box to close", lambda: not message_box(wine, layout))
        check(program.refresh()["enabled"] and x_window(program.title), "Form1 is gone or disabled")
        check(program.process.poll() is None, "the program ended")
        with open(program.ini_path, "rb") as f:
            check(f.read() == ini_bytes(layout["missingFileDefaults"], 1), "vesk.ini not written before connecting")


# ---- help and about ----------------------------------------------------------------------------------

def help_title():
    with open(os.path.join(SOURCE, "docs", "help", "vesk.hhp"), encoding="utf-8") as f:
        return next(line.split("=", 1)[1].strip() for line in f if line.startswith("Title="))


def help_scenario(wine, layout):
    """Windows and Wine read a help file's title in the ANSI code page: 936, as on a Chinese system."""
    title = help_title()
    with Program(wine, layout, "help", help_file=True, env=CHINESE) as program:
        program.click("xpcmdbutton4")
        wait_for("the help viewer titled %r" % title, lambda: x_window(title), timeout=30)
        viewer = wine.dump(title)
        check(viewer["class"] == "HH Parent", "the window %r is a %s" % (title, viewer["class"]))
        wine.probe("close", title)
        wait_for("the help viewer to close", lambda: not x_window(title))
        key(program.xid, "F1")
        wait_for("the help viewer after F1", lambda: x_window(title), timeout=30)


def about_scenario(wine, layout):
    table = layout["about"]
    if os.path.exists(opened_log(wine)):
        os.remove(opened_log(wine))
    with Program(wine, layout, "about") as program:
        program.click("xpcmdbutton3")
        about = wait_for("the about window", lambda: wine.dump(table["title"], table["class"]))
        wait_for("the maker's page", lambda: opened(wine) == [table["makerPage"]])
        check(not program.refresh()["enabled"], "Form1 takes input under the about window")
        dpi = about["dpi"]
        check(about["client"][2:] == [pixels(table["width"], dpi), pixels(table["height"], dpi)],
              "about window's client area %s" % about["client"][2:])
        l, t, r, b = about["rect"]
        check([l, t] == list(centered(about["screen"], [r - l, b - t], dpi)), "about window at %d, %d" % (l, t))
        windows = {c["id"]: c for c in about["children"]}
        for e in table["elements"]:
            if e["kind"] in ("band", "line"):
                continue
            w = windows.get(e["id"])
            check(w is not None, "no %s" % e["name"])
            check(w["rect"] == [pixels(v, dpi) for v in e["place"]], "%s at %s" % (e["name"], w["rect"]))
            check(e["kind"] == "icon" or w["text"] == e["text"], "%s shows %r" % (e["name"], w["text"]))
        at = lambda name: next(  # noqa: E731
            (about["client"][0] + w["rect"][0] + 3, about["client"][1] + w["rect"][1] + w["rect"][3] // 2)
            for e in table["elements"] if e["name"] == name for w in [windows[e["id"]]])
        click(*at("lblHomepage"))
        click(*at("Label4"))
        wait_for("the mail and the page", lambda: opened(wine) == [table["makerPage"], table["mailTo"], table["makerPage"]])
        click(*at("Command1"))
        wait_for("the about window to close", lambda: not wine.dump(table["title"], table["class"]))
        check(program.refresh()["enabled"], "Form1 stays disabled")


# ---- progress ----------------------------------------------------------------------------------------

WS_EX_TOPMOST = 0x00000008


def progress_window(wine, layout):
    return wine.dump(layout["progress"]["title"], layout["progress"]["class"])


def progress_count(layout, window):
    """done and total from the progress window's line, read against progressText(12345, 67890)."""
    text = next(c["text"] for c in window["children"] if c["id"] == layout["progress"]["textId"])
    pattern = "^" + re.escape(layout["progress"]["sample"]).replace("12345", r"(\d+)").replace("67890", r"(\d+)") + "$"
    match = re.match(pattern, text)
    check(match, "the progress window says %r" % text)
    return int(match.group(1)), int(match.group(2))


def shown_count(wine, layout):
    """What the progress window says now: done and total, or None without the window."""
    window = progress_window(wine, layout)
    return progress_count(layout, window) if window else None


def check_progress_window(program, layout, shown):
    check(program.state().get("enabled") is False, "Form1 takes input while Draw runs")
    check(shown["style"] & WS_CAPTION == WS_CAPTION and not shown["style"] & WS_SYSMENU,
          "the progress window has no caption or has a close box: %08x" % shown["style"])
    check(shown["exStyle"] & WS_EX_TOPMOST, "the progress window is not in front of the CAD program")
    fl, ft, fr, fb = program.form["rect"]
    l, t, r, b = shown["rect"]
    f = lambda v: struct.unpack("f", struct.pack("f", v))[0]  # noqa: E731
    expected = [fl + int(f(f(fr - fl - (r - l)) / 2)), ft + int(f(f(fb - ft - (b - t)) / 3))]
    check([l, t] == expected, "the progress window at %d, %d over Form1 at %s, expected %s" % (
        l, t, program.form["rect"], expected))


def entities(server):
    return sum(1 for line in server.lines() if line[0] == "invoke" and line[4] in ("AddText", "AddLightWeightPolyline"))


def progress_scenario(wine, layout):
    """Calls that each take 6 ms more keep the command running for over 2 s."""
    server = CadServer(wine, "progress")
    server.unregister_all()
    server.register(["AutoCAD.Application"], "call_delay_ms=6\n")
    with Program(wine, layout, "progress") as program:
        program.click("Command1")
        shown = wait_for("the progress window", lambda: progress_window(wine, layout), timeout=30)
        check_progress_window(program, layout, shown)
        done, total = progress_count(layout, shown)
        check(0 < done < total, "progress %d of %d" % (done, total))
        program.click("Command1")
        click(*program.form["closeBox"])
        still = shown_count(wine, layout)
        check(still and still[0] < total, "the command ended before the clicks: make it longer")
        wait_for("the command to end", lambda: not progress_window(wine, layout) and program.state().get("enabled"),
                 timeout=60)
        time.sleep(0.3)  # anything the clicks left behind would run now
        state = program.state()
        check(state and state["enabled"] and program.process.poll() is None, "Form1 closed or disabled")
        check(not [o for o in state["owned"] if o["class"] == "#32770"], "a message box after Draw")
    check(entities(server) == total, "%d entities drawn, the progress window counted %d" % (entities(server), total))
    presses = [line for line in server.lines() if line[0] == "invoke" and line[4] == "Add"]
    check(len(presses) == 1, "Draw ran %d times" % len(presses))


# ---- screenshots ---------------------------------------------------------------------------------------

def shoot(rect, path):
    l, t, r, b = rect
    time.sleep(0.3)  # painted
    screenshot(l, t, r - l, b - t, path)


def screenshots_scenario(wine, layout, out=None):
    """The progress window is taken while the CAD program holds the 8th entity's AddText (call
    93) for seconds: every call takes 30 ms more, so each entity (4 or 10 calls) is shown, and
    the window says "7 / 38" on every machine. The CAD program then ends."""
    out = out or os.path.join(wine.scratch, "screenshots")
    os.makedirs(out, exist_ok=True)
    server = CadServer(wine, "screenshots")
    server.unregister_all()
    server.register(["AutoCAD.Application"], "call_delay_ms=30\npause_at=93\npause_ms=2500\nexit_at=94\n")
    about = layout["about"]
    with Program(wine, layout, "shots", env=CHINESE) as program:
        shoot(program.form["rect"], os.path.join(out, "windows-form1.png"))
        check_text_black(program, ["Text2", "Text7"])
        program.click("xpcmdbutton3")
        window = wait_for("the about window", lambda: wine.dump(about["title"], about["class"]))
        shoot(window["rect"], os.path.join(out, "windows-aboutfrm.png"))
        wine.probe("close", about["title"])
        wait_for("the about window to close", lambda: not wine.dump(about["title"], about["class"]))
        program.click("Command1")
        seen = []
        wait_for("the 7th entity", lambda: seen.append(shown_count(wine, layout)) or seen[-1] == (7, 38), timeout=30)
        shoot(program.form["rect"], os.path.join(out, "windows-progress.png"))
        check(shown_count(wine, layout) == (7, 38), "the command went on while shot (saw %s)" % seen)
        wait_for("the end of the CAD program", lambda: message_box(wine, layout), timeout=30)
    for name in ("windows-form1.png", "windows-aboutfrm.png", "windows-progress.png"):
        check(os.path.getsize(os.path.join(out, name)) > 1000, "no picture " + name)
    print("screenshots in %s" % out)


def startup_scenario(wine, layout, runs="10"):
    """Start to the shown window (filled before it is shown), with Wine's session running."""
    times = []
    for n in range(int(runs) + 1):
        program = Program(wine, layout, "startup")
        start = time.monotonic()
        program.process = wine.start(os.path.join(program.dir, "veskar.exe"))
        wait_for("the window", lambda: x_window(program.title), every=0.005)
        if n:  # the first run warms the file cache
            times.append(time.monotonic() - start)
        program.__exit__()
        time.sleep(0.3)
    times.sort()
    print("start to shown window, %d runs: median %.3f s, min %.3f s, max %.3f s" % (
        len(times), times[len(times) // 2], times[0], times[-1]))


SCENARIOS = {"prefix": prefix, "layout": layout_scenario, "settings": settings_scenario, "draw": draw_scenario,
             "connect_failure": connect_failure_scenario, "help": help_scenario, "about": about_scenario,
             "progress": progress_scenario, "screenshots": screenshots_scenario, "startup": startup_scenario}


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
