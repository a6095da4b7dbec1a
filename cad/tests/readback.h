// For every test that writes DXF files: what an independent reader (ezdxf, through
// dxf_readback.py under /usr/bin/python3) finds in a file, and the check that its audit found
// nothing. Linux only.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

namespace veskar::testing {

struct DxfEntity {
  std::string type;  // "TEXT", "LWPOLYLINE" or another entity's DXF name
  std::string layer;
  int color = 256;
  // TEXT
  std::string text, style;
  double height = 0, width = 0, rotation = 0;  // rotation in degrees, as DXF holds it
  int halign = 0, valign = 0;
  std::array<double, 3> insert{};
  std::optional<std::array<double, 3>> alignPoint;
  // LWPOLYLINE
  bool closed = false;
  double constantWidth = 0;
  std::vector<std::array<double, 2>> points;
  // LINE
  std::array<double, 3> start{}, end{};
};

struct DxfStyle {
  std::string name, font, bigfont;
};

struct DxfReadback {
  std::string error;  // why the reader failed; empty when it read the file
  std::size_t handles = 0;
  unsigned long maxHandle = 0;
  bool uniqueHandles = false;
  long handleSeed = -1;
  std::vector<std::string> auditErrors, auditFixes;
  std::string acadver, codepage, encoding;
  int insunits = 0;
  std::array<double, 3> extmin{}, extmax{}, vportCenter{};
  double vportHeight = 0;
  std::vector<DxfStyle> styles;
  std::vector<std::string> layers;
  std::vector<DxfEntity> entities;
};

// What ezdxf reads in `path` (with `handlesOnly`, only the handles: ezdxf is not run).
DxfReadback readDxf(const std::string& path, bool handlesOnly = false);

// The reader read the file and its audit found neither errors nor anything to fix.
void expectCleanAudit(const DxfReadback& r);

// "TEXT <text>", "LWPOLYLINE <vertex count>" or the type for each entity, in file order.
std::vector<std::string> entityKinds(const DxfReadback& r);

// Each entity in full, one line each, numbers to 17 significant digits: equal lines, equal
// entities.
std::vector<std::string> entityLines(const DxfReadback& r);

}  // namespace veskar::testing
