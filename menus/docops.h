// Operations over several drawings at once (save all, close the marked tabs, close all, keep only
// the current drawing, change to link tabs). A plug-in cannot save and close drawings in a loop
// from one call: each drawing must be current and the work must run as commands in it. So the tabs
// to visit go into the tab control's pending-operation queue with a mode; the head drawing is made
// current; its activation runs the mode's step, which ends by sending "KV_COMMANDLOOP " (dropping
// the head and starting the next) or closes the drawing (whose closing drops it from the queue).
#pragma once
#include <string>
#include "win/types.h"

// Menu commands of the operations.
constexpr UINT ID_KV_CLOSE_ALL = 10003;
constexpr UINT ID_KV_CLOSE = 10004;
constexpr UINT ID_KV_SELECTED_CLOSE = 10005;
constexpr UINT ID_KV_SAVEALL = 10019;
constexpr UINT ID_KV_OTHER_FOLDER_SAVEALL = 10020;
constexpr UINT ID_KV_ONLY_CURRENT = 10024;
constexpr UINT ID_KV_NOSAVE_CLOSE_ALL = 10025;
constexpr UINT ID_KV_OTHER_ACAD_OPEN = 10026;
constexpr UINT ID_KV_CLOSE_ALL_EXIT = 10027;
constexpr UINT ID_KV_NOSAVE_CLOSE_ALL_EXIT = 10028;
constexpr UINT ID_KV_CHANGE_TO_LINK = 10029;

// The save question: "Yes" (IDYES), "No" (IDNO) or "Cancel" (IDCANCEL), and whether "Apply All"
// was ticked.
class AcKvUiMsgDialog {
public:
    explicit AcKvUiMsgDialog(std::string message) : message_(std::move(message)) {}
    INT_PTR DoModal();
    bool applyAll = false;

private:
    std::string message_;
};
