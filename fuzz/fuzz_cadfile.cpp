// Arbitrary bytes as a drawing file of either family on disk, and as a picture block, through
// the header reader: every read must stay inside the file and end without a crash.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "cadfile/cadfile.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static const std::string base = "/tmp/kv_fuzz_cadfile_" + std::to_string(getpid());
    const std::string path = base + ((data[0] & 1) ? ".flx" : ".dwg");
    if (FILE* f = std::fopen(path.c_str(), "wb")) {
        std::fwrite(data + 1, 1, size - 1, f);
        std::fclose(f);
    }
    CCadFile file;
    file.SetBackground(data[0], 255, 0);
    file.SetPath(path);
    (void)file.ReadPreview();
    (void)file.ReadInformation();
    CCadFile block;
    (void)block.LoadImageBlock(data + 1, size - 1);
    std::remove(path.c_str());
    return 0;
}
