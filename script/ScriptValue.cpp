#include "ScriptValue.h"

#include <utility>

void CScriptValue::SetInteger(std::int32_t value)
{
    m_nKind = ScriptValueKind::Integer;
    m_nInteger = value;
}

void CScriptValue::SetString(std::string value)
{
    m_nKind = ScriptValueKind::String;
    m_strString = std::move(value);
}

void CScriptValue::SetTime(std::int64_t seconds)
{
    m_nKind = ScriptValueKind::Time;
    m_tTime = seconds;
}

void CScriptValue::SetBoolean(bool value)
{
    m_nKind = ScriptValueKind::Boolean;
    m_bBoolean = value;
}

void CScriptValue::SetUnsigned(std::uint64_t value)
{
    m_nKind = ScriptValueKind::Unsigned;
    m_nUnsigned = value;
}
