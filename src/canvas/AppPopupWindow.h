#pragma once
// The window-share bar: a light-blue tab "应用共享中" with "结束" at the main window's lower left
// edge. A press on "结束" closes it and emits exit_window_share. The main window places it.
#include <QPainterPath>
#include <QWidget>

namespace Ui
{
class AppPopupWindow;
}

class AppPopupWindow : public QWidget
{
    Q_OBJECT
public:
    explicit AppPopupWindow(QWidget* parent = nullptr);
    ~AppPopupWindow() override;

    // The tab's outline: a rectangle whose right end is a half circle of the rectangle's height.
    static QPainterPath tabPath(const QRect& rect);

signals:
    void exit_window_share();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::AppPopupWindow* ui;
};
