#pragma once
// Minimal co-host view strip (replaced by the full strip with its remote tiles).
#include "cohost/SceneWidget.h"

#include <QHBoxLayout>
#include <QHash>
#include <QWidget>

class ItemConnectMicWidget;

class SceneCenterWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SceneCenterWidget(QWidget* parent = nullptr) : QWidget(parent)
    {
        auto* layout = new QHBoxLayout(this);
        layout->setContentsMargins(4, 0, 4, 0);
        m_sceneWidget = new SceneWidget(this);
        layout->addWidget(m_sceneWidget);
        layout->addStretch();
    }
    SceneWidget* sceneWidget() const { return m_sceneWidget; }
    void setMicItemMap(QHash<int, ItemConnectMicWidget*>* map) { m_micItemMap = map; }
    void updateRemoteWidgets() {}
    void setRoomId(int roomId) { m_roomId = roomId; }
    int roomId() const { return m_roomId; }

private:
    SceneWidget* m_sceneWidget = nullptr;
    QHash<int, ItemConnectMicWidget*>* m_micItemMap = nullptr;
    int m_roomId = 0;
};
