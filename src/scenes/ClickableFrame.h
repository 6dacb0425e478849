#pragma once
// A frame that reports a left press as clicked() and then handles the press like any frame. Enter
// and leave are ignored; isEnterFrame is declared for listeners but never sent.

#include <QFrame>

class ClickableFrame : public QFrame
{
    Q_OBJECT
public:
    explicit ClickableFrame(QWidget* parent = nullptr);

signals:
    void clicked();
    void isEnterFrame(bool b);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
};
