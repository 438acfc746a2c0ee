// The script functions written after "$": File, String, Number, Today, Now
// and Date. Each reads its own argument list and leaves its value.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptNesting.h"
#include "ScriptTime.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

#include <sys/stat.h>

// Number 727 is reserved for a function that runs its text as a command of
// the operating system. It has no keyword and no handler: a script handed
// from one person to another must not be able to run programs on the
// machine that runs it.
int CScriptEngine::ExecFunction(CScriptValue& value)
{
    g_TraceLog.Trace("ExecFunction: Begin");
    script_nesting::CGuard guard(m_nExprDepth);
    if (!guard.Allowed())
        return SyntaxError("Nesting", script_nesting::kExpected, m_Tokenizer.GetText());
    switch (m_Tokenizer.GetNextToken()) {
    case tok::File:
        return f_File(value);
    case tok::StringFunction:
        return f_String(value);
    case tok::NumberFunction:
        return f_Number(value);
    case tok::Today:
        return f_Today(value);
    case tok::Now:
        return f_Now(value);
    case tok::Date:
        return f_Date(value);
    default:
        return script_code::kNoSession;  // an unknown name, silently
    }
}

// $ File ( <text> ): the text, as the name of a local file.
int CScriptEngine::f_File(CScriptValue& value)
{
    std::string name;
    int rc = script_code::kOk;
    if (m_Tokenizer.GetNextToken() != tok::LeftParen)
        rc = SyntaxError("File", "(", m_Tokenizer.GetText());
    else if (!ReadText(name))
        rc = SyntaxError("File(", "<string>", m_Tokenizer.GetText());
    else if (m_Tokenizer.GetNextToken() != tok::RightParen)
        rc = SyntaxError(name, ")", m_Tokenizer.GetText());
    else
        value.SetString(name);
    g_TraceLog.Trace("f_File: End. cc = %d, %s", rc, value.ToString().c_str());
    return rc;
}

// $ String ( <text> ), or $ String ( $ function ... without the outer ")".
int CScriptEngine::f_String(CScriptValue& value)
{
    if (m_Tokenizer.GetNextToken() != tok::LeftParen)
        return SyntaxError("String", "(", m_Tokenizer.GetText());
    int rc = script_code::kOk;
    const std::int32_t token = m_Tokenizer.GetNextToken();
    if (token == tok::Dollar) {
        rc = ExecFunction(value);
        value.SetString(value.ToString());
    } else if (token < tok::String) {
        return SyntaxError("... (", "<string>", m_Tokenizer.GetText());
    } else {
        const std::string text = m_Tokenizer.GetText();
        if (m_Tokenizer.GetNextToken() != tok::RightParen)
            return SyntaxError(text, ")", m_Tokenizer.GetText());
        value.SetString(text);
    }
    g_TraceLog.Trace("f_String: End. %d, %s", rc, value.ToString().c_str());
    return rc;
}

// $ Number ( <n> ), or $ Number ( $ function ... without the outer ")".
int CScriptEngine::f_Number(CScriptValue& value)
{
    if (m_Tokenizer.GetNextToken() != tok::LeftParen)
        return SyntaxError("Number", "(", m_Tokenizer.GetText());
    int rc = script_code::kOk;
    const std::int32_t token = m_Tokenizer.GetNextToken();
    if (token == tok::Dollar) {
        rc = ExecFunction(value);
        value.SetInteger(value.ToInteger());
    } else if (token != tok::Number) {
        return SyntaxError("... (", "<number>", m_Tokenizer.GetText());
    } else {
        const std::int32_t number = m_Tokenizer.GetValue();
        const std::string text = m_Tokenizer.GetText();
        if (m_Tokenizer.GetNextToken() != tok::RightParen)
            return SyntaxError(text, ")", m_Tokenizer.GetText());
        value.SetInteger(number);
    }
    g_TraceLog.Trace("f_Number: End. %d, %d", rc, value.ToInteger());
    return rc;
}

// $ Today ( ): today at 00:00:00 local time.
int CScriptEngine::f_Today(CScriptValue& value)
{
    if (m_Tokenizer.GetNextToken() != tok::LeftParen)
        return SyntaxError("Today", "(", m_Tokenizer.GetText());
    if (m_Tokenizer.GetNextToken() != tok::RightParen)
        return SyntaxError(m_Tokenizer.GetPrevText(), ")", m_Tokenizer.GetText());
    value.SetTime(script_time::Today());
    g_TraceLog.Trace("f_Today: End. %d, %s", 0, script_time::FormatLocal(value.m_tTime, "%Y%m%d %H%M%S").c_str());
    return script_code::kOk;
}

// $ Now ( ): the current time.
int CScriptEngine::f_Now(CScriptValue& value)
{
    if (m_Tokenizer.GetNextToken() != tok::LeftParen)
        return SyntaxError("Now", "(", m_Tokenizer.GetText());
    if (m_Tokenizer.GetNextToken() != tok::RightParen)
        return SyntaxError("Now(", ")", m_Tokenizer.GetText());
    value.SetTime(script_time::Now());
    g_TraceLog.Trace("f_Now: End. %d, %s", 0, script_time::FormatLocal(value.m_tTime, "%Y%m%d %H%M%S").c_str());
    return script_code::kOk;
}

// $ Date ( ), $ Date ( <text> ) read as mmddyyyy, $ Date ( <text> , <pattern> ),
// or $ Date ( $ function ... : the modification time of that local file.
int CScriptEngine::f_Date(CScriptValue& value)
{
    if (m_Tokenizer.GetNextToken() != tok::LeftParen)
        return SyntaxError("Date", "... (", m_Tokenizer.GetText());
    const std::int32_t token = m_Tokenizer.GetNextToken();
    if (token == tok::RightParen) {
        value.SetTime(script_time::Now());
        return script_code::kOk;
    }
    if (token == tok::Dollar)
        return DateOfLocalFile(value);
    if (token < tok::String)
        return SyntaxError("... (", ")", m_Tokenizer.GetText());
    const std::string text = m_Tokenizer.GetText();
    const std::int32_t next = m_Tokenizer.GetNextToken();
    if (next == tok::RightParen) {
        value.SetTime(script_time::GetDate(text, "mmddyyyy"));
        return script_code::kOk;
    }
    if (next != tok::Comma)
        return SyntaxError(m_Tokenizer.GetPrevText(), "[, | )]", m_Tokenizer.GetText());
    std::string pattern;
    if (!ReadText(pattern))
        return SyntaxError("... ,", "<string>", m_Tokenizer.GetText());
    if (m_Tokenizer.GetNextToken() != tok::RightParen)
        return SyntaxError(m_Tokenizer.GetPrevText(), ")", m_Tokenizer.GetText());
    value.SetTime(script_time::GetDate(text, pattern));
    return script_code::kOk;
}

// The inner function names the file; a value that is no text leaves the
// value as the inner function made it.
int CScriptEngine::DateOfLocalFile(CScriptValue& value)
{
    if (ExecFunction(value) != script_code::kOk)
        return SyntaxError("... $", "<$file>", m_Tokenizer.GetText());
    if (value.m_nKind != ScriptValueKind::String)
        return script_code::kOk;
    const std::string name = value.m_strString;
    struct stat info {};
    if (stat(name.c_str(), &info) != 0) {
        g_TraceLog.LogAppend("File \"%s\" does not exists\n", name.c_str());
        return script_code::kFailed;
    }
    value.SetTime(static_cast<std::int64_t>(info.st_mtime));
    g_TraceLog.Trace("f_Date: %s", script_time::FormatLocal(value.m_tTime, "%m/%d/%Y %H:%M:%S").c_str());
    return script_code::kOk;
}
