// A check against a real X display: logs in to a test-bed server, copies a
// row of the file list as its Copy command does, and lets xclip read the
// clipboard as text/uri-list, as a file manager would. Passes when the URI
// names a local file with the server file's bytes.
//   DISPLAY=:58 QT_QPA_PLATFORM=xcb tavo_clipcheck
#include "DriveView.h"
#include "FileListModel.h"
#include "FileView.h"
#include "FtpSession.h"
#include "MainFrame.h"
#include "TavoApp.h"
#include "TavoDoc.h"
#include "TavoStart.h"
#include "TestFtpServer.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QItemSelectionModel>
#include <QProcess>
#include <QTimer>
#include <QUrl>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>

namespace {

std::string ReadAll(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

}  // namespace

int main(int argc, char** argv)
{
    char pattern[] = "/tmp/tavo-clipcheck-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::filesystem::path home = pattern;
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "xcb", 0);

    int result = 1;
    {
        QApplication application(argc, argv);
        SetupApplication(application);
        testbed::TestFtpServer server;
        std::string data(100000, '\0');
        std::mt19937 random(5);
        for (char& c : data)
            c = static_cast<char>(random() & 0xFF);
        std::ofstream(server.Root() / "hello.bin", std::ios::binary) << data;

        CTavoApp app;
        app.InitInstance();
        CMainFrame frame(app.GetDocument());
        frame.show();
        frame.OnInitialUpdate();
        std::string name = "testbed";
        CSession* session = app.GetDocument()->AddSession(name);
        if (session->Login(server.HostPort(), server.User(), server.Password(), "", false, true) != 0) {
            std::fprintf(stderr, "login failed\n");
            return 1;
        }
        session->SetPwd();
        frame.GetDriveView()->AddFtpServerToTree(name, true);
        CFileView* list = frame.GetFileView();
        list->RefreshView();
        const int row = list->GetModel()->FindName("hello.bin");
        if (row < 0) {
            std::fprintf(stderr, "hello.bin is not listed\n");
            return 1;
        }
        list->GetListCtrl()->selectionModel()->select(list->GetModel()->index(row, 0),
                                                      QItemSelectionModel::Select | QItemSelectionModel::Rows);
        list->OnEditCopy();

        QProcess xclip;
        QObject::connect(&xclip, &QProcess::finished, &application, [&] {
            const QByteArray out = xclip.readAllStandardOutput();
            const QString first = QString::fromUtf8(out).split(QStringLiteral("\r\n")).value(0).trimmed();
            const std::string path = QUrl(first).toLocalFile().toStdString();
            if (!path.empty() && ReadAll(path) == data) {
                std::printf("OK: %s holds the server file's %zu bytes\n", path.c_str(), data.size());
                result = 0;
            } else {
                std::fprintf(stderr, "xclip gave \"%s\" (%s)\n", out.constData(),
                             xclip.readAllStandardError().constData());
            }
            application.quit();
        });
        QTimer::singleShot(30000, &application, [&] {
            std::fprintf(stderr, "no answer within 30 seconds\n");
            xclip.kill();
            application.quit();
        });
        xclip.start(QStringLiteral("xclip"), {QStringLiteral("-o"), QStringLiteral("-selection"),
                                              QStringLiteral("clipboard"), QStringLiteral("-t"),
                                              QStringLiteral("text/uri-list")});
        application.exec();
        xclip.waitForFinished(5000);
        app.GetDocument()->OnCloseDocument();
    }
    std::error_code error;
    std::filesystem::remove_all(home, error);
    return result;
}
