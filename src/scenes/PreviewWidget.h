#pragma once
// One tile of the layout editor's 600 x 338 tile area.
//
// The tile shows what it will put on the canvas (the host's avatar for the camera, the first page
// image of a picture document, or a white panel asking for a choice), lets the host pick its
// content from two drop-down lists (MyListWidget: the kind, then the pictures), move it inside the
// area, grow it at 16:9 from its bottom-right corner, and remove it. It keeps its rectangle as
// fractions of the area (PosWeight), updated on every release.
//
// The editor owns the tiles (children of its tile area) and talks to them through the accessors
// below and the two signals; the two lists are top-level popups the tile deletes with itself. The
// pictures offered come from ScenePictures; the avatar from the settings store's avatar file.

#include "scenes/InfoWidget.h"
#include "scenes/SceneRecords.h"
#include "scenes/SceneTileGeometry.h"

#include <QImage>
#include <QPoint>
#include <QRect>
#include <QString>
#include <QWidget>

class QFrame;
class QLabel;
class QLineEdit;
class QPushButton;
class MyListWidget;
class RoundLabel;

class PreviewWidget : public QWidget
{
    Q_OBJECT
public:
    // A tile in `area` with number `num`, placed at `rect` (pixels of the area).
    PreviewWidget(QWidget* area, int num, const QRect& rect);
    ~PreviewWidget() override;

    // "摄像头" or "请选择": the content and the overlay's line edit; the look stays until refreshed.
    void setContent(const QString& text);
    // Shows the offered picture of that name. False, and nothing changes, when no offered picture
    // has that name (its document was deleted, or has no page image).
    bool setPicture(const QString& name);
    void setNum(int num);
    int getNum() const { return m_num; }
    QString content() const { return m_content; }
    PosWeight posWeight() const { return m_posWeight; }
    void setPosWeight(const PosWeight& weight) { m_posWeight = weight; }
    void setAreaRect(const QRect& area) { m_areaRect = area; }
    QRect areaRect() const { return m_areaRect; }
    QWidget* overlay() const { return m_overlay; }
    void setPressed(bool pressed);
    void setSelected(bool selected);
    bool isPressed() const { return m_pressed; }
    bool isSelected() const { return m_selected; }
    // Applies the camera look when the line edit reads "摄像头"; nothing otherwise.
    void refreshLook();

    // Set by the close button; the editor removes the marked tile or clears the mark.
    bool isRemoveMarked() const { return m_removeMark; }
    void setRemoveMark(bool mark) { m_removeMark = mark; }

    QString folder() const { return m_folder; }
    QString filePath() const { return m_filePath; }
    QString spare() const { return m_spare; }
    // What a saved layout's record is built from.
    SceneTileFields tileFields() const;

    MyListWidget* kindList() const { return m_kindList; }
    MyListWidget* pictureList() const { return m_pictureList; }

signals:
    void close_clicked(int num);
    void send_showisBorder(PreviewWidget* w);

public slots:
    // A row of the picture list was chosen.
    void setMyListWidgetContext(QString name);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;

private:
    void buildOverlay();
    void buildChoicePanel();
    void buildLists();
    void openKindList();
    void onKindChosen(const QString& kind);
    void applyCameraLook();
    bool showPicture(const QString& name);
    void applyPictureFit(const ScenePictureFit& fit);
    void applyAvatarCircle();
    void showEditText(const QString& text);
    void updateChoicePanel();
    void hoverAt(const QPoint& pos);

    int m_num;
    QString m_content;
    QString m_folder;
    QString m_filePath;
    QString m_spare;
    PosWeight m_posWeight;
    QRect m_areaRect;
    bool m_pressed = false;
    bool m_resizing = false;
    bool m_selected = false;
    bool m_removeMark = false;
    QPoint m_lastPos;
    QPoint m_lastGlobalPos;
    QImage m_picture;
    // Pictures (the tile's page, the host's avatar) are read off the window's thread; a reading
    // started before the latest choice is dropped when it comes in.
    quint64 m_pictureRequest = 0;

    QFrame* m_framePic = nullptr;
    QLabel* m_pictureLabel = nullptr;
    RoundLabel* m_avatarLabel = nullptr;
    QWidget* m_overlay = nullptr;
    QLabel* m_numLabel = nullptr;
    QLineEdit* m_contentEdit = nullptr;
    QPushButton* m_closeButton = nullptr;
    QFrame* m_choicePanel = nullptr;
    QLabel* m_choiceNumLabel = nullptr;
    MyListWidget* m_kindList = nullptr;    // owned, top-level
    MyListWidget* m_pictureList = nullptr; // owned, top-level
};
