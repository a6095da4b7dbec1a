// The recording of the test CAD server, and a reader for it. Standard C++ only: the server
// writes with these helpers on Windows, tests read on Windows or Linux.
//
// One line per event, UTF-8, fields separated by one tab, each line ended by "\n". Every line
// starts with KIND, PID (the server process's id, decimal) and N. N numbers the calls a server
// process receives (GetIDsOfNames, Invoke, and calls its message filter turns away) from 1 in
// the order they arrive; the control keys reject_first, fail_at and exit_at count the same
// numbers. A line goes to the file with a single write before the call returns, so a server
// that is killed leaves every line up to its death. Several server processes may append to
// one file; PID tells their lines apart.
//
//   start  PID 0 PROGID HOW CLSID CONFIG       HOW: com (started by COM with -Embedding) or
//                                              direct; CONFIG: the config file's path
//   names  PID N OBJECT OUTCOME NAME...        GetIDsOfNames: the object and every name asked
//   invoke PID N OBJECT MEMBER FLAGS OUTCOME ARG...
//   filter PID N IID METHOD OUTCOME            the message filter turned an incoming IDispatch
//                                              call away; METHOD: its vtable index (5
//                                              GetIDsOfNames, 6 Invoke)
//   end    PID N REASON                        the server ends: last-client, idle, closed
//                                              (WM_CLOSE), failed (registering its objects
//                                              failed) or no-window (none could be created)
//
// OBJECT is the kind and the instance number, counted per kind from 1: Application#1,
// Document#1, TextStyles#1, TextStyle#2, ModelSpace#1, Text#17, LightWeightPolyline#3.
// MEMBER is the member's name as the server spells it (FontFile, not fontFile), found from the
// DISPID; an unknown DISPID is written #DISPID. FLAGS are the invoke flags joined by "|":
// method, get, put, putref (VB's late-bound reads arrive as method|get).
// ARG is one argument in the caller's order (first parameter first; for a put, the value):
//
//   TYPE VALUE   TYPE names the VARTYPE, flags first: VT_I2, VT_BYREF|VT_BSTR,
//                VT_BYREF|VT_ARRAY|VT_R8, VT_BYREF|VT_VARIANT; an unnamed type is VT_0xHHHH.
//                VT_EMPTY and VT_NULL have no VALUE (and no space).
//   VALUE        integers in decimal; VT_BOOL as its raw 16-bit value (-1 true, 0 false);
//                VT_R8 and VT_DATE with 17 significant digits, VT_R4 with 9 (shortest form
//                of std::to_chars with that precision, "." as decimal point); VT_CY as the
//                raw 64-bit count of 1/10000; VT_ERROR as 0xHHHHHHHH; VT_BSTR in double
//                quotes with \\ \" \t \n \r escaped, other control characters as \xHH and
//                unpaired surrogates as \uHHHH, a null BSTR as null; VT_DISPATCH/VT_UNKNOWN as
//                null or object; VT_DECIMAL and other types as ?.
//                By reference (VT_BYREF): the value pointed at, null for a null pointer;
//                VT_BYREF|VT_VARIANT: the variant pointed at, as TYPE VALUE.
//                Arrays: the bounds of each dimension, first dimension first, then the
//                elements in memory order: [0..2] {1,2.5,0}; [0..1,1..3] {...}; a null
//                SAFEARRAY is null. Elements of VT_VARIANT arrays are TYPE VALUE each.
//
// OUTCOME:
//   S_OK                        success without a value (puts, or the caller asked for none)
//   S_OK TYPE VALUE             success with the value given back: S_OK VT_DISPATCH Text#4
//   0x80020009 SCODE "TEXT"     DISP_E_EXCEPTION: EXCEPINFO's scode and description
//   0x80020005 ARGERR           DISP_E_TYPEMISMATCH: puArgErr, the index into rgvarg (last
//                               argument first, as the caller receives it)
//   0xHHHHHHHH                  any other HRESULT (a busy rejection 0x8001010A, 0x8002000E …)
//   exit                        the server ended itself abruptly during this call (exit_at)
// A filter line's OUTCOME is SERVERCALL_RETRYLATER or SERVERCALL_REJECTED.
#pragma once

#include <algorithm>
#include <charconv>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <system_error>
#include <utility>
#include <vector>

namespace veskar::testcad::recording {

// One line of a recording.
struct Line {
  std::string kind;  // start, names, invoke, filter, end
  unsigned long pid = 0;
  unsigned long number = 0;
  std::vector<std::string> fields;  // everything after N, in order

  const std::string& at(std::size_t i) const {
    static const std::string none;
    return i < fields.size() ? fields[i] : none;
  }
  // names, invoke: the object; filter: the IID.
  const std::string& object() const { return at(0); }
  // invoke lines.
  const std::string& member() const { return at(1); }
  const std::string& flags() const { return at(2); }
  const std::string& outcome() const { return kind == "names" ? at(1) : at(3); }
  std::vector<std::string> args() const {
    std::size_t first = kind == "names" ? 2 : 4;
    return {fields.begin() + static_cast<std::ptrdiff_t>(std::min(first, fields.size())),
            fields.end()};
  }
  // names lines: the names asked.
  std::vector<std::string> names() const { return args(); }
};

inline std::vector<std::string> SplitTabs(std::string_view text) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  for (;;) {
    std::size_t tab = text.find('\t', start);
    parts.emplace_back(text.substr(start, tab == std::string_view::npos ? tab : tab - start));
    if (tab == std::string_view::npos) return parts;
    start = tab + 1;
  }
}

inline bool ParseUnsigned(std::string_view text, unsigned long& value) {
  auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), value);
  return ec == std::errc() && end == text.data() + text.size() && !text.empty();
}

// A line without KIND, PID and N gives false.
inline bool ParseLine(std::string_view text, Line& line) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  std::vector<std::string> parts = SplitTabs(text);
  if (parts.size() < 3 || !ParseUnsigned(parts[1], line.pid) ||
      !ParseUnsigned(parts[2], line.number))
    return false;
  line.kind = parts[0];
  line.fields.assign(parts.begin() + 3, parts.end());
  return true;
}

// Every well-formed line of the file, in order; a torn last line (no "\n") is left out.
inline std::vector<Line> ReadFile(const std::string& path) {
  std::vector<Line> lines;
  std::ifstream in(path, std::ios::binary);
  std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  std::size_t start = 0;
  for (std::size_t end; (end = text.find('\n', start)) != std::string::npos; start = end + 1) {
    Line line;
    if (ParseLine(std::string_view(text).substr(start, end - start), line))
      lines.push_back(std::move(line));
  }
  return lines;
}

// ---- Values, written by the server and rebuilt by tests for comparison ----

// A double as recorded: 17 significant digits (9 for a float), shortest such form.
inline std::string Number(double value, int digits = 17) {
  char buffer[40];
  auto [end, ec] =
      std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::general, digits);
  return ec == std::errc() ? std::string(buffer, end) : std::string("?");
}

inline void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

inline void AppendEscaped(std::string& out, const char* format, unsigned value) {
  char buffer[12];
  std::snprintf(buffer, sizeof buffer, format, value);
  out += buffer;
}

// A string as recorded: UTF-16 in, quoted and escaped UTF-8 out.
inline std::string Quote(std::u16string_view text) {
  std::string out = "\"";
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t c = text[i];
    bool high = c >= 0xD800 && c < 0xDC00, low = c >= 0xDC00 && c < 0xE000;
    if (high && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] < 0xE000) {
      AppendUtf8(out, 0x10000 + ((c - 0xD800) << 10) + (text[++i] - 0xDC00));
    } else if (high || low) {
      AppendEscaped(out, "\\u%04X", static_cast<unsigned>(c));
    } else if (c == '\\' || c == '"') {
      out += '\\';
      out += static_cast<char>(c);
    } else if (c == '\t' || c == '\n' || c == '\r') {
      out += c == '\t' ? "\\t" : c == '\n' ? "\\n" : "\\r";
    } else if (c < 0x20 || c == 0x7F) {
      AppendEscaped(out, "\\x%02X", static_cast<unsigned>(c));
    } else {
      AppendUtf8(out, c);
    }
  }
  return out + "\"";
}

// A recorded array of numbers: "[lb..ub] {e,e,…}" → its bounds and elements. False when the
// text is not a one-dimensional array of plain numbers.
inline bool ParseDoubles(std::string_view text, long& lower, long& upper,
                         std::vector<double>& values) {
  int used = 0;
  std::string head(text.substr(0, text.find('{')));
  if (std::sscanf(head.c_str(), "[%ld..%ld] %n", &lower, &upper, &used) != 2 ||
      static_cast<std::size_t>(used) != head.size() || text.size() < head.size() + 2 ||
      text.back() != '}')
    return false;
  values.clear();
  std::string_view body = text.substr(head.size() + 1, text.size() - head.size() - 2);
  while (!body.empty()) {
    double value;
    auto [end, ec] = std::from_chars(body.data(), body.data() + body.size(), value);
    if (ec != std::errc()) return false;
    values.push_back(value);
    body.remove_prefix(static_cast<std::size_t>(end - body.data()));
    if (!body.empty() && body.front() != ',') return false;
    if (!body.empty()) body.remove_prefix(1);
  }
  return true;
}

// "TYPE VALUE" → TYPE and VALUE (VALUE empty for VT_EMPTY, VT_NULL).
inline std::pair<std::string, std::string> SplitValue(std::string_view arg) {
  std::size_t space = arg.find(' ');
  if (space == std::string_view::npos) return {std::string(arg), std::string()};
  return {std::string(arg.substr(0, space)), std::string(arg.substr(space + 1))};
}

}  // namespace veskar::testcad::recording
