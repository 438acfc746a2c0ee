// How long opening a server folder of many subfolders takes in the folder
// tree, on a server that answers every command late, as a distant one does.
// Starts the test-bed server with every reply delayed, makes a folder of
// FOLDERS empty subfolders, logs in through the session, adds the server to
// an offscreen tree and opens the folder RUNS times (closing it in between).
//
//   expand_bench [--runs N] [--folders N] [--delay SECONDS]
//
// Prints each run (wall time, listings the server received) and the median
// with its spread. Exits 1 when the login or an opening fails.
#include "DriveView.h"
#include "FtpSession.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TestFtpServer.h"
#include "TraceLog.h"

#include <QApplication>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

long CountLists(const std::vector<std::string>& commands, size_t from)
{
    return std::count_if(commands.begin() + static_cast<long>(std::min(from, commands.size())), commands.end(),
                         [](const std::string& c) { return c.rfind("LIST", 0) == 0; });
}

int Usage()
{
    std::fprintf(stderr, "usage: expand_bench [--runs N] [--folders N] [--delay SECONDS]\n");
    return 2;
}

}  // namespace

int main(int argc, char** argv)
{
    int runs = 5;
    int folders = 300;
    double delay = 0.025;
    for (int i = 1; i < argc; ++i) {
        if (i + 1 >= argc)
            return Usage();
        if (std::strcmp(argv[i], "--runs") == 0)
            runs = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--folders") == 0)
            folders = std::atoi(argv[++i]);
        else if (std::strcmp(argv[i], "--delay") == 0)
            delay = std::atof(argv[++i]);
        else
            return Usage();
    }
    if (runs < 1 || folders < 1 || delay < 0)
        return Usage();

    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    QApplication application(argc, argv);
    testbed::TestFtpServer server;
    for (int i = 0; i < folders; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "sub%05d", i);
        std::filesystem::create_directories(server.Root() / "many" / name);
    }
    server.DelayReplies("*", delay);

    int result = 0;
    {
        CTavoDoc doc;
        CDriveView tree(&doc);
        std::string name = "bench";
        CSession* session = doc.AddSession(name);
        if (!session || session->Login(server.HostPort(), server.User(), server.Password(), "", false, true) != 0) {
            std::fprintf(stderr, "expand_bench: login failed\n");
            result = 1;
        } else {
            session->SetPwd();
            tree.AddFtpServerToTree(name, false);
            QTreeWidgetItem* top = tree.topLevelItem(tree.topLevelItemCount() - 1);
            tree.expandItem(top);
            QTreeWidgetItem* many = tree.FindItem(top, "many");
            std::vector<double> times;
            for (int run = 0; many && run < runs; ++run) {
                tree.collapseItem(many);
                const size_t mark = server.Commands().size();
                const Clock::time_point start = Clock::now();
                tree.expandItem(many);
                const double seconds = std::chrono::duration<double>(Clock::now() - start).count();
                const long lists = CountLists(server.Commands(), mark);
                std::printf("run %d: %.3f s, %d folders, %ld listings\n", run + 1, seconds, many->childCount(),
                            lists);
                if (many->childCount() != folders) {
                    std::fprintf(stderr, "expand_bench: %d folders shown, %d expected\n", many->childCount(),
                                 folders);
                    result = 1;
                    break;
                }
                times.push_back(seconds);
            }
            if (!many)
                result = 1;
            if (!times.empty()) {
                std::vector<double> sorted = times;
                std::sort(sorted.begin(), sorted.end());
                const size_t n = sorted.size();
                const double median = n % 2 ? sorted[n / 2] : (sorted[n / 2 - 1] + sorted[n / 2]) / 2;
                std::printf("open a folder of %d folders, replies %.0f ms late: median %.3f s (%.3f-%.3f), %d runs\n",
                            folders, delay * 1000, median, sorted.front(), sorted.back(), static_cast<int>(n));
            }
        }
        doc.OnCloseDocument();
    }
    return result;
}
