#pragma once

#include <cstddef>
#include <string>

namespace tabulant::dialect {

// One token of Access's SQL and expression language.
struct Token {
    enum class Kind : unsigned char {
        Word,      // a bare name or keyword (keywords are told apart by the parser)
        Name,      // [bracketed] or `quoted` name: never a keyword
        Text,      // "text" or 'text', quotes undone
        Number,    // digits with an optional fraction and exponent
        Date,      // #...#, the text between the signs
        Parameter, // @name
        Symbol,    // = <> < > <= >= + - * / \ ^ & ( ) , . ! ; :
        End,
    };
    Kind kind = Kind::End;
    std::string text;
    std::size_t offset = 0; // where it starts in the source, for messages

    bool is(Kind k, const char* t) const; // kind k and, for words, the keyword t (any case)
    bool isWord(const char* keyword) const { return is(Kind::Word, keyword); }
    bool isSymbol(const char* symbol) const { return is(Kind::Symbol, symbol); }
};

} // namespace tabulant::dialect
