#include "scenes/ScenePictures.h"

#include "core/DataCenter.h"
#include "documents/DocumentCreateWidget.h"

#include <QFileInfo>

namespace {
// The store's copy of the document list, as the list window last saved it.
SceneDocumentList storeDocuments()
{
    SceneDocumentList docs;
    for (const DocumentCreateWidget* tile : CDataCenter::getInstance()->documentWidgets) {
        if (tile)
            docs.append({tile->fileName(), tile->pageDir()});
    }
    return docs;
}

SceneDocumentSource& documentSource()
{
    static SceneDocumentSource source = storeDocuments;
    return source;
}
} // namespace

void setSceneDocumentSource(SceneDocumentSource source)
{
    documentSource() = source ? std::move(source) : SceneDocumentSource(storeDocuments);
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
