// The encryption of each open server on its tree item, against the test bed
// with and without TLS: the tooltip in the status bar's words, a closed lock
// for a fully encrypted connection, an open one when the server keeps files
// in clear, none for a clear connection or one that is gone.
#include "DriveView.h"

#include "FtpSession.h"
#include "LoginDlg.h"
#include "SessionRegistry.h"
#include "TavoDoc.h"
#include "TestCertificates.h"
#include "TestFtpServer.h"
#include "TreeTestSupport.h"

#include <netvo32.h>

#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPushButton>

#include <gtest/gtest.h>

namespace {

int AcceptOnce(int, const netvo_certinfo*, void*)
{
    return NETVO_CERT_ACCEPT_ONCE;
}

QImage IconImage(QTreeWidgetItem* item, QIcon::Mode mode)
{
    return item->icon(0).pixmap(QSize(16, 16), mode).toImage().convertToFormat(QImage::Format_ARGB32);
}

// The top left of the icon, which the lock leaves alone.
QImage TopLeft(const QImage& image)
{
    return image.copy(0, 0, image.width() / 3, image.height() / 3);
}

class SecurityEmblem : public ::testing::Test {
protected:
    void SetUp() override
    {
        treetest::ClearProfile();
        netvo_setcerthook(&AcceptOnce, nullptr);
        m_pView = std::make_unique<CDriveView>(&m_doc, nullptr);
    }
    void TearDown() override
    {
        m_pView.reset();
        m_doc.OnCloseDocument();
        netvo_setcerthook(nullptr, nullptr);
    }

    // Logs in through the login dialog; the new server item, or nullptr.
    QTreeWidgetItem* Login(const testbed::TestFtpServer& server)
    {
        const int before = m_pView->topLevelItemCount();
        auto answered = treetest::AnswerModal<CLoginDlg>([&server](CLoginDlg* dialog) {
            dialog->ServerBox()->setEditText(QString::fromStdString(server.HostPort()));
            dialog->UserEdit()->setText(QString::fromStdString(server.User()));
            dialog->PasswordEdit()->setText(QString::fromStdString(server.Password()));
            dialog->LoginButton()->click();
        });
        m_pView->OnFileAddftpserver();
        EXPECT_TRUE(*answered);
        return m_pView->topLevelItemCount() > before ? m_pView->topLevelItem(before) : nullptr;
    }

    testbed::TestCertificates m_certificates;
    CTavoDoc m_doc;
    std::unique_ptr<CDriveView> m_pView;
};

}  // namespace

TEST_F(SecurityEmblem, ServerItemsShowTheirConnectionsEncryption)
{
    testbed::TestFtpServer plain;
    testbed::TestFtpServer tls(m_certificates.SelfSignedTlsOnly());

    QTreeWidgetItem* clear = Login(plain);
    ASSERT_NE(clear, nullptr);
    QTreeWidgetItem* encrypted = Login(tls);
    ASSERT_NE(encrypted, nullptr);
    tls.FailCommand("PROT", 1, 534);  // the next login keeps its files in clear
    QTreeWidgetItem* half = Login(tls);
    ASSERT_NE(half, nullptr);

    EXPECT_EQ(clear->toolTip(0).toStdString(), "Not encrypted");
    EXPECT_EQ(encrypted->toolTip(0).toStdString(), "Encrypted (TLS)");
    EXPECT_EQ(half->toolTip(0).toStdString(), "TLS, files in clear");
    // A lock of its own on each encrypted item, selected or not, drawn over
    // the server icon, which still shows around it.
    for (QIcon::Mode mode : {QIcon::Normal, QIcon::Selected}) {
        const QImage none = IconImage(clear, mode);
        const QImage closed = IconImage(encrypted, mode);
        const QImage open = IconImage(half, mode);
        EXPECT_FALSE(none.isNull());
        EXPECT_NE(closed, none) << mode;
        EXPECT_NE(open, none) << mode;
        EXPECT_NE(open, closed) << mode;
        EXPECT_EQ(TopLeft(closed), TopLeft(none)) << mode;
    }

    // A connection that dropped and could not be rebuilt is encrypted no
    // more: the next keep-alive tick takes lock and words away.
    CSession* session = m_pView->GetSession(encrypted);
    ASSERT_NE(session, nullptr);
    const int handle = session->m_nFtpHandle;
    session->Disconnect();
    m_pView->OnTimer(static_cast<unsigned>(handle));
    EXPECT_TRUE(encrypted->toolTip(0).isEmpty());
    EXPECT_EQ(IconImage(encrypted, QIcon::Normal), IconImage(clear, QIcon::Normal));
}
