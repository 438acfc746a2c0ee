// Feeds one script line to the tokenizer, taking tokens one at a time or the
// rest of the line at once as the first byte says, and checks what every
// statement handler relies on: no token carries a NUL, every token but the
// end consumes text, and the end, once reached, stays.
#include "ScriptTokenizer.h"
#include "ScriptTokens.h"

#include <cstddef>
#include <cstdint>
#include <string_view>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned pattern = data[0];
    const std::string_view line(reinterpret_cast<const char*>(data) + 1, size - 1);

    CScriptTokenizer tokenizer;
    tokenizer.SetRestOfLine(line);
    if (tokenizer.HoldsNul() != (line.find('\0') != std::string_view::npos))
        __builtin_trap();
    size_t left = line.size();
    // Each round either ends the line or consumes a byte, so the line's
    // length bounds the rounds.
    for (size_t round = 0; round <= line.size() + 1; ++round) {
        const bool rest = (pattern >> (round % 8)) & 1 && round % 3 == 2;
        const std::int32_t token = rest ? tokenizer.GetRestOfLine() : tokenizer.GetNextToken();
        const std::string text = tokenizer.GetText();
        if (text.find('\0') != std::string::npos)
            __builtin_trap();
        if (token != tokenizer.GetToken())
            __builtin_trap();
        if (token == tok::Number) {
            if (text.empty() || text.find_first_not_of("0123456789") != std::string::npos || tokenizer.GetValue() < 0)
                __builtin_trap();
        }
        const size_t now = tokenizer.GetRestOfLineText().size();
        if (token == tok::End) {
            if (!text.empty())
                __builtin_trap();
            // The end is for good (an unterminated quote leaves its rest to
            // GetRestOfLine, a NUL nothing at all).
            if (tokenizer.GetNextToken() != tok::End)
                __builtin_trap();
            if (tokenizer.HoldsNul() && tokenizer.GetRestOfLine() != tok::End)
                __builtin_trap();
            return 0;
        }
        if (now >= left)
            __builtin_trap();
        left = now;
    }
    __builtin_trap();  // more tokens than bytes
}
