#include "shell/DownLoadTool.h"

#include <QCoreApplication>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QNetworkReply>
#include <QNetworkRequest>

namespace {

bool isWebAddress(const QUrl& url)
{
    const QString scheme = url.scheme().toLower();
    return url.isValid() && !url.host().isEmpty() &&
           (scheme == QLatin1String("http") || scheme == QLatin1String("https"));
}

// The last path segment, decoded, as a plain file name: an encoded slash must not lead the
// file out of the download folder, and "." or ".." name no file.
QString fileNameOf(const QUrl& url, const QString& fallback)
{
    QString name = url.fileName(QUrl::FullyDecoded);
    const int cut = std::max(name.lastIndexOf(QLatin1Char('/')), name.lastIndexOf(QLatin1Char('\\')));
    if (cut >= 0)
        name = name.mid(cut + 1);
    if (name.isEmpty() || name == QLatin1String(".") || name == QLatin1String(".."))
        return fallback;
    return name;
}

} // namespace

DownloadTool::DownloadTool(const QString& url, const QString& dir, QObject* parent)
    : QObject(parent), urlText(url), saveDir(dir)
{
}

DownloadTool::~DownloadTool() { cancel(); }

void DownloadTool::startDownload()
{
    const QUrl url = QUrl::fromUserInput(urlText);
    if (!isWebAddress(url)) {
        const QString why = url.isValid() ? QStringLiteral("not an http or https address") : url.errorString();
        qDebug() << QStringLiteral("Invalid URL: %1: %2").arg(urlText, why);
        fail(QStringLiteral("Invalid URL: %1").arg(urlText));
        return;
    }

    const QString fileName = fileNameOf(url, defaultName);
    if (saveDir.isEmpty())
        saveDir = QCoreApplication::applicationDirPath() + QStringLiteral("/tmp");
    if (!QFileInfo(saveDir).isDir())
        QDir().mkpath(saveDir);

    m_filePath = saveDir + QLatin1Char('/') + fileName;
    if (QFile::exists(m_filePath))
        QFile::remove(m_filePath);
    QFile::remove(partialFilePath()); // left by a run that ended mid-download

    file = openFileForWrite(partialFilePath());
    if (!file) {
        fail(QStringLiteral("Unable to save the file %1").arg(QDir::toNativeSeparators(m_filePath)));
        return;
    }
    startRequest(url);
}

std::unique_ptr<QFile> DownloadTool::openFileForWrite(const QString& fileName)
{
    std::unique_ptr<QFile> f(new QFile(fileName));
    if (!f->open(QIODevice::WriteOnly)) {
        qDebug() << QStringLiteral("Unable to save the file %1: %2.")
                        .arg(QDir::toNativeSeparators(fileName), f->errorString());
        return nullptr;
    }
    return f;
}

void DownloadTool::startRequest(const QUrl& url)
{
    requestUrl = url;
    QNetworkRequest request(url);
    // Redirects are ours to follow, with a limit and a check of where they lead.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute, QNetworkRequest::ManualRedirectPolicy);
    request.setTransferTimeout(m_stallTimeoutMs);
    reply = qnam.get(request);
    connect(reply, &QNetworkReply::finished, this, &DownloadTool::httpFinished);
    connect(reply, &QIODevice::readyRead, this, &DownloadTool::httpReadyRead);
    connect(reply, &QNetworkReply::downloadProgress, this, &DownloadTool::networkReplyProgress);
    // A signed download address carries its signature in the query.
    qDebug() << QStringLiteral("Downloading %1...").arg(url.toString(QUrl::RemoveQuery));
}

bool DownloadTool::isRedirect() const
{
    return reply && reply->attribute(QNetworkRequest::RedirectionTargetAttribute).isValid();
}

void DownloadTool::httpReadyRead()
{
    if (!reply || !file || !file->isOpen())
        return;
    const QByteArray data = reply->readAll();
    if (isRedirect() || data.isEmpty())
        return; // the body of a redirect is not the package
    if (file->write(data) != data.size() && m_writeError.isEmpty()) {
        m_writeError = file->errorString();
        reply->abort(); // finishes the reply; httpFinished reports the failure
    }
}

void DownloadTool::networkReplyProgress(qint64 bytesRead, qint64 totalBytes)
{
    if (isRedirect())
        return;
    // An unknown total (-1, or 0) shows as no progress rather than a division by zero.
    const double progress = totalBytes > 0 ? double(bytesRead) / double(totalBytes) : 0.0;
    emit sigProgress(bytesRead, totalBytes, progress);
    qDebug() << QString::number(progress * 100, 'f', 2) + QStringLiteral("%    ")
             << bytesRead / (1024 * 1024) << "MB"
             << "/" << totalBytes / (1024 * 1024) << "MB";
}

void DownloadTool::httpFinished()
{
    QNetworkReply* r = reply;
    if (!r || m_ended)
        return;
    reply = nullptr;
    r->deleteLater();
    if (file) {
        if (file->isOpen() && !file->flush() && m_writeError.isEmpty())
            m_writeError = file->errorString();
        file->close();
        file.reset();
    }

    if (!m_writeError.isEmpty()) {
        fail(m_writeError);
        return;
    }
    if (r->error() != QNetworkReply::NoError) {
        fail(r->errorString());
        return;
    }

    const QVariant target = r->attribute(QNetworkRequest::RedirectionTargetAttribute);
    if (target.isValid()) {
        const QUrl next = requestUrl.resolved(target.toUrl());
        if (++m_redirects > kMaxRedirects) {
            fail(QStringLiteral("Too many redirects"));
            return;
        }
        if (!isWebAddress(next)) {
            fail(QStringLiteral("Redirected to an address that is not http or https: %1").arg(next.toString()));
            return;
        }
        file = openFileForWrite(partialFilePath());
        if (!file) {
            fail(QStringLiteral("Unable to save the file %1").arg(QDir::toNativeSeparators(m_filePath)));
            return;
        }
        startRequest(next);
        return;
    }

    // A connection that ends early can look like a finished reply: hold the file to the length
    // the server announced (a compressed body is counted after decoding, so it cannot be).
    const QFileInfo info(partialFilePath());
    const QVariant announced = r->header(QNetworkRequest::ContentLengthHeader);
    const QByteArray encoding = r->rawHeader("Content-Encoding").trimmed().toLower();
    const bool plain = encoding.isEmpty() || encoding == "identity";
    if (plain && announced.isValid() && announced.toLongLong() != info.size()) {
        fail(QStringLiteral("Incomplete download: %1 of %2 bytes").arg(info.size()).arg(announced.toLongLong()));
        return;
    }

    const qint64 size = info.size();
    QFile::remove(m_filePath);
    if (!QFile::rename(partialFilePath(), m_filePath)) {
        fail(QStringLiteral("Unable to save the file %1").arg(QDir::toNativeSeparators(m_filePath)));
        return;
    }
    const QFileInfo saved(m_filePath);
    m_ended = true;
    emit sigDownloadFinished();
    qDebug() << QStringLiteral("Downloaded %1 bytes to %2 in %3")
                    .arg(size)
                    .arg(saved.fileName(), QDir::toNativeSeparators(saved.absolutePath()));
    qDebug() << "Finished";
}

void DownloadTool::fail(const QString& why)
{
    m_ended = true;
    if (file) {
        file->close();
        file.reset();
    }
    if (!m_filePath.isEmpty())
        QFile::remove(partialFilePath());
    emit sigDownloadFailedHttp(why);
    qDebug() << QStringLiteral("Download failed: %1.").arg(why);
}

void DownloadTool::cancel()
{
    if (m_ended)
        return;
    m_ended = true;
    if (reply) {
        QNetworkReply* r = reply;
        reply = nullptr;
        r->disconnect(this);
        r->abort();
        r->deleteLater();
    }
    if (file) {
        file->close();
        file.reset();
        QFile::remove(partialFilePath());
    }
}
