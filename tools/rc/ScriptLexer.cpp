#include "tools/rc/ScriptLexer.h"

#include <cctype>

namespace rc {

namespace {

bool IsNameStart(char c) {
    return std::isalpha(static_cast<unsigned char>(c)) || c == '_';
}
bool IsNamePart(char c) {
    return std::isalnum(static_cast<unsigned char>(c)) || c == '_';
}

int HexValue(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

// A character as an error message shows it: quoted when it prints, else as its code.
std::string Describe(char c) {
    const auto byte = static_cast<unsigned char>(c);
    if (std::isprint(byte)) {
        return std::string("'") + c + "'";
    }
    static constexpr char digits[] = "0123456789ABCDEF";
    return std::string("0x") + digits[byte >> 4] + digits[byte & 0xF];
}

} // namespace

ScriptLexer::ScriptLexer(std::string_view text) : source(text) {}

void ScriptLexer::SkipBlanksAndComments() {
    bool atLineStart = position == 0;
    while (position < source.size()) {
        const char c = source[position];
        if (c == '\n') {
            ++line;
            ++position;
            atLineStart = true;
        } else if (std::isspace(static_cast<unsigned char>(c))) {
            ++position;
        } else if (c == '#' && atLineStart) {
            while (position < source.size() && source[position] != '\n') {
                ++position;
            }
        } else if (c == '/' && Peek(1) == '/') {
            while (position < source.size() && source[position] != '\n') {
                ++position;
            }
        } else if (c == '/' && Peek(1) == '*') {
            const int opening = line;
            position += 2;
            while (position < source.size() && !(source[position] == '*' && Peek(1) == '/')) {
                line += source[position] == '\n' ? 1 : 0;
                ++position;
            }
            if (position >= source.size()) {
                error = "line " + std::to_string(opening) + ": comment not closed";
                return;
            }
            position += 2;
        } else {
            return;
        }
    }
}

Token ScriptLexer::Next() {
    SkipBlanksAndComments();
    Token token;
    token.line = line;
    if (!error.empty() || position >= source.size()) {
        return token;
    }
    const char c = source[position];
    if (std::isdigit(static_cast<unsigned char>(c))) {
        return ReadNumber();
    }
    if (c == '"') {
        return ReadString();
    }
    if (IsNameStart(c)) {
        return ReadName();
    }
    static constexpr std::string_view punctuation = ",|()+-{}";
    if (punctuation.find(c) != std::string_view::npos) {
        ++position;
        token.kind = TokenKind::Punctuation;
        token.text = std::string(1, c);
        return token;
    }
    error = "line " + std::to_string(line) + ": unexpected character " + Describe(c);
    return token;
}

Token ScriptLexer::ReadNumber() {
    Token token{TokenKind::Number, {}, 0, line};
    uint64_t value = 0;
    if (Peek() == '0' && (Peek(1) == 'x' || Peek(1) == 'X')) {
        position += 2;
        int digits = 0;
        for (int digit; (digit = HexValue(Peek())) >= 0; ++position, ++digits) {
            value = (value << 4 | static_cast<unsigned>(digit)) & 0xFFFFFFFFu;
        }
        if (digits == 0) {
            error = "line " + std::to_string(line) + ": hex number without digits";
        }
    } else {
        while (std::isdigit(static_cast<unsigned char>(Peek()))) {
            value = (value * 10 + static_cast<unsigned>(Peek() - '0')) & 0xFFFFFFFFu;
            ++position;
        }
    }
    while (Peek() == 'L' || Peek() == 'l' || Peek() == 'U' || Peek() == 'u') {
        ++position;
    }
    if (IsNamePart(Peek())) {
        error = "line " + std::to_string(line) + ": malformed number";
    }
    token.number = static_cast<int64_t>(value);
    return token;
}

Token ScriptLexer::ReadString() {
    Token token{TokenKind::String, {}, 0, line};
    ++position; // the opening quote
    for (;;) {
        if (position >= source.size() || source[position] == '\n') {
            error = "line " + std::to_string(line) + ": unterminated string";
            return token;
        }
        const char c = source[position++];
        if (c == '"') {
            if (Peek() == '"') {
                token.text += '"';
                ++position;
                continue;
            }
            return token;
        }
        if (c != '\\') {
            token.text += c;
            continue;
        }
        const char escaped = Peek();
        ++position;
        switch (escaped) {
        case 'n':
            token.text += '\n';
            break;
        case 't':
            token.text += '\t';
            break;
        case 'r':
            token.text += '\r';
            break;
        case 'a':
            token.text += '\b';
            break;
        case 'x': {
            int value = 0;
            for (int count = 0; count < 2 && HexValue(Peek()) >= 0; ++count, ++position) {
                value = value * 16 + HexValue(Peek());
            }
            token.text += static_cast<char>(value);
            break;
        }
        case '\0':
            error = "line " + std::to_string(line) + ": unterminated string";
            return token;
        default:
            token.text += escaped; // \\ and \" and anything else stand for themselves
            break;
        }
    }
}

Token ScriptLexer::ReadName() {
    Token token{TokenKind::Name, {}, 0, line};
    while (IsNamePart(Peek())) {
        token.text += source[position++];
    }
    return token;
}

} // namespace rc
