// The typed comparison behind =, !=, <, <=, > and >=: the left value's kind
// decides, and the right value is converted to it.
#include "ScriptTime.h"
#include "ScriptTokens.h"
#include "ScriptValue.h"
#include "TraceLog.h"

#include <cinttypes>

namespace {

// -1, 0 or 1 for less, equal or greater.
template <class T>
int Order(const T& left, const T& right)
{
    return left < right ? -1 : (right < left ? 1 : 0);
}

bool Holds(std::int32_t op, int order)
{
    switch (op) {
    case tok::Equal:
        return order == 0;
    case tok::NotEqual:
        return order != 0;
    case tok::Less:
        return order < 0;
    case tok::LessEqual:
        return order <= 0;
    case tok::Greater:
        return order > 0;
    case tok::GreaterEqual:
        return order >= 0;
    default:
        return false;
    }
}

// Each kind's comparison traces its operands and its outcome under its own
// name.
bool Traced(const char* name, std::int32_t op, int order)
{
    const bool result = Holds(op, order);
    g_TraceLog.Trace("Compare.%s: End. rc = %s", name, result ? "true" : "false");
    return result;
}

}  // namespace

bool CScriptValue::Compare(std::int32_t op, const CScriptValue& right) const
{
    g_TraceLog.Trace("Compare.fresult: Begin");
    bool result = true;  // a left value of kind none satisfies every operator
    switch (m_nKind) {
    case ScriptValueKind::Integer: {
        // Compared in 64 bits: a size or a time on the right must not be
        // cut to 32 bits first.
        const std::int64_t other = right.ToInteger64();
        g_TraceLog.Trace("Compare.int: Begin. %d comp %" PRId64, m_nInteger, other);
        result = Traced("int", op, Order<std::int64_t>(m_nInteger, other));
        break;
    }
    case ScriptValueKind::String: {
        // Byte-wise: std::string compares its chars as unsigned, which for
        // UTF-8 is the order of the characters.
        const std::string other = right.ToString();
        g_TraceLog.Trace("Compare.string: Begin. \"%s\" comp \"%s\"", m_strString.c_str(), other.c_str());
        const int order = m_strString.compare(other);
        result = Traced("string", op, order < 0 ? -1 : (order > 0 ? 1 : 0));
        break;
    }
    case ScriptValueKind::Time: {
        const std::int64_t other = right.ToTime();
        g_TraceLog.Trace("Compare.ctime: Begin. %s comp %s", script_time::FormatLocal(m_tTime, "%Y%m%d %H%M%S").c_str(),
                         script_time::FormatLocal(other, "%Y%m%d %H%M%S").c_str());
        result = Traced("ctime", op, Order(m_tTime, other));
        break;
    }
    case ScriptValueKind::Boolean:
        g_TraceLog.Trace("Compare.bool: Begin");
        result = Traced("bool", op, Order(m_bBoolean, right.ToBoolean()));
        break;
    case ScriptValueKind::Unsigned: {
        const std::uint64_t other = right.ToUnsigned();
        g_TraceLog.Trace("Compare.dword: Begin. %" PRIu64 " comp %" PRIu64, m_nUnsigned, other);
        result = Traced("dword", op, Order(m_nUnsigned, other));
        break;
    }
    case ScriptValueKind::None:
        break;
    }
    g_TraceLog.Trace("Compare.fresult: End. cc = %s", result ? "true" : "false");
    return result;
}
