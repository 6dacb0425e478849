// test-label: unit
// test-timeout: 300
// Pictures the host chose, or the program keeps for the host, at every place that reads one from
// a file: a scene layout's background and picture tile when the layout is applied, a tile's page
// turned with the wheel, the layout editor's background, a picture tile and the host's avatar in a
// camera tile of the editor, and the account page's avatar. A picture within every bound but slow
// to decode never holds the window's thread long (it is read off it), and the place still shows
// it; a picture that is refused (an SVG named .png) shows what a file that is no picture shows.
#include "support/FakeLiveCore.h"
#include "support/HostWindow.h"
#include "support/LiveMainWindowTestAccess.h"
#include "support/SlowPicture.h"
#include "support/StoreDir.h"
#include "support/WaitMeter.h"
#include "support/TestPictures.h"

#include "core/DataCenter.h"
#include "core/PictureDecoder.h"
#include "scenes/MyWidgetPatter.h"
#include "scenes/PreviewWidget.h"
#include "scenes/ScenePictures.h"
#include "settings/AccountSettingDialog.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTimer>
#include <QWheelEvent>
#include <QtTest>

#include <functional>
#include <memory>

using Access = LiveMainWindowTestAccess;

namespace
{
// The old code held the window's thread for the whole decoding, seconds for the slow picture.
constexpr qint64 kMaxHoldMs = 1000;
const PosWeight kTile{0.f, 0.f, 0.5f, 0.5f};

using testsupport::WaitMeter;

// Runs `action` from the event loop and waits until `shown` holds; the window's thread's longest
// time away from its event loop meanwhile (-1 when the place never showed the picture).
qint64 longestHold(const std::function<void()>& action, const std::function<bool()>& shown)
{
    WaitMeter meter;
    bool ran = false;
    QTimer::singleShot(0, [&] {
        action();
        ran = true;
    });
    const bool done = QTest::qWaitFor([&] { return ran && shown(); }, 60000);
    const qint64 longest = meter.longestMs();
    PictureDecoder::waitForIdle();
    return done ? longest : -1;
}

InfoWidgetPtr pictureTile(int num, const QString& folder, const QString& background = QString())
{
    auto tile = std::make_shared<InfoWidget>();
    tile->folder = folder;
    tile->filePath = folder + "/pic0.png";
    tile->content = "a.png";
    tile->rect = kTile;
    tile->num = num;
    tile->background = background;
    return tile;
}

// A window set up after login on a 1920 x 1080 canvas, its preview 960 x 540.
struct Window {
    HalfScaleCore core;
    LoginInfo info;
    std::unique_ptr<LiveMainWindow> w;

    Window()
    {
        testsupport::setHostCanvas({1920, 1080});
        core.cameras << "cam0";
        w = testsupport::hostWindow(info);
        formWidget(*w, "render_frame")->resize(960, 540);
        core.clearCalls();
    }
    ~Window() { testsupport::resetHostCanvas(); }

    void wheel(QPoint point, int delta)
    {
        const QPoint at = point + QPoint(formWidget(*w, "frame_5")->x(), formWidget(*w, "frame_3")->y() - 9);
        QWheelEvent event(at, w->mapToGlobal(at), QPoint(), QPoint(0, delta), Qt::NoButton, Qt::NoModifier,
                          Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(w.get(), &event);
    }
    QString shownFile(const QString& source) const
    {
        const QStringList files = testsupport::callsNaming(core.callsNamed("source_set_image_file"), source);
        return files.isEmpty() ? QString() : files.last();
    }
};

// The layout editor's tile area, in a window of its own.
struct EditorArea {
    QWidget window;
    MyWidgetPatter* area = new MyWidgetPatter(&window);

    EditorArea()
    {
        window.resize(640, 360);
        area->setGeometry(20, 10, 600, 338);
        window.show();
    }
    PreviewWidget* tile(int num)
    {
        auto* t = new PreviewWidget(area, num, QRect(0, 0, 170, 96));
        t->setAreaRect(area->geometry());
        t->show();
        return t;
    }
};

QImage labelImage(const QLabel* label)
{
    return label->pixmap(Qt::ReturnByValue).toImage();
}

} // namespace

class tst_ChosenPictures : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanupTestCase();
    void sceneLayoutApplied();
    void pageTurned();
    void editorBackground();
    void editorPictureTile();
    void editorCameraTileAvatar();
    void accountAvatar();

private:
    // The picture file of `kind`: "slow" (legal, slow to decode), "refused" (an SVG named .png),
    // "unreadable" (bytes that are no picture), "small" (a 1920 x 1080 picture).
    QString file(const QString& kind) const { return m_dir.filePath(kind + ".png"); }
    // A page folder holding copies of the pictures of these kinds as pic0.png, pic1.png...
    QString pageFolder(const QString& name, const QStringList& kinds);
    // The engine calls of applying a layout of one picture tile showing `page` over the background
    // `background`, with the file names taken out.
    QStringList appliedCalls(const QString& background, const QString& page);
    QStringList turnedCalls(const QString& secondPage);

    QTemporaryDir m_dir;
    int m_folders = 0;
    SceneDocumentList m_docs;
};

void tst_ChosenPictures::initTestCase()
{
    QVERIFY(testsupport::useStoreDir(m_dir));
    const auto write = [this](const QString& kind, const QByteArray& bytes) {
        QFile out(file(kind));
        return out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size();
    };
    QVERIFY(write("slow", testsupport::slowPicture()));
    QVERIFY(write("refused", "<svg xmlns=\"http://www.w3.org/2000/svg\" width=\"1920\" height=\"1080\">"
                             "<rect width=\"1920\" height=\"1080\" fill=\"red\"/></svg>"));
    QVERIFY(write("unreadable", QByteArray(4096, 'x')));
    testsupport::writePicture(file("small"), QSize(1920, 1080), Qt::gray);
    // The slow picture is one the decoder takes, at its full size.
    QCOMPARE(PictureDecoder::decodeFile(file("slow")).size(), QSize(4096, 4096));
    setSceneDocumentSource([this] { return m_docs; });
}

void tst_ChosenPictures::cleanupTestCase()
{
    setSceneDocumentSource(nullptr);
}

QString tst_ChosenPictures::pageFolder(const QString& name, const QStringList& kinds)
{
    const QString folder = m_dir.filePath(QString("%1-%2").arg(name).arg(++m_folders));
    QDir().mkpath(folder);
    for (int i = 0; i < kinds.size(); ++i)
        if (!QFile::copy(file(kinds[i]), QString("%1/pic%2.png").arg(folder).arg(i)))
            return QString();
    return folder;
}

QStringList tst_ChosenPictures::appliedCalls(const QString& background, const QString& page)
{
    const QString folder = pageFolder("apply", {page});
    Window f;
    f.w->_use_scene_clickedEX({pictureTile(1, folder, file(background))}, 0, 0, false);
    PictureDecoder::waitForIdle();
    // Display calls name windows, which differ from window to window.
    return f.core.calls.filter(QRegularExpression("^(?!core_create_main_display|core_create_display)"))
        .replaceInStrings(file(background), "<background>")
        .replaceInStrings(folder, "<folder>");
}

void tst_ChosenPictures::sceneLayoutApplied()
{
    const QString folder = pageFolder("slow", {"slow"});
    Window f;
    const qint64 held = longestHold(
        [&] { f.w->_use_scene_clickedEX({pictureTile(1, folder, file("slow"))}, 0, 0, false); },
        [&] { return Access::sceneSources(*f.w).size() == 2; });
    QVERIFY2(held >= 0 && held < kMaxHoldMs, qPrintable(QString("window thread held %1 ms").arg(held)));
    // Both pictures were read: the background and the tile are sized on the canvas.
    QVERIFY(!testsupport::callsNaming(f.core.calls, "image_source1").filter("scene_set_source_").isEmpty());
    QVERIFY(!testsupport::callsNaming(f.core.calls, "image_source2").filter("scene_set_source_").isEmpty());
    auto store = CDataCenter::getInstance();
    QCOMPARE(QSize(store->docImageWidth, store->docImageHeight), QSize(4096, 4096));

    // Refused pictures are applied as files that are no picture are: sources that are not sized.
    QCOMPARE(appliedCalls("refused", "refused"), appliedCalls("unreadable", "unreadable"));
    QVERIFY(appliedCalls("small", "small") != appliedCalls("unreadable", "unreadable"));
}

QStringList tst_ChosenPictures::turnedCalls(const QString& secondPage)
{
    const QString folder = pageFolder("turn", {"small", secondPage});
    Window f;
    f.w->_use_scene_clickedEX({pictureTile(1, folder)}, 0, 0, false);
    PictureDecoder::waitForIdle();
    f.core.rects["image_source1"] = QRectF(0, 0, 960, 540);
    f.core.clearCalls();
    f.wheel({100, 100}, -120);
    PictureDecoder::waitForIdle();
    return f.core.calls.filter(QRegularExpression("^(?!core_create_main_display|core_create_display)"))
        .replaceInStrings(folder, "<folder>");
}

void tst_ChosenPictures::pageTurned()
{
    const QString folder = pageFolder("turn", {"small", "slow"});
    Window f;
    f.w->_use_scene_clickedEX({pictureTile(1, folder)}, 0, 0, false);
    PictureDecoder::waitForIdle();
    f.core.rects["image_source1"] = QRectF(0, 0, 960, 540);
    f.core.clearCalls();
    const QString second = QString("source_set_image_file(image_source1,%1/pic1.png,false)").arg(folder);
    const qint64 held = longestHold([&] { f.wheel({100, 100}, -120); },
                                    [&] { return f.shownFile("image_source1") == second; });
    QVERIFY2(held >= 0 && held < kMaxHoldMs, qPrintable(QString("window thread held %1 ms").arg(held)));
    QVERIFY(!testsupport::callsNaming(f.core.calls, "image_source1").filter("scene_set_source_").isEmpty());

    QCOMPARE(turnedCalls("refused"), turnedCalls("unreadable"));
    QVERIFY(turnedCalls("small") != turnedCalls("unreadable"));
}

void tst_ChosenPictures::editorBackground()
{
    EditorArea editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor.window));
    MyWidgetPatter* area = editor.area;
    const auto centre = [area] { return QColor(area->grab().toImage().pixel(300, 169)); };
    const qint64 held = longestHold([&] { area->setPicturePath(file("slow")); },
                                    [&] { return centre() != QColor(Qt::black); });
    QVERIFY2(held >= 0 && held < kMaxHoldMs, qPrintable(QString("window thread held %1 ms").arg(held)));

    const auto look = [area, this](const QString& kind) {
        area->setPicturePath(file(kind));
        PictureDecoder::waitForIdle();
        return area->grab().toImage();
    };
    const QImage unreadable = look("unreadable");
    QCOMPARE(QColor(unreadable.pixel(300, 169)), QColor(Qt::black)); // the dark panel alone
    QCOMPARE(look("refused"), unreadable);
}

void tst_ChosenPictures::editorPictureTile()
{
    EditorArea editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor.window));
    const auto tile = [&editor] { return editor.tile(2); };
    m_docs = {{"slow.png", pageFolder("doc", {"slow"})},
              {"refused.png", pageFolder("doc", {"refused"})},
              {"unreadable.png", pageFolder("doc", {"unreadable"})}};

    PreviewWidget* t = tile();
    QLabel* label = t->findChild<QLabel*>("pictureLabel");
    const qint64 held = longestHold([&] { QVERIFY(t->setPicture("slow.png")); },
                                    [&] { return !label->pixmap(Qt::ReturnByValue).isNull(); });
    QVERIFY2(held >= 0 && held < kMaxHoldMs, qPrintable(QString("window thread held %1 ms").arg(held)));

    const auto look = [&](const QString& name) {
        PreviewWidget* u = tile();
        u->setPicture(name);
        PictureDecoder::waitForIdle();
        QLabel* l = u->findChild<QLabel*>("pictureLabel");
        const auto seen = std::make_pair(l->geometry(), labelImage(l));
        delete u;
        return seen;
    };
    const auto unreadable = look("unreadable.png");
    QVERIFY(unreadable.second.isNull());
    QVERIFY(look("refused.png") == unreadable);
    m_docs.clear();
}

void tst_ChosenPictures::editorCameraTileAvatar()
{
    EditorArea editor;
    QVERIFY(QTest::qWaitForWindowExposed(&editor.window));
    auto store = CDataCenter::getInstance();
    const auto cameraTile = [&editor] { return editor.tile(1); };

    store->avatarFile = file("slow");
    PreviewWidget* t = cameraTile();
    QLabel* avatar = t->findChild<QLabel*>("avatarLabel");
    const qint64 held = longestHold([&] { t->refreshLook(); },
                                    [&] { return !avatar->pixmap(Qt::ReturnByValue).isNull(); });
    QVERIFY2(held >= 0 && held < kMaxHoldMs, qPrintable(QString("window thread held %1 ms").arg(held)));

    const auto look = [&](const QString& kind) {
        store->avatarFile = file(kind);
        PreviewWidget* u = cameraTile();
        u->refreshLook();
        PictureDecoder::waitForIdle();
        const QImage seen = labelImage(u->findChild<QLabel*>("avatarLabel"));
        delete u;
        return seen;
    };
    QVERIFY(look("unreadable").isNull()); // the empty circle
    QVERIFY(look("refused").isNull());
    store->avatarFile.clear();
}

void tst_ChosenPictures::accountAvatar()
{
    auto store = CDataCenter::getInstance();
    store->avatarFile = file("slow");
    std::unique_ptr<AccountSettingDialog> page;
    QLabel* avatar = nullptr;
    const qint64 held = longestHold(
        [&] {
            page = std::make_unique<AccountSettingDialog>();
            page->show();
            avatar = page->findChild<QLabel*>("headpicLbl");
        },
        [&] { return !avatar->pixmap(Qt::ReturnByValue).isNull(); });
    QVERIFY2(held >= 0 && held < kMaxHoldMs, qPrintable(QString("window thread held %1 ms").arg(held)));
    QCOMPARE(avatar->pixmap(Qt::ReturnByValue).size(), QSize(80, 80));
    page.reset();

    const auto look = [&](const QString& kind) {
        store->avatarFile = file(kind);
        AccountSettingDialog dialog;
        PictureDecoder::waitForIdle();
        return labelImage(dialog.findChild<QLabel*>("headpicLbl"));
    };
    QVERIFY(look("unreadable").isNull());
    QVERIFY(look("refused").isNull());
    store->avatarFile.clear();
}

QTEST_MAIN(tst_ChosenPictures)
#include "tst_ChosenPictures.moc"
