// A bound on how deep the engine's recursive parts may go (lines run inside
// an if, operands inside parentheses and "not", functions inside functions),
// so that a hostile script cannot exhaust the stack.
#pragma once

namespace script_nesting {

inline constexpr int kMaxDepth = 64;
inline constexpr const char* kExpected = "<at most 64 levels>";

// Counts one level for its lifetime; Allowed() is false beyond the bound.
class CGuard {
public:
    explicit CGuard(int& depth) : m_nDepth(depth), m_bAllowed(depth < kMaxDepth) { ++m_nDepth; }
    ~CGuard() { --m_nDepth; }
    CGuard(const CGuard&) = delete;
    CGuard& operator=(const CGuard&) = delete;
    bool Allowed() const { return m_bAllowed; }

private:
    int& m_nDepth;
    bool m_bAllowed;
};

}  // namespace script_nesting
