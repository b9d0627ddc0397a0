// A script's text as the platform's profile functions see it, kept byte for
// byte so that a tool can change single entries and leave the rest as it was.
// Lines end at a line feed; blanks (and a carriage return) around a line are
// not part of it; "[name]" starts a section (up to the line's last "]"); a
// line with "=" is an entry, unless its key starts with ";" (a comment). Of
// several sections with one name, and of several keys with one name in a
// section, the reader sees the first (names compared without letter case).
#pragma once
#include <cstddef>
#include <string>
#include <unordered_map>
#include <vector>

namespace script {

struct Span {
    size_t begin = 0, end = 0;
    size_t size() const { return end - begin; }
};

struct Line {
    Span whole;  // the line with its line end
    Span text;   // the line without its blanks and line end
    bool isSection = false;
    bool isEntry = false;
    std::string name;  // a section's name, or an entry's key
    Span key, value;   // an entry's key and value, blanks dropped
};

struct Text {
    std::string bytes;
    std::vector<Line> lines;
    std::string lineEnd;  // "\r\n" or "\n", as the text's first line ends
    // The header line of the first section of each name, the name lowered.
    std::unordered_map<std::string, size_t> sections;
};

// Reads bytes into out. False for a text in UTF-16, which this reader does
// not take apart.
bool Parse(std::string bytes, Text* out);

// The lines of the first section called name (its header excluded):
// [first, end) line indices, empty when there is none.
struct Range {
    size_t first = 0, end = 0;
    bool found = false;
};
Range FindSection(const Text& text, const char* name);

// An entry's value as the reader returns it: one pair of enclosing quotation
// marks taken off.
std::string ValueOf(const Text& text, const Line& line);

bool EqualNoCase(const std::string& a, const std::string& b);
std::string Lower(std::string s);

// A key or value cut into fields on a separator, as the installer cuts it: a
// doubled separator is one literal separator, and after 14 breaks further
// separators stay in the 15th field. Each field with its text and its span
// in the cut text (separators of its own included).
struct Field {
    std::string text;
    Span raw;
};
std::vector<Field> SplitFields(const std::string& text, char separator);

}  // namespace script
