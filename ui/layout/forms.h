// The program's windows, Form1 and aboutfrm, and the sheet window (图幅整饰) of the program
// veskar-sheet, as data: every control with its name, kind, caption, place in twips, colours
// and fonts, in tab order. The Linux windows (Qt) and the Windows windows (Win32) are both built
// from these tables; so are their tests.
#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <string>

#include "settings/sheet_fields.h"

namespace veskar::ui::layout {

// left, top, width, height in twips (1440 to the inch, 15 to a pixel at 96 dpi), relative to
// the client area.
struct Place {
  int left, top, width, height;
};

// Colours as 0x00BBGGRR.
inline constexpr std::uint32_t kBlue = 0x00FF0000;
inline constexpr std::uint32_t kRed = 0x000000FF;
inline constexpr std::uint32_t kBlack = 0x00000000;
inline constexpr std::uint32_t kWhite = 0x00FFFFFF;
inline constexpr std::uint32_t kGrey = 0x00808080;
// The background of the input field that has the focus: light green.
inline constexpr std::uint32_t kFocusBackground = 0x00C0FFC0;

struct Font {
  const char* family;  // nullptr: the window's font
  double points;
  bool bold = false;
  bool underline = false;
};
inline constexpr Font kWindowFont{nullptr, 0};
// The buttons' font: 宋体 9 pt, GB2312 character set.
inline constexpr const char* kSongFamily = "宋体";
inline constexpr Font kButtonFont{kSongFamily, 9};

// The program's name: the title of its message boxes.
inline constexpr const char* kProgramName = "veskar";

// ---- Form1 ----------------------------------------------------------------------------------

inline constexpr const char* kForm1Title = "Veskar V1.0";
inline constexpr int kForm1Width = 4530;  // client area
inline constexpr int kForm1Height = 2850;

// Choice: a drop-down list to choose from; Note: a line of text the window writes (black, or
// red for a fault), word-wrapped; TextChoice: a field to type into with a drop-down list of
// texts to take.
enum class Kind { Field, Label, CheckBox, Button, Choice, Note, TextChoice };
enum class Action { None, Draw, MoreSoftware, Help, Exit, Find, SaveDxf };
// The sheet window's controls of one division only (经纬度分幅 or 正方形分幅), in the other's
// place; the rest are shown in both.
enum class Shown { Always, National, Square };
constexpr bool shownIn(Shown shown, bool square) { return shown == Shown::Always || (shown == Shown::Square) == square; }

struct Control {
  const char* name;
  Kind kind;
  const char* caption;  // labels, check boxes, buttons
  Place place;
  // Form1: Text1..Text7 are 0..6 (settings::kFields). The sheet window: a settings::
  // SheetFieldIndex. A label: the field it names.
  int field = -1;
  Action action = Action::None;
  Shown shown = Shown::Always;
};

// In tab order: Text1 .. Text7, the labels (no focus), Check1, the four buttons.
inline constexpr std::array<Control, 19> kForm1 = {{
    {"Text1", Kind::Field, "", {1260, 240, 855, 270}, 0},
    {"Text2", Kind::Field, "", {1260, 960, 855, 270}, 1},
    {"Text3", Kind::Field, "", {3420, 240, 855, 270}, 2},
    {"Text4", Kind::Field, "", {3420, 960, 855, 270}, 3},
    {"Text5", Kind::Field, "", {1260, 600, 855, 270}, 4},
    {"Text6", Kind::Field, "", {3420, 600, 855, 270}, 5},
    {"Text7", Kind::Field, "", {1260, 1320, 855, 270}, 6},
    {"Label6", Kind::Label, "纬度间距", {2580, 645, 720, 180}, 5},
    {"Label5", Kind::Label, "经度间距", {420, 645, 720, 180}, 4},
    {"Label4", Kind::Label, "纬线根数", {2580, 1005, 720, 180}, 3},
    {"Label3", Kind::Label, "起始纬度", {2580, 285, 720, 180}, 2},
    {"Label2", Kind::Label, "经线根数", {420, 1005, 720, 180}, 1},
    {"Label1", Kind::Label, "起始经度", {420, 285, 720, 180}, 0},
    {"Label9", Kind::Label, "中央子午线", {240, 1365, 900, 180}, 6},
    {"Check1", Kind::CheckBox, "北京54坐标系", {2640, 1320, 1455, 375}},
    {"Command1", Kind::Button, "  绘  图", {720, 1800, 1335, 375}, -1, Action::Draw},
    {"xpcmdbutton3", Kind::Button, "  更多软件", {720, 2280, 1335, 375}, -1, Action::MoreSoftware},
    {"xpcmdbutton4", Kind::Button, "  帮  助", {2640, 1800, 1335, 375}, -1, Action::Help},
    {"xpcmdbutton5", Kind::Button, "  退  出", {2640, 2280, 1335, 375}, -1, Action::Exit},
}};

// The help file, beside the program.
inline constexpr const char* kHelpFile = "vesk.chm";

// ---- The sheet window (图幅整饰) ------------------------------------------------------------

// The program that shows it, beside veskar (veskar-sheet.exe on Windows); the main window starts
// it from its context menu and, on Windows, its system menu.
inline constexpr const char* kSheetProgram = "veskar-sheet";
inline constexpr const char* kSheetMenuItem = "图幅整饰…";
inline constexpr const char* kSheetTitle = "图幅整饰";
inline constexpr int kSheetWidth = 7200;  // client area
inline constexpr int kSheetHeight = 4215;
// Its topic in the help file: 帮  助 and F1 open vesk.chm there.
inline constexpr const char* kSheetHelpTopic = "sheet.html";

constexpr const char* sheetCaption(settings::SheetFieldIndex i) { return settings::kSheetFields[i].caption; }

// Top-left to bottom-right; the controls that take the focus are in tab order, each label just
// before what it names. 分幅 and 图幅尺寸 on top; below them each division's own number, point,
// scale and coordinate system in the same places. 绘  图 is the default button (Enter draws).
inline constexpr std::array<Control, 36> kSheet = {{
    {"lblDivision", Kind::Label, sheetCaption(settings::kSheetDivision), {240, 285, 900, 180}, settings::kSheetDivision},
    {"cboDivision", Kind::Choice, "", {1260, 225, 1335, 315}, settings::kSheetDivision},
    {"lblSize", Kind::Label, sheetCaption(settings::kSheetSize), {3600, 285, 900, 180}, settings::kSheetSize},
    {"cboSize", Kind::Choice, "", {4620, 225, 1335, 315}, settings::kSheetSize},
    {"lblNumber", Kind::Label, sheetCaption(settings::kSheetNumber), {240, 645, 900, 180}, settings::kSheetNumber},
    {"txtNumber", Kind::Field, "", {1260, 600, 5700, 270}, settings::kSheetNumber, Action::None, Shown::National},
    {"txtSquareNumber", Kind::Field, "", {1260, 600, 5700, 270}, settings::kSheetSquareNumber, Action::None,
     Shown::Square},
    {"lblNote", Kind::Note, "", {1260, 930, 5700, 600}, settings::kSheetNumber},
    {"lblLatitude", Kind::Label, sheetCaption(settings::kSheetLatitude), {240, 1725, 900, 180}, settings::kSheetLatitude,
     Action::None, Shown::National},
    {"txtLatitude", Kind::Field, "", {1260, 1680, 1335, 270}, settings::kSheetLatitude, Action::None, Shown::National},
    {"lblNorthing", Kind::Label, sheetCaption(settings::kSheetNorthing), {240, 1725, 900, 180}, settings::kSheetNorthing,
     Action::None, Shown::Square},
    {"txtNorthing", Kind::Field, "", {1260, 1680, 1335, 270}, settings::kSheetNorthing, Action::None, Shown::Square},
    {"lblNorthingUnit", Kind::Label, "m", {2655, 1725, 300, 180}, settings::kSheetNorthing, Action::None, Shown::Square},
    {"lblLongitude", Kind::Label, sheetCaption(settings::kSheetLongitude), {3600, 1725, 900, 180},
     settings::kSheetLongitude, Action::None, Shown::National},
    {"txtLongitude", Kind::Field, "", {4620, 1680, 1335, 270}, settings::kSheetLongitude, Action::None, Shown::National},
    {"lblEasting", Kind::Label, sheetCaption(settings::kSheetEasting), {3600, 1725, 900, 180}, settings::kSheetEasting,
     Action::None, Shown::Square},
    {"txtEasting", Kind::Field, "", {4620, 1680, 1335, 270}, settings::kSheetEasting, Action::None, Shown::Square},
    {"lblEastingUnit", Kind::Label, "m", {6015, 1725, 300, 180}, settings::kSheetEasting, Action::None, Shown::Square},
    {"lblScale", Kind::Label, sheetCaption(settings::kSheetScale), {240, 2085, 900, 180}, settings::kSheetScale},
    {"cboScale", Kind::Choice, "", {1260, 2025, 1335, 315}, settings::kSheetScale, Action::None, Shown::National},
    {"cboSquareScale", Kind::Choice, "", {1260, 2025, 1335, 315}, settings::kSheetSquareScale, Action::None,
     Shown::Square},
    {"cmdFind", Kind::Button, "  查  找", {3600, 1995, 1335, 375}, -1, Action::Find},
    {"lblSystem", Kind::Label, sheetCaption(settings::kSheetSystem), {240, 2445, 900, 180}, settings::kSheetSystem},
    {"cboSystem", Kind::Choice, "", {1260, 2385, 2700, 315}, settings::kSheetSystem, Action::None, Shown::National},
    {"cboSquareSystem", Kind::TextChoice, "", {1260, 2385, 2700, 315}, settings::kSheetSquareSystem, Action::None,
     Shown::Square},
    {"lblGrid", Kind::Label, sheetCaption(settings::kSheetGrid), {240, 2805, 900, 180}, settings::kSheetGrid},
    {"txtGrid", Kind::Field, "", {1260, 2760, 1035, 270}, settings::kSheetGrid},
    {"lblKm", Kind::Label, "km", {2355, 2805, 300, 180}, settings::kSheetGrid},
    {"lblTitle", Kind::Label, sheetCaption(settings::kSheetTitle), {3600, 2805, 900, 180}, settings::kSheetTitle},
    {"txtTitle", Kind::Field, "", {4620, 2760, 2340, 270}, settings::kSheetTitle},
    {"chkFinished", Kind::CheckBox, sheetCaption(settings::kSheetFinished), {1260, 3120, 1800, 300},
     settings::kSheetFinished},
    {"chkZonePrefix", Kind::CheckBox, sheetCaption(settings::kSheetZonePrefix), {4620, 3120, 1335, 300},
     settings::kSheetZonePrefix},
    {"cmdDraw", Kind::Button, "  绘  图", {240, 3600, 1335, 375}, -1, Action::Draw},
    {"cmdSaveDxf", Kind::Button, "  保存DXF…", {2035, 3600, 1335, 375}, -1, Action::SaveDxf},
    {"cmdHelp", Kind::Button, "  帮  助", {3830, 3600, 1335, 375}, -1, Action::Help},
    {"cmdExit", Kind::Button, "  退  出", {5625, 3600, 1335, 375}, -1, Action::Exit},
}};

// ---- aboutfrm -------------------------------------------------------------------------------

inline constexpr int kAboutWidth = 5100;  // client area
inline constexpr int kAboutHeight = 2160;
// The about window's own font: Tahoma 8.25 pt.
inline constexpr Font kAboutFont{"Tahoma", 8.25};

// What an element shows besides its caption.
enum class AboutText { Caption, MakerHeader, AuthorName, OrganisationName, AuthorEmail, MakerAddress };
enum class AboutClick { None, MakerPage, Mail, Close };

struct AboutElement {
  const char* name;
  enum class Kind { Band, Icon, Label, Line, Button } kind;
  const char* caption;
  AboutText text;
  Place place;  // a line: from (left, top) to (left + width, top)
  std::uint32_t colour;
  Font font;
  bool handPointer;
  AboutClick click;
  enum class Tip { None, OrganisationAddress, MakerName } tip;
  bool inBand = false;  // drawn inside the white band (whose place is 0, 0)
};

using AE = AboutElement;
inline constexpr Font kTahoma9{"Tahoma", 9};
inline constexpr Font kTahomaLink{"Tahoma", 8.25, false, true};
inline constexpr Font kVerdana{"Verdana", 6.75};
inline constexpr Font kVerdanaLink{"Verdana", 6.75, false, true};

// In the order they are made; the icon and the header lie inside the band (same coordinates).
inline constexpr std::array<AboutElement, 13> kAbout = {{
    {"picBGHead", AE::Kind::Band, "", AboutText::Caption, {0, 0, 5790, 615}, kWhite, kWindowFont, false,
     AboutClick::MakerPage, AE::Tip::None},
    {"picBGHeadIcon", AE::Kind::Icon, "", AboutText::Caption, {240, 120, 480, 480}, kWhite, kWindowFont, false,
     AboutClick::MakerPage, AE::Tip::None, true},
    {"lblBGHeadInfo1", AE::Kind::Label, "", AboutText::MakerHeader, {960, 240, 3855, 255}, kBlack,
     {kSongFamily, 9, true}, false, AboutClick::MakerPage, AE::Tip::OrganisationAddress, true},
    {"linBorder", AE::Kind::Line, "", AboutText::Caption, {0, 615, 5760, 0}, kGrey, kWindowFont, false,
     AboutClick::None, AE::Tip::None},
    {"Label2", AE::Kind::Label, "作 者：", AboutText::Caption, {600, 720, 600, 210}, kRed, kTahoma9, false,
     AboutClick::None, AE::Tip::None},
    {"Label7", AE::Kind::Label, "", AboutText::AuthorName, {1320, 720, 540, 195}, kBlue, kWindowFont, false,
     AboutClick::None, AE::Tip::None},
    {"Label3", AE::Kind::Label, "单 位：", AboutText::Caption, {600, 1080, 600, 210}, kRed, kTahoma9, false,
     AboutClick::None, AE::Tip::None},
    // Looks like a link, but has no click of its own.
    {"Label9", AE::Kind::Label, "", AboutText::OrganisationName, {1320, 1080, 1800, 195}, kBlue, kTahomaLink, true,
     AboutClick::None, AE::Tip::OrganisationAddress},
    {"Label5", AE::Kind::Label, "E-mail：", AboutText::Caption, {555, 1440, 645, 210}, kRed, kTahoma9, false,
     AboutClick::None, AE::Tip::None},
    {"lblHomepage", AE::Kind::Label, "", AboutText::AuthorEmail, {1320, 1440, 1950, 180}, kBlue, kVerdana, true,
     AboutClick::Mail, AE::Tip::None},
    {"Label6", AE::Kind::Label, "软件下载：", AboutText::Caption, {300, 1800, 900, 210}, kRed, kTahoma9, false,
     AboutClick::None, AE::Tip::None},
    {"Label4", AE::Kind::Label, "", AboutText::MakerAddress, {1320, 1800, 1395, 180}, kBlue, kVerdanaLink, true,
     AboutClick::MakerPage, AE::Tip::MakerName},
    {"Command1", AE::Kind::Button, "  确  定", AboutText::Caption, {3480, 1440, 1335, 375}, kBlack, kButtonFont,
     false, AboutClick::Close, AE::Tip::None},
}};

// The text of an element (its caption, or the maker's and author's details it shows), and its
// tooltip (empty for none); UTF-8.
std::string aboutText(const AboutElement& e);
std::string aboutTip(const AboutElement& e);
// The window's title (the maker's name), the maker's page, and the mail address to open.
std::string aboutTitle();
std::string makerPage();
std::string mailTo();

// ---- Placement --------------------------------------------------------------------------------

struct Position {
  float left = 0;
  float top = 0;
};

// CenterOnScreen and CenterForm: horizontally centred, one third of the free height above the
// window and two thirds below; in single precision, all in twips, the window's outer size
// (frame and title bar included). No clamping: a window larger than the screen gets a
// negative position.
inline Position centeredPosition(float screenWidth, float screenHeight, float windowWidth, float windowHeight) {
  return {(screenWidth - windowWidth) / 2.0f, (screenHeight - windowHeight) / 3.0f};
}

// Twips at `dpi` to pixels, rounded to the nearest.
inline int twipsToPixels(double twips, double dpi) { return static_cast<int>(std::lround(twips * dpi / 1440.0)); }

}  // namespace veskar::ui::layout
