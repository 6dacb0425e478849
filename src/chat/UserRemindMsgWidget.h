#pragma once
// The band over the bottom of the chat list that briefly names a viewer who entered or left the
// room. Every notice reuses one label; each notice hides the band after hideDelayMs, so an older
// notice's timer may hide a newer one early. GUI thread only.

#include <QString>
#include <QWidget>

class QLabel;
class QVBoxLayout;

class UserRemindMsgWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kRows = 3;
    static constexpr int kRowHeight = 24;
    static constexpr int kDefaultHideDelayMs = 5000;
    static constexpr int kLabelInset = 30; // the label is this much narrower than the band

    explicit UserRemindMsgWidget(QWidget* parent);

    void addNewMsg(const QString& name, bool enter);

    // The rich text of a notice: the name shortened to fit `width` (measured on the plain
    // sentence with `metrics`), then escaped.
    static QString noticeText(const QString& name, bool enter, const QFontMetrics& metrics, int width);
    // The name as shortened for the plain sentence (no markup, no escaping).
    static QString fittedName(const QString& name, bool enter, const QFontMetrics& metrics, int width);
    static QString plainSentence(const QString& name, bool enter);

    void setHideDelayMs(int ms) { m_hideDelayMs = ms; }
    QLabel* noticeLabel() const { return m_label; }

private:
    QVBoxLayout* m_layout = nullptr;
    QLabel* m_label = nullptr;
    int m_hideDelayMs = kDefaultHideDelayMs;
};
