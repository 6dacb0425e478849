#pragma once
// One page thumbnail of the document panel's strip (140 x 78): the page picture on a blue
// placeholder, the page number badge in the top-left corner and a frame that shows hover and
// selection. Its picture is decoded by a ParseQImage of its own, started when it is made; a click
// reports its path and page number.
//
// Each picture that arrives also becomes the store's page size (CDataCenter::docImageWidth and
// docImageHeight), which the canvas uses to fit the page.
#include <QImage>
#include <QSize>
#include <QString>
#include <QWidget>

class ParseQImage;
class QFrame;
class QLabel;

class DocumentShowPicWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 140;
    static constexpr int kHeight = 78;

    DocumentShowPicWidget(int pageNumber, QString imagePath, QWidget* parent = nullptr);
    ~DocumentShowPicWidget() override;

    // The picture label's size for a page of w x h (the picture is stretched to it); an empty
    // size for an empty page.
    static QSize pictureSize(int w, int h);

    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }
    int pageNumber() const { return m_pageNumber; }
    QString imagePath() const { return m_imagePath; }
    ParseQImage* loader() const { return m_loader; }

signals:
    void share_sig(QString strpath, int nIndex);

public slots:
    void recvParseImageslot(QImage image, QSize fullSize);

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void applyFrameLook(bool highlighted);

    QFrame* m_frame = nullptr;
    QLabel* m_picture = nullptr;
    QFrame* m_badge = nullptr;
    QLabel* m_number = nullptr;
    ParseQImage* m_loader = nullptr;
    QString m_imagePath;
    int m_pageNumber = 0;
    bool m_selected = false;
};
