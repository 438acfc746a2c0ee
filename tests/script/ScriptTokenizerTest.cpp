#include "ScriptEngine.h"
#include "ScriptKeywords.h"
#include "ScriptTokenizer.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <set>
#include <string>
#include <vector>

namespace {

struct Token {
    std::int32_t number;
    std::string text;
    bool operator==(const Token&) const = default;
};

std::ostream& operator<<(std::ostream& out, const Token& token)
{
    return out << token.number << " \"" << token.text << "\"";
}

// Every token of the line up to the first end of line, which is included.
std::vector<Token> Tokenize(const std::string& line)
{
    CScriptTokenizer tokenizer;
    tokenizer.SetRestOfLine(line);
    std::vector<Token> tokens;
    for (int guard = 0; guard < 100; ++guard) {
        const std::int32_t number = tokenizer.GetNextToken();
        tokens.push_back({number, tokenizer.GetText()});
        if (number == tok::End)
            break;
    }
    return tokens;
}

struct TokenCase {
    std::string line;
    std::vector<Token> tokens;
};

void ExpectTokens(const std::vector<TokenCase>& cases)
{
    for (const TokenCase& c : cases)
        EXPECT_EQ(Tokenize(c.line), c.tokens) << "line: [" << c.line << "]";
}

TEST(ScriptTokenizer, QuotedTexts)
{
    ExpectTokens({
        {"get \"my file.txt\" 'x y'", {{601, "get"}, {500, "my file.txt"}, {500, "x y"}, {0, ""}}},
        {"\"\"", {{500, ""}, {0, ""}}},
        {"''x", {{500, ""}, {500, "x"}, {0, ""}}},
        {"\"it's\" 'say \"hi\"'", {{500, "it's"}, {500, "say \"hi\""}, {0, ""}}},
        {"\"a\\\"b", {{500, "a\\"}, {500, "b"}, {0, ""}}},  // no escapes
        {"\"get\" 'LOGIN'", {{500, "get"}, {500, "LOGIN"}, {0, ""}}},
        {"x\"y z\"", {{500, "x"}, {500, "y z"}, {0, ""}}},
        {"\"  padded  \"", {{500, "  padded  "}, {0, ""}}},
    });
}

TEST(ScriptTokenizer, KeywordsIgnoreCaseAndMatchWholeWords)
{
    ExpectTokens({
        {"GET Get get gEt", {{601, "GET"}, {601, "Get"}, {601, "get"}, {601, "gEt"}, {0, ""}}},
        {"getx xget get2", {{500, "getx"}, {500, "xget"}, {500, "get2"}, {0, ""}}},
        {"NOT not", {{107, "NOT"}, {107, "not"}, {0, ""}}},
        {"EndIf", {{712, "EndIf"}, {0, ""}}},
        {"gét", {{500, "gét"}, {0, ""}}},  // a multibyte letter is no ASCII one
    });
}

TEST(ScriptTokenizer, NumbersAndSaturation)
{
    struct NumberCase {
        const char* word;
        std::int32_t token;
        std::int32_t value;
    };
    const NumberCase cases[] = {
        {"0042", 300, 42},
        {"0", 300, 0},
        {"2147483647", 300, 2147483647},
        {"2147483648", 300, 2147483647},
        {"99999999999999999999999", 300, 2147483647},
        {"42a", 500, 0},
        {"-5", 500, 0},  // a minus sign is no digit
        {"4.5", 500, 0},
    };
    for (const NumberCase& c : cases) {
        CScriptTokenizer tokenizer;
        tokenizer.SetRestOfLine(c.word);
        EXPECT_EQ(tokenizer.GetNextToken(), c.token) << c.word;
        EXPECT_EQ(tokenizer.GetText(), c.word);
        if (c.token == tok::Number) {
            EXPECT_EQ(tokenizer.GetValue(), c.value) << c.word;
        }
    }
}

TEST(ScriptTokenizer, ValueKeepsUntilNumberOrEndOfLine)
{
    CScriptTokenizer tokenizer;
    tokenizer.SetRestOfLine("17 word 'text' =");
    ASSERT_EQ(tokenizer.GetNextToken(), tok::Number);
    for (std::int32_t expected : {tok::String, tok::String, tok::Equal}) {
        EXPECT_EQ(tokenizer.GetNextToken(), expected);
        EXPECT_EQ(tokenizer.GetValue(), 17);
    }
    EXPECT_EQ(tokenizer.GetNextToken(), tok::End);
    EXPECT_EQ(tokenizer.GetValue(), 0);
}

TEST(ScriptTokenizer, SessionNames)
{
    ExpectTokens({
        {"#1 get x", {{400, "#1"}, {601, "get"}, {500, "x"}, {0, ""}}},
        {"#srv(1) get", {{400, "#srv(1)"}, {601, "get"}, {0, ""}}},
        {"#a=b,c\"d\"", {{400, "#a=b,c\"d\""}, {0, ""}}},
        {"#", {{400, "#"}, {0, ""}}},
        {"# get", {{400, "#"}, {601, "get"}, {0, ""}}},
        {"#x\tget y", {{400, "#x\tget"}, {500, "y"}, {0, ""}}},
        {"put#2", {{602, "put"}, {400, "#2"}, {0, ""}}},
    });
}

TEST(ScriptTokenizer, Operators)
{
    ExpectTokens({
        {"a!=b", {{500, "a"}, {102, "!="}, {500, "b"}, {0, ""}}},
        {"a! =b", {{500, "a"}, {107, "!"}, {101, "="}, {500, "b"}, {0, ""}}},
        {"<<=>>=", {{103, "<"}, {104, "<="}, {105, ">"}, {106, ">="}, {0, ""}}},
        {"$(,)@", {{113, "$"}, {111, "("}, {110, ","}, {112, ")"}, {115, "@"}, {0, ""}}},
        {"==", {{101, "="}, {101, "="}, {0, ""}}},
        {"get a.txt @100", {{601, "get"}, {500, "a.txt"}, {115, "@"}, {300, "100"}, {0, ""}}},
        {"$Date(x,y)", {{113, "$"}, {637, "Date"}, {111, "("}, {500, "x"}, {110, ","}, {500, "y"}, {112, ")"}, {0, ""}}},
        {"a-b+c;d", {{500, "a-b+c;d"}, {0, ""}}},
    });
}

TEST(ScriptTokenizer, UnterminatedQuoteEndsTheStatementForGood)
{
    CScriptTokenizer tokenizer;
    tokenizer.SetRestOfLine("get \"abc def");
    ASSERT_EQ(tokenizer.GetNextToken(), tok::Get);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(tokenizer.GetNextToken(), tok::End);
        EXPECT_EQ(tokenizer.GetText(), "");
    }
    EXPECT_EQ(tokenizer.GetRestOfLineText(), "\"abc def");
    ExpectTokens({{"'abc", {{0, ""}}}, {"\"", {{0, ""}}}});
}

TEST(ScriptTokenizer, TabsAndWhiteSpace)
{
    ExpectTokens({
        {"get\tx", {{500, "get\tx"}, {0, ""}}},  // a tab does not separate words
        {"\t  get  \t x", {{601, "get"}, {500, "x"}, {0, ""}}},
        {"", {{0, ""}}},
        {" \t \r\n", {{0, ""}}},
    });
}

TEST(ScriptTokenizer, PreviousTextFollowsEachToken)
{
    CScriptTokenizer tokenizer;
    EXPECT_EQ(tokenizer.GetToken(), tok::End);
    EXPECT_EQ(tokenizer.GetText(), "");
    tokenizer.SetRestOfLine("Get 'a b'");
    tokenizer.GetNextToken();
    tokenizer.GetNextToken();
    EXPECT_EQ(tokenizer.GetPrevText(), "Get");
    EXPECT_EQ(tokenizer.GetText(), "a b");
    tokenizer.GetNextToken();
    EXPECT_EQ(tokenizer.GetPrevText(), "a b");
    EXPECT_EQ(tokenizer.GetText(), "");
}

TEST(ScriptTokenizer, RestOfLineKeepsQuotesAndTrailingBlanks)
{
    CScriptTokenizer tokenizer;
    tokenizer.SetRestOfLine("cd   \"my dir\"/x y  ");
    ASSERT_EQ(tokenizer.GetNextToken(), tok::Cd);
    ASSERT_EQ(tokenizer.GetPrevText(), "");
    EXPECT_EQ(tokenizer.GetRestOfLine(), tok::String);
    EXPECT_EQ(tokenizer.GetText(), "\"my dir\"/x y  ");
    EXPECT_EQ(tokenizer.GetPrevText(), "");  // taking the rest leaves it alone
    EXPECT_EQ(tokenizer.GetRestOfLine(), tok::End);
    EXPECT_EQ(tokenizer.GetText(), "");
    EXPECT_EQ(tokenizer.GetNextToken(), tok::End);

    tokenizer.SetRestOfLine("site  \t ");
    tokenizer.GetNextToken();
    EXPECT_EQ(tokenizer.GetRestOfLine(), tok::End);
}

std::string WithNul(std::string text)
{
    std::replace(text.begin(), text.end(), '~', '\0');
    return text;
}

// A NUL ends the statement where a token would carry it, and for good: no
// token hands a name on that a C string would cut short.
TEST(ScriptTokenizer, NulInATokenEndsTheStatement)
{
    ExpectTokens({
        {WithNul("get 'a~b' x"), {{601, "get"}, {0, ""}}},
        {WithNul("get \"a~\" 'x'"), {{601, "get"}, {0, ""}}},
        {WithNul("get a~b"), {{601, "get"}, {0, ""}}},
        {WithNul("#s~x get"), {{0, ""}}},
        {WithNul("get x 'y' ~"), {{601, "get"}, {500, "x"}, {500, "y"}, {0, ""}}},
    });
    CScriptTokenizer tokenizer;
    tokenizer.SetRestOfLine(WithNul("cd a~b"));
    EXPECT_TRUE(tokenizer.HoldsNul());
    ASSERT_EQ(tokenizer.GetNextToken(), tok::Cd);
    EXPECT_EQ(tokenizer.GetRestOfLine(), tok::End);
    EXPECT_EQ(tokenizer.GetNextToken(), tok::End);
    tokenizer.SetRestOfLine("cd 'a b'");
    EXPECT_FALSE(tokenizer.HoldsNul());
}

std::vector<std::string>* g_echoed = nullptr;

int RecordEcho(std::intptr_t, const char* text)
{
    g_echoed->emplace_back(text);
    return 0;
}

// The engine runs nothing of such a line, whichever statement it holds and
// wherever the NUL stands (an optional second name included).
TEST(ScriptTokenizer, EngineRefusesALineWithANul)
{
    for (const char* line : {"get 'a~b'", "get a 'b~c'", "logfile 'log~.txt'", "login host user 'pass~word'"}) {
        std::vector<std::string> echoed;
        g_echoed = &echoed;
        {
            CScriptEngine engine;
            engine.SetCallbacks(RecordEcho, RecordEcho);
            engine.SetEchoFlag(true);
            ASSERT_EQ(engine.SetLine(WithNul(line)), 1);
            EXPECT_EQ(engine.ExecuteLine(), -999) << line;
            EXPECT_TRUE(engine.GetSessions().empty()) << line;
        }
        EXPECT_EQ(g_TraceLog.IsLogFileOn(), 0) << line;
        EXPECT_EQ(echoed, std::vector<std::string>{"C> Line: syntax error. Expecting \"<text without NUL>\", found "
                                                   "\"NUL\".\r\n"})
            << line;
        g_echoed = nullptr;
    }
}

TEST(ScriptKeywords, TableIsConsistent)
{
    std::set<std::string_view> words;
    std::set<std::int32_t> numbers;
    for (const ScriptKeyword& keyword : ScriptKeywordTable()) {
        EXPECT_TRUE(words.insert(keyword.word).second) << keyword.word;
        EXPECT_TRUE(numbers.insert(keyword.token).second) << keyword.word;
        EXPECT_TRUE((keyword.token >= 600 && keyword.token <= 800) || keyword.token == tok::Not) << keyword.word;
        for (char c : keyword.word)
            EXPECT_TRUE(c >= 'a' && c <= 'z') << keyword.word;
        EXPECT_EQ(LookupScriptKeyword(keyword.word), keyword.token);
    }
    // 633 and 727 have no keyword; "exec" reaches nothing.
    EXPECT_EQ(numbers.count(633), 0u);
    EXPECT_EQ(numbers.count(727), 0u);
    EXPECT_EQ(LookupScriptKeyword("exec"), 0);
}

TEST(ScriptKeywords, NumbersThatAppearInTheTrace)
{
    const std::pair<const char*, std::int32_t> samples[] = {
        {"login", 600},    {"getat", 613},    {"unique", 620},         {"quit", 627},
        {"mkdir", 632},    {"rename", 634},   {"receivetimeout", 642}, {"ignore", 700},
        {"logfile", 702},  {"if", 710},       {"all", 726},            {"filedate", 728},
        {"number", 730},   {"string", 731},   {"pwd", 733},            {"dataport", 734},
        {"test", 800},     {"TEST", 800},     {"nope", 0},             {"", 0},
    };
    for (const auto& [word, number] : samples)
        EXPECT_EQ(LookupScriptKeyword(word), number) << word;
}

}  // namespace
