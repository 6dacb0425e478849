#pragma once
// Preview overlay for co-host videos. Until the overlay itself is built, every
// operation only records its call, so the window's wiring can be exercised.
#include <QString>
#include <QStringList>
#include <QWidget>

class VideoWindows : public QWidget
{
    Q_OBJECT
public:
    explicit VideoWindows(QWidget* parent = nullptr) : QWidget(parent) {}
    void setRoomId(int roomId) { m_roomId = roomId; }
    int roomId() const { return m_roomId; }

    void handleDropEvent(const QString& id) { record("handleDropEvent", id); }
    void clearRemoteVideos() { m_calls << QStringLiteral("clearRemoteVideos"); }
    void handleResize() { m_calls << QStringLiteral("handleResize"); }
    void updateLayout(int id) { record("updateLayout", id); }
    void rotateClockwise(int id) { record("rotateClockwise", id); }
    void rotateAnticlockwise(int id) { record("rotateAnticlockwise", id); }
    void toggleMirror(int id) { record("toggleMirror", id); }
    void resetPosition(int id) { record("resetPosition", id); }
    void moveLayerTop(int id) { record("moveLayerTop", id); }
    void moveLayerBottom(int id) { record("moveLayerBottom", id); }
    void moveLayerUp(int id) { record("moveLayerUp", id); }
    void moveLayerDown(int id) { record("moveLayerDown", id); }

    // "name id" per call, oldest first.
    const QStringList& standInCalls() const { return m_calls; }

public slots:
    void handleRightMenuCancelRef(int id) { record("handleRightMenuCancelRef", id); }

signals:
    void sigShowRightMenu(int id);
    void sigDragSceneWidget();
    void sigReplyDragEvent(int id);

private:
    void record(const char* name, int id) { record(name, QString::number(id)); }
    void record(const char* name, const QString& arg)
    {
        m_calls << QString::fromLatin1(name) + QLatin1Char(' ') + arg;
    }

    int m_roomId = 0;
    QStringList m_calls;
};
