// Draws Tavo's main window into a PNG, logged in to a test-bed server with a
// few folders and files, on the offscreen platform:
//   tavo_screenshot docs/tavo-main-window.png [view mode 0-3]
#include "DriveView.h"
#include "FileView.h"
#include "FtpSession.h"
#include "MainFrame.h"
#include "MsgView.h"
#include "TavoApp.h"
#include "TavoDoc.h"
#include "TavoStart.h"
#include "TestFtpServer.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QPixmap>
#include <QTest>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>

namespace {

void Put(const std::filesystem::path& path, std::size_t size, int daysAgo)
{
    std::filesystem::create_directories(path.parent_path());
    std::ofstream(path) << std::string(size, 'x');
    std::filesystem::last_write_time(path, std::filesystem::file_time_type::clock::now() - std::chrono::hours(24 * daysAgo));
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc < 2) {
        std::fprintf(stderr, "usage: %s output.png\n", argv[0]);
        return 2;
    }
    char pattern[] = "/tmp/tavo-screenshot-XXXXXX";
    if (!mkdtemp(pattern))
        return 1;
    const std::filesystem::path home = pattern;
    setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);

    int result = 1;
    {
        QApplication application(argc, argv);
        SetupApplication(application);
        testbed::TestFtpServer server;
        const auto& root = server.Root();
        for (const char* folder : {"pub", "incoming", "backups", "www"})
            std::filesystem::create_directories(root / folder);
        Put(root / "www" / "index.html", 5120, 3);
        Put(root / "pub" / "tavo-1.0.tar.gz", 1843200, 12);
        Put(root / "README.txt", 2417, 40);
        Put(root / "release-notes.pdf", 348160, 9);
        Put(root / "logo.png", 18944, 120);
        Put(root / "site.conf", 911, 2);
        Put(root / "install.sh", 4096, 30);
        Put(root / "data.csv", 73728, 1);

        CTavoApp app;
        app.InitInstance();
        CMainFrame frame(app.GetDocument());
        frame.resize(1024, 680);
        frame.show();
        if (!QTest::qWaitForWindowExposed(&frame))
            return 1;
        frame.OnInitialUpdate();

        std::string name = "127.0.0.1";
        CSession* session = app.GetDocument()->AddSession(name);
        if (session->Login(server.HostPort(), server.User(), server.Password(), "", false, true) == 0) {
            session->SetPwd();
            frame.GetDriveView()->AddFtpServerToTree(name, true);
            QTreeWidgetItem* item = frame.GetDriveView()->currentItem();
            if (item) {
                frame.GetDriveView()->expandItem(item);
                frame.GetDriveView()->scrollToItem(item, QAbstractItemView::PositionAtTop);
            }
            QComboBox* bar = frame.GetCommandBar();
            QTest::keyClicks(bar, "pwd");
            QTest::keyClick(bar, Qt::Key_Return);
            bar->lineEdit()->clear();
            QTest::keyClicks(bar, "ls");
            QTest::keyClick(bar, Qt::Key_Return);
            frame.GetCommandBar()->setEditText("pwd");
            result = 0;
        }
        if (argc > 2)
            frame.GetFileView()->SetViewStyle(static_cast<CFileView::ViewStyle>(std::atoi(argv[2]) & 3));
        QApplication::processEvents();
        const QPixmap shot = frame.grab();
        if (!shot.save(QString::fromLocal8Bit(argv[1]), "PNG"))
            result = 1;
        app.GetDocument()->OnCloseDocument();
    }
    std::error_code error;
    std::filesystem::remove_all(home, error);
    return result;
}
