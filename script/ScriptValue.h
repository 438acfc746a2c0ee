// CScriptValue: the typed result of one statement or operand. Statements
// store their outcome here (most FTP statements their completion code as an
// integer); conditions read it.
#pragma once

#include <cstdint>
#include <string>

enum class ScriptValueKind : int {
    None = 0,
    Integer = 1,
    String = 2,
    Time = 3,
    Boolean = 4,
    Unsigned = 5,
};

class CScriptValue {
public:
    void Reset() { *this = CScriptValue(); }
    void SetInteger(std::int32_t value);
    void SetString(std::string value);
    void SetTime(std::int64_t seconds);
    void SetBoolean(bool value);
    void SetUnsigned(std::uint32_t value);

    ScriptValueKind m_nKind = ScriptValueKind::None;
    std::int32_t m_nInteger = 0;
    std::string m_strString;
    // Seconds since 1970. Held in 64 bits so that dates after January 2038
    // stay right.
    std::int64_t m_tTime = 0;
    bool m_bBoolean = false;
    std::uint32_t m_nUnsigned = 0;
};
