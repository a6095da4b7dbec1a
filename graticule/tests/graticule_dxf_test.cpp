// The worked example drawn into the in-process drawing and written as DXF, then read back by an
// independent reader (ezdxf): every coordinate within 1e-6 m of X and Y, every label right.
#include <gtest/gtest.h>

#include "cad/inprocess.h"
#include "cad/tests/readback.h"
#include "geodesy/geodesy.h"
#include "graticule/draw_command.h"
#include "platform/testing/testing.h"

namespace {

using veskar::graticule::DrawOutcome;
using veskar::testing::DxfEntity;
using veskar::testing::DxfReadback;

// Draws the fields into a fresh in-process drawing and saves it as `path`.
DrawOutcome drawToFile(const std::array<std::string, 7>& texts, int check, const std::string& path) {
  veskar::graticule::DrawInputs in;
  in.texts = texts;
  in.check = check;
  std::shared_ptr<veskar::cad::CadDocument> doc;
  const DrawOutcome out = veskar::graticule::RunDrawCommand(
      in, {}, [&](veskar::graticule::CadLink& link, std::string&) {
        link.CadApp = veskar::cad::makeInProcessApplication();
        link.CadDoc = doc = link.CadApp->ActiveDocument();
        return true;
      });
  if (doc) doc->SaveAs(path);
  return out;
}

TEST(WorkedExampleDxf, ReadBackByEzdxf) {
  for (int check : {1, 0}) {
    veskar::testing::TempDir dir;
    const std::string path = dir.file("worked.dxf");
    const DrawOutcome out =
        drawToFile({"114", "5", "29.2", "10", "0.15", "0.1", "115.15"}, check, path);
    ASSERT_EQ(out.status, DrawOutcome::Status::Drawn) << out.message;

    const DxfReadback r = veskar::testing::readDxf(path);
    ASSERT_EQ(r.error, "");
    ASSERT_EQ(r.entities.size(), 100u + 15u);
    EXPECT_TRUE(r.auditErrors.empty());

    // The intersections in packed DMS, as the labels name them.
    const auto p = veskar::geodesy::LoadProjectionParameters(check == 1);
    const double lon[] = {114.0, 114.15, 114.30, 114.45, 115.0};
    const double lat[] = {29.2, 29.3, 29.4, 29.5, 30.0, 30.1, 30.2, 30.3, 30.4, 30.5};
    const char* lonText[] = {"114°00′", "114°15′", "114°30′", "114°45′", "115°00′"};
    const char* latText[] = {"29°20′", "29°30′", "29°40′", "29°50′", "30°00′",
                             "30°10′", "30°20′", "30°30′", "30°40′", "30°50′"};
    const auto east = [&](int i, int j) { return veskar::geodesy::Y(lat[j], lon[i], 115.15, p); };
    const auto north = [&](int i, int j) { return veskar::geodesy::X(lat[j], lon[i], 115.15, p); };

    std::size_t k = 0;
    for (int j = 0; j < 10; ++j) {
      for (int i = 0; i < 5; ++i) {
        for (int which = 0; which < 2; ++which) {
          const DxfEntity& e = r.entities[k++];
          ASSERT_EQ(e.type, "TEXT");
          EXPECT_EQ(e.color, 1);
          EXPECT_EQ(e.style, "ksev");
          EXPECT_EQ(e.height, 1000.0);
          EXPECT_EQ(e.width, 0.7);
          EXPECT_NEAR(e.rotation, which == 0 ? 90.0 : 0.0, 1e-9);
          EXPECT_EQ(e.halign, 0);  // left
          EXPECT_EQ(e.valign, 1);  // bottom
          ASSERT_TRUE(e.alignPoint);
          for (const auto& pt : {e.insert, *e.alignPoint}) {
            EXPECT_NEAR(pt[0], east(i, j), 1e-6) << i << "," << j;
            EXPECT_NEAR(pt[1], north(i, j), 1e-6) << i << "," << j;
          }
          EXPECT_EQ(e.text, which == 0 ? lonText[i] : latText[j]);
        }
      }
      const DxfEntity& e = r.entities[k++];
      ASSERT_EQ(e.type, "LWPOLYLINE") << "parallel " << j;
      EXPECT_EQ(e.color, 6);
      ASSERT_EQ(e.points.size(), 5u);
      for (int i = 0; i < 5; ++i) {
        EXPECT_NEAR(e.points[static_cast<std::size_t>(i)][0], east(i, j), 1e-6);
        EXPECT_NEAR(e.points[static_cast<std::size_t>(i)][1], north(i, j), 1e-6);
      }
    }
    for (int i = 0; i < 5; ++i) {
      const DxfEntity& e = r.entities[k++];
      ASSERT_EQ(e.type, "LWPOLYLINE") << "meridian " << i;
      EXPECT_EQ(e.color, 1);
      ASSERT_EQ(e.points.size(), 10u);
      for (int j = 0; j < 10; ++j) {
        EXPECT_NEAR(e.points[static_cast<std::size_t>(j)][0], east(i, j), 1e-6);
        EXPECT_NEAR(e.points[static_cast<std::size_t>(j)][1], north(i, j), 1e-6);
      }
    }
  }
}

// A single meridian: its labels are in the file, and no polyline at all (the parallels would
// have one vertex; the meridian is there, with three).
TEST(SmallCountsDxf, OneMeridianGivesLabelsAndOneLine) {
  veskar::testing::TempDir dir;
  const std::string path = dir.file("one.dxf");
  const DrawOutcome out = drawToFile({"114", "1", "29.2", "3", "0.15", "0.1", "115.15"}, 1, path);
  ASSERT_EQ(out.status, DrawOutcome::Status::Drawn);
  const DxfReadback r = veskar::testing::readDxf(path);
  ASSERT_EQ(r.error, "");
  std::vector<std::string> kinds;
  for (const DxfEntity& e : r.entities)
    kinds.push_back(e.type + (e.type == "LWPOLYLINE" ? std::to_string(e.points.size()) : ""));
  EXPECT_EQ(kinds, (std::vector<std::string>{"TEXT", "TEXT", "TEXT", "TEXT", "TEXT", "TEXT", "LWPOLYLINE3"}));
}

}  // namespace
