// Where a Windows program's image ends in its file, and where its signature
// (the certificate table) lies: what is appended to a program lies between
// the two. Plain code without any platform header.
#pragma once
#include <cstdint>

#include "base/byte_source.h"

struct ExeLayout {
    // The end of the headers, the sections' data and the symbol table a
    // linker may leave behind them.
    uint64_t imageEnd = 0;
    // The certificate table a signer appends (its offset and size; 0 and 0
    // for an unsigned program), and the file offset of the header's 8-byte
    // entry that points at it.
    uint64_t certificateOffset = 0;
    uint64_t certificateSize = 0;
    uint64_t certificateEntry = 0;
    bool Signed() const { return certificateSize != 0; }
};

enum class ExeStatus {
    kExe,
    kNotExe,      // no PE header that describes the file
    kUnreadable,  // reading the file failed
};

ExeStatus ReadExeLayout(ByteSource& file, ExeLayout* layout);
