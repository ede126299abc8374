#include "doctrack/docdata.h"

#include "core/paths.h"
#include "core/text.h"

namespace {
// Constructed with the module's statics, before the host's initialise message, so that it sees
// every document the host destroys while the module is loaded.
AsdkDataManager<CDocData> g_docDataManager;
}   // namespace

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
    case 16:
    case 17:
    case 18: return kind == 1 ? 1 : 8;   // R11/R12: the R12 DXF, else the R14 drawing
    case 19: return 4 + kind;
    case 20:
    case 21: return 8 + kind;
    case 22:
    case 23: return 12 + kind;
    case 24:
    case 25: return 24 + kind;
    case 26:
    case 27: return 36 + kind;
    case 28:
    case 29: return 48 + kind;
    case 30:
    case 31: return 60 + kind;
    // The host's own release: a drawing that came in as 2018 is kept as 2018, in its own kind.
    case 32:
    case 33: return 64 + (kind <= 3 ? kind : 0);
    // An unknown version keeps at least its kind: a DXF is never rewritten as a binary drawing.
    default: return 60 + (kind <= 3 ? kind : 0);
    }
}

int KvVersionForFormat(int format) {
    if (format == 1) return AcDb::kDHL_1009;
    if (format == 4 || format == 5) return AcDb::kDHL_1012;
    if (format == 8 || format == 9) return AcDb::kDHL_1014;
    if (format >= 12 && format <= 16) return AcDb::kDHL_1015;
    if (format >= 24 && format <= 27) return AcDb::kDHL_1800;
    if (format >= 36 && format <= 39) return AcDb::kDHL_1021;
    if (format >= 48 && format <= 51) return AcDb::kDHL_1024;
    if (format >= 60 && format <= 63) return AcDb::kDHL_1027;
    if (format >= 64 && format <= 67) return AcDb::kDHL_1032;
    return AcDb::kDHL_Unknown;
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
    // The file on disk is now in the format the save was made in, whatever the rule: that is what
    // the tab and the switcher show.
    d.diskFormat = formatForSave;
    // Keeping the version, a drawing changes its own format only by SAVEAS; QSAVE and SAVE were
    // made in openFormat (set as the default before they started).
    if (!maintainVersion || command == KvSaveCommand::SaveAs) d.openFormat = formatForSave;
}
