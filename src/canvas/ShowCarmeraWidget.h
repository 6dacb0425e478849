#pragma once
// The separate camera window: a dark 280 x 158 panel inside the preview with a hidden round
// avatar, and its own context menu and rotate submenu. The main window makes it hidden and
// nothing shows it yet; its menu's "取消应用" takes the camera off (sendCancleCamera) and hides the
// window, "翻转" opens the submenu beside the last right press.

#include <QPoint>
#include <QWidget>

class QFrame;
class QLabel;
class RightChildMenu;
class RightMenu;
class RoundLabel;

namespace Ui
{
class ShowCameraWidget;
}

class ShowCarmeraWidget : public QWidget
{
    Q_OBJECT
public:
    explicit ShowCarmeraWidget(QWidget* parent = nullptr);
    ~ShowCarmeraWidget() override;

    // false hides both menus (the overlay moved or changed size), true shows them.
    void setMenusVisible(bool visible);

    RightMenu* rightMenu() const { return m_rightMenu; }
    RightChildMenu* rightChildMenu() const { return m_rightChildMenu; }
    RoundLabel* avatar() const { return m_avatar; }

public slots:
    void ClickChildRightMenu();

signals:
    void sendCancleCamera();

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    Ui::ShowCameraWidget* ui;
    QFrame* m_frame = nullptr;
    RoundLabel* m_avatar = nullptr;
    QLabel* m_cover = nullptr;
    RightMenu* m_rightMenu = nullptr;
    RightChildMenu* m_rightChildMenu = nullptr;
    QPoint m_pressPos; // global position of the last right press
};
