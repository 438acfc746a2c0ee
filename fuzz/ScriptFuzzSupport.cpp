#include "ScriptFuzzSupport.h"

#include "ScriptEngine.h"
#include "TraceLog.h"

#include <cctype>
#include <cstring>
#include <string>

namespace fuzz {

namespace {

// The echo callbacks and the trace output read what they get to its end, so
// that the sanitizers check it is a proper C string.
int Swallow(std::intptr_t, const char* text)
{
    volatile size_t length = text != nullptr ? std::strlen(text) : 0;
    (void)length;
    return 0;
}

void SwallowTrace(TraceOutputContext, const char* line)
{
    Swallow(0, line);
}

}  // namespace

bool MayRun(std::string_view script)
{
    std::string lower(script);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    if (lower.find("logfile") != std::string::npos)
        return false;
    if (lower.find("retry") == std::string::npos && lower.find("restart") == std::string::npos)
        return true;
    size_t digits = 0;
    for (char c : lower) {
        digits = std::isdigit(static_cast<unsigned char>(c)) ? digits + 1 : 0;
        if (digits >= 3)
            return false;
    }
    return true;
}

void Prepare(CScriptEngine& engine, bool echo)
{
    g_TraceLog.SetOutput(0, SwallowTrace);
    engine.SetCallbacks(Swallow, Swallow);
    engine.SetEchoFlag(echo);
    NetvoStubNewInput();
}

void Finish()
{
    g_TraceLog.SetTrace(0);
}

}  // namespace fuzz
