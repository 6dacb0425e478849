#pragma once
// Minimal stand-in: a label that reports left presses with its payload (the chat-label work
// replaces this file with the full label).

#include <QLabel>
#include <QMouseEvent>
#include <QVariant>

class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr) : QLabel(parent) {}

signals:
    void clicked(QVariant& payload, QMouseEvent* event);
    void rightClicked(QVariant& payload, QMouseEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event) override
    {
        if (event->button() == Qt::LeftButton)
            emit clicked(m_payload, event);
        else if (event->button() == Qt::RightButton)
            emit rightClicked(m_payload, event);
    }

private:
    QVariant m_payload;
};
