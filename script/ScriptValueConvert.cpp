// Conversions of a script value to each kind.
#include "ScriptValue.h"

#include "ScriptTime.h"

#include <cctype>
#include <limits>

namespace {

constexpr std::int64_t kInt64Max = std::numeric_limits<std::int64_t>::max();
constexpr std::int64_t kInt64Min = std::numeric_limits<std::int64_t>::min();

// The decimal value of the leading digits after leading blanks, with an
// optional sign; 0 when there are none. Saturates rather than wraps, as
// number tokens do: "5000000000" must not compare as a small number.
std::int64_t LeadingNumber(const std::string& text)
{
    size_t at = 0;
    while (at < text.size() && std::isspace(static_cast<unsigned char>(text[at])))
        ++at;
    bool negative = false;
    if (at < text.size() && (text[at] == '+' || text[at] == '-')) {
        negative = text[at] == '-';
        ++at;
    }
    std::int64_t value = 0;
    for (; at < text.size() && std::isdigit(static_cast<unsigned char>(text[at])); ++at) {
        const int digit = text[at] - '0';
        if (value > (kInt64Max - digit) / 10)
            return negative ? kInt64Min : kInt64Max;
        value = value * 10 + digit;
    }
    return negative ? -value : value;
}

std::int32_t Clamp32(std::int64_t value)
{
    if (value > std::numeric_limits<std::int32_t>::max())
        return std::numeric_limits<std::int32_t>::max();
    if (value < std::numeric_limits<std::int32_t>::min())
        return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(value);
}

}  // namespace

// The value as a signed number in 64 bits, which holds every integer, size
// and time without loss; the 32-bit integer is this, clamped.
std::int64_t CScriptValue::ToInteger64() const
{
    switch (m_nKind) {
    case ScriptValueKind::Integer:
        return m_nInteger;
    case ScriptValueKind::String:
        return LeadingNumber(m_strString);
    case ScriptValueKind::Time:
        // The seconds, so that a time turned into a number and back is the
        // same time (its 14-digit text form would not fit 32 bits).
        return m_tTime;
    case ScriptValueKind::Boolean:
        return m_bBoolean ? 1 : 0;
    case ScriptValueKind::Unsigned:
        return m_nUnsigned > static_cast<std::uint64_t>(kInt64Max) ? kInt64Max
                                                                   : static_cast<std::int64_t>(m_nUnsigned);
    case ScriptValueKind::None:
        break;
    }
    return m_nInteger;
}

std::int32_t CScriptValue::ToInteger() const
{
    return Clamp32(ToInteger64());
}

// A negative integer keeps its bits, so it counts as larger than any size.
std::uint64_t CScriptValue::ToUnsigned() const
{
    if (m_nKind == ScriptValueKind::Unsigned)
        return m_nUnsigned;
    return static_cast<std::uint64_t>(ToInteger64());
}

// Numbers are taken as seconds; a boolean as 1 or 0 seconds.
std::int64_t CScriptValue::ToTime() const
{
    return ToInteger64();
}

// A value of kind none is left only by statements that succeeded without
// producing anything (a failing one ends the condition first), so it counts
// as true, as it compares true with anything.
bool CScriptValue::ToBoolean() const
{
    switch (m_nKind) {
    case ScriptValueKind::None:
        return true;
    case ScriptValueKind::Boolean:
        return m_bBoolean;
    case ScriptValueKind::Unsigned:
        return m_nUnsigned != 0;
    default:
        return ToInteger64() != 0;
    }
}

std::string CScriptValue::ToString() const
{
    switch (m_nKind) {
    case ScriptValueKind::Integer:
        return std::to_string(m_nInteger);
    case ScriptValueKind::String:
        return m_strString;
    case ScriptValueKind::Time:
        return script_time::FormatLocal(m_tTime, "%Y%m%d%H%M%S");
    case ScriptValueKind::Boolean:
        return m_bBoolean ? "TRUE" : "FALSE";
    case ScriptValueKind::Unsigned:
        return std::to_string(m_nUnsigned);
    case ScriptValueKind::None:
        break;
    }
    return {};
}
