// test-label: soak
// test-timeout: 300
// The long-room drill in its short form (bench/soak/long-room.sh runs two hours): one minute live in
// the busy room, memory sampled every 5 s, and every message the audience said found in the chat
// list, none twice, with the broadcast still reaching the RTMP server at the end.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SoakDrill.h"

class tst_SoakLongRoom : public QObject
{
    Q_OBJECT

private slots:
    void oneMinuteLosesNothing();
};

void tst_SoakLongRoom::oneMinuteLosesNothing()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const testsupport::DrillRun run =
        testsupport::runDrill("bash", {SOLVEK_SOURCE_DIR "/bench/soak/long-room.sh", SOLVEK_BINARY_DIR, out.path(), "1", "5", "0.2"}, 240000);
    QVERIFY2(run.ok, qPrintable(run.output));
    const QString& output = run.output;

    const QRegularExpressionMatch figures =
        QRegularExpression("^soak long_room minutes=([\\d.]+) sent=(\\d+) delivered=(\\d+) lost=(\\d+) "
                           "rss_kb_10min=(\\d+) rss_kb_end=(\\d+) slope_kb_per_min=-?[\\d.]+ fds_start=(\\d+) "
                           "fds_end=(\\d+) longest_gui_stall_ms=\\d+ duplicated=(\\d+)$",
                           QRegularExpression::MultilineOption)
            .match(output);
    QVERIFY2(figures.hasMatch(), qPrintable(output));
    QVERIFY(figures.captured(1).toDouble() >= 1.0);
    // A message every half second for a minute (the audience starts once the host is in the room).
    QVERIFY2(figures.captured(2).toInt() >= 100, qPrintable(figures.captured(0)));
    QCOMPARE(figures.captured(3), figures.captured(2));
    QCOMPARE(figures.captured(4), QString("0"));
    QCOMPARE(figures.captured(9), QString("0"));
    // Sampled every 5 s: a line for each sample.
    QVERIFY(output.count(QRegularExpression("^    minute [\\d.]+: rss \\d+ KiB", QRegularExpression::MultilineOption)) >= 12);
}

QTEST_GUILESS_MAIN(tst_SoakLongRoom)
#include "tst_SoakLongRoom.moc"
