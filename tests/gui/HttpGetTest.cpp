// The "HTTP GET" dialog against local web servers: Python's http.server for
// real files and errors, and a small scripted server for bodies that end
// early or stall and for redirects. A download either stores the whole body
// under the chosen name or leaves the place as it was.
#include "HttpDownload.h"
#include "HttpGetDlg.h"

#include "GuiTestSupport.h"
#include "Profile.h"
#include "ScriptedPrompt.h"

#include <QComboBox>
#include <QDeadlineTimer>
#include <QDir>
#include <QLineEdit>
#include <QProcess>
#include <QSettings>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTest>

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <random>
#include <string>

namespace {

namespace fs = std::filesystem;

// Answers by path: /drop announces 100000 bytes and closes after 1000,
// /stall sends 1000 and then nothing, /hop redirects to /body, /loop to
// itself, /ftp to an ftp address.
constexpr const char* kScriptedServer = R"PY(
import socket, sys
s = socket.socket()
s.bind(("127.0.0.1", 0))
s.listen(16)
print(s.getsockname()[1], flush=True)
held = []
def answer(c, head, body=b""):
    c.sendall(head.encode() + b"\r\nContent-Length: %d\r\nConnection: close\r\n\r\n" % len(body) + body)
    c.close()
while True:
    c, _ = s.accept()
    data = b""
    while b"\r\n\r\n" not in data:
        chunk = c.recv(4096)
        if not chunk:
            break
        data += chunk
    parts = data.split(b" ")
    path = parts[1].decode() if len(parts) > 2 else "/"
    if path in ("/drop", "/stall"):
        c.sendall(b"HTTP/1.1 200 OK\r\nContent-Length: 100000\r\n\r\n" + b"x" * 1000)
        if path == "/drop":
            c.close()
        else:
            held.append(c)
    elif path == "/hop":
        answer(c, "HTTP/1.1 302 Found\r\nLocation: /body")
    elif path == "/loop":
        answer(c, "HTTP/1.1 302 Found\r\nLocation: /loop")
    elif path == "/ftp":
        answer(c, "HTTP/1.1 302 Found\r\nLocation: ftp://127.0.0.1/x")
    elif path == "/body":
        answer(c, "HTTP/1.1 200 OK", b"moved body")
    else:
        answer(c, "HTTP/1.1 404 Not Found")
)PY";

// A child process stopped by its own id when the test ends.
class CChild {
public:
    ~CChild()
    {
        if (m_process.state() != QProcess::NotRunning) {
            m_process.kill();
            m_process.waitForFinished(5000);
        }
    }
    QProcess& Process() { return m_process; }

private:
    QProcess m_process;
};

int FreePort()
{
    QTcpServer probe;
    probe.listen(QHostAddress::LocalHost, 0);
    return probe.serverPort();
}

bool Answers(int port)
{
    QDeadlineTimer deadline(10000);
    while (!deadline.hasExpired()) {
        QTcpSocket socket;
        socket.connectToHost(QHostAddress::LocalHost, static_cast<quint16>(port));
        if (socket.waitForConnected(200))
            return true;
        QTest::qWait(50);
    }
    return false;
}

class HttpGet : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        s_root = new fs::path(guitest::NewScratchFolder("http-served"));
        std::mt19937 engine(7);
        s_file = new std::string(200000, '\0');
        for (char& c : *s_file)
            c = static_cast<char>(engine());
        s_file->replace(100, 6, "a\r\nb\nc");  // line ends must pass unchanged
        guitest::WriteFile(*s_root / "data.bin", *s_file);

        s_files = new CChild;
        s_filesPort = FreePort();
        s_files->Process().start(QStringLiteral("/usr/bin/python3"),
                                 {QStringLiteral("-m"), QStringLiteral("http.server"), QStringLiteral("--bind"),
                                  QStringLiteral("127.0.0.1"), QString::number(s_filesPort), QStringLiteral("--directory"),
                                  QString::fromStdString(s_root->string())});
        ASSERT_TRUE(Answers(s_filesPort));

        s_scripted = new CChild;
        s_scripted->Process().start(QStringLiteral("/usr/bin/python3"), {QStringLiteral("-c"), QString::fromUtf8(kScriptedServer)});
        ASSERT_TRUE(s_scripted->Process().waitForReadyRead(10000));
        s_scriptedPort = s_scripted->Process().readLine().trimmed().toInt();
        ASSERT_TRUE(Answers(s_scriptedPort));
    }

    static void TearDownTestSuite()
    {
        delete s_files;
        delete s_scripted;
        delete s_file;
        delete s_root;
    }

    void SetUp() override { QSettings(QString::fromLatin1(kProfileCompany), QString::fromLatin1(kProfileApplication)).clear(); }

    static QString FilesUrl(const char* path) { return QStringLiteral("http://127.0.0.1:%1%2").arg(s_filesPort).arg(path); }
    static QString ScriptedUrl(const char* path)
    {
        return QStringLiteral("http://127.0.0.1:%1%2").arg(s_scriptedPort).arg(path);
    }

    // Types the address as a user would, so that it counts as typed.
    static void Type(CHttpGetDlg& dialog, const QString& url)
    {
        dialog.UrlBox()->lineEdit()->clear();
        QTest::keyClicks(dialog.UrlBox()->lineEdit(), url);
        ASSERT_EQ(dialog.UrlBox()->currentText(), url);
    }

    static int PartFiles(const fs::path& folder)
    {
        int count = 0;
        for (const auto& entry : fs::directory_iterator(folder))
            count += entry.path().filename().string().ends_with(".part");
        return count;
    }

    static inline fs::path* s_root = nullptr;
    static inline std::string* s_file = nullptr;
    static inline CChild* s_files = nullptr;
    static inline CChild* s_scripted = nullptr;
    static inline int s_filesPort = 0;
    static inline int s_scriptedPort = 0;
};

TEST_F(HttpGet, StoresTheWholeBodyOrLeavesThePlaceAsItWas)
{
    struct Case {
        const char* name;
        QString url;
        bool ok;
        const char* cause;  // in the error text
        std::string body;   // stored on success
    };
    const Case cases[] = {
        {"file", FilesUrl("/data.bin"), true, "", *s_file},
        {"redirect", ScriptedUrl("/hop"), true, "", "moved body"},
        {"missing", FilesUrl("/none.bin"), false, "404", {}},
        {"early end", ScriptedUrl("/drop"), false, "1000 of 100000", {}},
        {"stall", ScriptedUrl("/stall"), false, "No data from the server", {}},
        // Qt ends an endless chain in more than one way; each is a failure.
        {"redirect loop", ScriptedUrl("/loop"), false, "", {}},
        {"redirect to ftp", ScriptedUrl("/ftp"), false, "protocol", {}},
        {"ftp address", QStringLiteral("ftp://127.0.0.1/x"), false, "Not an http or https address", {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path folder = guitest::NewScratchFolder("http-get");
        const fs::path target = folder / "target.bin";
        guitest::WriteFile(target, "old contents");
        CScriptedPrompt prompt;
        CHttpGetDlg dialog;
        dialog.Download().SetInactivityTimeout(1000);
        dialog.UrlBox()->setEditText(c.url);
        dialog.LocalFileEdit()->setText(QString::fromStdString(target.string()));

        const bool ok = dialog.DoDownload();
        const QString error = dialog.Download().ErrorText();
        EXPECT_EQ(ok, c.ok) << error.toStdString();
        EXPECT_TRUE(error.contains(QString::fromLatin1(c.cause), Qt::CaseInsensitive)) << error.toStdString();
        EXPECT_EQ(guitest::ReadFile(target), ok ? c.body : std::string("old contents"));
        EXPECT_EQ(PartFiles(folder), 0);
        ASSERT_EQ(prompt.Requests().size(), ok ? 0U : 1U);
        if (!ok) {
            EXPECT_EQ(prompt.Requests()[0].text, QStringLiteral("Error retrieving HTTP file"));
            EXPECT_FALSE(dialog.Download().ErrorText().isEmpty());
        } else {
            EXPECT_EQ(dialog.BytesEdit()->text(), QString::number(c.body.size()));
        }
    }
}

TEST_F(HttpGet, MissingPageWithoutLocalFileLeavesNoFile)
{
    const fs::path folder = guitest::NewScratchFolder("http-cwd");
    const QString previous = QDir::currentPath();
    QDir::setCurrent(QString::fromStdString(folder.string()));
    CScriptedPrompt prompt;
    CHttpGetDlg dialog;
    dialog.UrlBox()->setEditText(FilesUrl("/none.bin"));
    EXPECT_FALSE(dialog.DoDownload());
    EXPECT_TRUE(dialog.Download().ErrorText().contains(QStringLiteral("404")));
    dialog.UrlBox()->setEditText(FilesUrl("/data.bin"));
    EXPECT_TRUE(dialog.DoDownload());
    QDir::setCurrent(previous);
    EXPECT_EQ(guitest::ReadFile(folder / "data.bin"), *s_file);
    EXPECT_FALSE(fs::exists(folder / "none.bin"));
    EXPECT_EQ(PartFiles(folder), 0);
}

TEST_F(HttpGet, HistoryKeepsEveryTypedAddress)
{
    for (int i = 0; i < 9; ++i)
        WriteProfileString(kSectionHttpHistory, "Http" + std::to_string(i), "http://site" + std::to_string(8 - i) + ".invalid/");
    WriteProfileInt(kSectionHttpHistory, "Count", 9);
    const fs::path target = guitest::NewScratchFolder("http-history") / "data.bin";
    const QString typed = FilesUrl("/data.bin");
    {
        CScriptedPrompt prompt;
        CHttpGetDlg dialog;
        ASSERT_EQ(dialog.UrlBox()->count(), 9);
        EXPECT_EQ(dialog.UrlBox()->itemText(0), QStringLiteral("http://site0.invalid/"));
        EXPECT_EQ(dialog.UrlBox()->currentText(), QStringLiteral("http://"));
        dialog.LocalFileEdit()->setText(QString::fromStdString(target.string()));
        Type(dialog, typed);
        ASSERT_TRUE(dialog.DoDownload());
    }
    EXPECT_EQ(GetProfileInt(kSectionHttpHistory, "Count", 0), 10);
    EXPECT_EQ(GetProfileString(kSectionHttpHistory, "Http0", ""), typed.toStdString());
    for (int i = 1; i < 10; ++i)
        EXPECT_EQ(GetProfileString(kSectionHttpHistory, "Http" + std::to_string(i), ""),
                  "http://site" + std::to_string(i - 1) + ".invalid/");

    // A picked address is downloaded without changing the history.
    CScriptedPrompt prompt;
    CHttpGetDlg dialog;
    ASSERT_EQ(dialog.UrlBox()->count(), 10);
    const int index = dialog.UrlBox()->findText(typed);
    ASSERT_GE(index, 0);
    dialog.UrlBox()->setCurrentIndex(index);
    emit dialog.UrlBox()->activated(index);
    EXPECT_FALSE(dialog.IsTyped());
    dialog.LocalFileEdit()->setText(QString::fromStdString(target.string()));
    ASSERT_TRUE(dialog.DoDownload());
    EXPECT_EQ(GetProfileString(kSectionHttpHistory, "Http0", ""), typed.toStdString());
    EXPECT_EQ(GetProfileInt(kSectionHttpHistory, "Count", 0), 10);
}

TEST(HttpLocalName, LastSegmentOfThePathAsOneName)
{
    const std::pair<const char*, const char*> cases[] = {
        {"http://h/a/b.txt", "b.txt"},   {"http://h/a%20b.zip?x=1/2", "a b.zip"}, {"http://h/dir/", ""},
        {"http://h", ""},                {"http://h/a/..", ""},                   {"http://h/a%2F..%2Fx", "x"},
        {"http://h/x%0Ay", ""},
    };
    for (const auto& [url, name] : cases)
        EXPECT_EQ(HttpLocalName(QUrl(QString::fromLatin1(url))).toStdString(), name) << url;
}

}  // namespace
