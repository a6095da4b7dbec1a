// Drawing a map sheet into the CAD application: the finished frame (or the bare frame), from a
// sheet number or any other way of naming a sheet, the same for the command line and the
// sheet window. Everything that can be refused is refused before connecting.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

#include "graticule/draw_command.h"
#include "mapsheet/frame.h"
#include "mapsheet/index_map.h"
#include "mapsheet/square_frame.h"

namespace veskar::mapsheet {

struct SheetDrawRequest {
  FrameRequest frame;
  bool finished = true;               // false: the bare frame (meridians, parallels, labels, number)
  std::optional<double> labelHeight;  // the bare frame's label height, metres
};

struct SheetOutcome {
  using Status = graticule::DrawOutcome::Status;
  Status status = Status::Drawn;
  std::string message;            // the refusal, or the failure's description
  std::string failedStep;         // FailedAfterAttach: what was being done
  std::size_t entities = 0;       // what the sheet holds
  std::size_t entitiesAdded = 0;  // what the CAD side confirmed
  std::string number;             // the sheet's number (present form)
  geodesy::ProjectionZone zone{};
  std::size_t gridLines = 0;
  graticule::PlaneBox extents;    // around the inner frame's corners, metres as drawn
};

SheetOutcome DrawSheet(const SheetDrawRequest& request, const graticule::ConnectCadFn& connect,
                       const graticule::ProgressFn& progress = {});

// The index map of a survey area (`number` and `zone` of the outcome stay empty).
SheetOutcome DrawIndexMap(const IndexMap& map, const graticule::ConnectCadFn& connect,
                          const graticule::ProgressFn& progress = {});

// A square sheet's finished frame (`zone` of the outcome stays empty).
SheetOutcome DrawSquareSheet(const SquareFrameRequest& request, const graticule::ConnectCadFn& connect,
                             const graticule::ProgressFn& progress = {});

}  // namespace veskar::mapsheet
