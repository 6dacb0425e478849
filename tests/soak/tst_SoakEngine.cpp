// test-label: soak
// test-timeout: 300
// The broadcast engine drill in its short form (bench/soak/engine.sh runs 2,000 operations with a
// busy thread per core): 200 random operations back to back with two busy threads, two
// checkpoints. No crash, every checked broadcast reaches the server, the events match the
// operations, the window's thread is never held long, and libobs holds nothing at exit.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SoakDrill.h"

class tst_SoakEngine : public QObject
{
    Q_OBJECT

private slots:
    void twoHundredOperationsLoseNothing();
};

void tst_SoakEngine::twoHundredOperationsLoseNothing()
{
    QVERIFY2(qgetenv("QT_QPA_PLATFORM") != "offscreen", "needs an X display");
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const testsupport::DrillRun run = testsupport::runDrill(
        SOLVEK_BINARY_DIR "/bench/soak/soak_engine", {"--ops", "200", "--load", "2", "--checkpoint-every", "100"},
        280000, QProcessEnvironment::systemEnvironment(), out.path());
    QVERIFY2(run.ok, qPrintable(run.output));
    const QRegularExpressionMatch figures =
        QRegularExpression("^soak engine ops=(\\d+) seed=\\d+ starts=(\\d+) .* checkpoints=(\\d+) reached=(\\d+) "
                           "event_mismatches=(\\d+) missing_events=(\\d+) .* libobs_allocs_at_exit=(\\d+)$",
                           QRegularExpression::MultilineOption)
            .match(run.output);
    QVERIFY2(figures.hasMatch(), qPrintable(run.output));
    QCOMPARE(figures.captured(1), QString("200"));
    QVERIFY(figures.captured(2).toInt() > 20);
    QCOMPARE(figures.captured(3), QString("2"));
    QCOMPARE(figures.captured(4), QString("2"));
    for (int zero : {5, 6, 7})
        QCOMPARE(figures.captured(zero), QString("0"));
}

QTEST_GUILESS_MAIN(tst_SoakEngine)
#include "tst_SoakEngine.moc"
