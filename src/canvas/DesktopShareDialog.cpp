#include "canvas/DesktopShareDialog.h"

#include "canvas/WindowWidget.h"
#include "core/UntrustedText.h"
#include "platform/X11Capture.h"
#include "widgets/RoundedMask.h"
#include "ui_DesktopShareDialog.h"

#include <QButtonGroup>
#include <QDebug>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QMouseEvent>
#include <QScrollBar>
#include <QSpacerItem>
#include <QTimer>
#include <QToolButton>

// Only PNG is decoded, and no picture larger than any thumbnail could be.
#define STB_IMAGE_STATIC
#define STB_IMAGE_IMPLEMENTATION
#define STBI_ONLY_PNG
#define STBI_NO_STDIO
#define STBI_MAX_DIMENSIONS 8192
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wunused-function"
#pragma GCC diagnostic ignored "-Wmissing-field-initializers"
#pragma GCC diagnostic ignored "-Wsign-compare"
#include <stb/stb_image.h>
#pragma GCC diagnostic pop

namespace
{

const char* kToolButtonStyle =
    "QToolButton {border-style: flat; background: transparent;} QToolButton:hover {background-color: #252940; "
    "border-radius: 4px} QToolButton:checked {background-color: #252940; border-radius: 4px}";

// The scroll bars of both areas: thin, transparent, a dark handle and no arrow buttons.
QString scrollAreaStyle(Qt::Orientation orientation)
{
    const bool horizontal = orientation == Qt::Horizontal;
    const QString o = horizontal ? "horizontal" : "vertical";
    const QString thickness = horizontal ? "height: 6px;" : "width: 8px;";
    return QStringLiteral("QScrollArea {border: none; background-color: transparent;}"
                          "QScrollBar:%1 {%2 background: transparent; border-radius: 4px; margin: 0px;}"
                          "QScrollBar::handle:%1 {background: #282B44; border-radius: 4px;}"
                          "QScrollBar::handle:%1:hover {background: #404364;}"
                          "QScrollBar::add-line:%1, QScrollBar::sub-line:%1 {border: none; background: none; "
                          "width: 0px; height: 0px;}"
                          "QScrollBar::add-page:%1, QScrollBar::sub-page:%1 {background: transparent;}")
        .arg(o, thickness);
}

QString fromUtf8(const std::string& text) { return QString::fromUtf8(text.data(), int(text.size())); }

} // namespace

DesktopShareDialog::DesktopShareDialog(QWidget* parent) : QDialog(parent), ui(new Ui::DesktopShareDialog)
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("选择共享功能"));
    ui->hints_label->hide();
    ui->scrollArea->setStyleSheet(scrollAreaStyle(Qt::Horizontal));
    ui->winScrollArea->setStyleSheet(scrollAreaStyle(Qt::Vertical));

    m_gridLayout = new QGridLayout(ui->winWidgetContents);
    m_gridLayout->setContentsMargins(0, 0, 0, 0);
    m_gridLayout->setSpacing(kGridSpacing);
    m_iconLayout = new QHBoxLayout(ui->scrollAreaWidgetContents);
    m_iconLayout->setContentsMargins(0, 0, 0, 0);
    m_iconLayout->setSpacing(8);
    m_iconSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Expanding);

    m_buttonGroup = new QButtonGroup(this);
    m_buttonGroup->setExclusive(true);
    m_allBtn = makeIconButton(QIcon(QStringLiteral(":/images/live/all.png")), 32, QStringLiteral("全部"));
    m_allBtn->setChecked(true);
    m_buttonGroup->addButton(m_allBtn, kAllButtonId);
    m_iconLayout->addWidget(m_allBtn);
    m_areaBtn = makeIconButton(QIcon(QStringLiteral(":/images/live/area.png")), 32, QStringLiteral("区域录制"));
    m_areaBtn->hide();
    connect(m_buttonGroup, &QButtonGroup::idClicked, this, &DesktopShareDialog::onBtnFunc);

    m_engine = s_makeCaptureEngine();
    m_monitors = *m_engine->getScreens();
    WindowWidget* screen = ui->screen_widget;
    // A monitor that can't be read is left out of the list: the tile then has no picture.
    if (!m_monitors.empty())
        screen->setThumbnail(thumbnail(
            m_engine->getScreenThumbnail(m_monitors.front(), screen->thumbnailWidth(), screen->thumbnailHeight())));
    screen->setName(QStringLiteral("屏幕1"));
    screen->setType(WindowWidget::KindScreen);
    screen->installEventFilter(this);

    listWindows();
    loadAllIcons();
    m_gridLayout->setSpacing(kGridSpacing);
    listWindows();
    loadAllWindows(m_windows);
    m_lastWindowCount = m_windows.size();

    m_refreshTimer = new QTimer(this);
    m_refreshTimer->setObjectName(QStringLiteral("refresh_timer"));
    m_refreshTimer->setInterval(kRefreshIntervalMs);
    connect(m_refreshTimer, &QTimer::timeout, this, &DesktopShareDialog::refreshWindows);
}

DesktopShareDialog::~DesktopShareDialog()
{
    m_refreshTimer->stop();
    delete ui;
}

void DesktopShareDialog::startRefreshTimer()
{
    if (isVisible())
        m_refreshTimer->start();
}

QImage DesktopShareDialog::pngToBitmap(const std::string& png)
{
    if (png.empty() || png.size() > size_t(std::numeric_limits<int>::max()))
        return {};
    int width = 0, height = 0, channels = 0;
    stbi_uc* rgba = stbi_load_from_memory(reinterpret_cast<const stbi_uc*>(png.data()), int(png.size()), &width,
                                          &height, &channels, 4);
    if (!rgba)
        return {};
    QImage image(width, height, QImage::Format_RGB32);
    if (!image.isNull()) {
        for (int y = 0; y < height; ++y) {
            const stbi_uc* in = rgba + size_t(y) * size_t(width) * 4;
            auto* out = reinterpret_cast<QRgb*>(image.scanLine(y));
            for (int x = 0; x < width; ++x, in += 4) {
                const unsigned a = in[3];
                auto premultiplied = [a](unsigned c) { return a == 255 ? c : c * a / 255; };
                out[x] = qRgb(int(premultiplied(in[0])), int(premultiplied(in[1])), int(premultiplied(in[2])));
            }
        }
    }
    stbi_image_free(rgba);
    return image;
}

QPixmap DesktopShareDialog::thumbnail(const std::string& png) const
{
    const QImage image = pngToBitmap(png);
    return image.isNull() ? QPixmap() : QPixmap::fromImage(image);
}

void DesktopShareDialog::listWindows() { m_windows = *m_engine->getWindows(); }

QToolButton* DesktopShareDialog::makeIconButton(const QIcon& icon, int iconSide, const QString& toolTip)
{
    auto* button = new QToolButton(ui->scrollAreaWidgetContents);
    button->setStyleSheet(QString::fromLatin1(kToolButtonStyle));
    button->setIcon(icon);
    button->setIconSize(QSize(iconSide, iconSide));
    button->setFixedSize(48, 48);
    button->setCheckable(true);
    button->setToolTip(solvek::plainToolTip(toolTip));
    return button;
}

void DesktopShareDialog::loadAllIcons()
{
    qDebug() << "loadAllIcons";
    for (QToolButton* button : m_iconButtons) {
        m_iconLayout->removeWidget(button);
        m_buttonGroup->removeButton(button);
        delete button;
    }
    m_iconButtons.clear();
    m_iconLayout->removeItem(m_iconSpacer);
    for (size_t i = 0; i < m_windows.size(); ++i) {
        const WindowInfo& window = m_windows[i];
        const QPixmap icon = window.icon.isNull() ? QPixmap(QStringLiteral(":/images/live/icon.ico"))
                                                  : QPixmap::fromImage(window.icon);
        const QString title = fromUtf8(window.title);
        QToolButton* button = makeIconButton(QIcon(icon), 40, title);
        // The tool tip is escaped for display; the choice compares the title itself.
        button->setProperty("windowTitle", title);
        m_buttonGroup->addButton(button, int(i) + kFirstWindowButtonId);
        m_iconLayout->addWidget(button);
        m_iconButtons << button;
    }
    m_iconLayout->addItem(m_iconSpacer);
}

void DesktopShareDialog::clearGrid()
{
    while (QLayoutItem* item = m_gridLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

WindowWidget* DesktopShareDialog::makeWindowTile(const WindowInfo& window)
{
    auto* tile = new WindowWidget(ui->winWidgetContents);
    tile->installEventFilter(this);
    tile->setThumbnail(thumbnail(m_engine->getWindowThumbnail(window, tile->thumbnailWidth(), tile->thumbnailHeight())));
    tile->setName(fromUtf8(window.title));
    tile->setType(WindowWidget::KindWindow);
    tile->setHwnd(window.hwnd);
    return tile;
}

void DesktopShareDialog::loadAllWindows(const std::vector<WindowInfo>& windows)
{
    clearGrid();
    const int count = int(windows.size());
    for (int i = 0; i < count; ++i)
        m_gridLayout->addWidget(makeWindowTile(windows[size_t(i)]), i / kGridColumns, i % kGridColumns);
    if (count > 0 && count < kGridColumns) {
        auto* placeholder = new WindowWidget(ui->winWidgetContents);
        placeholder->setName(QString());
        placeholder->setType(WindowWidget::KindWindow);
        placeholder->setPlaceholder(true);
        m_gridLayout->addWidget(placeholder, 0, kGridColumns - 1);
    }
}

void DesktopShareDialog::loadOneWindow()
{
    clearGrid();
    m_gridLayout->setSpacing(kOneWindowSpacing);
    for (const WindowInfo& window : m_windows) {
        if (fromUtf8(window.title) != m_selectedIconTitle)
            continue;
        m_gridLayout->addWidget(makeWindowTile(window), 0, 0);
        for (int column = 1; column < kGridColumns; ++column) {
            auto* filler = new QWidget(ui->winWidgetContents);
            filler->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
            m_gridLayout->addWidget(filler, 0, column);
        }
        return;
    }
}

bool DesktopShareDialog::eventFilter(QObject* watched, QEvent* event)
{
    auto* tile = qobject_cast<WindowWidget*>(watched);
    if (tile && event->type() == QEvent::MouseButtonPress) {
        if (tile->type() == WindowWidget::KindScreen) {
            m_shareType = 0;
            m_selectedName.clear();
        } else if (tile->type() == WindowWidget::KindWindow) {
            m_shareType = 1;
            m_selectedName = tile->name();
            // The window may have changed its title since it was listed.
            const QString current = fromUtf8(m_engine->currentTitle(tile->hwnd()));
            if (current != tile->name()) {
                m_selectedName = current;
                tile->setName(current);
            }
        }
        qDebug() << "select window:" << tile->name();
    }
    return QDialog::eventFilter(watched, event);
}

void DesktopShareDialog::onBtnFunc(int id)
{
    QAbstractButton* button = m_buttonGroup->button(id);
    if (!button || !button->isChecked())
        return;
    if (id == kAllButtonId) {
        loadAllIcons();
        m_gridLayout->setSpacing(kGridSpacing);
        listWindows();
        loadAllWindows(m_windows);
    } else if (id >= kFirstWindowButtonId) {
        m_selectedIconTitle = button->property("windowTitle").toString();
        qDebug() << "select button name: " << m_selectedIconTitle;
        loadOneWindow();
    }
    qDebug() << "select index: " << id;
}

void DesktopShareDialog::on_share_btn_clicked()
{
    if (m_shareType == -1) {
        ui->hints_label->show();
        return;
    }
    qDebug() << "on_share_btn_clicked share_type = " << m_shareType << "\n";
    const QByteArray selected = m_selectedName.toUtf8();
    for (const WindowInfo& window : m_windows)
        if (window.title == selected.toStdString())
            handleMaxWindow(window.hwnd);
    m_selectedIconTitle.clear();
    emit desktop_share_click(m_shareType, m_selectedName);
    close();
}

void DesktopShareDialog::on_close_btn_clicked()
{
    m_selectedIconTitle.clear();
    m_refreshTimer->stop();
    close();
}

void DesktopShareDialog::on_cancel_btn_clicked()
{
    m_selectedIconTitle.clear();
    m_shareType = -1;
    m_refreshTimer->stop();
    emit desktop_cancel_click();
    close();
}

void DesktopShareDialog::handleMaxWindow(unsigned long hwnd) { platform::x11MaximizeAndLower(hwnd); }

void DesktopShareDialog::refreshWindows()
{
    listWindows();
    if (m_windows.size() != m_lastWindowCount) {
        loadAllIcons();
        if (m_shareType == 0) {
            m_gridLayout->setSpacing(kGridSpacing);
            listWindows();
            loadAllWindows(m_windows);
        } else if (m_shareType == 1) {
            loadOneWindow();
        }
    }
    m_lastWindowCount = m_windows.size();
}

void DesktopShareDialog::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    m_refreshTimer->start();
}

void DesktopShareDialog::hideEvent(QHideEvent* event)
{
    // Every way out (share, close, cancel, the tool switch) hides the picker.
    m_refreshTimer->stop();
    QDialog::hideEvent(event);
}

void DesktopShareDialog::mousePressEvent(QMouseEvent* event) { m_drag.press(*event); }

void DesktopShareDialog::mouseMoveEvent(QMouseEvent* event) { m_drag.move(*this, *event); }

void DesktopShareDialog::mouseReleaseEvent(QMouseEvent*) {}

void DesktopShareDialog::paintEvent(QPaintEvent* event)
{
    paintRoundedWindow(*this, 8);
    QWidget::paintEvent(event);
}
