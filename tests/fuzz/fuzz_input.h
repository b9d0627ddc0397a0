// Taking a fuzz input apart: small numbers and texts from its front, the
// rest as it comes.
#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : at_(data), end_(data + size) {}
    // One byte, 0 when none is left.
    uint8_t Byte() { return at_ < end_ ? *at_++ : 0; }
    // A text up to the next zero byte (or the end), without it.
    std::string Text() {
        std::string text;
        while (at_ < end_ && *at_) text.push_back(static_cast<char>(*at_++));
        if (at_ < end_) ++at_;
        return text;
    }
    // Everything not taken yet.
    std::string Rest() {
        std::string rest(reinterpret_cast<const char*>(at_), end_ - at_);
        at_ = end_;
        return rest;
    }

private:
    const uint8_t* at_;
    const uint8_t* end_;
};
