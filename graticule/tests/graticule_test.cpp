// Line positions, and the exact sequence of CAD operations the emission makes.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "geodesy/geodesy.h"
#include "graticule/draw_command.h"
#include "graticule/graticule.h"
#include "recording_cad.h"

namespace {

using veskar::geodesy::Degdms;
using veskar::geodesy::DmsDeg;
using veskar::geodesy::kPi;
using veskar::geodesy::LoadProjectionParameters;
using veskar::graticule::GraticuleParameters;
using veskar::graticule::lineCount;
using veskar::graticule::meridianLongitudes;
using veskar::graticule::parallelLatitudes;
using veskar::testing::Op;
using veskar::cad::Variant;

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
constexpr double kInf = std::numeric_limits<double>::infinity();

TEST(LineCount, WholeNumbersFromOneToTheCount) {
  const struct {
    double count;
    std::size_t lines;
  } cases[] = {{5, 5}, {5.9, 5}, {1, 1}, {1.5, 1}, {0.99, 0}, {0, 0}, {-3, 0}, {kNaN, 0},
               {-kInf, 0}, {250000, 250000}};
  for (const auto& c : cases) EXPECT_EQ(lineCount(c.count), c.lines) << c.count;
}

TEST(Positions, ByMultiplicationFromTheStart) {
  const struct {
    double start, spacing, count;
    std::vector<double> expected;
  } cases[] = {
      {114, 0.25, 5, {114, 114.25, 114.5, 114.75, 115}},
      {30, -0.5, 3.7, {30, 29.5, 29}},
      {-1, 0.5, 4, {-1, -0.5, 0, 0.5}},
      {29, 0, 3, {29, 29, 29}},
      {10, 1, 0.5, {}},
      // Ten steps of 0.1: the tenth is 9 * 0.1 = 0.9; repeated addition would give
      // 0.8999999999999999.
      {0, 0.1, 10, {0, 0.1, 0.2, 0.30000000000000004, 0.4, 0.5, 0.6000000000000001,
                    0.7000000000000001, 0.8, 0.9}},
  };
  for (const auto& c : cases) {
    GraticuleParameters g;
    g.startLongitude = c.start;
    g.longitudeSpacing = c.spacing;
    g.meridianCount = c.count;
    g.startLatitude = c.start;
    g.latitudeSpacing = c.spacing;
    g.parallelCount = c.count;
    EXPECT_EQ(meridianLongitudes(g), c.expected) << c.start << " " << c.spacing << " " << c.count;
    EXPECT_EQ(parallelLatitudes(g), c.expected);
  }
}

// The whole operation sequence of one press, built from the rules of the emission.
struct Expected {
  std::vector<Op> ops;
  void add(const char* object, const char* member, std::vector<Variant> args = {}) {
    ops.push_back({object, member, std::move(args)});
  }
  void label(const std::string& text, const std::vector<double>& point, const Variant& rotation) {
    add("Application", "ActiveDocument");
    add("Document", "ModelSpace");
    add("ModelSpace", "AddText", {text, point, std::int16_t{1000}});
    add("Text", "Put", {std::string("Color"), std::int16_t{1}});
    add("Text", "Put", {std::string("ScaleFactor"), 0.7});
    add("Text", "Put", {std::string("StyleName"), std::string("ksev")});
    add("Text", "Put", {std::string("Rotation"), rotation});
    add("Text", "Put", {std::string("VerticalAlignment"), std::int16_t{1}});
    add("Text", "Put", {std::string("HorizontalAlignment"), std::int16_t{0}});
    add("Text", "Put", {std::string("TextAlignmentPoint"), point});
  }
  void polyline(const std::vector<double>& vertices, std::int16_t colour) {
    add("Application", "ActiveDocument");
    add("Document", "ModelSpace");
    add("ModelSpace", "AddLightWeightPolyline", {vertices});
    add("Polyline", "Put", {std::string("Color"), colour});
  }
};

void expectSameOps(const std::vector<Op>& expected, const std::vector<Op>& actual) {
  ASSERT_EQ(expected.size(), actual.size());
  for (std::size_t k = 0; k < expected.size(); ++k) {
    ASSERT_EQ(expected[k], actual[k]) << "operation " << k;
  }
}

// The worked example: "114", "5", "29.2", "10", "0.15", "0.1", "115.15", box ticked.
TEST(WorkedExample, ExactSequenceOfCadOperations) {
  const std::vector<std::string> lonText = {"114°00′", "114°15′", "114°30′", "114°45′", "115°00′"};
  const std::vector<std::string> latText = {"29°20′", "29°30′", "29°40′", "29°50′", "30°00′",
                                            "30°10′", "30°20′", "30°30′", "30°40′", "30°50′"};
  const auto p = LoadProjectionParameters(true);
  // Positions in decimal degrees: start + (k - 1) * spacing, spacings 15′ and 10′.
  const auto lon = [](int i) { return 114.0 + i * 0.25; };
  const auto lat = [](int j) { return DmsDeg(29.2) + j * DmsDeg(0.1); };
  const auto vertex = [&](int i, int j) {
    const double B = Degdms(lat(j)), L = Degdms(lon(i));
    return std::vector<double>{veskar::geodesy::Y(B, L, 115.15, p), veskar::geodesy::X(B, L, 115.15, p)};
  };

  Expected e;
  e.add("Application", "Activate");
  e.add("Document", "TextStyles");
  e.add("TextStyles", "Add", {std::string("ksev")});
  e.add("Style", "Put", {std::string("fontFile"), std::string("fsdb_e.shx")});
  e.add("Style", "Put", {std::string("BigFontFile"), std::string("fsdb.shx")});
  for (std::size_t j = 0; j < 10; ++j) {
    std::vector<double> line;
    for (std::size_t i = 0; i < 5; ++i) {
      const std::vector<double> v = vertex(static_cast<int>(i), static_cast<int>(j));
      line.insert(line.end(), v.begin(), v.end());
      e.label(lonText[i], {v[0], v[1], 0.0}, kPi / 2);
      e.label(latText[j], {v[0], v[1], 0.0}, std::int16_t{0});
    }
    e.polyline(line, 6);
  }
  for (int i = 0; i < 5; ++i) {
    std::vector<double> line;
    for (int j = 0; j < 10; ++j) {
      const std::vector<double> v = vertex(i, j);
      line.insert(line.end(), v.begin(), v.end());
    }
    e.polyline(line, 1);
  }
  e.add("Application", "Flush");

  auto recorder = std::make_shared<veskar::testing::Recorder>();
  auto app = std::make_shared<veskar::testing::RecordingApplication>(recorder);
  veskar::graticule::DrawInputs in;
  in.texts = {"114", "5", "29.2", "10", "0.15", "0.1", "115.15"};
  in.check = 1;
  const auto outcome = veskar::graticule::RunDrawCommand(
      in, {}, [&](veskar::graticule::CadLink& link, std::string&) {
        link.CadApp = app;
        link.CadDoc = std::make_shared<veskar::testing::RecordingDocument>(recorder);
        return true;
      });
  ASSERT_EQ(outcome.status, veskar::graticule::DrawOutcome::Status::Drawn) << outcome.message;
  expectSameOps(e.ops, recorder->ops);
  EXPECT_EQ(outcome.entitiesAdded, 115u);  // 100 texts, 10 parallels, 5 meridians
  EXPECT_EQ(outcome.labels, 100u);
  EXPECT_EQ(outcome.polylines, 15u);
  EXPECT_EQ(outcome.meridians, 5u);
  EXPECT_EQ(outcome.parallels, 10u);
  EXPECT_TRUE(outcome.skipped.empty());

  // Every vertex lies within 1e-6 m of the projection of the packed-DMS intersection itself
  // (29°20′ .. 30°50′, 114°00′ .. 115°00′): Degdms of the decimal positions may fall a hair
  // below a whole minute, never further.
  const double packedLon[] = {114.0, 114.15, 114.30, 114.45, 115.0};
  const double packedLat[] = {29.2, 29.3, 29.4, 29.5, 30.0, 30.1, 30.2, 30.3, 30.4, 30.5};
  for (int j = 0; j < 10; ++j) {
    for (int i = 0; i < 5; ++i) {
      const std::vector<double> v = vertex(i, j);
      EXPECT_NEAR(v[0], veskar::geodesy::Y(packedLat[j], packedLon[i], 115.15, p), 1e-6);
      EXPECT_NEAR(v[1], veskar::geodesy::X(packedLat[j], packedLon[i], 115.15, p), 1e-6);
    }
  }
}

}  // namespace
