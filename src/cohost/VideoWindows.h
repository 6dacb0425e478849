#pragma once
// Minimal preview overlay (replaced by the full co-host video overlay).
#include <QWidget>

class VideoWindows : public QWidget
{
    Q_OBJECT
public:
    explicit VideoWindows(QWidget* parent = nullptr) : QWidget(parent) {}
    void setRoomId(int roomId) { m_roomId = roomId; }
    int roomId() const { return m_roomId; }

private:
    int m_roomId = 0;
};
