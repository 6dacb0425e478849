// test-label: soak
// test-timeout: 120
// The room-channel drill in its short form (bench/soak/room_channel.sh drops the socket 100 times
// with the program's own intervals): nine drops with short intervals, each kind of drop met by the
// host's message at each moment (settled, on the wire, while down), nothing lost or doubled,
// every own message settled or failed, one login per connection.
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include "support/SoakDrill.h"

class tst_SoakRoomChannel : public QObject
{
    Q_OBJECT

private slots:
    void nineDropsLoseNothing();
};

void tst_SoakRoomChannel::nineDropsLoseNothing()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    const testsupport::DrillRun run =
        testsupport::runDrill(SOLVEK_BINARY_DIR "/bench/soak/soak_room_channel",
                {"--cycles", "9", "--reconnect-ms", "200", "--handshake-ms", "1000", "--echo-ms", "2000", "--chat-ms", "500", "--log",
                 out.filePath("solvek.log")}, 100000, QProcessEnvironment::systemEnvironment(), out.path());
    QVERIFY2(run.ok, qPrintable(run.output));
    const QString& output = run.output;

    const QRegularExpressionMatch figures =
        QRegularExpression("^soak room_channel cycles=(\\d+) sent=(\\d+) delivered=(\\d+) duplicated=(\\d+) "
                           "lost=(\\d+) own_pending=(\\d+) own_resent=(\\d+) .* own_settled=(\\d+) own_failed=(\\d+) "
                           "bad_logins=(\\d+) ",
                           QRegularExpression::MultilineOption)
            .match(output);
    QVERIFY2(figures.hasMatch(), qPrintable(output));
    QCOMPARE(figures.captured(1), QString("9"));
    QVERIFY(figures.captured(3).toInt() > 0);
    for (int lostOrDoubled : {4, 5, 6, 7, 10})
        QCOMPARE(figures.captured(lostOrDoubled), QString("0"));
    // Sent after the echo: settled; caught on the wire: failed. Sent while down: failed, or settled
    // when the short interval had the channel back before the pre-check answered.
    QVERIFY(figures.captured(8).toInt() >= 3);
    QVERIFY(figures.captured(9).toInt() >= 3);
    QCOMPARE(figures.captured(8).toInt() + figures.captured(9).toInt(), 9);
    for (const char* kind : {"close", "abort", "stall"})
        for (const char* moment : {"settled", "on-the-wire", "while-down"})
            QVERIFY2(output.contains(QStringLiteral("%1 drop, host message %2,").arg(kind, moment)), kind);
}

QTEST_GUILESS_MAIN(tst_SoakRoomChannel)
#include "tst_SoakRoomChannel.moc"
