// COptions: the options dialog, the one editor of the settings. A frame with a tree of pages on
// the left and the selected page on the right; pages are child dialogs made when first shown.
// Opening reads every setting into a copy; OK lets every page that exists check and store its
// controls into the copy, then writes the whole copy back in a fixed order and pushes a few values
// to the running tab strip; Cancel drops the copy.
#pragma once
#include "settings/favourites.h"
#include <array>
#include <memory>
#include <string>
#include <vector>
#include "settings/applied.h"
#include "settings/settings.h"
#include "win/types.h"

// The settings as the dialog holds them while it is open (index = setting number).
struct COptionsValues {
    std::array<int, kSettingCount + 1> number{};
    std::array<std::string, kSettingCount + 1> text{};
    int& num(SettingId id) { return number[std::size_t(id)]; }
    std::string& str(SettingId id) { return text[std::size_t(id)]; }
    int num(SettingId id) const { return number[std::size_t(id)]; }
    const std::string& str(SettingId id) const { return text[std::size_t(id)]; }
};

// Every setting read now; the password is shown in the clear.
COptionsValues KvReadOptionsValues();
// The order in which OK writes the settings back (2, 3, 4, 32 and 33 are not among them).
const std::vector<SettingId>& KvOptionsWriteOrder();
// Writes the values back in that order, as one grouped save. The password is stored scrambled when
// "Save Password" is on and empty otherwise.
void KvWriteOptionsValues(const COptionsValues& values);

// Rules of the pages' boxes.
// The leading decimal integer of a box's text (an optional sign, then digits); 0 when there is none.
int KvOptionsNumber(const std::string& text);
// The save command as the box shows it: the stored command with one trailing space, or
// "'_ZOOM _Extents " for a stored command shorter than 2 characters.
std::string KvSaveCommandShown(const std::string& stored);
// The save command as it is stored: trailing spaces trimmed, one space appended; empty gives
// "'_ZOOM _Extents ".
std::string KvSaveCommandStored(const std::string& box);
// The outline width box: 1 to 8, anything else 8.
int KvOutlineWidthFromText(const std::string& box);
// The similar-name positions are held in one byte.
int KvSimilarPositionFromText(const std::string& box);

// The colour picker's sixteen custom colours, kept from one dialog to the next by its caller.
using KvCustomColours = std::array<COLORREF, 16>;

// The dialog, modal, with `parent` as owner: true when it ended with OK. `strip` hands the dialog
// the lists it edits and takes what it applies.
bool KvShowOptionsDialog(HWND parent, KvSettingsApplied& strip, KvCustomColours& customColours);
