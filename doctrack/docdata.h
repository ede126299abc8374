// Per-document data: in which file format each open drawing came in and sits on disk, so that a
// plain save can keep a drawing in its own version and the tabs can show it.
#pragma once
#include <map>
#include <string_view>
#include "arx/docman.h"

struct CDocData {
    int openFormat = 60;   // the format the document keeps; changed by SAVEAS
    int diskFormat = 60;   // the format of the file as last loaded or saved; drives the version icon
};

// Kind offset of a file name's extension: 0 drawing (and anything unlisted), 1 ".dxf", 2 ".dwt",
// 3 ".dws", 4 ".xml"; letter case ignored.
int KvKindOffset(std::string_view fileName);
// Save format for a drawing-file version code and a kind offset.
int KvFormatForVersion(int versionCode, int kindOffset);
// The drawing-file version code (final release) of a save format; kDHL_Unknown for none.
int KvVersionForFormat(int format);

// One record per open document, dropped when the host is about to destroy the document. The
// manager registers with the host's document manager for its whole life.
template <class T>
class AsdkDataManager : public AcApDocManagerReactor {
public:
    AsdkDataManager() { acDocManager->addReactor(this); }
    ~AsdkDataManager() override { acDocManager->removeReactor(this); }
    AsdkDataManager(const AsdkDataManager&) = delete;
    AsdkDataManager& operator=(const AsdkDataManager&) = delete;

    void documentToBeDestroyed(AcApDocument* doc) override { records_.erase(doc); }

    // The document's record, created with its defaults on first use.
    T& docData(AcApDocument* doc) { return records_[doc]; }
    bool hasRecord(AcApDocument* doc) const { return records_.count(doc) != 0; }
    size_t recordCount() const { return records_.size(); }

private:
    std::map<AcApDocument*, T> records_;
};

AsdkDataManager<CDocData>& KvDocDataManager();
CDocData& docData(AcApDocument* doc);

// Derives openFormat from the document's file name and database versions (the first version when
// `useOriginal`, else the last-saved-as version, falling back to the first when that is unknown).
void updateOpenFormat(AcApDocument* doc, bool useOriginal);
// diskFormat takes openFormat.
void commitDiskFormat(AcApDocument* doc);

// How the two formats move after a completed save, by the command that saved and the
// 'Maintance version' setting.
enum class KvSaveCommand { QuickSave, Save, SaveAs };
void KvApplySaveRule(CDocData& data, KvSaveCommand command, bool maintainVersion, int formatForSave);
