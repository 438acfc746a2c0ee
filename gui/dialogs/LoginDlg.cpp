#include "LoginDlg.h"

#include "Login.h"
#include "OsChoices.h"
#include "SecurityChoices.h"
#include "Profile.h"
#include "Prompt.h"
#include "ServerList.h"
#include "Settings.h"
#include "TraceLog.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>

namespace {

QString Q(const std::string& text)
{
    return QString::fromStdString(text);
}

std::string S(const QString& text)
{
    return text.trimmed().toStdString();
}

}  // namespace

CLoginDlg::CLoginDlg(QWidget* parent) : QDialog(parent)
{
    setWindowTitle(QStringLiteral("FTP Login Information"));

    m_pServer = new QComboBox(this);
    m_pServer->setEditable(true);
    m_pServer->setInsertPolicy(QComboBox::NoInsert);
    m_pServer->setMinimumContentsLength(24);
    m_pUser = new QLineEdit(this);
    m_pPassword = new QLineEdit(this);
    m_pPassword->setEchoMode(QLineEdit::Password);
    m_pGateServer = new QLineEdit(this);
    m_pGateUser = new QLineEdit(this);
    m_pGatePassword = new QLineEdit(this);
    m_pGatePassword->setEchoMode(QLineEdit::Password);
    m_pInitialDir = new QLineEdit(this);
    m_pShowPassword = new QCheckBox(QStringLiteral("Show Password"), this);
    m_pDelete = new QPushButton(QStringLiteral("&Delete"), this);
    m_pRename = new QPushButton(QStringLiteral("Re&name..."), this);
    m_pDelete->setAutoDefault(false);
    m_pRename->setAutoDefault(false);
    auto* serverRow = new QHBoxLayout;
    serverRow->addWidget(m_pServer, 1);
    serverRow->addWidget(m_pDelete);
    serverRow->addWidget(m_pRename);

    auto* grid = new QGridLayout;
    const auto row = [&](int r, const char* text, QWidget* field) {
        auto* label = new QLabel(QString::fromUtf8(text), this);
        label->setBuddy(field);
        grid->addWidget(label, r, 0);
        grid->addWidget(field, r, 1);
    };
    auto* serverLabel = new QLabel(QStringLiteral("Ftp Server:"), this);
    serverLabel->setBuddy(m_pServer);
    grid->addWidget(serverLabel, 0, 0);
    grid->addLayout(serverRow, 0, 1);
    row(1, "User Name:", m_pUser);
    row(2, "Password:", m_pPassword);
    grid->addWidget(m_pShowPassword, 3, 1);

    auto* gateBox = new QGroupBox(QStringLiteral("Firewall"), this);
    auto* gateGrid = new QGridLayout(gateBox);
    gateGrid->addWidget(new QLabel(QStringLiteral("Firewall Server:"), gateBox), 0, 0);
    gateGrid->addWidget(m_pGateServer, 0, 1);
    gateGrid->addWidget(new QLabel(QStringLiteral("User Name:"), gateBox), 1, 0);
    gateGrid->addWidget(m_pGateUser, 1, 1);
    gateGrid->addWidget(new QLabel(QStringLiteral("Password:"), gateBox), 2, 0);
    gateGrid->addWidget(m_pGatePassword, 2, 1);

    row(4, "Initial Directory:", m_pInitialDir);
    m_pEncryption = new QComboBox(this);
    FillSecurityChoices(m_pEncryption);
    m_pEncryption->setToolTip(QStringLiteral("With TLS, the password and the files cross the network encrypted."));
    row(5, "&Encryption:", m_pEncryption);

    auto* osBox = new QGroupBox(QStringLiteral("Server Type"), this);
    auto* osLayout = new QVBoxLayout(osBox);
    m_pOsGroup = new QButtonGroup(this);
    for (const OsChoice& choice : kOsChoices) {
        auto* radio = new QRadioButton(QString::fromUtf8(choice.label), osBox);
        m_pOsGroup->addButton(radio, choice.type);
        osLayout->addWidget(radio);
    }

    m_pLogin = new QPushButton(QStringLiteral("&Login"), this);
    m_pLogin->setDefault(true);
    auto* cancel = new QPushButton(QStringLiteral("&Cancel"), this);
    m_pProperties = new QPushButton(QStringLiteral("&Properties"), this);
    auto* help = new QPushButton(QStringLiteral("&Help"), this);
    help->setEnabled(false);  // no help pages are installed
    auto* buttons = new QVBoxLayout;
    buttons->addWidget(m_pLogin);
    buttons->addWidget(cancel);
    buttons->addWidget(m_pProperties);
    buttons->addWidget(help);
    buttons->addStretch();

    auto* left = new QVBoxLayout;
    left->addLayout(grid);
    left->addWidget(gateBox);
    auto* middle = new QHBoxLayout;
    middle->addLayout(left, 1);
    middle->addWidget(osBox);
    middle->addLayout(buttons);
    setLayout(middle);

    connect(m_pLogin, &QPushButton::clicked, this, &CLoginDlg::accept);
    connect(cancel, &QPushButton::clicked, this, &CLoginDlg::reject);
    connect(m_pProperties, &QPushButton::clicked, this, &CLoginDlg::OnProperties);
    connect(m_pDelete, &QPushButton::clicked, this, &CLoginDlg::OnDeleteServer);
    connect(m_pRename, &QPushButton::clicked, this, &CLoginDlg::OnRenameServer);
    connect(m_pShowPassword, &QCheckBox::toggled, this, &CLoginDlg::OnShowPassword);
    connect(m_pServer, &QComboBox::activated, this, &CLoginDlg::OnSelchange);
    connect(m_pServer, &QComboBox::editTextChanged, this, &CLoginDlg::OnEditServer);
    connect(m_pOsGroup, &QButtonGroup::idClicked, this, [this](int type) { m_iOStype = type; });
    m_pServer->installEventFilter(this);
    if (m_pServer->lineEdit())
        m_pServer->lineEdit()->installEventFilter(this);

    // Defaults for a server without a profile.
    m_iOStype = 1;
    m_bPassive = 1;
    m_bStatus = g_Settings.m_bShowStatus;
    m_bAutoAscii = 1;
    m_profile.SetDefaults();
    m_pSheet = new CLogin(&m_profile, this);
    OsTypeButton(m_iOStype)->setChecked(true);
    LoadProfile();
    UpdateButtons();
}

CLoginDlg::~CLoginDlg() = default;

QAbstractButton* CLoginDlg::OsTypeButton(int osType) const
{
    return m_pOsGroup->button(osType);
}

void CLoginDlg::LoadProfile()
{
    const std::vector<std::string> servers = GetServerList();
    int index = 0;
    for (const std::string& server : servers) {
        g_TraceLog.Trace("LoadProfile: %s = %s", ("Server" + std::to_string(index++)).c_str(), server.c_str());
        m_pServer->addItem(Q(server));
    }
    g_TraceLog.Trace("LoadProfile: %d servers loaded", static_cast<int>(servers.size()));
    const std::string last = GetProfileString(kSectionServerList, "LastAccess", "");
    const int found = last.empty() ? -1 : m_pServer->findText(Q(last), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (found >= 0) {
        m_pServer->setCurrentIndex(found);
        OnSelchange(found);
    } else {
        m_pServer->setCurrentIndex(-1);
        m_pServer->setEditText(QString());
    }
}

void CLoginDlg::OnSelchange(int index)
{
    if (index < 0)
        return;
    m_strServer = S(m_pServer->itemText(index));
    g_TraceLog.Trace("OnSelchange: m_strServer = %s", m_strServer.c_str());
    ReadServerProfile(m_strServer);
    m_bServerEdited = 0;
    UpdateButtons();
}

void CLoginDlg::OnKillfocusFTPServer()
{
    if (!m_bServerEdited)
        return;
    m_bServerEdited = 0;
    m_strServer = S(m_pServer->currentText());
    g_TraceLog.Trace("OnKillfocusFTPServer: m_strServer = %s", m_strServer.c_str());
    // An unknown name keeps what the fields hold.
    if (!m_strServer.empty() && IsInServerList(m_strServer))
        ReadServerProfile(m_strServer);
}

void CLoginDlg::OnEditServer(const QString&)
{
    m_bServerEdited = 1;
    UpdateButtons();
}

bool CLoginDlg::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::FocusOut && (watched == m_pServer || watched == m_pServer->lineEdit()))
        OnKillfocusFTPServer();
    return QDialog::eventFilter(watched, event);
}

void CLoginDlg::OnShowPassword(bool show)
{
    m_bShowPassword = show ? 1 : 0;
    const QLineEdit::EchoMode mode = show ? QLineEdit::Normal : QLineEdit::Password;
    m_pPassword->setEchoMode(mode);
    m_pGatePassword->setEchoMode(mode);
}

void CLoginDlg::ReadServerProfile(const std::string& server)
{
    m_profile.SetDefaults();
    m_profile.m_strServer = server;
    m_profile.LoadServerProfile(server);
    m_bAutoAscii = m_profile.m_bAutoAscii;
    m_bPassive = m_profile.m_bPassive;
    m_iOStype = m_profile.m_iOStype;
    ShowSecurityChoice(m_pEncryption, m_profile.m_nSecurity);
    m_bStatus = m_profile.m_bStatus;
    m_strPass = m_profile.m_strPass;
    m_strUser = m_profile.m_strUser;
    m_strGateServer = m_profile.m_strGateServer;
    m_strGateUser = m_profile.m_strGateUser;
    m_strGatePass = m_profile.m_strGatePass;
    m_strNewDir = m_profile.m_strNewDir;
    m_pPassword->setText(Q(m_strPass));
    m_pUser->setText(Q(m_strUser));
    m_pGateServer->setText(Q(m_strGateServer));
    m_pGateUser->setText(Q(m_strGateUser));
    m_pGatePassword->setText(Q(m_strGatePass));
    m_pInitialDir->setText(Q(m_strNewDir));
    if (QAbstractButton* radio = OsTypeButton(m_iOStype))
        radio->setChecked(true);
}

void CLoginDlg::UpdateButtons()
{
    const bool hasServer = !m_pServer->currentText().trimmed().isEmpty();
    m_pLogin->setEnabled(hasServer);
    m_pProperties->setEnabled(hasServer);
    const bool stored = !StoredServerInBox().empty();
    m_pDelete->setEnabled(stored);
    m_pRename->setEnabled(stored);
}

std::string CLoginDlg::StoredServerInBox() const
{
    const QString text = m_pServer->currentText().trimmed();
    if (text.isEmpty() || m_pServer->findText(text, Qt::MatchExactly | Qt::MatchCaseSensitive) < 0)
        return {};
    return S(text);
}

// The fields as for a server without a profile.
void CLoginDlg::ClearFields()
{
    m_profile.SetDefaults();
    m_strServer.clear();
    m_iOStype = 1;
    m_bPassive = 1;
    m_bStatus = g_Settings.m_bShowStatus;
    m_bAutoAscii = 1;
    m_pServer->setCurrentIndex(-1);
    m_pServer->setEditText(QString());
    for (QLineEdit* edit : {m_pUser, m_pPassword, m_pGateServer, m_pGateUser, m_pGatePassword, m_pInitialDir})
        edit->clear();
    ShowSecurityChoice(m_pEncryption, m_profile.m_nSecurity);
    OsTypeButton(m_iOStype)->setChecked(true);
    m_bServerEdited = 0;
}

void CLoginDlg::OnDeleteServer()
{
    const std::string server = StoredServerInBox();
    if (server.empty())
        return;
    if (!CPrompt::AskYesNo(QStringLiteral("Delete %1 from the server list?").arg(Q(server)),
                           QStringLiteral("Delete Server")))
        return;
    const int index = m_pServer->findText(Q(server), Qt::MatchExactly | Qt::MatchCaseSensitive);
    if (!DeleteServerProfile(server)) {
        CPrompt::Stop(QStringLiteral("%1 is not in the server list.").arg(Q(server)), QStringLiteral("Delete Server"));
        return;
    }
    g_TraceLog.Trace("OnDeleteServer: %s deleted", server.c_str());
    m_pServer->removeItem(index);
    if (m_pServer->count() == 0) {
        ClearFields();
    } else {
        // The next server in the list takes the deleted one's place.
        const int next = std::min(index, m_pServer->count() - 1);
        m_pServer->setCurrentIndex(next);
        OnSelchange(next);
    }
    UpdateButtons();
}

void CLoginDlg::OnRenameServer()
{
    const std::string server = StoredServerInBox();
    if (server.empty())
        return;
    const QString title = QStringLiteral("Rename Server");
    QString text = Q(server);
    if (!CPrompt::GetText(title, QStringLiteral("New name for %1:").arg(Q(server)), text))
        return;
    const std::string newName = S(text);
    if (newName == server)
        return;
    switch (RenameServerProfile(server, newName)) {
    case ERenameServer::EmptyName:
        CPrompt::Stop(QStringLiteral("A server needs a name."), title);
        return;
    case ERenameServer::NameTaken:
        CPrompt::Stop(QStringLiteral("%1 is in the server list already.").arg(Q(newName)), title);
        return;
    case ERenameServer::NotStored:
        CPrompt::Stop(QStringLiteral("%1 is not in the server list.").arg(Q(server)), title);
        return;
    case ERenameServer::Renamed:
        break;
    }
    g_TraceLog.Trace("OnRenameServer: %s renamed to %s", server.c_str(), newName.c_str());
    const int index = m_pServer->findText(Q(server), Qt::MatchExactly | Qt::MatchCaseSensitive);
    m_pServer->setItemText(index, Q(newName));
    m_pServer->setCurrentIndex(index);
    m_pServer->setEditText(Q(newName));
    m_strServer = newName;
    // The fields keep what they hold; the loaded profile now goes by the new
    // name, and so does a port the name carries.
    if (m_profile.m_strServer == server)
        m_profile.Create(newName);
    m_bServerEdited = 0;
    UpdateButtons();
}

// The fields into the dialog's values.
void CLoginDlg::StoreValues()
{
    m_strServer = S(m_pServer->currentText());
    m_strUser = S(m_pUser->text());
    // Passwords are taken as typed: blanks may belong to them.
    m_strPass = m_pPassword->text().toStdString();
    m_strGateServer = S(m_pGateServer->text());
    m_strGateUser = S(m_pGateUser->text());
    m_strGatePass = m_pGatePassword->text().toStdString();
    m_strNewDir = S(m_pInitialDir->text());
    if (m_pOsGroup->checkedId() >= 0)
        m_iOStype = m_pOsGroup->checkedId();
}

void CLoginDlg::OnProperties()
{
    StoreValues();
    if (m_strServer.empty())
        return;
    // The pages show the profile of the server named in the box, with what
    // the dialog holds on top.
    if (m_profile.m_strServer != m_strServer) {
        m_profile.Create(m_strServer);
        m_profile.m_strServer = m_strServer;
    }
    m_profile.m_bAutoAscii = m_bAutoAscii;
    m_profile.m_bPassive = m_bPassive;
    m_profile.m_bStatus = m_bStatus;
    m_profile.m_nSecurity = ShownSecurityChoice(m_pEncryption);
    if (!m_profile.m_bOtherPort)
        m_profile.m_nFtpPort = 21;
    m_pSheet->LoadPages();
    m_pSheet->exec();
    ShowSecurityChoice(m_pEncryption, m_profile.m_nSecurity);
    m_bAutoAscii = m_profile.m_bAutoAscii;
    m_bPassive = m_profile.m_bPassive;
    m_bStatus = m_profile.m_bStatus;
}

void CLoginDlg::accept()
{
    StoreValues();
    if (m_strServer.empty())
        return;
    if (m_profile.m_strServer != m_strServer) {
        // A different server than the one whose profile is loaded: start from
        // its own profile (or the defaults) and keep what the dialog holds.
        const int autoAscii = m_bAutoAscii;
        const int passive = m_bPassive;
        const int status = m_bStatus;
        m_profile.Create(m_strServer);
        m_profile.m_strServer = m_strServer;
        m_bAutoAscii = autoAscii;
        m_bPassive = passive;
        m_bStatus = status;
    }
    m_profile.m_strServer = m_strServer;
    m_profile.m_bAutoAscii = m_bAutoAscii != 0 ? 1 : 0;
    m_profile.m_bPassive = m_bPassive != 0 ? 1 : 0;
    m_profile.m_iOStype = m_iOStype;
    m_profile.m_nSecurity = ShownSecurityChoice(m_pEncryption);
    m_profile.m_strUser = m_strUser;
    m_profile.m_strPass = m_strPass;
    m_profile.m_strGateServer = m_strGateServer;
    m_profile.m_strGateUser = m_strGateUser;
    m_profile.m_strGatePass = m_strGatePass;
    m_profile.m_strNewDir = m_strNewDir;
    m_profile.m_bStatus = m_bStatus;
    // Not stored here: whoever logs in with the profile stores it once the
    // login worked, so that a mistyped password does not replace the stored
    // one and a host that cannot be reached does not join the server list.
    QDialog::accept();
}
