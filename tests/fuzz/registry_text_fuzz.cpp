// Escaped registry text both ways, and hexadecimal numbers. Bytes written as
// escaped text into any room must be well formed and decode to the bytes
// that fit; well-formed text must survive decoding and encoding again; no
// text is read past its end.
#include <cstdio>
#include <cstring>
#include <memory>

#include "script/registry_data.h"
#include "fuzz_input.h"

namespace {

// The text in a heap block of exactly its size, so that a read past its
// terminator is caught.
std::unique_ptr<char[]> Exact(const std::string& text) {
    std::unique_ptr<char[]> copy(new char[text.size() + 1]);
    std::memcpy(copy.get(), text.c_str(), text.size() + 1);
    return copy;
}

std::string Decode(const char* text) {
    std::string bytes(std::strlen(text), '\0');
    bytes.resize(TextToBinary(reinterpret_cast<unsigned char*>(&bytes[0]), bytes.size(), text));
    return bytes;
}

std::string Encode(const std::string& bytes, size_t capacity) {
    std::unique_ptr<char[]> out(new char[capacity ? capacity : 1]);
    size_t written = BinaryToText(out.get(), capacity, reinterpret_cast<const unsigned char*>(bytes.data()), bytes.size());
    if (written > capacity || (capacity && (written == 0 || out[written - 1] != '\0'))) __builtin_trap();
    return capacity ? std::string(out.get()) : std::string();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput input(data, size);
    size_t capacity = input.Byte() * 3 + input.Byte() % 3;
    std::string bytes = input.Rest();

    // Bytes to text, into a room of any size: what is written is well
    // formed and stands for the bytes that fit, in order.
    std::string text = Encode(bytes, capacity);
    auto exact = Exact(text);
    if (!IsEscapedText(exact.get())) __builtin_trap();
    std::string back = Decode(exact.get());
    if (bytes.compare(0, back.size(), back) != 0) __builtin_trap();
    if (capacity >= 3 * bytes.size() + 3 && back != bytes) __builtin_trap();

    // The input as text: decoding never reads past it; well-formed text
    // comes back the same after encoding its bytes again.
    std::string asText = bytes.substr(0, bytes.find('\0'));
    exact = Exact(asText);
    std::string decoded = Decode(exact.get());
    if (IsEscapedText(exact.get())) {
        std::string again = Encode(decoded, 3 * decoded.size() + 3);
        if (Decode(Exact(again).get()) != decoded) __builtin_trap();
    }

    // A number read is the number "%lX" writes back, read again.
    unsigned long number = 0;
    if (ReadHexNumber(exact.get(), &number)) {
        if (number > 0xFFFFFFFFul) __builtin_trap();
        char written[16];
        std::snprintf(written, sizeof written, "%lX", number);
        unsigned long again = 0;
        if (!ReadHexNumber(written, &again) || again != number) __builtin_trap();
    }
    return 0;
}
