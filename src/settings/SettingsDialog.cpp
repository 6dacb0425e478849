#include "settings/SettingsDialog.h"
#include "ui_SettingsDialog.h"

#include "settings/AccountSettingDialog.h"
#include "settings/AudioSettingDialog.h"
#include "settings/HelpSettingDialog.h"
#include "settings/SystemSettingDialog.h"
#include "settings/VideoSettingDialog.h"
#include "widgets/RoundedMask.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOption>
#include <QVBoxLayout>

namespace
{
const char* kSelectedTabStyle = "QLabel{background-color:#EAEDF3;border-radius:4px;"
                                "font: bold 14px \"Microsoft YaHei\";color:#191919;}";
const char* kPlainTabStyle = "QLabel{background-color:transparent;font: 14px \"Microsoft YaHei\";color:#191919;}";
constexpr int kCornerRadius = 8;
} // namespace

SettingsDialog::SettingsDialog(QWidget* parent) : QDialog(parent), ui(new Ui::SettingsDialog)
{
    ui->setupUi(this);
    setWindowFlags(Qt::FramelessWindowHint);
    setWindowTitle(QStringLiteral("设置"));

    m_pageLayout = new QVBoxLayout(ui->setting_frame);
    m_pageLayout->setContentsMargins(0, 0, 0, 0);
    m_pageLayout->setSpacing(0);
    for (QLabel* tab : tabs())
        tab->installEventFilter(this);

    selectTab(ui->video_label);
    addVideoPage();

    ui->beauty_label->hide();
    ui->conn_mic_label->hide();
    ui->accout_label->hide();
}

SettingsDialog::~SettingsDialog()
{
    clearPages();
    delete ui;
}

QList<QLabel*> SettingsDialog::tabs() const
{
    return {ui->video_label,  ui->audio_label,    ui->help_label,  ui->system_label,
            ui->beauty_label, ui->conn_mic_label, ui->accout_label};
}

void SettingsDialog::clearPages()
{
    while (QLayoutItem* item = m_pageLayout->takeAt(0)) {
        delete item->widget();
        delete item;
    }
}

void SettingsDialog::addVideoPage()
{
    auto* page = new VideoSettingDialog(nullptr);
    connect(page, &VideoSettingDialog::sendOutPutLiveInfoSig, this, &SettingsDialog::sendLiveInfoSig,
            Qt::UniqueConnection);
    m_pageLayout->addWidget(page);
    page->show();
    m_page = page;
}

void SettingsDialog::showPageOf(QLabel* tab)
{
    // Deleted at once, not later: the old video page hands back the preview display before the
    // new page takes it.
    clearPages();
    m_page = nullptr;

    SettingsPage* page = nullptr;
    if (tab == ui->video_label) {
        addVideoPage();
    } else if (tab == ui->audio_label) {
        auto* audio = new AudioSettingDialog(nullptr);
        connect(audio, &AudioSettingDialog::changeInputAudioStatus, this,
                &SettingsDialog::sendChangeInputAudioStatus, Qt::UniqueConnection);
        page = audio;
    } else if (tab == ui->help_label) {
        page = new HelpSettingDialog(nullptr);
    } else if (tab == ui->accout_label) {
        auto* account = new AccountSettingDialog(nullptr);
        connect(account, &AccountSettingDialog::sendLoginOut, this, &SettingsDialog::handleAccountLogout,
                Qt::UniqueConnection);
        page = account;
    } else if (tab == ui->system_label) {
        page = new SystemSettingDialog(nullptr);
    }
    // The beauty and co-host tabs have no page: the area stays empty.
    if (page) {
        m_pageLayout->addWidget(page);
        page->show();
        m_page = page;
    }
    selectTab(tab);
}

void SettingsDialog::selectTab(QLabel* selected)
{
    for (QLabel* tab : tabs())
        tab->setStyleSheet(QLatin1String(tab == selected ? kSelectedTabStyle : kPlainTabStyle));
}

void SettingsDialog::handleAccountLogout()
{
    hide();
    emit sendLoginOutSig();
}

bool SettingsDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        for (QLabel* tab : tabs()) {
            if (watched == tab) {
                showPageOf(tab);
                break;
            }
        }
    }
    return QDialog::eventFilter(watched, event); // the label still gets the press
}

void SettingsDialog::on_close_btn_clicked()
{
    emit sendShowCameraSig();
    hide();
}

void SettingsDialog::on_minimize_btn_clicked()
{
    showMinimized();
}

void SettingsDialog::reject()
{
    // QDialog's own reject would hide the window without telling the main window, which then
    // leaves the camera of the video page's preview on the canvas.
    on_close_btn_clicked();
}

void SettingsDialog::mousePressEvent(QMouseEvent* event)
{
    m_lastPos = event->globalPos();
}

void SettingsDialog::mouseMoveEvent(QMouseEvent* event)
{
    move(pos() + event->globalPos() - m_lastPos);
    m_lastPos = event->globalPos();
}

void SettingsDialog::mouseReleaseEvent(QMouseEvent* event)
{
    move(pos() + event->globalPos() - m_lastPos);
}

void SettingsDialog::paintEvent(QPaintEvent* event)
{
    Q_UNUSED(event)
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);

    setRoundedMask(*this, kCornerRadius);
}
