#pragma once
// One numbered whiteboard tile (140 x 76): a white frame, the number badge in the top-left corner
// and a close icon while the mouse is over it. A click selects it, the icon closes it; both
// report its number.
#include <QWidget>

class QFrame;
class QLabel;

class WhiteBoardShowInfoWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 140;
    static constexpr int kHeight = 76;

    WhiteBoardShowInfoWidget(QWidget* parent, int number);

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    void setNumber(int number);
    int number() const { return m_number; }

signals:
    void sendCloseClicksig(int nIndex);
    void sendClickSelect(int nIndex);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyFrameLook(bool highlighted);

    QFrame* m_frame = nullptr;
    QFrame* m_badge = nullptr;
    QLabel* m_numberLabel = nullptr;
    QLabel* m_closeIcon = nullptr;
    int m_number = 0;
    bool m_selected = false;
    bool m_closed = false;
};
