#pragma once

// The help file as the viewer shows it (internal to the help viewer). A help file is plain text, one
// shown line per line of the file. A line starting with "# " is a heading; it may end with a
// context number in braces ("# Settings {12}"), which is not shown.
//
// Two kinds of text become links to a heading:
// - an entry of the contents list: the indented lines that follow a line reading "Contents", up
//   to the next empty line or heading, when the entry's text is a heading's text;
// - a quoted reference in the body, such as (see "Connecting the cable"), when the text between
//   the quotes is a heading's text or the leading words of exactly one heading's text.
// Texts compare without regard to case, blanks around them or a trailing colon or full stop, and
// a leading part must end where a word of the heading ends, so "The port" names no heading that
// begins "The portable". A quotation that runs from one line into the next is no link.

#include <string>
#include <vector>

namespace framework::help {

struct HelpLine {
    std::string text; // as shown: a heading without its "# " and its context number
    bool isHeading;
    long context; // -1 when the heading names none
};

struct HelpLink {
    int line;     // the line the link is shown on
    size_t start; // its first character in that line's text
    size_t length;
    int target; // the line of the heading it leads to
};

struct HelpDocument {
    std::vector<HelpLine> lines;
    std::vector<HelpLink> links; // in reading order
};

// Parses the text of a help file; CR LF and LF line ends are both taken.
HelpDocument ParseHelpText(const std::string& text);
// Reads and parses a help file; false when it cannot be read.
bool LoadHelpFile(const std::string& path, HelpDocument& document);

// The line of the heading with the context number, else 0 (the top of the file).
int LineOfContext(const HelpDocument& document, long context);
// Where `text` first stands in a line's text, without regard to case; npos when it does not.
size_t FindInLine(const std::string& line, const std::string& text);
// The first line at or after `from` whose text holds `text` (without regard to case), going on
// from the top of the file past the last line; -1 when no line holds it or the text is empty.
int FindLineContaining(const HelpDocument& document, const std::string& text, int from);

} // namespace framework::help
