#pragma once
// The editor's tile area and background area: paints the chosen picture over a dark rounded
// panel, or, without one, a plain grey rounded panel.

#include <QImage>
#include <QString>
#include <QWidget>

class MyWidgetPatter : public QWidget
{
    Q_OBJECT
public:
    explicit MyWidgetPatter(QWidget* parent = nullptr);

    // Stores the picture's path (empty: none) and reads the picture off the window's thread; the
    // widget repaints once it is in. Until then, and for a picture that does not load, the dark
    // panel shows alone.
    void setPicturePath(const QString& path);
    QString picturePath() const { return m_path; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_path;
    QImage m_picture; // m_path's picture once read
};
