#include "scenes/SceneLayoutPresets.h"

#include "scenes/SceneRecords.h"

std::vector<ScenePresetTile> scenePresetTiles(int type, const QSize& smallTile)
{
    std::vector<QRect> rects;
    switch (type) {
    case lecture_in_chief:
        return {{QRect(0, 0, kScenePreviewWidth, kScenePreviewHeight), kSceneUnchosenContent},
                {QRect(kScenePreviewWidth - smallTile.width(), kScenePreviewHeight - smallTile.height(),
                       smallTile.width(), smallTile.height()),
                 kSceneCameraContent}};
    case one_for_one:
        rects = {{16, 90, 280, 158}, {304, 90, 280, 158}};
        break;
    case courseware:
        rects = {{16, 58, 384, 216}, {414, 58, 170, 96}, {414, 178, 170, 96}};
        break;
    case triple_screen:
        rects = {{169, 11, 270, 152}, {24, 175, 270, 152}, {306, 175, 270, 152}};
        break;
    case four_screen:
        rects = {{24, 11, 270, 152}, {306, 11, 270, 152}, {24, 175, 270, 152}, {306, 175, 270, 152}};
        break;
    case speaker:
        rects = {{27, 58, 412, 232}, {447, 58, 126, 72}, {447, 138, 126, 72}, {447, 218, 126, 72}};
        break;
    default:
        return {};
    }
    std::vector<ScenePresetTile> tiles;
    for (size_t i = 0; i < rects.size(); ++i)
        tiles.push_back({rects[i], sceneStartingContent(int(i) + 1)});
    return tiles;
}
