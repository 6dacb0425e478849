// test-label: integration
#include "chat/ItemChatRecord.h"
#include "chat/PictureCache.h"
#include "core/ImageUtils.h"
#include "support/SimulatorProcess.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonObject>
#include <QPainter>
#include <QTemporaryDir>
#include <QtTest>

#include <thread>

class tst_ImageUtils : public QObject
{
    Q_OBJECT
private:
    SimulatorProcess m_sim;

    QString pic(const QString& size, const QString& name) const
    {
        return m_sim.baseUrl() + QStringLiteral("/pic/") + size + QLatin1Char('/') + name;
    }
    int requestCount() const { return m_sim.requests().size(); }
    // The fallback picture comes from the resource bundle and is never null.
    static bool isFallback(const QImage& image)
    {
        return !image.isNull() && image.convertToFormat(QImage::Format_ARGB32) ==
                                      ImageUtils::fallbackImage().convertToFormat(QImage::Format_ARGB32);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(!ImageUtils::fallbackImage().isNull());
        QVERIFY(m_sim.start());
    }
    void init()
    {
        QVERIFY(m_sim.reset());
        ImageUtils::setFetchTimeoutMs(ImageUtils::kDefaultFetchTimeoutMs);
    }

    void fetchesAPicture()
    {
        const QPixmap p = ImageUtils::getPixmapFromUrl(QUrl(pic("30x20", "avatar")));
        QCOMPARE(p.size(), QSize(30, 20));
        QCOMPARE(ImageUtils::loadPixmap(pic("12x8", "emote")).size(), QSize(12, 8));
        QCOMPARE(requestCount(), 2);
        const QJsonObject req = m_sim.requests().at(0).toObject();
        QCOMPARE(req.value("method").toString(), QStringLiteral("GET"));
        QVERIFY(!req.value("headers").toObject().contains("openapitoken"));
    }

    void failuresGiveTheFallback_data()
    {
        QTest::addColumn<QJsonObject>("reply");
        QTest::newRow("not found") << QJsonObject{{"status", 404}, {"body", "no"}};
        QTest::newRow("server error") << QJsonObject{{"status", 500}};
        QTest::newRow("not a picture")
            << QJsonObject{{"body", "<html>hello</html>"}, {"content_type", "text/html"}};
        QTest::newRow("empty body") << QJsonObject{{"content_type", "image/png"}};
    }
    void failuresGiveTheFallback()
    {
        QFETCH(QJsonObject, reply);
        QVERIFY(m_sim.script("/pic/10x10/x", QJsonArray{reply}));
        QVERIFY(isFallback(ImageUtils::getPixmapFromUrl(QUrl(pic("10x10", "x"))).toImage()));
    }

    // A picture whose few hundred kilobytes decode to hundreds of megabytes (and seconds of work
    // on the calling thread) is refused like any other bad picture; a large sane one is not.
    void oversizedPicturesAreRefused()
    {
        const QString bomb = m_sim.baseUrl() + QStringLiteral("/bigpic/8000x6000");
        QVERIFY(isFallback(ImageUtils::loadRemoteImage(bomb)));
        QTemporaryDir dir;
        QImage saved(1, 1, QImage::Format_RGB32);
        ImageUtils::saveImageToLocal(bomb, dir.path(), QStringLiteral("big.png"),
                                     [&saved](const QImage& image) { saved = image; });
        QVERIFY(saved.isNull()); // stored as bytes, not decoded
        QVERIFY(ImageUtils::loadImageFile(dir.filePath(QStringLiteral("big.png"))).isNull());

        QCOMPARE(ImageUtils::loadRemoteImage(m_sim.baseUrl() + QStringLiteral("/bigpic/4000x3000")).size(),
                 QSize(4000, 3000));
    }

    void hangingRequestIsBounded()
    {
        ImageUtils::setFetchTimeoutMs(300);
        QVERIFY(m_sim.script("/pic/10x10/slow", QJsonArray{QJsonObject{{"hang", true}}}));
        QVERIFY(isFallback(ImageUtils::getPixmapFromUrl(QUrl(pic("10x10", "slow"))).toImage()));
        QTemporaryDir dir;
        QVERIFY(m_sim.script("/pic/10x10/slow", QJsonArray{QJsonObject{{"hang", true}}}));
        QImage got;
        ImageUtils::saveImageToLocal(pic("10x10", "slow"), dir.path(), "slow.png",
                                     [&](const QImage& i) { got = i; });
        QVERIFY(isFallback(got));
        QVERIFY(!QFile::exists(dir.filePath("slow.png")));
    }

    void localPathsAndCapitalScheme()
    {
        QTemporaryDir dir;
        QImage red(4, 4, QImage::Format_RGB32);
        red.fill(Qt::red);
        const QString file = dir.filePath("red.png");
        QVERIFY(red.save(file));
        QCOMPARE(ImageUtils::loadPixmap(file).toImage().convertToFormat(QImage::Format_RGB32), red);
        QVERIFY(isFallback(ImageUtils::loadPixmap(dir.filePath("missing.png")).toImage()));
        // "HTTP" is not "http": a path, no request.
        QVERIFY(isFallback(ImageUtils::loadPixmap(pic("10x10", "x").replace("http:", "HTTP:")).toImage()));
        QCOMPARE(requestCount(), 0);
    }

    void untrustedAddresses_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("fetched");
        QTest::newRow("http") << "http://HOST/pic/10x10/a" << true;
        QTest::newRow("scheme in capitals") << "HTTP://HOST/pic/10x10/a" << true;
        QTest::newRow("local file") << "LOCALFILE" << false;
        QTest::newRow("file url") << "file://LOCALFILE" << false;
        QTest::newRow("resource") << ":/images/live/load_failed.png" << false;
        QTest::newRow("qrc url") << "qrc:/images/live/load_failed.png" << false;
        QTest::newRow("data url") << "data:image/png;base64,AAAA" << false;
        QTest::newRow("no host") << "http:///etc/hosts" << false;
        QTest::newRow("empty") << "" << false;
    }
    void untrustedAddresses()
    {
        QFETCH(QString, address);
        QFETCH(bool, fetched);
        QTemporaryDir dir;
        QImage blue(10, 10, QImage::Format_RGB32);
        blue.fill(Qt::blue);
        QVERIFY(blue.save(dir.filePath("blue.png")));
        address.replace("HOST", QUrl(m_sim.baseUrl()).authority())
            .replace("LOCALFILE", dir.filePath("blue.png"));

        const QImage image = ImageUtils::loadRemotePixmap(address).toImage();
        QCOMPARE(requestCount(), fetched ? 1 : 0);
        QCOMPARE(isFallback(image), !fetched);
        QCOMPARE(ImageUtils::isRemoteAddress(address), fetched);
        // The general fetch never reads local files either.
        if (address.startsWith("file:"))
            QVERIFY(isFallback(ImageUtils::getPixmapFromUrl(QUrl(address)).toImage()));
    }

    // Pictures named by the room: never from the host's own machine or network, except from the
    // service's own hosts (here the simulator, on loopback).
    void roomPictureHosts_data()
    {
        QTest::addColumn<QString>("address");
        QTest::addColumn<bool>("fetched");
        QTest::newRow("loopback") << "http://127.0.0.1:1/none.png" << false;
        QTest::newRow("loopback elsewhere in 127/8") << "http://127.8.9.10/a.png" << false;
        QTest::newRow("localhost") << "http://localhost:1/a.png" << false;
        QTest::newRow("10.x") << "http://10.1.2.3/a.png" << false;
        QTest::newRow("172.16.x") << "https://172.20.0.1/a.png" << false;
        QTest::newRow("192.168.x") << "http://192.168.1.1/a.png" << false;
        QTest::newRow("169.254.x") << "http://169.254.169.254/latest" << false;
        QTest::newRow("unspecified") << "http://0.0.0.0:1/a.png" << false;
        QTest::newRow("[::1]") << "http://[::1]:1/a.png" << false;
        QTest::newRow("[fe80::1]") << "http://[fe80::1]/a.png" << false;
        QTest::newRow("[fd00::1]") << "http://[fd00::1]/a.png" << false;
        QTest::newRow("mapped loopback") << "http://[::ffff:127.0.0.1]/a.png" << false;
        QTest::newRow("decimal loopback") << "http://2130706433/a.png" << false;
        QTest::newRow("service host on loopback") << "http://HOST/pic/8x8/a" << true;
        QTest::newRow("other port of the service host") << "http://SERVICEIP:1/a.png" << false;
        QTest::newRow("public address") << "http://93.184.216.34/a.png" << true;
        QTest::newRow("public name") << "https://pictures.example.com/a.png" << true;
    }
    void roomPictureHosts()
    {
        QFETCH(QString, address);
        QFETCH(bool, fetched);
        address.replace("HOST", QUrl(m_sim.baseUrl()).authority()).replace("SERVICEIP", QUrl(m_sim.baseUrl()).host());
        QCOMPARE(ImageUtils::isRoomPictureAddress(address), fetched);
        QCOMPARE(PictureCache::isFetchable(address), fetched);
        QCOMPARE(webPictureUrl(address).isEmpty(), !fetched);
        if (address.contains(QUrl(m_sim.baseUrl()).host())) { // only loopback may be asked here
            PictureCache::instance().picture(address);
            QTRY_VERIFY(!PictureCache::instance().isPending(address));
            QCOMPARE(requestCount(), fetched ? 1 : 0);
        }
    }

    void savesOnceAndCreatesTheFolder()
    {
        QTemporaryDir dir;
        const QString folder = dir.filePath("resource/emotes");
        QVERIFY(!QFileInfo::exists(folder));
        QPixmap got;
        int calls = 0;
        auto callback = [&](const QPixmap& p) {
            got = p;
            ++calls;
        };
        ImageUtils::saveImgToLocal(pic("24x24", "em1"), folder, "_em_1.png", callback);
        QCOMPARE(calls, 1);
        QCOMPARE(got.size(), QSize(24, 24));
        QVERIFY(QFileInfo(folder).isDir());
        QCOMPARE(QImage(folder + "/_em_1.png").size(), QSize(24, 24));
        QCOMPARE(requestCount(), 1);

        // Already there: the file's picture, no request.
        got = QPixmap();
        ImageUtils::saveImgToLocal(pic("24x24", "em1"), folder, "_em_1.png", callback);
        QCOMPARE(calls, 2);
        QCOMPARE(got.size(), QSize(24, 24));
        QCOMPARE(requestCount(), 1);

        // An empty callback is allowed.
        ImageUtils::saveImgToLocal(pic("8x8", "em2"), folder, "_em_2.png", nullptr);
        QVERIFY(QFile::exists(folder + "/_em_2.png"));
    }

    void nonPictureBodyIsSavedAsBytes()
    {
        QTemporaryDir dir;
        const QByteArray body = "this is not a picture";
        QVERIFY(m_sim.script("/pic/10x10/text", QJsonArray{QJsonObject{{"body", QString::fromLatin1(body)},
                                                                       {"content_type", "text/plain"}}}));
        bool called = false;
        QPixmap got(1, 1);
        ImageUtils::saveImgToLocal(pic("10x10", "text"), dir.path(), "t.png", [&](const QPixmap& p) {
            called = true;
            got = p;
        });
        QVERIFY(called);
        QVERIFY(got.isNull());
        QFile saved(dir.filePath("t.png"));
        QVERIFY(saved.open(QIODevice::ReadOnly));
        QCOMPARE(saved.readAll(), body);
    }

    void failedDownloadOrWriteGivesFallback()
    {
        QTemporaryDir dir;
        QVERIFY(m_sim.script("/pic/10x10/gone", QJsonArray{QJsonObject{{"status", 404}}}));
        QImage got;
        ImageUtils::saveImageToLocal(pic("10x10", "gone"), dir.path(), "gone.png",
                                     [&](const QImage& i) { got = i; });
        QVERIFY(isFallback(got));
        QVERIFY(!QFile::exists(dir.filePath("gone.png")));

        // The target is a folder: it cannot be opened for writing.
        QVERIFY(QDir(dir.path()).mkpath("busy.png"));
        got = QImage();
        ImageUtils::saveImageToLocal(pic("10x10", "busy"), dir.path(), "busy.png",
                                     [&](const QImage& i) { got = i; });
        QVERIFY(isFallback(got));
    }

    void savesFromAWorkerThread()
    {
        QTemporaryDir dir;
        QImage got;
        std::thread worker([&] {
            ImageUtils::saveImageToLocal(pic("16x16", "em3"), dir.path(), "_em_3.png",
                                         [&](const QImage& i) { got = i; });
        });
        worker.join();
        QCOMPARE(got.size(), QSize(16, 16));
        QCOMPARE(requestCount(), 1);
    }

    void roundedCorners()
    {
        QVERIFY(ImageUtils::roundedPixmap(QPixmap(), 50).isNull());
        QPixmap square(100, 100);
        square.fill(Qt::red);
        const QImage round = ImageUtils::roundedPixmap(square, 50).toImage();
        QCOMPARE(round.size(), QSize(100, 100));
        for (const QPoint& corner :
             {QPoint(0, 0), QPoint(99, 0), QPoint(0, 99), QPoint(99, 99), QPoint(10, 10)})
            QCOMPARE(qAlpha(round.pixel(corner)), 0);
        QCOMPARE(QColor(round.pixel(50, 50)), QColor(Qt::red));
        QCOMPARE(QColor(round.pixel(50, 1)).red(), 255);
        // A small radius keeps most of the edge.
        const QImage soft = ImageUtils::roundedPixmap(square, 4).toImage();
        QCOMPARE(qAlpha(soft.pixel(0, 0)), 0);
        QCOMPARE(QColor(soft.pixel(10, 0)), QColor(Qt::red));
    }
};

QTEST_MAIN(tst_ImageUtils)
#include "tst_ImageUtils.moc"
