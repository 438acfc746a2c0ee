#include "ScriptKeywords.h"

#include "ScriptTokens.h"

namespace {

constexpr ScriptKeyword kKeywords[] = {
    {"login", tok::Login},
    {"get", tok::Get},
    {"put", tok::Put},
    {"cd", tok::Cd},
    {"cdup", tok::Cdup},
    {"dir", tok::Dir},
    {"ls", tok::Ls},
    {"ascii", tok::Ascii},
    {"binary", tok::Binary},
    {"append", tok::Append},
    {"site", tok::Site},
    {"quote", tok::Quote},
    {"restart", tok::Restart},
    {"getat", tok::GetAt},
    {"putat", tok::PutAt},
    {"appendat", tok::AppendAt},
    {"gatelogin", tok::GateLogin},
    {"mput", tok::MPut},
    {"mget", tok::MGet},
    {"lcd", tok::Lcd},
    {"unique", tok::Unique},
    {"passive", tok::Passive},
    {"active", tok::Active},
    {"statusbox", tok::StatusBox},
    {"on", tok::On},
    {"off", tok::Off},
    {"debug", tok::Debug},
    {"quit", tok::Quit},
    {"remote", tok::Remote},
    {"remoteappend", tok::RemoteAppend},
    {"rmdir", tok::RmDir},
    {"delete", tok::Delete},
    {"mkdir", tok::MkDir},
    {"rename", tok::Rename},
    {"local", tok::Local},
    {"store", tok::Store},
    {"date", tok::Date},
    {"exists", tok::Exists},
    {"localpath", tok::LocalPath},
    {"filesize", tok::FileSize},
    {"defaulttimeout", tok::DefaultTimeout},
    {"receivetimeout", tok::ReceiveTimeout},
    {"not", tok::Not},
    {"ignore", tok::Ignore},
    {"echo", tok::Echo},
    {"logfile", tok::LogFile},
    {"if", tok::If},
    {"else", tok::Else},
    {"endif", tok::EndIf},
    {"true", tok::True},
    {"false", tok::False},
    {"today", tok::Today},
    {"now", tok::Now},
    {"file", tok::File},
    {"error", tok::Error},
    {"failed", tok::Failed},
    {"completion", tok::Completion},
    {"stop", tok::Stop},
    {"sleep", tok::Sleep},
    {"retry", tok::Retry},
    {"forever", tok::Forever},
    {"continue", tok::Continue},
    {"all", tok::All},
    {"filedate", tok::FileDate},
    {"filedatetime", tok::FileDateTime},
    {"number", tok::NumberFunction},
    {"string", tok::StringFunction},
    {"clear", tok::Clear},
    {"pwd", tok::Pwd},
    {"dataport", tok::DataPort},
    {"secure", tok::Secure},
    {"test", tok::Test},
};

char AsciiLower(char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool EqualsIgnoringCase(std::string_view word, std::string_view lowerKeyword)
{
    if (word.size() != lowerKeyword.size())
        return false;
    for (size_t i = 0; i < word.size(); ++i) {
        if (AsciiLower(word[i]) != lowerKeyword[i])
            return false;
    }
    return true;
}

}  // namespace

std::span<const ScriptKeyword> ScriptKeywordTable()
{
    return kKeywords;
}

std::int32_t LookupScriptKeyword(std::string_view word)
{
    for (const ScriptKeyword& keyword : kKeywords) {
        if (EqualsIgnoringCase(word, keyword.word))
            return keyword.token;
    }
    return 0;
}
