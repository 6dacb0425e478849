// test-label: unit
// The document list offscreen: upload checks, tiles and their overlay, paging, filters and search,
// save and restore, deletes and retries. Uploads run the real conversion worker on generated PDFs
// and pictures; an Office file that must stay converting goes to a fake soffice that never ends.
#include "documents/DocumentShareWidget.h"

#include "core/DataCenter.h"
#include "core/UntrustedText.h"
#include "documents/DocumentCacheEntry.h"
#include "documents/DocumentCreateWidget.h"
#include "documents/DocumentDialogs.h"
#include "documents/FileAnalysisFaildWidget.h"
#include "documents/analysisPdfThread.h"
#include "support/DocumentFixtures.h"
#include "widgets/LogoutDialog.h"
#include "widgets/PopTipDlg.h"

#include <QApplication>
#include <QDir>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSet>
#include <QSettings>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace
{

constexpr int kConversionMs = 60000;

QStringList namesOf(const QList<DocumentCreateWidget*>& tiles)
{
    QStringList names;
    for (const DocumentCreateWidget* tile : tiles)
        names << tile->fileName();
    return names;
}

QLabel* overlayButton(DocumentCreateWidget* tile, const char* name)
{
    return tile->findChild<QLabel*>(QLatin1String(name));
}

// The overlay's button texts, left to right.
QStringList overlayTexts(DocumentCreateWidget* tile)
{
    QStringList texts;
    QLayout* row = tile->findChild<QFrame*>("overlayFrame")->layout();
    for (int i = 0; i < row->count(); ++i)
        if (auto* label = qobject_cast<QLabel*>(row->itemAt(i)->widget()))
            texts << label->text();
    return texts;
}

int overlayWidth(DocumentCreateWidget* tile)
{
    return tile->findChild<TransparentLabel*>("overlay")->width();
}

int failurePopups()
{
    int count = 0;
    for (QWidget* w : QApplication::topLevelWidgets())
        count += qobject_cast<FileAnalysisFaildWidget*>(w) && w->isVisible();
    return count;
}

} // namespace

class tst_DocumentShareWidget : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;
    QString m_root; // this test's store: config.ini and the per-user folder "user"
    QString m_user;
    QString m_pdf;       // a one-page PDF
    QString m_next;      // what the file dialog returns
    QStringList m_boxes; // "title|text" of every message box run
    int m_answer = QDialog::Accepted;
    QByteArray m_path;
    std::unique_ptr<DocumentShareWidget> m_list;

    QString in(const QString& name) const { return m_root + QStringLiteral("/in/") + name; }
    QString sparse(const QString& name, qint64 size)
    {
        QFile f(in(name));
        if (!f.open(QIODevice::WriteOnly) || !f.resize(size))
            return QString();
        return f.fileName();
    }
    QString pdfNamed(const QString& name)
    {
        QFile::remove(in(name));
        return QFile::copy(m_pdf, in(name)) ? in(name) : QString();
    }
    QString pictureNamed(const QString& name, const QSize& size = QSize(64, 36))
    {
        QImage image(size, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        return image.save(in(name), "PNG") ? in(name) : QString();
    }
    // A converted document as an earlier session left it in the cache; returns its key.
    QString cached(const QString& name, const QSize& page = QSize(16, 9))
    {
        QString base, extension;
        DocumentCacheEntry::splitSourcePath(name, &base, &extension);
        const QString key = DocumentCacheEntry::makeKey(base, extension, 1000 + name.size());
        return testsupport::writeCachedDocument(m_user, key, page) ? key : QString();
    }
    void saveKeys(const QStringList& keys)
    {
        auto store = CDataCenter::getInstance();
        for (int i = 0; i < keys.size(); ++i)
            store->setDocInfoValue(QString::number(i), keys[i]);
        store->setDocInfoValue("count", QString::number(keys.size()));
    }
    DocumentShareWidget& freshList()
    {
        m_list.reset(); // first: its tiles leave the store's list
        m_list = std::make_unique<DocumentShareWidget>();
        m_list->loadSavedDocuments();
        m_list->showFirstPage();
        m_list->show();
        return *m_list;
    }
    void upload(const QString& path)
    {
        m_next = path;
        QTest::mouseClick(m_list->findChild<QPushButton*>("loadFile_btn"), Qt::LeftButton);
    }
    QString countText() const { return m_list->findChild<QLabel*>("PageNumLable")->text(); }
    // The tiles of the shown page in grid order.
    QList<DocumentCreateWidget*> shown() const
    {
        auto* grid = static_cast<QGridLayout*>(m_list->findChild<QFrame*>("frame")->layout());
        QList<DocumentCreateWidget*> tiles;
        for (int k = 0; k < 8; ++k)
            if (QLayoutItem* item = grid->itemAtPosition(k / 4, k % 4))
                tiles << qobject_cast<DocumentCreateWidget*>(item->widget());
        return tiles;
    }
    QSize area() const { return m_list->findChild<QFrame*>("frame")->size(); }
    DocumentCreateWidget* tileNamed(const QString& name) const
    {
        for (DocumentCreateWidget* tile : m_list->tiles())
            if (tile->fileName() == name)
                return tile;
        return nullptr;
    }
    void pressPageButton(const QString& text)
    {
        for (QPushButton* button : m_list->findChild<QWidget*>("pageBar")->findChildren<QPushButton*>())
            if (button->text() == text && button->isVisible())
                return QTest::mouseClick(button, Qt::LeftButton);
        QFAIL(qPrintable("no page button " + text));
    }
    void press(DocumentCreateWidget* tile, const char* button)
    {
        QLabel* label = overlayButton(tile, button);
        QVERIFY2(label, button);
        QTest::mousePress(label, Qt::LeftButton);
    }
    void useFakeSoffice(const char* mode)
    {
        qputenv("PATH", (m_dir.filePath("bin") + ':').toUtf8() + m_path);
        qputenv("SOLVEK_FAKE_MODE", mode);
        qputenv("SOLVEK_FAKE_LOG", m_dir.filePath("fake-log").toUtf8());
        qputenv("SOLVEK_FAKE_PDF", m_pdf.toUtf8());
        QDir().mkpath(m_dir.filePath("fake-log"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        m_pdf = m_dir.filePath("one.pdf");
        QVERIFY(testsupport::writePdf(m_pdf, {{QSizeF(842, 595)}}));
        QVERIFY(testsupport::writeFakeSoffice(m_dir.filePath("bin")));
        m_path = qgetenv("PATH");
        DocumentDialogs::chooseFile = [this](QWidget*, const QString& caption, const QString& filter) {
            if (caption != QStringLiteral("选择文件") || filter != DocumentShareWidget::fileFilter())
                return QString();
            return m_next;
        };
        DocumentDialogs::runModal = [this](QDialog& dialog) {
            auto* box = qobject_cast<LogoutDialog*>(&dialog);
            if (!box || box->windowModality() != Qt::ApplicationModal)
                return int(QDialog::Rejected);
            m_boxes << box->findChild<QLabel*>("label")->text() + '|' +
                           box->findChild<QLabel*>("label_2")->text();
            return m_answer;
        };
    }
    void init()
    {
        m_root =
            m_dir.filePath(QTest::currentTestFunction() + QString(QTest::currentDataTag()).replace(' ', '_'));
        QVERIFY(QDir().mkpath(m_root + "/in"));
        testsupport::installDocumentStore(m_root);
        m_user = CDataCenter::getInstance()->userDocDir;
        m_boxes.clear();
        m_answer = QDialog::Accepted;
    }
    void cleanup()
    {
        m_list.reset();
        for (QWidget* w : QApplication::topLevelWidgets())
            if (qobject_cast<FileAnalysisFaildWidget*>(w))
                w->close();
        qputenv("PATH", m_path);
    }

    void uploadChecks_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<qint64>("size");
        QTest::addColumn<QString>("box");  // "title|text" of the message box
        QTest::addColumn<QString>("hint"); // the hint popup's text
        QTest::newRow("picture at the limit") << "big.png" << 52429824LL << ""
                                              << "请上传50M以内的图片";
        QTest::newRow("picture a byte below") << "big.png" << 52429823LL << ""
                                              << "";
        QTest::newRow("document at the limit") << "big.pdf" << 104858624LL << ""
                                               << "请上传100M以内的文档";
        QTest::newRow("empty") << "empty.pdf" << 0LL << "内容为空|内容为空，请检查后重试"
                               << "";
    }
    void uploadChecks()
    {
        QFETCH(QString, name);
        QFETCH(qint64, size);
        QFETCH(QString, box);
        QFETCH(QString, hint);
        DocumentShareWidget& list = freshList();
        list.move(100, 50);
        upload(sparse(name, size));
        QCOMPARE(m_boxes, box.isEmpty() ? QStringList() : QStringList{box});
        QCOMPARE(list.hint()->isVisible(), !hint.isEmpty());
        const bool accepted = box.isEmpty() && hint.isEmpty();
        QCOMPARE(list.tiles().size(), accepted ? 1 : 0);
        QCOMPARE(countText(), accepted ? QString("1/50") : QString("0/50"));
        if (!hint.isEmpty()) {
            QCOMPARE(list.hint()->textLabel()->text(), hint);
            QCOMPARE(list.hint()->pos(), QPoint(100 + (800 - 266) / 2, 50 + 12));
        }
        if (accepted) {
            DocumentCreateWidget* tile = list.tiles().first();
            QCOMPARE(tile->fileName(), name);
            QCOMPARE(tile->kind(), 2);
            QCOMPARE(tile->findChild<QLabel*>("sizeLabel")->text(), QString("50MB"));
            // Sparse zeros are no picture: the conversion fails.
            QTRY_COMPARE_WITH_TIMEOUT(tile->state(), 1, kConversionMs);
        }
    }

    void fiftyFilesAndNames()
    {
        QStringList keys;
        for (int i = 0; i < 49; ++i)
            keys << cached(QString("doc%1.pdf").arg(i));
        keys << cached("report.pdf");
        saveKeys(keys);
        DocumentShareWidget& list = freshList();
        QCOMPARE(countText(), QString("50/50"));

        upload(pictureNamed("more.png"));
        QCOMPARE(m_boxes, QStringList{"数量过大|上传总数超过50,请删除不使用的文件后重试"});
        QCOMPARE(list.tiles().size(), 50);

        press(list.tiles().first(), "lblDel");
        QCOMPARE(m_boxes.last(), QString("删除文件|您确定要删除 doc0.pdf 吗？"));
        QCOMPARE(countText(), QString("49/50"));

        m_boxes.clear();
        upload(pdfNamed("report.pdf"));
        QCOMPARE(m_boxes, QStringList{"已存在|存在同名文件，请修改文件名称后重试"});
        upload(pdfNamed("Report.pdf"));
        QCOMPARE(m_boxes.size(), 1);
        QCOMPARE(countText(), QString("50/50"));
        DocumentCreateWidget* upper = tileNamed("Report.pdf");
        QVERIFY(upper);
        QTRY_COMPARE_WITH_TIMEOUT(upper->state(), 2, kConversionMs);
        QCOMPARE(upper->getSaveFilePath(), QString("svpczsjz_Report_.pdf_%1").arg(QFileInfo(m_pdf).size()));
    }

    void paging()
    {
        QStringList keys;
        for (int i = 1; i <= 9; ++i)
            keys << cached(QString("d%1.pdf").arg(i));
        saveKeys(keys);
        DocumentShareWidget& list = freshList();
        QCOMPARE(namesOf(shown()), (QStringList{"d9.pdf", "d8.pdf", "d7.pdf", "d6.pdf", "d5.pdf", "d4.pdf",
                                                "d3.pdf", "d2.pdf"}));
        QCOMPARE(area(), QSize(760, 286));
        QStringList buttons;
        for (QPushButton* b : list.findChild<QWidget*>("pageBar")->findChildren<QPushButton*>())
            buttons << b->text();
        QCOMPARE(buttons, (QStringList{"<", "1", ">", "2"})); // creation order; "2" sits before ">"
        QCOMPARE(list.lastPage(), QString("2"));

        pressPageButton(">");
        QCOMPARE(namesOf(shown()), QStringList{"d1.pdf"});
        QCOMPARE(area(), QSize(182, 138));
        QCOMPARE(list.currentPage(), QString("2"));
        pressPageButton(">"); // the last page: nothing
        QCOMPARE(list.currentPage(), QString("2"));
        pressPageButton("<");
        QCOMPARE(shown().size(), 8);
        pressPageButton("<"); // the first page: nothing
        QCOMPARE(list.currentPage(), QString("1"));
        pressPageButton("2");
        QCOMPARE(namesOf(shown()), QStringList{"d1.pdf"});

        // A delete lays out page 1 again, and paging follows the count.
        press(tileNamed("d9.pdf"), "lblDel");
        QCOMPARE(shown().size(), 8);
        QCOMPARE(list.lastPage(), QString("1"));
    }

    void filtersAndSearch()
    {
        saveKeys({cached(".x.pdf"), cached("xABy.pdf"), cached("x.ab.pdf"), cached("photo.png"),
                  cached("xab2.docx")});
        DocumentShareWidget& list = freshList();
        QTest::mousePress(list.findChild<QLabel*>("docLabel"), Qt::LeftButton);
        QCOMPARE(list.filter(), 1);
        QVERIFY(list.findChild<QFrame*>("line_2")->isVisible());
        QVERIFY(!list.findChild<QFrame*>("line")->isVisible());
        const QStringList documents{"xab2.docx", "x.ab.pdf", "xABy.pdf", ".x.pdf"};
        QCOMPARE(namesOf(shown()), documents);

        // A picture upload leaves the documents' page; a document upload lays out all tiles.
        upload(pictureNamed("new.png"));
        QCOMPARE(namesOf(shown()), documents);
        upload(pdfNamed("new.pdf"));
        QCOMPARE(namesOf(shown()), (QStringList{"new.pdf", "new.png", "xab2.docx", "photo.png", "x.ab.pdf",
                                                "xABy.pdf", ".x.pdf"}));

        // The search looks before the first dot only; a name without anything there ends nothing.
        auto* search = list.findChild<QLineEdit*>("lineEdit");
        search->setText("ab");
        QCOMPARE(namesOf(shown()), (QStringList{"xab2.docx", "xABy.pdf"}));
        search->setText("x");
        QCOMPARE(namesOf(shown()), (QStringList{"xab2.docx", "x.ab.pdf", "xABy.pdf"}));
        QTest::mousePress(list.findChild<QLabel*>("picLabel"), Qt::LeftButton);
        QCOMPARE(search->text(), QString());
        QCOMPARE(namesOf(shown()), (QStringList{"new.png", "photo.png"}));
        search->setText("PHO");
        QCOMPARE(namesOf(shown()), QStringList{"photo.png"});
        QTRY_COMPARE_WITH_TIMEOUT(tileNamed("new.pdf")->state(), 2, kConversionMs);
    }

    void identifiersNameTheTileClicked()
    {
        saveKeys({cached("r1.pdf"), cached("r2.pdf"), cached("r3.pdf")});
        DocumentShareWidget& list = freshList();
        upload(pictureNamed("u1.png"));
        upload(pictureNamed("u2.png"));
        press(tileNamed("r1.pdf"), "lblDel");
        QCOMPARE(namesOf(list.tiles()), (QStringList{"r2.pdf", "r3.pdf", "u1.png", "u2.png"}));
        upload(pictureNamed("u3.png"));
        press(tileNamed("u3.png"), "lblDel");
        QCOMPARE(namesOf(list.tiles()), (QStringList{"r2.pdf", "r3.pdf", "u1.png", "u2.png"}));
        QSet<int> ids;
        for (DocumentCreateWidget* tile : list.tiles())
            ids << tile->identifier();
        QCOMPARE(ids.size(), 4);
        for (DocumentCreateWidget* tile : list.tiles())
            QTRY_COMPARE_WITH_TIMEOUT(tile->state(), 2, kConversionMs);
    }

    void saveAndRestore()
    {
        DocumentShareWidget& list = freshList();
        upload(pdfNamed("one plan.pdf"));
        upload(pictureNamed("b.png"));
        upload(pdfNamed("c_d.pdf"));
        for (DocumentCreateWidget* tile : list.tiles())
            QTRY_COMPARE_WITH_TIMEOUT(tile->state(), 2, kConversionMs);
        useFakeSoffice("hang");
        upload(sparse("slow.docx", 10));
        const QStringList keys{list.tiles()[0]->getSaveFilePath(), list.tiles()[1]->getSaveFilePath(),
                               list.tiles()[2]->getSaveFilePath()};
        QCOMPARE(keys[1], QString("svpczsjz_b_.png_%1").arg(QFileInfo(in("b.png")).size()));

        QTest::mouseClick(list.findChild<QPushButton*>("close_btn"), Qt::LeftButton);
        QVERIFY(list.isHidden());
        QCOMPARE(CDataCenter::getInstance()->documentWidgets, list.tiles());
        QSettings file(m_root + "/config.ini", QSettings::IniFormat);
        QCOMPARE(file.value("42/count").toString(), QString("4"));
        QCOMPARE(file.value("42/3").toString(), QString(""));
        QCOMPARE(file.value("42/1").toString(), keys[1]);

        // A fresh store and list on the same file, as after a restart.
        testsupport::installDocumentStore(m_root);
        DocumentShareWidget& restored = freshList();
        QCOMPARE(namesOf(restored.tiles()), (QStringList{"one plan.pdf", "b.png", "c_d.pdf"}));
        QCOMPARE(countText(), QString("3/50"));
        for (DocumentCreateWidget* tile : restored.tiles()) {
            QCOMPARE(tile->state(), 2);
            QCOMPARE(overlayTexts(tile), (QStringList{"应用", "删除"}));
        }
        QCOMPARE(restored.tiles()[1]->kind(), 2);
        QCOMPARE(restored.tiles()[2]->pageDir(), m_user + '/' + keys[2]);
        QCOMPARE(restored.tiles()[2]->fileSize(), QFileInfo(m_pdf).size());
        QCOMPARE(namesOf(shown()), (QStringList{"c_d.pdf", "b.png", "one plan.pdf"}));

        // Pages gone from the disk, and a key that would name a folder outside: both skipped.
        QVERIFY(QFile::remove(m_user + '/' + keys[0] + "/pic0.png"));
        QVERIFY(QDir().mkpath(m_user + "/svpczsjz_x_.pdf_1"));
        QFile::copy(m_user + '/' + keys[1] + "/pic0.png", m_user + "/pic0.png");
        saveKeys(keys + QStringList{"", "svpczsjz_x_.pdf_1/..", "plain"});
        DocumentShareWidget& again = freshList();
        QCOMPARE(namesOf(again.tiles()), (QStringList{"b.png", "c_d.pdf"}));
        QCOMPARE(CDataCenter::getInstance()->documentWidgets, again.tiles());
    }

    // Names legal here that the key must carry safely: converted, listed, listed again after a
    // restart (under the name its key keeps), then deleted with nothing left on disk.
    void unusualNames_data()
    {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("restoredName");
        QTest::newRow("backslash") << "slides\\page1.png"
                                   << "slides_page1.png";
        QTest::newRow("leading dot") << ".hidden.png"
                                     << ".hidden.png";
        QTest::newRow("only dots") << "...png"
                                   << "...png";
        QTest::newRow("newline") << "line\nbreak.png"
                                 << "line\nbreak.png";
        QTest::newRow("settings file marks") << "a,b;c=d\"e #f.png"
                                             << "a,b;c=d\"e #f.png";
        QTest::newRow("blanks around") << " spaced .png"
                                       << " spaced .png";
        // 240 bytes of name: with the key's other parts it would pass the file system's 255.
        QTest::newRow("very long name") << QString(80, QChar(0x9875)) + ".png" << QString();
    }
    void unusualNames()
    {
        QFETCH(QString, name);
        QFETCH(QString, restoredName);
        DocumentShareWidget& list = freshList();
        upload(pictureNamed(name));
        QCOMPARE(namesOf(list.tiles()), QStringList{name});
        QTRY_COMPARE_WITH_TIMEOUT(list.tiles().at(0)->state(), 2, kConversionMs);
        const QString key = list.tiles().at(0)->getSaveFilePath();
        QVERIFY(QFileInfo(m_user + '/' + key + "/pic0.png").isFile());
        QTest::mouseClick(list.findChild<QPushButton*>("close_btn"), Qt::LeftButton);

        testsupport::installDocumentStore(m_root);
        DocumentShareWidget& restored = freshList();
        QCOMPARE(restored.tiles().size(), 1);
        DocumentCreateWidget* tile = restored.tiles().at(0);
        QCOMPARE(tile->getSaveFilePath(), key);
        if (restoredName.isEmpty()) { // cut, at a character, to a name the file system takes
            QVERIFY(name.startsWith(tile->fileName().chopped(4)) && tile->fileName().endsWith(".png"));
            QVERIFY(key.toUtf8().size() <= 255);
        } else {
            QCOMPARE(tile->fileName(), restoredName);
        }
        QCOMPARE(tile->pageDir(), m_user + '/' + key);

        press(tile, "lblDel");
        QVERIFY(restored.tiles().isEmpty());
        QCOMPARE(QDir(m_user).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{"pdf"});
        QCOMPARE(QDir(m_user + "/pdf").entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
                 QStringList{});
    }

    // A saved entry refused at restore still takes its own folder with it, when that folder is one
    // of the per-user folder's own; nothing else is touched.
    void refusedEntriesLeaveNothing()
    {
        const QString kept = cached("kept.pdf");
        const QString backslash = "svpczsjz_a\\b_.png_5";
        const QString noSize = "svpczsjz_x";
        QVERIFY(testsupport::writeCachedDocument(m_user, backslash));
        QVERIFY(testsupport::writeCachedDocument(m_user, noSize));
        QVERIFY(QDir().mkpath(m_root + "/outside"));
        QVERIFY(QDir().mkpath(m_user + "/notes"));
        saveKeys({kept, backslash, noSize, "../outside", "notes", "..", "", kept + "/"});
        DocumentShareWidget& list = freshList();
        QCOMPARE(namesOf(list.tiles()), QStringList{"kept.pdf"});
        QVERIFY(!QFileInfo::exists(m_user + '/' + backslash));
        QVERIFY(!QFileInfo::exists(m_user + '/' + noSize));
        QVERIFY(QFileInfo(m_user + '/' + kept + "/pic0.png").isFile());
        QVERIFY(QDir(m_root + "/outside").exists());
        QVERIFY(QDir(m_user + "/notes").exists());
    }

    void thumbnails_data()
    {
        QTest::addColumn<QSize>("page");
        QTest::addColumn<QRect>("thumbnail");
        QTest::newRow("landscape") << QSize(1920, 1080) << QRect(0, 17, 180, 101);
        QTest::newRow("square") << QSize(500, 500) << QRect(22, 0, 136, 136);
        QTest::newRow("portrait") << QSize(1080, 1920) << QRect(52, 0, 76, 136);
    }
    void thumbnails()
    {
        QFETCH(QSize, page);
        saveKeys({cached("p.pdf", page)});
        DocumentShareWidget& list = freshList();
        auto* label = list.tiles().first()->findChild<QLabel*>("thumbnail");
        QTEST(label->geometry(), "thumbnail");
        QCOMPARE(label->pixmap(Qt::ReturnByValue).size(), label->size());
        QVERIFY(label->isVisibleTo(list.tiles().first()));
    }

    void failureAndRetry()
    {
        DocumentShareWidget& list = freshList();
        QFile broken(in("broken.pdf"));
        QVERIFY(broken.open(QIODevice::WriteOnly));
        broken.write("no pdf at all");
        broken.close();
        upload(broken.fileName());
        DocumentCreateWidget* tile = list.tiles().first();
        QCOMPARE(overlayTexts(tile), QStringList{"删除"});
        QCOMPARE(overlayWidth(tile), 44);
        QTRY_COMPARE_WITH_TIMEOUT(tile->state(), 1, kConversionMs);
        QVERIFY(tile->findChild<QLabel*>("failText")->isVisibleTo(tile));
        QCOMPARE(tile->findChild<QLabel*>("failText")->text(), QString("转码失败"));
        QVERIFY(!tile->findChild<QProgressBar*>()->isVisibleTo(tile));
        QCOMPARE(overlayTexts(tile), (QStringList{"重新上传", "删除"}));
        QCOMPARE(overlayWidth(tile), 117);
        QCOMPARE(failurePopups(), 1);

        // The file is mended; the retry comes at once, while the worker may still be winding down.
        QVERIFY(QFile::remove(broken.fileName()));
        QVERIFY(QFile::copy(m_pdf, broken.fileName()));
        press(tile, "lblRetry");
        QCOMPARE(tile->state(), 0);
        QVERIFY(tile->findChild<QLabel*>("progressText")->isVisibleTo(tile));
        QVERIFY(!tile->findChild<QLabel*>("failText")->isVisibleTo(tile));
        QTRY_COMPARE_WITH_TIMEOUT(tile->state(), 2, kConversionMs);
        QCOMPARE(overlayTexts(tile), (QStringList{"应用", "删除"}));
        QCOMPARE(overlayWidth(tile), 89);
        QCOMPARE(failurePopups(), 1);
    }

    void useAndReset()
    {
        saveKeys({cached("a.pdf"), cached("b.pdf")});
        DocumentShareWidget& list = freshList();
        QSignalSpy used(&list, &DocumentShareWidget::sendUseSig);
        DocumentCreateWidget* tile = tileNamed("a.pdf");
        press(tile, "lblUse");
        QCOMPARE(used.size(), 1);
        QCOMPARE(used.first(), (QVariantList{tile->pageDir(), QString("a.pdf")}));
        QCOMPARE(tile->state(), 3);
        QCOMPARE(overlayTexts(tile), QStringList{"删除"});
        list.resetUseState(tile->pageDir(), "b.pdf"); // another name: nothing
        QCOMPARE(tile->state(), 3);
        list.resetUseState(tile->pageDir(), "a.pdf");
        QCOMPARE(tile->state(), 2);
        QCOMPARE(overlayTexts(tile), (QStringList{"应用", "删除"}));
    }

    void nameAndSizeLabels()
    {
        saveKeys({cached("<b>ab.pdf"), cached("a very long name of a quarterly plan.pptx")});
        DocumentShareWidget& list = freshList();
        QCOMPARE(namesOf(list.tiles()),
                 (QStringList{"<b>ab.pdf", "a very long name of a quarterly plan.pptx"}));
        QLabel* name = list.tiles()[0]->findChild<QLabel*>("nameLabel");
        QCOMPARE(name->textFormat(), Qt::PlainText);
        QCOMPARE(name->toolTip(), solvek::plainToolTip("<b>ab.pdf"));
        const QFontMetrics metrics(name->font());
        QCOMPARE(name->size(), metrics.horizontalAdvance("<b>ab.pdf") <= 64
                                   ? QSize(metrics.horizontalAdvance("<b>ab.pdf") + 8, 18)
                                   : QSize(120, 18));
        QLabel* longName = list.tiles()[1]->findChild<QLabel*>("nameLabel");
        QCOMPARE(longName->size(), QSize(120, 18));
        QCOMPARE(longName->text(),
                 metrics.elidedText("a very long name of a quarterly plan.pptx", Qt::ElideMiddle, 118));
        QCOMPARE(list.tiles()[1]->findChild<QLabel*>("sizeLabel")->text(), QString("1KB"));
    }

    void deletes()
    {
        saveKeys({cached("kept.pdf"), cached("gone.pdf")});
        DocumentShareWidget& list = freshList();
        QSignalSpy cleared(&list, &DocumentShareWidget::sendDelClearSig);
        DocumentCreateWidget* gone = tileNamed("gone.pdf");
        const QString pageDir = gone->pageDir();
        const QString workDir = m_user + "/pdf/" + gone->getSaveFilePath();
        QVERIFY(QDir().mkpath(workDir));

        m_answer = QDialog::Rejected;
        press(gone, "lblDel");
        QCOMPARE(list.tiles().size(), 2);
        QVERIFY(QDir(pageDir).exists());

        m_answer = QDialog::Accepted;
        press(gone, "lblDel");
        QCOMPARE(namesOf(list.tiles()), QStringList{"kept.pdf"});
        QCOMPARE(cleared.size(), 1);
        QCOMPARE(cleared.first(), (QVariantList{pageDir, QString("gone.pdf")}));
        QVERIFY(!QDir(pageDir).exists());
        QVERIFY(!QDir(workDir).exists());
        QVERIFY(QDir(tileNamed("kept.pdf")->pageDir()).exists());
        QVERIFY(gone->isHidden()); // alive, out of the list
        QVERIFY(CDataCenter::getInstance()->documentWidgets.contains(gone));

        // A tile still converting has no folder of its own to remove.
        useFakeSoffice("hang");
        upload(sparse("slow.pptx", 10));
        DocumentCreateWidget* converting = tileNamed("slow.pptx");
        const QString convertingDir =
            DocumentCacheEntry::pageDirFor(m_user, DocumentCacheEntry::makeKey("slow", ".pptx", 10));
        QTRY_VERIFY_WITH_TIMEOUT(QDir(convertingDir).exists(), kConversionMs);
        press(converting, "lblDel");
        QCOMPARE(namesOf(list.tiles()), QStringList{"kept.pdf"});
        QVERIFY(QDir(convertingDir).exists());
        QVERIFY(QDir(tileNamed("kept.pdf")->pageDir()).exists());
        QCOMPARE(cleared.last(), (QVariantList{QString(), QString("slow.pptx")}));
    }

    void windowDragsAndTipShows()
    {
        DocumentShareWidget& list = freshList();
        list.move(100, 50);
        // The pointer's screen positions; the window follows it.
        const auto send = [&](QEvent::Type type, const QPoint& global) {
            QMouseEvent event(type, list.mapFromGlobal(global), global, Qt::LeftButton, Qt::LeftButton,
                              Qt::NoModifier);
            QApplication::sendEvent(&list, &event);
        };
        // Anywhere in the window, not only a top band.
        send(QEvent::MouseButtonPress, QPoint(500, 350));
        send(QEvent::MouseMove, QPoint(530, 390));
        send(QEvent::MouseButtonRelease, QPoint(530, 390));
        QCOMPARE(list.pos(), QPoint(130, 90));

        QLabel* tip = list.findChild<QLabel*>("tipLabel");
        QVERIFY(!tip->isVisible());
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(list.findChild<QPushButton*>("pushButton"), &enter);
        QVERIFY(tip->isVisible());
        QCOMPARE(tip->geometry(), QRect(89, 19, 450, 68));
        QEvent leave(QEvent::Leave);
        QApplication::sendEvent(list.findChild<QPushButton*>("pushButton"), &leave);
        QVERIFY(!tip->isVisible());
    }

    void clearTilesEmptiesTheList()
    {
        saveKeys({cached("a.pdf")});
        DocumentShareWidget& list = freshList();
        list.clearTiles();
        QVERIFY(list.tiles().isEmpty());
        QCOMPARE(countText(), QString("0/50"));
        QVERIFY(list.findChild<QWidget*>("placeholder")->isVisible());
        QCOMPARE(CDataCenter::getInstance()->documentWidgets.size(), 1); // still alive for the store
    }
};

QTEST_MAIN(tst_DocumentShareWidget)
#include "tst_DocumentShareWidget.moc"
