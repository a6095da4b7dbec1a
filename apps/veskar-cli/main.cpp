// veskar-cli: the geodetic core and the graticule from the command line.
#include <clocale>
#include <iostream>
#include <memory>
#include <string>

#include "cli.h"
#include "platform/files.h"

namespace {

using namespace veskar::cli;

struct Entry {
  const char* name;
  const char* summary;  // for the overall usage
  int (*run)(const Args& args);
};

int forward(const Args& a) { return runConvert(Direction::Forward, a, std::cin, std::cout, std::cerr); }
int inverse(const Args& a) { return runConvert(Direction::Inverse, a, std::cin, std::cout, std::cerr); }
int draw(const Args& a) { return runDraw(a, backends(), std::cout, std::cerr); }
int sheet(const Args& a) { return runSheet(a, std::cout, std::cerr); }
int square(const Args& a) { return runSquare(a, std::cout, std::cerr); }
int sheets(const Args& a) { return runSheets(a, std::cout, std::cerr); }

const Entry kCommands[] = {
    {"forward", "latitude and longitude to Gauss-Krüger x and y, line by line", forward},
    {"inverse", "Gauss-Krüger x and y to latitude and longitude, line by line", inverse},
    {"draw", "a graticule, a sheet's frame or an area's index map into DXF, a picture or the CAD program", draw},
    {"sheet", "a national map sheet (GB/T 13989-2012) by its number, or the sheet holding a point", sheet},
    {"square", "a square sheet of a large-scale survey by its number, or the sheet holding a point", square},
    {"sheets", "the map sheets of a scale that a survey area touches: a list, JSON or GeoJSON", sheets},
};

void help(std::ostream& os) {
  os << "usage: veskar-cli COMMAND [OPTIONS]\n"
        "       veskar-cli COMMAND --help\n"
        "\n"
        "Gauss-Krüger coordinates on the Beijing 1954 (Krassovsky), IAG 1975 (Xi'an 1980) and\n"
        "CGCS2000 ellipsoids, graticules and map sheet frames for survey and mapping drawings.\n"
        "\n"
        "Commands:\n";
  for (const Entry& e : kCommands) os << "  " << e.name << std::string(9 - std::string(e.name).size(), ' ') << e.summary << "\n";
  os << "\n"
     << kAngleNotes
     << "Exit status: 0 done, 1 some input could not be converted or drawn, 2 usage error.\n"
        "\n"
        "Example:\n"
        "  echo \"29.2 115.15\" | veskar-cli forward --central-meridian 114\n"
        "  3246922.0904 621412.8980\n";
}

}  // namespace

int main(int argc, char** argv) {
  // The user's locale, as every program takes it (the system's messages speak its language);
  // numbers are read and written with "." whatever it says.
  std::setlocale(LC_ALL, "");
  veskar::platform::prepareConsole();
  std::vector<std::string> args = veskar::platform::arguments(argc, argv);
  if (args.size() < 2) {
    help(std::cerr);
    return 2;
  }
  const std::string command = args[1];
  if (command == "--help" || command == "-h" || command == "help") {
    help(std::cout);
    return 0;
  }
  args.erase(args.begin(), args.begin() + 2);

  bool picture = false;
  for (const std::string& a : args) picture = picture || a == "--png" || a.rfind("--png=", 0) == 0;
  const std::shared_ptr<void> toolkit = startToolkit(argc, argv, picture);
  for (const Entry& e : kCommands) {
    if (command == e.name) return e.run(args);
  }
  std::cerr << "veskar-cli: unknown command " << command << "\n\n";
  help(std::cerr);
  return 2;
}
