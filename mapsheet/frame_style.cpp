#include "mapsheet/frame_style.h"

#include <stdexcept>

namespace veskar::mapsheet {
namespace {

constexpr geodesy::ArcUnits kMinute = geodesy::kArcUnitsPerMinute;

constexpr ScaleDefaults kScaleDefaults[] = {
    {1000000, 10 * kMinute, 0}, {500000, 10 * kMinute, 0}, {250000, 5 * kMinute, 0},
    {100000, 5 * kMinute, 2},   {50000, kMinute, 1},       {25000, kMinute, 1},
    {10000, kMinute, 1},        {5000, kMinute, 1},        {2000, kMinute, 0.2},
    {1000, kMinute, 0.1},       {500, kMinute, 0.05},
};

}  // namespace

const ScaleDefaults& scaleDefaults(int denominator) {
  for (const ScaleDefaults& d : kScaleDefaults) {
    if (d.denominator == denominator) return d;
  }
  throw std::invalid_argument("no sheet defaults for 1:" + std::to_string(denominator));
}

const char* systemTitle(geodesy::CoordinateSystem system) {
  switch (system) {
    case geodesy::CoordinateSystem::Beijing54: return "1954年北京坐标系";
    case geodesy::CoordinateSystem::IAG75: return "1980西安坐标系";
    case geodesy::CoordinateSystem::CGCS2000: break;
  }
  return "2000国家大地坐标系";
}

std::string zoneTitle(const geodesy::ProjectionZone& zone) {
  return "高斯-克吕格投影 " + std::to_string(zone.width) + "°分带 第" + std::to_string(zone.number) + "带";
}

std::string scaleTitle(int denominator) {
  std::string digits = std::to_string(denominator);
  for (int i = static_cast<int>(digits.size()) - 3; i > 0; i -= 3) digits.insert(static_cast<std::size_t>(i), " ");
  return "1\u2236" + digits;
}

}  // namespace veskar::mapsheet
