#!/usr/bin/python3
"""Prints the model-space entities of a DXF file as ezdxf reads them, one line each.

Usage: dxf_entities.py FILE

  AUDIT <errors>
  TEXT <colour> <style> <height> <width> <rotation> <halign> <valign> <x> <y> <ax> <ay> <text>
  LWPOLYLINE <colour> <x0> <y0> <x1> <y1> ...

Numbers are printed with repr(), so nothing is lost; the text comes last and may hold blanks.
"""
import sys

import ezdxf


def main():
    doc = ezdxf.readfile(sys.argv[1])
    auditor = doc.audit()
    out = ["AUDIT %d" % len(auditor.errors)]
    for e in doc.modelspace():
        kind = e.dxftype()
        colour = e.dxf.get("color", 256)
        if kind == "TEXT":
            ins = e.dxf.insert
            al = e.dxf.align_point if e.dxf.hasattr("align_point") else ins
            out.append(" ".join(["TEXT", str(colour), e.dxf.style] +
                                [repr(float(v)) for v in (e.dxf.height, e.dxf.width, e.dxf.rotation)] +
                                [str(e.dxf.halign), str(e.dxf.valign)] +
                                [repr(float(v)) for v in (ins[0], ins[1], al[0], al[1])] +
                                [e.dxf.text]))
        elif kind == "LWPOLYLINE":
            coords = []
            for p in e.get_points("xy"):
                coords += [repr(float(p[0])), repr(float(p[1]))]
            out.append(" ".join(["LWPOLYLINE", str(colour)] + coords))
        else:
            out.append(kind)
    sys.stdout.buffer.write(("\n".join(out) + "\n").encode("utf-8"))


if __name__ == "__main__":
    main()
