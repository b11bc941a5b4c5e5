// The tokens of an SQL statement, enough to rewrite it safely: blanks and
// comments, words, numbers, quoted text, quoted names and punctuation.
#ifndef VORNEL_ENGINE_SQLTOKENS_H
#define VORNEL_ENGINE_SQLTOKENS_H

#include <string_view>
#include <vector>

namespace vornel::engine {

enum class TokenKind { Space, Word, Number, Literal, Identifier, Punct };

struct Token {
    TokenKind kind;
    std::string_view text;
};

// Never fails: unterminated quotes and comments run to the end of the text.
std::vector<Token> tokenize(std::string_view sql);

// A word equal to `word`, ignoring the case of ASCII letters.
bool isWord(const Token& token, std::string_view word);

}  // namespace vornel::engine

#endif
