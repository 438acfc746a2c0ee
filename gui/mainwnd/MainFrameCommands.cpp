// The "Ftp Command" bar: SITE, QUOTE and script lines sent to the server of
// the folder selected in the tree, and Change Root. Also the machine-wide
// settings and the shell.
#include "MainFrame.h"

#include "CommandEcho.h"
#include "FtpSession.h"
#include "Marlo32.h"
#include "MsgView.h"
#include "SessionRegistry.h"
#include "ShellGio.h"
#include "TavoDoc.h"
#include "TraceLog.h"
#include "WaitHook.h"
#include "netvo32.h"

#ifdef TAVO_HAVE_TREE
#include "DriveView.h"
#endif

#include <QComboBox>
#include <QSettings>

#include <vector>

namespace {

// Runs a call on a server's connection with a wait cursor and its session
// marked busy: the wait hook keeps events flowing during the call, and a
// keep-alive tick must not send a NOOP into the middle of the exchange.
template <class Call>
int CallOnConnection(int handle, Call&& call)
{
    CWaitCursor wait;
    if (CSession* session = g_GetSession(handle)) {
        CBusyBracket busy(*session);
        return call();
    }
    return call();
}

constexpr const char* kNoServerSelected =
    "No FTP server is selected: select a server's folder in the tree to send it commands.";

// Command lines echoed by the script library: each on a line of its own.
int ClientEcho(std::intptr_t /*handle*/, const char* text)
{
    if (g_pMsgView && text)
        g_pMsgView->AddLine(QString::fromUtf8(text));
    return 0;
}

// What the script library hands the server callback during one line: raw
// texts (listing data, a quote's reply) and reports ("S> ..."), each report
// ending a statement with the server's last reply. A quote's reply comes
// twice, raw and then as its report; the raw text is held back until the
// next text shows whether the report repeats it, so the reply is shown once.
class CServerEchoPane {
public:
    static void Echo(const QString& text)
    {
        if (!g_pMsgView)
            return;
        if (text.startsWith(QLatin1String("S> "))) {
            if (!s_held.isEmpty() && Trimmed(text.mid(3)) == Trimmed(s_held))
                s_held.clear();
            Flush();
            g_pMsgView->AddLine(text);
            return;
        }
        Flush();
        s_held = text;
    }

    // The rest of a raw text once the line has run.
    static void Flush()
    {
        if (g_pMsgView && !s_held.isEmpty())
            g_pMsgView->AddText(s_held);
        s_held.clear();
    }

private:
    static QString Trimmed(QString text)
    {
        while (text.endsWith(u'\n') || text.endsWith(u'\r'))
            text.chop(1);
        return text;
    }

    static inline QString s_held;
};

int ServerEcho(std::intptr_t /*handle*/, const char* text)
{
    if (text)
        CServerEchoPane::Echo(QString::fromUtf8(text));
    return 0;
}

// Room for long multi-line replies (HELP, STAT): a reply is shown whole.
constexpr int kReplyBufferSize = 64 * 1024;

}  // namespace

QString CMainFrame::CommandText() const
{
    return m_pCommandBar ? m_pCommandBar->currentText() : QString();
}

void CMainFrame::OnFtpSite()
{
    const QString text = CommandText();
    if (text.isEmpty()) {
        g_TraceLog.Trace("CMainFrame.OnFtpSite: Error getting command");
        return;
    }
    const QByteArray command = text.toUtf8();
    g_TraceLog.Trace("CMainFrame.OnFtpSite: %s", command.constData());
    const int handle = GetCurrentHandle();
    if (handle <= 0) {
        g_TraceLog.Message("%s", kNoServerSelected);
        return;
    }
    EchoCommand("SITE " + command.toStdString());
    const int result = CallOnConnection(handle, [&] { return ftp_site(handle, command.constData()); });
    // A failure shows the library's error text. After a success that text
    // would be an old one: show what the server answered instead.
    if (result != 0) {
        if (m_pDoc)
            m_pDoc->ShowLastError();
        return;
    }
    std::vector<char> reply(kReplyBufferSize, '\0');
    if (ftp_copyreplystr(handle, reply.data(), kReplyBufferSize) > 0) {
        reply.back() = '\0';
        g_TraceLog.Message("%s", reply.data());
    }
}

void CMainFrame::OnFtpQuote()
{
    const QString text = CommandText();
    if (text.isEmpty()) {
        g_TraceLog.Trace("CMainFrame.OnFtpQuote: Error getting command");
        return;
    }
    const QByteArray command = text.toUtf8();
    g_TraceLog.Trace("CMainFrame.OnFtpQuote: %s", command.constData());
    const int handle = GetCurrentHandle();
    if (handle <= 0) {
        g_TraceLog.Message("%s", kNoServerSelected);
        return;
    }
    EchoCommand(command.toStdString());
    std::vector<char> reply(kReplyBufferSize, '\0');
    const int result = CallOnConnection(
        handle, [&] { return ftp_quote(handle, command.constData(), reply.data(), kReplyBufferSize - 1); });
    reply.back() = '\0';
    // The reply as the server sent it, as a line of its own.
    if (reply[0] != '\0') {
        if (m_pMsgView)
            m_pMsgView->AddLine(reply.data());
    } else if (result < 0 && m_pDoc) {
        // Nothing came back from the server (connection lost, aborted).
        m_pDoc->ShowLastError();
    }
}

void CMainFrame::RunCommandLine(const char* traceName)
{
    const QString text = CommandText();
    if (text.isEmpty()) {
        g_TraceLog.Trace("CMainFrame.%s: Error getting command", traceName);
        return;
    }
    const QByteArray line = text.toUtf8();
    g_TraceLog.Trace("CMainFrame.%s: %s", traceName, line.constData());
    const int handle = GetCurrentHandle();
    CSession* session = handle > 0 ? g_GetSession(handle) : nullptr;
    if (!session) {
        // Enter cannot be disabled like the menu commands: say why nothing
        // was sent.
        g_TraceLog.Message("%s", kNoServerSelected);
        return;
    }
    // The line itself, as the script library shows the lines it runs; the
    // secret of a raw PASS or ACCT stays out of the pane.
    g_TraceLog.Message("C> %s", MaskedScriptLine(line.toStdString()).c_str());
    CWaitCursor wait;
    Marlo_ExecLine2(session, line.constData(), 0, &ClientEcho, &ServerEcho, 1);
    CServerEchoPane::Flush();
}

void CMainFrame::OnFtpExecuteline()
{
    RunCommandLine("OnFtpExecuteline");
}

void CMainFrame::OnNewFtpCmdEnter()
{
    const QString text = CommandText();
    RunCommandLine("OnNewFtpCmdEnter");
    // Every line typed is kept as the newest entry, repeats included; the
    // edit field keeps the text.
    if (!text.isEmpty() && m_pCommandBar) {
        m_pCommandBar->addItem(text);
        m_pCommandBar->setEditText(text);
    }
}

void CMainFrame::OnFtpChangeroot()
{
    const QString text = CommandText();
    if (text.isEmpty()) {
        g_TraceLog.Trace("CMainFrame.OnFtpChangeroot: Error getting command");
        return;
    }
    g_TraceLog.Trace("CMainFrame.OnFtpChangeroot: %s", text.toUtf8().constData());
    if (GetCurrentHandle() <= 0)
        return;
#ifdef TAVO_HAVE_TREE
    if (m_pDriveView) {
        m_pDriveView->setFocus();
        m_pDriveView->ChangeFtpRoot(text.toStdString());
    }
#endif
    UpdateCommandStates();
}

QString CMainFrame::GetAppRegValue(const QString& name)
{
    // The machine-wide key: read only, e.g. /etc/xdg/Brenmar/Tavo.conf.
    QSettings settings(QSettings::NativeFormat, QSettings::SystemScope, QStringLiteral("Brenmar"),
                       QStringLiteral("Tavo"));
    settings.beginGroup(QStringLiteral("1.0"));
    const QVariant value = settings.value(name);
    const QString text = value.isValid() ? value.toString() : QString();
    const QByteArray bytes = text.toUtf8();
    // The size counts the terminating zero, as the stored value has one.
    const int size = value.isValid() ? static_cast<int>(bytes.size()) + 1 : 0;
    g_TraceLog.Trace("CMainFrame::GetAppRegValue: %s = %s, Size = %d", name.toUtf8().constData(), bytes.constData(),
                     size);
    return text;
}

QString CMainFrame::ShellResultMessage(int result, const QString& file)
{
    switch (result) {
    case 0:
        return QStringLiteral("The operating system is out of memory or resources.");
    case 2:
        return QStringLiteral("%1: File not found").arg(file);
    case 3:
        return QStringLiteral("PATH not found");
    case 5:
        return QStringLiteral("%1: ACCESS DENIED!").arg(file);
    case 8:
        return QStringLiteral("There was not enough memory to complete the operation.");
    case 26:
        return QStringLiteral("A sharing violation occurred.");
    case 27:
        return QStringLiteral("The file name association is incomplete or invalid.");
    case 28:
        return QStringLiteral("The DDE transaction could not be completed because the request timed out.");
    case 29:
        return QStringLiteral("The DDE transaction failed.");
    case 30:
        return QStringLiteral(
            "The DDE transaction could not be completed because other DDE transactions were being processed.");
    case 31:
        return QStringLiteral("There is no application associated with the given file name extension.");
    case 32:
        return QStringLiteral("The specified dynamic-link library was not found.");
    default:
        return QString();
    }
}

int CMainFrame::ExecuteShell(QWidget* /*window*/, const QString& verb, const QString& file,
                             const QString& parameters, const QString& /*ignored*/, int /*show*/)
{
    g_TraceLog.Trace("CMainFrame::ExecuteShell: Execute %s %s", verb.toUtf8().constData(),
                     file.toUtf8().constData());
    const int result = ShellExecute(verb.isEmpty() ? QStringLiteral("open") : verb, file, parameters);
    g_TraceLog.Trace("CMainFrame::ExecuteShell: ShellExecute returns %d", result);
    const QString message = ShellResultMessage(result, file);
    if (!message.isEmpty())
        g_TraceLog.Message("%s", message.toUtf8().constData());
    return result;
}
