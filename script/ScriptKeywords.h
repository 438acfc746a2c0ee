// The keyword table: which words are keywords and their token numbers.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

struct ScriptKeyword {
    std::string_view word;  // lower case
    std::int32_t token;
};

std::span<const ScriptKeyword> ScriptKeywordTable();

// The keyword's token number when the whole word equals a keyword, ignoring
// the case of ASCII letters; 0 otherwise. Bytes of multibyte characters
// never match, so no part of one can pass for a keyword letter.
std::int32_t LookupScriptKeyword(std::string_view word);
