// CScriptValue: the typed result of one statement or operand. Statements
// store their outcome here (most FTP statements their completion code as an
// integer); conditions read it, converting it to the kind they need.
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
    void SetUnsigned(std::uint64_t value);

    // Conversions to each kind (ScriptValueConvert.cpp).
    std::int32_t ToInteger() const;
    std::uint64_t ToUnsigned() const;
    std::int64_t ToTime() const;
    bool ToBoolean() const;
    std::string ToString() const;
    std::int64_t ToInteger64() const;

    // The typed comparison of conditions: the kind of this value decides,
    // and `right` is converted to it. `op` is a comparison token (101-106);
    // any other number yields false (ScriptCompare.cpp).
    bool Compare(std::int32_t op, const CScriptValue& right) const;

    ScriptValueKind m_nKind = ScriptValueKind::None;
    std::int32_t m_nInteger = 0;
    std::string m_strString;
    // Seconds since 1970. Held in 64 bits so that dates after January 2038
    // stay right.
    std::int64_t m_tTime = 0;
    bool m_bBoolean = false;
    // File sizes: 64 bits, since files of 4 GiB and more are ordinary and a
    // size that wrapped would compare as a small one.
    std::uint64_t m_nUnsigned = 0;
};
