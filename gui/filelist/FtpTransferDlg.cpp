// The FTP GET and FTP PUT/APPEND dialogs, and the transfers they run.
#include "FtpTransferDlg.h"

#include "CheckedDialog.h"
#include "FtpSession.h"
#include "TavoDoc.h"
#include "TraceLog.h"

#include <netvo32.h>

#include <QButtonGroup>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QRadioButton>
#include <QRegularExpressionValidator>
#include <QVBoxLayout>

#include <utility>

namespace {

CFtpTransferDlg::Responder& ResponderSlot()
{
    static CFtpTransferDlg::Responder responder;
    return responder;
}

const QString kPositionRange = QStringLiteral("The position must be a number of bytes from 0 to 9223372036854775807.");

// Refuses before the library is asked, so that no stale error text of an
// earlier call is shown with it.
int Refuse(const QString& problem)
{
    g_TraceLog.Message("%s", problem.toUtf8().constData());
    return NETVO_E_BADARG;
}

}  // namespace

QString FtpTransferProblem(const FtpTransferRequest& request)
{
    if (request.m_strRemote.empty())
        return QStringLiteral("Type the name of the remote file.");
    if (request.m_strLocal.empty())
        return QStringLiteral("Type the name of the local file.");
    // A relative name would land in whatever folder the process happens to
    // be in, which the user cannot see from here.
    if (request.m_strLocal.front() != '/')
        return QStringLiteral("The local file \"%1\" is not a full path: type it from the top folder, starting with \"/\".")
            .arg(QString::fromStdString(request.m_strLocal));
    // A negative offset would ask the library to find the offset itself.
    if (request.m_bAtPosition && request.m_nPosition < 0)
        return kPositionRange;
    return QString();
}

int RunFtpGet(CSession& session, const FtpTransferRequest& request)
{
    const QString problem = FtpTransferProblem(request);
    if (!problem.isEmpty())
        return Refuse(problem);
    int rc;
    if (request.m_bFromLast)
        rc = session.RestartGetFile(request.m_strRemote, request.m_strLocal, -1, request.m_nType);
    else if (request.m_bAtPosition)
        rc = session.RestartGetFile(request.m_strRemote, request.m_strLocal, request.m_nPosition, request.m_nType);
    else
        rc = session.GetFile(request.m_strRemote, request.m_strLocal, request.m_nType);
    g_TraceLog.Trace("CFileView.OnFtpGet: Get %s to %s, rc = %d", request.m_strRemote.c_str(),
                     request.m_strLocal.c_str(), rc);
    if (rc != 0)
        CTavoDoc::ShowLastError();
    return rc;
}

int RunFtpPut(CSession& session, const FtpTransferRequest& request)
{
    const QString problem = FtpTransferProblem(request);
    if (!problem.isEmpty())
        return Refuse(problem);
    int rc;
    if (request.m_bAtPosition)
        rc = session.RestartPutFile(request.m_strLocal, request.m_strRemote, request.m_nPosition, request.m_nType);
    else if (request.m_bAppend)
        rc = session.AppendFile(request.m_strLocal, request.m_strRemote, request.m_nType);
    else if (request.m_bFromLast)
        rc = session.RestartPutFile(request.m_strLocal, request.m_strRemote, -1, request.m_nType);
    else
        rc = session.PutFile(request.m_strLocal, request.m_strRemote, request.m_nType);
    g_TraceLog.Trace("CFileView.OnFtpPut: Put %s to %s, rc = %d", request.m_strLocal.c_str(),
                     request.m_strRemote.c_str(), rc);
    if (rc != 0)
        CTavoDoc::ShowLastError();
    return rc;
}

CFtpTransferDlg::CFtpTransferDlg(Mode mode, QWidget* parent) : QDialog(parent), m_nMode(mode)
{
    setWindowTitle(mode == Get ? QStringLiteral("FTP GET") : QStringLiteral("FTP PUT/APPEND"));
    auto* layout = new QVBoxLayout(this);

    auto* files = new QFormLayout;
    m_pRemote = new QLineEdit(this);
    m_pLocal = new QLineEdit(this);
    m_pRemote->setMinimumWidth(360);
    files->addRow(QStringLiteral("Remote File"), m_pRemote);
    files->addRow(QStringLiteral("Local File"), m_pLocal);
    layout->addLayout(files);

    auto* restart = new QGroupBox(QStringLiteral("Re-Start"), this);
    auto* restartLayout = new QHBoxLayout(restart);
    m_pFromLast = new QCheckBox(QStringLiteral("From last transfer"), restart);
    m_pAtPosition = new QCheckBox(QStringLiteral("At position"), restart);
    m_pPosition = new QLineEdit(QStringLiteral("0"), restart);
    // Up to 19 digits; the range of a 64-bit offset is checked on OK.
    m_pPosition->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("[0-9]{0,19}")), this));
    restartLayout->addWidget(m_pFromLast);
    restartLayout->addWidget(m_pAtPosition);
    restartLayout->addWidget(m_pPosition);
    layout->addWidget(restart);

    auto* type = new QGroupBox(QStringLiteral("Override Transfer Type"), this);
    auto* typeLayout = new QHBoxLayout(type);
    m_pType = new QButtonGroup(this);
    const char* const names[] = {"Default", "Ascii", "Binary"};
    for (int id = 0; id < 3; ++id) {
        auto* button = new QRadioButton(QString::fromLatin1(names[id]), type);
        m_pType->addButton(button, id);
        typeLayout->addWidget(button);
    }
    m_pType->button(0)->setChecked(true);
    layout->addWidget(type);

    if (mode == Put) {
        m_pAppend = new QCheckBox(QStringLiteral("Append"), this);
        layout->addWidget(m_pAppend);
        connect(m_pAppend, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    }
    connect(m_pFromLast, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });
    connect(m_pAtPosition, &QCheckBox::toggled, this, [this] { UpdateEnabled(); });

    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    connect(buttons, &QDialogButtonBox::accepted, this, &CFtpTransferDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    layout->addWidget(buttons);
    UpdateEnabled();
}

void CFtpTransferDlg::UpdateEnabled()
{
    // "From last transfer" lets the library find the offset, so a position
    // (and, for a put, appending) would contradict it.
    const bool fromLast = m_pFromLast->isChecked();
    m_pAtPosition->setEnabled(!fromLast);
    if (m_pAppend)
        m_pAppend->setEnabled(!fromLast);
    m_pPosition->setEnabled(!fromLast && m_pAtPosition->isChecked());
}

void CFtpTransferDlg::SetRequest(const FtpTransferRequest& request)
{
    m_pRemote->setText(QString::fromStdString(request.m_strRemote));
    m_pLocal->setText(QString::fromStdString(request.m_strLocal));
    m_pFromLast->setChecked(request.m_bFromLast);
    m_pAtPosition->setChecked(request.m_bAtPosition);
    m_pPosition->setText(QString::number(request.m_nPosition));
    if (m_pAppend)
        m_pAppend->setChecked(request.m_bAppend);
    if (QAbstractButton* button = m_pType->button(request.m_nType))
        button->setChecked(true);
    UpdateEnabled();
}

bool CFtpTransferDlg::IsPositionValid() const
{
    if (!m_pAtPosition->isEnabled() || !m_pAtPosition->isChecked())
        return true;
    bool ok = false;
    const long long position = m_pPosition->text().toLongLong(&ok);
    return ok && position >= 0;
}

FtpTransferRequest CFtpTransferDlg::GetRequest() const
{
    FtpTransferRequest request;
    request.m_strRemote = m_pRemote->text().toStdString();
    request.m_strLocal = m_pLocal->text().toStdString();
    request.m_bFromLast = m_pFromLast->isChecked();
    request.m_bAtPosition = m_pAtPosition->isEnabled() && m_pAtPosition->isChecked() && IsPositionValid();
    request.m_nPosition = request.m_bAtPosition ? m_pPosition->text().toLongLong() : 0;
    request.m_bAppend = m_pAppend && m_pAppend->isEnabled() && m_pAppend->isChecked();
    request.m_nType = m_pType->checkedId() < 0 ? 0 : m_pType->checkedId();
    return request;
}

QString CFtpTransferDlg::Problem() const
{
    if (!IsPositionValid())
        return kPositionRange;
    return FtpTransferProblem(GetRequest());
}

void CFtpTransferDlg::accept()
{
    if (!RefuseProblem(*this, Problem()))
        QDialog::accept();
}

int CFtpTransferDlg::Run()
{
    return RunCheckedDialog(*this, ResponderSlot(), [this] { return Problem(); });
}

CFtpTransferDlg::Responder CFtpTransferDlg::SetResponder(Responder responder)
{
    return std::exchange(ResponderSlot(), std::move(responder));
}
