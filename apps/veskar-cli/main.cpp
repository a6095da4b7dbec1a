// veskar-cli: the geodetic core and the graticule from the command line.
#include <clocale>
#include <iostream>
#include <memory>
#include <string>

#include "cli.h"
#include "platform/files.h"

namespace {

constexpr const char* kHelp =
    "usage: veskar-cli COMMAND [OPTIONS]\n"
    "\n"
    "Gauss-Krüger coordinates on the Beijing 1954 (Krassovsky) or IAG 1975 ellipsoid, and\n"
    "graticules of meridians and parallels for survey and mapping drawings.\n"
    "\n"
    "Commands:\n"
    "  forward --central-meridian L0 [--beijing54|--iag75] [--precision N]\n"
    "      reads lines \"B L\" (latitude, longitude) and writes \"x y\": northing and easting in\n"
    "      metres, the easting with the 500000 m false easting, N decimals (default 4).\n"
    "  inverse --central-meridian L0 [--beijing54|--iag75] [--precision N]\n"
    "      reads lines \"x y\" and writes \"B L\" in packed DMS (default 8 decimals).\n"
    "  draw [--start-longitude T] [--meridians T] [--start-latitude T] [--parallels T]\n"
    "       [--longitude-spacing T] [--latitude-spacing T] [--central-meridian T]\n"
    "       [--beijing54|--iag75] (-o FILE.dxf | --cad | --png FILE.png)\n"
    "      draws the graticule as the window's Draw button does, into a DXF file, into the\n"
    "      running drawing application veskar-cad, or into a picture. veskar-cli draw --help\n"
    "      tells more.\n"
    "\n"
    "Angles are packed DMS: degrees, then two digits of minutes, then seconds, so\n"
    "140.022866 = 140°02′28.66″, 29.2 = 29°20′, 0.15 = 0°15′. Numbers on input lines are\n"
    "separated by blanks or a comma, with \".\" as the decimal point. Beijing 1954 is the\n"
    "default; --iag75 selects the IAG 1975 ellipsoid (Xi'an 1980).\n"
    "\n"
    "One output line per input line. A line that cannot be read or converted is reported on\n"
    "standard error with its line number and written as \"* *\"; the others are still\n"
    "converted, and the exit status is 1. Usage errors exit with status 2.\n"
    "\n"
    "Example:\n"
    "  echo \"29.2 115.15\" | veskar-cli forward --central-meridian 114\n"
    "  3246922.0904 621412.8980\n";

}  // namespace

int main(int argc, char** argv) {
  // The user's locale, as every program takes it (the system's messages speak its language);
  // numbers are read and written with "." whatever it says.
  std::setlocale(LC_ALL, "");
  veskar::platform::prepareConsole();
  std::vector<std::string> args = veskar::platform::arguments(argc, argv);
  if (args.size() < 2) {
    std::cerr << kHelp;
    return 2;
  }
  const std::string command = args[1];
  if (command == "--help" || command == "-h" || command == "help") {
    std::cout << kHelp;
    return 0;
  }
  args.erase(args.begin(), args.begin() + 2);

  bool picture = false;
  for (const std::string& a : args) picture = picture || a == "--png" || a.rfind("--png=", 0) == 0;
  const std::shared_ptr<void> toolkit = veskar::cli::startToolkit(argc, argv, picture);

  using veskar::cli::Direction;
  if (command == "forward") return veskar::cli::runConvert(Direction::Forward, args, std::cin, std::cout, std::cerr);
  if (command == "inverse") return veskar::cli::runConvert(Direction::Inverse, args, std::cin, std::cout, std::cerr);
  if (command == "draw") return veskar::cli::runDraw(args, veskar::cli::backends(), std::cout, std::cerr);
  std::cerr << "veskar-cli: unknown command " << command << "\n\n" << kHelp;
  return 2;
}
