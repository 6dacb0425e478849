// test-label: unit
#include "documents/DocumentCacheEntry.h"

#include <QtTest>

class tst_DocumentCacheEntry : public QObject
{
    Q_OBJECT
private slots:
    void keyFromSourcePath_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("key");
        QTest::newRow("blank kept") << "/talks/Q3 plan.pptx" << qint64(20480)
                                    << "svpczsjz_Q3 plan_.pptx_20480";
        QTest::newRow("case kept") << "/a/Report.DOCX" << qint64(7) << "svpczsjz_Report_.DOCX_7";
        QTest::newRow("last dot") << "/a/v1.2.final.pdf" << qint64(1) << "svpczsjz_v1.2.final_.pdf_1";
        // A dot in a folder name is no extension, so no "/" ever reaches the key.
        QTest::newRow("dotted folder") << "/home/me/my.docs/notes" << qint64(3) << "svpczsjz_notes__3";
        QTest::newRow("over 2 GB") << "/v/big.pdf" << qint64(5000000000) << "svpczsjz_big_.pdf_5000000000";
    }
    void keyFromSourcePath()
    {
        QFETCH(QString, path);
        QFETCH(qint64, size);
        QFETCH(QString, key);
        QString base, ext;
        DocumentCacheEntry::splitSourcePath(path, &base, &ext);
        QCOMPARE(DocumentCacheEntry::makeKey(base, ext, size), key);
    }

    void readsKeysBack_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("fileName");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<bool>("picture");
        QTest::newRow("pptx") << "svpczsjz_Q3 plan_.pptx_20480" << true << "Q3 plan.pptx" << qint64(20480)
                              << false;
        QTest::newRow("underscores in name")
            << "svpczsjz_a_b_.pdf_12" << true << "a_b.pdf" << qint64(12) << false;
        QTest::newRow("picture JPG") << "svpczsjz_photo_.JPG_9" << true << "photo.JPG" << qint64(9) << true;
        QTest::newRow("png") << "svpczsjz_p_.png_9" << true << "p.png" << qint64(9) << true;
        QTest::newRow("png but pdf") << "svpczsjz_p_.png.pdf_9" << true << "p.png.pdf" << qint64(9) << false;
        QTest::newRow("empty base") << "svpczsjz__.pdf_5" << true << ".pdf" << qint64(5) << false;
        QTest::newRow("three parts") << "svpczsjz_.pdf_12" << false << "" << qint64(0) << false;
        QTest::newRow("empty (unfinished tile)") << "" << false << "" << qint64(0) << false;
        QTest::newRow("path separator") << "svpczsjz_../../etc_.pdf_1" << false << "" << qint64(0) << false;
    }
    void readsKeysBack()
    {
        QFETCH(QString, key);
        QFETCH(bool, valid);
        const auto entry = DocumentCacheEntry::fromKey(key, QStringLiteral("/u/42"));
        QCOMPARE(entry.has_value(), valid);
        if (!valid)
            return;
        QTEST(entry->fileName(), "fileName");
        QTEST(entry->size, "size");
        QTEST(entry->isPicture(), "picture");
        QCOMPARE(entry->key, key);
        QCOMPARE(entry->pageDir, "/u/42/" + key);
        QCOMPARE(DocumentCacheEntry::pagePath(entry->pageDir, 12), "/u/42/" + key + "/pic12.png");
    }

    void keyRoundTrip()
    {
        QString base, ext;
        DocumentCacheEntry::splitSourcePath(QStringLiteral("/x/a_b.pdf"), &base, &ext);
        const auto entry =
            DocumentCacheEntry::fromKey(DocumentCacheEntry::makeKey(base, ext, 77), QStringLiteral("/u"));
        QVERIFY(entry);
        QCOMPARE(entry->baseName, QStringLiteral("a_b"));
        QCOMPARE(entry->extension, QStringLiteral(".pdf"));
        QCOMPARE(entry->size, qint64(77));
    }
};

QTEST_GUILESS_MAIN(tst_DocumentCacheEntry)
#include "tst_DocumentCacheEntry.moc"
