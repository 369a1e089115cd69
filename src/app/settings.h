#pragma once
// TEMPORARY: the settings members only; the settings file layer replaces this header.
#include <cstdint>
#include <string>

namespace pelto {

struct LogFontA {
    int32_t lfHeight = 0;
    int32_t lfWidth = 0;
    int32_t lfEscapement = 0;
    int32_t lfOrientation = 0;
    int32_t lfWeight = 0;
    uint8_t lfItalic = 0;
    uint8_t lfUnderline = 0;
    uint8_t lfStrikeOut = 0;
    uint8_t lfCharSet = 0;
    uint8_t lfOutPrecision = 0;
    uint8_t lfClipPrecision = 0;
    uint8_t lfQuality = 0;
    uint8_t lfPitchAndFamily = 0;
    char lfFaceName[32] = {};
};

struct Settings {
    std::string m_numChar[10];
    std::string m_colChar;
    int m_hour24 = 0;
    int m_showSeconds = 0;
    int m_topMost = 0;
    int m_windowX = 0;
    int m_windowY = 0;
    LogFontA m_logFont[2];
    int m_fontSet = 0;
    uint32_t m_onlineColor = 0;
    uint32_t m_offlineColor = 0;
    int m_fullAuto = 0;
    int m_exec = 0;
    int m_rasCheck = 0;
    int m_useHttp = 0;
    int m_cycle = 0;
    std::string m_ntpServer1;
    std::string m_ntpServer2;
    std::string m_httpUrl1;
    std::string m_httpUrl2;
};

}  // namespace pelto
