// The GUI's copy engine on its own, for bench/paste-run: one login, then one
// paste of a whole folder through CDriveView::DoPaste, as the tree and the
// file list start it, but without a progress window and without anything
// on screen.
//
//   paste_bench --host HOST:PORT --user USER --password PASS
//               (--download REMOTE_FOLDER LOCAL_TARGET_FOLDER
//                | --upload LOCAL_FOLDER REMOTE_TARGET_FOLDER)
//
// The copy lands in the target folder under the source folder's name; the
// target folder must exist. Existing names are replaced without a
// question. The session is what a new server profile in the GUI makes:
// passive, automatic ASCII for the listed file types, its folder recorded.
//
// Prints nothing and exits 0 when the paste worked; otherwise exits 1 and
// prints the messages the GUI would have shown (2 for a usage error).
#include "DriveView.h"
#include "FtpSession.h"
#include "Prompt.h"
#include "Settings.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <QApplication>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

namespace {

// The messages of the run, shown only if it fails.
std::vector<std::string> g_messages;

void CollectMessage(TraceOutputContext, const char* line)
{
    g_messages.emplace_back(line ? line : "");
}

// Qt's own warnings (a desktop variable not set, say) wait with the rest.
void CollectQtMessage(QtMsgType, const QMessageLogContext&, const QString& text)
{
    g_messages.push_back("qt: " + text.toStdString());
}

// No one is there to answer: a question means the paste did not run as the
// bench set it up (the settings above ask none), so it counts as a failure.
class CNoAnswers : public IPromptResponder {
public:
    bool Answer(const PromptRequest& request, QString&) override
    {
        g_messages.push_back("question: " + request.title.toStdString() + ": " + request.text.toStdString());
        ++m_nAsked;
        return false;
    }
    int m_nAsked = 0;
};

int Usage()
{
    std::fprintf(stderr,
                 "usage: paste_bench --host HOST:PORT --user USER --password PASS\n"
                 "                   (--download REMOTE_FOLDER LOCAL_TARGET_FOLDER\n"
                 "                    | --upload LOCAL_FOLDER REMOTE_TARGET_FOLDER)\n");
    return 2;
}

std::string WithoutTrailingSlashes(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string LastName(const std::string& path)
{
    const size_t slash = path.rfind('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Fail(const char* what)
{
    std::fprintf(stderr, "paste_bench: %s\n", what);
    for (std::string line : g_messages) {
        while (!line.empty() && (line.back() == '\n' || line.back() == '\r'))
            line.pop_back();
        if (!line.empty())
            std::fprintf(stderr, "  %s\n", line.c_str());
    }
    return 1;
}

}  // namespace

int main(int argc, char** argv)
{
    std::string host;
    std::string user;
    std::string password;
    std::string source;
    std::string targetFolder;
    bool download = false;
    bool haveJob = false;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if ((arg == "--host" || arg == "--user" || arg == "--password") && i + 1 < argc) {
            (arg == "--host" ? host : arg == "--user" ? user : password) = argv[++i];
        } else if ((arg == "--download" || arg == "--upload") && i + 2 < argc && !haveJob) {
            download = arg == "--download";
            source = argv[++i];
            targetFolder = argv[++i];
            haveJob = true;
        } else {
            return Usage();
        }
    }
    source = WithoutTrailingSlashes(source);
    targetFolder = WithoutTrailingSlashes(targetFolder);
    if (host.empty() || user.empty() || !haveJob || source.empty() || targetFolder.empty() || source == "/")
        return Usage();

    // Widgets need a platform; this one draws nowhere.
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    qInstallMessageHandler(&CollectQtMessage);
    QApplication application(argc, argv);
    g_TraceLog.SetOutput(0, &CollectMessage);
    CNoAnswers noAnswers;
    CPrompt::SetResponder(&noAnswers);

    // Replace without questions, as a user who switched both questions off.
    g_Settings.m_bLocalUnique = 0;
    g_Settings.m_bLocalPrompt = 0;
    g_Settings.m_bRemoteUnique = 0;
    g_Settings.m_bRemotePrompt = 0;

    int result = 0;
    {
        CTavoDoc doc;
        CDriveView tree(&doc);
        std::string name = "bench";
        CSession* session = doc.AddSession(name);
        if (!session || session->Login(host, user, password, "", false, true) != 0) {
            result = Fail("login failed");
        } else {
            session->SetAsciiCallback(reinterpret_cast<std::intptr_t>(&g_Settings), &CSettings::AsciiCallback, true);
            session->SetPwd();
            const int handle = session->GetFtpHandle();
            const std::string target = (targetFolder == "/" ? std::string() : targetFolder) + "/" + LastName(source);
            const bool ok = download ? tree.DoPaste(source, target, handle, 0, true, false)
                                     : tree.DoPaste(source, target, 0, handle, true, false);
            if (!ok)
                result = Fail("the paste failed");
            else if (noAnswers.m_nAsked != 0)
                result = Fail("the paste asked a question");
        }
        // Logs out before the window and the application go.
        doc.OnCloseDocument();
    }
    CPrompt::SetResponder(nullptr);
    g_TraceLog.SetOutput(0, nullptr);
    qInstallMessageHandler(nullptr);
    return result;
}
