#include "app/settings.h"

#include <cstring>

#include "app/cp932.h"

namespace pelto {
namespace {

const SettingRow* FindRow(std::string_view key) {
    for (const SettingRow& row : SettingRows())
        if (row.key == key) return &row;
    return nullptr;
}

// Window rows belong to one set; every other row always applies.
bool Applies(const SettingRow& row, const Settings& s) {
    return row.activeSet < 0 || row.activeSet == (s.m_fontSet != 0 ? 1 : 0);
}

void LoadRow(const SettingRow& row, Settings& s, const ProfileFile& file) {
    switch (row.kind) {
        case SettingKind::kInt:
            s.*row.intMember = file.GetInt(row.section, row.key, row.intDefault);
            break;
        case SettingKind::kColor:
            s.*row.colorMember = static_cast<uint32_t>(file.GetInt(row.section, row.key, row.intDefault));
            break;
        case SettingKind::kString:
            s.*row.textMember = file.GetString(row.section, row.key, row.textDefault);
            break;
        case SettingKind::kNumChar:
            s.m_numChar[static_cast<size_t>(row.index)] =
                file.GetString(row.section, row.key, row.textDefault);
            break;
        case SettingKind::kFontInt:
            s.m_logFont[row.index].*row.fontInt = file.GetInt(row.section, row.key, row.intDefault);
            break;
        case SettingKind::kFontByte:
            s.m_logFont[row.index].*row.fontByte =
                static_cast<uint8_t>(file.GetInt(row.section, row.key, row.intDefault) & 0xFF);
            break;
        case SettingKind::kFontFace:
            SetFaceName(s.m_logFont[row.index], file.GetString(row.section, row.key, row.textDefault));
            break;
    }
}

void SaveRow(const SettingRow& row, const Settings& s, ProfileFile& file) {
    switch (row.kind) {
        case SettingKind::kInt:
            file.WriteInt(row.section, row.key, s.*row.intMember);
            break;
        case SettingKind::kColor:
            file.WriteInt(row.section, row.key, static_cast<int32_t>(s.*row.colorMember));
            break;
        case SettingKind::kString:
            file.WriteString(row.section, row.key, ProfileFile::ReadableForm(s.*row.textMember));
            break;
        case SettingKind::kNumChar:
            file.WriteString(row.section, row.key,
                             ProfileFile::ReadableForm(s.m_numChar[static_cast<size_t>(row.index)]));
            break;
        case SettingKind::kFontInt:
            file.WriteInt(row.section, row.key, s.m_logFont[row.index].*row.fontInt);
            break;
        case SettingKind::kFontByte:
            file.WriteString(row.section, row.key,
                             std::to_string(unsigned{s.m_logFont[row.index].*row.fontByte}));
            break;
        case SettingKind::kFontFace:
            file.WriteString(row.section, row.key,
                             ProfileFile::ReadableForm(FaceName(s.m_logFont[row.index])));
            break;
    }
}

}  // namespace

void LoadSettings(Settings& settings, const ProfileFile& file) {
    settings.m_logFont[0] = LogFontA{};
    settings.m_logFont[1] = LogFontA{};
    for (std::string_view key : SettingLoadOrder()) {
        const SettingRow* row = FindRow(key);
        if (row != nullptr && Applies(*row, settings)) LoadRow(*row, settings, file);
    }
}

void SaveSettings(const Settings& settings, ProfileFile& file) {
    for (const SettingRow& row : SettingRows())
        if (Applies(row, settings)) SaveRow(row, settings, file);
}

void ReadWindowPosition(const ProfileFile& file, int set, int defaultX, int defaultY, int& x, int& y) {
    const char* const keyX = set != 0 ? "WNDPOINTX_1" : "WNDPOINTX_0";
    const char* const keyY = set != 0 ? "WNDPOINTY_1" : "WNDPOINTY_0";
    x = file.GetInt(kClockSection, keyX, defaultX);
    y = file.GetInt(kClockSection, keyY, defaultY);
}

void SetFaceName(LogFontA& font, std::string_view face) {
    face = face.substr(0, face.find('\0'));
    const size_t n = cp932::FitPrefix(face, kLfFaceSize - 1);
    std::memset(font.lfFaceName, 0, sizeof font.lfFaceName);
    std::memcpy(font.lfFaceName, face.data(), n);
}

std::string FaceName(const LogFontA& font) {
    const char* end = static_cast<const char*>(std::memchr(font.lfFaceName, '\0', sizeof font.lfFaceName));
    return std::string(font.lfFaceName, end != nullptr ? end : font.lfFaceName + sizeof font.lfFaceName);
}

}  // namespace pelto
