// test-label: soak
// test-timeout: 300
// The broadcast drill in its short form (bench/soak/broadcast.sh runs 50 cycles): three rounds of
// choose -> start -> pause -> resume -> stop through the windows, the second to a custom address,
// every stream found by ffprobe, memory and descriptors flat, and libobs holding nothing at exit.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SoakDrill.h"

class tst_SoakBroadcast : public QObject
{
    Q_OBJECT

private slots:
    void threeCyclesLoseNothing();
};

void tst_SoakBroadcast::threeCyclesLoseNothing()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const testsupport::DrillRun run =
        testsupport::runDrill("bash", {SOLVEK_SOURCE_DIR "/bench/soak/broadcast.sh", SOLVEK_BINARY_DIR, out.path(), "3"}, 240000);
    QVERIFY2(run.ok, qPrintable(run.output));
    const QString& output = run.output;

    const QRegularExpressionMatch figures =
        QRegularExpression("^soak broadcast cycles=(\\d+) .* libobs_allocs_at_exit=(\\d+)$",
                           QRegularExpression::MultilineOption)
            .match(output);
    QVERIFY2(figures.hasMatch(), qPrintable(output));
    QCOMPARE(figures.captured(1), QString("3"));
    QCOMPARE(figures.captured(2), QString("0"));
    // Both kinds of address reached the server: the room's key and the custom one.
    QVERIFY(output.contains("/live/sv10086"));
    QVERIFY(output.contains("/live/soak-custom-2"));
}

QTEST_GUILESS_MAIN(tst_SoakBroadcast)
#include "tst_SoakBroadcast.moc"
