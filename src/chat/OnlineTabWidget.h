#pragma once
// One tab of the online-users page's header ("在线", "禁言", "拉黑", "屏蔽"): a centred text over
// a 28 x 2 white underline shown while the tab is selected. A press on a tab that is not selected
// selects it and reports its index (left or right button alike, by its own signal); a press on
// the selected tab does nothing.

#include <QVariant>
#include <QWidget>

class QLabel;
class QMouseEvent;

class OnlineTabWidget : public QWidget
{
    Q_OBJECT
public:
    explicit OnlineTabWidget(QWidget* parent = nullptr);

    void setText(const QString& text);
    void setNormalStyle(const QString& style);
    void setSelectedStyle(const QString& style);
    // Selected: the selected style and the underline; otherwise the normal style without it.
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QVariant object; // the tab's index

    QLabel* textLabel() const { return m_text; }
    QLabel* underline() const { return m_underline; }

signals:
    void leftClicked(QVariant& object, QMouseEvent* event);
    void rightClicked(QVariant& object, QMouseEvent* event);

protected:
    void mousePressEvent(QMouseEvent* event) override;

private:
    QLabel* m_text;
    QLabel* m_underline;
    QString m_normalStyle;
    QString m_selectedStyle;
    bool m_selected = false;
};
