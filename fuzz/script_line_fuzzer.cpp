// Runs one script line through the engine, as Marlo_ExecLine and
// Marlo_ExecLine2 do, against the netvo stub: the first byte picks echo on
// or off and whether the line runs on no session, on an attached handle, or
// on a caller's session, so that FTP statements reach their handlers too.
#include "ScriptEngine.h"
#include "ScriptFuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size == 0)
        return 0;
    const unsigned mode = data[0];
    const std::string line(reinterpret_cast<const char*>(data) + 1, size - 1);
    if (!fuzz::MayRun(line))
        return -1;

    CSession caller;  // outlives the engine, which only borrows it
    {
        CScriptEngine engine;
        fuzz::Prepare(engine, (mode & 1) != 0);
        switch ((mode >> 1) % 3) {
        case 1:
            engine.AttachHandle(1);
            break;
        case 2:
            caller.m_strName = "caller";
            caller.m_nFtpHandle = 1;
            engine.UseCallerSession(caller);
            break;
        default:
            break;
        }
        if (engine.SetLine(line) != 0)
            engine.ExecuteLine();
    }
    fuzz::Finish();
    return 0;
}
