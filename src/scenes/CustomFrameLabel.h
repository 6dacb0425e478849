#pragma once
// The translucent hover cover of the layout editor's background area: black at half opacity over
// its whole rectangle, holding the editor's "替换" and "删除" buttons. clickedLabel is declared for
// listeners but never sent.

#include <QLabel>

class CustomFrameLabel : public QLabel
{
    Q_OBJECT
public:
    explicit CustomFrameLabel(QWidget* parent = nullptr);

signals:
    void clickedLabel();

protected:
    void paintEvent(QPaintEvent* event) override;
};
