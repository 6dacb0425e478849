#pragma once
// One co-host's video on the preview: a child of the co-host video overlay (VideoWindows) into
// whose video view, a plain native child window, the real-time room draws that co-host's video
// once setUser has moved the remote view here from the co-host's tile.
//
// The host drags it with the left button; it never leaves its parent, and the release asks the
// overlay (sigUpdataLayout) to send its new place to the mix. A right press is taken by the
// widget's own event filter and asks for the video menu (sigShowRightMenu) instead.

#include <QPoint>
#include <QWidget>

class QVBoxLayout;

class RemoteVideoWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kPlacedWidth = 210;
    static constexpr int kPlacedHeight = 118;

    explicit RemoteVideoWidget(QWidget* parent = nullptr);
    ~RemoteVideoWidget() override;

    // Keeps both ids and moves the co-host's remote view into this widget's video view.
    void setUser(int spaceId, int roomId);
    // 210 x 118 at p, kept inside the parent.
    void placeAt(QPoint p);
    // Moves to (x, y), pulled back inside the parent (when there is one).
    void moveClamped(int x, int y);

    int spaceId() const { return m_spaceId; }
    int roomId() const { return m_roomId; }
    QWidget* videoView() const { return m_videoView; }

signals:
    void sigShowRightMenu(int userId);
    void sigUpdataLayout(int userId);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    QVBoxLayout* m_layout = nullptr;
    QWidget* m_videoView = nullptr;
    int m_spaceId = 0;
    int m_roomId = 0;
    bool m_pressed = false;
    QPoint m_pressPoint;
};
