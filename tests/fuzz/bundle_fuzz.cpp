// The container's reader over any file: it reads nothing outside the file,
// every file it accepts lies between the program and the index and is found
// by its name, and the index and trailer it accepts are byte for byte what
// the writer makes of the same files (one layout for one content).
#include <algorithm>
#include <string>
#include <vector>

#include "base/bundle.h"
#include "bundle.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    MemoryBytes file(data, size);
    Bundle container;
    if (container.Open(file) != BundleStatus::kOk) {
        if (container.Count() != 0) __builtin_trap();
        return 0;
    }
    std::vector<bundle::Member> members;
    uint64_t end = container.ProgramSize();
    for (size_t i = 0; i < container.Count(); ++i) {
        const BundleFile f = container.File(i);
        if (f.offset != end || f.size > size - f.offset) __builtin_trap();
        end = f.offset + f.size;
        BundleFile found;
        if (!container.Find(f.name, &found) || found.offset != f.offset) __builtin_trap();
        const BundleStatus check = container.CheckFile(file, f);
        if (check != BundleStatus::kOk && check != BundleStatus::kFileCrc) __builtin_trap();
        members.push_back({std::string(f.name, f.nameLength), f.size, f.crc});
    }
    // The writer pads the index after the program's length; one of the
    // eight lengths modulo 8 gives the padding this file has.
    bool same = false;
    for (uint64_t before = 0; before < 8 && !same; ++before) {
        const std::vector<uint8_t> tail = bundle::EncodeTail(members, before);
        same = tail.size() <= size - end && std::equal(tail.begin(), tail.end(), data + end);
    }
    if (!same) __builtin_trap();
    return 0;
}
