#include "scenes/SceneRecords.h"

int sceneKindOf(const QString& content)
{
    if (content == kSceneCameraContent)
        return 0;
    if (content == kSceneCoHostContent)
        return 1;
    return 2;
}

QString sceneStartingContent(int num)
{
    return num == 1 ? kSceneCameraContent : kSceneUnchosenContent;
}

PosWeight posWeightOf(const QRect& rect, const QSize& area)
{
    PosWeight w;
    if (area.width() <= 0 || area.height() <= 0)
        return w;
    const float aw = float(area.width());
    const float ah = float(area.height());
    w.x = float(rect.x()) / aw;
    w.y = float(rect.y()) / ah;
    w.w = float(rect.width()) / aw;
    w.h = float(rect.height()) / ah;
    return w;
}

InfoWidgetPtr makeInfoWidget(const SceneTileFields& tile, const QString& background)
{
    auto record = std::make_shared<InfoWidget>();
    record->folder = tile.folder;
    record->filePath = tile.filePath;
    record->spare = tile.spare;
    record->content = tile.content;
    record->kind = sceneKindOf(tile.content);
    record->rect = tile.rect;
    record->num = tile.num;
    record->background = background;
    return record;
}
