#include "doctrack/docdata.h"

#include "core/paths.h"
#include "core/text.h"

namespace {
// Constructed with the module's statics, before the host's initialise message, so that it sees
// every document the host destroys while the module is loaded.
AsdkDataManager<CDocData> g_docDataManager;
}  // namespace

AsdkDataManager<CDocData>& KvDocDataManager() { return g_docDataManager; }

CDocData& docData(AcApDocument* doc) { return g_docDataManager.docData(doc); }

int KvKindOffset(std::string_view fileName) {
    const std::string ext = SplitPath(fileName).extension;
    if (EqualsNoCase(ext, ".dxf")) return 1;
    if (EqualsNoCase(ext, ".dwt")) return 2;
    if (EqualsNoCase(ext, ".dws")) return 3;
    if (EqualsNoCase(ext, ".xml")) return 4;
    return 0;
}

int KvFormatForVersion(int version, int kind) {
    switch (version) {
    case 16: case 17: case 18: return kind == 1 ? 1 : 8;   // R11/R12: the R12 DXF, else the R14 drawing
    case 19: return 4 + kind;
    case 20: case 21: return 8 + kind;
    case 22: case 23: return 12 + kind;
    case 24: case 25: return 24 + kind;
    case 26: case 27: return 36 + kind;
    case 28: case 29: return 48 + kind;
    case 30: case 31: return 60 + kind;
    default: return 60;
    }
}

void updateOpenFormat(AcApDocument* doc, bool useOriginal) {
    if (!doc) return;
    const int kind = KvKindOffset(doc->fileName());
    AcDbDatabase* db = doc->database();
    int version = 0;
    if (db) {
        version = useOriginal ? 0 : int(db->lastSavedAsVersion());
        if (version == 0 || version == AcDb::kDHL_Unknown) version = int(db->originalFileVersion());
    }
    docData(doc).openFormat = KvFormatForVersion(version, kind);
}

void commitDiskFormat(AcApDocument* doc) {
    if (!doc) return;
    CDocData& d = docData(doc);
    d.diskFormat = d.openFormat;
}

void KvApplySaveRule(CDocData& d, KvSaveCommand command, bool maintainVersion, int formatForSave) {
    if (!maintainVersion) {
        d.openFormat = d.diskFormat = formatForSave;
        return;
    }
    switch (command) {
    case KvSaveCommand::QuickSave:
        break;   // the save itself was made in openFormat (set as the default before it started)
    case KvSaveCommand::Save:
        d.diskFormat = d.openFormat;
        break;
    case KvSaveCommand::SaveAs:
        d.openFormat = formatForSave;
        d.diskFormat = d.openFormat;
        break;
    }
}
