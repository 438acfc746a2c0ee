// if <condition> ... [else ...] endif. An if reads the lines of its block
// itself and hands back to the run loop after the line that ended it. The
// walks that skip lines look only at each line's first word and do not count
// nested blocks: the first else or endif ends them. A script file that
// cannot be read further ends a walk with the reading's code.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

int CScriptEngine::ExecIf(CScriptValue& value)
{
    g_TraceLog.Trace("ExecIf: Begin");
    int rc = IfCondition(value);
    if (rc == script_code::kOk)
        g_TraceLog.Trace("ExecIf: IfCondition cc == 0");
    // A single line has no block to walk: the if ends with its line, and its
    // result is the condition's code.
    if (rc == script_code::kOk && m_bFileOpen) {
        if (value.ToBoolean()) {
            g_TraceLog.Trace("ExecIf: If is true");
            EchoCommand("--> Perform THEN");
            rc = PerformThen();
        } else {
            g_TraceLog.Trace("ExecIf: If is false");
            rc = SearchElse();
        }
    }
    g_TraceLog.Trace("ExecIf: End");
    return rc;
}

// Runs the lines up to endif; at else, skips to endif. What the lines return
// is not the if's result: a failing statement here does not stop the run.
int CScriptEngine::PerformThen()
{
    if (GetNextLine() == 0)
        return m_nReadFailure;
    EchoCommand(m_strCurLine);
    for (;;) {
        const int rc = ExecuteLine();
        if (rc == script_code::kEndifLine)
            return script_code::kOk;
        if (rc == script_code::kElseLine)
            return GotoEndif();
        if (GetNextLine() == 0) {
            if (m_nReadFailure != script_code::kOk)
                return m_nReadFailure;
            return SyntaxError("If ...", "EndIf", "<end-of-file>");
        }
        EchoCommand(m_strCurLine);
    }
}

// Skips to the first else (then runs the ELSE part) or endif.
int CScriptEngine::SearchElse()
{
    for (;;) {
        if (GetNextLine() == 0)
            return m_nReadFailure;
        const std::int32_t first = m_Tokenizer.GetNextToken();
        if (first == tok::EndIf) {
            EchoCommand("--> ENDIF");
            return script_code::kOk;
        }
        if (first == tok::Else)
            return PerformElse();
    }
}

int CScriptEngine::PerformElse()
{
    EchoCommand("--> Perform ELSE");
    for (;;) {
        if (GetNextLine() == 0)
            return m_nReadFailure;
        EchoCommand(m_strCurLine);
        if (ExecuteLine() == script_code::kEndifLine) {
            EchoCommand("--> ENDIF");
            return script_code::kOk;
        }
    }
}

int CScriptEngine::GotoEndif()
{
    g_TraceLog.Trace("GotoEndif: Begin");
    for (;;) {
        if (GetNextLine() == 0)
            return m_nReadFailure != script_code::kOk ? m_nReadFailure : script_code::kNoSession;
        if (m_Tokenizer.GetNextToken() == tok::EndIf) {
            EchoCommand("--> ENDIF");
            return script_code::kOk;
        }
    }
}
