// Tavo meeting a server whose certificate the system cannot verify: the
// user is asked once, "Always trust" remembers the answer, a refusal ends
// the login, and the status bar shows the encryption of the selected
// server.
#include "CertificateDlg.h"
#include "FtpSession.h"
#include "MainFrame.h"
#include "TavoDoc.h"
#include "TestCertificates.h"
#include "TestFtpServer.h"
#include "ViewsTestSupport.h"

#include <QLabel>
#include <QStatusBar>

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>

TEST(CertificateQuestion, AskedOnceThenTrustedAndShownInTheStatusBar)
{
    testbed::TestCertificates certificates;
    testbed::TestFtpServer server(certificates.SelfSignedTlsOnly());
    // The test process has a configuration folder of its own; the trusted
    // file in it starts and ends empty.
    const std::filesystem::path trusted = std::filesystem::path(std::getenv("XDG_CONFIG_HOME")) / "Brenmar/trusted-certs";
    std::filesystem::remove(trusted);

    CTavoDoc doc;
    CMainFrame frame(&doc);
    int asked = 0;
    int answer = NETVO_CERT_REJECT;
    std::string fingerprint;
    SetCertificateAnswerer([&](const netvo_certinfo& info) {
        ++asked;
        fingerprint = info.fingerprint;
        return answer;
    });

    std::string refusedName = "refused";
    CSession* refused = doc.AddSession(refusedName);
    EXPECT_NE(refused->Login(server.HostPort(), server.User(), server.Password(), "", false, true), 0);
    EXPECT_EQ(asked, 1);
    EXPECT_EQ(fingerprint.size(), 95u);

    answer = NETVO_CERT_ACCEPT_ALWAYS;
    CSession* session = viewtest::ConnectServer(frame, doc, server, "first");
    ASSERT_NE(session, nullptr);
    EXPECT_EQ(asked, 2);
    EXPECT_EQ(session->GetSecurityState(), 2);
    frame.UpdateCommandStates();
    auto* state = frame.statusBar()->findChild<QLabel*>(QStringLiteral("StatusSecurity"));
    ASSERT_NE(state, nullptr);
    EXPECT_EQ(state->text().toStdString(), "Encrypted (TLS)");

    // Remembered: the next login asks nobody.
    std::string secondName = "second";
    CSession* second = doc.AddSession(secondName);
    EXPECT_EQ(second->Login(server.HostPort(), server.User(), server.Password(), "", false, true), 0);
    EXPECT_EQ(asked, 2);

    SetCertificateAnswerer({});
    std::filesystem::remove(trusted);
}
