// Operands of conditions: numbers, texts, comparisons, "not", parentheses,
// and statements whose value a condition reads.
#include "ScriptCodes.h"
#include "ScriptEngine.h"
#include "ScriptNesting.h"
#include "ScriptTokens.h"
#include "TraceLog.h"

namespace {

bool IsComparison(std::int32_t token)
{
    return token >= tok::Equal && token <= tok::GreaterEqual;
}

}  // namespace

// Evaluates the current token as an operand into `value`.
int CScriptEngine::ExecuteCmdExt(CScriptValue& value)
{
    g_TraceLog.Trace("ExecuteCmdExt: Begin");
    script_nesting::CGuard guard(m_nExprDepth);
    if (!guard.Allowed())
        return SyntaxError("Nesting", script_nesting::kExpected, m_Tokenizer.GetText());
    const std::int32_t token = m_Tokenizer.GetToken();
    if (token == tok::Number) {
        value.SetInteger(m_Tokenizer.GetValue());
        return script_code::kOk;
    }
    if (token == tok::String) {
        value.SetString(m_Tokenizer.GetText());
        return script_code::kOk;
    }
    if (IsComparison(token))
        return ExecCompare(value);
    if (token == tok::Not)
        return ExecNot(value);
    if (token == tok::LeftParen)
        return ExecParenthesis(value);
    return ExecuteCmd(value);
}

// <operand> [<operator> <operand>]; whatever follows on the line is ignored.
int CScriptEngine::IfCondition(CScriptValue& value)
{
    g_TraceLog.Trace("IfCondition: Begin");
    CScriptValue left;
    m_Tokenizer.GetNextToken();
    int rc = ExecuteCmdExt(left);
    if (rc == script_code::kOk) {
        const std::int32_t op = m_Tokenizer.GetNextToken();
        if (IsComparison(op)) {
            g_TraceLog.Trace("IfCondition: IsCompare (%s)", m_Tokenizer.GetText().c_str());
            CScriptValue right;
            m_Tokenizer.GetNextToken();
            rc = ExecuteCmdExt(right);
            if (rc == script_code::kOk)
                value.SetBoolean(left.Compare(op, right));
        } else {
            value.SetBoolean(left.ToBoolean());
        }
    }
    if (rc != script_code::kOk)
        value.SetBoolean(false);
    g_TraceLog.Trace("IfCondition: End. cc = %d", rc);
    return rc;
}

// The current token is an operator; the value so far is its left operand.
int CScriptEngine::ExecCompare(CScriptValue& value)
{
    g_TraceLog.Trace("ExecCompare: Begin");
    const std::int32_t op = m_Tokenizer.GetToken();
    g_TraceLog.Trace("ExecCompare: IsCompare (%s)", m_Tokenizer.GetText().c_str());
    CScriptValue right;
    m_Tokenizer.GetNextToken();
    const int rc = ExecuteCmdExt(right);
    value.SetBoolean(rc == script_code::kOk && value.Compare(op, right));
    g_TraceLog.Trace("ExecCompare: cc = %d", rc);
    return rc;
}

int CScriptEngine::ExecNot(CScriptValue& value)
{
    g_TraceLog.Trace("ExecNot: Begin");
    m_Tokenizer.GetNextToken();
    int rc = ExecuteCmdExt(value);
    if (rc != script_code::kOk) {
        rc = SyntaxError("Not", "<Statement>", m_Tokenizer.GetText());
        value.SetBoolean(false);
    } else {
        value.SetBoolean(!value.ToBoolean());
    }
    g_TraceLog.Trace("ExecNot: cc = %d", rc);
    return rc;
}

// ( ... ): each token inside is evaluated into a fresh inner value, so an
// operator compares what stands before it with what follows it.
int CScriptEngine::ExecParenthesis(CScriptValue& value)
{
    g_TraceLog.Trace("ExecParenthesis: Begin");
    CScriptValue inner;
    bool failed = false;
    std::int32_t token = m_Tokenizer.GetNextToken();
    while (token != tok::RightParen && token != tok::End) {
        if (ExecuteCmdExt(inner) != script_code::kOk) {
            failed = true;
            break;
        }
        token = m_Tokenizer.GetNextToken();
    }
    int rc = script_code::kOk;
    if (!failed && token == tok::RightParen) {
        value = inner;
    } else {
        rc = SyntaxError("(...", ")", m_Tokenizer.GetText());
        value.SetBoolean(false);
    }
    g_TraceLog.Trace("ExecParenthesis: return %d", rc);
    return rc;
}
