#pragma once
// The single chat-picture viewer: fits a picture into the 600 x 540 area (never above 100 %),
// zooms with the wheel down to half the fitted size, drags the picture where it is larger than
// the area and the window elsewhere, and goes away when it loses the focus or is closed. Only web
// addresses are shown; they come from the chat's picture cache without blocking.

#include <QDialog>
#include <QPixmap>
#include <QPoint>
#include <QPointer>

class ClickableLabel;
class QFrame;
class QLabel;

class ShowBigImageDialog : public QDialog
{
    Q_OBJECT
public:
    // The single viewer, made when there is none.
    static ShowBigImageDialog* instance();
    // The viewer when one exists (tests).
    static ShowBigImageDialog* existing() { return s_instance; }

    // Shows the picture at `address` (the reference widget is not used).
    void showImage(const QString& address, QWidget* reference = nullptr);
    void updateImgSize();

    double scale() const { return m_scale; }
    double minScale() const { return m_minScale; }
    double maxScale() const { return m_maxScale; }
    QLabel* imageLabel() const { return m_imgShow; }
    QFrame* contentFrame() const { return m_contentFrame; }

protected:
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    ShowBigImageDialog();
    void setPicture(const QPixmap& picture);
    // Forgets the viewer, closes it and releases it once control is back in the event loop.
    void dismiss();

    static QPointer<ShowBigImageDialog> s_instance;

    QFrame* m_widget = nullptr;
    QLabel* m_title = nullptr;
    ClickableLabel* m_closeBtn = nullptr;
    QFrame* m_contentFrame = nullptr;
    QLabel* m_imgShow = nullptr;
    QPixmap m_picture;
    int m_areaWidth = 0;
    int m_areaHeight = 0;
    double m_scale = 1.0;
    double m_minScale = 1.0;
    double m_maxScale = 1.0;
    bool m_dragging = false;
    bool m_windowDrag = false;
    QPoint m_lastPos;
};
