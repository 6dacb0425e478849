#pragma once
// The document panel below the preview (861 x 136) while the document tool is active. Its upper
// row holds one tab per document the host applied from the document list and the button
// "添加文档"; its lower row is a horizontally scrolling strip of the selected document's page
// thumbnails. A clicked page, a switched tab or a closed current tab tells the main window which
// page picture to put on the canvas; the last tab closing tells it to clear the canvas.
//
// Documents get an index from a running counter (back to 0 when the last tab closes). Arrows
// over the tab bar appear once the open tabs, counted 70 px each, exceed the bar's width.
#include <QList>
#include <QPair>
#include <QString>
#include <QVector>
#include <QWidget>

class DocumentShowPicWidget;
class QHBoxLayout;
class QLabel;
class QScrollArea;
class QToolButton;
class TipDocumentLabel;

class DocumentControl : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kTabStep = 70;     // what one tab counts towards the arrows
    static constexpr int kArrowStep = 80;   // one arrow press moves the tabs this far
    static constexpr int kWheelStep = 180;  // one wheel event moves the strip this far
    static constexpr int kTabAreaHeight = 27; // wheel events above this are over the tabs

    explicit DocumentControl(QWidget* parent = nullptr);

    // A new tab for the document, selected, and its pages in the strip.
    void addDocument(QString pageFolder, QString name);
    // A document deleted from the list: its tab closes (the list knows it is no longer used).
    void removeDocument(QString pageFolder, QString name);
    // Fills the strip with the folder's pages in page order and selects the first.
    void loadPages(QString folder);
    void addTab(QString pageFolder, QString name);

    int tabCount() const { return m_tabs.size(); }
    QList<TipDocumentLabel*> tabs() const { return m_tabs; }
    QList<DocumentShowPicWidget*> thumbnails() const;
    int currentDocumentIndex() const { return m_currentIndex; }
    int nextDocumentIndex() const { return m_nextIndex; }

signals:
    void sendResetStatusSig(QString strpath, QString strfileName);
    void sigGetCameraPos();
    void sendDocumentSharePicSig(QString strpath);
    void sendAddDoc();
    void sendDelDocumentClear();

public slots:
    void recvSharePicslot(QString strpath, int nIndex);
    void rectTipCloseslot(QString strfilepath, int index);
    void recvTipSwitchslot(QString strfilepath, int index);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void buildForm();
    void clearStrip();
    void colourTabs(int selectedIndex);
    // After the current tab left: the first tab becomes current and shows, or with none left the
    // canvas is cleared.
    void afterCurrentTabLeft();
    void takeTab(TipDocumentLabel* tab);
    void updateArrows();

    QScrollArea* m_tabBar = nullptr; // scrollArea_2
    QWidget* m_tabContent = nullptr; // scrollAreaWidgetContents_2
    QHBoxLayout* m_tabRow = nullptr;
    QToolButton* m_addButton = nullptr;
    QScrollArea* m_strip = nullptr;  // scrollArea
    QWidget* m_stripContent = nullptr; // scrollAreaWidgetContents
    QHBoxLayout* m_pageRow = nullptr;
    QLabel* m_leftArrow = nullptr;
    QLabel* m_rightArrow = nullptr;

    int m_nextIndex = 0;
    int m_currentIndex = 0;
    QList<TipDocumentLabel*> m_tabs;
    QVector<QPair<int, QString>> m_pageEntries;
    int m_tabWidthSum = 0;
};
