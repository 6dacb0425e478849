// test-label: unit
// The document list's rules without widgets: upload limits, pages, the name search, size texts.
#include "documents/DocumentListRules.h"

#include <QtTest>

using doclist::UploadVerdict;
Q_DECLARE_METATYPE(UploadVerdict)

class tst_DocumentListRules : public QObject
{
    Q_OBJECT

private slots:
    void uploadChecks_data()
    {
        QTest::addColumn<bool>("exists");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("suffix");
        QTest::addColumn<int>("files");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<UploadVerdict>("verdict");
        QTest::newRow("picture at the limit")
            << true << 52429824LL << "png" << 0 << false << UploadVerdict::PictureTooLarge;
        QTest::newRow("picture a byte below")
            << true << 52429823LL << "JPG" << 0 << false << UploadVerdict::Accept;
        QTest::newRow("document at the limit")
            << true << 104858624LL << "pdf" << 0 << false << UploadVerdict::DocumentTooLarge;
        QTest::newRow("document a byte below")
            << true << 104858623LL << "docx" << 0 << false << UploadVerdict::Accept;
        QTest::newRow("large picture named .pdf")
            << true << 60000000LL << "pdf" << 0 << false << UploadVerdict::Accept;
        QTest::newRow("empty") << true << 0LL << "pdf" << 50 << true << UploadVerdict::Empty;
        QTest::newRow("missing file is not empty")
            << false << 0LL << "pdf" << 0 << false << UploadVerdict::Accept;
        QTest::newRow("too large before too many")
            << true << 104858624LL << "ppt" << 50 << true << UploadVerdict::DocumentTooLarge;
        QTest::newRow("the 51st") << true << 10LL << "pdf" << 50 << true << UploadVerdict::TooMany;
        QTest::newRow("the 50th") << true << 10LL << "pdf" << 49 << false << UploadVerdict::Accept;
        QTest::newRow("name taken") << true << 10LL << "pdf" << 49 << true << UploadVerdict::NameTaken;
    }
    void uploadChecks()
    {
        QFETCH(bool, exists);
        QFETCH(qint64, size);
        QFETCH(QString, suffix);
        QFETCH(int, files);
        QFETCH(bool, taken);
        QTEST(doclist::checkUpload(exists, size, suffix, files, taken), "verdict");
    }

    void tileKinds_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<int>("kind");
        QTest::newRow("pdf") << "a.pdf" << 1;
        QTest::newRow("upper-case PPTX") << "a.PPTX" << 1;
        QTest::newRow("jpg") << "a.jpg" << 2;
        QTest::newRow("PNG") << "a.b.PNG" << 2;
        QTest::newRow("png in the name only") << "png.doc" << 1;
        QTest::newRow("other") << "a.txt" << 1;
        QTest::newRow("no suffix") << "jpg" << 1;
    }
    void tileKinds()
    {
        QFETCH(QString, name);
        QTEST(doclist::tileKind(name), "kind");
    }

    void pages()
    {
        QCOMPARE(doclist::pageCount(0), 1);
        QCOMPARE(doclist::pageCount(8), 1);
        QCOMPARE(doclist::pageCount(9), 2);
        QCOMPARE(doclist::pageCount(50), 7);
        // Nine tiles: the eight newest, then the oldest alone.
        QCOMPARE(doclist::pageIndices(9, 1), (QList<int>{8, 7, 6, 5, 4, 3, 2, 1}));
        QCOMPARE(doclist::pageIndices(9, 2), QList<int>{0});
        QCOMPARE(doclist::pageIndices(9, 3), QList<int>());
        QCOMPARE(doclist::pageIndices(3, 1), (QList<int>{2, 1, 0}));
        const QList<QSize> areas{QSize(182, 138), QSize(374, 138), QSize(566, 138),
                                 QSize(760, 138), QSize(760, 286), QSize(760, 286)};
        for (int m = 1; m <= 6; ++m)
            QCOMPARE(doclist::tileAreaSize(m), areas[m - 1]);
    }

    void nameSearch_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("matches");
        QTest::newRow("any case") << "xABy.pdf"
                                  << "ab" << true;
        QTest::newRow("only before the first dot") << "x.ab.pdf"
                                                   << "ab" << false;
        QTest::newRow("nothing before the first dot") << ".x.pdf"
                                                      << "x" << false;
        QTest::newRow("chinese") << "季度计划.pptx"
                                 << "计划" << true;
        QTest::newRow("no dot") << "README"
                                << "read" << true;
    }
    void nameSearch()
    {
        QFETCH(QString, name);
        QFETCH(QString, text);
        QTEST(doclist::nameMatches(name, text), "matches");
    }

    void sizeTexts_data()
    {
        QTest::addColumn<qint64>("bytes");
        QTest::addColumn<QString>("text");
        QTest::newRow("bytes") << 1023LL << "1023b";
        QTest::newRow("rounded KB") << 1536LL << "2KB";
        QTest::newRow("MB") << 52428800LL << "50MB";
        QTest::newRow("GB") << 3LL * 1073741824 << "3GB";
        QTest::newRow("TB") << 1099511627776LL << "1TB";
    }
    void sizeTexts()
    {
        QFETCH(qint64, bytes);
        QTEST(formatFileSize(bytes), "text");
    }
};

QTEST_MAIN(tst_DocumentListRules)
#include "tst_DocumentListRules.moc"
