#pragma once
// A native child window that only the engine draws into (a libobs display): Qt paints nothing
// there, or it would fight the display. Base is the widget class the form calls for (a plain
// widget, a label).

#include <QWidget>

template <class Base>
class EngineDisplayView : public Base
{
public:
    explicit EngineDisplayView(QWidget* parent) : Base(parent)
    {
        this->setAttribute(Qt::WA_NativeWindow);
        this->setAttribute(Qt::WA_PaintOnScreen);
        this->setAttribute(Qt::WA_NoSystemBackground);
    }
    QPaintEngine* paintEngine() const override { return nullptr; }

protected:
    void paintEvent(QPaintEvent*) override {}
};
