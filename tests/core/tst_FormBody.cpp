// test-label: unit
#include "core/FormBody.h"

#include <QtTest>

using solvek::FormBody;

class tst_FormBody : public QObject
{
    Q_OBJECT
private slots:
    void encoding_data()
    {
        QTest::addColumn<QString>("value");
        QTest::addColumn<QByteArray>("encoded");
        QTest::newRow("plain alphanumerics unchanged") << "Abc123" << QByteArray("Abc123");
        QTest::newRow("unreserved marks unchanged") << "a-b_c.d~e" << QByteArray("a-b_c.d~e");
        QTest::newRow("separators and escapes") << "a&b=c+d%" << QByteArray("a%26b%3Dc%2Bd%25");
        QTest::newRow("blank and line break") << "a b\nc" << QByteArray("a%20b%0Ac");
        QTest::newRow("utf-8") << QString::fromUtf8("张") << QByteArray("%E5%BC%A0");
        QTest::newRow("json text") << "{\"k\":[1]}" << QByteArray("%7B%22k%22%3A%5B1%5D%7D");
        QTest::newRow("empty") << "" << QByteArray("");
    }
    void encoding()
    {
        QFETCH(QString, value);
        QFETCH(QByteArray, encoded);
        const QByteArray body = FormBody{{"k", value}}.toByteArray();
        QCOMPARE(body, "k=" + encoded);
    }

    void joinsFieldsInOrder()
    {
        // What the service received before values were encoded, for values that need no encoding.
        FormBody body{{"room_id", "12"}, {"page", "1"}};
        body.add("size", 20).add("uid", qint64(4294967296)).add("keyword", "");
        QCOMPARE(body.toByteArray(), QByteArray("room_id=12&page=1&size=20&uid=4294967296&keyword="));
        QCOMPARE(body.toString(), QStringLiteral("room_id=12&page=1&size=20&uid=4294967296&keyword="));
        QVERIFY(FormBody().isEmpty());
        QCOMPARE(FormBody().toByteArray(), QByteArray());
    }
};

QTEST_GUILESS_MAIN(tst_FormBody)
#include "tst_FormBody.moc"
