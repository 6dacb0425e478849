// test-label: unit
// The layout editor offscreen: new layouts, adding and removing tiles, loading a saved layout,
// saving, closing, the background area with its delayed chooser request, and the hints.
#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/CustomFrameLabel.h"
#include "scenes/MyWidgetPatter.h"
#include "scenes/SceneLayoutPresets.h"
#include "scenes/ScenePictures.h"
#include "scenes/SceneRecords.h"
#include "support/TestPictures.h"
#include "widgets/PopTipDlg.h"

#include <QFrame>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTemporaryDir>
#include <QtTest>

#include <memory>

namespace {
const QString cam = QStringLiteral("摄像头");
const QString none = QStringLiteral("请选择");
const QString frameSelected =
    QStringLiteral("QFrame#%1{ border-radius: 8px;border: 2px solid #0669F5; background-color: rgb(41, 44, 62);}");
const QString frameplain = QStringLiteral("QFrame#%1 { border-radius: 8px; background-color: rgb(41, 44, 62);}");
const QString areaDefault =
    QStringLiteral("QWidget#preview_widget { border-image: url(:/images/live/backgroud.png); }");

struct Saved {
    std::vector<PreviewWidget*> tiles;
    int type = -1;
    bool isPreview = false;
    int index = -1;
    QString path;
    QStringList contents; // read during the emission, as the strip does
};

InfoWidgetPtr record(const QString& content, const PosWeight& rect, int num, const QString& background = {})
{
    auto info = std::make_shared<InfoWidget>();
    info->content = content;
    info->rect = rect;
    info->num = num;
    info->background = background;
    return info;
}

} // namespace

class tst_AddSceneDialog : public QObject
{
    Q_OBJECT
private:
    QTemporaryDir m_dir;
    SceneDocumentList m_docs;
    std::unique_ptr<AddSceneDialog> m_editor;
    QList<Saved> m_saved;
    QList<Saved> m_savedAndUsed;

    template <typename T> T* child(const char* name) { return m_editor->findChild<T*>(name); }
    QPushButton* button(const char* name) { return child<QPushButton>(name); }
    QString countText() { return button("add_scene_btn")->text(); }
    QString hintText() { return m_editor->tipDlg()->textLabel()->text(); }
    QPoint hintPos()
    {
        const QPoint topLeft = m_editor->mapToGlobal(QPoint(0, 0));
        return {topLeft.x() + (m_editor->width() - 266) / 2, topLeft.y() + 12};
    }
    QPushButton* closeButton(PreviewWidget* tile) { return tile->findChild<QPushButton*>("closeButton"); }
    QStringList contents()
    {
        QStringList out;
        for (PreviewWidget* t : m_editor->tiles())
            out << t->content();
        return out;
    }
    QList<int> numbers()
    {
        QList<int> out;
        for (PreviewWidget* t : m_editor->tiles())
            out << t->getNum();
        return out;
    }
    QString frameStyle(const char* name) { return child<QFrame>(name)->styleSheet(); }
    void pressFrame(const char* name) { QTest::mousePress(child<QFrame>(name), Qt::RightButton, {}, QPoint(5, 5)); }
    // Chooses a picture for every tile still asking for one.
    void chooseAll()
    {
        for (PreviewWidget* t : m_editor->tiles())
            if (t->content() == none)
                QVERIFY(t->setPicture("a.png"));
    }

private slots:
    void initTestCase()
    {
        QVERIFY(m_dir.isValid());
        CDataCenter::setInstanceForTesting(std::make_shared<CDataCenter>(m_dir.path() + "/config.ini"));
        QDir().mkpath(m_dir.path() + "/a");
        testsupport::writePicture(m_dir.path() + "/a/pic0.png", QSize(64, 36), Qt::blue);
        testsupport::writePicture(m_dir.path() + "/bg.png", QSize(192, 108), Qt::red);
        setSceneDocumentSource([this] { return m_docs; });
    }
    void init()
    {
        m_docs = {{"a.png", m_dir.path() + "/a"}};
        m_saved.clear();
        m_savedAndUsed.clear();
        m_editor.reset(new AddSceneDialog);
        auto keep = [](QList<Saved>& into) {
            return [&into](std::vector<PreviewWidget*> tiles, int type, bool isPreview, int index, QString path) {
                QStringList contents;
                for (PreviewWidget* t : tiles)
                    contents << t->content();
                into.append({tiles, type, isPreview, index, path, contents});
            };
        };
        connect(m_editor.get(), &AddSceneDialog::save_clicked, this, keep(m_saved));
        connect(m_editor.get(), &AddSceneDialog::save_and_use_clicked, this, keep(m_savedAndUsed));
        m_editor->move(100, 40);
        m_editor->show();
        QVERIFY(QTest::qWaitForWindowExposed(m_editor.get()));
    }
    void cleanup() { m_editor.reset(); }
    void cleanupTestCase()
    {
        setSceneDocumentSource(nullptr);
        CDataCenter::setInstanceForTesting(nullptr);
    }

    void formAndWindow()
    {
        QVERIFY(m_editor->windowFlags() & Qt::FramelessWindowHint);
        QVERIFY(m_editor->testAttribute(Qt::WA_ShowModal));
        QCOMPARE(m_editor->windowTitle(), QStringLiteral("画面布局编辑窗口"));
        QCOMPARE(m_editor->size(), QSize(896, 640));
        QCOMPARE(child<QWidget>("preview_widget")->geometry(), QRect(24, 213, 600, 338));
        QCOMPARE(child<QWidget>("BKwidget")->geometry(), QRect(648, 241, 224, 126));
        QCOMPARE(button("save_and_use_btn")->text(), QStringLiteral("保存并使用"));
        QCOMPARE(button("cancel_btn")->text(), QStringLiteral("取 消"));
        for (const char* hidden : {"triple_screen_frame", "four_screen_frame", "speaker_frame"})
            QVERIFY2(child<QWidget>(hidden)->isHidden(), hidden);
        for (const char* shown : {"lecture_in_chief_frame", "one_for_one_frame", "courseware_frame"})
            QVERIFY2(child<QWidget>(shown)->isVisible(), shown);
    }

    void newLayoutIsLectureInChiefAndCannotBeSavedAtOnce()
    {
        m_editor->resetForNew(false, 0);
        QCOMPARE(m_editor->tileCount(), 2);
        QCOMPARE(contents(), QStringList({none, cam}));
        QCOMPARE(m_editor->tiles()[0]->geometry(), QRect(0, 0, 600, 338));
        QCOMPARE(m_editor->tiles()[1]->geometry(), QRect(440, 250, 160, 88));
        QCOMPARE(m_editor->tiles()[1]->posWeight().x, 440.f / 600.f);
        QCOMPARE(countText(), QStringLiteral("添加画面(2/20)"));
        QCOMPARE(frameStyle("lecture_in_chief_frame"), frameSelected.arg("lecture_in_chief_frame"));
        QCOMPARE(frameStyle("one_for_one_frame"), frameplain.arg("one_for_one_frame"));

        QTest::mouseClick(button("save_btn"), Qt::LeftButton);
        QTest::mouseClick(button("save_and_use_btn"), Qt::LeftButton);
        QVERIFY(m_saved.isEmpty());
        QVERIFY(m_savedAndUsed.isEmpty());
        QVERIFY(m_editor->isVisible());
        QVERIFY(m_editor->tipDlg()->isVisible());
        QCOMPARE(hintText(), QStringLiteral("请选择画面展示内容"));
        QCOMPARE(m_editor->tipDlg()->pos(), hintPos());
        QCOMPARE(m_editor->tipDlg()->pos(), QPoint(100 + (896 - 266) / 2, 40 + 12));
    }

    void presetFramesReplaceTheTiles()
    {
        m_editor->resetForNew(false, 0);
        QPointer<PreviewWidget> old = m_editor->tiles()[0];
        pressFrame("courseware_frame");
        QCOMPARE(m_editor->type(), 2);
        QCOMPARE(m_editor->tileCount(), 3);
        QCOMPARE(contents(), QStringList({cam, none, none}));
        QCOMPARE(m_editor->tiles()[2]->geometry(), QRect(414, 178, 170, 96));
        QCOMPARE(countText(), QStringLiteral("添加画面(3/20)"));
        QCOMPARE(frameStyle("courseware_frame"), frameSelected.arg("courseware_frame"));
        QCOMPARE(frameStyle("lecture_in_chief_frame"), frameplain.arg("lecture_in_chief_frame"));
        QTest::qWait(0);
        QVERIFY(old.isNull()); // the replaced tiles are released

        pressFrame("one_for_one_frame");
        const PosWeight w = m_editor->tiles()[1]->posWeight();
        QCOMPARE(w.x, 304.f / 600.f);
        QCOMPARE(w.h, 158.f / 338.f);
        QCOMPARE(contents(), QStringList({cam, none}));

        // The hidden presets still build through their slots.
        m_editor->on_speaker_frame_clicked();
        QCOMPARE(m_editor->type(), 5);
        QCOMPARE(m_editor->tileCount(), 4);
    }

    void addsUpToTwentyAndGrowsTheSmallTile()
    {
        m_editor->resetForNew(false, 0);
        for (int i = 0; i < 18; ++i)
            QTest::mouseClick(button("add_scene_btn"), Qt::LeftButton);
        QCOMPARE(m_editor->tileCount(), 20);
        QCOMPARE(countText(), QStringLiteral("添加画面(20/20)"));
        PreviewWidget* added = m_editor->tiles().back();
        QCOMPARE(added->getNum(), 20);
        QCOMPARE(added->content(), none);
        QCOMPARE(added->geometry(), QRect(430, 242, 170, 96));
        QCOMPARE(added->posWeight().y, 242.f / 338.f);
        QVERIFY(m_editor->tipDlg()->isHidden());

        QTest::mouseClick(button("add_scene_btn"), Qt::LeftButton);
        QCOMPARE(m_editor->tileCount(), 20);
        QCOMPARE(int(m_editor->tiles().size()), 20);
        QVERIFY(m_editor->tipDlg()->isVisible());
        QCOMPARE(hintText(), QStringLiteral("最多支持添加20个画面！"));

        m_editor->resetForNew(false, 0);
        QCOMPARE(m_editor->tiles()[1]->geometry(), QRect(430, 242, 170, 96));
    }

    void removingRenumbersAndKeepsOneTile()
    {
        m_editor->resetForNew(false, 0);
        for (int i = 0; i < 3; ++i)
            QTest::mouseClick(button("add_scene_btn"), Qt::LeftButton);
        QPointer<PreviewWidget> third = m_editor->tiles()[2];
        PreviewWidget* fourth = m_editor->tiles()[3];
        closeButton(third)->click();
        QCOMPARE(numbers(), QList<int>({1, 2, 3, 4}));
        QVERIFY(!m_editor->tiles()[2]->isRemoveMarked());
        QVERIFY(m_editor->tiles()[2] == fourth);
        QCOMPARE(fourth->findChild<QLabel*>("labelnum")->text(), QStringLiteral("画面3"));
        QCOMPARE(fourth->findChild<QLabel*>("overWidgetlabel")->text(), QStringLiteral("画面3"));
        QCOMPARE(countText(), QStringLiteral("添加画面(4/20)"));
        QVERIFY(third->isHidden());
        QTest::qWait(0);
        QVERIFY(third.isNull()); // released, not only closed

        // Down to one tile: the last one is refused, and a later removal takes only its own tile.
        for (int i = 3; i > 0; --i)
            closeButton(m_editor->tiles()[i])->click();
        QCOMPARE(m_editor->tileCount(), 1);
        PreviewWidget* only = m_editor->tiles()[0];
        closeButton(only)->click();
        QCOMPARE(m_editor->tileCount(), 1);
        QVERIFY(m_editor->tiles()[0] == only);
        QVERIFY(!only->isRemoveMarked());
        QCOMPARE(hintText(), QStringLiteral("请至少保留一个画面"));
        QTest::mouseClick(button("add_scene_btn"), Qt::LeftButton);
        PreviewWidget* second = m_editor->tiles()[1];
        closeButton(second)->click();
        QCOMPARE(m_editor->tileCount(), 1);
        QVERIFY(m_editor->tiles()[0] == only);
        QCOMPARE(only->getNum(), 1);
        QCOMPARE(countText(), QStringLiteral("添加画面(1/20)"));
    }

    void loadScene_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QString>("background");
        QTest::addColumn<QString>("selectedFrame");
        QTest::newRow("one_for_one with a background") << 1 << m_dir.path() + "/bg.png" << "one_for_one_frame";
        QTest::newRow("lecture_in_chief without") << 0 << QString() << "lecture_in_chief_frame";
        QTest::newRow("four_screen leaves the frames") << 4 << QString() << "courseware_frame";
    }
    void loadScene()
    {
        QFETCH(int, type);
        QFETCH(QString, background);
        QFETCH(QString, selectedFrame);
        m_editor->hide();
        m_editor->resetForNew(false, 0);
        m_editor->on_courseware_frame_clicked();
        m_editor->setBackground(m_dir.path() + "/bg.png"); // the previous editing had one

        const PosWeight r1{0.1f, 0.2f, 0.3f, 0.4f};
        const PosWeight r2{0.7166667f, 0.7159763f, 0.2833333f, 0.2840237f};
        const InfoWidgetVec infos{record("gone.png", r1, 1, background), record(cam, r2, 2, background),
                                  record("a.png", r1, 3, background), record("", r2, 4, background)};
        m_editor->loadScene(infos, type, 7, true);

        QVERIFY(m_editor->isVisible());
        QCOMPARE(m_editor->type(), type);
        QCOMPARE(m_editor->index(), 7);
        QVERIFY(m_editor->isPreview());
        QCOMPARE(numbers(), QList<int>({1, 2, 3, 4}));
        QCOMPARE(contents(), QStringList({none, cam, "a.png", none}));
        QCOMPARE(countText(), QStringLiteral("添加画面(4/20)"));
        QCOMPARE(frameStyle(selectedFrame.toLatin1()), frameSelected.arg(selectedFrame));
        for (const char* f : {"lecture_in_chief_frame", "one_for_one_frame", "courseware_frame"})
            if (f != selectedFrame)
                QCOMPARE(frameStyle(f), frameplain.arg(f));

        for (int i : {0, 2}) {
            const float x = 600.f * r1.x, y = 338.f * r1.y, w = 600.f * r1.w, h = 338.f * r1.h;
            QCOMPARE(m_editor->tiles()[i]->geometry(), QRect(int(x), int(y), int(w), int(h)));
            const PosWeight pw = m_editor->tiles()[i]->posWeight();
            QCOMPARE(pw.x, x / 600.f);
            QCOMPARE(pw.y, y / 338.f);
            QCOMPARE(pw.w, w / 600.f);
            QCOMPARE(pw.h, h / 338.f);
        }
        QCOMPARE(m_editor->tiles()[0]->geometry(), QRect(60, 67, 180, 135));
        QCOMPARE(m_editor->tiles()[1]->geometry().topLeft(), QPoint(int(600.f * r2.x), int(338.f * r2.y)));
        QCOMPARE(m_editor->tiles()[2]->filePath(), m_dir.path() + "/a/pic0.png");

        auto* area = child<MyWidgetPatter>("preview_widget");
        auto* bk = child<MyWidgetPatter>("BKwidget");
        QCOMPARE(m_editor->backgroundPath(), background);
        QCOMPARE(m_editor->hasBackground(), !background.isEmpty());
        QCOMPARE(area->picturePath(), background);
        QCOMPARE(bk->picturePath(), background);
        QCOMPARE(child<QLabel>("add_label")->isVisible(), background.isEmpty());
        QCOMPARE(child<QLabel>("add_bgd_label")->isVisible(), background.isEmpty());
        if (background.isEmpty())
            QCOMPARE(area->styleSheet(), areaDefault);

        // A new layout afterwards starts without any background.
        m_editor->resetForNew(false, 0);
        QVERIFY(m_editor->backgroundPath().isEmpty());
        QVERIFY(!m_editor->hasBackground());
        QVERIFY(area->picturePath().isEmpty());
        QVERIFY(bk->picturePath().isEmpty());
        QCOMPARE(area->styleSheet(), areaDefault);
        QVERIFY(child<QLabel>("add_label")->isVisible());
    }

    void loadSceneWithoutRecordsHasNoBackground()
    {
        m_editor->setBackground(m_dir.path() + "/bg.png");
        m_editor->loadScene({}, 2, 1, true);
        QCOMPARE(m_editor->tileCount(), 0);
        QCOMPARE(countText(), QStringLiteral("添加画面(0/20)"));
        QVERIFY(m_editor->backgroundPath().isEmpty());
    }

    void saveHandsOverTheLayoutOnce()
    {
        const PosWeight r{0.f, 0.f, 0.5f, 0.5f};
        const QString bg = m_dir.path() + "/bg.png";
        m_editor->loadScene({record(cam, r, 1, bg), record("a.png", r, 2, bg)}, 2, 3, true);
        const std::vector<PreviewWidget*> tiles = m_editor->tiles();
        QTest::mouseClick(button("save_btn"), Qt::LeftButton);
        QCOMPARE(m_saved.size(), 1);
        QVERIFY(m_savedAndUsed.isEmpty());
        QVERIFY(m_saved[0].tiles == tiles);
        QCOMPARE(m_saved[0].contents, QStringList({cam, "a.png"}));
        QCOMPARE(m_saved[0].type, 2);
        QVERIFY(m_saved[0].isPreview);
        QCOMPARE(m_saved[0].index, 3);
        QCOMPARE(m_saved[0].path, bg);
        QVERIFY(!m_editor->isPreview());
        QVERIFY(m_editor->isHidden());
        for (PreviewWidget* t : tiles)
            QVERIFY(t->overlay()->isHidden());

        // A preset built while editing keeps the flag, so the edited thumbnail is updated.
        m_editor->loadScene({record(cam, r, 1)}, 0, 5, true);
        pressFrame("one_for_one_frame");
        QVERIFY(m_editor->isPreview());
        chooseAll();
        QTest::mouseClick(button("save_and_use_btn"), Qt::LeftButton);
        QCOMPARE(m_saved.size(), 1);
        QCOMPARE(m_savedAndUsed.size(), 1);
        QCOMPARE(m_savedAndUsed[0].type, 1);
        QVERIFY(m_savedAndUsed[0].isPreview);
        QCOMPARE(m_savedAndUsed[0].index, 5);
        QVERIFY(m_savedAndUsed[0].path.isEmpty());
        QVERIFY(!m_editor->isPreview());
    }

    void closingButtonsAndEscape_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("取 消") << "cancel_btn";
        QTest::newRow("close") << "close_btn";
        QTest::newRow("Escape") << "escape";
    }
    void closingButtonsAndEscape()
    {
        QFETCH(QString, how);
        const QString bg = m_dir.path() + "/bg.png";
        m_editor->loadScene({record(cam, {0.f, 0.f, 0.5f, 0.5f}, 1, bg)}, 0, 2, true);
        m_editor->tiles()[0]->overlay()->show();
        QVERIFY(m_editor->hasBackground());
        if (how == "escape")
            QTest::keyClick(m_editor.get(), Qt::Key_Escape);
        else
            QTest::mouseClick(button(how.toLatin1()), Qt::LeftButton);
        QVERIFY(m_editor->isHidden());
        QVERIFY(!m_editor->isPreview());
        QVERIFY(!m_editor->hasBackground());
        QVERIFY(m_editor->tiles()[0]->overlay()->isHidden());
        QCOMPARE(m_editor->backgroundPath(), bg); // kept until the next opening
        QVERIFY(m_saved.isEmpty());
    }

    void backgroundPressAsksForAFileAfterThePause()
    {
        m_editor->resetForNew(false, 0);
        m_editor->setBackgroundClickInterval(600);
        QSignalSpy asked(m_editor.get(), &AddSceneDialog::send_AddBackGroundSig);
        QWidget* bk = child<QWidget>("BKwidget");
        QTest::mousePress(bk, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(m_editor->clickTimer()->isActive());
        QCOMPARE(asked.count(), 0);
        QTest::qWait(200);
        QTest::mousePress(bk, Qt::LeftButton, {}, QPoint(20, 20));
        QVERIFY(m_editor->clickTimer()->remainingTime() > 450); // the wait started again
        QVERIFY(asked.wait(2000));
        QCOMPARE(asked.count(), 1);
        QVERIFY(!m_editor->clickTimer()->isActive());
        QCOMPARE(AddSceneDialog::kBackgroundClickMs, 1000);
    }

    void closingOrSavingCancelsTheBackgroundRequest_data()
    {
        QTest::addColumn<QString>("how");
        QTest::newRow("cancel") << "cancel_btn";
        QTest::newRow("save") << "save_btn";
        QTest::newRow("save and use") << "save_and_use_btn";
    }
    void closingOrSavingCancelsTheBackgroundRequest()
    {
        QFETCH(QString, how);
        m_editor->resetForNew(false, 0);
        chooseAll();
        m_editor->setBackgroundClickInterval(50);
        QSignalSpy asked(m_editor.get(), &AddSceneDialog::send_AddBackGroundSig);
        QTest::mousePress(child<QWidget>("BKwidget"), Qt::LeftButton, {}, QPoint(20, 20));
        QTest::mouseClick(button(how.toLatin1()), Qt::LeftButton);
        QVERIFY(m_editor->isHidden());
        QVERIFY(!m_editor->clickTimer()->isActive());
        QVERIFY(!asked.wait(150));
    }

    void backgroundCoverReplacesAndDeletes()
    {
        m_editor->resetForNew(false, 0);
        auto* bk = child<MyWidgetPatter>("BKwidget");
        CustomFrameLabel* cover = m_editor->backgroundOverlay();
        QEvent enter(QEvent::Enter);
        QApplication::sendEvent(bk, &enter);
        QVERIFY(cover->isHidden()); // nothing to replace yet

        const QString bg = m_dir.path() + "/bg.png";
        m_editor->setBackground(bg);
        QCOMPARE(CDataCenter::getInstance()->sceneBackground, bg);
        QVERIFY(child<QLabel>("add_label")->isHidden());
        QApplication::sendEvent(bk, &enter);
        QVERIFY(cover->isVisible());
        QCOMPARE(cover->size(), bk->size());
        QVERIFY(cover->windowFlags() & Qt::Tool);

        QSignalSpy asked(m_editor.get(), &AddSceneDialog::send_AddBackGroundSig);
        QPushButton* replace = nullptr;
        QPushButton* remove = nullptr;
        for (QPushButton* b : cover->findChildren<QPushButton*>())
            (b->text() == QStringLiteral("替换") ? replace : remove) = b;
        QVERIFY(replace && remove);
        QCOMPARE(remove->text(), QStringLiteral("删除"));
        replace->click();
        QCOMPARE(asked.count(), 1);

        remove->click();
        QVERIFY(cover->isHidden());
        QVERIFY(m_editor->backgroundPath().isEmpty());
        QVERIFY(!m_editor->hasBackground());
        QVERIFY(bk->picturePath().isEmpty());
        QCOMPARE(child<QWidget>("preview_widget")->styleSheet(), areaDefault);
        QVERIFY(child<QLabel>("add_label")->isVisible());
        QVERIFY(child<QLabel>("add_bgd_label")->isVisible());

        QEvent leave(QEvent::Leave);
        m_editor->setBackground(bg);
        QApplication::sendEvent(bk, &enter);
        QApplication::sendEvent(cover, &leave);
        QVERIFY(cover->isHidden());
    }

    void coverFollowsTheDialog()
    {
        m_editor->resetForNew(false, 0);
        CustomFrameLabel* cover = m_editor->backgroundOverlay();
        QTRY_COMPARE(cover->pos(), m_editor->mapToGlobal(QPoint(648, 241)));
        m_editor->move(300, 200);
        QTRY_COMPARE(cover->pos(), QPoint(300 + 648, 200 + 241));

        // Dragging by the top band moves the dialog, and the cover with it.
        QTest::mousePress(m_editor.get(), Qt::LeftButton, {}, QPoint(400, 20));
        QMouseEvent move(QEvent::MouseMove, QPoint(430, 30), m_editor->mapToGlobal(QPoint(430, 30)), Qt::NoButton,
                         Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_editor.get(), &move);
        QCOMPARE(m_editor->pos(), QPoint(330, 210));
        QTRY_COMPARE(cover->pos(), QPoint(330 + 648, 210 + 241));
        QMouseEvent below(QEvent::MouseMove, QPoint(400, 300), m_editor->mapToGlobal(QPoint(450, 300)), Qt::NoButton,
                          Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(m_editor.get(), &below);
        QCOMPARE(m_editor->pos(), QPoint(330, 210));
    }

    void aLaterHintKeepsItsFullTime()
    {
        m_editor->setHintDuration(300);
        m_editor->resetForNew(false, 0);
        closeButton(m_editor->tiles()[1])->click();
        QTest::mouseClick(button("save_btn"), Qt::LeftButton);
        QCOMPARE(hintText(), QStringLiteral("请选择画面展示内容"));
        QTest::qWait(150);
        closeButton(m_editor->tiles()[0])->click();
        QCOMPARE(hintText(), QStringLiteral("请至少保留一个画面"));
        QTest::qWait(200); // past the first hint's end
        QVERIFY(m_editor->tipDlg()->isVisible());
        QTRY_VERIFY_WITH_TIMEOUT(m_editor->tipDlg()->isHidden(), 2000);
        QCOMPARE(AddSceneDialog::kHintMs, 3000);
    }

    void grabShowsTheBackground()
    {
        m_editor->resetForNew(false, 0);
        m_editor->on_one_for_one_frame_clicked();
        QImage plain = m_editor->grab().toImage();
        const QPoint inArea(24 + 8, 213 + 8);    // outside both tiles
        const QPoint inBk(648 + 20, 241 + 100); // below the add labels
        QVERIFY(plain.pixelColor(inArea) != QColor(Qt::red));

        m_editor->setBackground(m_dir.path() + "/bg.png");
        PictureDecoder::waitForIdle(); // the background is read off the window's thread
        const QImage shot = m_editor->grab().toImage();
        QCOMPARE(shot.pixelColor(inArea), QColor(Qt::red));
        QCOMPARE(shot.pixelColor(inBk), QColor(Qt::red));
        QVERIFY(shot.pixelColor(QPoint(24 + 310, 213 + 100)) != QColor(Qt::red)); // tile 2 lies over it
    }
};

QTEST_MAIN(tst_AddSceneDialog)
#include "tst_AddSceneDialog.moc"
