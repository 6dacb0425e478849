#pragma once
// Turning editor tiles into layout records: the contents a tile can hold, the kind of a content,
// a rectangle as fractions of the tile area, and the record built from a tile's fields.

#include "scenes/InfoWidget.h"

#include <QRect>
#include <QSize>
#include <QString>

// The texts a tile's content is compared with (exactly, case-sensitive).
inline const QString kSceneCameraContent = QStringLiteral("摄像头");
inline const QString kSceneUnchosenContent = QStringLiteral("请选择");
inline const QString kSceneCoHostContent = QStringLiteral("副麦");

// 0 for the camera, 1 for a co-host, 2 for anything else ("请选择" and picture names included).
int sceneKindOf(const QString& content);

// The content a new tile starts with: tile 1 shows the camera, every other tile asks for a choice.
QString sceneStartingContent(int num);

// A rectangle of the tile area as fractions of its width and height, in single precision.
PosWeight posWeightOf(const QRect& rect, const QSize& area);

// What a tile hands over when its layout is saved.
struct SceneTileFields {
    QString folder;
    QString filePath;
    QString spare;
    QString content;
    PosWeight rect;
    int num = 0;
};

// A new record of one tile; `background` is the layout's background picture (empty for none).
InfoWidgetPtr makeInfoWidget(const SceneTileFields& tile, const QString& background);
