// The drawing database subset the simulated host keeps, and the seam to the drawing-file format.
// The host reads and writes drawings only through DrawingFiles, so the file format can change
// without touching documents, commands or reactors.
#pragma once
#include <array>
#include <string>
#include <utility>
#include <vector>
#include "arx/docman.h"

namespace sim::host {

// A reference to another drawing file attached to model space.
struct XrefRecord {
    std::string blockName, path;
    std::array<double, 3> insertion{0, 0, 0}, scale{1, 1, 1};
    double rotation = 0;   // radians
    bool operator==(const XrefRecord&) const = default;
};

// The drawing area's view of model space, kept with the drawing.
struct ViewRecord {
    bool set = false;
    double centerX = 0, centerY = 0, width = 0, height = 0;
    bool operator==(const ViewRecord&) const = default;
};

struct DrawingContent {
    AcDb::AcDbDwgVersion originalVersion = AcDb::kDHL_1032;
    AcDb::AcDbDwgVersion lastSavedAsVersion = AcDb::kDHL_1032;
    int numberOfSaves = 0;
    int objects = 0;                                         // lines and other objects
    AcDbSummaryInfo summary;
    std::vector<std::string> layouts{"Model", "Layout1", "Layout2"};
    std::string currentLayout = "Model";
    std::vector<std::string> modelViews, paperViews;
    std::vector<std::pair<std::string, int>> layerStates;   // name, mask
    std::array<double, 3> extMin{0, 0, 0}, extMax{0, 0, 0};
    std::vector<std::array<double, 6>> lines;                // model-space lines: start x y z, end x y z
    std::vector<XrefRecord> xrefs;                           // attached drawings, in attach order
    ViewRecord view;                                         // unset: the drawing area fits the lines
};

// The lines of the drawings `content` references, placed as their references place them (read
// from the referenced files now; references to files that cannot be read show nothing).
std::vector<std::array<double, 6>> referencedLines(const DrawingContent& content);

class DrawingFiles {
public:
    virtual ~DrawingFiles() = default;
    // Reads a drawing (or DXF) file. `foreign` is set for files the simulator did not write: their
    // version (and preview) come from the header and the rest is empty; they open read-only.
    // False with a one-line reason when the file is missing or is not a readable drawing.
    virtual bool read(const std::string& path, DrawingContent* out, bool* foreign, std::string* error) = 0;
    // Writes a drawing in a save format (the version header of that format). Must never be asked
    // to write over a foreign drawing; the host checks with isForeign first.
    virtual bool write(const std::string& path, const DrawingContent& content, AcApDocument::SaveFormat format,
                       std::string* error) = 0;
    // A drawing as another CAD program would have written it: header only (tests, @make-drawing readonly).
    virtual bool writeForeign(const std::string& path, AcDb::AcDbDwgVersion version, std::string* error) = 0;
    // True when an existing file is a drawing that the simulator did not write.
    virtual bool isForeign(const std::string& path) = 0;
};

// The file format in use (the built-in one unless another was installed). Not owned.
DrawingFiles& drawingFiles();
void setDrawingFiles(DrawingFiles* files);

// Save formats and the version codes of their files.
AcDb::AcDbDwgVersion versionOfFormat(AcApDocument::SaveFormat format);
const char* versionText(AcDb::AcDbDwgVersion version);            // "AC1027", or "" when unknown
AcDb::AcDbDwgVersion versionFromText(const std::string& text);   // kDHL_Unknown when unknown
// "R12", "R13", "R14", "2000", ..., "2018" for a drawing format; kUnknown for other words.
AcApDocument::SaveFormat formatFromName(const std::string& name, const std::string& extension);
std::string formatName(AcApDocument::SaveFormat format);

}  // namespace sim::host
