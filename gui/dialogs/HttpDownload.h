// CHttpDownload: one web address fetched into one local file over Qt
// Network. The data goes into a hidden sibling of the target and is renamed
// over it only when the whole body arrived, so a failure or Cancel never
// leaves a half file and never harms a file already there. Run blocks the
// caller while events keep flowing, so a Cancel button can still be pressed.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QString>
#include <QTimer>
#include <QUrl>

class QFile;
class QNetworkAccessManager;
class QNetworkReply;

enum class HttpResult {
    Ok,
    BadAddress,  // not an http or https address with a host
    LocalFile,   // the target cannot be created or stored
    Network,     // connection, TLS, redirect or transport failure
    HttpStatus,  // the server answered with an error status
    Truncated,   // the body ended before its announced length
    Timeout,     // no data for the inactivity bound
    Cancelled,
};

// The local file name an address gives when no file was chosen: the last
// segment of its path, decoded. Empty when that is no usable single name
// (an address ending in "/", ".", "..", a name with a control character).
QString HttpLocalName(const QUrl& url);

class CHttpDownload : public QObject {
    Q_OBJECT

public:
    static constexpr int kDefaultInactivityMs = 60000;
    static constexpr int kMaxRedirects = 5;

    explicit CHttpDownload(QObject* parent = nullptr);
    ~CHttpDownload() override;

    // No data (nor connection progress) for this long ends the download.
    void SetInactivityTimeout(int milliseconds) { m_nInactivityMs = milliseconds; }

    // Fetches `url` into `target`; returns when done, failed or cancelled.
    HttpResult Run(const QUrl& url, const QString& target);
    // Ends a running download as cancelled; nothing when none runs.
    void Cancel();
    bool IsRunning() const { return m_pReply != nullptr; }

    // What went wrong in the last Run, for the user; empty after success.
    const QString& ErrorText() const { return m_strError; }
    qint64 BytesReceived() const { return m_nReceived; }

signals:
    // After each piece written: bytes so far, the announced total (-1 when
    // unknown) and the mean rate in bytes per second.
    void progress(qint64 received, qint64 total, double bytesPerSecond);

private:
    void OnReadyRead();
    void OnRedirected(const QUrl& next);
    void OnInactive();
    // Ends the transfer with `result` unless an earlier cause is recorded.
    void Fail(HttpResult result, const QString& text);
    // The outcome once the reply finished, before the file is stored.
    HttpResult Finish();
    bool StatusIsSuccess();

    QNetworkAccessManager* m_pManager = nullptr;
    QNetworkReply* m_pReply = nullptr;
    QFile* m_pFile = nullptr;
    QTimer m_inactivity;
    QElapsedTimer m_clock;
    QUrl m_url;
    int m_nInactivityMs = kDefaultInactivityMs;
    qint64 m_nReceived = 0;
    qint64 m_nTotal = -1;
    int m_nRedirects = 0;
    bool m_bStatusChecked = false;
    HttpResult m_failure = HttpResult::Ok;
    QString m_strError;
};
