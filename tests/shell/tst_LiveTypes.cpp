// test-label: unit
// The tool switch of the main window: panels, placeholders, canvas sources and the question that
// guards a running share; offscreen against the engine fake and the panels' stand-ins.
#include "support/DocumentFixtures.h"
#include "support/FakeLiveCore.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/StoreDir.h"

#include "canvas/AppPopupWindow.h"
#include "canvas/DesktopShareDialog.h"
#include "canvas/FloatingWindow.h"
#include "cohost/SceneWidget.h"
#include "core/DataCenter.h"
#include "documents/DocumentControl.h"
#include "documents/DocumentCreateWidget.h"
#include "documents/DocumentShareWidget.h"
#include "documents/WhiteBoardControl.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/SceneLayoutControl.h"
#include "shell/MyButton.h"
#include "widgets/LogoutDialog.h"
#include "widgets/PopTipDlg.h"

#include <QDir>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QVBoxLayout>
#include <QtTest>

using Access = LiveMainWindowTestAccess;
using mainwin::LiveType;

namespace
{

const char* kToolButtons[] = {"document_btn", "whiteboard_btn", "desktop_share_btn", "layout_btn",
                              "conn_mic_btn"};

// The widgets of a layout and its nested layouts, in order.
QList<QWidget*> widgetsOf(QLayout* layout)
{
    QList<QWidget*> widgets;
    for (int i = 0; layout && i < layout->count(); ++i) {
        QLayoutItem* item = layout->itemAt(i);
        if (item->widget())
            widgets << item->widget();
        else if (item->layout())
            widgets << widgetsOf(item->layout());
    }
    return widgets;
}

// Which tool buttons carry the selected flag, by object name.
QStringList selectedButtons(LiveMainWindow& w)
{
    QStringList names;
    for (const char* name : kToolButtons)
        if (formWidget<MyButton>(w, name)->isSelected())
            names << name;
    return names;
}

// A window set up after login, with the modal runs answered by `answer` and counted.
struct Fixture {
    FakeLiveCore core;
    LoginInfo info;
    LiveMainWindow w;
    QStringList runs;               // classes of the dialogs run modally, in order
    int answer = QDialog::Rejected; // what a question is answered with
    bool refreshedWhileShown = false; // the picker's refresh ran during its modal run

    Fixture()
    {
        info.uid = 4242;
        info.name = "host";
        Access::setModalDialogRunner([this](QDialog& dialog) {
            runs << dialog.metaObject()->className();
            if (auto* picker = qobject_cast<DesktopShareDialog*>(&dialog)) {
                picker->show();
                refreshedWhileShown = refreshTimer(picker)->isActive();
                picker->close();
                return int(QDialog::Rejected);
            }
            return answer;
        });
        w.initLiveMainWindowParams(&info);
        runs.clear();
        core.clearCalls();
    }
    ~Fixture()
    {
        Access::setModalDialogRunner([](QDialog&) { return int(QDialog::Rejected); });
    }

    static QTimer* refreshTimer(DesktopShareDialog* picker)
    {
        return picker->findChild<QTimer*>("refresh_timer");
    }
    QList<QWidget*> placeholder() { return widgetsOf(Access::placeholderLayout(w)); }
    QList<QWidget*> panels() { return widgetsOf(Access::toolPanelLayout(w)); }
    // An applied scene with a background, a picture tile and two camera tiles on the canvas.
    void applyScene()
    {
        core.sources << "image_source1"
                     << "image_source2"
                     << "camera source1";
        core.scene << "image_source1"
                   << "image_source2"
                   << "camera source1";
        Access::sceneSources(w) = {SceneSourceInfo{"image_source1", 0, 0, 0, 0, "", "", true, -1},
                                   SceneSourceInfo{"image_source2", 0, 0, 1, 1, "d", "d/pic0.png", false, 1}};
        Access::cameraNames(w) = {"camera source", "camera source1"};
        Access::pageIndexes(w) = {{"image_source2", 3}};
    }
};

void checkPlaceholder(const QList<QWidget*>& widgets, const char* picture, const char* button,
                      const char* hint, int hintWidth)
{
    QCOMPARE(widgets.size(), 3);
    QCOMPARE(widgets[0]->size(), QSize(72, 72));
    QCOMPARE(widgets[0]->styleSheet(), QString("border-image: url(:/images/live/%1)").arg(picture));
    auto* add = qobject_cast<QPushButton*>(widgets[1]);
    QVERIFY(add);
    QCOMPARE(add->text(), QString::fromUtf8(button));
    QCOMPARE(add->size(), QSize(108, 33));
    auto* label = qobject_cast<QLabel*>(widgets[2]);
    QVERIFY(label);
    QCOMPARE(label->text(), QString::fromUtf8(hint));
    QCOMPARE(label->size(), QSize(hintWidth, 20));
    QCOMPARE(label->alignment(), Qt::AlignCenter);
}

} // namespace

class tst_LiveTypes : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void documentToolWithoutDocuments();
    void documentToolWithDocuments();
    void documentPanelConnectedOnce();
    void leavingDocumentsPutsTheCameraBack_data();
    void leavingDocumentsPutsTheCameraBack();
    void whiteBoardToolKeepsTheCanvas();
    void shareTool_data();
    void shareTool();
    void sceneTool_data();
    void sceneTool();
    void layoutPlaceholderKeepsTheLimit();
    void toolButtons_data();
    void toolButtons();
    void shareQuestionDeclined();
    void shareQuestionAccepted();
    void shareQuestionFromCoHostInvitation();
    void showDocumentLayout_data();
    void showDocumentLayout();

private:
    QTemporaryDir m_dir;
};

void tst_LiveTypes::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
}

void tst_LiveTypes::documentToolWithoutDocuments()
{
    Fixture f;
    f.applyScene();
    Access::curPagePath(f.w) = "old/pic2.png";
    f.w.selectLivetype(mainwin::LiveTypeDocument);

    QCOMPARE(Access::curPagePath(f.w), QString());
    checkPlaceholder(f.placeholder(), "documentLayout.png", "添加文档", "支持PDF/DOC/DOCX/PPT/PPTX", 216);
    QCOMPARE(f.panels(), QList<QWidget*>{Access::documentControl(f.w)});
    QVERIFY(!Access::documentControl(f.w)->isHidden());

    // The scene's pictures and camera copies leave the canvas; the host camera stays.
    QCOMPARE(f.core.callsNamed("scene_remove_source"),
             (QStringList{"scene_remove_source(image_source1)", "scene_remove_source(image_source2)",
                          "scene_remove_source(camera source1)"}));
    QVERIFY(Access::sceneSources(f.w).empty());
    QVERIFY(Access::cameraNames(f.w).empty());
    QCOMPARE(f.core.count("source_set_camera_device"), 0); // the camera was not put back

    // Built anew each time: choosing the tool again leaves one placeholder, not two.
    f.w.selectLivetype(mainwin::LiveTypeDocument);
    QCOMPARE(f.placeholder().size(), 3);
    QCOMPARE(Access::placeholderLayout(f.w)->count(), 5); // spacer, three rows, spacer

    // "添加文档" opens the document list on its first page.
    DocumentShareWidget* list = Access::documents(f.w);
    QTest::mouseClick(qobject_cast<QPushButton*>(f.placeholder()[1]), Qt::LeftButton);
    QCOMPARE(list->currentPage(), QString("1"));
    QVERIFY(!list->isHidden());
}

void tst_LiveTypes::documentToolWithDocuments()
{
    Fixture f;
    Access::documentControl(f.w)->addDocument("doc", "a.pdf");
    Access::curPagePath(f.w) = "doc/pic4.png";
    f.w.selectLivetype(mainwin::LiveTypeDesktopShare);

    f.core.clearCalls();
    f.w.selectLivetype(mainwin::LiveTypeDocument);
    // The page open before goes back on the canvas.
    QCOMPARE(f.core.count("source_set_camera_device"), 0);
    QVERIFY(f.core.callsNamed("source_set_image_file")
                .contains("source_set_image_file(image_source,doc/pic4.png,false)"));
    QVERIFY(f.core.scene.contains("image_source"));
    QVERIFY(!Access::overlayLabel(f.w, 1)->isHidden());
    QVERIFY(f.placeholder().isEmpty());
    QCOMPARE(Access::curPagePath(f.w), QString("doc/pic4.png"));
    QCOMPARE(f.panels(), QList<QWidget*>{Access::documentControl(f.w)});
}

void tst_LiveTypes::documentPanelConnectedOnce()
{
    Fixture f;
    for (int i = 0; i < 3; ++i)
        f.w.selectLivetype(mainwin::LiveTypeDocument);
    DocumentControl* panel = Access::documentControl(f.w);
    DocumentShareWidget* list = Access::documents(f.w);
    emit panel->sendAddDoc();
    QVERIFY(!list->isHidden());
    list->hide();

    // A document in use goes back to converted when its tab closes.
    auto store = CDataCenter::getInstance();
    const QString key = "svpczsjz_a_.pdf_10";
    QVERIFY(testsupport::writeCachedDocument(store->userDocDir, key));
    store->setDocInfoValue("0", key);
    store->setDocInfoValue("count", "1");
    list->loadSavedDocuments();
    DocumentCreateWidget* tile = list->tiles().first();
    tile->setState(DocumentCreateWidget::StateInUse);
    emit panel->sendResetStatusSig(tile->pageDir(), "a.pdf");
    QCOMPARE(tile->state(), int(DocumentCreateWidget::StateDone));
    // The panel asks for the camera's rectangle before it shows another page.
    f.core.rects["camera source"] = QRectF(300, 200, 400, 225);
    emit panel->sigGetCameraPos();
    const docpage::CameraRect saved = Access::docCameraRect(f.w);
    QCOMPARE(QRectF(saved.x, saved.y, saved.width, saved.height), QRectF(300, 200, 400, 225));
    f.core.clearCalls();
    emit panel->sendDocumentSharePicSig("doc/pic1.png");
    QCOMPARE(Access::curPagePath(f.w), QString("doc/pic1.png"));
    QCOMPARE(f.core.count("core_create_image_source"), 1);
}

void tst_LiveTypes::leavingDocumentsPutsTheCameraBack_data()
{
    QTest::addColumn<bool>("documentOpen");
    QTest::addColumn<bool>("overlayWanted");
    QTest::addColumn<bool>("putBack");
    QTest::newRow("open, overlay taken off") << true << false << true;
    QTest::newRow("open, overlay wanted") << true << true << false;
    QTest::newRow("none open") << false << false << false;
}

void tst_LiveTypes::leavingDocumentsPutsTheCameraBack()
{
    QFETCH(bool, documentOpen);
    QFETCH(bool, overlayWanted);
    QFETCH(bool, putBack);
    Fixture f;
    if (documentOpen)
        Access::documentControl(f.w)->addDocument("doc", "a.pdf");
    Access::docCameraOverlay(f.w) = overlayWanted;
    f.core.cameras << "cam";
    f.core.clearCalls();
    f.w.selectLivetype(mainwin::LiveTypeWhiteBoard);
    QCOMPARE(f.core.count("source_set_camera_device"), putBack ? 1 : 0);
    QCOMPARE(Access::docCameraOverlay(f.w), overlayWanted || putBack);
    QVERIFY(Access::documentControl(f.w)->isHidden());
}

void tst_LiveTypes::whiteBoardToolKeepsTheCanvas()
{
    Fixture f;
    f.applyScene();
    Access::overlayLabel(f.w, 1)->show();
    Access::overlayLabel(f.w, 2)->show();
    f.w.selectLivetype(mainwin::LiveTypeWhiteBoard);

    QCOMPARE(f.core.count("scene_remove_source"), 0);
    QCOMPARE(Access::sceneSources(f.w).size(), size_t(2));
    QVERIFY(Access::overlayLabel(f.w, 1)->isHidden());
    QVERIFY(Access::overlayLabel(f.w, 2)->isHidden());
    QVERIFY(f.placeholder().isEmpty());
    WhiteBoardControl* panel = Access::whiteBoardControl(f.w);
    QCOMPARE(f.panels(), QList<QWidget*>{panel});
    QVERIFY(Access::documentControl(f.w)->isHidden());
    QCOMPARE(Access::lastLiveType(f.w), mainwin::LiveTypeWhiteBoard);

    // At most 11 whiteboards: the panel reports its count before adding.
    f.w.selectLivetype(mainwin::LiveTypeWhiteBoard);
    emit panel->sendAddWhiteBoard(10);
    emit panel->sendAddWhiteBoard(11);
    QCOMPARE(panel->count(), 1);
    emit panel->sendShowWhiteBoard(0);
    QVERIFY(!Access::overlayLabel(f.w, 3)->isHidden());
}

void tst_LiveTypes::shareTool_data()
{
    QTest::addColumn<bool>("fullScreen");
    QTest::newRow("scene in the preview") << false;
    QTest::newRow("scene full screen") << true;
}

void tst_LiveTypes::shareTool()
{
    QFETCH(bool, fullScreen);
    Fixture f;
    f.applyScene();
    Access::fullScreen(f.w) = fullScreen;
    f.w.selectLivetype(mainwin::LiveTypeDesktopShare);

    QCOMPARE(f.core.callsNamed("scene_remove_source"),
             (QStringList{"scene_remove_source(image_source)", "scene_remove_source(image_source1)",
                          "scene_remove_source(image_source2)", "scene_remove_source(camera source1)"}));
    QVERIFY(Access::sceneSources(f.w).empty());
    QVERIFY(Access::cameraNames(f.w).empty());
    QCOMPARE(Access::pageIndexes(f.w).size(), size_t(fullScreen ? 1 : 0));

    // The picker ran modally and refreshed its windows only while it was shown.
    QCOMPARE(f.runs, QStringList{"DesktopShareDialog"});
    QVERIFY(f.refreshedWhileShown);
    QVERIFY(!Fixture::refreshTimer(Access::sharePicker(f.w))->isActive());
    QVERIFY(f.panels().isEmpty());
    QVERIFY(f.placeholder().isEmpty());
    QCOMPARE(Access::liveType(f.w), mainwin::LiveTypeDesktopShare);
}

void tst_LiveTypes::sceneTool_data()
{
    QTest::addColumn<int>("sceneState");
    QTest::newRow("scene in use") << 1;
    QTest::newRow("scene saved, not used") << 0;
    QTest::newRow("no scene") << -1;
}

void tst_LiveTypes::sceneTool()
{
    QFETCH(int, sceneState);
    Fixture f;
    Access::sceneState(f.w) = sceneState;
    // Share windows left open without a running share close without the share's exit handling.
    Access::appPopupWindow(f.w)->show();
    Access::floatingWindow(f.w)->show();
    Access::floatingWindow(f.w)->sharing = true;
    Access::overlayLabel(f.w, 0)->show();
    f.w.selectLivetype(mainwin::LiveTypeSceneLayout);

    SceneLayoutControl* strip = Access::sceneLayoutControl(f.w);
    QVERIFY(strip);
    QCOMPARE(strip->dialog(), Access::addSceneDialog(f.w));
    QCOMPARE(f.panels(), QList<QWidget*>{strip});
    QCOMPARE(f.core.callsNamed("scene_remove_source"), QStringList{"scene_remove_source(image_source)"});
    QVERIFY(Access::appPopupWindow(f.w)->isHidden());
    QVERIFY(Access::floatingWindow(f.w)->isHidden());
    QVERIFY(!Access::floatingWindow(f.w)->sharing);
    QVERIFY(Access::overlayLabel(f.w, 0)->isHidden());
    QVERIFY(f.runs.isEmpty());

    if (sceneState == 1) {
        QVERIFY(f.placeholder().isEmpty());
    } else {
        checkPlaceholder(f.placeholder(), "layout.png", "添加画面布局", "或点击右下角添加画面布局", 168);
        AddSceneDialog* editor = Access::addSceneDialog(f.w);
        QTest::mouseClick(qobject_cast<QPushButton*>(f.placeholder()[1]), Qt::LeftButton);
        QVERIFY(editor->isVisible());
        QCOMPARE(int(editor->tiles().size()), 2); // a new layout: lecture_in_chief
        QCOMPARE(editor->type(), 0);
        QVERIFY(!editor->isPreview());
        QCOMPARE(editor->index(), 0);
        QCOMPARE(Access::sceneState(f.w), 0);
        editor->hide();
    }

    // Made once and connected once, however often the tool is chosen; a layout in use is put on
    // the canvas again.
    AddSceneDialog* editor = Access::addSceneDialog(f.w);
    editor->resetForNew(false, 0);
    if (sceneState == 1)
        strip->save_and_use_btn_clicked(editor->tiles(), 0, false, 0, QString());
    QSignalSpy reapplied(strip, &SceneLayoutControl::_use_scene_clickEX);
    f.w.selectLivetype(mainwin::LiveTypeSceneLayout);
    QCOMPARE(Access::sceneLayoutControl(f.w), strip);
    QCOMPARE(reapplied.count(), sceneState == 1 ? 1 : 0);
    // Each signal of the strip reaches its handler once.
    emit strip->sendMaxSceneSig();
    QVERIFY(Access::sceneTip(f.w)->isVisible());
    f.core.clearCalls();
    emit strip->_use_scene_clickEX({}, 0, 0, true);
    QCOMPARE(Access::sceneState(f.w), 1);
    QCOMPARE(f.core.callsNamed("scene_move_source_order"),
             QStringList{"scene_move_source_order(camera source,100)"});
    emit strip->cancle_scene(0, 0);
    QCOMPARE(Access::sceneState(f.w), -1);
    Access::sceneState(f.w) = 1;
    f.core.clearCalls();
    emit strip->close_cliceScene(0, 0);
    QCOMPARE(Access::sceneState(f.w), -1);
    QCOMPARE(f.core.count("core_create_display"), 1);
    emit strip->fullScreen({}, 0, 0, 0);
    QVERIFY(Access::fullScreen(f.w));
}

void tst_LiveTypes::layoutPlaceholderKeepsTheLimit()
{
    Fixture f;
    f.w.selectLivetype(mainwin::LiveTypeSceneLayout);
    SceneLayoutControl* strip = Access::sceneLayoutControl(f.w);
    AddSceneDialog* editor = Access::addSceneDialog(f.w);
    editor->resetForNew(false, 0);
    for (int i = 0; i < scenestrip::kMaxLayouts; ++i)
        QVERIFY(strip->addLayoutWidget(editor->tiles(), 0, QString()));
    f.w.selectLivetype(mainwin::LiveTypeSceneLayout);

    QTest::mouseClick(qobject_cast<QPushButton*>(f.placeholder()[1]), Qt::LeftButton);
    QVERIFY(editor->isHidden());
    QVERIFY(Access::sceneTip(f.w)->isVisible());
    QCOMPARE(Access::sceneTip(f.w)->textLabel()->text(), QStringLiteral("最多添加10个画面布局"));
}

void tst_LiveTypes::toolButtons_data()
{
    QTest::addColumn<int>("before");
    QTest::addColumn<int>("type");
    QTest::addColumn<QStringList>("selected");
    QTest::newRow("whiteboard changes nothing") << 3 << 1 << QStringList{"layout_btn"};
    QTest::newRow("scene layout") << 0 << 3 << QStringList{"layout_btn"};
    QTest::newRow("co-host") << 2 << 4 << QStringList{"conn_mic_btn"};
}

void tst_LiveTypes::toolButtons()
{
    QFETCH(int, before);
    QFETCH(int, type);
    QFETCH(QStringList, selected);
    Fixture f;
    f.w.updateToolButtons(LiveType(before));
    f.w.updateToolButtons(LiveType(type));
    QCOMPARE(selectedButtons(f.w), selected);
}

void tst_LiveTypes::shareQuestionDeclined()
{
    Fixture f;
    f.w.selectLivetype(mainwin::LiveTypeDesktopShare);
    Access::sharePicker(f.w)->setSharing(true);
    Access::appPopupWindow(f.w)->show();
    // An open document whose camera overlay was taken off would otherwise bring the camera back.
    Access::documentControl(f.w)->addDocument("doc", "a.pdf");
    Access::docCameraOverlay(f.w) = false;
    f.runs.clear();
    f.core.clearCalls();

    QString title, text, ok;
    bool cancelShown = false;
    Qt::WindowModality modality = Qt::NonModal;
    Access::setModalDialogRunner([&](QDialog& dialog) {
        f.runs << dialog.metaObject()->className();
        title = dialog.findChild<QLabel*>("label")->text();
        text = dialog.findChild<QLabel*>("label_2")->text();
        ok = dialog.findChild<QPushButton*>("ok_btn")->text();
        cancelShown = !dialog.findChild<QPushButton*>("cancel_btn")->isHidden();
        modality = dialog.windowModality();
        return int(QDialog::Rejected);
    });
    f.w.selectLivetype(mainwin::LiveTypeDocument);

    QCOMPARE(f.runs, QStringList{"LogoutDialog"});
    QCOMPARE(title, QString::fromUtf8("正在共享"));
    QCOMPARE(text, QString::fromUtf8("屏幕共享不支持与其他功能同时使用,如需切换请退出共享"));
    QCOMPARE(ok, QString::fromUtf8("退出共享"));
    QVERIFY(cancelShown);
    QCOMPARE(modality, Qt::ApplicationModal);

    // Nothing changed: tool, buttons, remembered tool, canvas, share bar.
    QCOMPARE(Access::liveType(f.w), mainwin::LiveTypeDesktopShare);
    QCOMPARE(Access::lastLiveType(f.w), mainwin::LiveTypeDesktopShare);
    QCOMPARE(selectedButtons(f.w), QStringList{"desktop_share_btn"});
    QVERIFY(f.core.calls.isEmpty());
    QVERIFY(!Access::docCameraOverlay(f.w));
    QVERIFY(!Access::appPopupWindow(f.w)->isHidden());
}

void tst_LiveTypes::shareQuestionAccepted()
{
    Fixture f;
    f.w.selectLivetype(mainwin::LiveTypeDesktopShare);
    Access::sharePicker(f.w)->setSharing(true);
    Access::appPopupWindow(f.w)->show();
    f.core.scene.removeAll("camera source"); // the window share took the camera off
    f.core.clearCalls();
    f.answer = QDialog::Accepted;

    f.w.selectLivetype(mainwin::LiveTypeDocument);
    // The window share's exit ran: its source went, the picker no longer shares.
    QVERIFY(f.core.callsNamed("scene_remove_source").contains("scene_remove_source(window source)"));
    QVERIFY(!Access::sharePicker(f.w)->isSharing());
    QVERIFY(Access::appPopupWindow(f.w)->isHidden());
    QCOMPARE(f.core.callsNamed("scene_add_source"), QStringList{"scene_add_source(camera source,true)"});
    QVERIFY(f.core.scene.contains("camera source"));
    QCOMPARE(Access::liveType(f.w), mainwin::LiveTypeDocument);
    QCOMPARE(Access::lastLiveType(f.w), mainwin::LiveTypeDocument);
    QCOMPARE(selectedButtons(f.w), QStringList{"document_btn"});
}

void tst_LiveTypes::shareQuestionFromCoHostInvitation()
{
    Fixture f;
    f.w.selectLivetype(mainwin::LiveTypeDesktopShare);
    Access::sharePicker(f.w)->setSharing(true);
    Access::floatingWindow(f.w)->show();
    Access::floatingWindow(f.w)->sharing = true;
    Access::setLiveType(f.w, mainwin::LiveTypeConnMic); // the invitation took the tool over
    f.runs.clear();
    f.answer = QDialog::Accepted;

    f.w.selectLivetype(mainwin::LiveTypeSceneLayout);
    QCOMPARE(f.runs, QStringList{"LogoutDialog"});
    // The desktop share's exit ran.
    QVERIFY(f.core.callsNamed("scene_remove_source").contains("scene_remove_source(desktop source)"));
    QVERIFY(!Access::sharePicker(f.w)->isSharing());
    QVERIFY(!Access::floatingWindow(f.w)->sharing);
    QCOMPARE(Access::liveType(f.w), mainwin::LiveTypeSceneLayout);

    // Choosing the share tool itself asks nothing.
    f.runs.clear();
    f.w.selectLivetype(mainwin::LiveTypeDesktopShare);
    QCOMPARE(f.runs, QStringList{"DesktopShareDialog"});
}

void tst_LiveTypes::showDocumentLayout_data()
{
    QTest::addColumn<bool>("mirror");
    QTest::addColumn<QString>("size");
    QTest::addColumn<QString>("pos");
    QTest::newRow("plain") << false << "scene_set_source_size(camera source,1920,1080,true,false)"
                           << "scene_set_source_pos(camera source,0,0)";
    QTest::newRow("mirrored") << true << "scene_set_source_size(camera source,-1920,1080,true,false)"
                              << "scene_set_source_pos(camera source,1920,0)";
}

void tst_LiveTypes::showDocumentLayout()
{
    QFETCH(bool, mirror);
    QFETCH(QString, size);
    QFETCH(QString, pos);
    Fixture f;
    auto store = CDataCenter::getInstance();
    store->screenWidth = 1920;
    store->screenHeight = 1080;
    store->cameraMirror = mirror;
    DocumentControl* panel = Access::documentControl(f.w);
    panel->addDocument("doc", "a.pdf");
    Access::curPagePath(f.w) = "doc/pic1.png";
    f.w.selectLivetype(mainwin::LiveTypeDocument);
    Access::overlayLabel(f.w, 1)->show();
    SceneWidget* tile = Access::sceneWidget(f.w);
    tile->setCameraShown(false);
    tile->setDragEnabled(true);
    f.core.clearCalls();

    panel->removeDocument("doc", "a.pdf"); // the last tab: the panel asks for the empty layout
    // The camera leaves the page (taken off the document tool), then shows in its tile.
    QVERIFY(!Access::docCameraOverlay(f.w));
    QVERIFY(tile->cameraShown());
    QVERIFY(!tile->dragEnabled());
    QVERIFY(Access::overlayLabel(f.w, 1)->isHidden());
    QCOMPARE(f.core.callsNamed("scene_remove_source"),
             (QStringList{"scene_remove_source(camera source)", "scene_remove_source(image_source)"}));
    QCOMPARE(f.core.callsNamed("core_create_display"),
             QStringList{QString("core_create_display(camera source,%1)").arg(tile->cameraViewWinId())});
    QCOMPARE(f.core.callsNamed("core_update_preview_scale"),
             QStringList{"core_update_preview_scale(1920,1080)"});
    QCOMPARE(f.core.callsNamed("scene_set_source_size"), QStringList{size});
    QCOMPARE(f.core.callsNamed("scene_set_source_pos"), QStringList{pos});
    checkPlaceholder(f.placeholder(), "documentLayout.png", "添加文档", "支持PDF/DOC/DOCX/PPT/PPTX", 216);
    QCOMPARE(Access::curPagePath(f.w), QString("doc/pic1.png"));
    store->cameraMirror = false;
}

QTEST_MAIN(tst_LiveTypes)
#include "tst_LiveTypes.moc"
