// veskar-cli draw as a user runs it: a process, its files, its output and exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "cad/tests/readback.h"
#include "platform/testing/testing.h"

namespace {

using Args = std::vector<std::string>;

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun cli(const Args& args, const std::string& workDir = {}) {
  Args all{"draw"};
  all.insert(all.end(), args.begin(), args.end());
  const auto r = veskar::testing::run(VESKAR_CLI, all, {}, {{"LC_ALL", "C.UTF-8"}, {"QT_QPA_PLATFORM", "offscreen"}},
                                      workDir);
  return {r.status, r.out, r.err};
}

// The entity kinds of a DXF file in order, as ezdxf reads them ("TEXT <text>", "LWPOLYLINE 5"
// with its vertex count); a failed reading or a faulty audit fails the test.
std::vector<std::string> entityKinds(const std::string& path) {
  const veskar::testing::DxfReadback r = veskar::testing::readDxf(path);
  veskar::testing::expectCleanAudit(r);
  return veskar::testing::entityKinds(r);
}

std::vector<std::string> slice(const std::vector<std::string>& v, std::size_t from, std::size_t n) {
  return {v.begin() + static_cast<long>(from), v.begin() + static_cast<long>(std::min(v.size(), from + n))};
}

std::string joined(const Args& a) {
  std::string s;
  for (const auto& x : a) s += (s.empty() ? "" : " ") + x;
  return s;
}

TEST(CliDraw, TheWindowsFirstStartValuesByDefault) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("default.dxf");
  const CliRun r = cli({"-o", path});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "");
  // 114°00′, 3 meridians 15′ apart; 29°00′, 5 parallels 10′ apart; about 115°15′.
  EXPECT_EQ(r.out, "drew 5 parallels, 3 meridians and 30 labels (Beijing 1954) into " + path +
                       "; intersections from E 378194.158 N 3209558.289 to E 427392.387 N "
                       "3283875.322 m\n");
  const std::vector<std::string> kinds = entityKinds(path);
  ASSERT_EQ(kinds.size(), 30u + 8u);
  EXPECT_EQ(slice(kinds, 0, 7), (std::vector<std::string>{"TEXT 114°00′", "TEXT 29°00′", "TEXT 114°15′", "TEXT 29°00′",
                                                          "TEXT 114°30′", "TEXT 29°00′", "LWPOLYLINE 3"}));
  EXPECT_EQ(kinds.back(), "LWPOLYLINE 5");
  // vesk.ini is neither read nor written: not beside the program, not in the working directory.
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{"default.dxf"});
}

TEST(CliDraw, WorkedExampleWithIag75) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("worked.dxf");
  const CliRun r = cli({"--start-longitude", "114", "--meridians=5", "--start-latitude", "29.2",
                        "--parallels", "10", "--longitude-spacing", "0.15", "--latitude-spacing",
                        "0.1", "--central-meridian", "115.15", "--iag75", "-o", path});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(r.out.starts_with("drew 10 parallels, 5 meridians and 100 labels (IAG 1975) into "));
  const std::vector<std::string> kinds = entityKinds(path);
  ASSERT_EQ(kinds.size(), 100u + 15u);
  EXPECT_EQ(kinds[1], "TEXT 29°20′");
  // The last text, before the last parallel and the five meridians.
  EXPECT_EQ(kinds[kinds.size() - 7], "TEXT 30°50′");
}

// Refused input: the Draw command's message with the option named, exit status 1, no file.
TEST(CliDraw, RefusedInputWritesNoFile) {
  const struct {
    Args args;
    std::string errHas;
  } cases[] = {
      {{"--meridians", "1e999"}, "经线根数：“1e999”读出的数值不是有限数。 (--meridians)"},
      {{"--central-meridian", "nan"}, ""},  // "nan" is not a number: reads 0, drawn
      {{"--meridians", "501", "--parallels", "500"},
       "经线根数 × 纬线根数：501 × 500 = 250500 个交点，超出了上限 250000（500 × 500）。 (--meridians, --parallels)"},
      {{"--start-latitude", "40000"}, "起始纬度：40000 度超出了角度换算的 16 位度数范围（最多 32767 度）。 (--start-latitude)"},
      {{"--longitude-spacing", "1e300"}, "(--longitude-spacing)"},
  };
  for (const auto& c : cases) {
    veskar::testing::TempDir dir;
    const std::string path = dir.file("refused.dxf");
    Args args = c.args;
    args.insert(args.end(), {"-o", path});
    const CliRun r = cli(args);
    if (c.errHas.empty()) {
      EXPECT_EQ(r.status, 0) << joined(c.args) << r.err;
      continue;
    }
    EXPECT_EQ(r.status, 1) << joined(c.args);
    EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    EXPECT_TRUE(r.err.ends_with("veskar-cli draw: nothing drawn, no file written\n")) << r.err;
    EXPECT_EQ(r.out, "");
    EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{});
  }
}

TEST(CliDraw, SkippedLinesAreSaid) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("one.dxf");
  CliRun r = cli({"--meridians", "1", "--parallels", "4", "-o", path});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "veskar-cli draw: 只有一根经线：纬线只有一个顶点，不绘制纬线。\n");
  EXPECT_TRUE(r.out.starts_with("drew 0 parallels, 1 meridian and 8 labels (Beijing 1954)")) << r.out;
  EXPECT_EQ(entityKinds(path).back(), "LWPOLYLINE 4");

  r = cli({"--parallels", "abc", "-o", path});
  ASSERT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "veskar-cli draw: 纬线根数小于 1：没有纬线，不绘制任何线和注记。\n");
  EXPECT_EQ(r.out, "drew 0 parallels, 0 meridians and 0 labels (Beijing 1954) into " + path + "\n");
  EXPECT_EQ(entityKinds(path), std::vector<std::string>{});
}

TEST(CliDraw, UsageErrorsAndUnwritableFiles) {
  const struct {
    Args args;
    int status;
    std::string errStart;
  } cases[] = {
      {{}, 2, "veskar-cli draw: say where to draw: -o FILE.dxf"},
      {{"--bogus", "-o", "x.dxf"}, 2, "veskar-cli draw: unknown option --bogus\n"},
      {{"-o"}, 2, "veskar-cli draw: -o needs a value\n"},
      {{"--iag75=1", "-o", "x.dxf"}, 2, "veskar-cli draw: unknown option --iag75=1\n"},
      {{"-o", "/nonexistent-dir/x.dxf"}, 1, "veskar-cli draw: "},
  };
  veskar::testing::TempDir dir;
  for (const auto& c : cases) {
    const CliRun r = cli(c.args, dir.path());
    EXPECT_EQ(r.status, c.status) << joined(c.args);
    EXPECT_TRUE(r.err.starts_with(c.errStart)) << r.err;
    EXPECT_EQ(r.out, "");
  }
  EXPECT_EQ(veskar::testing::entries(dir.path()), std::vector<std::string>{});
  const CliRun help = cli({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_TRUE(help.out.starts_with("usage: veskar-cli draw"));
}

}  // namespace
