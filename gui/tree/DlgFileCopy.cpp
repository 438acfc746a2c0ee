#include "DlgFileCopy.h"

#include "TraceLog.h"

#ifdef TAVO_HAVE_VIEWS
#include "MainFrame.h"
#include "WaitHook.h"
#endif

#include <QFileInfo>
#include <QLabel>
#include <QMovie>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QVBoxLayout>

namespace {

constexpr const char* kClipName = "filecopy.gif";

}  // namespace

CDlgFileCopy::CDlgFileCopy(int mode, QWidget* parent) : QDialog(parent), m_nMode(mode)
{
    setObjectName(QStringLiteral("FileCopyDialog"));
    setModal(false);
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    m_pAnimation = new QLabel(this);
    m_pAnimation->setAlignment(Qt::AlignCenter);
    m_pAnimation->setMinimumHeight(60);
    m_pBusy = new QProgressBar(this);
    m_pBusy->setRange(0, 0);
    m_pBusy->setTextVisible(false);
    m_pText = new QPlainTextEdit(this);
    m_pText->setObjectName(QStringLiteral("FileCopyText"));
    m_pText->setReadOnly(true);
    m_pText->setFrameShape(QFrame::NoFrame);
    m_pText->setMinimumWidth(380);
    m_pText->setFixedHeight(m_pText->fontMetrics().lineSpacing() * 3 + 12);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(m_pAnimation);
    layout->addWidget(m_pBusy);
    layout->addWidget(m_pText);
    OnInitDialog();
}

CDlgFileCopy::~CDlgFileCopy()
{
    Stop();
}

void CDlgFileCopy::OnInitDialog()
{
    switch (m_nMode) {
    case ModeMove:
        setWindowTitle(QStringLiteral("Moving File(s)..."));
        break;
    case ModeAppend:
        setWindowTitle(QStringLiteral("Appending file..."));
        break;
    default:
        setWindowTitle(QStringLiteral("Copying File(s)..."));
        break;
    }
    g_TraceLog.Trace("CDlgFileCopy.OnInitDialog: created");
#ifdef TAVO_HAVE_VIEWS
    const std::string clip = g_strProgramFolder + kClipName;
#else
    const std::string clip = kClipName;
#endif
    if (QFileInfo::exists(QString::fromStdString(clip))) {
        m_pMovie = new QMovie(QString::fromStdString(clip), QByteArray(), this);
        if (m_pMovie->isValid()) {
            m_pAnimation->setMovie(m_pMovie);
            m_pMovie->start();
            m_pBusy->hide();
            return;
        }
        delete m_pMovie;
        m_pMovie = nullptr;
    }
    // Without the clip the window still moves: a busy bar.
    g_TraceLog.Trace("CDlgFileCopy.Play: Error opening avi file(%s)", clip.c_str());
    m_pAnimation->hide();
}

std::string CDlgFileCopy::ShortFolder(const std::string& folder)
{
    if (folder.size() <= 1)
        return folder;
    for (const char separator : {'/', '\\'}) {
        if (folder.find(separator) == std::string::npos)
            continue;
        std::string text = folder;
        if (text.back() == separator)
            text.pop_back();
        const size_t cut = text.rfind(separator);
        return cut == std::string::npos ? text : text.substr(cut + 1);
    }
    return folder;
}

void CDlgFileCopy::SetFileNames(const std::string& fromFolder, const std::string& toFolder, const std::string& file)
{
    const QString text = QStringLiteral("Copying %1\r\nFrom \"%2\" To \"%3\"")
                             .arg(QString::fromStdString(file), QString::fromStdString(ShortFolder(fromFolder)),
                                  QString::fromStdString(ShortFolder(toFolder)));
    m_pText->setPlainText(QString(text).replace(QStringLiteral("\r\n"), QStringLiteral("\n")));
    m_pText->moveCursor(QTextCursor::End);
    m_pText->ensureCursorVisible();
#ifdef TAVO_HAVE_VIEWS
    // The transfer's progress window names the same file.
    CWaitHook::SetText(m_pText->toPlainText());
#endif
}

QString CDlgFileCopy::Text() const
{
    return m_pText->toPlainText();
}

void CDlgFileCopy::Stop()
{
    if (m_pMovie)
        m_pMovie->stop();
#ifdef TAVO_HAVE_VIEWS
    CWaitHook::SetText(QString());
#endif
}
