#pragma once
// The six preset arrangements of the layout editor, as rectangles of the 600 x 338 tile area.

#include "scenes/InfoWidget.h"

#include <QRect>
#include <QSize>
#include <QString>

#include <vector>

// The editor's small tile: 160 x 88 until the host first adds a tile, 170 x 96 from then on.
constexpr QSize kSceneFirstSmallTile(160, 88);
constexpr QSize kSceneAddedSmallTile(170, 96);

struct ScenePresetTile {
    QRect rect;      // pixels of the tile area
    QString content; // the content the tile starts with
};

// The tiles of a preset in creation order (tile numbers 1, 2, ...). Only lecture_in_chief
// prescribes contents; the other presets' tiles keep the starting content of their number.
// `smallTile` places lecture_in_chief's camera tile in the area's bottom-right corner.
// An unknown type gives no tiles.
std::vector<ScenePresetTile> scenePresetTiles(int type, const QSize& smallTile);
