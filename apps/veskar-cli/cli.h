// veskar-cli: the subcommands. Each takes the arguments after its name and returns the exit
// status: 0 success, 1 some input could not be converted or drawn, 2 usage error.
#pragma once

#include <QStringList>
#include <QTextStream>
#include <iosfwd>

namespace veskar::cli {

enum class Direction { Forward, Inverse };

int runConvert(Direction direction, const QStringList& args, std::istream& in, std::ostream& out,
               std::ostream& err);

// veskar-cli draw: the graticule into a DXF file, the running drawing application or a picture.
int runDraw(const QStringList& args, std::ostream& out, std::ostream& err);

}  // namespace veskar::cli
