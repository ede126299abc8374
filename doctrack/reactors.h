// The host reactors: the tab strip follows the host's documents and windows; saves keep each
// drawing's format; PLOT disables the bar; queued operations advance on activation.
#pragma once
#include <map>
#include <memory>
#include "arx/docman.h"
#include "doctrack/events.h"

class AcKvDocReactor : public AcApDocManagerReactor {
public:
    AcKvDocReactor(KvDocumentEvents& events, bool autoRegister);
    ~AcKvDocReactor() override;
    void documentCreated(AcApDocument* doc) override;
    void documentToBeDestroyed(AcApDocument* doc) override;
    void documentCreateCanceled(AcApDocument* doc) override;
    void documentActivated(AcApDocument* doc) override;

private:
    KvDocumentEvents& events_;
    bool registered_ = false;
};

class AcKvDocWindowReactor : public AcApDocWindowReactor {
public:
    // One reactor per window; the window it watches comes with each notification.
    AcKvDocWindowReactor(KvDocumentEvents& events, AcApDocWindow*) : events_(events) {}
    void documentWindowLoaded(AcApDocWindow* window) override;

private:
    KvDocumentEvents& events_;
};

class AcKvDocWindowManagerReactor : public AcApDocWindowManagerReactor {
public:
    AcKvDocWindowManagerReactor(KvDocumentEvents& events, bool autoRegister);
    ~AcKvDocWindowManagerReactor() override;
    void documentWindowCreated(AcApDocWindow* window) override;
    void documentWindowActivated(AcApDocWindow* window) override;
    void documentWindowDestroyed(AcApDocWindow* window) override;
    void documentWindowReplaced(AcApDocWindow* newWindow, AcApDocWindow* oldWindow) override;

private:
    void attach(AcApDocWindow* window);
    void destroyed(AcApDocWindow* window);
    KvDocumentEvents& events_;
    bool registered_ = false;
    std::map<AcApDocWindow*, AcKvDocWindowReactor*> windows_;
};

class AcKvEdReactor : public AcEditorReactor {
public:
    AcKvEdReactor(KvDocumentEvents& events, bool autoRegister);
    ~AcKvEdReactor() override;
    void saveComplete(AcDbDatabase* db, const std::string& fileName) override;
    void commandWillStart(const std::string& name) override;
    void commandEnded(const std::string& name) override;
    void commandCancelled(const std::string& name) override;
    void commandFailed(const std::string& name) override;
    void lispEnded() override;
    void sysVarChanged(const std::string& name, bool success) override;
    void mainFrameMovedOrResized(HWND frame, bool moved) override;

private:
    void clearSaveFlags();
    void enableBarAfterPlot(const std::string& name);
    // Gives the host back the default save format that a kept-version save replaced.
    void restoreDefaultFormat();
    KvDocumentEvents& events_;
    bool registered_ = false;
    int replacedDefaultFormat_ = -1;   // the host's default before a kept-version save; -1 none
    bool saving_ = false, quickSave_ = false, saveAs_ = false, barDisabledForPlot_ = false;
};

// The input-method rule: back to alphanumeric mode when the English-IME flag is set.
void KvApplyInputMethodRule();

// The three long-lived reactors of start-up; they tell `events` (which must outlive them) what
// happened.
class KvReactors {
public:
    void Create(KvDocumentEvents& events);
    void Delete();

private:
    std::unique_ptr<AcKvDocReactor> document_;
    std::unique_ptr<AcKvEdReactor> editor_;
    std::unique_ptr<AcKvDocWindowManagerReactor> windows_;
};
