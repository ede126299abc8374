// Documents, document windows, their managers and reactors, and the drawing database subset,
// in ObjectARX shape.
#pragma once
#include <map>
#include <memory>
#include <string>
#include <vector>
#include "arx/acrx.h"
#include "arx/geometry.h"
#include "win/types.h"

// Drawing-file version codes of the database (originalFileVersion, lastSavedAsVersion).
namespace AcDb {
enum AcDbDwgVersion {
    kDHL_MC0_0 = 0,                                     // the oldest formats: 0 to 15
    kDHL_1009 = 16, kDHL_1010 = 17, kDHL_1011 = 18,   // R11/R12
    kDHL_1012 = 19,                                     // R13
    kDHL_1013 = 20, kDHL_1014 = 21,                     // R14
    kDHL_1500 = 22, kDHL_1015 = 23,                     // 2000
    kDHL_1800a = 24, kDHL_1800 = 25,                    // 2004
    kDHL_2100a = 26, kDHL_1021 = 27,                    // 2007
    kDHL_2400a = 28, kDHL_1024 = 29,                    // 2010
    kDHL_2700a = 30, kDHL_1027 = 31,                    // 2013
    kDHL_3200a = 32, kDHL_1032 = 33,                    // 2018
    kDHL_Unknown = 32766,
    kDHL_Max = 32767,
};
}  // namespace AcDb

struct AcDbSummaryInfo {
    std::string title, subject, author, keywords, comments, lastSavedBy, revisionNumber, hyperlinkBase;
    std::vector<std::pair<std::string, std::string>> custom;
};

// Saved layer states of a drawing.
class AcDbLayerStateManager {
public:
    virtual ~AcDbLayerStateManager() = default;
    // Bit of a layer state's mask: the state restored last.
    static constexpr int kLastRestored = 0x10000;
    virtual Acad::ErrorStatus restoreLayerState(const std::string& name) = 0;
};

class AcDbDatabase {
public:
    virtual ~AcDbDatabase() = default;
    virtual std::string getFilename() const = 0;
    virtual AcDb::AcDbDwgVersion originalFileVersion() const = 0;
    virtual AcDb::AcDbDwgVersion lastSavedAsVersion() const = 0;
    virtual int numberOfSaves() const = 0;
    virtual int approxNumObjects() const = 0;
    virtual AcDbSummaryInfo summaryInfo() const = 0;
    virtual std::vector<std::string> layoutNames() const = 0;
    virtual std::string currentLayout() const = 0;
    virtual std::vector<std::string> viewNames(bool paperSpace) const = 0;
    virtual std::vector<std::pair<std::string, int>> layerStates() const = 0;  // name, mask
    virtual AcDbLayerStateManager* getLayerStateManager() = 0;
    // Writes the drawing to `path` in the format of `version` (a .bak of a file already there when
    // `bakAndRename`); the document keeps its own name.
    virtual Acad::ErrorStatus saveAs(const std::string& path, bool bakAndRename, AcDb::AcDbDwgVersion version) = 0;
    // Writes the drawing to `path` as a DXF file of the release of `version`, with `precision`
    // decimal places; the document keeps its own name.
    virtual Acad::ErrorStatus dxfOut(const std::string& path, int precision, AcDb::AcDbDwgVersion version) = 0;
    // Model-space extents (EXTMIN/EXTMAX) as last updated; updateExt recomputes them from the
    // objects, references to other drawings included. Empty extents read as min above max.
    virtual AcGePoint3d extmin() const = 0;
    virtual AcGePoint3d extmax() const = 0;
    virtual Acad::ErrorStatus updateExt(bool bestFit = false) = 0;
    // Copies the objects of `source`'s model space into this database's model space, transformed.
    // With `preserveSourceDatabase` the source is left as it was.
    virtual Acad::ErrorStatus insert(const AcGeMatrix3d& transform, AcDbDatabase* source,
                                     bool preserveSourceDatabase = true) = 0;
};
// The database's modified state (DBMOD); setting returns the state before.
int acdbGetDbmod(AcDbDatabase* db);
int acdbSetDbmod(AcDbDatabase* db, int value);

class AcApDocument {
public:
    // Save formats: release base plus kind offset (0 dwg, 1 dxf, 2 dwt, 3 dws, 4 xml).
    enum SaveFormat {
        kUnknown = -1,
        kR12_dxf = 1,
        kR13_dwg = 4, kR13_dxf = 5,
        kR14_dwg = 8, kR14_dxf = 9,
        k2000_dwg = 12, k2000_dxf = 13, k2000_Template = 14, k2000_Standard = 15, k2000_xml = 16,
        k2004_dwg = 24, k2004_dxf = 25, k2004_Template = 26, k2004_Standard = 27,
        k2007_dwg = 36, k2007_dxf = 37, k2007_Template = 38, k2007_Standard = 39,
        k2010_dwg = 48, k2010_dxf = 49, k2010_Template = 50, k2010_Standard = 51,
        k2013_dwg = 60, k2013_dxf = 61, k2013_Template = 62, k2013_Standard = 63,
        k2018_dwg = 64, k2018_dxf = 65, k2018_Template = 66, k2018_Standard = 67,
        kNative = k2018_dwg,
    };
    virtual ~AcApDocument() = default;
    virtual std::string fileName() const = 0;
    virtual std::string docTitle() const = 0;
    virtual AcDbDatabase* database() const = 0;
    virtual SaveFormat formatForSave() const = 0;
    virtual bool isQuiescent() const = 0;
    virtual bool isReadOnly() const = 0;
    virtual bool isCommandInputInactive() const = 0;
};

class AcApDocWindow {
public:
    virtual ~AcApDocWindow() = default;
    virtual AcApDocument* document() const = 0;   // null for windows that are not drawings
    virtual std::string title() const = 0;
    virtual void activate() = 0;
    virtual bool canClose() const = 0;
    virtual void close() = 0;
    virtual HWND windowHandle() const = 0;
    virtual bool isMinimized() const = 0;
};

class AcApDocumentIterator {
public:
    virtual ~AcApDocumentIterator() = default;
    virtual bool done() const = 0;
    virtual void step() = 0;
    virtual AcApDocument* document() = 0;
};

// ---- Reactors ------------------------------------------------------------------------------
class AcApDocManagerReactor {
public:
    virtual ~AcApDocManagerReactor() = default;
    virtual void documentCreateStarted(AcApDocument*) {}
    virtual void documentCreated(AcApDocument*) {}
    virtual void documentToBeDestroyed(AcApDocument*) {}
    virtual void documentDestroyed(const std::string& /*fileName*/) {}
    virtual void documentCreateCanceled(AcApDocument*) {}
    virtual void documentToBeActivated(AcApDocument*) {}
    virtual void documentToBeDeactivated(AcApDocument*) {}
    virtual void documentActivated(AcApDocument*) {}
    virtual void documentBecameCurrent(AcApDocument*) {}
    virtual void documentActivationModified(bool /*newValue*/) {}
};

class AcEditorReactor {
public:
    virtual ~AcEditorReactor() = default;
    virtual void commandWillStart(const std::string& /*cmdName*/) {}
    virtual void commandEnded(const std::string& /*cmdName*/) {}
    virtual void commandCancelled(const std::string& /*cmdName*/) {}
    virtual void commandFailed(const std::string& /*cmdName*/) {}
    virtual void lispWillStart(const std::string& /*firstLine*/) {}
    virtual void lispEnded() {}
    virtual void lispCancelled() {}
    virtual void sysVarChanged(const std::string& /*varName*/, bool /*success*/) {}
    virtual void saveComplete(AcDbDatabase*, const std::string& /*actualName*/) {}
    virtual void beginSave(AcDbDatabase*, const std::string& /*intendedName*/) {}
    virtual void docFrameMovedOrResized(HWND /*frame*/, bool /*moved*/) {}
    virtual void mainFrameMovedOrResized(HWND /*frame*/, bool /*moved*/) {}
};

class AcApDocWindowReactor {
public:
    virtual ~AcApDocWindowReactor() = default;
    virtual void documentWindowLoaded(AcApDocWindow*) {}
    virtual void documentWindowUpdated(AcApDocWindow*) {}
};

class AcApDocWindowManagerReactor {
public:
    virtual ~AcApDocWindowManagerReactor() = default;
    virtual void documentWindowCreated(AcApDocWindow*) {}
    virtual void documentWindowActivated(AcApDocWindow*) {}
    virtual void documentWindowDestroyed(AcApDocWindow*) {}
    virtual void documentWindowMoved(AcApDocWindow*) {}
    virtual void documentWindowReplaced(AcApDocWindow* /*newWindow*/, AcApDocWindow* /*oldWindow*/) {}
};

// ---- Managers ------------------------------------------------------------------------------
class AcApDocManager {
public:
    virtual ~AcApDocManager() = default;
    virtual AcApDocument* curDocument() const = 0;
    virtual AcApDocument* mdiActiveDocument() const = 0;
    virtual int documentCount() const = 0;
    virtual AcApDocumentIterator* newAcApDocumentIterator() = 0;   // deleted by the caller
    virtual bool isApplicationContext() const = 0;
    virtual Acad::ErrorStatus appContextOpenDocument(const std::string& path) = 0;
    virtual Acad::ErrorStatus appContextNewDocument(const std::string& templateName) = 0;
    virtual void executeInApplicationContext(void (*callback)(void*), void* data) = 0;
    // Closes a document without saving it (application context only: eInvalidContext otherwise).
    virtual Acad::ErrorStatus closeDocument(AcApDocument* doc) = 0;
    virtual Acad::ErrorStatus activateDocument(AcApDocument* doc, bool passive = false) = 0;
    virtual Acad::ErrorStatus sendStringToExecute(AcApDocument* doc, const std::string& text,
                                                  bool activate = true, bool wrapUpInactiveDoc = false,
                                                  bool echoString = true) = 0;
    virtual Acad::ErrorStatus setDefaultFormatForSave(AcApDocument::SaveFormat format) = 0;
    virtual AcApDocument::SaveFormat defaultFormatForSave() const = 0;
    virtual void pushResourceHandle(HINSTANCE module) = 0;
    virtual void popResourceHandle() = 0;
    virtual void addReactor(AcApDocManagerReactor* reactor) = 0;
    virtual void removeReactor(AcApDocManagerReactor* reactor) = 0;
    virtual AcApDocument* document(const AcDbDatabase* db) const = 0;
    // Document locks for work done on a drawing from application context; always paired.
    virtual Acad::ErrorStatus lockDocument(AcApDocument* doc) = 0;
    virtual Acad::ErrorStatus unlockDocument(AcApDocument* doc) = 0;
};
AcApDocManager* acDocManagerPtr();
// Reads a drawing file into a new database of its own, not opened as a document (as
// AcDbDatabase(false, true) followed by readDwgFile). The share mode has the values of the C
// runtime's _SH_ flags. eOk with *database set, or eFileNotFound / eInvalidInput (not a readable
// drawing) with *database left empty.
constexpr int kShareDenyReadWrite = 0x10;
constexpr int kShareDenyWrite = 0x20;
constexpr int kShareDenyRead = 0x30;
constexpr int kShareDenyNone = 0x40;
Acad::ErrorStatus acdbReadDwgFile(const std::string& path, int shareMode, std::unique_ptr<AcDbDatabase>* database);
// Opens a drawing from document context, waiting for it (single-document mode replaces the drawing).
Acad::ErrorStatus acedSyncFileOpen(const std::string& path);
#define acDocManager acDocManagerPtr()

class AcEditor {
public:
    virtual ~AcEditor() = default;
    virtual void addReactor(AcEditorReactor* reactor) = 0;
    virtual void removeReactor(AcEditorReactor* reactor) = 0;
};
AcEditor* acedEditorPtr();
#define acedEditor acedEditorPtr()

class AcApDocWindowManager {
public:
    virtual ~AcApDocWindowManager() = default;
    virtual int documentWindowCount() const = 0;
    virtual AcApDocWindow* activeDocumentWindow() const = 0;
    virtual std::vector<AcApDocWindow*> documentWindows() const = 0;
    virtual AcApDocWindow* documentWindow(const AcApDocument* doc) const = 0;
    virtual void addReactor(AcApDocWindowManagerReactor* reactor) = 0;
    virtual void removeReactor(AcApDocWindowManagerReactor* reactor) = 0;
    virtual void addReactor(AcApDocWindow* window, AcApDocWindowReactor* reactor) = 0;
    virtual void removeReactor(AcApDocWindow* window, AcApDocWindowReactor* reactor) = 0;
};
AcApDocWindowManager* acDocWindowManagerPtr();
#define acDocWindowManager acDocWindowManagerPtr()
