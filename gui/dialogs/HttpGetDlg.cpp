#include "HttpGetDlg.h"

#include "HttpDownload.h"
#include "Profile.h"
#include "Prompt.h"
#include "TraceLog.h"

#include <QApplication>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QFormLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <algorithm>
#include <string>

namespace {

// Restores the cursor however the download ends.
class CWaitCursor {
public:
    CWaitCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
    ~CWaitCursor() { QApplication::restoreOverrideCursor(); }
    CWaitCursor(const CWaitCursor&) = delete;
    CWaitCursor& operator=(const CWaitCursor&) = delete;
};

std::string HistoryName(int i)
{
    return "Http" + std::to_string(i);
}

}  // namespace

void ShowHttpGetDialog(QWidget* parent)
{
    CHttpGetDlg dialog(parent);
    dialog.exec();
}

CHttpGetDlg::CHttpGetDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName(QStringLiteral("HTTP GET"));
    setWindowTitle(QStringLiteral("HTTP GET"));
    m_pDownload = new CHttpDownload(this);
    connect(m_pDownload, &CHttpDownload::progress, this, &CHttpGetDlg::OnProgress);

    m_pUrl = new QComboBox(this);
    m_pUrl->setObjectName(QStringLiteral("URL"));
    m_pUrl->setEditable(true);
    m_pUrl->setInsertPolicy(QComboBox::NoInsert);
    m_pUrl->setMinimumContentsLength(40);

    m_pLocalFile = new QLineEdit(this);
    m_pLocalFile->setObjectName(QStringLiteral("LocalFile"));
    m_pBrowse = new QPushButton(QStringLiteral("..."), this);
    m_pBrowse->setObjectName(QStringLiteral("Browse"));
    auto* fileRow = new QHBoxLayout;
    fileRow->addWidget(m_pLocalFile);
    fileRow->addWidget(m_pBrowse);

    auto* type = new QGroupBox(this);
    m_pAscii = new QRadioButton(QStringLiteral("Ascii"), type);
    m_pAscii->setObjectName(QStringLiteral("Ascii"));
    m_pBinary = new QRadioButton(QStringLiteral("Binary"), type);
    m_pBinary->setObjectName(QStringLiteral("Binary"));
    auto* typeLayout = new QHBoxLayout(type);
    typeLayout->addWidget(m_pAscii);
    typeLayout->addWidget(m_pBinary);

    m_pBytes = new QLineEdit(this);
    m_pBytes->setObjectName(QStringLiteral("BytesReceived"));
    m_pBytes->setReadOnly(true);
    m_pStatus = new QLabel(this);
    m_pStatus->setObjectName(QStringLiteral("Status"));
    m_pStatus->setWordWrap(true);

    auto* form = new QFormLayout;
    form->addRow(QStringLiteral("URL:"), m_pUrl);
    form->addRow(QStringLiteral("Local File:"), fileRow);
    form->addRow(type);
    form->addRow(QStringLiteral("Bytes Received:"), m_pBytes);
    form->addRow(m_pStatus);

    auto* buttons = new QDialogButtonBox(this);
    m_pOk = buttons->addButton(QDialogButtonBox::Ok);
    m_pCancel = buttons->addButton(QDialogButtonBox::Cancel);
    connect(buttons, &QDialogButtonBox::accepted, this, &CHttpGetDlg::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &CHttpGetDlg::reject);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(form);
    layout->addWidget(buttons);

    connect(m_pUrl->lineEdit(), &QLineEdit::textEdited, this, &CHttpGetDlg::OnEditUrl);
    connect(m_pUrl, &QComboBox::editTextChanged, this,
            [this](const QString& text) { m_pOk->setEnabled(!text.isEmpty() && !m_pDownload->IsRunning()); });
    connect(m_pUrl, &QComboBox::activated, this, &CHttpGetDlg::OnSelchange);
    connect(m_pBrowse, &QPushButton::clicked, this, &CHttpGetDlg::OnBrowse);

    m_pAscii->setChecked(true);
    LoadHistory();
    m_pUrl->setEditText(QStringLiteral("http://"));
    m_bTyped = false;
}

CHttpGetDlg::~CHttpGetDlg() = default;

void CHttpGetDlg::LoadHistory()
{
    const int count = std::clamp(GetProfileInt(kSectionHttpHistory, "Count", 0), 0, kMaxHistory);
    QStringList entries;
    for (int i = 0; i < count; ++i) {
        const std::string name = HistoryName(i);
        const std::string url = GetProfileString(kSectionHttpHistory, name, "");
        if (url.empty())
            continue;
        g_TraceLog.Trace("LoadHistory: %s = %s", name.c_str(), url.c_str());
        const QString entry = QString::fromStdString(url);
        if (!entries.contains(entry))
            entries << entry;
    }
    entries.sort(Qt::CaseInsensitive);
    const QString text = m_pUrl->currentText();
    m_pUrl->clear();
    m_pUrl->addItems(entries);
    m_pUrl->setEditText(text);
}

void CHttpGetDlg::SaveHistory()
{
    const int count = std::min(m_pUrl->count(), kMaxHistory);
    WriteProfileInt(kSectionHttpHistory, "Count", count);
    for (int i = 0; i < count; ++i)
        WriteProfileString(kSectionHttpHistory, HistoryName(i), m_pUrl->itemText(i).toStdString());
}

void CHttpGetDlg::Remember(const QString& url)
{
    const QString text = m_pUrl->currentText();
    for (int i = m_pUrl->findText(url, Qt::MatchExactly); i >= 0; i = m_pUrl->findText(url, Qt::MatchExactly))
        m_pUrl->removeItem(i);
    m_pUrl->insertItem(0, url);
    while (m_pUrl->count() > kMaxHistory)
        m_pUrl->removeItem(m_pUrl->count() - 1);
    m_pUrl->setEditText(text);
}

void CHttpGetDlg::OnEditUrl()
{
    m_bTyped = true;
}

void CHttpGetDlg::OnSelchange(int index)
{
    if (index < 0)
        return;
    m_pUrl->setEditText(m_pUrl->itemText(index));
    g_TraceLog.Trace("OnSelchange: m_strURL = %s", m_pUrl->currentText().toUtf8().constData());
    m_bTyped = false;
}

void CHttpGetDlg::OnBrowse()
{
    QString suggested = m_pLocalFile->text();
    if (suggested.isEmpty())
        suggested = HttpLocalName(QUrl(m_pUrl->currentText().trimmed()));
    const QString path = CPrompt::SaveAs(QStringLiteral("Save As"), suggested, QStringLiteral("All Files (*)"));
    if (!path.isEmpty())
        m_pLocalFile->setText(path);
}

void CHttpGetDlg::OnProgress(qint64 received, qint64 total, double bytesPerSecond)
{
    m_pBytes->setText(QString::number(received));
    QString status = QStringLiteral("%1 KB/s").arg(bytesPerSecond / 1024.0, 0, 'f', 1);
    if (total >= 0)
        status = QStringLiteral("%1 of %2 bytes, %3").arg(received).arg(total).arg(status);
    m_pStatus->setText(status);
}

void CHttpGetDlg::SetBusy(bool busy)
{
    m_pUrl->setEnabled(!busy);
    m_pLocalFile->setEnabled(!busy);
    m_pBrowse->setEnabled(!busy);
    m_pAscii->setEnabled(!busy);
    m_pBinary->setEnabled(!busy);
    m_pOk->setEnabled(!busy && !m_pUrl->currentText().isEmpty());
}

bool CHttpGetDlg::DoDownload()
{
    if (m_pDownload->IsRunning())
        return false;
    const QString text = m_pUrl->currentText().trimmed();
    const QUrl url(text, QUrl::StrictMode);
    g_TraceLog.Trace("CHttpGetDlg::OnOK: m_strURL = %s, m_strLocalFile = %s", text.toUtf8().constData(),
                     m_pLocalFile->text().toUtf8().constData());
    QString target = m_pLocalFile->text();
    if (target.isEmpty()) {
        // No file chosen: the address's own name, in the current folder.
        const QString name = HttpLocalName(url);
        if (!name.isEmpty())
            target = QDir::current().filePath(name);
    }

    HttpResult result = HttpResult::LocalFile;
    QString cause;
    if (target.isEmpty()) {
        cause = QStringLiteral("The address names no file; choose a Local File");
    } else {
        // Ascii and Binary store the same bytes: this platform's text files
        // end their lines as the server's do.
        m_pBytes->setText(QStringLiteral("0"));
        m_pStatus->clear();
        SetBusy(true);
        {
            CWaitCursor wait;
            result = m_pDownload->Run(url, target);
        }
        SetBusy(false);
        cause = m_pDownload->ErrorText();
    }

    if (result == HttpResult::Ok) {
        m_pStatus->setText(QStringLiteral("%1 bytes stored in %2").arg(m_pDownload->BytesReceived()).arg(target));
        g_TraceLog.Message("HTTP GET %s: %lld bytes stored in %s", text.toUtf8().constData(),
                           static_cast<long long>(m_pDownload->BytesReceived()), target.toUtf8().constData());
        if (m_bTyped) {
            Remember(text);
            SaveHistory();
        }
        return true;
    }
    m_pStatus->setText(cause);
    g_TraceLog.Message("HTTP GET %s: %s", text.toUtf8().constData(), cause.toUtf8().constData());
    if (result != HttpResult::Cancelled)
        CPrompt::Stop(QStringLiteral("Error retrieving HTTP file"), QStringLiteral("Tavo"));
    return false;
}

void CHttpGetDlg::accept()
{
    if (DoDownload())
        QDialog::accept();
}

void CHttpGetDlg::reject()
{
    // While a download runs, Cancel (and Escape, and closing) stops it and
    // leaves the dialog open with its values.
    if (m_pDownload->IsRunning()) {
        m_pDownload->Cancel();
        return;
    }
    QDialog::reject();
}
