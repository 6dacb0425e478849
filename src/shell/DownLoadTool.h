#pragma once
// Downloads one update package into a folder, reporting progress.
//
// The file is named after the last path segment of the address ("tmp" without one); an existing
// file of that name is replaced. The body is written to "<name>.part" and renamed once complete,
// so a download cut short (even by the program's end) never leaves a truncated package under the
// package's name. Redirects are followed (at most kMaxRedirects, http and https only) into the
// same file. Every way a download can go wrong ends in sigDownloadFailedHttp and leaves no
// partial file behind; sigDownloadFinished means the whole body is on disk.

#include <QFile>
#include <QNetworkAccessManager>
#include <QObject>
#include <QPointer>
#include <QString>
#include <QUrl>

#include <memory>

class QNetworkReply;

class DownloadTool : public QObject
{
    Q_OBJECT
public:
    static constexpr int kMaxRedirects = 10;
    // A transfer that stalls this long fails (and the dialog offers a retry) instead of waiting
    // for ever.
    static constexpr int kDefaultStallTimeoutMs = 30000;

    DownloadTool(const QString& url, const QString& dir, QObject* parent = nullptr);
    ~DownloadTool() override;

    // Prepares the file and starts the request. Connect the signals first: a failure that shows
    // before any request (bad address, unwritable file) is reported at once.
    void startDownload();
    // Virtual so a test can hand in a file that refuses to be written.
    virtual std::unique_ptr<QFile> openFileForWrite(const QString& fileName);
    void startRequest(const QUrl& url);

    // Tests shorten the stall time-out; set before startDownload.
    void setStallTimeout(int ms) { m_stallTimeoutMs = ms; }

    // Stops a download that is still running and removes its partial file; no signal follows.
    void cancel();

    // The full name of the package once downloaded (empty before startDownload).
    QString filePath() const { return m_filePath; }
    // Where the body goes while it arrives.
    QString partialFilePath() const
    {
        return m_filePath.isEmpty() ? QString() : m_filePath + QStringLiteral(".part");
    }

signals:
    void sigProgress(qlonglong bytesRead, qlonglong totalBytes, double progress);
    void sigDownloadFinished();
    void sigDownloadFailedHttp(QString strerror);

public slots:
    void httpFinished();
    void httpReadyRead();
    void networkReplyProgress(qint64 bytesRead, qint64 totalBytes);

private:
    void fail(const QString& why);
    bool isRedirect() const;

    QString urlText;
    QString saveDir;
    QString defaultName = QStringLiteral("tmp");
    QUrl requestUrl;
    QNetworkAccessManager qnam;
    QPointer<QNetworkReply> reply;
    std::unique_ptr<QFile> file;

    QString m_filePath;
    QString m_writeError; // set when the disk refused bytes; the request is aborted
    int m_redirects = 0;
    int m_stallTimeoutMs = kDefaultStallTimeoutMs;
    bool m_ended = false; // finished or failed: nothing more is reported
};
