#include "uikit/pickers.h"

#include "core/paths.h"

std::string KvPickFolder(HWND owner, const std::string& title, const std::string& startFolder, UINT flags) {
    BROWSEINFO info;
    info.hwndOwner = owner;
    info.lpszTitle = title;
    info.ulFlags = flags;
    info.startFolder = startFolder;
    PIDLIST_ABSOLUTE chosen = SHBrowseForFolder(&info);
    std::string folder;
    if (chosen) {
        SHGetPathFromIDList(chosen, &folder);
        CoTaskMemFree(chosen);
    }
    return folder;
}

std::vector<std::string> KvPickOpenFiles(const KvOpenFilesRequest& request) {
    std::vector<char> buffer(request.bufferBytes, '\0');
    OPENFILENAME ofn;
    ofn.hwndOwner = request.owner;
    ofn.lpstrFilter = request.filter;
    ofn.lpstrFile = buffer.data();
    ofn.nMaxFile = request.maxFile ? request.maxFile : DWORD(buffer.size());
    ofn.lpstrInitialDir = request.startFolder;
    ofn.lpstrTitle = request.title;
    ofn.Flags = request.flags;
    if (!GetOpenFileName(&ofn)) return {};
    return SplitSelectedFiles(buffer);
}
