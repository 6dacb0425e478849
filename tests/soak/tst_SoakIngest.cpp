// test-label: soak
// test-timeout: 240
// The ingest drill in its short form (bench/soak/ingest.sh runs the cases 5 s, 30 s and never with
// the program's own retry budget): the RTMP server killed mid-broadcast comes back after 5 s and
// the stream flows again, then it is killed for good and the broadcast ends in the push-failed
// hint and idle once a short retry budget (4 retries 2 s apart) has run out. The GUI thread never
// stalls more than a moment throughout: here at most 1000 ms, as CI machines may be loaded (the
// stalls this guards against lasted seconds); the full-length drill holds it to 250 ms.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SoakDrill.h"

class tst_SoakIngest : public QObject
{
    Q_OBJECT

private slots:
    void serverBackRecoversServerGoneFails();
};

void tst_SoakIngest::serverBackRecoversServerGoneFails()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("MAX_STALL_MS", "1000");
    const testsupport::DrillRun run =
        testsupport::runDrill("bash", {SOLVEK_SOURCE_DIR "/bench/soak/ingest.sh", SOLVEK_BINARY_DIR, out.path(), "5,never", "4", "2"}, 200000, env);
    QVERIFY2(run.ok, qPrintable(run.output));
    const QString& output = run.output;

    const QRegularExpressionMatch figures =
        QRegularExpression("^soak ingest cases=(\\d+) recovered=(\\d+) failed_as_expected=(\\d+) .* result=ok$",
                           QRegularExpression::MultilineOption)
            .match(output);
    QVERIFY2(figures.hasMatch(), qPrintable(output));
    QCOMPARE(figures.captured(1), QString("2"));
    QCOMPARE(figures.captured(2), QString("1"));
    QCOMPARE(figures.captured(3), QString("1"));
}

QTEST_GUILESS_MAIN(tst_SoakIngest)
#include "tst_SoakIngest.moc"
