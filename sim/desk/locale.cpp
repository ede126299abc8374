// The user's locale for number formatting: English (United States) rules unless a test or script
// sets other separators.
#include "sim/desk/locale.h"

#include <cctype>
#include "win/system.h"

namespace sim::desk {
UserLocale& userLocale() {
    static UserLocale locale;
    return locale;
}
}  // namespace sim::desk

int GetLocaleInfo(LCID, UINT item, std::string* text) {
    const auto& l = sim::desk::userLocale();
    std::string value;
    if (item == LOCALE_SDECIMAL) value = l.decimal;
    else if (item == LOCALE_STHOUSAND) value = l.thousand;
    else return 0;
    if (text) *text = value;
    return int(value.size()) + 1;
}

int GetNumberFormat(LCID, DWORD, const std::string& value, const NUMBERFMT* format, std::string* out) {
    NUMBERFMT f;
    if (format) {
        f = *format;
    } else {
        const auto& l = sim::desk::userLocale();
        f.NumDigits = 2;
        f.lpDecimalSep = l.decimal;
        f.lpThousandSep = l.thousand;
    }
    std::string text = value;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) text.erase(0, 1);
    const size_t dot = text.find('.');
    std::string whole = text.substr(0, dot), fraction = dot == std::string::npos ? "" : text.substr(dot + 1);
    if (whole.empty() && fraction.empty()) return 0;
    for (char c : whole + fraction)
        if (!std::isdigit(static_cast<unsigned char>(c))) return 0;
    if (whole.empty()) whole = "0";
    // Rounds half up to NumDigits.
    if (fraction.size() > f.NumDigits) {
        const bool up = fraction[f.NumDigits] >= '5';
        fraction.resize(f.NumDigits);
        std::string digits = whole + fraction;
        for (size_t i = digits.size(); up && i-- > 0;) {
            if (digits[i] == '9') {
                digits[i] = '0';
                if (i == 0) digits.insert(0, "1");
            } else {
                ++digits[i];
                break;
            }
        }
        whole = digits.substr(0, digits.size() - fraction.size());
        fraction = digits.substr(digits.size() - fraction.size());
    }
    fraction.resize(f.NumDigits, '0');
    while (whole.size() > 1 && whole[0] == '0') whole.erase(0, 1);
    if (whole.empty() && f.LeadingZero) whole = "0";
    std::string grouped;
    for (size_t i = 0; i < whole.size(); ++i) {
        if (f.Grouping && i && (whole.size() - i) % f.Grouping == 0) grouped += f.lpThousandSep;
        grouped += whole[i];
    }
    std::string result = (negative ? "-" : "") + grouped + (f.NumDigits ? f.lpDecimalSep + fraction : "");
    if (out) *out = result;
    return int(result.size()) + 1;
}
