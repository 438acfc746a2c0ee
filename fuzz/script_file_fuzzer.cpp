// Runs a whole script through the engine's file run, against the netvo stub.
// The script lives in an anonymous memory file: nothing is written to disk.
#include "ScriptEngine.h"
#include "ScriptFuzzSupport.h"

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <sys/mman.h>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const std::string_view script(reinterpret_cast<const char*>(data), size);
    if (!fuzz::MayRun(script))
        return -1;
    const int fd = memfd_create("script", MFD_CLOEXEC);
    if (fd < 0)
        __builtin_trap();
    for (size_t done = 0; done < size;) {
        const ssize_t n = write(fd, data + done, size - done);
        if (n <= 0)
            __builtin_trap();
        done += static_cast<size_t>(n);
    }
    {
        CScriptEngine engine;
        fuzz::Prepare(engine, true);
        engine.Run("/proc/self/fd/" + std::to_string(fd));
    }
    close(fd);
    fuzz::Finish();
    return 0;
}
