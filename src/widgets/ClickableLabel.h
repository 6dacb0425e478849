#pragma once
// A label that reports left and right presses together with a payload the owner stores in it
// (a chat row keeps its record there, an emote cell its code).

#include <QLabel>
#include <QMouseEvent>
#include <QVariant>

class ClickableLabel : public QLabel
{
    Q_OBJECT
public:
    explicit ClickableLabel(QWidget* parent = nullptr);

    QVariant& payload() { return m_payload; }
    void setPayload(const QVariant& value) { m_payload = value; }

signals:
    void clicked(QVariant& object, QMouseEvent* event);
    void rightClicked(QVariant& object, QMouseEvent* event);
    void paintEventFinished(bool isUpdate);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    QVariant m_payload;
};
