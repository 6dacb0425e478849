#pragma once
// One tab of the document panel (92 x 28): the document's name on a dark frame and a close icon
// that shows while the mouse is over the tab. Pressing the name asks to switch to the document,
// pressing the icon closes the tab; both report the tab's page folder and document index.
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;

class TipDocumentLabel : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 92;
    static constexpr int kHeight = 28;

    TipDocumentLabel(QString name, QString pageFolder, int index, QWidget* parent = nullptr);

    QString name() const { return m_name; }
    QString pageFolder() const { return m_pageFolder; }
    int index() const { return m_index; }
    // The selected or the unselected colour of the frame.
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

signals:
    void sendCloseClicksig(QString strfilePath, int nIndex);
    void sendSwitchDocSig(QString strfilePath, int nIndex);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    QFrame* m_frame = nullptr;
    QLabel* m_nameLabel = nullptr;
    QLabel* m_closeIcon = nullptr;
    QString m_name;
    QString m_pageFolder;
    int m_index = 0;
    bool m_selected = false;
};
