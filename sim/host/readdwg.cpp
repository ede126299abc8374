// Reading a drawing file into a database of its own, outside any document (the plug-in reads the
// facts of drawings that are not open this way).
#include <filesystem>
#include "sim/host/host_internal.h"

Acad::ErrorStatus acdbReadDwgFile(const std::string& path, int /*shareMode*/, std::unique_ptr<AcDbDatabase>* database) {
    if (!database) return Acad::eInvalidInput;
    database->reset();
    std::error_code ec;
    if (path.empty() || !std::filesystem::is_regular_file(path, ec)) return Acad::eFileNotFound;
    auto db = std::make_unique<sim::host::SimDatabase>();
    bool foreign = false;
    std::string error;
    if (!sim::host::drawingFiles().read(path, &db->content, &foreign, &error)) return Acad::eInvalidInput;
    db->fileName = path;
    *database = std::move(db);
    return Acad::eOk;
}
