// Arbitrary bytes as a drawing file, as a DXF file, and as the preview pictures they may carry.
#include <cstddef>
#include <cstdint>
#include <span>

#include "sim/host/dwgfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace sim::dwg;
    const std::span<const std::uint8_t> bytes(data, size);
    FileInfo info;
    std::string error;
    if (readDrawingBytes(bytes, &info, &error)) (void)decodePreview(info.preview, &error);
    if (readDxfBytes(bytes, &info, &error)) (void)decodePreview(info.preview, &error);
    // The picture decoders on their own, as the thumbnail library reaches them.
    (void)decodeDib(bytes, &error);
    (void)decodePng(bytes, &error);
    (void)previewFromBmpFile(bytes);
    return 0;
}
