#pragma once
// A label that shows its pixmap cut to a circle (avatars); without a pixmap it is a plain label.

#include <QLabel>

class RoundLabel : public QLabel
{
    Q_OBJECT
public:
    explicit RoundLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};
