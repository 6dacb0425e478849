#pragma once
// The large square button of the tool column: a 36 x 36 icon above a short text on a rounded
// dark tile that lights up under the pointer and stays lit while its tool is selected. It reports
// presses on its inner frame through clickframe.

#include <QPushButton>

class QFrame;
class QLabel;
class QVBoxLayout;

class MyButton : public QPushButton
{
    Q_OBJECT
public:
    explicit MyButton(QWidget* parent = nullptr);

    void initUi();
    void setType(int type);
    // Sets the flag only; the look follows at the next updateStyle or pointer event.
    void setSelected(bool selected);
    // iconName is a file name under ":/images/live/", for instance "document.png".
    void setIconAndText(const QString& iconName, const QString& text);
    void updateStyle();

    bool isSelected() const { return m_selected; }
    int type() const { return m_type; }
    QFrame* frame() const { return frameButton; }
    QLabel* iconLabel() const { return piclbl; }
    QLabel* textLabel() const { return textlbl; }

signals:
    void clickframe(int type);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString selectedIconRule() const;
    QString plainIconRule() const;
    void setLabelStyles(const char* textStyle, const char* iconStyle);

    QLabel* piclbl = nullptr;
    QLabel* textlbl = nullptr;
    QFrame* frameButton = nullptr;
    QString m_iconName;
    QVBoxLayout* m_frameLayout = nullptr;
    int m_type = -1;
    bool m_selected = false;
};
