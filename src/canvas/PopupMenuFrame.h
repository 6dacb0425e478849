#pragma once
// The common body of the preview's small popup menus (RightMenu, RightChildMenu, SortPageMenu): a
// frameless translucent tool dialog holding one dark rounded frame with a column of rows. A row is
// an icon, a text and, for rows that open a submenu, a trailing arrow. The dialog watches the mouse
// events of itself, its frame and every label, so a press anywhere reaches the subclass with the
// row it hit (or -1 for the frame around the rows).

#include <QDialog>
#include <QHash>
#include <QMargins>

class QFrame;
class QHBoxLayout;
class QLabel;
class QVBoxLayout;

class PopupMenuFrame : public QDialog
{
    Q_OBJECT
public:
    // The labels of one row (arrow null when the row has none).
    struct Row {
        QHBoxLayout* layout = nullptr;
        QLabel* icon = nullptr;
        QLabel* text = nullptr;
        QLabel* arrow = nullptr;
    };

    // The id the menu was last opened for (0 = the host's own camera).
    int userId() const { return m_userId; }
    void setUserId(int userId) { m_userId = userId; }

    QFrame* frame() const { return m_frame; }
    QVBoxLayout* column() const { return m_column; }

protected:
    PopupMenuFrame(QWidget* parent, const QSize& size);

    // Builds row `id` (icon file under ":/images/live/", UTF-8 text). Laid out at the end of the
    // column unless `laidOut` is false, in which case its labels stay hidden and out of the column.
    Row addRow(int id, const char* icon, const char* text, const QMargins& margins, bool arrow = false,
               bool laidOut = true);

    // A left press on row `row` (-1: the menu or its frame). Returns whether the event is consumed.
    virtual bool rowPressed(int row) = 0;

    bool eventFilter(QObject* watched, QEvent* event) override;

    int m_userId = 0;

private:
    void watch(QObject* object, int row);

    QFrame* m_frame = nullptr;
    QVBoxLayout* m_column = nullptr;
    QHash<QObject*, int> m_rowOf; // watched object -> row id (-1 the menu and the frame)
};
