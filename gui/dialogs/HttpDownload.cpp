#include "HttpDownload.h"

#include "LocalFileOp.h"
#include "TraceLog.h"

#include <QEventLoop>
#include <QFile>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace {

// The proxies the desktop is configured with, asked for each request.
class CSystemProxyFactory : public QNetworkProxyFactory {
public:
    QList<QNetworkProxy> queryProxy(const QNetworkProxyQuery& query) override
    {
        return systemProxyForQuery(query);
    }
};

bool IsWebScheme(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https");
}

// The part file is created private; the stored file gets the mode any new
// file of the user's gets.
void GiveNewFileMode(const QString& path)
{
    const mode_t mask = ::umask(0);
    ::umask(mask);
    ::chmod(QFile::encodeName(path).constData(), 0666 & ~mask);
}

QString SystemError(int error)
{
    return QString::fromLocal8Bit(std::strerror(error));
}

}  // namespace

QString HttpLocalName(const QUrl& url)
{
    const QString path = url.path(QUrl::FullyDecoded);
    const QString name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return {};
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return {};
    }
    return name;
}

CHttpDownload::CHttpDownload(QObject* parent) : QObject(parent)
{
    m_pManager = new QNetworkAccessManager(this);
    m_pManager->setProxyFactory(new CSystemProxyFactory);
    m_inactivity.setSingleShot(true);
    connect(&m_inactivity, &QTimer::timeout, this, &CHttpDownload::OnInactive);
}

CHttpDownload::~CHttpDownload()
{
    Cancel();
}

HttpResult CHttpDownload::Run(const QUrl& url, const QString& target)
{
    m_strError.clear();
    m_failure = HttpResult::Ok;
    m_nReceived = 0;
    m_nTotal = -1;
    m_bStatusChecked = false;
    m_nRedirects = 0;
    m_url = url;
    if (IsRunning()) {
        m_strError = QStringLiteral("A download is already running");
        return HttpResult::Network;
    }
    if (!url.isValid() || !IsWebScheme(url) || url.host().isEmpty()) {
        m_strError = QStringLiteral("Not an http or https address: %1").arg(url.toString());
        return HttpResult::BadAddress;
    }
    struct stat st {};
    const QByteArray targetName = QFile::encodeName(target);
    if (::stat(targetName.constData(), &st) == 0 && S_ISDIR(st.st_mode)) {
        m_strError = QStringLiteral("%1 is a folder").arg(target);
        return HttpResult::LocalFile;
    }
    const QString part = QString::fromStdString(CreatePartFile(targetName.toStdString()));
    if (part.isEmpty()) {
        m_strError = QStringLiteral("Cannot create a file beside %1: %2").arg(target, SystemError(errno));
        return HttpResult::LocalFile;
    }
    g_TraceLog.Trace("CHttpDownload::Run: %s to %s", url.toString().toUtf8().constData(),
                     part.toUtf8().constData());
    QFile file(part);
    const int fd = ::open(QFile::encodeName(part).constData(), O_WRONLY | O_TRUNC | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0 || !file.open(fd, QIODevice::WriteOnly, QFileDevice::AutoCloseHandle)) {
        m_strError = QStringLiteral("Cannot write %1: %2").arg(part, SystemError(errno));
        if (fd >= 0)
            ::close(fd);
        QFile::remove(part);
        return HttpResult::LocalFile;
    }
    m_pFile = &file;

    QNetworkRequest request(url);
    // Always from the server, and the bytes as the server stores them, so
    // the announced length is the length of what is written.
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute, QNetworkRequest::AlwaysNetwork);
    request.setRawHeader("Accept-Encoding", "identity");
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::UserVerifiedRedirectPolicy);
    request.setMaximumRedirectsAllowed(kMaxRedirects);

    QEventLoop loop;
    m_clock.start();
    m_pReply = m_pManager->get(request);
    connect(m_pReply, &QNetworkReply::readyRead, this, &CHttpDownload::OnReadyRead);
    connect(m_pReply, &QNetworkReply::redirected, this, &CHttpDownload::OnRedirected);
    // Any sign of life from the connection restarts the inactivity bound.
    connect(m_pReply, &QNetworkReply::metaDataChanged, this, [this] { m_inactivity.start(m_nInactivityMs); });
    connect(m_pReply, &QNetworkReply::finished, &loop, &QEventLoop::quit);
    m_inactivity.start(m_nInactivityMs);
    if (!m_pReply->isFinished())
        loop.exec();
    m_inactivity.stop();

    HttpResult result = Finish();
    m_pReply->disconnect(this);
    m_pReply->deleteLater();
    m_pReply = nullptr;
    m_pFile = nullptr;

    if (result == HttpResult::Ok && (!file.flush() || ::fsync(file.handle()) != 0)) {
        m_strError = QStringLiteral("Cannot write %1: %2").arg(part, file.errorString());
        result = HttpResult::LocalFile;
    }
    file.close();
    if (result == HttpResult::Ok && file.error() != QFileDevice::NoError) {
        m_strError = QStringLiteral("Cannot write %1: %2").arg(part, file.errorString());
        result = HttpResult::LocalFile;
    }
    if (result == HttpResult::Ok) {
        GiveNewFileMode(part);
        if (::rename(QFile::encodeName(part).constData(), targetName.constData()) != 0) {
            m_strError = QStringLiteral("Cannot store %1: %2").arg(target, SystemError(errno));
            result = HttpResult::LocalFile;
        }
    }
    if (result != HttpResult::Ok)
        QFile::remove(part);
    g_TraceLog.Trace("CHttpDownload::Run: %lld bytes, rc = %d %s", static_cast<long long>(m_nReceived),
                     static_cast<int>(result), m_strError.toUtf8().constData());
    return result;
}

void CHttpDownload::Cancel()
{
    Fail(HttpResult::Cancelled, QStringLiteral("Cancelled"));
}

void CHttpDownload::Fail(HttpResult result, const QString& text)
{
    if (!m_pReply)
        return;
    if (m_failure == HttpResult::Ok) {
        m_failure = result;
        m_strError = text;
    }
    m_inactivity.stop();
    if (!m_pReply->isFinished())
        m_pReply->abort();
}

bool CHttpDownload::StatusIsSuccess()
{
    if (m_bStatusChecked)
        return true;
    const QVariant status = m_pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute);
    const int code = status.toInt();
    if (!status.isValid() || code < 200 || code > 299) {
        // Qt ends a chain of redirects that is too long without a status
        // of its own; the last hop's is not the cause.
        if (m_nRedirects >= kMaxRedirects && (code < 200 || (code >= 300 && code < 400))) {
            Fail(HttpResult::Network, QStringLiteral("More than %1 redirects").arg(kMaxRedirects));
            return false;
        }
        if (status.isValid() && code < 200) {
            Fail(HttpResult::Network, QStringLiteral("The server sent no final answer"));
            return false;
        }
        const QString reason = m_pReply->attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString();
        Fail(HttpResult::HttpStatus, QStringLiteral("The server answered %1 %2").arg(code).arg(reason).trimmed());
        return false;
    }
    m_bStatusChecked = true;
    const QVariant length = m_pReply->header(QNetworkRequest::ContentLengthHeader);
    m_nTotal = length.isValid() ? length.toLongLong() : -1;
    return true;
}

void CHttpDownload::OnReadyRead()
{
    if (!m_pReply || m_failure != HttpResult::Ok)
        return;
    // An error status never reaches the file: its body is the server's
    // page, not the file asked for.
    if (!StatusIsSuccess())
        return;
    m_inactivity.start(m_nInactivityMs);
    char buffer[65536];
    for (;;) {
        const qint64 n = m_pReply->read(buffer, sizeof buffer);
        if (n <= 0)
            break;
        if (m_pFile->write(buffer, n) != n) {
            Fail(HttpResult::LocalFile, QStringLiteral("Cannot write %1: %2").arg(m_pFile->fileName(), m_pFile->errorString()));
            return;
        }
        m_nReceived += n;
        if (m_nTotal >= 0 && m_nReceived > m_nTotal) {
            Fail(HttpResult::Network, QStringLiteral("The server sent more than the %1 bytes it announced").arg(m_nTotal));
            return;
        }
    }
    const qint64 ms = qMax<qint64>(1, m_clock.elapsed());
    emit progress(m_nReceived, m_nTotal, static_cast<double>(m_nReceived) * 1000.0 / static_cast<double>(ms));
}

void CHttpDownload::OnRedirected(const QUrl& next)
{
    // Only to the web, and never from an encrypted address to a plain one.
    const bool downgrade = m_url.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) == 0
                           && next.scheme().compare(QLatin1String("https"), Qt::CaseInsensitive) != 0;
    if (!IsWebScheme(next) || downgrade) {
        Fail(HttpResult::Network, QStringLiteral("Redirect to %1 refused").arg(next.toString()));
        return;
    }
    g_TraceLog.Trace("CHttpDownload::OnRedirected: %s", next.toString().toUtf8().constData());
    m_url = next;
    ++m_nRedirects;
    m_inactivity.start(m_nInactivityMs);
    emit m_pReply->redirectAllowed();
}

void CHttpDownload::OnInactive()
{
    Fail(HttpResult::Timeout, QStringLiteral("No data from the server for %1 seconds").arg(m_nInactivityMs / 1000.0));
}

HttpResult CHttpDownload::Finish()
{
    if (m_failure != HttpResult::Ok)
        return m_failure;
    if (m_pReply->error() != QNetworkReply::NoError) {
        // An error status names the cause better than Qt's text; a status
        // left over from a redirect does not.
        if (m_pReply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt() >= 400 && !StatusIsSuccess())
            return m_failure;
        if (m_bStatusChecked && m_nTotal >= 0 && m_nReceived < m_nTotal) {
            m_strError = QStringLiteral("The connection ended after %1 of %2 bytes (%3)")
                             .arg(m_nReceived)
                             .arg(m_nTotal)
                             .arg(m_pReply->errorString());
            return HttpResult::Truncated;
        }
        m_strError = m_pReply->errorString();
        return HttpResult::Network;
    }
    OnReadyRead();  // whatever arrived with the end
    if (m_failure != HttpResult::Ok)
        return m_failure;
    if (!StatusIsSuccess())
        return m_failure;
    if (m_nTotal >= 0 && m_nReceived != m_nTotal) {
        m_strError = QStringLiteral("The connection ended after %1 of %2 bytes").arg(m_nReceived).arg(m_nTotal);
        return HttpResult::Truncated;
    }
    return HttpResult::Ok;
}
