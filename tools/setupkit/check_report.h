// What the checker found: errors (the installer would not do what the script
// says) and warnings (it would, but probably not what was meant), each at a
// line of the script, printed in the form editors jump to:
// FILE:LINE: error: TEXT.
#pragma once
#include <cstdio>
#include <string>
#include <vector>

class CheckReport {
public:
    void Error(int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
    void Warning(int line, const char* format, ...) __attribute__((format(printf, 3, 4)));
    // Everything found, by line (then in the order found).
    void Print(std::FILE* out, const std::string& file) const;
    int Errors() const { return errors_; }
    int Warnings() const { return static_cast<int>(findings_.size()) - errors_; }

private:
    struct Finding {
        int line;
        bool error;
        std::string text;
    };
    void Add(int line, bool error, const char* format, va_list arguments);
    std::vector<Finding> findings_;
    int errors_ = 0;
};

// A text as a message shows it: cut when long, control characters escaped.
std::string Quoted(const std::string& text);
