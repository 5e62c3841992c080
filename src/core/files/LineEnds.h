#pragma once

#include <string>

// Text files for people (the release file) are written as a C library's
// text mode writes them: on Windows every line feed goes to disk as CR LF,
// so that Notepad of any age shows the lines. kTextFileLineEnds is the
// platform's, set beside its file writer.
enum class LineEnds { LineFeed, CarriageReturnLineFeed };
extern const LineEnds kTextFileLineEnds;

inline std::string WithLineEnds(std::string text, LineEnds ends)
{
    if (ends == LineEnds::LineFeed)
        return text;
    std::string out;
    out.reserve(text.size() + text.size() / 16);
    for (const char c : text) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}
