#!/usr/bin/python3
"""Reads a DXF file back with ezdxf, an independent reader, and prints what it found as JSON.

Usage: dxf_readback.py FILE [--handles-only]

The output holds ezdxf's audit (errors and fixes), the header variables the drawing sets, the
active viewport, the text styles and layers, and every model-space entity in file order with
its properties. Handles are checked on the raw group codes: every handle, whether any repeats,
and $HANDSEED. With --handles-only ezdxf is not run (for very large files).
"""
import json
import sys


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
    return {"count": len(handles), "max": max(handles) if handles else 0,
            "unique": len(set(handles)) == len(handles), "seed": seed}


def readback(path):
    import ezdxf

    doc = ezdxf.readfile(path)
    auditor = doc.audit()
    header = doc.header
    out = {
        "audit": {"errors": [e.message for e in auditor.errors], "fixes": [f.message for f in auditor.fixes]},
        "acadver": header.get("$ACADVER"),
        "codepage": header.get("$DWGCODEPAGE"),
        "encoding": doc.encoding,
        "insunits": header.get("$INSUNITS"),
        "extmin": list(header.get("$EXTMIN", (0, 0, 0))),
        "extmax": list(header.get("$EXTMAX", (0, 0, 0))),
    }
    vport = doc.viewports.get("*Active")[0]
    out["vport"] = {"center": list(vport.dxf.center), "height": vport.dxf.height}
    out["styles"] = [{"name": s.dxf.name, "font": s.dxf.font, "bigfont": s.dxf.get("bigfont", "")}
                     for s in doc.styles]
    out["layers"] = [layer.dxf.name for layer in doc.layers]
    entities = []
    for e in doc.modelspace():
        kind = e.dxftype()
        item = {"type": kind, "layer": e.dxf.layer, "color": e.dxf.get("color", 256)}
        if kind == "TEXT":
            item.update({
                "text": e.dxf.text,
                "insert": list(e.dxf.insert),
                "align_point": list(e.dxf.align_point) if e.dxf.hasattr("align_point") else None,
                "height": e.dxf.height,
                "width": e.dxf.width,
                "style": e.dxf.style,
                "rotation": e.dxf.rotation,
                "halign": e.dxf.halign,
                "valign": e.dxf.valign,
            })
        elif kind == "LWPOLYLINE":
            item["points"] = [[p[0], p[1]] for p in e.get_points("xy")]
            item["closed"] = e.closed
        entities.append(item)
    out["entities"] = entities
    return out


def main():
    path = sys.argv[1]
    result = {"handles": raw_handles(path)}
    if "--handles-only" not in sys.argv[2:]:
        result.update(readback(path))
    json.dump(result, sys.stdout)


if __name__ == "__main__":
    main()
