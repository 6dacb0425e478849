// test-label: unit
// The document panel offscreen: pages in page order with their pictures and the store's page
// size, tabs opened, switched, closed and removed by the list, page clicks, the tab arrows and
// the wheel over the page strip.
#include "documents/DocumentControl.h"

#include "core/DataCenter.h"
#include "documents/DocumentShowPicWidget.h"
#include "documents/ParseQImage.h"
#include "documents/TipDocumentLabel.h"
#include "support/DocumentFixtures.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFrame>
#include <QImage>
#include <QLabel>
#include <QScrollArea>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QToolButton>
#include <QWheelEvent>
#include <QtTest>

namespace
{

// Every signal of the panel, in order, as "name(arguments)".
struct PanelLog {
    QStringList calls;
    explicit PanelLog(DocumentControl& panel)
    {
        QObject::connect(&panel, &DocumentControl::sendResetStatusSig, &panel,
                         [this](QString path, QString name) { calls << "reset(" + path + "," + name + ")"; });
        QObject::connect(&panel, &DocumentControl::sigGetCameraPos, &panel, [this] { calls << "cameraPos"; });
        QObject::connect(&panel, &DocumentControl::sendDocumentSharePicSig, &panel,
                         [this](QString path) { calls << "share(" + path + ")"; });
        QObject::connect(&panel, &DocumentControl::sendAddDoc, &panel, [this] { calls << "addDoc"; });
        QObject::connect(&panel, &DocumentControl::sendDelDocumentClear, &panel, [this] { calls << "clear"; });
    }
    QStringList take()
    {
        QStringList taken = calls;
        calls.clear();
        return taken;
    }
};

QStringList pathsOf(const DocumentControl& panel)
{
    QStringList paths;
    for (const DocumentShowPicWidget* page : panel.thumbnails())
        paths << QFileInfo(page->imagePath()).fileName();
    return paths;
}

// The numbers of the selected items: page numbers of thumbnails, indexes of tabs.
template<class Item, class Number>
QList<int> selected(const QList<Item*>& items, Number number)
{
    QList<int> result;
    for (const Item* item : items)
        if (item->isSelected())
            result << (item->*number)();
    return result;
}

QList<int> selectedPages(const DocumentControl& panel)
{
    return selected(panel.thumbnails(), &DocumentShowPicWidget::pageNumber);
}

QList<int> selectedTabs(const DocumentControl& panel)
{
    return selected(panel.tabs(), &TipDocumentLabel::index);
}

// The loader's picture, once it has reached the thumbnail.
bool waitLoaded(DocumentShowPicWidget* page)
{
    if (!QTest::qWaitFor([page] { return page->loader()->isFinished(); }, 10000))
        return false;
    QCoreApplication::processEvents();
    return true;
}

void pressOn(QWidget* widget)
{
    QTest::mousePress(widget, Qt::LeftButton);
}

} // namespace

class tst_DocumentControl : public QObject
{
    Q_OBJECT

    QTemporaryDir m_dir;

    // A page folder "name" with `pages` small pictures pic0 .. pic<pages-1>.
    QString folder(const QString& name, int pages)
    {
        const QString path = m_dir.filePath(name);
        QDir().mkpath(path);
        QImage image(16, 9, QImage::Format_RGB32);
        image.fill(Qt::white);
        for (int i = 0; i < pages; ++i)
            if (!image.save(QString("%1/pic%2.png").arg(path).arg(i)))
                return QString();
        return path;
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        testsupport::installDocumentStore(m_dir.filePath("store"));
    }

    void pagesInPageOrder_data();
    void pagesInPageOrder();
    void thumbnailPicture_data();
    void thumbnailPicture();
    void tabsCloseAndSwitch();
    void removeDocument();
    void pageClick();
    void arrows();
    void wheelOverTheStrip();
};

void tst_DocumentControl::pagesInPageOrder_data()
{
    QTest::addColumn<int>("pages");
    QTest::newRow("12 pages") << 12;
    QTest::newRow("9 pages") << 9;
    QTest::newRow("1 page") << 1;
    QTest::newRow("more pages than decode at once") << 40;
}

void tst_DocumentControl::pagesInPageOrder()
{
    QFETCH(int, pages);
    const QString path = folder(QString("order%1").arg(pages), pages);
    QVERIFY(!path.isEmpty());
    DocumentControl panel;
    panel.loadPages(path);

    QStringList expected;
    QList<int> numbers;
    for (int i = 0; i < pages; ++i)
        expected << QString("pic%1.png").arg(i);
    QCOMPARE(pathsOf(panel), expected);
    for (const DocumentShowPicWidget* page : panel.thumbnails())
        numbers << page->pageNumber();
    QList<int> badges;
    for (int i = 1; i <= pages; ++i)
        badges << i;
    QCOMPARE(numbers, badges);
    QCOMPARE(panel.thumbnails().first()->findChild<QLabel*>("pageNumber")->text(), QString("1"));
    QCOMPARE(selectedPages(panel), QList<int>{1});

    // Loading again replaces the strip, also while loaders still wait for their turn.
    panel.loadPages(path);
    panel.loadPages(m_dir.filePath("missing"));
    QVERIFY(panel.thumbnails().isEmpty());

    // Every page gets its picture.
    panel.loadPages(path);
    for (DocumentShowPicWidget* page : panel.thumbnails()) {
        QVERIFY(waitLoaded(page));
        QVERIFY(!page->findChild<QLabel*>("picture")->pixmap(Qt::ReturnByValue).isNull());
    }
}

void tst_DocumentControl::thumbnailPicture_data()
{
    QTest::addColumn<QSize>("page");
    QTest::addColumn<QSize>("label");
    QTest::newRow("16:9") << QSize(1920, 1080) << QSize(131, 70);
    QTest::newRow("wider than 16:9") << QSize(2480, 1080) << QSize(132, 30);
    QTest::newRow("portrait") << QSize(1080, 1920) << QSize(40, 70);
    QTest::newRow("square") << QSize(500, 500) << QSize(74, 70);
    // A file that is no picture keeps the blue placeholder and leaves the store's size alone.
    QTest::newRow("not a picture") << QSize() << QSize(136, 74);
}

void tst_DocumentControl::thumbnailPicture()
{
    QFETCH(QSize, page);
    QFETCH(QSize, label);
    const QString path = m_dir.filePath(QString("picture_%1x%2").arg(page.width()).arg(page.height()));
    QDir().mkpath(path);
    if (page.isValid()) {
        QImage image(page, QImage::Format_RGB32);
        image.fill(Qt::darkCyan);
        QVERIFY(image.save(path + "/pic3.png"));
    } else {
        QFile text(path + "/pic3.png");
        QVERIFY(text.open(QIODevice::WriteOnly));
        text.write("just some text, no picture\n");
    }
    auto store = CDataCenter::getInstance();
    store->docImageWidth = 777;
    store->docImageHeight = 555;

    DocumentControl panel;
    panel.loadPages(path);
    QCOMPARE(panel.thumbnails().size(), 1);
    DocumentShowPicWidget* thumb = panel.thumbnails().first();
    QVERIFY(waitLoaded(thumb));
    auto* picture = thumb->findChild<QLabel*>("picture");
    QCOMPARE(picture->size(), label);
    QCOMPARE(picture->pos(), QPoint((136 - label.width()) / 2, (74 - label.height()) / 2));
    const QSize stored(store->docImageWidth, store->docImageHeight);
    if (page.isValid()) {
        QCOMPARE(stored, page);
        QCOMPARE(picture->pixmap(Qt::ReturnByValue).size(), label);
    } else {
        QCOMPARE(stored, QSize(777, 555));
        QVERIFY(picture->pixmap(Qt::ReturnByValue).isNull());
        QVERIFY(picture->styleSheet().contains("#0669F5"));
    }
}

void tst_DocumentControl::tabsCloseAndSwitch()
{
    const QString a = folder("tabA", 2);
    const QString b = folder("tabB", 3);
    const QString c = folder("tabC", 4);
    DocumentControl panel;
    PanelLog log(panel);
    panel.addDocument(a, "a.pdf");
    panel.addDocument(b, "b.pdf");
    panel.addDocument(c, "c.pdf");
    QVERIFY(log.take().isEmpty()); // the main window shows an added document itself
    QCOMPARE(panel.currentDocumentIndex(), 2);
    QCOMPARE(selectedTabs(panel), QList<int>{2});
    QCOMPARE(panel.thumbnails().size(), 4);

    // Clicking the current tab shows its first page again.
    pressOn(panel.tabs()[2]->findChild<QLabel*>("tabName"));
    QCOMPARE(log.take(), QStringList{"share(" + c + "/pic0.png)"});

    // Closing a tab that is not on show changes neither the strip nor the canvas.
    pressOn(panel.tabs()[1]->findChild<QLabel*>("tabClose"));
    QCOMPARE(log.take(), QStringList{"reset(" + b + ",b.pdf)"});
    QCOMPARE(panel.tabCount(), 2);
    QCOMPARE(panel.thumbnails().size(), 4);
    QCOMPARE(panel.currentDocumentIndex(), 2);

    // Closing the current one shows the first remaining document.
    pressOn(panel.tabs()[1]->findChild<QLabel*>("tabClose"));
    QCOMPARE(log.take(), (QStringList{"reset(" + c + ",c.pdf)", "share(" + a + "/pic0.png)"}));
    QCOMPARE(panel.currentDocumentIndex(), 0);
    QCOMPARE(selectedTabs(panel), QList<int>{0});
    QCOMPARE(pathsOf(panel), (QStringList{"pic0.png", "pic1.png"}));

    // Switching to another tab loads its pages.
    panel.addDocument(b, "b.pdf");
    QCOMPARE(panel.tabs().last()->index(), 3);
    pressOn(panel.tabs().first()->findChild<QLabel*>("tabName"));
    QCOMPARE(log.take(), QStringList{"share(" + a + "/pic0.png)"});
    QCOMPARE(panel.currentDocumentIndex(), 0);
    QCOMPARE(selectedTabs(panel), QList<int>{0});
    QCOMPARE(panel.thumbnails().size(), 2);

    // The last tab closing clears the canvas and empties the strip; numbering starts again.
    pressOn(panel.tabs().last()->findChild<QLabel*>("tabClose"));
    QCOMPARE(log.take(), QStringList{"reset(" + b + ",b.pdf)"});
    pressOn(panel.tabs().first()->findChild<QLabel*>("tabClose"));
    QCOMPARE(log.take(), (QStringList{"reset(" + a + ",a.pdf)", "clear"}));
    QVERIFY(panel.thumbnails().isEmpty());
    QCOMPARE(panel.nextDocumentIndex(), 0);
    panel.addDocument(c, "c.pdf");
    QCOMPARE(panel.tabs().first()->index(), 0);

    // A name is text, also in its tool tip.
    panel.addDocument(a, "<img src=x>.pdf");
    QLabel* name = panel.tabs().last()->findChild<QLabel*>("tabName");
    QCOMPARE(name->textFormat(), Qt::PlainText);
    QVERIFY(!name->toolTip().contains("<img"));

    // "添加文档" asks for the document list.
    panel.findChild<QToolButton*>("add_doc_btn")->click();
    QCOMPARE(log.take(), QStringList{"addDoc"});
}

void tst_DocumentControl::removeDocument()
{
    const QString a = folder("removeA", 1);
    const QString b = folder("removeB", 2);
    const QString c = folder("removeC", 3);
    DocumentControl panel;
    PanelLog log(panel);
    panel.addDocument(a, "a.pdf");
    panel.addDocument(b, "b.pdf");
    panel.addDocument(c, "c.pdf");

    // A document without a tab, or with the same folder under another name, changes nothing.
    panel.removeDocument(m_dir.filePath("other"), "a.pdf");
    panel.removeDocument(a, "b.pdf");
    QCOMPARE(log.take(), QStringList{});
    QCOMPARE(panel.tabCount(), 3);

    // A tab not on show goes quietly: the page on air stays.
    panel.removeDocument(b, "b.pdf");
    QCOMPARE(log.take(), QStringList{});
    QCOMPARE(panel.tabCount(), 2);
    QCOMPARE(panel.thumbnails().size(), 3);

    // The tab on show: as a close, but the list needs no reset.
    panel.removeDocument(c, "c.pdf");
    QCOMPARE(log.take(), QStringList{"share(" + a + "/pic0.png)"});
    QCOMPARE(selectedTabs(panel), QList<int>{0});
    QCOMPARE(panel.thumbnails().size(), 1);

    panel.removeDocument(a, "a.pdf");
    QCOMPARE(log.take(), QStringList{"clear"});
    QCOMPARE(panel.tabCount(), 0);
    QVERIFY(panel.thumbnails().isEmpty());
    QCOMPARE(panel.nextDocumentIndex(), 0);

    // With no tab at all a delete does nothing either.
    panel.removeDocument(a, "a.pdf");
    QCOMPARE(log.take(), QStringList{});
}

void tst_DocumentControl::pageClick()
{
    const QString a = folder("click", 5);
    DocumentControl panel;
    panel.addDocument(a, "a.pdf");
    PanelLog log(panel);
    QTest::mouseClick(panel.thumbnails()[2], Qt::LeftButton);
    QCOMPARE(log.take(), (QStringList{"cameraPos", "share(" + a + "/pic2.png)"}));
    QCOMPARE(selectedPages(panel), QList<int>{3});
    const QString selectedLook = panel.thumbnails()[2]->findChild<QFrame*>("frameparent")->styleSheet();
    QVERIFY(selectedLook.contains("#0669F5"));
    QVERIFY(panel.thumbnails()[0]->findChild<QFrame*>("frameparent")->styleSheet().contains("#2c2f42"));
}

void tst_DocumentControl::arrows()
{
    const QString a = folder("arrows", 1);
    DocumentControl panel;
    panel.resize(861, 136);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    auto* bar = panel.findChild<QScrollArea*>("scrollArea_2");
    QCOMPARE(bar->width(), 712);
    QList<QLabel*> arrowLabels;
    for (QLabel* label : panel.findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly))
        arrowLabels << label;
    QCOMPARE(arrowLabels.size(), 2);
    auto arrowsShown = [&] { return !arrowLabels[0]->isHidden() && !arrowLabels[1]->isHidden(); };

    for (int i = 0; i < 10; ++i)
        panel.addDocument(a, QString("d%1.pdf").arg(i));
    QVERIFY(arrowLabels[0]->isHidden() && arrowLabels[1]->isHidden()); // 700 px
    panel.addDocument(a, "d10.pdf");
    QVERIFY(arrowsShown()); // 770 px
    QCOMPARE(arrowLabels[0]->pos(), QPoint(bar->x(), bar->y() + 5));
    QCOMPARE(arrowLabels[1]->pos(), QPoint(bar->x() + 712 - 16, bar->y() + 5));

    // The arrows move the tabs by 80 px.
    QWidget* tabs = bar->widget();
    QTRY_VERIFY(bar->horizontalScrollBar()->maximum() >= 80);
    pressOn(arrowLabels[1]);
    QCOMPARE(tabs->x(), -80);
    pressOn(arrowLabels[0]);
    QCOMPARE(tabs->x(), 0);
    pressOn(arrowLabels[0]);
    QCOMPARE(tabs->x(), 0);

    pressOn(panel.tabs()[3]->findChild<QLabel*>("tabClose"));
    QVERIFY(arrowLabels[0]->isHidden() && arrowLabels[1]->isHidden());
}

void tst_DocumentControl::wheelOverTheStrip()
{
    DocumentControl panel;
    panel.resize(861, 136);
    panel.show();
    QVERIFY(QTest::qWaitForWindowExposed(&panel));
    auto* strip = panel.findChild<QScrollArea*>("scrollArea");
    QWidget* content = strip->widget();
    content->setMinimumWidth(strip->viewport()->width() + 500);
    QApplication::processEvents();
    QScrollBar* bar = strip->horizontalScrollBar();
    QTRY_COMPARE(bar->maximum(), 500);

    auto wheel = [&](int y, int delta) {
        const QPointF at(300, y);
        QWheelEvent event(at, panel.mapToGlobal(at.toPoint()), QPoint(), QPoint(0, delta), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&panel, &event);
    };
    struct Step {
        int startX, delta, endX;
    };
    // One 180 px step per event, whatever the delta, within [-500, 0].
    const Step steps[] = {{-100, -120, -280}, {-100, 120, 0}, {-100, -1200, -280}, {-400, -120, -500},
                          {-500, -120, -500}, {0, 120, 0},    {-50, 30, 0}};
    for (const Step& step : steps) {
        bar->setValue(-step.startX);
        QCOMPARE(content->x(), step.startX);
        wheel(100, step.delta);
        QCOMPARE(content->x(), step.endX);
        QCOMPARE(bar->value(), -step.endX);
    }
    // Over the tabs the strip stays.
    bar->setValue(100);
    wheel(10, -120);
    QCOMPARE(content->x(), -100);
}

QTEST_MAIN(tst_DocumentControl)
#include "tst_DocumentControl.moc"
