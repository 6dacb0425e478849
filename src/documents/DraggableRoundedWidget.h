#pragma once
// A frameless window of the document area that paints its style-sheet background, clips itself to
// a rectangle with 8-pixel rounded corners, and moves when dragged anywhere.

#include "widgets/RoundedMask.h"
#include "widgets/TopBandDrag.h"

#include <QWidget>

#include <limits>

class DraggableRoundedWidget : public QWidget
{
public:
    explicit DraggableRoundedWidget(QWidget* parent = nullptr) : QWidget(parent)
    {
        setWindowFlags(Qt::Window | Qt::FramelessWindowHint);
    }

protected:
    void paintEvent(QPaintEvent* event) override
    {
        paintRoundedWindow(*this, kRadius);
        QWidget::paintEvent(event);
    }
    void mousePressEvent(QMouseEvent* event) override { m_drag.press(*event); }
    void mouseMoveEvent(QMouseEvent* event) override { m_drag.move(*this, *event); }
    void mouseReleaseEvent(QMouseEvent* event) override { m_drag.release(*this, *event); }

private:
    static constexpr int kRadius = 8;
    TopBandDrag m_drag{std::numeric_limits<int>::max()}; // the band is the whole window
};
