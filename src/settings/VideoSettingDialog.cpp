#include "settings/VideoSettingDialog.h"
#include "ui_VideoSettingDialog.h"

#include "core/DataCenter.h"
#include "engine/EngineDisplayView.h"
#include "engine/LiveCore.h"

#include <QMouseEvent>

namespace
{
const char kCameraSource[] = "camera source";
const char kNoDevice[] = "暂无设备";
} // namespace

VideoSettingDialog::VideoSettingDialog(QWidget* parent) : SettingsPage(parent), ui(new Ui::VideoSettingDialog)
{
    ui->setupUi(this);
    styleDeviceList(ui->select_dev_box);

    LiveCore* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    const int count = core->core_get_camera_count();
    for (int i = 0; i < count; ++i) {
        const char* name = core->core_get_camera_name(i);
        ui->select_dev_box->addItem(QString::fromUtf8(name ? name : ""));
    }
    m_hasCamera = count > 0;
    if (m_hasCamera) {
        // An index the list does not hold (a camera unplugged since) selects the first camera,
        // not an empty choice.
        const int index = store->cameraIndex;
        ui->select_dev_box->setCurrentIndex(index >= 0 && index < count ? index : 0);
    } else {
        ui->select_dev_box->addItem(QString::fromUtf8(kNoDevice));
        ui->select_dev_box->setEnabled(false);
    }

    store->liveMode = store->getBool(QStringLiteral("LiveMode"));

    connect(ui->select_dev_box, QOverload<int>::of(&QComboBox::currentIndexChanged), this, [this] {
        openCarmera(2);
        emit changeShowCarmera();
    });
    openCarmera(2);
}

VideoSettingDialog::~VideoSettingDialog()
{
    removePreview();
    delete ui;
}

void VideoSettingDialog::removePreview()
{
    if (!m_displayTried)
        return;
    LiveCore::get_instance()->core_destroy_setting_display(kCameraSource);
    m_displayTried = false;
    if (m_target)
        m_target->hide(); // the placeholder shows again
}

QWidget* VideoSettingDialog::makeTarget()
{
    auto store = CDataCenter::getInstance();
    QLabel* area = ui->label_3;
    const bool portrait = store->liveMode && store->desktopSharing;
    QWidget*& view = portrait ? m_portraitView : m_landscapeView;
    if (!view) {
        view = new EngineDisplayView<QWidget>(area);
        view->hide(); // shown once the engine draws into it
        if (portrait) {
            const int w = area->width(), h = area->height();
            view->setGeometry((w - h * 9 / 16) / 2, 0, h * 9 / 16, h);
        } else {
            view->setGeometry(area->rect());
        }
    }
    QWidget* other = portrait ? m_landscapeView : m_portraitView;
    if (other)
        other->hide();
    return view;
}

void VideoSettingDialog::openCarmera(int state)
{
    if (state != 2) {
        removePreview();
        return;
    }
    // No camera: no display, nothing recorded; the placeholder stays.
    if (!m_hasCamera)
        return;
    removePreview();

    LiveCore* core = LiveCore::get_instance();
    auto store = CDataCenter::getInstance();
    m_target = makeTarget();
    if (!core->scene_has_source(kCameraSource)) {
        core->scene_add_source(nullptr, nullptr, kCameraSource, true);
        int x = 0, y = 0;
        float w = 0, h = 0;
        core->scene_get_source_rect(kCameraSource, &x, &y, &w, &h);
        if (store->liveMode)
            core->scene_set_source_size(kCameraSource, 426, 80, true, false);
        else
            core->scene_set_source_base_size(kCameraSource, w, w * 9 / 16, 1, false, false);
    }
    store->cameraName = ui->select_dev_box->currentText();
    store->cameraIndex = ui->select_dev_box->currentIndex();
    const auto window = LiveWindowHandle(m_target->winId());
    store->settingPreviewWinId = qint64(window);
    m_displayTried = true;
    if (core->core_create_display(kCameraSource, window))
        m_target->show();
}

void VideoSettingDialog::mouseMoveEvent(QMouseEvent* event)
{
    if (ui->select_dev_box->geometry().contains(event->pos())) {
        event->accept();
        return;
    }
    event->ignore();
}
