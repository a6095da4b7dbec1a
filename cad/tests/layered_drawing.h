// A drawing on layers for the tests of every implementation of the automation surface: the
// same calls, in the same order, with the same variant types, whichever stands behind it.
#pragma once

#include <cstdint>
#include <string>

#include "cad/automation.h"

namespace veskar::testing {

// Two layers (one asked for again in other letters), a text on one of them and one left on
// "0", a red line and a closed polyline 2.5 wide on the other; then a flush.
inline void drawOnLayers(cad::CadApplication& app) {
  app.ActiveDocument()->Layers()->Add("图框");
  app.ActiveDocument()->Layers()->Add("grid");
  app.ActiveDocument()->Layers()->Add("GRID");
  auto text = app.ActiveDocument()->ModelSpace()->AddText("29°20′", {500000.25, 3250000.125, 0}, std::int16_t{10});
  text->Put("Layer", std::string("Grid"));
  app.ActiveDocument()->ModelSpace()->AddText("114°", {500100, 3250000, 0}, 2.5);
  auto line = app.ActiveDocument()->ModelSpace()->AddLine({500000, 3250000, 0}, {501000.5, 3251000, 0});
  line->Put("Layer", std::string("图框"));
  line->Put("Color", std::int16_t{1});
  auto frame = app.ActiveDocument()->ModelSpace()->AddLightWeightPolyline(
      {500000, 3250000, 501000, 3250000, 501000, 3251000});
  frame->Put("ConstantWidth", 2.5);
  frame->Put("Closed", true);
  frame->Put("Layer", std::string("图框"));
  app.Flush();
}

}  // namespace veskar::testing
