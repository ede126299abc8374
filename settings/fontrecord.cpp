#include "settings/fontrecord.h"

#include <cstdlib>
#include <vector>

std::string KvFormatFontRecord(const LOGFONT& f) {
    char buf[160];
    std::snprintf(buf, sizeof buf, "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,", int(f.lfHeight), int(f.lfWidth),
                  int(f.lfEscapement), int(f.lfOrientation), int(f.lfWeight), f.lfItalic, f.lfUnderline, f.lfStrikeOut,
                  f.lfCharSet, f.lfOutPrecision, f.lfClipPrecision, f.lfQuality, f.lfPitchAndFamily);
    return buf + f.lfFaceName;
}

std::optional<LOGFONT> KvParseFontRecord(const std::string& record) {
    std::vector<long> fields;
    size_t pos = 0;
    for (int i = 0; i < 13; ++i) {
        const size_t comma = record.find(',', pos);
        if (comma == std::string::npos) return std::nullopt;
        fields.push_back(std::strtol(record.substr(pos, comma - pos).c_str(), nullptr, 10));
        pos = comma + 1;
    }
    LOGFONT f;
    f.lfHeight = LONG(fields[0]);
    f.lfWidth = LONG(fields[1]);
    f.lfEscapement = LONG(fields[2]);
    f.lfOrientation = LONG(fields[3]);
    f.lfWeight = LONG(fields[4]);
    f.lfItalic = BYTE(fields[5]);
    f.lfUnderline = BYTE(fields[6]);
    f.lfStrikeOut = BYTE(fields[7]);
    f.lfCharSet = BYTE(fields[8]);
    f.lfOutPrecision = BYTE(fields[9]);
    f.lfClipPrecision = BYTE(fields[10]);
    f.lfQuality = BYTE(fields[11]);
    f.lfPitchAndFamily = BYTE(fields[12]);
    // At most 31 characters (code points, so that a face name in Korean is never cut mid-letter).
    size_t end = pos;
    for (int chars = 0; end < record.size() && chars < 31; ++chars) {
        ++end;
        while (end < record.size() && (static_cast<unsigned char>(record[end]) & 0xC0) == 0x80) ++end;
    }
    f.lfFaceName = record.substr(pos, end - pos);
    return f;
}
