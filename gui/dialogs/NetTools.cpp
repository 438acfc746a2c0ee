#include "NetTools.h"

#include "netvo32.h"

#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QUrl>
#include <QVBoxLayout>

#include <algorithm>

namespace {

// Longest host name the name service takes (with room for a bracketed
// IPv6 address and zone).
constexpr int kMaxHostLength = 255;

class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

// Turns what the user typed into the name handed to the library: trimmed,
// international names in their ASCII form. Empty with `why` set when the
// text cannot be a host at all.
QByteArray HostForLibrary(const QString& typed, QString& why)
{
    QString host = typed.trimmed();
    if (host.size() > 2 && host.startsWith(u'[') && host.endsWith(u']'))
        host = host.mid(1, host.size() - 2);  // an IPv6 address as written in URLs
    if (host.isEmpty()) {
        why = QStringLiteral("no address given");
        return {};
    }
    if (host.size() > kMaxHostLength) {
        why = QStringLiteral("the name is too long");
        return {};
    }
    for (QChar c : host) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f || c.isSpace()) {
            why = QStringLiteral("the name contains characters a host name cannot have");
            return {};
        }
    }
    QByteArray ascii = host.toLatin1();
    if (std::any_of(host.begin(), host.end(), [](QChar c) { return c.unicode() > 0x7f; })) {
        ascii = QUrl::toAce(host);
        if (ascii.isEmpty()) {
            why = QStringLiteral("the name contains characters a host name cannot have");
            return {};
        }
    }
    return ascii;
}

// The library's reason for its last failure on this thread, or `fallback`.
QString LastReason(const QString& fallback)
{
    char buf[512] = {};
    if (ftp_lasterror(buf, sizeof buf) > 0)
        return QString::fromUtf8(buf);
    return fallback;
}

QPushButton* AddButton(QDialogButtonBox* box, const QString& text, QDialogButtonBox::ButtonRole role)
{
    auto* button = new QPushButton(text, box);
    box->addButton(button, role);
    return button;
}

}  // namespace

int ClampPingTimeout(long long seconds)
{
    return static_cast<int>(std::clamp<long long>(seconds, kPingTimeoutMin, kPingTimeoutMax));
}

QString QuickPingText(const QString& host, int seconds)
{
    const QString shown = host.trimmed();
    QString why;
    const QByteArray name = HostForLibrary(host, why);
    if (!name.isEmpty()) {
        // At most 60 000 ms: no overflow on the way to the library.
        const int milliseconds = ClampPingTimeout(seconds) * 1000;
        if (f_QuickPing(name.constData(), milliseconds) != 0)
            return QStringLiteral("%1 ping successful").arg(shown);
        why = LastReason(QStringLiteral("no answer"));
    }
    return (QStringLiteral("%1 ping failed").arg(shown).trimmed() + QStringLiteral(": ") + why);
}

ResolveOutcome ResolveIpAddress(const QString& host)
{
    const QString shown = host.trimmed();
    ResolveOutcome out;
    QString why;
    const QByteArray name = HostForLibrary(host, why);
    if (!name.isEmpty()) {
        char buf[kAddressBufferSize] = {};
        if (f_GetIpAddress(name.constData(), buf, sizeof buf) == 0) {
            out.ok = true;
            out.address = QString::fromLatin1(buf);
            out.text = QStringLiteral("%1 IP = %2").arg(shown, out.address);
            return out;
        }
        why = LastReason(QStringLiteral("the name could not be resolved"));
    }
    out.text = QStringLiteral("Get %1 IP failed: %2").arg(shown, why);
    return out;
}

QString MyIpText()
{
    char buf[kAddressBufferSize] = {};
    if (f_GetMyIpAddress(buf, sizeof buf) == 0)
        return QString::fromLatin1(buf);
    return QStringLiteral("Get My IP failed");
}

CQuickPingDlg::CQuickPingDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Quick Ping"));
    m_pAddress = new QLineEdit(this);
    m_pAddress->setMaxLength(kMaxHostLength);
    m_pTimeout = new QSpinBox(this);
    m_pTimeout->setRange(kPingTimeoutMin, kPingTimeoutMax);
    m_pTimeout->setValue(kPingTimeoutDefault);
    m_pResult = new QLabel(this);
    m_pResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pResult->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("IP Address:"), m_pAddress);
    form->addRow(QStringLiteral("Timeout:"), m_pTimeout);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* ping = AddButton(buttons, QStringLiteral("&Ping"), QDialogButtonBox::ActionRole);
    QPushButton* close = AddButton(buttons, QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    ping->setDefault(true);
    connect(ping, &QPushButton::clicked, this, &CQuickPingDlg::OnPing);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(m_pResult);
    layout->addWidget(buttons);
}

QString CQuickPingDlg::Result() const
{
    return m_pResult->text();
}

void CQuickPingDlg::OnPing()
{
    const QString host = m_pAddress->text();
    const int seconds = ClampPingTimeout(m_pTimeout->value());
    QString text;
    {
        WaitCursor wait;
        text = QuickPingText(host, seconds);
    }
    m_pTimeout->setValue(seconds);
    m_pResult->setText(text);
}

CResolveIpDlg::CResolveIpDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("Resolve IP Address"));
    m_pHost = new QLineEdit(this);
    m_pHost->setMaxLength(kMaxHostLength);
    m_pResult = new QLabel(this);
    m_pResult->setTextInteractionFlags(Qt::TextSelectableByMouse);
    m_pResult->setWordWrap(true);
    m_pAddress = new QLineEdit(this);
    m_pAddress->setReadOnly(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("Hostname:"), m_pHost);
    form->addRow(m_pResult);
    form->addRow(QStringLiteral("IP Address:"), m_pAddress);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* resolve = AddButton(buttons, QStringLiteral("&Resolve"), QDialogButtonBox::ActionRole);
    QPushButton* close = AddButton(buttons, QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    resolve->setDefault(true);
    connect(resolve, &QPushButton::clicked, this, &CResolveIpDlg::OnResolve);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);
}

QString CResolveIpDlg::Result() const
{
    return m_pResult->text();
}

QString CResolveIpDlg::Address() const
{
    return m_pAddress->text();
}

void CResolveIpDlg::OnResolve()
{
    ResolveOutcome outcome;
    {
        WaitCursor wait;
        outcome = ResolveIpAddress(m_pHost->text());
    }
    m_pResult->setText(outcome.text);
    if (outcome.ok)
        m_pAddress->setText(outcome.address);
}

CMyIpDlg::CMyIpDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("My IP Address"));
    m_pAddress = new QLineEdit(this);
    m_pAddress->setReadOnly(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("My IP Address:"), m_pAddress);
    auto* buttons = new QDialogButtonBox(this);
    QPushButton* close = AddButton(buttons, QStringLiteral("&Close"), QDialogButtonBox::RejectRole);
    close->setDefault(true);
    connect(close, &QPushButton::clicked, this, &QDialog::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    WaitCursor wait;
    m_pAddress->setText(MyIpText());
}

QString CMyIpDlg::Address() const
{
    return m_pAddress->text();
}

void ShowQuickPing(QWidget* parent)
{
    CQuickPingDlg dlg(parent);
    dlg.exec();
}

void ShowResolveIp(QWidget* parent)
{
    CResolveIpDlg dlg(parent);
    dlg.exec();
}

void ShowMyIp(QWidget* parent)
{
    CMyIpDlg dlg(parent);
    dlg.exec();
}
