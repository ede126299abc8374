// AcKvUiMultiScriptDialog, the batch script dialog: a persistent list of script files, a list of
// drawing files, and runs of the host's console program over the drawings, one after another, each
// with the ticked scripts joined into one generated script. Modeless; one instance for the
// plug-in's life, created by the first KV_BSCRIPT and kept by the module's feature objects.
#pragma once
#include <string>
#include "win/types.h"

// The dialog as its owner sees it: something to destroy with the module.
class KvBatchDialog {
public:
    virtual ~KvBatchDialog() = default;
};

// Creates the dialog on first use (owned by `parent`) and shows it. False when it cannot be made.
bool KvShowBatchDialog(HWND parent);
// Stops a run or scan in progress, runs the dialog's closing steps and destroys it (unload).
void KvDestroyBatchDialog();
// The dialog window; null until it has been created.
HWND KvBatchDialogWindow();
// A drawing was opened (`opened`) or is about to close in the host: rows of that file follow.
void KvBatchDialogDocumentEvent(const std::string& fileName, bool opened);
