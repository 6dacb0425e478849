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
        // A key is read back from its last three parts and names a folder of its own.
        QTest::newRow("backslash") << "/a/slides\\page1.png" << qint64(4) << "svpczsjz_slides_page1_.png_4";
        QTest::newRow("underscore in extension") << "/a/b.png_old" << qint64(4) << "svpczsjz_b_.png-old_4";
        QTest::newRow("long extension")
            << "/a/b." + QString(40, 'x') << qint64(4) << "svpczsjz_b_." + QString(31, 'x') + "_4";
        QTest::newRow("long name") << "/a/" + QString(300, 'n') + ".pdf" << qint64(12345)
                                   << "svpczsjz_" + QString(200 - 8 - 3 - 4 - 5, 'n') + "_.pdf_12345";
        // Cut between characters, never inside one (three bytes each here).
        QTest::newRow("long wide name") << "/a/" + QString(100, QChar(0x9875)) + ".png" << qint64(1)
                                        << "svpczsjz_" + QString(61, QChar(0x9875)) + "_.png_1";
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

    void keyRoundTrip_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("baseName");
        QTest::addColumn<QString>("extension");
        QTest::newRow("underscore in name") << "/x/a_b.pdf"
                                            << "a_b"
                                            << ".pdf";
        QTest::newRow("backslash") << "/x/a\\b.png"
                                   << "a_b"
                                   << ".png";
        QTest::newRow("leading dot") << "/x/.a.png"
                                     << ".a"
                                     << ".png";
        QTest::newRow("only dots") << "/x/..."
                                   << ".."
                                   << ".";
        QTest::newRow("newline") << "/x/a\nb.pdf"
                                 << "a\nb"
                                 << ".pdf";
        QTest::newRow("no extension") << "/x/plain"
                                      << "plain"
                                      << "";
        QTest::newRow("underscore in extension") << "/x/a.b_c"
                                                 << "a"
                                                 << ".b-c";
        QTest::newRow("backslash in extension") << "/x/a.png_\\ld"
                                                << "a"
                                                << ".png--ld";
    }
    void keyRoundTrip()
    {
        QFETCH(QString, path);
        QString base, ext;
        DocumentCacheEntry::splitSourcePath(path, &base, &ext);
        const QString key = DocumentCacheEntry::makeKey(base, ext, 77);
        const auto entry = DocumentCacheEntry::fromKey(key, QStringLiteral("/u"));
        QVERIFY(entry);
        QTEST(entry->baseName, "baseName");
        QTEST(entry->extension, "extension");
        QCOMPARE(entry->size, qint64(77));
        QCOMPARE(DocumentCacheEntry::ownFolderOf(key, QStringLiteral("/u")), "/u/" + key);
    }

    void ownFolderOfAKey_data()
    {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("folder");
        QTest::newRow("refused, inside") << "svpczsjz_a\\b_.png_5"
                                         << "/u/svpczsjz_a\\b_.png_5";
        QTest::newRow("too few parts") << "svpczsjz_x"
                                       << "/u/svpczsjz_x";
        QTest::newRow("not a page folder") << "notes"
                                           << "";
        QTest::newRow("the per-user folder") << "svpczsjz_x/.."
                                             << "";
        QTest::newRow("outside") << "../svpczsjz_x_.pdf_1"
                                 << "";
        QTest::newRow("deeper") << "svpczsjz_x/svpczsjz_y_.pdf_1"
                                << "";
        QTest::newRow("empty") << ""
                               << "";
    }
    void ownFolderOfAKey()
    {
        QFETCH(QString, key);
        QTEST(DocumentCacheEntry::ownFolderOf(key, QStringLiteral("/u")), "folder");
    }
};

QTEST_GUILESS_MAIN(tst_DocumentCacheEntry)
#include "tst_DocumentCacheEntry.moc"
