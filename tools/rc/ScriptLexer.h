#pragma once

// The tokens of a resource script: numbers (decimal or 0x hex, with an optional L or U suffix),
// quoted strings (a doubled quote is one quote; \n, \t, \\, \" and \xNN are escapes), names, and
// the punctuation , | ( ) + - { }. Comments (// and /* */) and preprocessor lines (#...) are
// skipped: the scripts of this program define their ids as numbers.

#include <cstdint>
#include <string>
#include <string_view>

namespace rc {

enum class TokenKind { End, Number, String, Name, Punctuation };

struct Token {
    TokenKind kind = TokenKind::End;
    std::string text;   // the string's contents, the name, or the punctuation character
    int64_t number = 0; // for numbers
    int line = 0;
};

class ScriptLexer {
public:
    explicit ScriptLexer(std::string_view source);
    // The next token; a character that starts no token ends the script with an error.
    Token Next();
    const std::string& Error() const { return error; }

private:
    void SkipBlanksAndComments();
    Token ReadNumber();
    Token ReadString();
    Token ReadName();
    char Peek(size_t ahead = 0) const {
        return position + ahead < source.size() ? source[position + ahead] : '\0';
    }

    std::string_view source;
    size_t position = 0;
    int line = 1;
    std::string error;
};

} // namespace rc
