#pragma once
// The desktop-share bar at the top centre of the screen: "正在进行屏幕共享" and "退出共享".
// It hides itself on a repeating timer unless the mouse rests on it; its strip (HideWindow)
// brings it back. The main window sets `sharing` when it shows the bar for a desktop share and
// clears it whenever it closes the bar; the button closes, clears and emits exit_desktop_share.
#include <QWidget>

class HideWindow;
class QTimer;
namespace Ui
{
class FloatingWindow;
}

class FloatingWindow : public QWidget
{
    Q_OBJECT
public:
    FloatingWindow(QWidget* parent, HideWindow* strip);
    ~FloatingWindow() override;

    static constexpr int kHideMs = 10000;

    bool sharing = false;

    QTimer* hideTimer() const { return m_hideTimer; }

signals:
    void exit_desktop_share();

public slots:
    void on_exit_share_btn_clicked();
    void hideWindow();
    void showWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    Ui::FloatingWindow* ui;
    QTimer* m_hideTimer = nullptr;
};
