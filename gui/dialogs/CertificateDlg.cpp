#include "CertificateDlg.h"

#include "TraceLog.h"

#include <QApplication>
#include <QCheckBox>
#include <QDialog>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace {

CertificateAnswerer& Answerer()
{
    static CertificateAnswerer answerer;
    return answerer;
}

QLabel* Field(const char* text, QWidget* parent)
{
    auto* label = new QLabel(QString::fromUtf8(text), parent);
    label->setTextInteractionFlags(Qt::TextSelectableByMouse);
    label->setWordWrap(true);
    return label;
}

int AskTheUser(const netvo_certinfo& info)
{
    QDialog dialog(QApplication::activeWindow());
    dialog.setWindowTitle(QStringLiteral("Unknown Certificate"));
    auto* layout = new QVBoxLayout(&dialog);
    auto* intro = new QLabel(QStringLiteral("The server %1:%2 shows a certificate that cannot be verified: %3.\n"
                                            "Accept it only when the fingerprint is the one the server's operator "
                                            "published.")
                                 .arg(QString::fromUtf8(info.host))
                                 .arg(info.port)
                                 .arg(QString::fromUtf8(info.reason)),
                             &dialog);
    intro->setWordWrap(true);
    layout->addWidget(intro);
    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Fingerprint (SHA-256):"), Field(info.fingerprint, &dialog));
    form->addRow(QStringLiteral("Subject:"), Field(info.subject, &dialog));
    form->addRow(QStringLiteral("Issuer:"), Field(info.issuer, &dialog));
    form->addRow(QStringLiteral("Valid from:"), Field(info.notbefore, &dialog));
    form->addRow(QStringLiteral("Valid until:"), Field(info.notafter, &dialog));
    layout->addLayout(form);
    auto* always = new QCheckBox(QStringLiteral("Always trust this certificate for this server"), &dialog);
    layout->addWidget(always);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* accept = buttons->addButton(QStringLiteral("&Accept"), QDialogButtonBox::AcceptRole);
    QPushButton* reject = buttons->addButton(QStringLiteral("&Reject"), QDialogButtonBox::RejectRole);
    reject->setDefault(true);  // a stray Enter must not trust a stranger
    accept->setAutoDefault(false);
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    layout->addWidget(buttons);
    if (dialog.exec() != QDialog::Accepted)
        return NETVO_CERT_REJECT;
    return always->isChecked() ? NETVO_CERT_ACCEPT_ALWAYS : NETVO_CERT_ACCEPT_ONCE;
}

int CertificateHook(int /*handle*/, const netvo_certinfo* info, void* /*context*/)
{
    return info ? AskAboutCertificate(*info) : NETVO_CERT_REJECT;
}

}  // namespace

int AskAboutCertificate(const netvo_certinfo& info)
{
    const int answer = Answerer() ? Answerer()(info) : AskTheUser(info);
    g_TraceLog.Trace("AskAboutCertificate: %s:%d %s answered %d", info.host, info.port, info.fingerprint, answer);
    if (answer == NETVO_CERT_REJECT)
        g_TraceLog.Message("The certificate of %s:%d was not accepted.", info.host, info.port);
    return answer;
}

void InstallCertificateQuestion()
{
    netvo_setcerthook(&CertificateHook, nullptr);
}

void SetCertificateAnswerer(CertificateAnswerer answerer)
{
    Answerer() = std::move(answerer);
}
