#pragma once
// A tab header: a centred text above two 28 x 2 underline bars (white and blue), both hidden
// until the owner shows the one its style uses.

#include <QWidget>

class QLabel;

class CustomWidget : public QWidget
{
    Q_OBJECT
public:
    explicit CustomWidget(QWidget* parent = nullptr);
    ~CustomWidget() override;

    void setText(const QString& text);
    void setTextStyleSheet(const QString& styleSheet);
    void setWhiteLineVisible(bool visible);
    void setBlueLineVisible(bool visible);

    QLabel* textLabel() const { return m_textLabel; }
    QLabel* whiteLine() const { return m_whiteLine; }
    QLabel* blueLine() const { return m_blueLine; }

private:
    QLabel* m_textLabel;
    QLabel* m_whiteLine;
    QLabel* m_blueLine;
};
