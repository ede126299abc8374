// The common pickers the plug-in shows: a folder, and one or several files to open.
#pragma once
#include <cstddef>
#include <string>
#include <vector>
#include "win/commdlg.h"
#include "win/shell.h"
#include "win/types.h"

// The filter of every picker that opens drawings.
inline const std::string kKvDrawingFilter("Drawing files\0*.dwg\0\0", 22);

// The chosen folder as the dialog returns it, or empty when cancelled.
std::string KvPickFolder(HWND owner, const std::string& title, const std::string& startFolder,
                         UINT flags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE);

// What an open-file picker shows and how large an answer it takes.
struct KvOpenFilesRequest {
    HWND owner = nullptr;
    std::string filter;   // pairs of name and pattern, as OPENFILENAME takes them
    std::string startFolder;
    std::string title;
    DWORD flags = OFN_HIDEREADONLY | OFN_ALLOWMULTISELECT | OFN_EXPLORER | OFN_FILEMUSTEXIST;
    std::size_t bufferBytes = 64 * 1024;
    DWORD maxFile = 0;   // the size the dialog is told; 0: the whole buffer
};

// The chosen paths (one, or each name of a multiple selection joined to its folder); empty when
// cancelled or failed.
std::vector<std::string> KvPickOpenFiles(const KvOpenFilesRequest& request);
