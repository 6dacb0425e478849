// test-label: soak
// test-timeout: 240
// The service-failure drill in its short form (scripts/soak runs it at full length): every
// open-API request of the main road answers 500 and garbage, and two paths also answer late and
// never, with the request time-out shortened to 2 s. Every path ends within the time-out, none
// takes the failure for a success or writes the settings, and each action then works.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SoakDrill.h"

class tst_SoakService : public QObject
{
    Q_OBJECT

private slots:
    void everyFailureEndsAndNothingIsWritten();
};

void tst_SoakService::everyFailureEndsAndNothingIsWritten()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const testsupport::DrillRun run =
        testsupport::runDrill(SOLVEK_BINARY_DIR "/bench/soak/soak_service_failure",
                {"--out", out.path(), "--timeout-ms", "2000", "--modes", "500,garbage,late,never", "--slow-paths",
                 "chat send,room choice"}, 200000);
    QVERIFY2(run.ok, qPrintable(run.output));
    const QString& output = run.output;

    const QRegularExpressionMatch figures =
        QRegularExpression("^soak service cases=(\\d+) passed=(\\d+) longest_wait_ms=(\\d+) .*"
                           "settings_written_on_failure=(\\d+)",
                           QRegularExpression::MultilineOption)
            .match(output);
    QVERIFY2(figures.hasMatch(), qPrintable(output));
    // 16 paths in two modes, two of them in two more
    QCOMPARE(figures.captured(1).toInt(), 16 * 2 + 2 * 2);
    QCOMPARE(figures.captured(2), figures.captured(1));
    QCOMPARE(figures.captured(4), QString("0"));
    QVERIFY(output.contains("case chat send/never"));
    QVERIFY(output.contains("start and stop after the cases: worked"));
}

QTEST_GUILESS_MAIN(tst_SoakService)
#include "tst_SoakService.moc"
