// The trace log: every component reports through one global instance on two
// channels. Messages are always shown to the user; trace lines only while
// tracing is on. Both go to one output callback installed by the host (the
// main window in the GUI); trace lines can also be appended to a log file.
#pragma once

#include <cstdint>
#include <string>

// The host's context is handed back to the callback untouched. It is wide
// enough for a pointer, since the GUI passes its message view here.
using TraceOutputContext = std::intptr_t;
using TraceOutputCallback = void (*)(TraceOutputContext context, const char* line);

#if defined(__GNUC__)
#define TRACELOG_PRINTF(fmtIndex, argIndex) __attribute__((format(printf, fmtIndex, argIndex)))
#else
#define TRACELOG_PRINTF(fmtIndex, argIndex)
#endif

class CTraceLog {
public:
    CTraceLog() = default;
    ~CTraceLog();
    CTraceLog(const CTraceLog&) = delete;
    CTraceLog& operator=(const CTraceLog&) = delete;

    // A trace line: date-time, "Trace-->", the text, CR LF. Only when the
    // trace flag and the messages flag have a bit in common.
    void Trace(const char* format, ...) TRACELOG_PRINTF(2, 3);
    // A line the user always sees (unless messages are off); never logged.
    void Message(const char* format, ...) TRACELOG_PRINTF(2, 3);
    // A risk the user must hear of even in an unattended run ("Warning: "
    // first): to the output like a message, or, when no host installed
    // one (the console runner), to standard error; also to the log file.
    void Warning(const char* format, ...) TRACELOG_PRINTF(2, 3);
    // Raw text to the log file only.
    void LogAppend(const char* format, ...) TRACELOG_PRINTF(2, 3);

    void SetTrace(int flag) { m_nTrace = flag; }
    void SetMessages(int flag) { m_nMessages = flag; }
    void SetOutput(TraceOutputContext context, TraceOutputCallback callback);

    void OpenLogFile(const std::string& path);
    void EndLogFile();

    int GetTrace() const { return m_nTrace; }
    int GetMessages() const { return m_nMessages; }
    int IsLogFileOn() const { return m_nLogFile; }
    const std::string& GetLogFilePath() const { return m_strLogFile; }

private:
    void Output(const std::string& line) const;
    void AppendToLogFile(const std::string& text);

    TraceOutputContext m_nOutputContext = 0;
    int m_nMessages = 1;  // also masks tracing
    int m_nTrace = 0;
    int m_nLogFile = 0;
    std::string m_strLogFile;
    TraceOutputCallback m_pfnOutput = nullptr;
};

extern CTraceLog g_TraceLog;
