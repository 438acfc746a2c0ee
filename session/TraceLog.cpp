#include "TraceLog.h"

#include "TextFormat.h"

#include <cstdarg>
#include <cstdio>
#include <ctime>

CTraceLog g_TraceLog;

namespace {

constexpr const char* kCrLf = "\r\n";

std::string LocalDateTime(const char* pattern)
{
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char buffer[64];
    const size_t length = std::strftime(buffer, sizeof buffer, pattern, &local);
    return std::string(buffer, length);
}

void EndWithCrLf(std::string& line)
{
    if (!line.ends_with(kCrLf))
        line += kCrLf;
}

}  // namespace

CTraceLog::~CTraceLog()
{
    EndLogFile();
}

void CTraceLog::SetOutput(TraceOutputContext context, TraceOutputCallback callback)
{
    m_nOutputContext = context;
    m_pfnOutput = callback;
}

void CTraceLog::Trace(const char* format, ...)
{
    if ((m_nTrace & m_nMessages) == 0)
        return;
    va_list args;
    va_start(args, format);
    std::string line = LocalDateTime("%m/%d/%Y %H:%M:%S ") + "Trace-->" + FormatTextV(format, args);
    va_end(args);
    EndWithCrLf(line);
    Output(line);
    AppendToLogFile(line);
}

void CTraceLog::Message(const char* format, ...)
{
    if (m_nMessages == 0)
        return;
    va_list args;
    va_start(args, format);
    std::string line = FormatTextV(format, args);
    va_end(args);
    EndWithCrLf(line);
    Output(line);
}

void CTraceLog::Warning(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    const std::string text = "Warning: " + FormatTextV(format, args);
    va_end(args);
    if (m_pfnOutput == nullptr)
        std::fprintf(stderr, "%s\n", text.c_str());
    std::string line = text;
    EndWithCrLf(line);
    Output(line);
    AppendToLogFile(line);
}

void CTraceLog::LogAppend(const char* format, ...)
{
    if (m_nLogFile == 0)
        return;
    va_list args;
    va_start(args, format);
    const std::string text = FormatTextV(format, args);
    va_end(args);
    AppendToLogFile(text);
}

void CTraceLog::OpenLogFile(const std::string& path)
{
    m_strLogFile = path;
    m_nLogFile = 1;
    LogAppend("%s MARLO32 version 1.003: Log Begin.\n", LocalDateTime("%m/%d/%Y %H:%M:%S").c_str());
}

void CTraceLog::EndLogFile()
{
    LogAppend("%s MARLO32 Log End.\n", LocalDateTime("%m/%d/%Y %H:%M:%S").c_str());
    m_nLogFile = 0;
}

void CTraceLog::Output(const std::string& line) const
{
    if (m_pfnOutput != nullptr)
        m_pfnOutput(m_nOutputContext, line.c_str());
}

// One open, write and close per line, so that the file is complete after
// every line and other programs may read it while a script runs.
void CTraceLog::AppendToLogFile(const std::string& text)
{
    if (m_nLogFile == 0)
        return;
    std::FILE* file = std::fopen(m_strLogFile.c_str(), "a");
    if (file == nullptr) {
        // A log that cannot be written must not stop the run: file logging
        // goes off quietly until the next OpenLogFile.
        m_nLogFile = 0;
        return;
    }
    std::fwrite(text.data(), 1, text.size(), file);
    std::fclose(file);
}
