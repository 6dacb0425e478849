#pragma once
// Minimal scene-layout editor (replaced by the full editor).
#include "core/DataCenter.h"
#include "scenes/PreviewWidget.h"

#include <QDialog>
#include <QString>
#include <vector>

class AddSceneDialog : public QDialog
{
    Q_OBJECT
public:
    explicit AddSceneDialog(QWidget* parent = nullptr) : QDialog(parent) {}
    // Empties the editor for a new scene (isPreview false) or one being edited.
    void resetForNew(bool isPreview, int index)
    {
        ++m_resetCount;
        m_isPreview = isPreview;
        m_index = index;
    }
    // The layout's background picture; the store keeps it for the layout being saved.
    void setBackground(QString path)
    {
        m_background = path;
        CDataCenter::getInstance()->sceneBackground = path;
    }
    int resetCount() const { return m_resetCount; }
    bool isPreview() const { return m_isPreview; }
    int index() const { return m_index; }

signals:
    void save_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                      QString strPath);
    void save_and_use_clicked(std::vector<PreviewWidget*> previewVec, int type, bool isPreview, int index,
                              QString strPath);
    void send_AddBackGroundSig();

private:
    int m_resetCount = 0;
    bool m_isPreview = false;
    int m_index = 0;
    QString m_background;
};
