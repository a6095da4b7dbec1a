#!/usr/bin/python3
"""Reads a DXF file back with ezdxf, an independent reader, and prints what it found.

Usage: dxf_readback.py FILE [--handles-only]

One record per line, fields separated by tabs; numbers with repr(), so nothing is lost; texts
with backslash, tab, line feed and carriage return escaped as \\\\, \\t, \\n, \\r.

  HANDLES count max unique(0/1) seed     every handle on the raw group codes, and $HANDSEED
  AUDIT-ERROR message / AUDIT-FIX message   ezdxf's audit
  HEADER acadver codepage encoding insunits
  EXTMIN x y z / EXTMAX x y z
  VPORT cx cy cz height                  the active viewport
  STYLE name font bigfont / LAYER name
  TEXT layer colour style height width rotation halign valign ix iy iz ax ay az text
       (ax ay az are "-" when the text has no alignment point)
  LWPOLYLINE layer colour closed(0/1) width x0 y0 x1 y1 ...   (width: the constant width)
  LINE layer colour sx sy sz ex ey ez
  ENTITY type                            any other model-space entity

With --handles-only ezdxf is not run (for very large files).
"""
import sys


def escape(text):
    return text.replace("\\", "\\\\").replace("\t", "\\t").replace("\n", "\\n").replace("\r", "\\r")


def record(*fields):
    return "\t".join(str(f) for f in fields)


def number(v):
    return repr(float(v))


def raw_handles(path):
    with open(path, "rb") as f:
        lines = f.read().decode("latin-1").splitlines()
    handles, seed, after_seed = [], None, False
    for i in range(0, len(lines) - 1, 2):
        code, value = int(lines[i].strip()), lines[i + 1].strip()
        if code == 9:
            after_seed = value == "$HANDSEED"
            continue
        if code in (5, 105):
            if after_seed:
                seed, after_seed = int(value, 16), False
            else:
                handles.append(int(value, 16))
    return record("HANDLES", len(handles), max(handles) if handles else 0,
                  int(len(set(handles)) == len(handles)), -1 if seed is None else seed)


def entity(e):
    kind = e.dxftype()
    head = [e.dxf.layer, e.dxf.get("color", 256)]
    if kind == "TEXT":
        align = list(e.dxf.align_point) if e.dxf.hasattr("align_point") else None
        return record("TEXT", *head, e.dxf.style, number(e.dxf.height), number(e.dxf.width),
                      number(e.dxf.rotation), e.dxf.halign, e.dxf.valign,
                      *[number(v) for v in e.dxf.insert],
                      *([number(v) for v in align] if align else ["-", "-", "-"]),
                      escape(e.dxf.text))
    if kind == "LWPOLYLINE":
        coords = [number(v) for p in e.get_points("xy") for v in p]
        return record("LWPOLYLINE", *head, int(e.closed), number(e.dxf.const_width), *coords)
    if kind == "LINE":
        return record("LINE", *head, *[number(v) for v in e.dxf.start], *[number(v) for v in e.dxf.end])
    return record("ENTITY", kind)


def readback(path):
    import ezdxf

    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    header = doc.header
    out = [record("AUDIT-ERROR", escape(e.message)) for e in auditor.errors]
    out += [record("AUDIT-FIX", escape(f.message)) for f in auditor.fixes]
    out.append(record("HEADER", header.get("$ACADVER"), header.get("$DWGCODEPAGE"), doc.encoding,
                      header.get("$INSUNITS")))
    for name in ("EXTMIN", "EXTMAX"):
        out.append(record(name, *[number(v) for v in header.get("$" + name, (0, 0, 0))]))
    vport = doc.viewports.get("*Active")[0]
    out.append(record("VPORT", *[number(v) for v in vport.dxf.center], number(vport.dxf.height)))
    out += [record("STYLE", escape(s.dxf.name), escape(s.dxf.font), escape(s.dxf.get("bigfont", "")))
            for s in doc.styles]
    out += [record("LAYER", escape(layer.dxf.name)) for layer in doc.layers]
    out += [entity(e) for e in doc.modelspace()]
    return out


def main():
    path = sys.argv[1]
    out = [raw_handles(path)]
    if "--handles-only" not in sys.argv[2:]:
        out += readback(path)
    sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))


if __name__ == "__main__":
    main()
