// test-label: unit
// Object keys of chat pictures: room, local date, milliseconds and the file name's own suffix.
#include "chat/RoomProtocol.h"
#include "chat/UploadWork.h"

#include <QJsonDocument>
#include <QJsonObject>
#include <QtTest>

class tst_UploadWork : public QObject
{
    Q_OBJECT
private slots:
    void keys_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("ext");
        QTest::newRow("suffix keeps its case") << "/pics/a.JPG" << "JPG";
        QTest::newRow("no dot") << "/pics/cat" << "png";
        QTest::newRow("dotted folder") << "/x/my.photos/cat" << "png";
        QTest::newRow("dot first") << "/x/.hidden" << "png";
        QTest::newRow("trailing dot") << "/x/cat." << "png";
        QTest::newRow("last suffix") << "/x/a.tar.jpeg" << "jpeg";
    }
    void keys()
    {
        QFETCH(QString, path);
        QFETCH(QString, ext);
        const QDateTime now(QDate(2026, 12, 11), QTime(9, 30), Qt::LocalTime);
        QCOMPARE(UploadWork::objectKey(123, path, now),
                 QString("Uploads/Advert/123/20261211/%1.%2").arg(now.toMSecsSinceEpoch()).arg(ext));
    }

    void quotedSuffixStillMakesAValidFrame()
    {
        const QString key = UploadWork::objectKey(123, "/x/a.p\"g", QDateTime::currentDateTime());
        QVERIFY(key.endsWith(".p\"g"));
        const QString address = "http://127.0.0.1/svfs/" + key;
        QJsonParseError err;
        const QJsonDocument doc = QJsonDocument::fromJson(RoomProtocol::sayPictureMessage(address).toUtf8(), &err);
        QCOMPARE(err.error, QJsonParseError::NoError);
        QCOMPARE(doc.object().value("content").toObject().value("content").toObject().value("img_src").toString(),
                 address);
    }
};

QTEST_GUILESS_MAIN(tst_UploadWork)
#include "tst_UploadWork.moc"
