#pragma once
// One tile of the share picker: a thumbnail over a name line. The picker sets what the tile shows
// (name, kind, window) after construction and marks the chosen tile by the thumbnail's focus
// frame. Names are other programs' window titles: they are shown as plain text, tool tip included.
//
// WindowLabel is the tile's thumbnail label: it draws its pixmap inside a 2-pixel margin, so the
// focus and hover frames stay visible around the picture.

#include <QLabel>
#include <QPixmap>
#include <QString>
#include <QWidget>

namespace Ui
{
class WindowWidget;
}

class WindowLabel : public QLabel
{
    Q_OBJECT
public:
    explicit WindowLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

class WindowWidget : public QWidget
{
    Q_OBJECT
public:
    enum Kind { KindScreen = 0, KindWindow = 1 };

    explicit WindowWidget(QWidget* parent = nullptr);
    ~WindowWidget() override;

    // The name line shows `name` elided on the right to kNameWidth pixels; the tool tip and name()
    // keep it whole.
    void setName(const QString& name);
    QString name() const { return m_name; }
    void setType(int type) { m_type = type; }
    int type() const { return m_type; }
    // The X11 window id of the window the tile shows.
    void setHwnd(unsigned long hwnd) { m_hwnd = hwnd; }
    unsigned long hwnd() const { return m_hwnd; }
    void setThumbnail(const QPixmap& pixmap);
    // A placeholder is an empty filler: its thumbnail is hidden.
    void setPlaceholder(bool placeholder);
    bool isPlaceholder() const { return m_placeholder; }
    int thumbnailWidth() const;
    int thumbnailHeight() const;

    static constexpr int kNameWidth = 80;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Ui::WindowWidget* ui;
    QString m_name;
    int m_type = -1; // set by the picker
    unsigned long m_hwnd = 0;
    bool m_placeholder = false;
};
