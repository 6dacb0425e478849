// test-label: unit
// Presets, records and tile geometry as plain functions, without widgets.
#include "scenes/SceneLayoutPresets.h"
#include "scenes/SceneRecords.h"
#include "scenes/SceneTileGeometry.h"

#include <QtTest>

Q_DECLARE_METATYPE(std::vector<ScenePresetTile>)

namespace {
const QString cam = QStringLiteral("摄像头");
const QString none = QStringLiteral("请选择");

std::vector<ScenePresetTile> tiles(std::initializer_list<std::pair<QRect, QString>> list)
{
    std::vector<ScenePresetTile> out;
    for (const auto& t : list)
        out.push_back({t.first, t.second});
    return out;
}
} // namespace

class tst_SceneLayoutRecords : public QObject
{
    Q_OBJECT
private slots:
    void presets_data()
    {
        QTest::addColumn<int>("type");
        QTest::addColumn<QSize>("small");
        QTest::addColumn<std::vector<ScenePresetTile>>("expected");
        for (const QSize small : {QSize(160, 88), QSize(170, 96)}) {
            const QByteArray s = QByteArray::number(small.width());
            QTest::newRow("lecture_in_chief " + s)
                << 0 << small
                << tiles({{QRect(0, 0, 600, 338), none},
                          {QRect(600 - small.width(), 338 - small.height(), small.width(), small.height()), cam}});
            QTest::newRow("one_for_one " + s)
                << 1 << small << tiles({{QRect(16, 90, 280, 158), cam}, {QRect(304, 90, 280, 158), none}});
            QTest::newRow("courseware " + s) << 2 << small
                                             << tiles({{QRect(16, 58, 384, 216), cam},
                                                       {QRect(414, 58, 170, 96), none},
                                                       {QRect(414, 178, 170, 96), none}});
            QTest::newRow("triple_screen " + s) << 3 << small
                                                << tiles({{QRect(169, 11, 270, 152), cam},
                                                          {QRect(24, 175, 270, 152), none},
                                                          {QRect(306, 175, 270, 152), none}});
            QTest::newRow("four_screen " + s) << 4 << small
                                              << tiles({{QRect(24, 11, 270, 152), cam},
                                                        {QRect(306, 11, 270, 152), none},
                                                        {QRect(24, 175, 270, 152), none},
                                                        {QRect(306, 175, 270, 152), none}});
            QTest::newRow("speaker " + s) << 5 << small
                                          << tiles({{QRect(27, 58, 412, 232), cam},
                                                    {QRect(447, 58, 126, 72), none},
                                                    {QRect(447, 138, 126, 72), none},
                                                    {QRect(447, 218, 126, 72), none}});
        }
        QTest::newRow("unknown type") << 6 << QSize(170, 96) << std::vector<ScenePresetTile>();
        QTest::newRow("negative type") << -1 << QSize(170, 96) << std::vector<ScenePresetTile>();
    }
    void presets()
    {
        QFETCH(int, type);
        QFETCH(QSize, small);
        QFETCH(std::vector<ScenePresetTile>, expected);
        const std::vector<ScenePresetTile> got = scenePresetTiles(type, small);
        QCOMPARE(got.size(), expected.size());
        for (size_t i = 0; i < got.size(); ++i) {
            QCOMPARE(got[i].rect, expected[i].rect);
            QCOMPARE(got[i].content, expected[i].content);
        }
    }

    void lectureCameraTileFollowsSmallTileSize()
    {
        QCOMPARE(scenePresetTiles(lecture_in_chief, kSceneFirstSmallTile)[1].rect, QRect(440, 250, 160, 88));
        QCOMPARE(scenePresetTiles(lecture_in_chief, kSceneAddedSmallTile)[1].rect, QRect(430, 242, 170, 96));
    }

    void posWeightInSinglePrecision()
    {
        const QSize area(kScenePreviewWidth, kScenePreviewHeight);
        const auto preset = scenePresetTiles(one_for_one, kSceneFirstSmallTile);
        const PosWeight a = posWeightOf(preset[0].rect, area);
        QCOMPARE(a.x, 16.f / 600.f);
        QCOMPARE(a.y, 90.f / 338.f);
        QCOMPARE(a.w, 280.f / 600.f);
        QCOMPARE(a.h, 158.f / 338.f);
        const PosWeight b = posWeightOf(preset[1].rect, area);
        QCOMPARE(b.x, 304.f / 600.f);
        QCOMPARE(b.y, 90.f / 338.f);
        // An area of no size gives zeros, not infinities.
        const PosWeight z = posWeightOf(QRect(1, 1, 2, 2), QSize(0, 0));
        QCOMPARE(z.x, 0.f);
        QCOMPARE(z.w, 0.f);
    }

    void kinds_data()
    {
        QTest::addColumn<QString>("content");
        QTest::addColumn<int>("kind");
        QTest::newRow("camera") << cam << 0;
        QTest::newRow("co-host") << QStringLiteral("副麦") << 1;
        QTest::newRow("unchosen") << none << 2;
        QTest::newRow("picture") << "a.png" << 2;
        QTest::newRow("camera with a blank") << QStringLiteral("摄像头 ") << 2;
        QTest::newRow("empty") << QString() << 2;
    }
    void kinds()
    {
        QFETCH(QString, content);
        QFETCH(int, kind);
        QCOMPARE(sceneKindOf(content), kind);
    }

    void recordFromTileFields()
    {
        SceneTileFields tile;
        tile.folder = "/docs/svpczsjz_a_.png_12";
        tile.filePath = tile.folder + "/pic0.png";
        tile.content = "a.png";
        tile.rect = PosWeight{0.1f, 0.2f, 0.3f, 0.4f};
        tile.num = 3;
        const InfoWidgetPtr record = makeInfoWidget(tile, "/bg/back.png");
        QCOMPARE(record->folder, tile.folder);
        QCOMPARE(record->filePath, QString("/docs/svpczsjz_a_.png_12/pic0.png"));
        QVERIFY(record->spare.isEmpty());
        QCOMPARE(record->content, QString("a.png"));
        QCOMPARE(record->kind, 2);
        QCOMPARE(record->rect.w, 0.3f);
        QCOMPARE(record->num, 3);
        QCOMPARE(record->background, QString("/bg/back.png"));

        tile.content = cam;
        const InfoWidgetPtr camera = makeInfoWidget(tile, QString());
        QCOMPARE(camera->kind, 0);
        QVERIFY(camera->background.isEmpty());
        QVERIFY(camera != record); // a rebuilt thumbnail gets new records, the old ones stay as they were
        QCOMPARE(record->kind, 2);
    }

    void moveClamp_data()
    {
        QTest::addColumn<QRect>("tile");
        QTest::addColumn<QPoint>("delta");
        QTest::addColumn<QPoint>("target");
        QTest::newRow("far right stops at the edge") << QRect(100, 100, 170, 96) << QPoint(900, 0) << QPoint(430, 100);
        QTest::newRow("far down stops at the edge") << QRect(100, 100, 170, 96) << QPoint(0, 900) << QPoint(100, 242);
        QTest::newRow("up-left past the corner") << QRect(100, 100, 170, 96) << QPoint(-500, -500) << QPoint(0, 0);
        QTest::newRow("inside") << QRect(100, 100, 170, 96) << QPoint(5, -7) << QPoint(105, 93);
        QTest::newRow("wider than the area sticks left") << QRect(0, 0, 700, 96) << QPoint(10, 0) << QPoint(0, 0);
    }
    void moveClamp()
    {
        QFETCH(QRect, tile);
        QFETCH(QPoint, delta);
        QFETCH(QPoint, target);
        QCOMPARE(sceneTileMoveTarget(tile, delta, QSize(600, 338)), target);
    }

    void resizeStep_data()
    {
        QTest::addColumn<QRect>("tile");
        QTest::addColumn<int>("dx");
        QTest::addColumn<bool>("taken");
        QTest::addColumn<QSize>("size"); // invalid: no resize
        QTest::newRow("to 171") << QRect(100, 100, 170, 96) << 1 << true << QSize(171, 96);
        QTest::newRow("to 300") << QRect(0, 0, 171, 96) << 129 << true << QSize(300, 168);
        QTest::newRow("to 170 refused") << QRect(100, 100, 171, 96) << -1 << true << QSize();
        QTest::newRow("to the area width refused") << QRect(0, 0, 300, 168) << 300 << true << QSize();
        QTest::newRow("to 599") << QRect(0, 0, 300, 168) << 299 << true << QSize(599, 336);
        QTest::newRow("no movement") << QRect(100, 100, 170, 96) << 0 << false << QSize();
        QTest::newRow("past the right edge") << QRect(430, 100, 200, 112) << -10 << false << QSize();
        QTest::newRow("past the bottom edge") << QRect(0, 300, 171, 96) << 1 << false << QSize();
    }
    void resizeStep()
    {
        QFETCH(QRect, tile);
        QFETCH(int, dx);
        QFETCH(bool, taken);
        QFETCH(QSize, size);
        const SceneResizeStep step = sceneTileResizeStep(tile, dx, QSize(600, 338));
        QCOMPARE(step.taken, taken);
        QCOMPARE(step.resized, size.isValid());
        if (size.isValid())
            QCOMPARE(step.size, size);
    }

    void fitOnChoice_data()
    {
        QTest::addColumn<QSize>("picture");
        QTest::addColumn<QSize>("label");
        QTest::addColumn<QPoint>("pos");
        QTest::addColumn<QSize>("scaled");
        QTest::newRow("landscape") << QSize(1920, 1080) << QSize(162, 93) << QPoint(2, 0) << QSize(166, 93);
        QTest::newRow("portrait") << QSize(1080, 1920) << QSize(47, 92) << QPoint(59, 0) << QSize(51, 92);
        QTest::newRow("square") << QSize(500, 500) << QSize(92, 92) << QPoint(39, 0) << QSize(92, 92);
        QTest::newRow("no picture") << QSize(0, 0) << QSize(92, 92) << QPoint(39, 0) << QSize(92, 92);
        QTest::newRow("one pixel high") << QSize(4000, 1) << QSize(162, 0) << QPoint(2, 46) << QSize(166, 0);
    }
    void fitOnChoice()
    {
        QFETCH(QSize, picture);
        QFETCH(QSize, label);
        QFETCH(QPoint, pos);
        QFETCH(QSize, scaled);
        const ScenePictureFit fit = scenePictureFitOnChoice(QSize(166, 92), QSize(170, 96), picture);
        QCOMPARE(fit.labelSize, label);
        QCOMPARE(fit.labelPos, pos);
        QCOMPARE(fit.scaled, scaled);
    }

    void fitOnResize()
    {
        // Frame 196 x 106 (a 200 x 110 tile).
        const ScenePictureFit wide = scenePictureFitOnResize(QSize(196, 106), QSize(1920, 1080));
        QCOMPARE(wide.labelSize, QSize(192, 110));
        QCOMPARE(wide.labelPos, QPoint(2, -2));
        QCOMPARE(wide.scaled, QSize(196, 110));
        const ScenePictureFit tall = scenePictureFitOnResize(QSize(196, 106), QSize(1080, 1920));
        QCOMPARE(tall.labelSize, QSize(55, 106));
        QCOMPARE(tall.labelPos, QPoint(70, 0));
        QCOMPARE(tall.scaled, QSize(59, 106));
    }

    void pictureListHeights()
    {
        const int expected[] = {40, 40, 80, 115, 140, 140};
        for (int n = 0; n < 6; ++n)
            QCOMPARE(scenePictureListHeight(n), expected[n]);
    }
};

QTEST_GUILESS_MAIN(tst_SceneLayoutRecords)
#include "tst_SceneLayoutRecords.moc"
