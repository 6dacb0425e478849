#pragma once
// The one-pixel line just above the desktop-share bar: while the bar hides itself, touching the
// top of the screen here brings it back (showFloatingWindow).
#include <QWidget>

class HideWindow : public QWidget
{
    Q_OBJECT
public:
    explicit HideWindow(QWidget* parent = nullptr);

    static constexpr int kWidth = 280;

signals:
    void showFloatingWindow();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};
