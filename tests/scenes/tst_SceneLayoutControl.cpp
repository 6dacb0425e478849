// test-label: unit
// The scene strip offscreen against a recording receiver: the count and its limit, indexes that
// are never reused, using, cancelling, full screen and deleting layouts, saving new and edited
// layouts (also while one is in use), records that outlive their thumbnail, the thumbnail's boxes
// and hover look, and wheel scrolling.
#include "core/DataCenter.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/LayoutWidget.h"
#include "scenes/SceneLayoutControl.h"
#include "scenes/ScenePictures.h"

#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>
#include <optional>

namespace
{
const QString cam = QStringLiteral("摄像头");
const char* kBlueBorder = "background: #292C3E; border-radius: 4px; border: 1px solid #0669F5;";
const char* kGreyBorder = "background: #292C3E; border-radius: 4px; border: 1px solid #464C71;";

// One emission of the strip, as the canvas would receive it.
struct Received {
    QString signal;
    InfoWidgetVec records;
    int count = -1;
    int isImageNum = -1;
    int last = -1;         // bLectureLayout for a use, isCamNum for full screen
    QList<int> rowIndexes; // the thumbnails in the row during the emission
};

QList<int> indexesOf(const SceneLayoutControl& strip)
{
    QList<int> out;
    for (LayoutWidget* t : strip.thumbnails())
        out << t->getIndex();
    return out;
}

QStringList contentsOf(const InfoWidgetVec& records)
{
    QStringList out;
    for (const InfoWidgetPtr& r : records)
        out << r->content;
    return out;
}
} // namespace

class tst_SceneLayoutControl : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    std::unique_ptr<AddSceneDialog> m_editor;
    std::unique_ptr<SceneLayoutControl> m_strip;
    QList<Received> m_received;
    int m_runs = 0;

    QPushButton* button(QWidget* owner, const char* name) { return owner->findChild<QPushButton*>(name); }
    QString countText() { return m_strip->findChild<QLabel*>("layout_num_label")->text(); }
    QStringList signalsReceived()
    {
        QStringList out;
        for (const Received& r : m_received)
            out << r.signal;
        return out;
    }

    // Saves a new layout through the editor: a preset, then pictures for the tiles still asking.
    void saveNew(int type, bool use)
    {
        m_editor->resetForNew(false, 0);
        m_editor->show();
        if (type == 1)
            m_editor->on_one_for_one_frame_clicked();
        else if (type == 2)
            m_editor->on_courseware_frame_clicked();
        pickPictures();
        QTest::mouseClick(button(m_editor.get(), use ? "save_and_use_btn" : "save_btn"), Qt::LeftButton);
        QVERIFY(m_editor->isHidden());
    }
    void pickPictures()
    {
        const char* names[] = {"a.png", "b.png"};
        int next = 0;
        for (PreviewWidget* t : m_editor->tiles())
            if (t->content() == QStringLiteral("请选择"))
                QVERIFY(t->setPicture(names[next++ % 2]));
    }
    // Opens a saved layout in the editor as the strip does, changes nothing, and saves it again.
    void saveAgain(LayoutWidget* t, bool use)
    {
        m_strip->preview_clicked(t->records(), t->getType(), t->getIndex(), t->getCount(), t->getImageNum());
        QVERIFY(m_editor->isVisible());
        QVERIFY(m_editor->isPreview());
        QTest::mouseClick(button(m_editor.get(), use ? "save_and_use_btn" : "save_btn"), Qt::LeftButton);
    }
    // The pointer comes over the thumbnail (which shows its buttons) and clicks one.
    void click(LayoutWidget* t, const char* name)
    {
        QEvent enter(QEvent::Enter);
        QCoreApplication::sendEvent(t, &enter);
        QPushButton* b = button(t, name);
        QVERIFY(b && b->isVisible());
        QTest::mouseClick(b, Qt::LeftButton);
    }
    void checkInUse(LayoutWidget* t)
    {
        QCOMPARE(t->getState(), 1);
        QCOMPARE(t->styleSheet(), QString(kBlueBorder));
        QCOMPARE(t->operateButton()->text(), QStringLiteral("全屏"));
        QCOMPARE(t->previewButton()->text(), QStringLiteral("取消"));
        QVERIFY(!t->tag()->isHidden());
        QVERIFY(!t->mask()->isHidden());
    }
    void checkIdle(LayoutWidget* t, int state)
    {
        QCOMPARE(t->getState(), state);
        QCOMPARE(t->styleSheet(), QString(kGreyBorder));
        QCOMPARE(t->operateButton()->text(), QStringLiteral("使用"));
        QCOMPARE(t->previewButton()->text(), QStringLiteral("编辑"));
        QVERIFY(t->tag()->isHidden());
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CDataCenter::setInstanceForTesting(std::make_shared<CDataCenter>(m_dir.path() + "/config.ini"));
        SceneDocumentList docs;
        for (const char* name : {"a", "b"}) {
            QVERIFY(QDir(m_dir.path()).mkpath(name));
            QImage page(64, 36, QImage::Format_RGB32);
            page.fill(Qt::blue);
            QVERIFY(page.save(m_dir.path() + "/" + name + "/pic0.png"));
            docs.append({QString(name) + ".png", m_dir.path() + "/" + name});
        }
        setSceneDocumentSource([docs] { return docs; });
    }
    void init()
    {
        m_received.clear();
        m_runs = 0;
        m_editor.reset(new AddSceneDialog);
        m_strip.reset(new SceneLayoutControl(nullptr, m_editor.get()));
        SceneLayoutControl* s = m_strip.get();
        const auto keep = [this, s](const QString& name, InfoWidgetVec v, int count, int images, int last) {
            m_received.append({name, v, count, images, last, indexesOf(*s)});
        };
        connect(s, &SceneLayoutControl::_use_scene_clickEX, this,
                [keep](InfoWidgetVec v, int c, int i, bool lecture) { keep("use", v, c, i, lecture); });
        connect(s, &SceneLayoutControl::fullScreen, this,
                [keep](InfoWidgetVec v, int c, int i, int cams) { keep("fullScreen", v, c, i, cams); });
        connect(s, &SceneLayoutControl::cancle_scene, this,
                [keep](int c, int i) { keep("cancel", {}, c, i, -1); });
        connect(s, &SceneLayoutControl::close_cliceScene, this,
                [keep](int c, int i) { keep("close", {}, c, i, -1); });
        connect(s, &SceneLayoutControl::sendMaxSceneSig, this, [keep] { keep("max", {}, -1, -1, -1); });
        SceneLayoutControl::s_runModalDialog = [this](QDialog& dialog) {
            ++m_runs;
            return dialog.isVisible() ? 1 : 0;
        };
        m_strip->resize(861, 136);
        m_strip->show();
    }
    void cleanup()
    {
        m_strip.reset();
        m_editor.reset();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    void cleanupTestCase()
    {
        setSceneDocumentSource(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }

    void countAndLimit()
    {
        QCOMPARE(countText(), QStringLiteral("0/10"));
        QTest::mouseClick(button(m_strip.get(), "add_scene_btn"), Qt::LeftButton);
        QCOMPARE(m_runs, 1);
        QCOMPARE(int(m_editor->tiles().size()), 2); // a new layout: lecture_in_chief
        QVERIFY(!m_editor->isPreview());

        saveNew(0, false);
        QCOMPARE(countText(), QStringLiteral("(1/10)"));
        click(m_strip->thumbnails()[0], "close_btn");
        QCOMPARE(countText(), QStringLiteral("(0/10)"));
        QCOMPARE(m_strip->layoutCount(), 0);

        for (int i = 0; i < scenestrip::kMaxLayouts; ++i)
            saveNew(i % 3, false);
        QCOMPARE(countText(), QStringLiteral("(10/10)"));
        QVERIFY(signalsReceived().isEmpty());
        m_runs = 0;
        QTest::mouseClick(button(m_strip.get(), "add_scene_btn"), Qt::LeftButton);
        QCOMPARE(m_runs, 0);
        QCOMPARE(signalsReceived(), QStringList{"max"});

        // An eleventh layout saved from an editor opened elsewhere is refused the same way.
        saveNew(0, false);
        saveNew(0, true);
        QCOMPARE(signalsReceived(), QStringList({"max", "max", "max"}));
        QCOMPARE(m_strip->layoutCount(), 10);
        QCOMPARE(m_strip->thumbnails().size(), 10);
        QCOMPARE(countText(), QStringLiteral("(10/10)"));
    }

    void indexesAreNeverReused()
    {
        for (int i = 0; i < 3; ++i)
            saveNew(1, false);
        QCOMPARE(indexesOf(*m_strip), QList<int>({0, 1, 2}));
        click(m_strip->thumbnail(0), "close_btn");
        saveNew(2, false);
        QCOMPARE(indexesOf(*m_strip), QList<int>({1, 2, 3}));
        QCOMPARE(m_strip->nextIndex(), 4);

        click(m_strip->thumbnail(2), "operate_btn");
        QCOMPARE(m_received.size(), 1);
        QCOMPARE(m_received[0].records, m_strip->thumbnail(2)->records());
        QCOMPARE(m_strip->thumbnail(2)->getState(), 1);
        QCOMPARE(m_strip->thumbnail(1)->getState(), 2);
        QCOMPARE(m_strip->thumbnail(3)->getState(), 2);

        // Editing index 2 (after cancelling its use) opens that layout and rebuilds only it.
        click(m_strip->thumbnail(2), "preview_btn");
        const InfoWidgetVec before1 = m_strip->thumbnail(1)->records();
        const InfoWidgetVec before3 = m_strip->thumbnail(3)->records();
        click(m_strip->thumbnail(2), "preview_btn");
        QCOMPARE(m_editor->index(), 2);
        QCOMPARE(m_editor->type(), 1);
        QTest::mouseClick(button(m_editor.get(), "save_btn"), Qt::LeftButton);
        QCOMPARE(m_strip->thumbnail(1)->records(), before1);
        QCOMPARE(m_strip->thumbnail(3)->records(), before3);

        click(m_strip->thumbnail(2), "close_btn");
        QCOMPARE(indexesOf(*m_strip), QList<int>({1, 3}));
    }

    void usingOneLayoutAfterAnother()
    {
        saveNew(1, false); // A
        saveNew(0, false); // B
        LayoutWidget* a = m_strip->thumbnail(0);
        LayoutWidget* b = m_strip->thumbnail(1);
        click(a, "operate_btn");
        checkInUse(a);
        QVERIFY(a->operateButton()->isHidden()); // the buttons of the layout just used hide
        click(b, "operate_btn");
        checkInUse(b);
        checkIdle(a, 2);
        QVERIFY(a->mask()->isHidden());
        QCOMPARE(signalsReceived(), QStringList({"use", "use"}));
        const Received& used = m_received[1];
        QCOMPARE(used.records, b->records());
        QCOMPARE(used.count, 2);
        QCOMPARE(used.isImageNum, 1);
        QCOMPARE(used.last, 1); // lecture_in_chief
        QCOMPARE(m_received[0].last, 0);

        // Full screen of the layout in use.
        click(b, "operate_btn");
        QCOMPARE(m_received.last().signal, QString("fullScreen"));
        QCOMPARE(m_received.last().records, b->records());
        QCOMPARE(m_received.last().last, 1); // one camera tile

        // "取消", then a second use.
        m_received.clear();
        click(b, "preview_btn");
        checkIdle(b, 0);
        QCOMPARE(signalsReceived(), QStringList{"cancel"});
        click(b, "operate_btn");
        checkInUse(b);
        QCOMPARE(signalsReceived(), QStringList({"cancel", "use"}));
        QCOMPARE(m_received.last().records, b->records());
    }

    void deletingTheLayoutInUse()
    {
        saveNew(0, true);
        saveNew(1, false);
        QPointer<LayoutWidget> used = m_strip->thumbnail(0);
        m_received.clear();
        click(used, "close_btn");
        QCOMPARE(signalsReceived(), QStringList{"close"});
        QCOMPARE(m_received[0].rowIndexes, QList<int>({0, 1})); // still in the row then
        QCOMPARE(indexesOf(*m_strip), QList<int>{1});
        QCOMPARE(m_strip->layoutCount(), 1);
        QVERIFY(used); // released after its own click has returned
        QVERIFY(used->isHidden());
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!used);

        // A layout not in use goes without a word to the canvas.
        click(m_strip->thumbnail(1), "close_btn");
        QCOMPARE(signalsReceived(), QStringList{"close"});
    }

    void saveAndUseWithCounts()
    {
        saveNew(2, true); // one camera, two pictures
        LayoutWidget* t = m_strip->thumbnail(0);
        QCOMPARE(signalsReceived(), QStringList{"use"});
        QCOMPARE(m_received[0].count, 3);
        QCOMPARE(m_received[0].isImageNum, 2);
        QCOMPARE(m_received[0].last, 0);
        QCOMPARE(contentsOf(m_received[0].records), QStringList({cam, "a.png", "b.png"}));
        QCOMPARE(m_received[0].records[1]->filePath, m_dir.path() + "/a/pic0.png");
        QCOMPARE(t->getCamNum(), 1);
        checkInUse(t);

        // Edited and saved-and-used again: new records, the same counts, one use.
        click(t, "preview_btn"); // cancels first
        const InfoWidgetVec first = t->records();
        m_received.clear();
        saveAgain(t, true);
        QCOMPARE(signalsReceived(), QStringList{"use"});
        QCOMPARE(m_received[0].records, t->records());
        QVERIFY(t->records()[0] != first[0]);
        QCOMPARE(t->getCount(), 3);
        QCOMPARE(t->getImageNum(), 2);
        QCOMPARE(t->getCamNum(), 1);
        QCOMPARE(t->boxes().size(), 3);
        checkInUse(t);
    }

    void savingWhileALayoutIsInUse()
    {
        saveNew(1, true); // A, in use
        LayoutWidget* a = m_strip->thumbnail(0);
        const InfoWidgetVec first = a->records();

        // "保 存" of the layout in use (its editor opened before it was used): it stays in use and
        // the canvas gets its new records once.
        m_received.clear();
        saveAgain(a, false);
        checkInUse(a);
        QCOMPARE(signalsReceived(), QStringList{"use"});
        QCOMPARE(m_received[0].records, a->records());
        QVERIFY(m_received[0].records[0] != first[0]);

        // A new layout saved while A is in use: A's records once more.
        m_received.clear();
        saveNew(0, false);
        QCOMPARE(signalsReceived(), QStringList{"use"});
        QCOMPARE(m_received[0].records, a->records());
        QCOMPARE(m_strip->thumbnail(1)->getState(), 0);

        // None in use: saving sends nothing.
        click(a, "preview_btn");
        m_received.clear();
        saveNew(1, false);
        saveAgain(m_strip->thumbnail(1), false);
        QVERIFY(signalsReceived().isEmpty());
    }

    void recordsOutliveTheirThumbnail()
    {
        saveNew(2, true);
        QPointer<LayoutWidget> t = m_strip->thumbnail(0);
        const InfoWidgetVec kept = m_received[0].records;
        const QStringList contents = contentsOf(kept);
        const float x = kept[2]->rect.x;

        click(t, "preview_btn");
        m_strip->preview_clicked(t->records(), t->getType(), t->getIndex(), 0, 0);
        m_editor->tiles()[0]->setPicture("b.png");
        QTest::mouseClick(button(m_editor.get(), "save_btn"), Qt::LeftButton);
        QCOMPARE(contentsOf(t->records()), QStringList({"b.png", "a.png", "b.png"}));
        click(t, "close_btn");
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        QVERIFY(!t);

        QCOMPARE(contentsOf(kept), contents);
        QCOMPARE(kept[0]->kind, 0);
        QCOMPARE(kept[2]->rect.x, x);
        QCOMPARE(kept[2]->folder, m_dir.path() + "/b");
    }

    void thumbnailBoxesAndHover()
    {
        saveNew(2, false);
        LayoutWidget* t = m_strip->thumbnail(0);
        QCOMPARE(t->size(), QSize(140, 76));
        QStringList texts;
        QList<QRect> rects;
        for (QLabel* box : t->boxes()) {
            texts << box->text();
            rects << box->geometry();
        }
        QCOMPARE(texts, QStringList({cam, "文档", "文档"}));
        // (16, 58, 384, 216), (414, 58, 170, 96), (414, 178, 170, 96) of 600 x 338, truncated on 140 x 76.
        QCOMPARE(rects, QList<QRect>({{3, 13, 89, 48}, {96, 13, 39, 21}, {96, 40, 39, 21}}));

        const auto enter = [t] {
            QEvent e(QEvent::Enter);
            QCoreApplication::sendEvent(t, &e);
        };
        const auto leave = [t] {
            QEvent e(QEvent::Leave);
            QCoreApplication::sendEvent(t, &e);
        };
        enter();
        QVERIFY(!t->mask()->isHidden());
        QCOMPARE(t->mask()->size(), t->size());
        QVERIFY(!t->previewButton()->isHidden());
        leave();
        QVERIFY(t->mask()->isHidden());
        enter();
        click(t, "operate_btn");
        enter();
        QVERIFY(!t->closeButton()->isHidden());
        leave();
        QVERIFY(!t->mask()->isHidden()); // the layout in use stays dimmed with its tag
        QVERIFY(t->operateButton()->isHidden() && t->previewButton()->isHidden() &&
                t->closeButton()->isHidden());
    }

    void wheelSteps_data()
    {
        QTest::addColumn<int>("left");
        QTest::addColumn<int>("maximum");
        QTest::addColumn<bool>("away");
        QTest::addColumn<int>("expected"); // 1 = stays
        QTest::newRow("away at the start") << 0 << 500 << true << 1;
        QTest::newRow("away by a step") << -400 << 500 << true << -220;
        QTest::newRow("away to the start") << -100 << 500 << true << 0;
        QTest::newRow("towards by a step") << 0 << 500 << false << -180;
        QTest::newRow("towards to the end") << -400 << 500 << false << -500;
        QTest::newRow("towards at the end") << -500 << 500 << false << -500;
        QTest::newRow("towards past the end") << -501 << 500 << false << 1;
    }
    void wheelSteps()
    {
        QFETCH(int, left);
        QFETCH(int, maximum);
        QFETCH(bool, away);
        QFETCH(int, expected);
        const std::optional<int> next = scenestrip::wheelLeft(left, maximum, away);
        QCOMPARE(next.value_or(1), expected);
    }

    void wheelScrollsTheRow()
    {
        auto* area = m_strip->findChild<QScrollArea*>("scrollArea");
        QWidget* contents = m_strip->findChild<QWidget*>("scrollAreaWidgetContents");
        QScrollBar* bar = area->horizontalScrollBar();
        const auto wheel = [this](int y, int delta) {
            QWheelEvent e(QPointF(300, y), m_strip->mapToGlobal(QPoint(300, y)), QPoint(), QPoint(0, delta),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
            QCoreApplication::sendEvent(m_strip.get(), &e);
        };

        saveNew(0, false);
        QTRY_COMPARE(bar->maximum(), 0);
        wheel(60, -120);
        QCOMPARE(contents->x(), 0);

        for (int i = 1; i < scenestrip::kMaxLayouts; ++i)
            saveNew(0, false);
        QTRY_VERIFY(bar->maximum() > 0);
        const int M = bar->maximum();
        QVERIFY(M > 3 * 180 && M < 4 * 180); // 10 thumbnails of 140 with gaps of 8 on 861
        wheel(28, -120);                     // over the header
        QCOMPARE(contents->x(), 0);
        wheel(29, -120);
        QCOMPARE(contents->x(), -180);
        QCOMPARE(bar->value(), 180);
        for (int i = 0; i < 4; ++i)
            wheel(60, -120);
        QCOMPARE(contents->x(), -M);
        QCOMPARE(bar->value(), M);
        wheel(60, 120);
        QCOMPARE(contents->x(), -M + 180);
        for (int i = 0; i < 4; ++i)
            wheel(60, 120);
        QCOMPARE(contents->x(), 0);
        QCOMPARE(bar->value(), 0);
    }
};

QTEST_MAIN(tst_SceneLayoutControl)
#include "tst_SceneLayoutControl.moc"
