#include "MarloProgress.h"

#include <netvo32.h>

#include <algorithm>
#include <chrono>
#include <cstdio>

namespace {

using Clock = std::chrono::steady_clock;

struct ProgressLine {
    bool open = false;
    int handle = 0;
    long long done = 0;
    long long total = 0;
    Clock::time_point start;
    size_t width = 0;  // of the longest text shown, to blank what is left of it
};

ProgressLine g_line;

std::string FormatRate(double bytesPerSecond)
{
    static const char* const kUnits[] = {"B/s", "KiB/s", "MiB/s", "GiB/s"};
    int unit = 0;
    while (bytesPerSecond >= 1024.0 && unit < 3) {
        bytesPerSecond /= 1024.0;
        ++unit;
    }
    char text[32];
    std::snprintf(text, sizeof text, "%.1f %s", bytesPerSecond, kUnits[unit]);
    return text;
}

// A different connection, a different size or a count that went back is a
// new transfer, which gets a line of its own.
bool IsNewTransfer(int handle, long long done, long long total)
{
    return !g_line.open || handle != g_line.handle || total != g_line.total || done < g_line.done;
}

int ProgressHook(int handle, long long done, long long total, int statusbox, void*)
{
    // Waits for a reply also reach the hook; only moving data is shown.
    if (statusbox == 0 || (done <= 0 && total <= 0))
        return 0;
    const Clock::time_point now = Clock::now();
    if (IsNewTransfer(handle, done, total)) {
        MarloProgressEndLine();
        g_line = ProgressLine{true, handle, done, total, now, 0};
    }
    g_line.done = done;
    std::string text = FormatMarloProgress(done, total, std::chrono::duration<double>(now - g_line.start).count());
    const size_t width = text.size();
    text.resize(std::max(width, g_line.width), ' ');
    g_line.width = std::max(width, g_line.width);
    std::fprintf(stderr, "\r%s", text.c_str());
    std::fflush(stderr);
    return 0;  // never abort a transfer
}

}  // namespace

void MarloProgressInstall()
{
    netvo_setwaithook(ProgressHook, nullptr);
}

void MarloProgressEndLine()
{
    if (!g_line.open)
        return;
    std::fputc('\n', stderr);
    std::fflush(stderr);
    g_line.open = false;
}

std::string FormatMarloProgress(long long done, long long total, double seconds)
{
    std::string text = std::to_string(done) + " bytes";
    if (total > 0) {
        const long long percent = std::min(100LL, done * 100 / total);
        text += "  " + std::to_string(percent) + "%";
    }
    text += "  " + FormatRate(seconds > 0.0 ? static_cast<double>(done) / seconds : 0.0);
    return text;
}
