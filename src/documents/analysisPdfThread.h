#pragma once
// The conversion worker of one document tile: turns one local file into page pictures in the
// per-user cache (see DocumentCacheEntry) and reports by two signals.
//
// Word and PowerPoint files are converted to PDF by LibreOffice (`soffice --headless`, one fresh
// profile per call, ended when it overruns its time-out or the worker is interrupted); every PDF
// page is rendered with QtPdf, composited over white and saved as "pic<i>.png"; a picture becomes
// one "pic0.png" scaled to the screen. Each conversion works in a folder of its own (per-user
// folder + "/pdf/" + key, removed when the conversion ends), so conversions running at once never
// empty each other's files.
//
// Every conversion ends either in progress 100 or in exactly one sendFaildInfo; after that the
// thread idles until interruption is requested (the tile does so on either signal). Destroying
// the worker interrupts it, ends a running soffice and waits for the thread.
//
// The per-user folder and the screen size are taken from the settings store when the worker is
// made (GUI thread); the worker thread never reads the store.

#include <QSize>
#include <QSizeF>
#include <QString>
#include <QThread>

class analysisPdfThread : public QThread
{
    Q_OBJECT
public:
    // Upper bound of one LibreOffice call (it usually takes about 3 s); tests may shorten it.
    static constexpr int kOfficeTimeoutMs = 120000;
    static int officeTimeoutMs();
    static void setOfficeTimeoutMs(int ms);
    // Documents are untrusted: more pages than this are refused rather than filling the disk.
    static constexpr int kMaxPages = 1000;
    // A landscape page is rendered this wide, a portrait one this high.
    static constexpr int kPageWidth = 1920;
    static constexpr int kPageHeight = 1440;

    // Failure texts.
    static QString wordMissingText(); // "文档未安装"
    static QString wordFailedText();  // "文档文本打开失败"
    static QString pptMissingText();  // "PPT未安装"
    static QString pptFailedText();   // "PPT文本打开失败"
    static QString parseFailedText(); // "文件解析出错"

    analysisPdfThread(QString filePath, QObject* parent = nullptr);
    ~analysisPdfThread() override;

    // Prepares key and folders and converts the file; runs on the worker thread.
    void init();
    // Renders every page of a PDF into the page folder.
    void analysisPdf(const QString& pdfPath);
    // LibreOffice conversions of the source copy into `pdfPath`; true when the PDF is there,
    // otherwise the failure has been sent (or the worker was interrupted).
    bool switchWord(const QString& sourceCopy, const QString& pdfPath);
    bool switchPpt(const QString& sourceCopy, const QString& pdfPath);
    // Deletes the plain visible files of an existing folder (true), or makes it with its parents.
    static bool clearOrCreateDir(const QString& dir);

    // GUI thread, after progress 100.
    QString getCacheKey() const { return m_key; }
    QString getPageDir() const { return m_pageDir; }
    QString getThumbnailPath() const { return m_thumbnailPath; }
    // GUI thread, before the start: the source's file name and size, untouched when it is missing.
    void getFileInfo(QString& fileName, qint64& fileSize) const;

    // Pixel size of a page of `points` (each side truncated to whole points): 1920 wide when
    // landscape or square, 1440 high when portrait, the other side scaled and truncated (at least
    // 1 px). Empty for a page under 1 point.
    static QSize pagePixelSize(const QSizeF& points);
    // A picture scaled to the screen: W wide when landscape or square, H high when portrait.
    static QSize pictureScaledSize(const QSize& picture, const QSize& screen);

signals:
    void sendpercent(float value);
    void sendFaildInfo(QString strerror);

protected:
    void run() override;

private:
    enum class Branch { Word, Ppt, Picture, Pdf, None };
    static Branch branchFor(const QString& extension);

    void convert(const QString& baseName, const QString& extension);
    bool convertOffice(const QString& sourceCopy, const QString& pdfPath, const QString& missingText,
                       const QString& failedText);
    void convertOfficeFile(Branch branch, const QString& baseName, const QString& extension);
    void convertPicture(const QString& baseName, const QString& extension);
    void sendFailure(const QString& text);

    QString m_filePath;
    QString m_workDir;
    QString m_pageDir;
    QString m_key;
    QString m_thumbnailPath;
    qint64 m_fileSize = 0;
    QString m_userDocDir;
    QSize m_screen;
    bool m_failed = false;
};
