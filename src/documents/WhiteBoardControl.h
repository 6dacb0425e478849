#pragma once
// The whiteboard panel below the preview (at least 800 x 136) while the whiteboard tool is active:
// the heading "白板预览", the button "添加白板" and a scrolling row of numbered whiteboard tiles.
// The panel only reports: the add button its count (the main window decides whether to add),
// a selected tile its number. Tiles stay numbered 1 to count: closing one renumbers those after it.
#include <QList>
#include <QWidget>

class QHBoxLayout;
class QScrollArea;
class QSpacerItem;
class QToolButton;
class WhiteBoardShowInfoWidget;

class WhiteBoardControl : public QWidget
{
    Q_OBJECT
public:
    explicit WhiteBoardControl(QWidget* parent = nullptr);

    // Appends a tile with that number; nothing is selected or shown.
    void addItem(int number);

    int count() const { return m_count; }
    int currentNumber() const { return m_currentNumber; }
    QList<WhiteBoardShowInfoWidget*> tiles() const;

signals:
    void sendAddWhiteBoard(int num);
    void sendShowWhiteBoard(int nIndex);

public slots:
    void onCloseBoard(int number);
    void onSelectBoard(int number);

private:
    QScrollArea* m_scrollArea = nullptr;
    QWidget* m_content = nullptr;
    QHBoxLayout* m_tileRow = nullptr;
    QSpacerItem* m_trailingSpacer = nullptr;
    QToolButton* m_addButton = nullptr;
    int m_count = 0;
    int m_currentNumber = 1;
};
