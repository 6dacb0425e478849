#include "scenes/ScenePictures.h"

#include <QFileInfo>

namespace {
SceneDocumentSource& documentSource()
{
    static SceneDocumentSource source;
    return source;
}
}

void setSceneDocumentSource(SceneDocumentSource source)
{
    documentSource() = std::move(source);
}

bool isScenePictureName(const QString& name)
{
    return !name.contains(QLatin1String(".pdf")) && !name.contains(QLatin1String(".ppt")) &&
           !name.contains(QLatin1String(".doc"));
}

QString scenePicturePath(const QString& folder)
{
    return folder + "/pic0.png";
}

SceneDocumentList scenePictures()
{
    SceneDocumentList pictures;
    if (!documentSource())
        return pictures;
    for (const SceneDocument& doc : documentSource()()) {
        if (isScenePictureName(doc.name) && !doc.folder.isEmpty() &&
            QFileInfo(scenePicturePath(doc.folder)).isFile())
            pictures.append(doc);
    }
    return pictures;
}

bool findScenePicture(const QString& name, SceneDocument* found)
{
    for (const SceneDocument& doc : scenePictures()) {
        if (doc.name == name) {
            if (found)
                *found = doc;
            return true;
        }
    }
    return false;
}
