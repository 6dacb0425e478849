// test-label: integration
// test-timeout: 600
// The real LibreOffice on two small files written here: a Word document (three zip parts) and a
// presentation (flat ODP under a .pptx name; LibreOffice goes by content). Both conversions run
// at once, once per test run, and every check reads their results.
#include "documents/analysisPdfThread.h"

#include "support/DocumentFixtures.h"

#include <QDir>
#include <QImage>
#include <QImageReader>
#include <QProcess>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>

namespace
{

// soffice costs seconds even on an idle machine; a loaded one may take far longer.
constexpr int kConversionWaitMs = 300000;

struct Run {
    QList<float> percents;
    QStringList failures;
    QString pageDir;
};

} // namespace

class tst_OfficeConversion : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    Run m_word;
    Run m_ppt;

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        if (QStandardPaths::findExecutable(QStringLiteral("soffice")).isEmpty())
            QFAIL("LibreOffice is not installed (scripts/install-deps installs it)");
        testsupport::installDocumentStore(m_dir.path());
        QProcess python;
        python.start(QStringLiteral("python3"),
                     {QStringLiteral(SOLVEK_SOURCE_DIR "/tests/support/office_fixtures.py"), m_dir.path()});
        QVERIFY(python.waitForFinished(60000));
        QCOMPARE(python.exitCode(), 0);

        QObject receiver;
        analysisPdfThread word(m_dir.filePath(QStringLiteral("my report.docx")));
        analysisPdfThread ppt(m_dir.filePath(QStringLiteral("deck.pptx")));
        for (auto [worker, run] : {std::pair{&word, &m_word}, std::pair{&ppt, &m_ppt}}) {
            connect(worker, &analysisPdfThread::sendpercent, &receiver,
                    [run = run](float v) { run->percents << v; });
            connect(worker, &analysisPdfThread::sendFaildInfo, &receiver,
                    [run = run](const QString& t) { run->failures << t; });
            worker->start();
        }
        const auto ended = [](const Run& r) { return r.percents.contains(100.f) || !r.failures.isEmpty(); };
        QVERIFY(QTest::qWaitFor([&] { return ended(m_word) && ended(m_ppt); }, kConversionWaitMs));
        m_word.pageDir = word.getPageDir();
        m_ppt.pageDir = ppt.getPageDir();
    }

    void wordDocumentBecomesPages()
    {
        QCOMPARE(m_word.failures, QStringList());
        QCOMPARE(m_word.percents, (QList<float>{10.f, 50.f, 100.f}));
        // A portrait page (Letter or A4, by the locale's default) is 1440 high.
        const QImage first(m_word.pageDir + QStringLiteral("/pic0.png"));
        QCOMPARE(first.height(), 1440);
        QVERIFY(first.width() < 1440 && first.width() > 900);
        QCOMPARE(first.pixel(2, 2), qRgb(255, 255, 255));
        // The big heading is drawn: some dark pixels in the upper part of the page.
        int dark = 0;
        for (int y = 0; y < first.height() / 3; y += 2)
            for (int x = 0; x < first.width(); x += 2)
                dark += qGray(first.pixel(x, y)) < 128;
        QVERIFY2(dark > 100, qPrintable(QString::number(dark)));
        QVERIFY(QFile::exists(m_word.pageDir + QStringLiteral("/pic1.png")));
    }

    void presentationBecomesPages()
    {
        QCOMPARE(m_ppt.failures, QStringList());
        QCOMPARE(m_ppt.percents, (QList<float>{10.f, 50.f, 100.f}));
        // Slides are landscape: 1920 wide.
        QCOMPARE(QImageReader(m_ppt.pageDir + QStringLiteral("/pic0.png")).size().width(), 1920);
        QCOMPARE(QDir(m_ppt.pageDir).entryList(QDir::Files).size(), 2);
    }
};

QTEST_MAIN(tst_OfficeConversion)
#include "tst_OfficeConversion.moc"
