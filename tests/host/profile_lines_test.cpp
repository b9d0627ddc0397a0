// The lines of a profile file as every reader of them takes them apart: where
// a line ends, which blanks drop, what makes a header, a key, a comment.
#include <gtest/gtest.h>

#include <string>

#include "script/profile_lines.h"

namespace {

using namespace std::string_literals;

// A line as its parts: the kind (blank, header, key), the name and the value
// in brackets, '=' when the line has one, ';' for a comment, then the line
// and the text as begin-end, and where the next line starts.
std::string Parts(const std::string& bytes, size_t at) {
    const ProfileLine line = ReadProfileLine(bytes.data(), bytes.size(), at);
    auto text = [&](ProfileSpan span) { return "[" + bytes.substr(span.begin, span.size()) + "]"; };
    auto span = [](ProfileSpan s) { return std::to_string(s.begin) + "-" + std::to_string(s.end); };
    const char* kind = line.kind == ProfileLineKind::Header ? "header"
                       : line.kind == ProfileLineKind::Key  ? "key"
                                                            : "blank";
    return std::string(kind) + text(line.name) + text(line.value) + (line.hasEquals ? "=" : "") + (line.comment ? ";" : "") + " " +
           span(line.line) + " " + span(line.text) + " " + std::to_string(line.next);
}

TEST(ProfileLines, ReadsLinesAsTheProfileFunctionsDo) {
    const struct {
        std::string bytes;
        size_t at;
        std::string parts;
    } rows[] = {
        // Breaks: CR LF, CR and LF alone; a second break starts a blank line.
        {"k=v\r\nx", 0, "key[k][v]= 0-3 0-3 5"},
        {"k=v\rx", 0, "key[k][v]= 0-3 0-3 4"},
        {"k=v\nx", 0, "key[k][v]= 0-3 0-3 4"},
        {"a\n\rb", 0, "key[a][] 0-1 0-1 2"},
        {"a\n\rb", 2, "blank[][] 2-2 2-2 3"},
        {"a\r\r\nb", 2, "blank[][] 2-2 2-2 4"},
        {"k=v", 0, "key[k][v]= 0-3 0-3 3"},
        {"x\r\n \t\x0b\x0c\x1a \r\n", 3, "blank[][] 3-9 9-9 11"},
        // Blanks around the line, the name and the value; 0xA0 is none.
        {" \t\x0b\x0c\x1ak \x1a= \tv w\x1a \r\n", 0, "key[k][v w]= 0-16 5-14 18"},
        {"\xa0k\xa0=\xa0", 0, "key[\xa0k\xa0][\xa0]= 0-5 0-5 5"},
        {"k==v=", 0, "key[k][=v=]= 0-5 0-5 5"},
        {"=v", 0, "key[][v]= 0-2 0-2 2"},
        {"  k  \r\n", 0, "key[k][] 0-5 2-3 7"},
        {"k\0=v"s, 0, "key[k\0][v]= 0-4 0-4 4"s},
        // Headers: up to the last ']', blanks inside dropped.
        {"  [ Sec A ] \r\n", 0, "header[Sec A][] 0-12 2-11 14"},
        {"[a]b]c", 0, "header[a]b][] 0-6 0-6 6"},
        {"[]", 0, "header[][] 0-2 0-2 2"},
        {"[bad", 0, "key[[bad][] 0-4 0-4 4"},
        {"[=x", 0, "key[[][x]= 0-3 0-3 3"},
        {"x[s]", 0, "key[x[s]][] 0-4 0-4 4"},
        // Comments start the line; a ';' later is text.
        {";c=1", 0, "key[;c][1]=; 0-4 0-4 4"},
        {" ;c\n", 0, "key[;c][]; 0-3 1-3 4"},
        {"x;y=1", 0, "key[x;y][1]= 0-5 0-5 5"},
    };
    for (const auto& row : rows) EXPECT_EQ(Parts(row.bytes, row.at), row.parts) << row.bytes;
}

}  // namespace
