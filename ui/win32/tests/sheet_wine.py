#!/usr/bin/python3
"""veskar-sheet.exe's window under Wine on the test display: one scenario per run.

Usage: sheet_wine.py BIN_DIR WINE_RUN WINE_PREFIX SCRATCH_DIR SCENARIO [OUTPUT_DIR]

  layout       the window from its table: size, place, controls, tab order, focus, colours
  number       a number typed, a former one and a wrong one: the line under 图号; 查找 fills 图号
  draw         绘图 into the CAD program: the calls veskar-cli.exe draw --sheet ... --cad sends
  save         保存DXF… through the save dialog: the bytes veskar-cli.exe draw --sheet ... -o
               writes; a refusal: its message box, no dialog, nothing drawn, no file
  settings     the fields come back after a restart; vesk.ini beside them stays as it was
  square       分幅 switched to square sheets from the keyboard: their controls and tab order, the
               line under 图号, 查找 at x and y, the fields and the focus after a restart
  square_draw  绘图 and 保存DXF… on square sheets: the calls and the bytes of veskar-cli.exe draw
               --square ... (--cad | -o)
  help         帮助 and F1 open the help viewer (zh_CN)
  open         Form1's context menu and system menu start veskar-sheet.exe beside veskar.exe
  screenshots  windows-sheet.png and windows-sheet-square.png into OUTPUT_DIR (default
               SCRATCH_DIR/screenshots), their fields' text black (in Form1's too:
               form1_wine.py screenshots)
  startup      prints the time from start to the shown window (not a test)

The prefix comes from form1_wine.py's prefix scenario. Exit status 0 when the scenario holds.
"""
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from form1_wine import (CHINESE, check_caption_colours, check_controls, check_focus, check_text_black,  # noqa: E402
                        check_window, client_pixels, help_title, shoot)
from wine_window import (CadServer, Failure, Program, Wine, check, click, key, type_into, wait_for,  # noqa: E402
                         x_window, xdotool)

FIRST_START = {"txtNumber": "", "txtLatitude": "", "txtLongitude": "", "txtGrid": "", "txtTitle": "",
               "cboScale": "1:10,000", "cboSystem": "2000国家大地坐标系", "cboDivision": "经纬度分幅",
               "cboSize": "按比例尺", "cboSquareScale": "1:1,000", "cboSquareSystem": ""}


def sheet(wine, layout, name, ini=None, **kw):
    return Program(wine, layout, name, ini=ini, table="sheet", **kw)


def replace_text(program, name, text):
    """Focus into the field by a click, everything in it selected, and `text` typed over it."""
    program.click(name)
    key(program.xid, "End", "shift+Home")
    type_into(program.xid, text)


def text_of(program, name):
    program.refresh()
    return program.control(name)["text"]


def message_box(wine, layout):
    """The window's message box: its window and its text, or None."""
    box = wine.dump(layout["sheet"]["program"][:-4], "#32770")
    return box and {"box": box, "text": [c["text"] for c in box["children"] if c["id"] == 0xFFFF]}


def press_ok(wine, layout, shown):
    box = shown["box"]
    ok = next(c for c in box["children"] if c["id"] == 1)  # IDOK
    click(box["client"][0] + ok["rect"][0] + ok["rect"][2] // 2, box["client"][1] + ok["rect"][1] + ok["rect"][3] // 2)
    wait_for("the message box to close", lambda: not message_box(wine, layout))


def check_note(wine, program, field, number, *lines):
    """`number` typed into `field`: the line under it says what the probe says for it (the other
    fields as the settings file's `lines` give them), black, or red for a fault."""
    replace_text(program, field, number)
    expected = wine.probe("sheet-texts", number, *lines)
    wait_for("the line for " + number, lambda: text_of(program, "lblNote") == expected["note"], timeout=5)
    x, y, w, h = program.control("lblNote")["rect"]
    colours = {p for row in client_pixels(program)[y:y + h] for p in row[x:x + w]}
    check(((255, 0, 0) in colours) == expected["fault"] and ((0, 0, 0) in colours) != expected["fault"],
          "the line for %s is not %s" % (number, "red" if expected["fault"] else "black"))


def save_through_dialog(wine, layout, program, path):
    """保存DXF… and `path` typed into the save dialog; until the file is written."""
    title = layout["sheet"]["saveTitle"]
    program.click("cmdSaveDxf")
    wait_for("the save dialog", lambda: wine.dump(title, "#32770"), timeout=20)
    xid = x_window(title)
    key(xid, "End", "shift+Home")
    type_into(xid, wine.path(path))
    key(xid, "Return")
    wait_for("the file", lambda: os.path.exists(path) and program.state().get("enabled"), timeout=30)
    check(not message_box(wine, layout), "a message box after 保存DXF")


def cli(wine, *args):
    status, out, err = wine.run(os.path.join(wine.bin, "veskar-cli.exe"), "draw", *args)
    check(status == 0, "veskar-cli.exe draw %s: %d %s %s" % (" ".join(args), status, out, err))


# ---- scenarios ------------------------------------------------------------------------------------

def layout_scenario(wine, layout):
    with sheet(wine, layout, "sheet-layout") as program:
        check_window(program, [480, 281])
        check_controls(program, FIRST_START)
        check([program.control(n)["check"] for n in ("chkFinished", "chkZonePrefix")] == [1, 0],
              "the boxes do not start as the command line's defaults")
        check_focus(program, "txtNumber")
        check_caption_colours(program)
        type_into(program.xid, "J50G015010")
        key(program.xid, "Tab")
        check_focus(program, "txtLatitude")


def number_scenario(wine, layout):
    with sheet(wine, layout, "sheet-number", ini=b"scale=50000\r\n") as program:
        for number in ("J50G015010", "J-50-5-(24)", "J50G097001"):
            check_note(wine, program, "txtNumber", number)
        replace_text(program, "txtLatitude", "39.543")
        replace_text(program, "txtLongitude", "116.2825")
        program.click("cmdFind")
        wait_for("查找", lambda: text_of(program, "txtNumber") == "J50E001010", timeout=5)
        check(text_of(program, "lblNote") == wine.probe("sheet-texts", "J50E001010")["note"], "the line after 查找")


def draw_scenario(wine, layout):
    """The fields from the settings file and typed; the CAD program started by the user."""
    server = CadServer(wine, "sheet-draw")
    server.unregister_all()
    server.register(["AutoCAD.Application"])
    cad = server.start("AutoCAD.Application")
    try:
        wait_for("the CAD program", lambda: wine.probe("active", "AutoCAD.Application") is not None)
        ini = b"system=Beijing54\r\ntitle=Dongjiao\r\nzone_prefix=1\r\n"
        with sheet(wine, layout, "sheet-draw", ini=ini) as program:
            type_into(program.xid, "J-50-5-(24)")
            program.click("cmdDraw")
            wait_for("the draw to end", lambda: server.lines() and program.state().get("enabled"), timeout=60)
            check(not message_box(wine, layout), "a message box after 绘图: %s" % message_box(wine, layout))
    finally:
        cad.kill()
        cad.wait()
    drawn = server.calls()
    reference = CadServer(wine, "sheet-cli")
    reference.register(["Veskar.TestCad.Application"])
    cli(wine, "--sheet", "J-50-5-(24)", "--title", "Dongjiao", "--beijing54", "--zone-prefix", "--cad", "--progid",
        "Veskar.TestCad.Application")
    expected = reference.calls()
    check(len(expected) > 100, "veskar-cli.exe sent only %d calls" % len(expected))
    for n, (got, want) in enumerate(zip(drawn, expected)):
        check(got == want, "call %d: %s, veskar-cli.exe sent %s" % (n, got, want))
    check(len(drawn) == len(expected), "%d calls, veskar-cli.exe sent %d" % (len(drawn), len(expected)))


def save_scenario(wine, layout):
    title = layout["sheet"]["saveTitle"]
    with sheet(wine, layout, "sheet-save", ini=b"number=J50E001010\r\ngrid=2\r\nsystem=IAG75\r\n") as program:
        path = os.path.join(program.dir, "out.dxf")
        program.click("cmdSaveDxf")
        wait_for("the save dialog", lambda: wine.dump(title, "#32770"), timeout=20)
        xid = x_window(title)
        key(xid, "End", "shift+Home")
        type_into(xid, wine.path(path))
        key(xid, "Return")
        wait_for("the file", lambda: os.path.exists(path) and program.state().get("enabled"), timeout=30)
        check(not message_box(wine, layout), "a message box after 保存DXF")
        # A refusal: the message box names the field, no dialog, nothing drawn, no file.
        refused = os.path.join(program.dir, "J50G097001.dxf")
        replace_text(program, "txtNumber", "J50G097001")
        expected = wine.probe("sheet-texts", "J50G097001")["refusal"]
        for button in ("cmdSaveDxf", "cmdDraw"):
            program.click(button)
            shown = wait_for("the refusal", lambda: message_box(wine, layout), timeout=10)
            check(shown["text"] == [expected], "the refusal says %s, expected %r" % (shown["text"], expected))
            check(not wine.dump(title, "#32770"), "a save dialog for a refused sheet")
            press_ok(wine, layout, shown)
        check(not os.path.exists(refused), "a refused sheet was written")
    reference = os.path.join(wine.scratch, "sheet-cli.dxf")
    cli(wine, "--sheet", "J50E001010", "--grid", "2", "--iag75", "-o", wine.path(reference))
    with open(path, "rb") as saved, open(reference, "rb") as written:
        check(saved.read() == written.read(), "保存DXF wrote other bytes than veskar-cli.exe -o")


def settings_scenario(wine, layout):
    ini = (b"number=J50\r\nlatitude=39\r\nlongitude=\r\nscale=500\r\nsystem=IAG75\r\ngrid=5\r\ntitle=T\r\nfinished=0\r\n"
           b"zone_prefix=1\r\n")
    vesk = b"1\r\n2\r\n3\r\n4\r\n5\r\n6\r\n7\r\n0\r\n"
    program = sheet(wine, layout, "sheet-settings", ini=ini)
    with open(os.path.join(program.dir, "vesk.ini"), "wb") as f:
        f.write(vesk)
    with program:
        texts = dict(FIRST_START, txtNumber="J50", txtLatitude="39", cboScale="1:500", cboSystem="1980西安坐标系",
                     txtGrid="5", txtTitle="T")
        check_controls(program, texts)
        check([program.control(n)["check"] for n in ("chkFinished", "chkZonePrefix")] == [0, 1], "the boxes")
        check(not program.control("txtGrid")["enabled"], "方里网间距 takes input for the bare frame")
        replace_text(program, "txtNumber", "J51")
        program.click("chkFinished")
        program.click("cmdSaveDxf")  # saves the fields first; the dialog is cancelled
        wait_for("the save dialog", lambda: x_window(layout["sheet"]["saveTitle"]), timeout=20)
        key(x_window(layout["sheet"]["saveTitle"]), "Escape")
        wait_for("the window to take input", lambda: program.state().get("enabled"))
    with open(program.ini_path, "rb") as f:
        saved = f.read()
    square = (b"division=national\r\nsquare_number=\r\nnorthing=\r\neasting=\r\nsquare_scale=1000\r\nsheet_size=\r\n"
              b"square_system=\r\n")
    check(saved == ini.replace(b"J50", b"J51").replace(b"finished=0", b"finished=1") + square, "saved %r" % saved)
    with program:
        check(text_of(program, "txtNumber") == "J51" and program.control("chkFinished")["check"] == 1,
              "the fields did not come back")
    with open(os.path.join(program.dir, "vesk.ini"), "rb") as f:
        check(f.read() == vesk, "vesk.ini changed")


SQUARE = ("division=square", "square_scale=500", "sheet_size=50x40")


def square_scenario(wine, layout):
    ini = b"square_scale=500\r\nsheet_size=50x40\r\n"
    program = sheet(wine, layout, "sheet-square", ini=ini)
    with program:
        key(program.xid, "shift+Tab", "Down")  # from 图号 to 分幅 (图幅尺寸 is greyed), 正方形分幅
        wait_for("the square sheets' 图号",
                 lambda: program.refresh() and program.control("txtSquareNumber")["visible"])
        texts = dict(FIRST_START, cboDivision="正方形分幅", cboSize="50x40 cm", cboSquareScale="1:500")
        check_controls(program, texts, "square")
        enabled = {n: program.control(n)["enabled"]
                   for n in ("cboSize", "txtTitle", "txtGrid", "chkFinished", "chkZonePrefix")}
        check(enabled == dict(cboSize=True, txtTitle=True, txtGrid=False, chkFinished=False, chkZonePrefix=False),
              "enabled on square sheets: %s" % enabled)
        check_caption_colours(program)
        for number in ("10.25-27.75", "10.2-27.75"):
            check_note(wine, program, "txtSquareNumber", number, *SQUARE)
        replace_text(program, "txtNorthing", "10260.3")
        replace_text(program, "txtEasting", "27790.1")
        program.click("cmdFind")
        wait_for("查找", lambda: text_of(program, "txtSquareNumber") == "10.20-27.75", timeout=5)
        program.click("cmdSaveDxf")  # saves the fields first; the dialog is cancelled
        wait_for("the save dialog", lambda: x_window(layout["sheet"]["saveTitle"]), timeout=20)
        key(x_window(layout["sheet"]["saveTitle"]), "Escape")
        wait_for("the window to take input", lambda: program.state().get("enabled"))
    with open(program.ini_path, "rb") as f:
        saved = f.read()
    check(saved.endswith(b"division=square\r\nsquare_number=10.20-27.75\r\nnorthing=10260.3\r\neasting=27790.1\r\n"
                         b"square_scale=500\r\nsheet_size=50x40\r\nsquare_system=\r\n"), "saved %r" % saved)
    with program:
        check_focus(program, "txtSquareNumber")
        check(text_of(program, "txtSquareNumber") == "10.20-27.75" and not program.control("txtNumber")["visible"],
              "the square sheets' fields did not come back")


def square_draw_scenario(wine, layout):
    """The fields from the settings file and typed; the CAD program started by the user."""
    server = CadServer(wine, "square-draw")
    server.unregister_all()
    server.register(["AutoCAD.Application"])
    cad = server.start("AutoCAD.Application")
    ini = "\r\n".join(SQUARE + ("title=Site 7", "square_system=CGCS2000 local", "")).encode()
    try:
        wait_for("the CAD program", lambda: wine.probe("active", "AutoCAD.Application") is not None)
        with sheet(wine, layout, "square-draw", ini=ini) as program:
            type_into(program.xid, "10.2-27.75")
            program.click("cmdDraw")
            wait_for("the draw to end", lambda: server.lines() and program.state().get("enabled"), timeout=60)
            check(not message_box(wine, layout), "a message box after 绘图: %s" % message_box(wine, layout))
            saved = os.path.join(program.dir, "out.dxf")
            save_through_dialog(wine, layout, program, saved)
    finally:
        cad.kill()
        cad.wait()
    drawn = server.calls()
    options = ("--square", "10.2-27.75", "--scale", "500", "--sheet-size", "50x40", "--title", "Site 7", "--system",
               "CGCS2000 local")
    reference = CadServer(wine, "square-cli")
    reference.register(["Veskar.TestCad.Application"])
    cli(wine, *options, "--cad", "--progid", "Veskar.TestCad.Application")
    expected = reference.calls()
    check(len(expected) > 100, "veskar-cli.exe sent only %d calls" % len(expected))
    for n, (got, want) in enumerate(zip(drawn, expected)):
        check(got == want, "call %d: %s, veskar-cli.exe sent %s" % (n, got, want))
    check(len(drawn) == len(expected), "%d calls, veskar-cli.exe sent %d" % (len(drawn), len(expected)))
    written = os.path.join(wine.scratch, "square-cli.dxf")
    cli(wine, *options, "-o", wine.path(written))
    with open(saved, "rb") as a, open(written, "rb") as b:
        check(a.read() == b.read(), "保存DXF wrote other bytes than veskar-cli.exe -o")


def help_scenario(wine, layout):
    title = help_title()
    with sheet(wine, layout, "sheet-help", help_file=True, env=CHINESE) as program:
        program.click("cmdHelp")
        wait_for("the help viewer titled %r" % title, lambda: x_window(title), timeout=30)
        wine.probe("close", title)
        wait_for("the help viewer to close", lambda: not x_window(title))
        key(program.xid, "F1")
        wait_for("the help viewer after F1", lambda: x_window(title), timeout=30)


def open_scenario(wine, layout):
    """The context menu from the keyboard's menu key after a right click on the background, then
    the system menu's command: each starts veskar-sheet.exe from veskar.exe's folder."""
    table = layout["sheet"]
    with Program(wine, layout, "sheet-open", also=(table["program"],)) as form1:
        x, y = form1.form["client"][:2]
        xdotool("mousemove", x + 4, y + 4, "click", "3")
        time.sleep(0.5)
        key(form1.xid, "Down", "Return")
        wait_for("the sheet window from the context menu", lambda: x_window(table["title"]), timeout=20)
        wine.probe("close", table["title"])
        wait_for("the sheet window to close", lambda: not x_window(table["title"]))
        wine.probe("syscommand", form1.title, str(table["menuCommand"]))
        wait_for("the sheet window from the system menu", lambda: x_window(table["title"]), timeout=20)
        wine.probe("close", table["title"])
        check(form1.refresh()["client"][2:] == [302, 190], "Form1's client area changed")


def screenshots_scenario(wine, layout, out=None):
    out = out or os.path.join(wine.scratch, "screenshots")
    os.makedirs(out, exist_ok=True)
    with sheet(wine, layout, "sheet-shots", ini=b"title=\xb1\xb1\xbe\xa9\xb6\xab\xbd\xbc\r\n", env=CHINESE) as program:
        type_into(program.xid, "J-50-5-(24)")
        key(program.xid, "Tab")
        shoot(program.form["rect"], os.path.join(out, "windows-sheet.png"))
        check_text_black(program, ["txtNumber", "txtTitle"])
    ini = b"\r\n".join([b"division=square", b"square_scale=500", b"northing=10260.3", b"easting=27790.1",
                       "title=某小区".encode("gbk"), "square_system=2000国家大地坐标系".encode("gbk"), b""])
    with sheet(wine, layout, "sheet-shots-square", ini=ini, env=CHINESE) as program:
        type_into(program.xid, "10.25-27.75")
        shoot(program.form["rect"], os.path.join(out, "windows-sheet-square.png"))
        check_text_black(program, ["txtNorthing", "txtTitle"])
    for name in ("windows-sheet.png", "windows-sheet-square.png"):
        check(os.path.getsize(os.path.join(out, name)) > 1000, "no picture " + name)
    print("screenshots in %s" % out)


def startup_scenario(wine, layout, runs="10"):
    times = []
    for n in range(int(runs) + 1):
        program = sheet(wine, layout, "sheet-startup")
        start = time.monotonic()
        program.process = wine.start(os.path.join(program.dir, program.exe))
        wait_for("the window", lambda: x_window(program.title), every=0.005)
        if n:
            times.append(time.monotonic() - start)
        program.__exit__()
        time.sleep(0.3)
    times.sort()
    print("start to shown window, %d runs: median %.3f s, min %.3f s, max %.3f s" % (
        len(times), times[len(times) // 2], times[0], times[-1]))


SCENARIOS = {"layout": layout_scenario, "number": number_scenario, "draw": draw_scenario, "save": save_scenario,
             "settings": settings_scenario, "square": square_scenario, "square_draw": square_draw_scenario,
             "help": help_scenario, "open": open_scenario,
             "screenshots": screenshots_scenario, "startup": startup_scenario}


def main():
    if len(sys.argv) < 6 or sys.argv[5] not in SCENARIOS:
        sys.stderr.write(__doc__)
        return 2
    wine = Wine(*sys.argv[1:5])
    scenario = sys.argv[5]
    try:
        SCENARIOS[scenario](wine, wine.probe("layout"), *sys.argv[6:])
    except Failure as failure:
        print("FAILED: sheet %s: %s" % (scenario, failure))
        return 1
    print("sheet %s: passed" % scenario)
    return 0


if __name__ == "__main__":
    sys.exit(main())
