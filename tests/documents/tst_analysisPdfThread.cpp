// test-label: unit
// The conversion worker on generated files: PDF pages, pictures, dead ends, and the Office steps
// against a fake soffice on PATH (the real LibreOffice runs in tst_OfficeConversion).
#include "documents/analysisPdfThread.h"

#include "core/DataCenter.h"
#include "support/DocumentFixtures.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <QPdfDocument>
#include <QTemporaryDir>
#include <QtTest>

using testsupport::ConversionOutcome;
using testsupport::convertDocument;

namespace
{

// Progress of a three-page document: (i + 1) / 3 * 100 in double precision, sent as float.
const QList<float> kThreePages{float(100.0 / 3), float(200.0 / 3), 100.f};

bool processGone(qint64 pid)
{
    QFile stat(QStringLiteral("/proc/%1/stat").arg(pid));
    if (!stat.open(QIODevice::ReadOnly))
        return true;
    const QByteArray line = stat.readAll();
    const int paren = line.lastIndexOf(')');
    return paren > 0 && line.mid(paren + 2, 1) == "Z"; // ended, waiting to be reaped
}

QList<qint64> pidsIn(const QString& dir, const QString& pattern)
{
    QList<qint64> pids;
    for (const QFileInfo& f : QDir(dir).entryInfoList({pattern}, QDir::Files)) {
        QFile file(f.filePath());
        if (file.open(QIODevice::ReadOnly))
            pids << file.readAll().trimmed().toLongLong();
    }
    return pids;
}

} // namespace

class tst_analysisPdfThread : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_threePages; // landscape filled, portrait filled, landscape without fill
    QString m_fakeBin;
    QString m_fakeLog;
    QByteArray m_path;

    QString file(const QString& name) const { return m_dir.filePath(QStringLiteral("in/") + name); }
    QString copyOf(const QString& source, const QString& name) const
    {
        QFile::remove(file(name));
        return QFile::copy(source, file(name)) ? file(name) : QString();
    }
    void useFake(const char* mode, bool onPath = true)
    {
        qputenv("SOLVEK_FAKE_MODE", mode);
        qputenv("PATH", onPath ? m_fakeBin.toUtf8() + ':' + m_path
                               : m_dir.filePath(QStringLiteral("empty")).toUtf8());
        QDir(m_fakeLog).removeRecursively();
        QDir().mkpath(m_fakeLog);
    }
    QStringList fakeCalls() const
    {
        QStringList calls;
        for (const QFileInfo& f : QDir(m_fakeLog).entryInfoList({QStringLiteral("args.*")}, QDir::Files)) {
            QFile file(f.filePath());
            if (file.open(QIODevice::ReadOnly))
                calls << QString::fromUtf8(file.readAll());
        }
        return calls;
    }
    void verifyNoFakeLeft()
    {
        const QList<qint64> pids =
            pidsIn(m_fakeLog, QStringLiteral("pid.*")) + pidsIn(m_fakeLog, QStringLiteral("child.*"));
        QVERIFY(!pids.isEmpty());
        for (qint64 pid : pids)
            QTRY_VERIFY_WITH_TIMEOUT(processGone(pid), 10000);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("in"))));
        QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("empty"))));
        testsupport::installDocumentStore(m_dir.path());
        m_threePages = file(QStringLiteral("three.pdf"));
        QVERIFY(testsupport::writePdf(m_threePages,
                                      {{QSizeF(842, 595)}, {QSizeF(595, 842)}, {QSizeF(842, 595), false}}));
        QPdfDocument check;
        QCOMPARE(check.load(m_threePages), QPdfDocument::NoError);
        QCOMPARE(check.pageSize(1), QSizeF(595, 842));

        m_fakeBin = m_dir.filePath(QStringLiteral("bin"));
        m_fakeLog = m_dir.filePath(QStringLiteral("fake-log"));
        QVERIFY(QDir().mkpath(m_fakeBin));
        QVERIFY(testsupport::writeFakeSoffice(m_fakeBin));
        m_path = qgetenv("PATH");
        qputenv("SOLVEK_FAKE_LOG", m_fakeLog.toUtf8());
        qputenv("SOLVEK_FAKE_PDF", m_threePages.toUtf8());
    }
    void cleanup()
    {
        qputenv("PATH", m_path);
        analysisPdfThread::setOfficeTimeoutMs(analysisPdfThread::kOfficeTimeoutMs);
    }

    void pageSizes_data()
    {
        QTest::addColumn<QSizeF>("points");
        QTest::addColumn<QSize>("pixels");
        QTest::newRow("landscape") << QSizeF(842, 595) << QSize(1920, 1356);
        QTest::newRow("portrait") << QSizeF(595, 842) << QSize(1017, 1440);
        QTest::newRow("square") << QSizeF(500, 500) << QSize(1920, 1920);
        QTest::newRow("A4 fractions truncated") << QSizeF(595.28, 841.89) << QSize(1018, 1440);
        QTest::newRow("sliver keeps 1 px") << QSizeF(14400, 1) << QSize(1920, 1);
        QTest::newRow("under 1 point") << QSizeF(0.5, 100) << QSize();
        QTest::newRow("no size") << QSizeF() << QSize();
    }
    void pageSizes()
    {
        QFETCH(QSizeF, points);
        QTEST(analysisPdfThread::pagePixelSize(points), "pixels");
    }

    void rendersPdfPages()
    {
        const QString source = copyOf(m_threePages, QStringLiteral("Q3 plan.pdf"));
        ConversionOutcome out = convertDocument(source);
        QCOMPARE(out.failures, QStringList());
        QCOMPARE(out.percents, kThreePages);
        QCOMPARE(out.key, QStringLiteral("svpczsjz_Q3 plan_.pdf_%1").arg(QFileInfo(source).size()));
        QCOMPARE(out.pageDir, m_dir.filePath(QStringLiteral("user/") + out.key));
        QCOMPARE(out.thumbnail, out.pageDir + QStringLiteral("/pic0.png"));
        QCOMPARE(QImageReader(out.pageDir + "/pic0.png").size(), QSize(1920, 1356));
        QCOMPARE(QImageReader(out.pageDir + "/pic1.png").size(), QSize(1017, 1440));
        const QImage unfilled(out.pageDir + "/pic2.png");
        QCOMPARE(unfilled.size(), QSize(1920, 1356));
        QCOMPARE(unfilled.pixel(2, 2), qRgb(255, 255, 255));
        QVERIFY(QImage(out.pageDir + "/pic0.png").pixel(2, 2) != qRgb(255, 255, 255)); // the fill is drawn
        QCOMPARE(QDir(out.pageDir).entryList(QDir::Files).size(), 3);

        // Converting again starts from an emptied page folder.
        QFile stale(out.pageDir + "/pic7.png");
        QVERIFY(stale.open(QIODevice::WriteOnly));
        stale.close();
        out = convertDocument(source);
        QCOMPARE(out.percents, kThreePages);
        QCOMPARE(QDir(out.pageDir).entryList(QDir::Files).size(), 3);
    }

    void restartedWorkerConvertsAfresh()
    {
        const QString source = file(QStringLiteral("later.pdf"));
        QFile::remove(source);
        QList<float> percents;
        QStringList failures;
        QObject receiver;
        analysisPdfThread worker(source);
        connect(&worker, &analysisPdfThread::sendpercent, &receiver, [&](float v) { percents << v; });
        connect(&worker, &analysisPdfThread::sendFaildInfo, &receiver,
                [&](const QString& t) { failures << t; });
        worker.start();
        QTRY_COMPARE(failures, QStringList{analysisPdfThread::parseFailedText()});
        worker.requestInterruption();
        QVERIFY(worker.wait(30000));
        // The file appears; the tile's retry starts the same worker again.
        QVERIFY(QFile::copy(m_threePages, source));
        worker.start();
        QTRY_COMPARE(percents, kThreePages);
        QCOMPARE(failures.size(), 1);
    }

    void scalesPictures_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("page");
        QTest::newRow("landscape JPG") << "photo.JPG" << QSize(4000, 3000) << QSize(1920, 1440);
        QTest::newRow("square png") << "square.png" << QSize(500, 500) << QSize(1920, 1920);
        QTest::newRow("portrait") << "tall.png" << QSize(1000, 2000) << QSize(540, 1080);
    }
    void scalesPictures()
    {
        QFETCH(QString, name);
        QFETCH(QSize, picture);
        QImage image(picture, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(file(name), name.endsWith("JPG") ? "JPG" : "PNG"));
        const ConversionOutcome out = convertDocument(file(name));
        QCOMPARE(out.failures, QStringList());
        QCOMPARE(out.percents, QList<float>{100.f});
        QCOMPARE(out.thumbnail, out.pageDir + "/pic0.png");
        QTEST(QImageReader(out.thumbnail).size(), "page");
    }

    // Every file ends in pages or in exactly one failure, never in silence.
    void deadEnds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("content"); // "three" for the three-page PDF
        QTest::addColumn<bool>("pages");
        QTest::newRow("Scan.PDF") << "Scan.PDF" << QByteArray("three") << true;
        QTest::newRow("x.xls") << "x.xls" << QByteArray("a,b\n") << false;
        QTest::newRow("text named pdf") << "broken.pdf" << QByteArray("no pdf at all") << false;
        QTest::newRow("empty png") << "x.png" << QByteArray() << false;
        QTest::newRow("text named jpg") << "x.jpg" << QByteArray("not a picture") << false;
        QTest::newRow("other extension") << "notes.txt" << QByteArray("hello") << false;
        QTest::newRow("no extension") << "README" << QByteArray("hello") << false;
        QTest::newRow("no pages") << "none.pdf" << QByteArray("raw:0") << false;
        QTest::newRow("page under 1 point") << "thin.pdf" << QByteArray("raw:1") << false;
        QTest::newRow("missing file") << "gone.pdf" << QByteArray("missing") << false;
    }
    void deadEnds()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, content);
        QFETCH(bool, pages);
        const QString path = file(name);
        QFile::remove(path);
        if (content == "three") {
            QVERIFY(QFile::copy(m_threePages, path));
        } else if (content.startsWith("raw:")) {
            QVERIFY(testsupport::writeRawPdf(path, QSizeF(0.5, 100), content.mid(4).toInt()));
        } else if (content != "missing") {
            QFile f(path);
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(content);
        }
        const ConversionOutcome out = convertDocument(path);
        QVERIFY(out.finished);
        if (pages) {
            QCOMPARE(out.failures, QStringList());
            QCOMPARE(out.percents, kThreePages);
        } else {
            QCOMPARE(out.failures, QStringList{analysisPdfThread::parseFailedText()});
            QVERIFY(!out.percents.contains(100.f));
        }
    }

    void officeThroughSoffice_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QByteArray>("mode"); // "absent": no soffice on PATH
        QTest::addColumn<QString>("failure"); // empty: pages expected
        QTest::newRow("pptx with a blank") << "my talk.pptx" << QByteArray("ok") << "";
        QTest::newRow("upper-case DOCX") << "Report.DOCX" << QByteArray("ok") << "";
        QTest::newRow("doc fails") << "a.doc" << QByteArray("fail") << analysisPdfThread::wordFailedText();
        QTest::newRow("ppt fails") << "a.ppt" << QByteArray("fail") << analysisPdfThread::pptFailedText();
        QTest::newRow("exit 0 without PDF")
            << "a.docx" << QByteArray("nopdf") << analysisPdfThread::wordFailedText();
        QTest::newRow("word absent") << "a.docx" << QByteArray("absent")
                                     << analysisPdfThread::wordMissingText();
        QTest::newRow("ppt absent") << "a.pptx" << QByteArray("absent")
                                    << analysisPdfThread::pptMissingText();
    }
    void officeThroughSoffice()
    {
        QFETCH(QString, name);
        QFETCH(QByteArray, mode);
        QFETCH(QString, failure);
        QFile office(file(name));
        QVERIFY(office.open(QIODevice::WriteOnly));
        office.write("an office file");
        office.close();
        useFake(mode, mode != "absent");
        const ConversionOutcome out = convertDocument(file(name));
        QVERIFY(out.finished);
        if (failure.isEmpty()) {
            QCOMPARE(out.failures, QStringList());
            QCOMPARE(out.percents, QList<float>{10.f} + kThreePages);
            QCOMPARE(QDir(out.pageDir).entryList(QDir::Files).size(), 3);
        } else {
            QCOMPARE(out.failures, QStringList{failure});
            QCOMPARE(out.percents, QList<float>());
        }
        if (mode == "absent")
            return;
        // One call, on the blank-free copy in the document's own working folder, with a profile
        // of its own.
        const QStringList calls = fakeCalls();
        QCOMPARE(calls.size(), 1);
        const QStringList args = calls.first().split('\n', Qt::SkipEmptyParts);
        const QString workDir = m_dir.filePath(QStringLiteral("user/pdf/")) + out.key;
        QString copyName = name;
        copyName.replace(' ', '_');
        QCOMPARE(args.mid(1), (QStringList{"--headless", "--convert-to", "pdf", "--outdir", workDir,
                                           workDir + '/' + copyName}));
        QVERIFY(args.first().startsWith("-env:UserInstallation=file:///"));
        QVERIFY(!QDir(workDir).exists()); // the copy and the PDF do not stay
    }

    void officeTimeOutEndsSoffice()
    {
        QFile office(file(QStringLiteral("slow.docx")));
        QVERIFY(office.open(QIODevice::WriteOnly));
        office.close();
        useFake("hang");
        analysisPdfThread::setOfficeTimeoutMs(1500);
        const ConversionOutcome out = convertDocument(office.fileName());
        QCOMPARE(out.failures, QStringList{analysisPdfThread::wordFailedText()});
        QCOMPARE(out.percents, QList<float>());
        verifyNoFakeLeft();
    }

    void conversionsAtOnceBothFinish()
    {
        useFake("slow");
        QList<float> first, second;
        QObject receiver;
        for (const char* name : {"one.docx", "two.pptx"}) {
            QFile f(file(name));
            QVERIFY(f.open(QIODevice::WriteOnly));
            f.write(name);
        }
        analysisPdfThread a(file("one.docx")), b(file("two.pptx"));
        connect(&a, &analysisPdfThread::sendpercent, &receiver, [&](float v) { first << v; });
        connect(&b, &analysisPdfThread::sendpercent, &receiver, [&](float v) { second << v; });
        a.start();
        b.start();
        QTRY_COMPARE_WITH_TIMEOUT(first, QList<float>{10.f} + kThreePages, 30000);
        QTRY_COMPARE_WITH_TIMEOUT(second, QList<float>{10.f} + kThreePages, 30000);
        QVERIFY(a.getPageDir() != b.getPageDir());
        const QStringList calls = fakeCalls();
        QCOMPARE(calls.size(), 2);
        QVERIFY(calls[0].section('\n', 0, 0) != calls[1].section('\n', 0, 0)); // two profiles
    }

    void destroyedMidRunReturnsPromptly()
    {
        QFile office(file(QStringLiteral("stuck.pptx")));
        QVERIFY(office.open(QIODevice::WriteOnly));
        office.close();
        useFake("hang"); // with the full time-out
        auto* worker = new analysisPdfThread(office.fileName());
        worker->start();
        QTRY_VERIFY_WITH_TIMEOUT(!pidsIn(m_fakeLog, QStringLiteral("child.*")).isEmpty(), 30000);
        QElapsedTimer clock;
        clock.start();
        delete worker;
        QVERIFY2(clock.elapsed() < 30000, "the destructor waited for the time-out");
        verifyNoFakeLeft();
    }

    void idleWorkerCanBeDestroyed()
    {
        // The tile may go long after a conversion ended; its thread still idles then.
        auto* worker = new analysisPdfThread(copyOf(m_threePages, QStringLiteral("idle.pdf")));
        QList<float> percents;
        QObject receiver;
        connect(worker, &analysisPdfThread::sendpercent, &receiver, [&](float v) { percents << v; });
        worker->start();
        QTRY_COMPARE(percents, kThreePages);
        QVERIFY(worker->isRunning());
        delete worker;
    }

    void fileInfoBeforeStart()
    {
        const QString source = copyOf(m_threePages, QStringLiteral("info.pdf"));
        analysisPdfThread worker(source);
        QString name = QStringLiteral("untouched");
        qint64 size = -1;
        worker.getFileInfo(name, size);
        QCOMPARE(name, QStringLiteral("info.pdf"));
        QCOMPARE(size, QFileInfo(source).size());
        analysisPdfThread missing(file(QStringLiteral("nothing.docx")));
        name = QStringLiteral("untouched");
        missing.getFileInfo(name, size);
        QCOMPARE(name, QStringLiteral("untouched"));
    }

    void clearsOrCreatesFolders()
    {
        const QString dir = m_dir.filePath(QStringLiteral("clear/a/b"));
        QVERIFY(analysisPdfThread::clearOrCreateDir(dir));
        QVERIFY(QDir(dir).exists());
        for (const char* name : {"pic0.png", ".hidden"}) {
            QFile f(dir + '/' + name);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        QVERIFY(QDir().mkpath(dir + "/sub"));
        QVERIFY(analysisPdfThread::clearOrCreateDir(dir));
        QVERIFY(!QFile::exists(dir + "/pic0.png"));
        QVERIFY(QFile::exists(dir + "/.hidden"));
        QVERIFY(QDir(dir + "/sub").exists());
        QFile blocker(m_dir.filePath(QStringLiteral("clear/file")));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        QVERIFY(!analysisPdfThread::clearOrCreateDir(blocker.fileName()));
    }

    void folderThatCannotBeMadeEndsTheConversion()
    {
        const QString source = copyOf(m_threePages, QStringLiteral("blocked.pdf"));
        // A file where the page folder belongs.
        QFile blocker(
            m_dir.filePath(QStringLiteral("user/svpczsjz_blocked_.pdf_%1")).arg(QFileInfo(source).size()));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        ConversionOutcome out = convertDocument(source);
        QCOMPARE(out.failures, QStringList{analysisPdfThread::parseFailedText()});
        QCOMPARE(out.percents, QList<float>());
        QVERIFY(out.pageDir.isEmpty());
        QVERIFY(blocker.remove());

        // Without a signed-in user there is no per-user folder: nothing is written anywhere.
        const QString userDir = CDataCenter::getInstance()->userDocDir;
        CDataCenter::getInstance()->userDocDir.clear();
        out = convertDocument(source);
        CDataCenter::getInstance()->userDocDir = userDir;
        QCOMPARE(out.failures, QStringList{analysisPdfThread::parseFailedText()});
        QVERIFY(out.pageDir.isEmpty());
        QVERIFY(!QDir(QStringLiteral("/pdf")).exists());
    }
};

QTEST_MAIN(tst_analysisPdfThread)
#include "tst_analysisPdfThread.moc"
