#include "documents/analysisPdfThread.h"

#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"
#include "core/PictureLimits.h"
#include "documents/DocumentCacheEntry.h"

#include <QDebug>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPdfDocument>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QUrl>

#include <atomic>
#include <cmath>
#include <signal.h>
#include <unistd.h>

namespace
{

std::atomic<int> g_officeTimeoutMs{analysisPdfThread::kOfficeTimeoutMs};
// How often a waiting or idle worker looks for an interruption.
constexpr int kPollMs = 100;
constexpr int kIdleLogEveryMs = 1000;
// Output of soffice kept for the log when a conversion fails.
constexpr int kMaxLoggedOutput = 4096;

// Ends soffice and everything it started (oosplash runs soffice.bin as a child): the process was
// made the leader of a process group of its own, so the whole group goes.
void killProcessTree(QProcess& process)
{
    const qint64 pid = process.processId();
    if (pid > 0 && ::getpgid(pid_t(pid)) == pid_t(pid))
        ::kill(-pid_t(pid), SIGKILL);
    else
        process.kill();
    process.waitForFinished(5000);
}

} // namespace

int analysisPdfThread::officeTimeoutMs()
{
    return g_officeTimeoutMs.load();
}
void analysisPdfThread::setOfficeTimeoutMs(int ms)
{
    g_officeTimeoutMs.store(ms);
}

QString analysisPdfThread::wordMissingText()
{
    return QStringLiteral("文档未安装");
}
QString analysisPdfThread::wordFailedText()
{
    return QStringLiteral("文档文本打开失败");
}
QString analysisPdfThread::pptMissingText()
{
    return QStringLiteral("PPT未安装");
}
QString analysisPdfThread::pptFailedText()
{
    return QStringLiteral("PPT文本打开失败");
}
QString analysisPdfThread::parseFailedText()
{
    return QStringLiteral("文件解析出错");
}

analysisPdfThread::analysisPdfThread(QString filePath, QObject* parent)
    : QThread(parent), m_filePath(std::move(filePath))
{
    const auto store = CDataCenter::getInstance();
    m_userDocDir = store->userDocDir;
    m_screen = QSize(store->screenWidth, store->screenHeight);
}

analysisPdfThread::~analysisPdfThread()
{
    // The tile may go while a conversion or the idle loop runs; deleting a running QThread
    // aborts the program.
    requestInterruption();
    wait();
}

void analysisPdfThread::run()
{
    init();
    QElapsedTimer sinceLog;
    sinceLog.start();
    qDebug() << "conversion idle, thread" << QThread::currentThreadId();
    while (!isInterruptionRequested()) {
        QThread::msleep(kPollMs);
        if (sinceLog.elapsed() >= kIdleLogEveryMs) {
            qDebug() << "conversion idle, thread" << QThread::currentThreadId();
            sinceLog.restart();
        }
    }
    qDebug() << "work done";
}

void analysisPdfThread::sendFailure(const QString& text)
{
    if (m_failed)
        return;
    m_failed = true;
    emit sendFaildInfo(text);
}

analysisPdfThread::Branch analysisPdfThread::branchFor(const QString& extension)
{
    const auto has = [&](const char* s) { return extension.contains(QLatin1String(s), Qt::CaseInsensitive); };
    if (has("doc"))
        return Branch::Word;
    if (has("xls"))
        return Branch::None;
    if (has("ppt"))
        return Branch::Ppt;
    if (has("png") || has("jpg"))
        return Branch::Picture;
    if (extension.compare(QLatin1String(".pdf"), Qt::CaseInsensitive) == 0)
        return Branch::Pdf;
    return Branch::None;
}

void analysisPdfThread::init()
{
    m_failed = false;
    m_workDir.clear();
    m_pageDir.clear();
    m_thumbnailPath.clear();

    QString baseName, extension;
    DocumentCacheEntry::splitSourcePath(m_filePath, &baseName, &extension);
    if (extension.isEmpty())
        qWarning() << "获取要转换文件的后缀名失败";
    if (!m_filePath.contains(QLatin1Char('/'))) {
        qWarning() << "获取要转换文件的文件名失败";
        baseName.clear();
    }
    const QFileInfo source(m_filePath);
    m_fileSize = source.exists() ? source.size() : 0;
    m_key = DocumentCacheEntry::makeKey(baseName, extension, m_fileSize);

    // Nothing is written to a folder that could not be made (an empty per-user folder would
    // put the cache at the file system's root).
    if (m_userDocDir.isEmpty()) {
        qWarning() << "no per-user folder; conversion of" << m_filePath << "abandoned";
        sendFailure(parseFailedText());
        return;
    }
    const QString workDir = m_userDocDir + QStringLiteral("/pdf/") + m_key;
    if (!clearOrCreateDir(workDir)) {
        qWarning() << "创建保存转换pdf路径失败" << workDir;
        sendFailure(parseFailedText());
        return;
    }
    m_workDir = workDir;
    const QString pageDir = DocumentCacheEntry::pageDirFor(m_userDocDir, m_key);
    if (clearOrCreateDir(pageDir)) {
        m_pageDir = pageDir;
        convert(baseName, extension);
    } else {
        qWarning() << "创建保存图片路径失败" << pageDir;
        sendFailure(parseFailedText());
    }
    // The copy and the PDF are of no use once the pages exist; kept, every document would leave
    // a second copy of itself behind.
    QDir(m_workDir).removeRecursively();
}

void analysisPdfThread::convert(const QString& baseName, const QString& extension)
{
    switch (const Branch branch = branchFor(extension)) {
    case Branch::Word:
    case Branch::Ppt:
        convertOfficeFile(branch, baseName, extension);
        break;
    case Branch::Picture:
        convertPicture(baseName, extension);
        break;
    case Branch::Pdf: {
        const QString copy = m_workDir + QLatin1Char('/') + baseName + QStringLiteral(".pdf");
        qDebug() << (QFile::copy(m_filePath, copy) ? "文件拷贝成功" : "文件拷贝失败");
        analysisPdf(copy);
        break;
    }
    case Branch::None:
        qWarning() << "no conversion for" << m_filePath;
        sendFailure(parseFailedText());
        break;
    }
}

void analysisPdfThread::convertOfficeFile(Branch branch, const QString& baseName, const QString& extension)
{
    const bool word = branch == Branch::Word;
    // soffice names its PDF after the copy; blanks are kept out of both names.
    QString officeBase = baseName;
    officeBase.replace(QLatin1Char(' '), QLatin1Char('_'));
    const QString copy = m_workDir + QLatin1Char('/') + officeBase + extension;
    const QString pdfPath = m_workDir + QLatin1Char('/') + officeBase + QStringLiteral(".pdf");
    if (!QFile::copy(m_filePath, copy)) {
        qWarning() << "copy for conversion failed:" << m_filePath;
        sendFailure(word ? wordFailedText() : pptFailedText());
        return;
    }
    if (!(word ? switchWord(copy, pdfPath) : switchPpt(copy, pdfPath)))
        return;
    emit sendpercent(10);
    if (word)
        qDebug() << "decFile:" << pdfPath;
    analysisPdf(pdfPath);
}

bool analysisPdfThread::switchWord(const QString& sourceCopy, const QString& pdfPath)
{
    return convertOffice(sourceCopy, pdfPath, wordMissingText(), wordFailedText());
}

bool analysisPdfThread::switchPpt(const QString& sourceCopy, const QString& pdfPath)
{
    return convertOffice(sourceCopy, pdfPath, pptMissingText(), pptFailedText());
}

bool analysisPdfThread::convertOffice(const QString& sourceCopy, const QString& pdfPath,
                                      const QString& missingText, const QString& failedText)
{
    const QString soffice = QStandardPaths::findExecutable(QStringLiteral("soffice"));
    if (soffice.isEmpty()) {
        qWarning() << "soffice not found on PATH";
        sendFailure(missingText);
        return false;
    }
    // Concurrent calls must not share a profile: each call gets a fresh one.
    QTemporaryDir profile;
    if (!profile.isValid()) {
        qWarning() << "no profile folder for soffice:" << profile.errorString();
        sendFailure(failedText);
        return false;
    }
    QStringList arguments{QStringLiteral("-env:UserInstallation=") +
                              QUrl::fromLocalFile(profile.path()).toString(),
                          QStringLiteral("--headless"),
                          QStringLiteral("--convert-to"),
                          QStringLiteral("pdf"),
                          QStringLiteral("--outdir"),
                          QFileInfo(pdfPath).absolutePath(),
                          sourceCopy};
    // setsid makes soffice lead a process group of its own, so a time-out or an interruption can
    // end it together with the processes it starts.
    QString program = soffice;
    const QString setsid = QStandardPaths::findExecutable(QStringLiteral("setsid"));
    if (!setsid.isEmpty()) {
        arguments.prepend(soffice);
        program = setsid;
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForStarted()) {
        qWarning() << "soffice could not start:" << process.errorString();
        sendFailure(missingText);
        return false;
    }
    QByteArray output;
    const auto keepOutput = [&] {
        output += process.readAll();
        if (output.size() > kMaxLoggedOutput)
            output = output.right(kMaxLoggedOutput);
    };
    QElapsedTimer clock;
    clock.start();
    while (!process.waitForFinished(kPollMs) && process.state() != QProcess::NotRunning) {
        keepOutput();
        if (isInterruptionRequested()) {
            killProcessTree(process);
            return false;
        }
        if (clock.elapsed() > officeTimeoutMs()) {
            qWarning() << "soffice overran its time-out of" << officeTimeoutMs() << "ms:" << sourceCopy;
            killProcessTree(process);
            sendFailure(failedText);
            return false;
        }
    }
    keepOutput();
    const bool exitedWell = process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0;
    const QFileInfo pdf(pdfPath);
    if (!exitedWell || !pdf.isFile() || pdf.size() == 0) {
        qWarning() << "soffice gave no PDF, exit code" << process.exitCode() << "output:" << output;
        sendFailure(failedText);
        return false;
    }
    return true;
}

void analysisPdfThread::convertPicture(const QString& baseName, const QString& extension)
{
    const QString copy = m_workDir + QLatin1Char('/') + baseName + extension;
    qDebug() << (QFile::copy(m_filePath, copy) ? "图片文件拷贝成功" : "图片文件拷贝失败");
    // The host's file, read like every picture from outside (formats by content, bounds on what
    // is decoded), at the size the page is shown.
    QFile file(copy);
    const QByteArray bytes = file.open(QIODevice::ReadOnly) && file.size() <= PictureLimits::kMaxDecodeBytes
                                 ? file.readAll()
                                 : QByteArray();
    QSize size;
    const QImage picture = PictureDecoder::decode(
        bytes, [this](const QSize& announced) { return pictureScaledSize(announced, m_screen); }, &size);
    if (picture.isNull()) {
        qWarning() << "picture not readable or too large:" << m_filePath << size;
        sendFailure(parseFailedText());
        return;
    }
    const QString page = DocumentCacheEntry::pagePath(m_pageDir, 0);
    if (!picture.save(page, "PNG")) {
        qWarning() << "picture could not be saved:" << m_filePath;
        sendFailure(parseFailedText());
        return;
    }
    m_thumbnailPath = page;
    emit sendpercent(100);
}

void analysisPdfThread::analysisPdf(const QString& pdfPath)
{
    QPdfDocument document;
    if (document.load(pdfPath) != QPdfDocument::NoError || document.status() != QPdfDocument::Ready) {
        qWarning() << "!pdfium_->isValid() path:" << pdfPath;
        sendFailure(parseFailedText());
        return;
    }
    const int count = document.pageCount();
    if (count <= 0 || count > kMaxPages) {
        qWarning() << "PDF page count out of range:" << count << pdfPath;
        sendFailure(parseFailedText());
        return;
    }
    for (int i = 0; i < count; ++i) {
        if (isInterruptionRequested())
            return;
        const QSize pixels = pagePixelSize(document.pageSize(i));
        if (pixels.isEmpty()) {
            qWarning() << "PDF page" << i << "has no size:" << document.pageSize(i) << pdfPath;
            sendFailure(parseFailedText());
            return;
        }
        const QImage rendered = document.render(i, pixels);
        // Pages without a fill come back transparent.
        QImage page(pixels, QImage::Format_RGB32);
        page.fill(Qt::white);
        if (!rendered.isNull()) {
            QPainter painter(&page);
            painter.drawImage(0, 0, rendered);
        }
        const QString path = DocumentCacheEntry::pagePath(m_pageDir, i);
        if (rendered.isNull() || !page.save(path, "PNG")) {
            qWarning() << "PDF page" << i << "could not be rendered or saved:" << path;
            sendFailure(parseFailedText());
            return;
        }
        if (i == 0)
            m_thumbnailPath = path;
        emit sendpercent(float(double(i + 1) / count * 100));
    }
}

bool analysisPdfThread::clearOrCreateDir(const QString& dir)
{
    QDir folder(dir);
    if (!folder.exists())
        return QDir().mkpath(dir);
    for (const QString& name : folder.entryList(QDir::Files))
        folder.remove(name);
    return true;
}

void analysisPdfThread::getFileInfo(QString& fileName, qint64& fileSize) const
{
    const QFileInfo info(m_filePath);
    if (!info.exists())
        return;
    fileName = info.fileName();
    fileSize = info.size();
}

QSize analysisPdfThread::pagePixelSize(const QSizeF& points)
{
    const int w = int(points.width());
    const int h = int(points.height());
    if (w < 1 || h < 1)
        return QSize();
    if (w >= h) {
        const float scale = float(kPageWidth) / float(w);
        return QSize(kPageWidth, qMax(1, int(float(h) * scale)));
    }
    const float scale = float(kPageHeight) / float(h);
    return QSize(qMax(1, int(float(w) * scale)), kPageHeight);
}

QSize analysisPdfThread::pictureScaledSize(const QSize& picture, const QSize& screen)
{
    const float w = float(picture.width());
    const float h = float(picture.height());
    const int W = screen.width();
    const int H = screen.height();
    if (picture.width() > picture.height())
        return QSize(W, qMax(1, int(h / (w / float(W)))));
    if (picture.width() == picture.height())
        return QSize(W, W);
    return QSize(qMax(1, int(w / (h / float(H)))), H);
}
