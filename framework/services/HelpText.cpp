#include "framework/services/HelpText.h"

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <fstream>
#include <sstream>

namespace framework::help {

namespace {

bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}

std::string Trimmed(const std::string& text) {
    size_t first = 0;
    size_t last = text.size();
    while (first < last && IsBlank(text[first])) {
        ++first;
    }
    while (last > first && IsBlank(text[last - 1])) {
        --last;
    }
    return text.substr(first, last - first);
}

std::string Folded(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// The form in which a link's text and a heading's text are compared.
std::string Key(const std::string& text) {
    std::string key = Trimmed(text);
    while (!key.empty() && (key.back() == ':' || key.back() == '.')) {
        key.pop_back();
        key = Trimmed(key);
    }
    return Folded(key);
}

HelpLine ParseLine(std::string line) {
    if (!line.empty() && line.back() == '\r') {
        line.pop_back();
    }
    HelpLine entry{line, false, -1};
    if (line.rfind("# ", 0) != 0) {
        return entry;
    }
    entry.isHeading = true;
    entry.text = line.substr(2);
    const size_t open = entry.text.rfind('{');
    if (open != std::string::npos && entry.text.back() == '}') {
        entry.context = std::strtol(entry.text.c_str() + open + 1, nullptr, 10);
        entry.text = entry.text.substr(0, open);
        while (!entry.text.empty() && entry.text.back() == ' ') {
            entry.text.pop_back();
        }
    }
    return entry;
}

struct HeadingKey {
    int line;
    std::string key;
};

std::vector<HeadingKey> HeadingKeys(const std::vector<HelpLine>& lines) {
    std::vector<HeadingKey> keys;
    for (size_t i = 0; i < lines.size(); ++i) {
        if (lines[i].isHeading) {
            keys.push_back({static_cast<int>(i), Key(lines[i].text)});
        }
    }
    return keys;
}

// The heading whose text is the key, else -1.
int HeadingNamed(const std::vector<HeadingKey>& headings, const std::string& key) {
    for (const HeadingKey& heading : headings) {
        if (!key.empty() && heading.key == key) {
            return heading.line;
        }
    }
    return -1;
}

// The heading named by the key, in full or by its leading words when only one heading begins
// with them; else -1.
int HeadingReferredTo(const std::vector<HeadingKey>& headings, const std::string& key) {
    const int exact = HeadingNamed(headings, key);
    if (exact >= 0 || key.empty()) {
        return exact;
    }
    int found = -1;
    int count = 0;
    for (const HeadingKey& heading : headings) {
        const bool isLeadingPart = heading.key.size() > key.size() &&
                                   heading.key.compare(0, key.size(), key) == 0 &&
                                   std::isalnum(static_cast<unsigned char>(heading.key[key.size()])) == 0;
        if (isLeadingPart) {
            found = heading.line;
            ++count;
        }
    }
    return count == 1 ? found : -1;
}

void AddContentsEntry(HelpDocument& document, const std::vector<HeadingKey>& headings, int line) {
    const std::string& text = document.lines[static_cast<size_t>(line)].text;
    const int target = HeadingNamed(headings, Key(text));
    if (target < 0) {
        return;
    }
    const size_t start = text.find_first_not_of(" \t");
    const size_t end = text.find_last_not_of(" \t") + 1;
    document.links.push_back({line, start, end - start, target});
}

// Pairs the quotes of a line. A quotation left open by the line before closes at the line's first
// quote; one the line leaves open stays so for the next line.
void AddQuotedReferences(HelpDocument& document, const std::vector<HeadingKey>& headings, int line,
                         bool& isQuoteOpen) {
    const std::string& text = document.lines[static_cast<size_t>(line)].text;
    size_t open = text.find('"');
    if (isQuoteOpen && open != std::string::npos) {
        open = text.find('"', open + 1);
    }
    isQuoteOpen = isQuoteOpen && open == std::string::npos;
    while (open != std::string::npos) {
        const size_t close = text.find('"', open + 1);
        if (close == std::string::npos) {
            isQuoteOpen = true;
            return;
        }
        const int target = HeadingReferredTo(headings, Key(text.substr(open + 1, close - open - 1)));
        if (target >= 0) {
            document.links.push_back({line, open + 1, close - open - 1, target});
        }
        open = text.find('"', close + 1);
    }
}

void FindLinks(HelpDocument& document) {
    const std::vector<HeadingKey> headings = HeadingKeys(document.lines);
    bool isInContents = false;
    bool isQuoteOpen = false;
    for (size_t i = 0; i < document.lines.size(); ++i) {
        const HelpLine& line = document.lines[i];
        const int index = static_cast<int>(i);
        if (line.isHeading || Trimmed(line.text).empty()) {
            isInContents = false;
            isQuoteOpen = false;
        } else if (isInContents && IsBlank(line.text.front())) {
            AddContentsEntry(document, headings, index);
        } else if (Key(line.text) == "contents") {
            isInContents = true;
        } else {
            isInContents = false;
            AddQuotedReferences(document, headings, index, isQuoteOpen);
        }
    }
}

} // namespace

HelpDocument ParseHelpText(const std::string& text) {
    HelpDocument document;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);) {
        document.lines.push_back(ParseLine(line));
    }
    FindLinks(document);
    return document;
}

bool LoadHelpFile(const std::string& path, HelpDocument& document) {
    std::ifstream in(path, std::ios::binary);
    if (!in) {
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    document = ParseHelpText(text.str());
    return true;
}

int LineOfContext(const HelpDocument& document, long context) {
    for (size_t i = 0; i < document.lines.size(); ++i) {
        if (document.lines[i].isHeading && document.lines[i].context == context) {
            return static_cast<int>(i);
        }
    }
    return 0;
}

size_t FindInLine(const std::string& line, const std::string& text) {
    return Folded(line).find(Folded(text));
}

int FindLineContaining(const HelpDocument& document, const std::string& text, int from) {
    const int count = static_cast<int>(document.lines.size());
    if (text.empty() || count == 0) {
        return -1;
    }
    const int start = std::clamp(from, 0, count) % count;
    for (int step = 0; step < count; ++step) {
        const int line = (start + step) % count;
        if (FindInLine(document.lines[static_cast<size_t>(line)].text, text) != std::string::npos) {
            return line;
        }
    }
    return -1;
}

} // namespace framework::help
