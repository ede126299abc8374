// Operations over several drawings at once (save all, close the marked tabs, close all, keep only
// the current drawing, change to link tabs). A plug-in cannot save and close drawings in a loop
// from one call: each drawing must be current and the work must run as commands in it. So the tabs
// to visit go into the tab control's pending-operation queue with a mode; the head drawing is made
// current; its activation runs the mode's step, which ends by sending "KV_COMMANDLOOP " (dropping
// the head and starting the next) or closes the drawing (whose closing drops it from the queue).
#pragma once
#include <string>
#include <vector>
#include "tabstrip/queue.h"
#include "win/types.h"

class AcApDocument;
class AcKvUiTabCtrl;
class AcKvUiTabPanel;
struct CItemData;

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

// KvTabOperations: runs the operations over several drawings through the tab control's queue, and
// keeps what a run needs between its steps (the save question's answer, the target folder, the
// command a step waits for). The module's root owns the one instance.
class KvTabOperations {
public:
    // Works on the tabs of `panel`, which outlives this object.
    explicit KvTabOperations(AcKvUiTabPanel& panel);
    KvTabOperations(const KvTabOperations&) = delete;
    KvTabOperations& operator=(const KvTabOperations&) = delete;

    // The running operation stops: nothing queued, idle, no step waiting for a command to end.
    void StopOperation();
    // KV_COMMANDLOOP in `doc`: the head is done; the next entry starts, or after the last one the
    // operation's final command (close all, quit) is sent and the queue goes idle.
    void OnCommandLoop(AcApDocument* doc);
    // A command of the current drawing ended, or was cancelled or failed (editor reactor): a step
    // waiting for it sends what follows it; a step's command that did not complete ends the run.
    void OnCommandEnded(const std::string& name);
    void OnCommandStopped(const std::string& name);
    // A tab's item leaves the queue (its drawing closed or its tab went); when it was the head,
    // the next entry starts once the host is back in its message loop.
    void DropFromQueue(const CItemData* item);
    // Runs the mode's work for the drawing that became current, with the head entry, once per
    // head. True when the step ran.
    bool RunQueueStep(AcApDocument* doc, CItemData* head);
    // Fills the queue for an operation and starts its head.
    void StartOperation(KvQueueMode mode, const std::vector<CItemData*>& items);
    // Starts the queue's head entry.
    void StartQueueHead();
    // Closes a drawing, asking first whether to save it when it has changes (unless an earlier
    // answer applies to all). False when the user cancelled.
    bool CloseWithPrompt(AcApDocument* doc);
    // The save of a step (QSAVE unless `save` is false or the drawing is read-only), then the
    // queue moves on.
    void SaveStep(AcApDocument* doc, bool save);
    // Save All to Other Folder: a copy of the drawing in the target folder, then its own save.
    void CopyStep(AcApDocument* doc, CItemData* head);
    // Sends `text` to `doc` and `then` once the command `command` has ended there.
    void SendAfter(AcApDocument* doc, const std::string& command, const std::string& text, const std::string& then);
    // Closes the drawings of the marked tabs.
    void CloseMarked();
    // Opens a drawing in a second host instance started through automation, its frame maximised
    // on the first monitor that is not the primary one.
    void OpenInOtherHost(const std::string& path);
    // The operation behind a menu command id, `menuItem` the tab the context menu was opened for
    // (null: the selected tab); false when the id is not one of them.
    bool OnDocOperation(UINT id, CItemData* menuItem);

    int lastAnswer = 7;         // the save question's last answer (IDYES, IDNO, IDCANCEL)
    int applyToAll = 0;         // reuse the last answer without asking
    std::string targetFolder;   // where "Save All to Other Folder" saved last

private:
    void ForgetAwaitedCommand();
    // The head entry's turn: its drawing made current (or its link opened), or its step run.
    void runQueueHead();

    AcKvUiTabPanel& panel_;
    AcKvUiTabCtrl& tab_;   // the panel's tab control
    // What a step waits for: the command that must end in the drawing before `awaitText_` is sent.
    AcApDocument* awaitDoc_ = nullptr;
    std::string awaitCommand_, awaitText_;
    // The copies the running "Save All to Other Folder" wrote (folded paths): none is overwritten.
    std::vector<std::string> runCopies_;
};

// The loaded module's operations, or null before start-up and after unload.
KvTabOperations* KvStripOperations();
