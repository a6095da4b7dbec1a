#include "cad/tests/readback.h"

#include <gtest/gtest.h>

#include <charconv>
#include <cstdio>
#include <sstream>

#include "platform/testing/testing.h"

namespace veskar::testing {
namespace {

std::string unescape(std::string_view s) {
  std::string out;
  for (std::size_t i = 0; i < s.size(); ++i) {
    if (s[i] != '\\' || i + 1 == s.size()) {
      out += s[i];
      continue;
    }
    const char c = s[++i];
    out += c == 't' ? '\t' : c == 'n' ? '\n' : c == 'r' ? '\r' : c;
  }
  return out;
}

std::vector<std::string> fields(const std::string& line) {
  std::vector<std::string> out;
  std::size_t start = 0;
  for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1)
    out.push_back(line.substr(start, tab - start));
  out.push_back(line.substr(start));
  return out;
}

double number(const std::string& s) {
  double v = 0;
  std::from_chars(s.data(), s.data() + s.size(), v);
  return v;
}

long whole(const std::string& s) { return std::stol(s); }

std::array<double, 3> point(const std::vector<std::string>& f, std::size_t at) {
  return {number(f[at]), number(f[at + 1]), number(f[at + 2])};
}

DxfEntity entity(const std::vector<std::string>& f) {
  DxfEntity e;
  e.type = f[0] == "ENTITY" ? f[1] : f[0];
  if (f[0] == "ENTITY") return e;
  e.layer = f[1];
  e.color = static_cast<int>(whole(f[2]));
  if (f[0] == "TEXT") {
    e.style = f[3];
    e.height = number(f[4]), e.width = number(f[5]), e.rotation = number(f[6]);
    e.halign = static_cast<int>(whole(f[7])), e.valign = static_cast<int>(whole(f[8]));
    e.insert = point(f, 9);
    if (f[12] != "-") e.alignPoint = point(f, 12);
    e.text = unescape(f[15]);
  } else if (f[0] == "LINE") {
    e.start = point(f, 3);
    e.end = point(f, 6);
  } else {
    e.closed = f[3] == "1";
    e.constantWidth = number(f[4]);
    for (std::size_t k = 5; k + 1 < f.size(); k += 2) e.points.push_back({number(f[k]), number(f[k + 1])});
  }
  return e;
}

void take(DxfReadback& r, const std::vector<std::string>& f) {
  const std::string& kind = f[0];
  if (kind == "HANDLES") {
    r.handles = static_cast<std::size_t>(whole(f[1]));
    r.maxHandle = static_cast<unsigned long>(whole(f[2]));
    r.uniqueHandles = f[3] == "1";
    r.handleSeed = whole(f[4]);
  } else if (kind == "AUDIT-ERROR") {
    r.auditErrors.push_back(unescape(f[1]));
  } else if (kind == "AUDIT-FIX") {
    r.auditFixes.push_back(unescape(f[1]));
  } else if (kind == "HEADER") {
    r.acadver = f[1], r.codepage = f[2], r.encoding = f[3];
    r.insunits = static_cast<int>(whole(f[4]));
  } else if (kind == "EXTMIN" || kind == "EXTMAX") {
    (kind == "EXTMIN" ? r.extmin : r.extmax) = point(f, 1);
  } else if (kind == "VPORT") {
    r.vportCenter = point(f, 1);
    r.vportHeight = number(f[4]);
  } else if (kind == "STYLE") {
    r.styles.push_back({unescape(f[1]), unescape(f[2]), unescape(f[3])});
  } else if (kind == "LAYER") {
    r.layers.push_back(unescape(f[1]));
  } else {
    r.entities.push_back(entity(f));
  }
}

}  // namespace

DxfReadback readDxf(const std::string& path, bool handlesOnly) {
  std::vector<std::string> args{VESKAR_DXF_READBACK, path};
  if (handlesOnly) args.push_back("--handles-only");
  const ProcessResult p = run("/usr/bin/python3", args, {}, {}, {}, 300000);
  DxfReadback r;
  if (p.status != 0) {
    r.error = "the reader failed on " + path + ": " + p.err;
    return r;
  }
  std::istringstream lines(p.out);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty()) take(r, fields(line));
  }
  return r;
}

void expectCleanAudit(const DxfReadback& r) {
  EXPECT_EQ(r.error, "");
  for (const std::string& e : r.auditErrors) ADD_FAILURE() << "audit error: " << e;
  for (const std::string& f : r.auditFixes) ADD_FAILURE() << "audit fix: " << f;
}

std::vector<std::string> entityKinds(const DxfReadback& r) {
  std::vector<std::string> out;
  for (const DxfEntity& e : r.entities) {
    if (e.type == "TEXT") {
      out.push_back("TEXT " + e.text);
    } else if (e.type == "LWPOLYLINE") {
      out.push_back("LWPOLYLINE " + std::to_string(e.points.size()));
    } else {
      out.push_back(e.type);
    }
  }
  return out;
}

std::vector<std::string> entityLines(const DxfReadback& r) {
  const auto num = [](double d) {
    char buf[32];
    std::snprintf(buf, sizeof buf, " %.17g", d);
    return std::string(buf);
  };
  std::vector<std::string> out;
  for (const DxfEntity& e : r.entities) {
    std::string line = e.type + " " + e.layer + " " + std::to_string(e.color);
    if (e.type == "TEXT") {
      line += " " + e.style + num(e.height) + num(e.width) + num(e.rotation) + " " + std::to_string(e.halign) +
              " " + std::to_string(e.valign);
      for (double v : e.insert) line += num(v);
      if (e.alignPoint) {
        for (double v : *e.alignPoint) line += num(v);
      }
      line += " " + e.text;
    } else if (e.type == "LINE") {
      for (double v : e.start) line += num(v);
      for (double v : e.end) line += num(v);
    } else {
      line += e.closed ? " closed" : " open";
      if (e.constantWidth != 0) line += " width" + num(e.constantWidth);
      for (const auto& p : e.points) line += num(p[0]) + num(p[1]);
    }
    out.push_back(line);
  }
  return out;
}

}  // namespace veskar::testing
