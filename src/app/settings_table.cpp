// The settings table: key, kind, member and default of every setting, in save order.
#include <array>

#include "app/default_servers.h"
#include "app/settings.h"

namespace pelto {
namespace {

constexpr std::string_view kDefaultFace = "ＭＳ Ｐゴシック";
constexpr int32_t kShiftJisCharset = 128;

constexpr SettingRow Int(std::string_view section, std::string_view key, int Settings::*member, int32_t def) {
    return {
        .section = section, .key = key, .kind = SettingKind::kInt, .intMember = member, .intDefault = def};
}
constexpr SettingRow Window(std::string_view key, int Settings::*member, int activeSet) {
    return {.section = kClockSection,
            .key = key,
            .kind = SettingKind::kInt,
            .intMember = member,
            .activeSet = activeSet};
}
constexpr SettingRow Color(std::string_view key, uint32_t Settings::*member, int32_t def) {
    return {.section = kClockSection,
            .key = key,
            .kind = SettingKind::kColor,
            .colorMember = member,
            .intDefault = def};
}
constexpr SettingRow Text(std::string_view section, std::string_view key, std::string Settings::*member,
                          std::string_view def) {
    return {.section = section,
            .key = key,
            .kind = SettingKind::kString,
            .textMember = member,
            .textDefault = def};
}
constexpr SettingRow NumChar(std::string_view key, int digit, std::string_view def) {
    return {.section = kClockSection,
            .key = key,
            .kind = SettingKind::kNumChar,
            .index = digit,
            .textDefault = def};
}
constexpr SettingRow FontInt(std::string_view key, int set, int32_t LogFontA::*field, int32_t def) {
    return {.section = kClockSection,
            .key = key,
            .kind = SettingKind::kFontInt,
            .fontInt = field,
            .index = set,
            .intDefault = def};
}
constexpr SettingRow FontByte(std::string_view key, int set, uint8_t LogFontA::*field, int32_t def) {
    return {.section = kClockSection,
            .key = key,
            .kind = SettingKind::kFontByte,
            .fontByte = field,
            .index = set,
            .intDefault = def};
}
constexpr SettingRow Face(std::string_view key, int set) {
    return {.section = kClockSection,
            .key = key,
            .kind = SettingKind::kFontFace,
            .index = set,
            .textDefault = kDefaultFace};
}

constexpr std::array kRows = {
    // Font set 0, LOGFONT field order.
    FontInt("LFHEIGHT_0", 0, &LogFontA::lfHeight, 50),
    FontInt("LFWIDTH_0", 0, &LogFontA::lfWidth, 25),
    FontInt("LFESCAPEMENT_0", 0, &LogFontA::lfEscapement, 0),
    FontInt("LFORIENTATION_0", 0, &LogFontA::lfOrientation, 0),
    FontInt("LFWEIGHT_0", 0, &LogFontA::lfWeight, 400),
    FontByte("LFITALIC_0", 0, &LogFontA::lfItalic, 0),
    FontByte("LFUNDERLINE_0", 0, &LogFontA::lfUnderline, 0),
    FontByte("LFSTRIKEOUT_0", 0, &LogFontA::lfStrikeOut, 0),
    FontByte("LFCHARSET_0", 0, &LogFontA::lfCharSet, kShiftJisCharset),
    FontByte("LFOUTPRECISION_0", 0, &LogFontA::lfOutPrecision, 0),
    FontByte("LFCLIPPRECISION_0", 0, &LogFontA::lfClipPrecision, 0),
    FontByte("LFQUALITY_0", 0, &LogFontA::lfQuality, 0),
    FontByte("LFPITCHANDFAMILY_0", 0, &LogFontA::lfPitchAndFamily, 0),
    Face("LFFACENAME_0", 0),
    // Font set 1.
    FontInt("LFHEIGHT_1", 1, &LogFontA::lfHeight, 100),
    FontInt("LFWIDTH_1", 1, &LogFontA::lfWidth, 50),
    FontInt("LFESCAPEMENT_1", 1, &LogFontA::lfEscapement, 0),
    FontInt("LFORIENTATION_1", 1, &LogFontA::lfOrientation, 0),
    FontInt("LFWEIGHT_1", 1, &LogFontA::lfWeight, 400),
    FontByte("LFITALIC_1", 1, &LogFontA::lfItalic, 0),
    FontByte("LFUNDERLINE_1", 1, &LogFontA::lfUnderline, 0),
    FontByte("LFSTRIKEOUT_1", 1, &LogFontA::lfStrikeOut, 0),
    FontByte("LFCHARSET_1", 1, &LogFontA::lfCharSet, kShiftJisCharset),
    FontByte("LFOUTPRECISION_1", 1, &LogFontA::lfOutPrecision, 0),
    FontByte("LFCLIPPRECISION_1", 1, &LogFontA::lfClipPrecision, 0),
    FontByte("LFQUALITY_1", 1, &LogFontA::lfQuality, 0),
    FontByte("LFPITCHANDFAMILY_1", 1, &LogFontA::lfPitchAndFamily, 0),
    Face("LFFACENAME_1", 1),
    // Window position: only the active set's pair is read and written.
    Window("WNDPOINTX_0", &Settings::m_windowX, 0),
    Window("WNDPOINTY_0", &Settings::m_windowY, 0),
    Window("WNDPOINTX_1", &Settings::m_windowX, 1),
    Window("WNDPOINTY_1", &Settings::m_windowY, 1),
    Color("ONLINECOLOR", &Settings::m_onlineColor, 0x00FF00),
    Color("OFFLINECOLOR", &Settings::m_offlineColor, 0x00FFFF),
    Int(kClockSection, "TOPFLAG", &Settings::m_topMost, 1),
    Int(kClockSection, "SECFLAG", &Settings::m_showSeconds, 0),
    Int(kClockSection, "D24FLAG", &Settings::m_hour24, 1),
    Int(kClockSection, "FONT1FLAG", &Settings::m_fontSet, 0),
    NumChar("NUMCHAR0", 0, "0"),
    NumChar("NUMCHAR1", 1, "1"),
    NumChar("NUMCHAR2", 2, "2"),
    NumChar("NUMCHAR3", 3, "3"),
    NumChar("NUMCHAR4", 4, "4"),
    NumChar("NUMCHAR5", 5, "5"),
    NumChar("NUMCHAR6", 6, "6"),
    NumChar("NUMCHAR7", 7, "7"),
    NumChar("NUMCHAR8", 8, "8"),
    NumChar("NUMCHAR9", 9, "9"),
    Text(kClockSection, "COLCHAR", &Settings::m_colChar, ":"),
    // Synchronisation.
    Int(kNtpSection, "HTTP", &Settings::m_useHttp, 0),
    Int(kNtpSection, "FULLAUTO", &Settings::m_fullAuto, 1),
    Int(kNtpSection, "CYCLE", &Settings::m_cycle, 2),
    Int(kNtpSection, "RASFLAG", &Settings::m_rasCheck, 0),
    Int(kNtpSection, "EXEC", &Settings::m_exec, 1),
    Text(kNtpSection, "NTP01", &Settings::m_ntpServer1, kDefaultNtpServer),
    Text(kNtpSection, "HTTP01", &Settings::m_httpUrl1, kDefaultHttpTimePage),
    Text(kNtpSection, "NTP02", &Settings::m_ntpServer2, ""),
    Text(kNtpSection, "HTTP02", &Settings::m_httpUrl2, ""),
};

// Loading reads both font sets first, then which set is active (the window position depends on
// it), then the rest in the clock's traditional order.
constexpr std::array<std::string_view, 58> kLoadOrder = {
    "LFHEIGHT_0",
    "LFWIDTH_0",
    "LFESCAPEMENT_0",
    "LFORIENTATION_0",
    "LFWEIGHT_0",
    "LFITALIC_0",
    "LFUNDERLINE_0",
    "LFSTRIKEOUT_0",
    "LFCHARSET_0",
    "LFOUTPRECISION_0",
    "LFCLIPPRECISION_0",
    "LFQUALITY_0",
    "LFPITCHANDFAMILY_0",
    "LFFACENAME_0",
    "LFHEIGHT_1",
    "LFWIDTH_1",
    "LFESCAPEMENT_1",
    "LFORIENTATION_1",
    "LFWEIGHT_1",
    "LFITALIC_1",
    "LFUNDERLINE_1",
    "LFSTRIKEOUT_1",
    "LFCHARSET_1",
    "LFOUTPRECISION_1",
    "LFCLIPPRECISION_1",
    "LFQUALITY_1",
    "LFPITCHANDFAMILY_1",
    "LFFACENAME_1",
    "FONT1FLAG",
    "WNDPOINTX_0",
    "WNDPOINTY_0",
    "WNDPOINTX_1",
    "WNDPOINTY_1",
    "ONLINECOLOR",
    "OFFLINECOLOR",
    "TOPFLAG",
    "SECFLAG",
    "D24FLAG",
    "FULLAUTO",
    "EXEC",
    "CYCLE",
    "RASFLAG",
    "NTP01",
    "HTTP01",
    "NTP02",
    "HTTP02",
    "HTTP",
    "NUMCHAR0",
    "NUMCHAR1",
    "NUMCHAR2",
    "NUMCHAR3",
    "NUMCHAR4",
    "NUMCHAR5",
    "NUMCHAR6",
    "NUMCHAR7",
    "NUMCHAR8",
    "NUMCHAR9",
    "COLCHAR",
};
static_assert(kLoadOrder.size() == kRows.size(), "every setting is loaded exactly once");

}  // namespace

std::span<const SettingRow> SettingRows() { return kRows; }
std::span<const std::string_view> SettingLoadOrder() { return kLoadOrder; }

}  // namespace pelto
