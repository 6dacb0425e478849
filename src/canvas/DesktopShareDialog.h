#pragma once
// The share picker: the host picks the whole screen or one application window and presses
// "共 享"; the picker then emits desktop_share_click(type, name) with the kind (0 screen, 1 window)
// and, for a window, its title. Made once after login without a parent and run modally by the
// share tool; the choice survives closing, so the next "共 享" repeats it.
//
// It owns its capture engine, made by s_makeCaptureEngine (tests install one returning fixed lists
// and pictures), and keeps copies of the engine's monitor and window lists. While the picker is
// shown a 20 ms timer re-lists the windows and rebuilds the icon row and the grid when their number
// changes; hidden, it lists nothing. Window titles are other programs' text: tiles and tool tips
// show them as plain text. Everything runs on the GUI thread.

#include "engine/capture/ScreenCaptureEngine.h"
#include "widgets/TopBandDrag.h"

#include <QDialog>
#include <QImage>
#include <QList>
#include <QString>

#include <functional>
#include <limits>
#include <memory>
#include <string>
#include <vector>

class QButtonGroup;
class QGridLayout;
class QHBoxLayout;
class QSpacerItem;
class QTimer;
class QToolButton;
class WindowWidget;

namespace Ui
{
class DesktopShareDialog;
}

class DesktopShareDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DesktopShareDialog(QWidget* parent = nullptr);
    ~DesktopShareDialog() override;

    bool isSharing() const { return m_sharing; }
    void setSharing(bool sharing) { m_sharing = sharing; }
    // Starts the window refresh, but only while the picker is shown (showing it starts it too).
    void startRefreshTimer();

    // A thumbnail's PNG bytes as an opaque picture: colours premultiplied by their alpha, the alpha
    // then dropped (transparent parts are black). Bytes that don't decode as a PNG give a null image.
    static QImage pngToBitmap(const std::string& png);

    // Where the picker's capture engine comes from.
    inline static std::function<std::shared_ptr<ScreenCaptureEngine>()> s_makeCaptureEngine = [] {
        return std::make_shared<ScreenCaptureEngine>();
    };

    static constexpr int kRefreshIntervalMs = 20;
    static constexpr int kAllButtonId = 0;
    static constexpr int kFirstWindowButtonId = 2; // window i has id i + 2
    static constexpr int kGridColumns = 4;
    static constexpr int kGridSpacing = 8;
    static constexpr int kOneWindowSpacing = 18;

signals:
    void desktop_share_click(int type, QString name);
    void desktop_cancel_click();

public slots:
    void on_close_btn_clicked();
    void on_cancel_btn_clicked();
    void on_share_btn_clicked();
    void onBtnFunc(int id);
    // Shows the window maximised and puts it below every other window.
    void handleMaxWindow(unsigned long hwnd);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void loadAllIcons();
    void loadAllWindows(const std::vector<WindowInfo>& windows);
    void loadOneWindow();
    void refreshWindows();
    // Re-lists the windows from the engine into m_windows.
    void listWindows();
    void clearGrid();
    WindowWidget* makeWindowTile(const WindowInfo& window);
    QToolButton* makeIconButton(const QIcon& icon, int iconSide, const QString& toolTip);
    QPixmap thumbnail(const std::string& png) const;

    Ui::DesktopShareDialog* ui;
    std::shared_ptr<ScreenCaptureEngine> m_engine;
    std::vector<MonitorInfo> m_monitors;
    std::vector<WindowInfo> m_windows;
    size_t m_lastWindowCount = 0;

    QGridLayout* m_gridLayout = nullptr;
    QHBoxLayout* m_iconLayout = nullptr;
    QSpacerItem* m_iconSpacer = nullptr; // owned here while it is out of the row
    QButtonGroup* m_buttonGroup = nullptr;
    QToolButton* m_allBtn = nullptr;
    QToolButton* m_areaBtn = nullptr;
    QList<QToolButton*> m_iconButtons;
    QTimer* m_refreshTimer = nullptr;

    int m_shareType = -1; // -1: nothing chosen
    QString m_selectedName;
    QString m_selectedIconTitle;
    bool m_sharing = false;
    TopBandDrag m_drag{std::numeric_limits<int>::max()}; // the whole picker drags
};
