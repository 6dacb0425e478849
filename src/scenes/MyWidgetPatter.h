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

    // Stores the picture's path (empty: none); the widget repaints when next asked to.
    void setPicturePath(const QString& path);
    QString picturePath() const { return m_path; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString m_path;
    QString m_loadedPath; // the path m_picture was read from
    QImage m_picture;
};
