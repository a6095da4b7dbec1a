// veskar-cli forward / inverse as a user runs them: a process, standard input, exit status.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/testing/testing.h"

namespace {

struct CliRun {
  int status;
  std::string out;
  std::string err;
};

CliRun cli(const std::vector<std::string>& args, const std::string& input) {
  const auto r = veskar::testing::run(VESKAR_CLI, args, input, {{"LC_ALL", "C.UTF-8"}});
  return {r.status, r.out, r.err};
}

struct Case {
  const char* name;
  std::vector<std::string> args;
  std::string input;
  int status;
  std::string out;
  std::string errHas;  // "" means standard error must be empty
};

TEST(CliConvert, Table) {
  const Case cases[] = {
      {"forward Beijing 1954 by default",
       {"forward", "--central-meridian", "114"}, "29.2 115.15\n", 0,
       "3246922.0904 621412.8980\n", ""},
      {"forward IAG 1975, comma-separated",
       {"forward", "--central-meridian=114", "--iag75"}, "29.2,115.15\n", 0,
       "3246865.8802 621410.9134\n", ""},
      {"forward west of the meridian and on the equator",
       {"forward", "--central-meridian", "114", "--beijing54"}, "29.2 113\n0 117\n", 0,
       "3246688.4723 402871.1347\n0.0000 834117.8590\n", ""},
      {"forward precision",
       {"forward", "--central-meridian", "114", "--precision", "1"}, "30 114\n", 0,
       "3320172.4 500000.0\n", ""},
      {"inverse on the central meridian",
       {"inverse", "--central-meridian", "114"}, "3320172.4072 500000\n0 500000\n", 0,
       "30.00000000 114.00000000\n0.00000000 114.00000000\n", ""},
      {"inverse reads Beijing 1954 coordinates on IAG 1975",
       {"inverse", "--central-meridian", "114", "--iag75", "--precision", "6"},
       "3246922.0904 621412.8980\n", 0, "29.200182 115.150010\n", ""},
      {"bad lines are named, the others converted",
       {"forward", "--central-meridian", "114"}, "29.2 115.15\nabc 1\n\n30 114 7\n30 114\n", 1,
       "3246922.0904 621412.8980\n* *\n\n* *\n3320172.4072 500000.0000\n", "line 2"},
      {"overflowing degrees are an error of that line",
       {"forward", "--central-meridian", "114"}, "40000 114\n", 1, "* *\n", "line 1: D_R"},
      {"unknown option", {"forward", "--central-meridian", "114", "--wgs84"}, "", 2, "",
       "unknown option --wgs84"},
      {"no option by a prefix of its name", {"forward", "--central-meridianx", "114"}, "", 2, "",
       "unknown option --central-meridianx"},
      {"forward CGCS2000 on the central meridian", {"forward", "--central-meridian", "114", "--cgcs2000"},
       "30 114\n", 0, "3320113.3979 500000.0000\n", ""},
      {"points beyond 3° are warned about once, with the bound at the farthest",
       {"forward", "--central-meridian", "114"}, "30 118\n30 120\n", 0,
       "3326918.2133 886109.5156\n3335377.7612 1079460.1807\n",
       "veskar-cli: warning: points lie up to 6.000° from the central meridian, where the projection may be off by up to 14 mm"},
      {"points beyond 20° are refused line by line", {"inverse", "--central-meridian", "114"},
       "3320172.4072 500000\n3335377.7612 2879460.1807\n", 1, "30.00000000 114.00000000\n* *\n",
       "line 2: 23.803° from the central meridian: farther than 20°"},
      {"missing central meridian", {"inverse"}, "", 2, "", "--central-meridian is required"},
      {"a zone instead of the central meridian: 3° zone 38 is 114°",
       {"forward", "--zone", "38", "--zone-width", "3"}, "29.2 115.15\n", 0, "3246922.0904 621412.8980\n", ""},
      {"y with the zone number in front", {"forward", "--zone", "20", "--zone-width", "6", "--zone-prefix", "--cgcs2000"},
       "39.5 116.15\n", 0, "4411292.6925 20435798.8376\n", ""},
      {"an easting that cannot carry the zone number is refused",
       {"forward", "--zone=38", "--zone-width=3", "--zone-prefix"}, "0 108\n", 1, "* *\n",
       "line 1: easting -169160.66618155467 m is outside 0 to 1000000 m"},
      {"inverse reads the zone number and refuses another",
       {"inverse", "--zone", "38", "--zone-width", "3", "--zone-prefix", "--precision", "6"},
       "3246922.0904 38621412.8980\n3246922.0904 39621412.8980\n3246922.0904 621412.8980\n", 1,
       "29.200000 115.150000\n* *\n* *\n", "line 2: y 39621412.898 carries zone 39, not 38"},
      {"inverse names a line without a zone number",
       {"inverse", "--zone", "38", "--zone-width", "3", "--zone-prefix"}, "3246922.0904 621412.8980\n", 1,
       "* *\n", "line 1: y 621412.898 carries no zone number in front (zone 38 expected)"},
      {"the zone and the central meridian together", {"forward", "--zone", "20", "--central-meridian", "117"},
       "", 2, "", "--zone and --central-meridian exclude each other"},
      {"the zone prefix needs the zone", {"inverse", "--central-meridian", "117", "--zone-prefix"}, "", 2, "",
       "--zone-prefix needs --zone"},
      {"the zone needs its width", {"forward", "--zone", "20"}, "", 2, "", "--zone needs --zone-width 3 or 6"},
      {"zone numbers end at 60 for 6° zones", {"forward", "--zone", "61", "--zone-width", "6"}, "", 2, "",
       "veskar-cli: 6° zone 61 is outside 1-60"},
      {"zones are 3° or 6° wide", {"forward", "--zone", "20", "--zone-width", "4"}, "", 2, "",
       "veskar-cli: zone width 4: zones are 3° or 6° wide"},
      {"unknown command", {"sideways"}, "", 2, "", "unknown command sideways"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CliRun r = cli(c.args, c.input);
    EXPECT_EQ(r.status, c.status);
    EXPECT_EQ(r.out, c.out);
    if (c.errHas.empty()) {
      EXPECT_EQ(r.err, "");
    } else {
      EXPECT_NE(r.err.find(c.errHas), std::string::npos) << r.err;
    }
  }
}

TEST(CliConvert, HelpExplainsPackedDms) {
  const CliRun r = cli({"--help"}, "");
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.out.find("140.022866 = 140°02′28.66″"), std::string::npos) << r.out;
}

}  // namespace
