// The simulated host's heap keeps the memory it frees.
//
// Every drawing opened composes its preview through picture buffers of a few hundred kilobytes,
// allocated and freed within the open. With the C library's defaults the heap hands its top back
// to the system as soon as that much lies free there, and takes it again on the next open: a page
// fault for every page, on every open, and how often depends on where the previews the tabs keep
// happen to lie. Fixed thresholds keep those buffers in the heap and reuse them.
#include <malloc.h>

namespace {

const bool kHeapKeepsFreedMemory = [] {
    mallopt(M_MMAP_THRESHOLD, 4 << 20);   // below 4 MiB, from the heap (no map and unmap each)
    mallopt(M_TRIM_THRESHOLD, 64 << 20);  // the heap's top goes back only past 64 MiB free
    return true;
}();

}  // namespace
