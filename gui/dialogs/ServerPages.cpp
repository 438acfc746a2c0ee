#include "ServerPages.h"


#include "FtpSession.h"
#include "OsChoices.h"
#include "SecurityChoices.h"
#include "ServerProfile.h"
#include "SessionRegistry.h"

#include <netvo32.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDateTime>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIntValidator>
#include <QLabel>
#include <QLineEdit>
#include <QRadioButton>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

QString FormatTime(std::time_t time)
{
    return QDateTime::fromSecsSinceEpoch(static_cast<qint64>(time)).toString(QStringLiteral("MM/dd/yyyy HH:mm:ss"));
}

QLabel* ReadOnlyRow(QFormLayout* form, const char* caption, QWidget* parent)
{
    auto* value = new QLabel(parent);
    value->setTextInteractionFlags(Qt::TextSelectableByMouse);
    form->addRow(QString::fromUtf8(caption), value);
    return value;
}

}  // namespace

// --- CServerPage --------------------------------------------------------------

CServerPage::CServerPage(CServerProfile* profile, int handle, QWidget* parent)
    : QWidget(parent), m_pProfile(profile), m_nFtpHandle(handle)
{
}

void CServerPage::SetModified()
{
    m_bModified = true;
    m_pProfile->m_bModified = 1;
    emit modified();
}

CSession* CServerPage::LiveSession() const
{
    return m_nFtpHandle > 0 ? g_GetSession(m_nFtpHandle) : nullptr;
}

// --- CLoginP0 "Connection" ----------------------------------------------------

CLoginP0::CLoginP0(CServerProfile* profile, int handle, QWidget* parent) : CServerPage(profile, handle, parent)
{
    auto* form = new QFormLayout(this);
    const char* const captions[] = {"Server:", "User:", "Gateway:", "Gateway User:", "Connected Since:",
                                    "Created Since:", "Connection Status:"};
    for (int i = 0; i < 7; ++i)
        m_aValues[i] = ReadOnlyRow(form, captions[i], this);
}

void CLoginP0::LoadFromProfile()
{
    CSession* session = LiveSession();
    if (!session)
        return;
    m_aValues[0]->setText(Q(session->m_strHost));
    m_aValues[1]->setText(Q(session->m_strUser));
    if (session->m_nGateCount > 0) {
        m_aValues[2]->setText(Q(session->m_aGateHost.front()));
        m_aValues[3]->setText(Q(session->m_aGateUser.front()));
    }
    m_aValues[4]->setText(FormatTime(session->m_tConnected));
    m_aValues[5]->setText(FormatTime(session->m_tCreated));
    m_aValues[6]->setText(session->IsConnected() ? QStringLiteral("Connected") : QStringLiteral("Disconnected"));
    m_bModified = false;
}

QString CLoginP0::Value(int row) const
{
    return row >= 0 && row < 7 ? m_aValues[row]->text() : QString();
}

// --- CDetailPage "Details" ----------------------------------------------------

CDetailPage::CDetailPage(CServerProfile* profile, int handle, QWidget* parent) : CServerPage(profile, handle, parent)
{
    auto* form = new QFormLayout(this);
    m_aValues[0] = ReadOnlyRow(form, "Server Path:", this);
    m_aValues[1] = ReadOnlyRow(form, "Local Path:", this);
    m_aValues[2] = ReadOnlyRow(form, "Current Transfer Mode:", this);
}

void CDetailPage::LoadFromProfile()
{
    CSession* session = LiveSession();
    if (session) {
        m_aValues[0]->setText(Q(session->m_strCurDir));
        m_aValues[2]->setText(session->m_bBinary ? QStringLiteral("Binary") : QStringLiteral("Ascii"));
    }
    char cwd[4096] = {};
    f_getcwd(cwd, sizeof cwd);
    m_aValues[1]->setText(QString::fromUtf8(cwd));
    m_bModified = false;
}

QString CDetailPage::Value(int row) const
{
    return row >= 0 && row < 3 ? m_aValues[row]->text() : QString();
}

// --- CLogin3 "OS Type" --------------------------------------------------------

CLogin3::CLogin3(CServerProfile* profile, int handle, QWidget* parent) : CServerPage(profile, handle, parent)
{
    auto* layout = new QVBoxLayout(this);
    m_pGroup = new QButtonGroup(this);
    for (const OsChoice& choice : kOsChoices) {
        auto* radio = new QRadioButton(QString::fromUtf8(choice.label), this);
        m_pGroup->addButton(radio, choice.type);
        layout->addWidget(radio);
    }
    layout->addStretch();
    connect(m_pGroup, &QButtonGroup::idClicked, this, [this](int type) {
        if (QAbstractButton* radio = m_pGroup->button(type))
            radio->setChecked(true);
        if (type != m_iOStype) {
            m_iOStype = type;
            SetModified();
        }
    });
}

QAbstractButton* CLogin3::OsTypeButton(int osType) const
{
    return m_pGroup->button(osType);
}

void CLogin3::LoadFromProfile()
{
    m_iOStype = m_pProfile->m_iOStype;
    if (QAbstractButton* radio = m_pGroup->button(m_iOStype))
        radio->setChecked(true);
    m_bModified = false;
}

void CLogin3::OnApply()
{
    // The live session keeps the type it found itself.
    if (m_iOStype != m_pProfile->m_iOStype)
        m_pProfile->SetOStype(m_iOStype);
    m_bModified = false;
}

// --- CLoginP1 "Data Transfer" ---------------------------------------------------

CLoginP1::CLoginP1(CServerProfile* profile, int handle, QWidget* parent) : CServerPage(profile, handle, parent)
{
    auto* layout = new QVBoxLayout(this);
    auto* modeBox = new QGroupBox(QStringLiteral("Data Connection"), this);
    auto* modeLayout = new QVBoxLayout(modeBox);
    m_pActive = new QRadioButton(QStringLiteral("Server Active"), modeBox);
    m_pPassive = new QRadioButton(QStringLiteral("Server Passive"), modeBox);
    modeLayout->addWidget(m_pActive);
    modeLayout->addWidget(m_pPassive);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(new QLabel(QStringLiteral("Data Port(optional):"), modeBox));
    m_pDataPort = new QLineEdit(modeBox);
    m_pDataPort->setValidator(new QIntValidator(0, 65535, m_pDataPort));
    portRow->addWidget(m_pDataPort);
    modeLayout->addLayout(portRow);
    layout->addWidget(modeBox);
    auto* securityBox = new QGroupBox(QStringLiteral("Encryption"), this);
    auto* securityLayout = new QVBoxLayout(securityBox);
    m_pEncryption = new QComboBox(securityBox);
    FillSecurityChoices(m_pEncryption);
    securityLayout->addWidget(m_pEncryption);
    m_pEncryptionState = new QLabel(securityBox);
    m_pEncryptionState->setWordWrap(true);
    securityLayout->addWidget(m_pEncryptionState);
    layout->addWidget(securityBox);
    m_pStatus = new QCheckBox(QStringLiteral("Show Transfer Status"), this);
    layout->addWidget(m_pStatus);
    layout->addStretch();

    connect(m_pEncryption, &QComboBox::activated, this, [this] {
        if (ShownSecurityChoice(m_pEncryption) != m_pProfile->m_nSecurity)
            SetModified();
    });

    connect(m_pActive, &QRadioButton::clicked, this, [this] {
        m_pDataPort->setEnabled(true);
        if (ShownPassive())
            SetModified();
    });
    connect(m_pPassive, &QRadioButton::clicked, this, [this] {
        m_pDataPort->setEnabled(false);
        if (!ShownPassive())
            SetModified();
    });
    connect(m_pStatus, &QCheckBox::clicked, this, [this](bool on) {
        if (on != (m_pProfile->m_bStatus != 0))
            SetModified();
    });
}

bool CLoginP1::ShownPassive() const
{
    // A connected server shows the mode its connection uses, which a script
    // line from the command bar may have changed since the login.
    if (CSession* session = LiveSession())
        return session->m_bPassive;
    return m_pProfile->m_bPassive != 0;
}

void CLoginP1::LoadFromProfile()
{
    const bool passive = ShownPassive();
    m_pPassive->setChecked(passive);
    m_pActive->setChecked(!passive);
    m_pDataPort->setEnabled(!passive);
    m_pStatus->setChecked(m_pProfile->m_bStatus != 0);
    m_pDataPort->setText(m_pProfile->m_iDataPort > 0 ? QString::number(m_pProfile->m_iDataPort) : QString());
    ShowSecurityChoice(m_pEncryption, m_pProfile->m_nSecurity);
    // A live connection keeps what it negotiated; the choice is for the
    // next login.
    QString state;
    if (CSession* session = LiveSession()) {
        switch (session->GetSecurityState()) {
        case 2: state = QStringLiteral("This connection is encrypted (TLS), file transfers included."); break;
        case 1: state = QStringLiteral("This connection encrypts its commands (TLS), but the server sends files in clear text."); break;
        default: state = QStringLiteral("This connection is not encrypted."); break;
        }
        state += QStringLiteral(" A change applies from the next login.");
    }
    m_pEncryptionState->setText(state);
    m_pEncryptionState->setVisible(!state.isEmpty());
    m_bModified = false;
}

void CLoginP1::OnApply()
{
    CSession* session = LiveSession();
    const bool passive = m_pPassive->isChecked();
    const int port = m_pDataPort->text().toInt();
    const bool profileChanges = passive != (m_pProfile->m_bPassive != 0);
    const bool sessionChanges = session && passive != session->m_bPassive;
    if (sessionChanges)
        session->SetPassive(passive ? 1 : 0);
    // The data port goes only with a switch to active, and only once the
    // session took it (or there is no session to ask).
    if (!passive && (profileChanges || sessionChanges) && port != m_pProfile->m_iDataPort &&
        (!session || session->SetDataPort(port) == 0))
        m_pProfile->SetDataPort(port);
    if (profileChanges)
        m_pProfile->SetDataMode(passive);
    const int security = ShownSecurityChoice(m_pEncryption);
    if (security != m_pProfile->m_nSecurity) {
        if (session)
            session->SetSecurity(security);  // kept for a rebuilt connection
        m_pProfile->SetSecurity(security);
    }
    const bool status = m_pStatus->isChecked();
    if (status != (m_pProfile->m_bStatus != 0)) {
        if (session)
            session->SetStatusBox(status);
        m_pProfile->SetTransferStatus(status);
    }
    m_bModified = false;
}

// --- CLoginP2 "General" ---------------------------------------------------------

CLoginP2::CLoginP2(CServerProfile* profile, int handle, QWidget* parent) : CServerPage(profile, handle, parent)
{
    auto* layout = new QVBoxLayout(this);
    m_pAutoAscii = new QCheckBox(QStringLiteral("Use Ascii File Type Settings To Determine Transfer Type"), this);
    m_pAutoConnect = new QCheckBox(QStringLiteral("Connect on startup."), this);
    m_pKeepAlive = new QCheckBox(QStringLiteral("Keep Connection Alive. Interval in minutes:"), this);
    m_pInterval = new QSpinBox(this);
    m_pInterval->setRange(1, 35000);
    m_pOtherPort = new QCheckBox(QStringLiteral("Use Other Ftp Server Port:"), this);
    m_pPort = new QSpinBox(this);
    m_pPort->setRange(1, 65535);
    layout->addWidget(m_pAutoAscii);
    layout->addWidget(m_pAutoConnect);
    auto* keepRow = new QHBoxLayout;
    keepRow->addWidget(m_pKeepAlive);
    keepRow->addWidget(m_pInterval);
    keepRow->addStretch();
    layout->addLayout(keepRow);
    auto* portRow = new QHBoxLayout;
    portRow->addWidget(m_pOtherPort);
    portRow->addWidget(m_pPort);
    portRow->addStretch();
    layout->addLayout(portRow);
    layout->addStretch();

    for (QCheckBox* box : {m_pAutoAscii, m_pAutoConnect, m_pKeepAlive, m_pOtherPort})
        connect(box, &QCheckBox::clicked, this, [this] { SetModified(); });
    connect(m_pKeepAlive, &QCheckBox::toggled, m_pInterval, &QSpinBox::setEnabled);
    connect(m_pOtherPort, &QCheckBox::toggled, m_pPort, &QSpinBox::setEnabled);
    connect(m_pInterval, &QSpinBox::valueChanged, this, [this] { SetModified(); });
    connect(m_pPort, &QSpinBox::valueChanged, this, [this] { SetModified(); });
}

void CLoginP2::LoadFromProfile()
{
    const QSignalBlocker blockInterval(m_pInterval);
    const QSignalBlocker blockPort(m_pPort);
    m_pAutoAscii->setChecked(m_pProfile->m_bAutoAscii != 0);
    m_pAutoConnect->setChecked(m_pProfile->m_bAutoConnect != 0);
    m_pKeepAlive->setChecked(m_pProfile->m_bKeepAlive != 0);
    m_pInterval->setValue(m_pProfile->m_nInterval > 0 ? m_pProfile->m_nInterval : 4);
    m_pInterval->setEnabled(m_pKeepAlive->isChecked());
    m_pOtherPort->setChecked(m_pProfile->m_bOtherPort != 0);
    m_pPort->setValue(m_pProfile->m_bOtherPort ? m_pProfile->m_nFtpPort : 21);
    // A port written into the server's name is the one the connection uses;
    // another one typed here would not be.
    const bool portInName = ServerNamePort(m_pProfile->m_strServer) > 0;
    m_pOtherPort->setEnabled(!portInName);
    m_pPort->setEnabled(m_pOtherPort->isChecked() && !portInName);
    const QString tip = portInName ? QStringLiteral("The server name gives the port.") : QString();
    m_pOtherPort->setToolTip(tip);
    m_pPort->setToolTip(tip);
    m_bModified = false;
}

void CLoginP2::OnApply()
{
    CSession* session = LiveSession();
    const bool autoAscii = m_pAutoAscii->isChecked();
    if (autoAscii != (m_pProfile->m_bAutoAscii != 0)) {
        m_pProfile->SetAutoAscii(autoAscii);
        // The running session follows the switch at once.
        if (session)
            session->m_bAutoAscii = autoAscii;
    }
    const bool autoConnect = m_pAutoConnect->isChecked();
    if (autoConnect != (m_pProfile->m_bAutoConnect != 0))
        m_pProfile->SetAutoConnect(autoConnect);
    const bool keepAlive = m_pKeepAlive->isChecked();
    const int interval = m_pInterval->value();
    if (keepAlive != (m_pProfile->m_bKeepAlive != 0)) {
        if (session)
            session->ChangeInterval(keepAlive ? interval : 0);
        m_pProfile->SetKeepalive(keepAlive, interval);
    } else if (keepAlive && interval != m_pProfile->m_nInterval) {
        if (session)
            session->ChangeInterval(interval);
        m_pProfile->SetKeepalive(keepAlive, interval);
    }
    const bool otherPort = m_pOtherPort->isChecked();
    const int port = otherPort ? m_pPort->value() : m_pProfile->m_nFtpPort;
    if (otherPort != (m_pProfile->m_bOtherPort != 0) || (otherPort && port != m_pProfile->m_nFtpPort))
        m_pProfile->SetServerPort(otherPort, port);
    m_bModified = false;
}
