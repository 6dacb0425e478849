// test-label: e2e
// test-timeout: 480
// The demo's scripted tour, as scripts/demo runs it without a display: the program on an X
// server of its own against the simulator (with its audience) and a real RTMP server. Every
// step must hold, leave its screenshot, the canvas steps their frames taken from the stream, and
// the RTMP server must have recorded the broadcast.
#include "support/RtmpServer.h"

#include <QDir>
#include <QImage>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

class tst_DemoTour : public QObject
{
    Q_OBJECT

private slots:
    void tourHoldsEveryStep();
};

void tst_DemoTour::tourHoldsEveryStep()
{
    QTemporaryDir out;
    QVERIFY(out.isValid());
    QProcess tour;
    tour.setProcessChannelMode(QProcess::MergedChannels);
    tour.start("bash", {SOLVEK_SOURCE_DIR "/scripts/lib/run-tour", SOLVEK_BINARY_DIR, out.path()});
    QVERIFY(tour.waitForStarted(10000));
    QVERIFY(tour.waitForFinished(420000));
    const QString output = QString::fromUtf8(tour.readAll());
    qInfo().noquote() << output;
    QCOMPARE(tour.exitStatus(), QProcess::NormalExit);
    QCOMPARE(tour.exitCode(), 0);

    // "N of N steps held", and the pictures the summary names are there.
    const QRegularExpressionMatch held = QRegularExpression("(\\d+) of (\\d+) steps held").match(output);
    QVERIFY2(held.hasMatch(), qPrintable(output));
    QCOMPARE(held.captured(1), held.captured(2));
    QStringList named;
    auto it = QRegularExpression("\\[(\\d\\d-[^\\]]+\\.png)\\]").globalMatch(output);
    while (it.hasNext())
        named << it.next().captured(1);
    QVERIFY(named.size() >= 3);
    QStringList sorted = named;
    sorted.sort();
    QCOMPARE(QDir(out.path()).entryList({"*.png"}, QDir::Files, QDir::Name), sorted);
    for (const QString& name : named) {
        const QImage picture(QDir(out.path()).filePath(name));
        QVERIFY2(picture.width() >= 300 && picture.height() >= 200, qPrintable(name));
    }
    // What viewers saw of the canvas, beside the screenshots: the PDF's two pages, the Word page,
    // the shared desktop and the layout (the tour compared their marks).
    QStringList frames = named.filter("-stream.png");
    for (QString& name : frames)
        name = name.mid(3);
    QCOMPARE(frames, QStringList({"document-page-1-stream.png", "document-page-2-stream.png",
                                  "document-word-stream.png", "desktop-share-stream.png", "layout-stream.png"}));
    // Read here too: page 2's blue square fills the middle of its frame.
    const QImage page2(QDir(out.path()).filePath(named.filter("document-page-2-stream.png").value(0)));
    QVERIFY(!page2.isNull());
    const QColor middle = page2.pixelColor(page2.width() / 2, page2.height() / 2);
    QVERIFY2(middle.blue() > 150 && middle.red() < 100 && middle.green() < 120, qPrintable(middle.name()));

    // The RTMP server recorded the room's stream, with video and sound.
    const QFileInfoList recordings =
        QDir(out.filePath("services/rtmp/rec")).entryInfoList({"sv10086*.flv"}, QDir::Files, QDir::Size);
    QVERIFY(!recordings.isEmpty());
    QStringList codecs;
    for (const QJsonValue& stream : RtmpServer::probe(recordings.first().absoluteFilePath()))
        codecs << stream.toObject().value("codec_name").toString();
    codecs.sort();
    QCOMPARE(codecs, QStringList({"aac", "h264"}));
}

QTEST_GUILESS_MAIN(tst_DemoTour)
#include "tst_DemoTour.moc"
