// Square sheets: sizes, numbers both ways with the scale's decimals, points on edges, the
// zone number in front, neighbours and every refusal.
#include <gtest/gtest.h>

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "geodesy/square.h"

namespace veskar::geodesy {
namespace {

std::string refusal(const std::function<void()>& f) {
  try {
    f();
  } catch (const GeodesyError& e) {
    return e.what();
  }
  return "";
}

TEST(SquareSheets, NumbersAndCornersAtEveryScale) {
  const struct {
    int scale;
    SquareSize size;
    double x, y;
    const char* number;
    std::int64_t south, west, north, east;
  } cases[] = {
      {1000, {50, 50}, 3810600.2, 525999.99, "3810.5-525.5", 3810500, 525500, 3811000, 526000},
      {500, {50, 50}, 10250, 27750, "10.25-27.75", 10250, 27750, 10500, 28000},  // a corner is its own sheet's
      {500, {40, 40}, 10399.999, 27999.9, "10.20-27.80", 10200, 27800, 10400, 28000},
      {2000, {50, 40}, 3812345, 412345, "3812.0-412.0", 3812000, 412000, 3812800, 413000},
      {5000, {40, 40}, 4001999, 501999, "4000-500", 4000000, 500000, 4002000, 502000},
      {1000, {50, 40}, 0, 0, "0.0-0.0", 0, 0, 400, 500},
  };
  for (const auto& c : cases) {
    const SquareSheet s = SquareSheetAt(c.x, c.y, c.scale, c.size);
    EXPECT_EQ(FormatSquareNumber(s), c.number);
    EXPECT_EQ((std::array<std::int64_t, 4>{s.south, s.west, s.north(), s.east()}),
              (std::array<std::int64_t, 4>{c.south, c.west, c.north, c.east}))
        << c.number;
    EXPECT_EQ(ParseSquareNumber(c.number, c.scale, c.size), s) << c.number;
  }
  // Any writing of the same corner names the same sheet; the zone number goes in front of y.
  EXPECT_EQ(ParseSquareNumber("3810.500-525.5", 1000, {50, 50}), ParseSquareNumber("3810.5-525.5", 1000, {50, 50}));
  const SquareSheet zoned = ParseSquareNumber("3810.5-39525.5", 1000, {50, 50}, 39);
  EXPECT_EQ(zoned.west, 525500);
  EXPECT_EQ(FormatSquareNumber(zoned, 39), "3810.5-39525.5");
  EXPECT_EQ(SquareSheetAt(3810600, 39525600, 1000, {50, 50}, 39), zoned);
  EXPECT_EQ(DefaultSquareSize(5000), (SquareSize{40, 40}));
  EXPECT_EQ(DefaultSquareSize(500), (SquareSize{50, 50}));
  std::vector<std::string> sizes;
  for (const SquareSize s : SquareSizes()) sizes.push_back(FormatSquareSize(ParseSquareSize(FormatSquareSize(s))));
  EXPECT_EQ(sizes, (std::vector<std::string>{"50x50", "50x40", "40x40"}));
}

TEST(SquareSheets, NeighboursStopAtTheOrigin) {
  const SquareNeighbours n = NeighboursOf(ParseSquareNumber("0.20-10.00", 500, {50, 40}));  // 250 x 200 m
  EXPECT_EQ(FormatSquareNumber(*n.n), "0.40-10.00");
  EXPECT_EQ(FormatSquareNumber(*n.e), "0.20-10.25");
  EXPECT_EQ(FormatSquareNumber(*n.sw), "0.00-9.75");
  const SquareNeighbours corner = NeighboursOf(ParseSquareNumber("0-0", 5000, {40, 40}));
  EXPECT_FALSE(corner.s || corner.sw || corner.w || corner.nw || corner.se);
  EXPECT_EQ(FormatSquareNumber(*corner.ne), "2-2");
}

TEST(SquareSheets, Refusals) {
  const struct {
    std::function<void()> call;
    const char* message;
  } cases[] = {
      {[] { ParseSquareNumber("3810.3-525.5", 1000, {50, 50}); },
       "square sheet \"3810.3-525.5\": x 3810.3 km is not on a 500 m boundary at 1:1,000 with 50x50 cm sheets"},
      {[] { ParseSquareNumber("3810.5-525.25", 1000, {50, 50}); },
       "square sheet \"3810.5-525.25\": y 525.25 km is not on a 500 m boundary at 1:1,000 with 50x50 cm sheets"},
      {[] { ParseSquareNumber("3810.5", 1000, {50, 50}); },
       "square sheet \"3810.5\": write x and y of the south-west corner in km joined by a hyphen, as 3810.5-525.5"},
      {[] { ParseSquareNumber("3810.5-52x", 1000, {50, 50}); },
       "square sheet \"3810.5-52x\": y \"52x\" is no number of km (at most 3 decimals)"},
      {[] { ParseSquareNumber("3810.5-525.5", 1000, {50, 50}, 39); },
       "square sheet \"3810.5-525.5\": y carries no zone number, not 39"},
      {[] { SquareSheetAt(1, 1, 5000, {50, 50}); },
       "sheet size 50x50 at 1:5,000: 50 cm is 2500 m, which a number with 0 decimals of km cannot hold"},
      {[] { SquareSheetAt(1, 1, 10000, {50, 50}); },
       "no square sheets at 1:10,000; the scales are 1:5,000, 1:2,000, 1:1,000 and 1:500"},
      {[] { SquareSheetAt(-1, 1, 500, {50, 50}); },
       "square sheets start at x 0 and y 0: the point lies south or west of them"},
      {[] { ParseSquareSize("60x60"); }, "sheet size \"60x60\": give 50x50, 50x40 or 40x40 (cm east-west x north-south)"},
  };
  for (const auto& c : cases) EXPECT_EQ(refusal(c.call), c.message);
}

}  // namespace
}  // namespace veskar::geodesy
