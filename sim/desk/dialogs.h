// The simulator's side of dialogs, common dialogs, the shell, the clipboard and popup menus: what
// the script verbs and the tests reach that the plug-in does not.
#pragma once
#include <functional>
#include <optional>
#include <string>
#include <vector>
#include "win/types.h"

namespace sim::script { class Runner; }
struct HDC__;

namespace sim::desk {

// ---- The script feed ------------------------------------------------------------------------------
// A modal dialog's nested loop runs the script's next lines while it is open, so that the line that
// opens a dialog returns when the dialog has closed and the @dialog lines after it act on it. The
// feed runs one more line and returns false when there is none; the script runner installs it
// while it runs (tests install their own). With no feed, or the feed exhausted, an open modal dialog
// is cancelled as Escape would cancel it.
using ScriptFeed = std::function<bool()>;
ScriptFeed setScriptFeed(ScriptFeed feed);   // returns the previous feed
// Interactive use, when no script feeds the dialog: what a modal loop runs while the dialog is
// open (the terminal's "Dialog: " lines, or the live window's events).
void setInteractiveDialogFeed(ScriptFeed feed);

// ---- Open dialogs -------------------------------------------------------------------------------
// The most recently opened top-level dialog that is still open and visible; null when none.
HWND topDialog();
// One line per control: id, class, text and state.
std::string dumpDialog(HWND dialog);
// A control of the dialog or of a dialog inside it (property pages) by id; null when none.
HWND findDialogControl(HWND dialog, int id);
// Result of the last modal dialog that ended, and its template id (tests).
struct DialogRecord { int templateId = 0; std::string title; INT_PTR result = 0; };
const std::vector<DialogRecord>& closedDialogs();

// ---- Scripted answers ---------------------------------------------------------------------------
// Files for the next open or save dialog; an empty list answers with Cancel.
void queueFiles(std::vector<std::string> paths);
// The folder for the next folder picker; empty answers with Cancel.
void queueFolder(std::string path);
struct FontAnswer { std::string face; int points = 10; bool bold = false, italic = false; std::optional<COLORREF> colour; };
void queueFont(std::optional<FontAnswer> font);             // nullopt answers with Cancel
void queueColour(std::optional<COLORREF> colour);          // nullopt answers with Cancel
// A popup menu pick by its text ("Parent>Child"; "#N" names the item at position N).
void queueMenuPick(std::string path);

// What the plug-in asked of the common dialogs (tests check titles, filters and start folders).
struct FileDialogRecord { bool save = false; std::string title, filter, initialDir; DWORD flags = 0; DWORD maxFile = 0; };
const std::vector<FileDialogRecord>& fileDialogs();
struct FolderDialogRecord { std::string title, startFolder; };
const std::vector<FolderDialogRecord>& folderDialogs();

// ---- Shell, clipboard, menus ----------------------------------------------------------------------
struct ShellRequest { std::string verb, file, parameters, directory; int show = 0; };
const std::vector<ShellRequest>& shellRequests();
// Text on the clipboard; nullopt when it holds none.
std::optional<std::string> clipboardText();
struct TrackedMenu { std::string dump; UINT flags = 0; int x = 0, y = 0; HWND owner = nullptr; UINT picked = 0; };
// The last menu tracked (its dump is taken when tracked: the menu is usually destroyed after).
std::optional<TrackedMenu> lastTrackedMenu();
// A picture of the last menu tracked, with the submenus of the picked entry open, as PNG.
bool writeLastMenuPicture(const std::string& path);
// Interactive use with a live pointer: tracks a popup menu shown at the screen point while no
// pick is queued, and returns the picked entry's path (positions down the submenus); nothing when
// the person dismissed the menu.
std::function<std::optional<std::vector<size_t>>(HMENU, POINT)>& liveMenuTracker();
// A picture of a menu with the submenus along `path` open (the caller deletes it with DeleteDC).
HDC__* renderMenuPicture(HMENU menu, const std::vector<size_t>& path);
// The entry under `at` (relative to the menu's top left corner) with the submenus along `open`
// shown: its path, its MF_ flags and its text as a pick names it.
struct MenuRow { std::vector<size_t> path; UINT flags = 0; std::string text; };
std::optional<MenuRow> menuRowAt(HMENU menu, const std::vector<size_t>& open, POINT at);

// ---- Script verbs -------------------------------------------------------------------------------
// @dialog, @cancel-dialog, @files, @folder, @font, @color, @clipboard, @menu, @menu-dump.
void registerDialogVerbs(sim::script::Runner& runner);

}  // namespace sim::desk
