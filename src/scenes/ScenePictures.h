#pragma once
// The pictures a layout tile can show: documents of the document list that are pictures and whose
// first page image exists.

#include <QString>
#include <QVector>

#include <functional>

struct SceneDocument {
    QString name;   // display name (file name with extension)
    QString folder; // page folder; empty while the document converts or after it failed
};
using SceneDocumentList = QVector<SceneDocument>;

// Reads the document list (display name and page folder of each tile, in list order). By default
// the settings store's document tiles; tests install their own, an empty function restores it.
using SceneDocumentSource = std::function<SceneDocumentList()>;
void setSceneDocumentSource(SceneDocumentSource source);

// A name counts as a picture when it contains none of ".pdf", ".ppt", ".doc" (case-sensitive).
bool isScenePictureName(const QString& name);

// The page image a picture tile shows: folder + "/pic0.png".
QString scenePicturePath(const QString& folder);

// The pictures offered, in list order: picture names whose page folder holds "pic0.png". A
// document still converting, failed or deleted has no such file and would leave a tile blank.
SceneDocumentList scenePictures();

// The first offered picture named exactly `name`; false when there is none.
bool findScenePicture(const QString& name, SceneDocument* found);
