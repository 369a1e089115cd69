#pragma once
// Every setting the clock keeps in its settings file, and the one table that says where each lives
// in the file, what it defaults to and in which order it is loaded and saved. The clock dialog
// derives from Settings; LoadSettings and SaveSettings are its loading and saving.
#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "app/profile_file.h"
#include "platform/log_font.h"

namespace pelto {

inline constexpr std::string_view kClockSection = "PELTOCLOCK";
inline constexpr std::string_view kNtpSection = "NTP";

struct Settings {
    std::array<std::string, 10> m_numChar;  // glyph string drawn for each digit
    std::string m_colChar;                  // glyph string between hours, minutes and seconds
    int m_hour24 = 0;                       // booleans: non-zero is true
    int m_showSeconds = 0;
    int m_topMost = 0;
    int m_windowX = 0;  // top-left corner of the window for the active set, screen pixels
    int m_windowY = 0;
    LogFontA m_logFont[2];
    int m_fontSet = 0;            // active font and position set; non-zero means set 1
    uint32_t m_onlineColor = 0;   // COLORREF 0x00BBGGRR
    uint32_t m_offlineColor = 0;  // COLORREF
    int m_fullAuto = 0;
    int m_exec = 0;
    int m_rasCheck = 0;
    int m_useHttp = 0;
    int m_cycle = 0;  // 0 = 30 minutes, k = k hours
    std::string m_ntpServer1;
    std::string m_ntpServer2;
    std::string m_httpUrl1;
    std::string m_httpUrl2;

    friend bool operator==(const Settings&, const Settings&) = default;
};

// Fills every setting from `file`; absent keys take their defaults. Nothing read is corrected.
void LoadSettings(Settings& settings, const ProfileFile& file);

// Writes every setting into `file`, section "PELTOCLOCK" then "NTP", in the order the clock has
// always written them, so a fresh file comes out in that order. Only the active set's window
// position is written; the caller stores the window's current corner in m_windowX/m_windowY
// first. The server history is not touched.
void SaveSettings(const Settings& settings, ProfileFile& file);

// The window position stored for font set `set` (0 or 1), each value with its own default; what
// the font-set switch reads for the set it switches to.
void ReadWindowPosition(const ProfileFile& file, int set, int defaultX, int defaultY, int& x, int& y);

// The face name field of a LOGFONT: a longer name is shortened to 31 bytes without splitting a
// double-byte character, and the rest of the field is zero.
void SetFaceName(LogFontA& font, std::string_view face);
std::string FaceName(const LogFontA& font);

// --- The table -----------------------------------------------------------------------------

enum class SettingKind {
    kInt,       // int member, written "%d"
    kColor,     // COLORREF member, written "%d" of its bits
    kString,    // string member
    kNumChar,   // m_numChar[index]
    kFontInt,   // 32-bit field of m_logFont[index]
    kFontByte,  // 8-bit field of m_logFont[index]: low 8 bits of the number read, written unsigned
    kFontFace,  // face name of m_logFont[index]
};

struct SettingRow {
    std::string_view section = {};
    std::string_view key = {};
    SettingKind kind = SettingKind::kInt;
    int Settings::*intMember = nullptr;
    uint32_t Settings::*colorMember = nullptr;
    std::string Settings::*textMember = nullptr;
    int32_t LogFontA::*fontInt = nullptr;
    uint8_t LogFontA::*fontByte = nullptr;
    int index = 0;       // digit of a NUMCHAR row, font set of a font row
    int activeSet = -1;  // window position rows: used only while this set is active
    int32_t intDefault = 0;
    std::string_view textDefault = {};
};

// Every row, in the order a save writes them.
std::span<const SettingRow> SettingRows();

// The keys in the order a load reads them. The window rows of the inactive set are skipped.
std::span<const std::string_view> SettingLoadOrder();

}  // namespace pelto
