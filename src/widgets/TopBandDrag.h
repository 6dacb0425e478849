#pragma once
// Moving a frameless dialog by its top band: a press anchors the pointer; a move or a release
// inside the band moves the dialog by the pointer's travel since the anchor (a move also
// re-anchors); events below the band are dropped.

#include <QMouseEvent>
#include <QPoint>
#include <QWidget>

class TopBandDrag
{
public:
    explicit TopBandDrag(int bandHeight) : m_bandHeight(bandHeight) {}

    void press(const QMouseEvent& event) { m_anchor = event.globalPos(); }

    // True when the event lay in the band and the dialog followed it.
    bool move(QWidget& dialog, const QMouseEvent& event)
    {
        if (event.pos().y() >= m_bandHeight)
            return false;
        dialog.move(dialog.pos() + event.globalPos() - m_anchor);
        m_anchor = event.globalPos();
        return true;
    }

    void release(QWidget& dialog, const QMouseEvent& event)
    {
        if (event.pos().y() < m_bandHeight)
            dialog.move(dialog.pos() + event.globalPos() - m_anchor);
    }

private:
    int m_bandHeight;
    QPoint m_anchor;
};
