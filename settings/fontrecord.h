// The one-line text form in which font settings are stored: thirteen numbers and the face name,
// "%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%d,%s".
#pragma once
#include <optional>
#include <string>
#include "gfx/font.h"

std::string KvFormatFontRecord(const LOGFONT& font);
// Nothing for a record with fewer than 13 commas. The face name is the rest after the 13th
// comma, at most 31 characters.
std::optional<LOGFONT> KvParseFontRecord(const std::string& record);
