#pragma once
// The small white drop-down list of a layout tile: once for the kind of content ("摄像头" or
// "图片"), once for the pictures. A frameless popup; a press on a row reports the row's text, in
// picture mode its full text (the row shows it elided).

#include <QWidget>

class QFrame;
class QLabel;
class QListWidget;
class QListWidgetItem;

class MyListWidget : public QWidget
{
    Q_OBJECT
public:
    explicit MyListWidget(QWidget* parent = nullptr);

    // A row of the kind list; "图片" gets an arrow button that reports it too.
    void setListWidgetComInfo(QString text);
    // A row of the picture list: the text elided to 90 pixels, the full text as tool tip.
    void setListWidgetInfo(QString text);
    // A row of the picture list that only informs ("暂无数据"): presses on it report nothing.
    void setListWidgetNote(QString text);
    // Fixed size of the widget and its frame; the list gets (width, height - 12) at (0, 6).
    void setListSize(int width, int height, bool pictureMode);

    QListWidget* listWidget() const { return m_list; }
    bool pictureMode() const { return m_pictureMode; }

signals:
    void clickedText(QString str);

private:
    void onItemPressed(QListWidgetItem* item);
    QListWidgetItem* addRow(QWidget* row);
    QListWidgetItem* addPictureRow(const QString& text, QLabel** label);

    QFrame* m_frame;
    QListWidget* m_list;
    bool m_pictureMode = false;
};
