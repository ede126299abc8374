// The desktop's common controls, seen from the dialog manager and the script verbs: class
// registration, painting helpers shared with dialogs, and the user's actions on a control as the
// mouse and keyboard would do them.
#pragma once
#include <optional>
#include <stdexcept>
#include <string>
#include "gfx/canvas.h"
#include "win/controls.h"

namespace sim::desk {
class WindowManager;

// A user action that cannot be done (a disabled control, no such row): the verb reports it.
struct ActionError : std::runtime_error {
    using std::runtime_error::runtime_error;
};

void registerControlClasses(WindowManager& wm);
void registerTooltipClass(WindowManager& wm);
// The text of the tooltip tool that covers the control, if any tooltip has one.
std::optional<std::string> tooltipTextOf(HWND control);
// The font controls use until WM_SETFONT gives them one (the desktop's message font).
HFONT defaultControlFont();
// The font a control or dialog was given (WM_SETFONT), else the default.
HFONT controlFont(HWND wnd);
// "&Open" shows as "Open"; "&&" as "&".
std::string stripMnemonic(const std::string& text);
void forgetControls();

// User actions. Each throws ActionError with the reason when the user could not do it.
void userClick(HWND control);                                  // buttons
void userSetText(HWND control, const std::string& text);      // edit, editable combo, up-down
void userCheck(HWND control, bool on, const std::string& row);  // check boxes, radio buttons, list view rows
void userSelect(HWND control, const std::string& indexOrText); // list, combo, list view, tree view
void userDoubleClick(HWND control, const std::string& row);    // list box, list view, tree view
void userRightClick(HWND control, const std::string& row);     // list view, tree view
void userColumnClick(HWND control, int column);               // list view header
// The control's class-specific state for @dialog dump ("checked", "sel=1 \"b\"", ...).
std::string describeControl(HWND control);
}  // namespace sim::desk

namespace sim::desk {
// Shared by the controls' files.
namespace theme {
constexpr COLORREF kText = RGB(0, 0, 0);
constexpr COLORREF kGrayText = RGB(109, 109, 109);
constexpr COLORREF kWindow = RGB(255, 255, 255);
constexpr COLORREF kListBorder = RGB(130, 135, 144);
constexpr COLORREF kEditBorder = RGB(122, 122, 122);
constexpr COLORREF kDisabledBorder = RGB(204, 204, 204);
constexpr COLORREF kButtonFill = RGB(225, 225, 225);
constexpr COLORREF kButtonBorder = RGB(173, 173, 173);
constexpr COLORREF kAccent = RGB(0, 120, 215);
constexpr COLORREF kSelection = RGB(204, 232, 255);
constexpr COLORREF kSelectionBorder = RGB(153, 209, 255);
constexpr COLORREF kGlyph = RGB(51, 51, 51);
}  // namespace theme
// A 13-pixel check box at (x, y).
void paintCheckBox(HDC dc, int x, int y, UINT state, bool enabled);
// An antialiased filled circle (centre and radius in pixels).
void fillCircle(HDC dc, double cx, double cy, double r, COLORREF colour);
// A small chevron centred in the rectangle, pointing the given way.
enum class Chevron { Up, Down, Left, Right };
void paintChevron(HDC dc, const RECT& r, Chevron direction, COLORREF colour);
// Text height of the font (ascent plus descent).
int fontHeight(HFONT font);
// Sends the parent a WM_COMMAND notification / a WM_NOTIFY record from the control.
LRESULT notifyParent(HWND control, WORD code);
LRESULT notifyParent(HWND control, NMHDR* header);
// Index or text argument: all digits is an index, anything else a text.
bool parseIndex(const std::string& s, int* index);
}  // namespace sim::desk
