// test-label: unit
// Editor tiles offscreen: the pictures offered, the two lists, choosing content, dragging and
// resizing, and what a grab of the tile area shows.
#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "documents/DocumentCreateWidget.h"
#include "scenes/MyListWidget.h"
#include "scenes/MyWidgetPatter.h"
#include "scenes/PreviewWidget.h"
#include "scenes/ScenePictures.h"
#include "support/TestPictures.h"

#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString cam = QStringLiteral("摄像头");
const QString none = QStringLiteral("请选择");

void sendMouse(QWidget* w, QEvent::Type type, const QPoint& local, Qt::MouseButtons buttons)
{
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, w->mapToGlobal(local), button, buttons, Qt::NoModifier);
    QApplication::sendEvent(w, &event);
}

// Presses at `from` (tile coordinates), moves the pointer by each step in turn, releases.
void drag(PreviewWidget* tile, const QPoint& from, const QList<QPoint>& steps)
{
    sendMouse(tile, QEvent::MouseButtonPress, from, Qt::LeftButton);
    QPoint at = from;
    for (const QPoint& step : steps) {
        // The pointer stays where it was on screen: positions are taken against the tile as it
        // stood when the move began.
        const QPoint global = tile->mapToGlobal(at) + step;
        at = tile->mapFromGlobal(global);
        QMouseEvent event(QEvent::MouseMove, at, global, Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(tile, &event);
        at = tile->mapFromGlobal(global);
    }
    sendMouse(tile, QEvent::MouseButtonRelease, at, Qt::NoButton);
}

void pressRow(MyListWidget* list, int row)
{
    QListWidget* lw = list->listWidget();
    QTest::mousePress(lw->viewport(), Qt::LeftButton, {}, lw->visualItemRect(lw->item(row)).center());
    QTest::mouseRelease(lw->viewport(), Qt::LeftButton, {}, lw->visualItemRect(lw->item(row)).center());
}

} // namespace

class tst_PreviewWidget : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SceneDocumentList m_docs;
    std::unique_ptr<QWidget> m_window;
    QWidget* m_area = nullptr; // the editor's tile area, inside a window as in the editor

    QString folder(const QString& name) const { return m_dir.path() + "/" + name; }

    // A document with a converted first page of the given size and colour.
    SceneDocument converted(const QString& name, const QSize& size, const QColor& colour = Qt::red)
    {
        QDir().mkpath(folder(name));
        testsupport::writePicture(folder(name) + "/pic0.png", size, colour);
        return {name, folder(name)};
    }

    PreviewWidget* tile(int num, const QRect& rect)
    {
        auto* t = new PreviewWidget(m_area, num, rect);
        t->setAreaRect(m_area->geometry());
        t->show();
        return t;
    }

    QLabel* pictureLabel(PreviewWidget* t) { return t->findChild<QLabel*>("pictureLabel"); }
    QLabel* avatarLabel(PreviewWidget* t) { return t->findChild<QLabel*>("avatarLabel"); }
    QLineEdit* contentEdit(PreviewWidget* t) { return t->findChild<QLineEdit*>("contentEdit"); }

    // Opens the tile's kind list and chooses "图片" (row 1).
    void choosePictureKind(PreviewWidget* t)
    {
        QTest::mouseClick(contentEdit(t), Qt::LeftButton);
        QVERIFY(t->kindList()->isVisible());
        pressRow(t->kindList(), 1);
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CDataCenter::setInstanceForTesting(std::make_shared<CDataCenter>(m_dir.path() + "/config.ini"));
        setSceneDocumentSource([this] { return m_docs; });
    }
    void init()
    {
        m_docs.clear();
        m_window.reset(new QWidget);
        m_window->resize(640, 360);
        m_area = new MyWidgetPatter(m_window.get());
        m_area->setGeometry(20, 10, 600, 338);
        m_window->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_window.get()));
    }
    void cleanup() { m_window.reset(); }
    void cleanupTestCase()
    {
        setSceneDocumentSource(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }

    void offersConvertedPicturesOnly()
    {
        m_docs = {converted("a.png", QSize(16, 9)),     converted("b.pdf", QSize(16, 9)),
                  converted("c.docx", QSize(16, 9)),    converted("d.PDF", QSize(16, 9)),
                  converted("e.ppt.png", QSize(16, 9)), {"f.png", QString()}};
        QDir().mkpath(folder("g.png"));
        m_docs.append({"g.png", folder("g.png")});
        m_docs.append({"h.png", folder("deleted")});

        QStringList offered;
        for (const SceneDocument& d : scenePictures())
            offered << d.name;
        QCOMPARE(offered, QStringList({"a.png", "d.PDF"}));

        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        QCOMPARE(t->pictureList()->listWidget()->count(), 2);
        QSignalSpy chosen(t->pictureList(), &MyListWidget::clickedText);
        choosePictureKind(t);
        pressRow(t->pictureList(), 1);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), QString("d.PDF"));
        QCOMPARE(t->content(), QString("d.PDF"));
        QCOMPARE(t->filePath(), folder("d.PDF") + "/pic0.png");
        QVERIFY(t->pictureList()->isHidden());
        QVERIFY(t->kindList()->isHidden());
    }

    void defaultSourceReadsTheStoresDocumentTiles()
    {
        const SceneDocument a = converted("a.png", QSize(16, 9));
        const SceneDocument b = converted("b.pdf", QSize(16, 9));
        auto tileOf = [](const SceneDocument& d, int id) {
            auto* t = new DocumentCreateWidget(QString(), 2, id);
            t->setRestoredInfo(d.folder, d.name, 10, DocumentCreateWidget::StateDone, 2);
            return t;
        };
        std::unique_ptr<DocumentCreateWidget> first(tileOf(a, 0)), second(tileOf(b, 1));
        auto store = CDataCenter::getInstance();
        store->documentWidgets = {first.get(), second.get()};
        setSceneDocumentSource(nullptr);
        const SceneDocumentList offered = scenePictures();
        QCOMPARE(offered.size(), 1);
        QCOMPARE(offered[0].name, QString("a.png"));
        QCOMPARE(offered[0].folder, a.folder);
        first.reset(); // a deleted tile leaves the store's list
        QVERIFY(scenePictures().isEmpty());
        setSceneDocumentSource([this] { return m_docs; });
        store->documentWidgets.clear();
    }

    void pictureListHeightFollowsPictureCount()
    {
        const int expected[] = {40, 40, 80, 115, 140};
        for (int n = 0; n < 5; ++n) {
            m_docs.clear();
            for (int i = 0; i < n; ++i)
                m_docs.append(converted(QString("p%1.png").arg(i), QSize(4, 4)));
            PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
            choosePictureKind(t);
            QVERIFY(t->pictureList()->isVisible());
            QVERIFY(t->pictureList()->pictureMode());
            QCOMPARE(t->pictureList()->size(), QSize(132, expected[n]));
            QCOMPARE(t->pictureList()->listWidget()->geometry(), QRect(0, 6, 132, expected[n] - 12));
            QVERIFY(t->findChild<QWidget*>("bgframe")->isHidden());
            delete t;
        }
    }

    void elidedNameReportsFullNameOncePerPress()
    {
        const QString longName = QStringLiteral("一份很长很长很长的图片名字 with more words.png");
        m_docs = {converted(longName, QSize(8, 8))};
        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        QListWidget* lw = t->pictureList()->listWidget();
        QLabel* label = lw->itemWidget(lw->item(0))->findChild<QLabel*>();
        QVERIFY(label->text() != longName);
        QVERIFY(label->text().endsWith(QChar(0x2026)));
        QCOMPARE(label->textFormat(), Qt::PlainText);

        QSignalSpy chosen(t->pictureList(), &MyListWidget::clickedText);
        choosePictureKind(t);
        pressRow(t->pictureList(), 0);
        QCOMPARE(chosen.count(), 1);
        QCOMPARE(chosen.at(0).at(0).toString(), longName);
        QCOMPARE(t->content(), longName);
        const QFontMetrics fm(contentEdit(t)->font());
        QCOMPARE(contentEdit(t)->text(), fm.elidedText(longName, Qt::ElideRight, 75));
    }

    void emptyPictureListRowIgnoresPresses()
    {
        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        QListWidget* lw = t->pictureList()->listWidget();
        QCOMPARE(lw->count(), 1);
        QCOMPARE(lw->itemWidget(lw->item(0))->findChild<QLabel*>()->text(), QStringLiteral("暂无数据"));
        QSignalSpy chosen(t->pictureList(), &MyListWidget::clickedText);
        choosePictureKind(t);
        QCOMPARE(t->pictureList()->height(), 40);
        pressRow(t->pictureList(), 0);
        QCOMPARE(chosen.count(), 0);
        QCOMPARE(t->content(), none);
    }

    void kindListReportsRowsAndArrow()
    {
        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        MyListWidget* kinds = t->kindList();
        QCOMPARE(kinds->size(), QSize(100, 78));
        QVERIFY(!kinds->pictureMode());
        QSignalSpy chosen(kinds, &MyListWidget::clickedText);
        QTest::mouseClick(contentEdit(t), Qt::LeftButton);
        QCOMPARE(kinds->pos(), contentEdit(t)->mapToGlobal(QPoint(0, 40)));
        pressRow(kinds, 1);
        QListWidget* lw = kinds->listWidget();
        QTest::mouseClick(lw->itemWidget(lw->item(1))->findChild<QPushButton*>(), Qt::LeftButton);
        QCOMPARE(chosen.count(), 2);
        QCOMPARE(chosen.at(0).at(0).toString(), QStringLiteral("图片"));
        QCOMPARE(chosen.at(1).at(0).toString(), QStringLiteral("图片"));
        pressRow(kinds, 0);
        QCOMPARE(chosen.last().at(0).toString(), cam);
        QCOMPARE(t->content(), cam);
        QVERIFY(kinds->isHidden());
    }

    void pictureFitsItsFrame_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QRect>("label");
        QTest::addColumn<QSize>("shown");
        QTest::newRow("landscape") << QSize(1920, 1080) << QRect(2, 0, 162, 93) << QSize(166, 93);
        QTest::newRow("portrait") << QSize(1080, 1920) << QRect(59, 0, 47, 92) << QSize(51, 92);
        QTest::newRow("square") << QSize(500, 500) << QRect(39, 0, 92, 92) << QSize(92, 92);
    }
    void pictureFitsItsFrame()
    {
        QFETCH(QSize, picture);
        QFETCH(QRect, label);
        QFETCH(QSize, shown);
        m_docs = {converted("a.png", picture)};
        PreviewWidget* t = tile(2, QRect(10, 10, 170, 96));
        QVERIFY(t->setPicture("a.png"));
        PictureDecoder::waitForIdle(); // the picture is read off the window's thread
        QLabel* l = pictureLabel(t);
        QVERIFY(l->isVisible());
        QCOMPARE(l->geometry(), label);
        QCOMPARE(l->pixmap(Qt::ReturnByValue).size(), shown);
        QCOMPARE(t->folder(), folder("a.png"));
        QCOMPARE(t->filePath(), folder("a.png") + "/pic0.png");
        QVERIFY(t->findChild<QWidget*>("bgframe")->isHidden());
        QVERIFY(avatarLabel(t)->isHidden());
    }

    void pageThatIsNoPictureShowsNothing()
    {
        QDir().mkpath(folder("broken.png"));
        QFile f(folder("broken.png") + "/pic0.png");
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("not a picture at all");
        f.close();
        m_docs = {{"broken.png", folder("broken.png")}};
        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        QVERIFY(t->setPicture("broken.png"));
        QVERIFY(pictureLabel(t)->pixmap(Qt::ReturnByValue).isNull());
        t->setFixedSize(200, 112); // a later resize refits without a picture too
        QVERIFY(pictureLabel(t)->pixmap(Qt::ReturnByValue).isNull());
    }

    void unknownPictureChangesNothing()
    {
        m_docs = {converted("a.png", QSize(20, 10))};
        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        QVERIFY(!t->setPicture("gone.png"));
        QCOMPARE(t->content(), none);
        QCOMPARE(contentEdit(t)->text(), none);
        QVERIFY(t->folder().isEmpty());
        QVERIFY(t->setPicture("a.png"));
        QVERIFY(!t->setPicture("gone.png"));
        QCOMPARE(t->content(), QString("a.png"));
        // The document's page folder went away after the list was filled: choosing its row keeps
        // the tile as it was.
        m_docs = {converted("b.png", QSize(20, 10))};
        PreviewWidget* u = tile(2, QRect(0, 0, 170, 96));
        QDir(folder("b.png")).removeRecursively();
        choosePictureKind(u);
        pressRow(u->pictureList(), 0);
        QCOMPARE(u->content(), none);
        QVERIFY(u->pictureList()->isHidden());
    }

    void cameraAfterPictureKeepsFolderAndPath()
    {
        m_docs = {converted("a.png", QSize(20, 10))};
        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        QVERIFY(t->setPicture("a.png"));
        QTest::mouseClick(contentEdit(t), Qt::LeftButton);
        pressRow(t->kindList(), 0);
        QCOMPARE(t->content(), cam);
        QCOMPARE(t->folder(), folder("a.png"));
        QCOMPARE(t->filePath(), folder("a.png") + "/pic0.png");
        QVERIFY(pictureLabel(t)->isHidden());
        QVERIFY(avatarLabel(t)->isVisible());
        QVERIFY(t->overlay()->isHidden());
        QCOMPARE(avatarLabel(t)->geometry(), QRect((166 - 46) / 2, 23, 46, 46));
        const SceneTileFields fields = t->tileFields();
        QCOMPARE(fields.content, cam);
        QCOMPARE(fields.filePath, folder("a.png") + "/pic0.png");
    }

    void startingContentAndNumbers()
    {
        PreviewWidget* first = tile(1, QRect(0, 0, 170, 96));
        PreviewWidget* second = tile(2, QRect(200, 0, 170, 96));
        QCOMPARE(first->content(), cam);
        QCOMPARE(second->content(), none);
        QCOMPARE(contentEdit(first)->text(), cam);
        second->setNum(5);
        QCOMPARE(second->getNum(), 5);
        QCOMPARE(second->findChild<QLabel*>("labelnum")->text(), QStringLiteral("画面5"));
        QCOMPARE(second->findChild<QLabel*>("overWidgetlabel")->text(), QStringLiteral("画面5"));
        second->setContent(cam);
        QCOMPARE(second->content(), cam);
        QVERIFY(avatarLabel(second)->isHidden()); // the look follows only on refresh
        second->refreshLook();
        QVERIFY(avatarLabel(second)->isVisible());
    }

    void closeButtonMarksAndReports()
    {
        PreviewWidget* t = tile(3, QRect(0, 0, 170, 96));
        QSignalSpy closed(t, &PreviewWidget::close_clicked);
        QPushButton* close = t->findChild<QPushButton*>("closeButton");
        QVERIFY(close);
        QCOMPARE(close->pos(), QPoint(t->overlay()->width() - 30, 4));
        close->click();
        QCOMPARE(closed.count(), 1);
        QCOMPARE(closed.at(0).at(0).toInt(), 3);
        QVERIFY(t->isRemoveMarked());
        QVERIFY(t->overlay()->isHidden());
    }

    void dragStopsAtTheAreaEdges()
    {
        PreviewWidget* t = tile(2, QRect(100, 100, 170, 96));
        QSignalSpy selected(t, &PreviewWidget::send_showisBorder);
        drag(t, QPoint(50, 50), {QPoint(900, 0)});
        QCOMPARE(selected.count(), 1);
        QCOMPARE(t->pos(), QPoint(430, 100));
        QVERIFY(!t->isSelected());
        QVERIFY(!t->isPressed());
        QCOMPARE(t->posWeight().x, 430.f / 600.f);
        QCOMPARE(t->posWeight().w, 170.f / 600.f);
        drag(t, QPoint(50, 50), {QPoint(-100, -20), QPoint(-900, -900)});
        QCOMPARE(t->pos(), QPoint(0, 0));
        QCOMPARE(t->posWeight().x, 0.f);
        QCOMPARE(t->posWeight().y, 0.f);
    }

    void resizeKeepsSixteenByNineWithinBounds()
    {
        PreviewWidget* t = tile(2, QRect(100, 100, 170, 96));
        const QPoint corner(165, 91);
        drag(t, corner, {QPoint(1, 0)});
        QCOMPARE(t->size(), QSize(171, 96));
        QCOMPARE(t->posWeight().w, 171.f / 600.f);
        drag(t, QPoint(166, 91), {QPoint(-1, 0)});
        QCOMPARE(t->size(), QSize(171, 96)); // 170 is refused
        t->move(0, 0);
        drag(t, QPoint(166, 91), {QPoint(429, 0)});
        QCOMPARE(t->size(), QSize(171, 96)); // as wide as the area is refused
        drag(t, QPoint(166, 91), {QPoint(129, 0)});
        QCOMPARE(t->size(), QSize(300, 168));
        QCOMPARE(t->findChild<QWidget*>("frame_pic")->geometry(), QRect(2, 2, 296, 164));
    }

    void tilePastTheEdgeIgnoresResizesUntilMovedBack()
    {
        PreviewWidget* t = tile(2, QRect(430, 100, 170, 96));
        drag(t, QPoint(165, 91), {QPoint(30, 0)});
        QCOMPARE(t->size(), QSize(200, 112));
        QVERIFY(t->posWeight().x + t->posWeight().w > 1.f); // may reach beyond the area
        drag(t, QPoint(195, 107), {QPoint(-10, 0)});
        QCOMPARE(t->size(), QSize(200, 112));
        drag(t, QPoint(50, 50), {QPoint(-1, 0)}); // a move puts it back inside
        QCOMPARE(t->pos(), QPoint(400, 100));
        drag(t, QPoint(195, 107), {QPoint(-10, 0)});
        QCOMPARE(t->size(), QSize(190, 106));
    }

    void pictureRefitsOnResize()
    {
        m_docs = {converted("a.png", QSize(1920, 1080))};
        PreviewWidget* t = tile(2, QRect(0, 0, 170, 96));
        QVERIFY(t->setPicture("a.png"));
        PictureDecoder::waitForIdle();
        drag(t, QPoint(165, 91), {QPoint(30, 0)});
        QCOMPARE(t->size(), QSize(200, 112));
        QCOMPARE(pictureLabel(t)->geometry(), QRect(2, (108 - 110) / 2, 192, 110));
        QCOMPARE(pictureLabel(t)->pixmap(Qt::ReturnByValue).size(), QSize(196, 110));
    }

    void recordOutlivesTileAndBuilder()
    {
        m_docs = {converted("a.png", QSize(20, 10))};
        std::weak_ptr<const InfoWidget> weak;
        InfoWidgetVec held;
        {
            InfoWidgetVec thumbnail;
            auto* t = tile(2, QRect(0, 0, 170, 96));
            QVERIFY(t->setPicture("a.png"));
            t->setPosWeight(PosWeight{0.5f, 0.25f, 0.25f, 0.5f});
            thumbnail.push_back(makeInfoWidget(t->tileFields(), "/bg.png"));
            weak = thumbnail.front();
            held = thumbnail;
            delete t;
        }
        QVERIFY(!weak.expired());
        QCOMPARE(held.front()->content, QString("a.png"));
        QCOMPARE(held.front()->filePath, folder("a.png") + "/pic0.png");
        QCOMPARE(held.front()->rect.x, 0.5f);
        QCOMPARE(held.front()->num, 2);
        QCOMPARE(held.front()->background, QString("/bg.png"));
        held.clear();
        QVERIFY(weak.expired());
    }

    void grabShowsPictureAndAvatar()
    {
        const QString avatar = m_dir.path() + "/temp.jpeg";
        testsupport::writePicture(avatar, QSize(100, 100), QColor(0, 200, 0));
        CDataCenter::getInstance()->avatarFile = avatar;
        m_docs = {converted("blue.png", QSize(1920, 1080), QColor(0, 0, 255))};
        PreviewWidget* picture = tile(2, QRect(20, 20, 170, 96));
        QVERIFY(picture->setPicture("blue.png"));
        PreviewWidget* camera = tile(1, QRect(300, 200, 170, 96));
        camera->refreshLook();
        PictureDecoder::waitForIdle(); // pictures are read off the window's thread
        picture->overlay()->hide(); // as the editor does before saving
        const QImage shot = m_area->grab().toImage();
        const QRect label = pictureLabel(picture)->geometry().translated(picture->pos() + QPoint(2, 2));
        QCOMPARE(QColor(shot.pixel(label.center())), QColor(0, 0, 255));
        const QColor centre(shot.pixel(camera->geometry().center()));
        QVERIFY2(centre.green() > 150 && centre.red() < 60 && centre.blue() < 60, qPrintable(centre.name()));
        // Outside the circle, the dark camera panel.
        const QColor panel(shot.pixel(camera->pos() + QPoint(10, 10)));
        QCOMPARE(panel, QColor(23, 26, 44));
        CDataCenter::getInstance()->avatarFile.clear();
    }

    void cameraWithoutAvatarShowsEmptyCircle()
    {
        PreviewWidget* camera = tile(1, QRect(0, 0, 170, 96));
        camera->refreshLook();
        QVERIFY(avatarLabel(camera)->isVisible());
        QVERIFY(avatarLabel(camera)->pixmap(Qt::ReturnByValue).isNull());
        const QImage shot = m_area->grab().toImage();
        QCOMPARE(QColor(shot.pixel(camera->geometry().center())), QColor(23, 26, 44));
    }

    void patterPaintsPictureOrPanel()
    {
        auto* patter = static_cast<MyWidgetPatter*>(m_area);
        QCOMPARE(QColor(m_area->grab().toImage().pixel(300, 169)), QColor(77, 79, 99));
        const QString back = m_dir.path() + "/back.png";
        testsupport::writePicture(back, QSize(64, 36), QColor(200, 10, 10));
        patter->setPicturePath(back);
        PictureDecoder::waitForIdle();
        QCOMPARE(QColor(m_area->grab().toImage().pixel(300, 169)), QColor(200, 10, 10));
        patter->setPicturePath(m_dir.path() + "/missing.png");
        PictureDecoder::waitForIdle();
        QCOMPARE(QColor(m_area->grab().toImage().pixel(300, 169)), QColor(Qt::black));
    }
};

QTEST_MAIN(tst_PreviewWidget)
#include "tst_PreviewWidget.moc"
