#pragma once
// Minimal whiteboard panel (replaced by the full panel with its tiles). It only counts its tiles.
#include <QWidget>

class WhiteBoardControl : public QWidget
{
    Q_OBJECT
public:
    explicit WhiteBoardControl(QWidget* parent = nullptr) : QWidget(parent) {}

    // One more whiteboard tile, numbered after the last; the argument is not used.
    void addItem(int) { ++m_count; }
    int count() const { return m_count; }

signals:
    void sendAddWhiteBoard(int num);
    void sendShowWhiteBoard(int nIndex);

private:
    int m_count = 0;
};
