#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <span>
#include <string>
#include <utility>
#include <vector>

#include "geodesy/sheets.h"

using namespace veskar::geodesy;

namespace {

ArcUnits dms(int d, int m, double s = 0) {
  return d * kArcUnitsPerDegree + m * kArcUnitsPerMinute + std::llround(s * kArcUnitsPerSecond);
}

const int kScales[] = {1000000, 500000, 250000, 100000, 50000, 25000, 10000, 5000, 2000, 1000, 500};

// The message of the InvalidInput error f throws, or a note that it threw none.
template <class F>
std::string invalidInputMessage(F f) {
  try {
    f();
  } catch (const GeodesyError& e) {
    if (e.kind() == GeodesyError::Kind::InvalidInput) return e.what();
    return std::string("other kind: ") + e.what();
  }
  return "(no error)";
}

}  // namespace

TEST(SheetAngles, PackedToUnits) {
  struct C {
    double packed;
    ArcUnits units;
  };
  const C cases[] = {
      {116.28, dms(116, 28)},
      {116.279999999, dms(116, 28)},  // representation noise of 116.28
      {116.27999999999999, dms(116, 28)},
      {116.99999999999, dms(117, 0)},  // noise below a whole degree
      {116.2825, dms(116, 28, 25)},
      {39.543, dms(39, 54, 30)},
      {116.01525, dms(116, 1, 52.5)},
      {116.034496, dms(116, 3, 44.96)},  // just west of a 1:10,000 edge, and kept there
      {140.022866, dms(140, 2, 28.66)},
      {116.28251234, dms(116, 28, 25.1234)},
      {116.5959999, dms(116, 59, 59.999)},
      {0, 0},
      {-29.3, -dms(29, 30)},
  };
  for (const C& c : cases) EXPECT_EQ(PackedToArcUnits(c.packed), c.units) << c.packed;
}

TEST(SheetAngles, PackedFieldsOutOfRange) {
  struct C {
    double packed;
    const char* message;
  };
  const C cases[] = {
      {116.75, "packed DMS 116.75: the minutes must be below 60"},
      {116.286, "packed DMS 116.286: the seconds must be below 60"},
      {116.27999999, "packed DMS 116.27999999: the seconds must be below 60"},  // 99.9999″
      {400, "packed DMS 400 is beyond 360°"},
  };
  for (const C& c : cases)
    EXPECT_EQ(invalidInputMessage([&] { PackedToArcUnits(c.packed); }), c.message);
  EXPECT_THROW(PackedToArcUnits(std::nan("")), GeodesyError);
}

TEST(SheetAngles, Formats) {
  struct C {
    ArcUnits a;
    const char* text;
    double packed;
  };
  const C cases[] = {
      {dms(116, 3, 45), "116°03′45″", 116.0345},
      {dms(39, 22, 30), "39°22′30″", 39.223},
      {dms(116, 1, 52.5), "116°01′52.5″", 116.01525},
      {dms(140, 2, 28.66), "140°02′28.66″", 140.022866},
      {dms(5, 0, 0.0001), "5°00′00.0001″", 5.00000001},
      {dms(119, 58, 7.5), "119°58′07.5″", 119.58075},
      {0, "0°00′00″", 0},
      {-dms(29, 30), "-29°30′00″", -29.3},
  };
  for (const C& c : cases) {
    EXPECT_EQ(FormatDms(c.a), c.text);
    EXPECT_EQ(ArcUnitsToPacked(c.a), c.packed) << c.text;
  }
  EXPECT_EQ(ArcUnitsToDegrees(dms(116, 15)), 116.25);
  EXPECT_EQ(ArcUnitsToDegrees(dms(39, 45)), 39.75);
  EXPECT_EQ(ArcUnitsToDegrees(dms(116, 1, 52.5)), 116.03125);
}

TEST(SheetAngles, EveryFiveThousandEdgeSurvivesPackedDms) {
  // All 193 x 193 corners of the 1:5,000 sheets of J50, through packed DMS and back.
  for (int i = 0; i <= 192; ++i) {
    const ArcUnits lat = dms(36, 0) + i * dms(0, 1, 15);
    const ArcUnits lon = dms(114, 0) + i * dms(0, 1, 52.5);
    ASSERT_EQ(PackedToArcUnits(ArcUnitsToPacked(lat)), lat) << i;
    ASSERT_EQ(PackedToArcUnits(ArcUnitsToPacked(lon)), lon) << i;
  }
}

TEST(Sheets, Bounds) {
  struct C {
    const char* number;
    int scale;
    ArcUnits west, south, east, north;
  };
  const C cases[] = {
      {"J50E001010", 50000, dms(116, 15), dms(39, 50), dms(116, 30), dms(40, 0)},
      {"J49B001002", 500000, dms(111, 0), dms(38, 0), dms(114, 0), dms(40, 0)},
      {"J50D003004", 100000, dms(115, 30), dms(39, 0), dms(116, 0), dms(39, 20)},
      {"J50G015010", 10000, dms(114, 33, 45), dms(39, 22, 30), dms(114, 37, 30), dms(39, 25)},
      {"J50H192192", 5000, dms(119, 58, 7.5), dms(36, 0), dms(120, 0), dms(36, 1, 15)},
      {"J50C004001", 250000, dms(114, 0), dms(36, 0), dms(115, 30), dms(37, 0)},
      {"J50F048001", 25000, dms(114, 0), dms(36, 0), dms(114, 7, 30), dms(36, 5)},
      {"J50", 1000000, dms(114, 0), dms(36, 0), dms(120, 0), dms(40, 0)},
      {"A31H001001", 5000, 0, dms(3, 58, 45), dms(0, 1, 52.5), dms(4, 0)},
      {"V60", 1000000, dms(174, 0), dms(84, 0), dms(180, 0), dms(88, 0)},
      {"J50I001001", 2000, dms(114, 0), dms(39, 59, 35), dms(114, 0, 37.5), dms(40, 0)},
      {"J50I576576", 2000, dms(119, 59, 22.5), dms(36, 0), dms(120, 0), dms(36, 0, 25)},
      {"J50J00010001", 1000, dms(114, 0), dms(39, 59, 47.5), dms(114, 0, 18.75), dms(40, 0)},
      {"J50J11521152", 1000, dms(119, 59, 41.25), dms(36, 0), dms(120, 0), dms(36, 0, 12.5)},
      {"J50K00010001", 500, dms(114, 0), dms(39, 59, 53.75), dms(114, 0, 9.375), dms(40, 0)},
      {"J50K23042304", 500, dms(119, 59, 50.625), dms(36, 0), dms(120, 0), dms(36, 0, 6.25)},
      {"J50K00530950", 500, dms(116, 28, 16.875), dms(39, 54, 28.75), dms(116, 28, 26.25),
       dms(39, 54, 35)},
  };
  for (const C& c : cases) {
    const MapSheet s = ParseSheetNumber(c.number);
    EXPECT_EQ(s.scaleDenominator, c.scale) << c.number;
    const SheetBounds b = BoundsOf(s);
    EXPECT_EQ(b.west, c.west) << c.number;
    EXPECT_EQ(b.south, c.south) << c.number;
    EXPECT_EQ(b.east, c.east) << c.number;
    EXPECT_EQ(b.north, c.north) << c.number;
    EXPECT_EQ(FormatSheetNumber(s), c.number);
  }
}

TEST(Sheets, OnePointAtEveryScale) {
  // 116°28′25″ E, 39°54′30″ N.
  const char* want[] = {"J50",        "J50B001001",   "J50C001002",  "J50D001005",
                        "J50E001010", "J50F002020",   "J50G003040",  "J50H005080",
                        "J50I014238", "J50J00270475", "J50K00530950"};
  for (int i = 0; i < 11; ++i) {
    EXPECT_EQ(FormatSheetNumber(SheetAtPacked(39.543, 116.2825, kScales[i])), want[i]);
    EXPECT_EQ(FormatSheetNumber(SheetAt(dms(39, 54, 30), dms(116, 28, 25), kScales[i])), want[i]);
  }
}

TEST(Sheets, PointsOnEdgesAndCorners) {
  struct C {
    ArcUnits lat, lon;
    int scale;
    const char* number;
  };
  const C cases[] = {
      {dms(39, 22, 30), dms(114, 33, 45), 10000, "J50G015010"},  // its south-west corner
      {dms(39, 25), dms(114, 37, 30), 10000, "J50G014011"},      // its north-east corner
      {dms(39, 22, 30), dms(114, 33, 44.9999), 10000, "J50G015009"},
      {dms(39, 22, 29.9999), dms(114, 33, 45), 10000, "J50G016010"},
      {dms(40, 0), dms(116, 15), 50000, "K50E024010"},  // north edge of J50E001010
      {dms(40, 0), dms(120, 0), 1000000, "K51"},
      {dms(36, 0), dms(114, 0), 100000, "J50D012001"},
      {0, 0, 5000, "A31H192001"},
      {dms(87, 59, 59.9999), dms(179, 59, 59.9999), 5000, "V60H001192"},
  };
  for (const C& c : cases)
    EXPECT_EQ(FormatSheetNumber(SheetAt(c.lat, c.lon, c.scale)), c.number) << c.number;
  // 116°03′44.96″ lies 0.04″ west of the edge at 116°03′45″.
  EXPECT_EQ(FormatSheetNumber(SheetAtPacked(39.2, 116.034496, 10000)), "J50G016033");
  EXPECT_EQ(FormatSheetNumber(SheetAtPacked(39.2, 116.0345, 10000)), "J50G016034");
}

TEST(Sheets, NumberCornerNumberRoundTrips) {
  for (int scale : kScales) {
    const SheetBounds first = BoundsOf(SheetAt(0, 0, scale));
    const int n = static_cast<int>(dms(4, 0) / (first.north - first.south));
    for (char band : {'A', 'J', 'V'})
      for (int zone : {31, 50, 60})
        for (int row : {1, (n + 1) / 2, n})
          for (int col : {1, (n + 1) / 2, n}) {
            const MapSheet s{scale, band, zone, row, col};
            const std::string number = FormatSheetNumber(s);
            ASSERT_EQ(ParseSheetNumber(number), s) << number;
            const SheetBounds b = BoundsOf(s);
            ASSERT_EQ(SheetAt(b.south, b.west, scale), s) << number;
            ASSERT_EQ(SheetAt(b.north - 1, b.east - 1, scale), s) << number;
            // The north and east edges belong to the neighbours.
            if (b.north < dms(88, 0)) {
              ASSERT_EQ(BoundsOf(SheetAt(b.north, b.west, scale)).south, b.north) << number;
            }
            if (b.east < dms(180, 0)) {
              ASSERT_EQ(BoundsOf(SheetAt(b.south, b.east, scale)).west, b.east) << number;
            }
          }
  }
}

TEST(Sheets, Zones) {
  struct C {
    const char* number;
    int width, zone, centralMeridian;
  };
  const C cases[] = {
      {"J50", 6, 20, 117},        {"J50E001010", 6, 20, 117},   {"J50F048048", 6, 20, 117},
      {"J50G003040", 3, 39, 117}, {"J50G001024", 3, 38, 114},   {"J50G001025", 3, 39, 117},
      {"J50H001048", 3, 38, 114}, {"J50H001049", 3, 39, 117},   {"A31G001001", 3, 120, 0},
      {"A31H001049", 3, 1, 3},    {"V60H001192", 3, 60, 180},   {"V60B001002", 6, 30, 177},
      {"J50I014238", 3, 39, 117}, {"J50K00010001", 3, 38, 114}, {"J50J00011152", 3, 40, 120},
  };
  for (const C& c : cases) {
    const ProjectionZone z = ZoneOf(ParseSheetNumber(c.number));
    EXPECT_EQ(z.width, c.width) << c.number;
    EXPECT_EQ(z.number, c.zone) << c.number;
    EXPECT_EQ(z.centralMeridian, c.centralMeridian) << c.number;
    const ProjectionZone byNumber = ZoneByNumber(c.width, c.zone);
    EXPECT_EQ(byNumber.centralMeridian, c.centralMeridian) << c.number;
  }
}

TEST(Sheets, ParseErrors) {
  struct C {
    const char* text;
    const char* message;
  };
  const C cases[] = {
      {"", "0 characters; a sheet number has 3 characters (J50, 1:1,000,000) or 10 (J50E001010)"},
      {"J50E00101", "9 characters; a sheet number has 3"},
      {" J50", "4 characters"},
      {"j50", "letters must be capitals"},
      {"J50e001010", "letters must be capitals"},
      {"W50", "row letter W is north of 88°, beyond V"},
      {"150", "the first character must be the row letter A to V"},
      {"J5X", "the column must be two digits, 01 to 60"},
      {"J61", "column 61 is outside 01-60"},
      {"J00", "column 00 is outside 01-60"},
      {"J29", "column 29 is west of 0° (01-30): the western hemisphere is not supported"},
      {"SJ50", "the southern hemisphere is not supported"},
      {"SJ50E001010", "the southern hemisphere is not supported"},
      {"NJ50", "write the northern sheet without N, as J50"},
      {"J50A001001", "scale letter A: a 1:1,000,000 sheet is numbered J50 alone"},
      {"J50L001001", "the fourth character must be the scale letter B to K"},
      {"J50X001001", "the fourth character must be the scale letter B to K"},
      {"J50J001001", "scale letter J (1:1,000) takes 12 characters, row and column four digits"},
      {"J50E00010010", "scale letter E (1:50,000) takes 10 characters, row and column three"},
      {"J50K23050001", "row 2305 is outside 0001-2304 at 1:500"},
      {"J50I001577", "column 577 is outside 001-576 at 1:2,000"},
      {"J50E0010100", "11 characters; a sheet number has 3"},
      {"J50E0A1010", "the row must be three digits"},
      {"J50E001O10", "the column must be three digits"},
      {"J50E025001", "row 025 is outside 001-024 at 1:50,000"},
      {"J50E000010", "row 000 is outside 001-024 at 1:50,000"},
      {"J50B001003", "column 003 is outside 001-002 at 1:500,000"},
      {"J50G097001", "row 097 is outside 001-096 at 1:10,000"},
      {"J50H193001", "row 193 is outside 001-192 at 1:5,000"},
  };
  for (const C& c : cases) {
    const std::string got = invalidInputMessage([&] { ParseSheetNumber(c.text); });
    const std::string prefix = std::string("sheet number \"") + c.text + "\": ";
    EXPECT_EQ(got.rfind(prefix + c.message, 0), 0u) << c.text << " -> " << got;
  }
}

TEST(Sheets, PointAndSheetErrors) {
  struct C {
    ArcUnits lat, lon;
    int scale;
    const char* message;
  };
  const C cases[] = {
      {-1, dms(116, 0), 50000, "point -0°00′00.0001″ N, 116°00′00″ E: the southern hemisphere"},
      {dms(39, 0), -1, 50000, "point 39°00′00″ N, -0°00′00.0001″ E: the western hemisphere"},
      {dms(88, 0), dms(116, 0), 50000, "point 88°00′00″ N, 116°00′00″ E: no sheets from 88° N on"},
      {dms(39, 0), dms(180, 0), 50000, "point 39°00′00″ N, 180°00′00″ E: no sheets from 180° E on"},
      {dms(39, 0), dms(116, 0), 20000,
       "no map sheets at 1:20000; the scales are 1:1,000,000, "
       "1:500,000, 1:250,000, 1:100,000, 1:50,000, 1:25,000, "
       "1:10,000, 1:5,000, 1:2,000, 1:1,000, 1:500"},
  };
  for (const C& c : cases) {
    const std::string got = invalidInputMessage([&] { SheetAt(c.lat, c.lon, c.scale); });
    EXPECT_EQ(got.rfind(c.message, 0), 0u) << got;
  }
  const MapSheet bad{50000, 'J', 50, 25, 1};
  EXPECT_EQ(invalidInputMessage([&] { FormatSheetNumber(bad); }),
            "map sheet: row 025 is outside 001-024 at 1:50,000");
  EXPECT_EQ(invalidInputMessage([&] {
              BoundsOf(MapSheet{50000, 'j', 50, 1, 1});
            }),
            "map sheet: row letter must be A to V (0° to 88° N)");
}

TEST(Sheets, ScalesComeFromTheTable) {
  const std::span<const int> scales = SheetScales();
  EXPECT_EQ(std::vector<int>(scales.begin(), scales.end()),
            std::vector<int>(std::begin(kScales), std::end(kScales)));
}

// --- Former numbers --------------------------------------------------------------------------

TEST(FormerSheets, OnePointAtEveryScaleBothWays) {
  // 116°28′25″ E, 39°54′30″ N, as in OnePointAtEveryScale; "" where the scale has no former number.
  const char* want[] = {"J-50",        "J-50-A",        "", "J-50-5", "J-50-5-B", "J-50-5-B-4",
                        "J-50-5-(24)", "J-50-5-(24)-b", "", "",       ""};
  for (int i = 0; i < 11; ++i) {
    const MapSheet s = SheetAt(dms(39, 54, 30), dms(116, 28, 25), kScales[i]);
    EXPECT_EQ(FormerSheetNumber(s).value_or(""), want[i]) << kScales[i];
    if (*want[i] != '\0') {
      EXPECT_EQ(ParseAnySheetNumber(want[i]), s) << want[i];
    }
    EXPECT_EQ(ParseAnySheetNumber(FormatSheetNumber(s)), s) << kScales[i];
  }
}

// Every sheet of J50 at every scale with a former number: the number without its last part is
// the sheet that holds it, and the last part counts its place there, row by row from the
// north-west, computed here from the corners alone.
TEST(FormerSheets, TheLastPartIsThePlaceInTheLargerSheet) {
  for (int scale : {500000, 100000, 50000, 25000, 10000, 5000}) {
    const SheetBounds first = BoundsOf(SheetAt(dms(36, 0), dms(114, 0), scale));
    const ArcUnits w = first.east - first.west, h = first.north - first.south;
    for (ArcUnits south = dms(36, 0); south < dms(40, 0); south += h)
      for (ArcUnits west = dms(114, 0); west < dms(120, 0); west += w) {
        const std::string former = *FormerSheetNumber(SheetAt(south, west, scale));
        const std::size_t dash = former.rfind('-');
        const SheetBounds p = BoundsOf(ParseAnySheetNumber(former.substr(0, dash)));
        ASSERT_TRUE(p.south <= south && south + h <= p.north && p.west <= west &&
                    west + w <= p.east)
            << former;
        const int k = static_cast<int>((p.east - p.west) / w);
        const int place = static_cast<int>((p.north - south - h) / h * k + (west - p.west) / w);
        std::string last = former.substr(dash + 1);
        int index = last[0] >= 'A' && last[0] <= 'D'   ? last[0] - 'A'
                    : last[0] >= 'a' && last[0] <= 'd' ? last[0] - 'a'
                    : last[0] == '('                   ? std::stoi(last.substr(1)) - 1
                                                       : std::stoi(last) - 1;
        ASSERT_EQ(index, place) << former;
        ASSERT_EQ(BoundsOf(ParseAnySheetNumber(former)).south, south) << former;
        ASSERT_EQ(BoundsOf(ParseAnySheetNumber(former)).west, west) << former;
      }
  }
}

TEST(FormerSheets, ParseErrors) {
  const struct {
    const char* text;
    const char* message;
  } cases[] = {
      {"J-50-145", "after J-50: 145 is outside 1 to 144 (1:100,000)"},
      {"J-50-5-(65)", "after J-50-5: (65) is outside (1) to (64) (1:10,000)"},
      {"J-50-5-(0)", "after J-50-5: (0) is outside (1) to (64) (1:10,000)"},
      {"J-50-5-B-5", "after J-50-5-B: 5 is outside 1 to 4 (1:25,000)"},
      {"J-50-5-(24)-e", "after J-50-5-(24): e is outside a to d (1:5,000)"},
      {"J-50-[5]", "after J-50: the former 1:200,000 sheets ([1] to [36]) have no counterpart"},
      {"J-50-05", "after J-50: \"05\" is not A to D (1:500,000) or 1 to 144 (1:100,000)"},
      {"J-50-5-b", "after J-50-5: \"b\" is not A to D (1:50,000) or (1) to (64) (1:10,000)"},
      {"J-50-5-(24)-B", "after J-50-5-(24): \"B\" is not a to d (1:5,000)"},
      {"J-50-", "after J-50: an empty part is not A to D (1:500,000) or 1 to 144 (1:100,000)"},
      {"J-50-A-1",
       "after J-50-A: \"1\" follows a 1:500,000 sheet, which the former scheme does not"},
      {"J50-E001010", "a former number starts with the row letter and a dash, as J-50"},
      {"J-5", "the column after the first dash must be two digits, 01 to 60"},
      {"J-29", "column 29 is west of 0° (01-30): the western hemisphere is not supported"},
  };
  for (const auto& c : cases) {
    const std::string got = invalidInputMessage([&] { ParseAnySheetNumber(c.text); });
    const std::string prefix = std::string("sheet number \"") + c.text + "\": ";
    EXPECT_EQ(got.rfind(prefix + c.message, 0), 0u) << c.text << " -> " << got;
  }
}

// --- Neighbours ------------------------------------------------------------------------------

TEST(Sheets, Neighbours) {
  const struct {
    const char* number;
    const char* around;  // n ne e se s sw w nw, "-" where there is none
  } cases[] = {
      {"J50E001010",
       "K50E024010 K50E024011 J50E001011 J50E002011 J50E002010 J50E002009 J50E001009 K50E024009"},
      {"J50", "K50 K51 J51 I51 I50 I49 J49 K49"},
      {"J50D006012",
       "J50D005012 J51D005001 J51D006001 J51D007001 J50D007012 J50D007011 J50D006011 J50D005011"},
      {"J50K00012304",
       "K50K23042304 K51K23040001 J51K00010001 J51K00020001 J50K00022304 J50K00022303 J50K00012303 "
       "K50K23042303"},
      {"J50I576001",
       "J50I575001 J50I575002 J50I576002 I50I001002 I50I001001 I49I001576 J49I576576 J49I575576"},
      {"A31H192001", "A31H191001 A31H191002 A31H192002 - - - - -"},
      {"V60K00012304", "- - - - V60K00022304 V60K00022303 V60K00012303 -"},
      {"V31", "- - V32 U32 U31 - - -"},
  };
  for (const auto& c : cases) {
    const SheetNeighbours n = NeighboursOf(ParseSheetNumber(c.number));
    std::string around;
    for (const auto& s : {n.n, n.ne, n.e, n.se, n.s, n.sw, n.w, n.nw})
      around += (around.empty() ? "" : " ") + (s ? FormatSheetNumber(*s) : std::string("-"));
    EXPECT_EQ(around, c.around) << c.number;
  }
}

// Every neighbour shares the edge or corner its direction names, at every scale.
TEST(Sheets, NeighboursTouch) {
  for (int scale : kScales)
    for (const auto& [lat, lon] :
         {std::pair{dms(40, 0), dms(120, 0)}, {dms(39, 54, 30), dms(116, 28, 25)}}) {
      const MapSheet s = SheetAt(lat, lon, scale);
      const SheetBounds b = BoundsOf(s);
      const SheetNeighbours n = NeighboursOf(s);
      const std::pair<const std::optional<MapSheet>*, std::pair<int, int>> around[] = {
          {&n.n, {1, 0}},  {&n.ne, {1, 1}},   {&n.e, {0, 1}},  {&n.se, {-1, 1}},
          {&n.s, {-1, 0}}, {&n.sw, {-1, -1}}, {&n.w, {0, -1}}, {&n.nw, {1, -1}}};
      for (const auto& [neighbour, step] : around) {
        ASSERT_TRUE(neighbour->has_value()) << scale;
        const SheetBounds o = BoundsOf(**neighbour);
        EXPECT_EQ(o.south, b.south + step.first * (b.north - b.south)) << scale;
        EXPECT_EQ(o.west, b.west + step.second * (b.east - b.west)) << scale;
        EXPECT_EQ((*neighbour)->scaleDenominator, scale);
      }
    }
}

// --- Zones by number and eastings with the zone number ---------------------------------------

TEST(Zones, ByNumber) {
  const struct {
    int width, number, centralMeridian;
  } cases[] = {{6, 1, 3},    {6, 20, 117}, {6, 60, 357}, {3, 1, 3},
               {3, 39, 117}, {3, 60, 180}, {3, 120, 0}};
  for (const auto& c : cases) {
    const ProjectionZone z = ZoneByNumber(c.width, c.number);
    EXPECT_EQ(z.width, c.width);
    EXPECT_EQ(z.number, c.number);
    EXPECT_EQ(z.centralMeridian, c.centralMeridian) << c.width << " " << c.number;
  }
  const struct {
    int width, number;
    const char* message;
  } errors[] = {
      {4, 20, "zone width 4: zones are 3° or 6° wide"},
      {6, 0, "6° zone 0 is outside 1-60"},
      {6, 61, "6° zone 61 is outside 1-60"},
      {3, 121, "3° zone 121 is outside 1-120"},
      {3, -1, "3° zone -1 is outside 1-120"},
  };
  for (const auto& e : errors)
    EXPECT_EQ(invalidInputMessage([&] { ZoneByNumber(e.width, e.number); }), e.message);
}

TEST(Zones, EastingsWithTheZoneNumber) {
  EXPECT_EQ(PrefixedEasting(435798.8376, 20), 20435798.8376);
  EXPECT_EQ(PrefixedEasting(0, 1), 1000000);
  EXPECT_EQ(PrefixedEasting(999999.9999, 120), 120999999.9999);
  EXPECT_EQ(UnprefixedEasting(20435798.8376, 20), 20435798.8376 - 20000000.0);
  EXPECT_EQ(UnprefixedEasting(39500000, 39), 500000);
  EXPECT_NEAR(UnprefixedEasting(PrefixedEasting(457199.3485, 120), 120), 457199.3485, 1e-8);
  const struct {
    double value;
    int zone;
    bool prefix;  // PrefixedEasting, else UnprefixedEasting
    const char* message;
  } errors[] = {
      {-0.5, 20, true,
       "easting -0.5 m is outside 0 to 1000000 m: it cannot carry the zone number in front"},
      {std::nan(""), 20, true, "easting nan m is outside"},
      {435798.8376, 0, true, "zone 0 is outside 1-120: no zone number to put in front"},
      {21435798.8376, 20, false, "y 21435798.8376 carries zone 21, not 20"},
      {20999999.999999996, 21, false, "y 20999999.999999996 carries zone 20, not 21"},
      {435798.8376, 20, false, "y 435798.8376 carries no zone number in front (zone 20 expected)"},
      {std::numeric_limits<double>::infinity(), 20, false, "y inf carries no zone number in front"},
  };
  for (const auto& e : errors) {
    const std::string got = invalidInputMessage(
        [&] { e.prefix ? PrefixedEasting(e.value, e.zone) : UnprefixedEasting(e.value, e.zone); });
    EXPECT_EQ(got.rfind(e.message, 0), 0u) << got;
  }
}
