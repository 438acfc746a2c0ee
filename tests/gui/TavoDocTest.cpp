// The document: session names, the trace switch, the transfer mode, the
// current place and the library's error text.
#include "TavoDoc.h"

#include "FtpSession.h"
#include "GuiTestSupport.h"
#include "SessionRegistry.h"
#include "Settings.h"
#include "TavoApp.h"
#include "TestFtpServer.h"

#include <QCoreApplication>
#include <QSignalSpy>

#include <gtest/gtest.h>

#include <algorithm>

TEST(TavoDoc, SessionNamesAreMadeUnique)
{
    CTavoDoc doc;
    guitest::TraceCapture capture;
    std::vector<std::string> names;
    for (int i = 0; i < 4; ++i) {
        std::string name = "ftp.example.org";
        ASSERT_NE(doc.AddSession(name), nullptr);
        names.push_back(name);
    }
    EXPECT_EQ(names, (std::vector<std::string>{"ftp.example.org", "ftp.example.org.0", "ftp.example.org.1",
                                               "ftp.example.org.2"}));
    // A name that looks like a made-up one is still only itself.
    std::string lookalike = "ftp.example.org.0";
    doc.AddSession(lookalike);
    EXPECT_EQ(lookalike, "ftp.example.org.0.0");

    EXPECT_TRUE(capture.Has("AddSession: Add session ftp.example.org."));
    EXPECT_TRUE(capture.Has("AddSession: ftp.example.org.0 session exist."));
    EXPECT_TRUE(capture.Has("AddSession: ftp.example.org.2 session is added."));

    CSession* found = doc.GetSession("ftp.example.org.1");
    ASSERT_NE(found, nullptr);
    EXPECT_EQ(found->m_strName, "ftp.example.org.1");
    EXPECT_TRUE(capture.Has("GetSession: Session ftp.example.org.1 found."));
    EXPECT_EQ(doc.GetSession("FTP.example.org"), nullptr);
    EXPECT_EQ(g_SessionList().size(), 5u);
    doc.OnCloseDocument();
    EXPECT_TRUE(g_SessionList().empty());
}

TEST(TavoDoc, ClosingQuitsEveryConnection)
{
    testbed::TestFtpServer server;
    {
        CTavoDoc doc;
        guitest::LoginSession(doc, server, "one");
        guitest::LoginSession(doc, server, "two");
    }
    EXPECT_TRUE(g_SessionList().empty());
    const std::vector<std::string> commands = server.Commands();
    EXPECT_EQ(std::count(commands.begin(), commands.end(), "QUIT"), 2);
}

TEST(TavoDoc, TraceSwitch)
{
    CTavoDoc doc;
    doc.OnNewDocument();
    EXPECT_FALSE(doc.IsTraceOn());
    doc.OnViewTrace();
    EXPECT_TRUE(doc.IsTraceOn());
    EXPECT_EQ(g_TraceLog.GetTrace(), 1);
    doc.OnViewTrace();
    EXPECT_EQ(g_TraceLog.GetTrace(), 0);
    doc.OnViewTrace();
    doc.OnCloseDocument();
    EXPECT_EQ(g_TraceLog.GetTrace(), 0);
}

TEST(TavoDoc, CurrentPathSetsTheTitle)
{
    CTavoDoc doc;
    QSignalSpy spy(&doc, &CTavoDoc::titleChanged);
    doc.SetCurrentPath("/pub/My Files", "server");
    EXPECT_EQ(doc.GetTitle(), QStringLiteral("Directory - /pub/My Files"));
    EXPECT_EQ(doc.GetCurrentSession(), "server");
    doc.SetCurrentPath("/pub");
    EXPECT_EQ(doc.GetCurrentSession(), "server");
    EXPECT_EQ(doc.GetCurrentPath(), "/pub");
    doc.SetCurrentPath("/home", "");
    EXPECT_EQ(doc.GetCurrentSession(), "");
    EXPECT_EQ(spy.count(), 3);
    EXPECT_EQ(spy.last().at(0).toString(), QStringLiteral("Directory - /home"));
}

TEST(TavoDoc, ShowLastErrorShowsTheLibraryText)
{
    testbed::TestFtpServer server;
    CTavoDoc doc;
    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);
    server.FailCommand("DELE", 1, 550);
    EXPECT_NE(session->FtpDelete("/nothing.txt"), 0);
    guitest::TraceCapture capture;
    doc.ShowLastError();
    ASSERT_EQ(capture.Lines().size(), 1u);
    EXPECT_NE(capture.Lines()[0].find("550"), std::string::npos) << capture.Lines()[0];
}

TEST(TavoDoc, TransferModeDecidesTheTypeOfEveryTransfer)
{
    testbed::TestFtpServer server;
    g_Settings.m_lstAsciiExt = {"*.txt"};
    CTavoDoc doc;
    CSession* session = guitest::LoginSession(doc, server);
    ASSERT_NE(session, nullptr);
    session->SetAsciiCallback(reinterpret_cast<std::intptr_t>(&g_Settings), &CSettings::AsciiCallback, true);
    const auto local = guitest::NewScratchFolder("mode") / "notes.txt";
    guitest::WriteFile(local, "line\n");

    struct Case {
        void (CTavoDoc::*command)();
        const char* expectedType;
    };
    const std::vector<Case> cases = {
        {&CTavoDoc::OnBinaryOnAll, "TYPE I"},  // even for an ASCII pattern
        {&CTavoDoc::OnDefaultMode, "TYPE A"},  // the pattern decides
        {&CTavoDoc::OnAsciiOnAll, "TYPE A"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.expectedType);
        (doc.*c.command)();
        ASSERT_EQ(session->PutFile(local.string(), "/notes.txt", g_nTransferType), 0);
        // The type in effect for the upload: the last one set (ASCII until
        // a TYPE command says otherwise).
        std::string lastType = "TYPE A";
        for (const std::string& command : server.Commands()) {
            if (command.rfind("TYPE ", 0) == 0)
                lastType = command;
        }
        EXPECT_EQ(lastType, c.expectedType);
    }
    doc.OnDefaultMode();
    g_Settings = CSettings();
}

TEST(TavoApp, StartUpRegistersTheClipboardFormatAndTheProfileNames)
{
    CTavoApp app;
    ASSERT_TRUE(app.InitInstance());
    ASSERT_NE(app.GetDocument(), nullptr);
    EXPECT_EQ(g_cfTavo, QStringLiteral("application/x-cf-bm-tavo"));
    EXPECT_EQ(QCoreApplication::organizationName(), QStringLiteral("Brenmar"));
    EXPECT_EQ(QCoreApplication::applicationName(), QStringLiteral("Tavo"));
    EXPECT_FALSE(app.GetDocument()->IsTraceOn());
}
