#include "shell/VersonUpdate.h"

#include "core/DataCenter.h"
#include "shell/DownLoadTool.h"
#include "ui_UpdateVersonDialog.h"

#include <QFrame>
#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QSlider>

namespace {

const char kTitleStyle[] = "font-size: 20px; font-weight:bold;color:#191919;font-family: Microsoft YaHei;";
const char kHintStyle[] = "font-size: 14px;color:#889098;font-family: Microsoft YaHei;";
const QString kBlanks32(32, QLatin1Char(' '));
const QString kBlanks44(44, QLatin1Char(' '));

QString primaryButtonStyle()
{
    return QStringLiteral("background:qlineargradient(x1:0, y1:0, x2: 0, y2: 1, stop:0 rgb(6,105,245), stop:1 "
                          "rgb(63,141,249));color:#FFFFFF;") +
           kBlanks32 + QStringLiteral("font-size:14px;border-radius:20px;border:none");
}

QString secondaryButtonStyle()
{
    return QStringLiteral("background: qlineargradient(x1: 0, y1: 0, x2: 0, y2: 1, stop: 0 rgba(6,105,245,25), "
                          "stop: 1 rgba(63,141,249,25));color: rgb(6,105,245);") +
           kBlanks32 + QStringLiteral("font-size: 14px; border-radius:20px;border:none");
}

QString sliderStyle(const char* subPageColour)
{
    return QStringLiteral("QSlider::handle:horizontal {width:0px;height: 19px;margin: -7px "
                          "-8px;border-image:url(:/images/settings/slider.png);}") +
           kBlanks44 +
           QStringLiteral("QSlider::groove:horizontal{ height: 6px; left: 7px; right:7px; background: #DEE3E8; "
                          "border-radius:3px; }") +
           kBlanks44 + QStringLiteral("QSlider::sub-page:horizontal{ background:%1; border-radius:3px; height: 6px; }")
                           .arg(QLatin1String(subPageColour)) +
           kBlanks44 + QStringLiteral("QSlider{ background:#FFFFFF; border:0px slider; }");
}

QSlider* makeBar(QWidget* parent, int width, int value, const char* colour)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setFixedSize(width, 6);
    bar->move((340 - width) / 2, 77);
    bar->setRange(0, 100);
    bar->setPageStep(10);
    bar->setValue(value);
    bar->setEnabled(false);
    bar->setStyleSheet(sliderStyle(colour));
    return bar;
}

QLabel* makeTitle(QWidget* parent, const QString& text, int width)
{
    auto* title = new QLabel(text, parent);
    title->setStyleSheet(QLatin1String(kTitleStyle));
    title->setFixedSize(width, 28);
    title->move((340 - width) / 2, 12);
    return title;
}

QPushButton* makeButton(QWidget* parent, const QString& text, const QString& style, int y)
{
    auto* button = new QPushButton(text, parent);
    button->setStyleSheet(style);
    button->setFixedSize(292, 44);
    button->move((340 - 292) / 2, y);
    return button;
}

void place(QWidget* w, int width, int height, int x, int y)
{
    w->setFixedSize(width, height);
    w->move(x, y);
}

} // namespace

VersonUpdate::VersonUpdate(QWidget* parent) : QDialog(parent), ui(new Ui::UpdateVersonDialog)
{
    ui->setupUi(this);
    resize(340, 477);
    setWindowFlags(windowFlags() | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);

    const int w = width();
    ui->label_2->setStyleSheet(QLatin1String(kTitleStyle));
    place(ui->label_2, 100, 28, (w - 100) / 2, 12);
    ui->label_3->setStyleSheet(QLatin1String(kHintStyle));
    place(ui->label_3, 182, 20, (w - 182) / 2, 44);
    ui->label_4->setStyleSheet(QLatin1String(kHintStyle));
    ui->label_4->setTextFormat(Qt::PlainText); // the version text is the server's
    place(ui->label_4, 114, 20, 24, 76);
    ui->textBrowser->setStyleSheet(
        QStringLiteral("QTextBrowser{font-size:14px;color:#191919;font-family: Microsoft YaHei;border:none;}"));
    place(ui->textBrowser, 292, 94, 24, 104);
    ui->btn_Update->setStyleSheet(primaryButtonStyle());
    place(ui->btn_Update, 292, 44, (w - 292) / 2, 224);
    ui->btn_cancle->setStyleSheet(secondaryButtonStyle());
    place(ui->btn_cancle, 292, 44, (w - 292) / 2, 280);
}

VersonUpdate::~VersonUpdate()
{
    dropDownload();
    delete ui;
}

void VersonUpdate::setVersion(QString version)
{
    ui->label_4->setText(QStringLiteral("发现新版本v%1").arg(version));
}

// The notes come from the server: text, never markup (a browser would load local pictures and
// follow links into local files).
void VersonUpdate::setDescription(QString text) { ui->textBrowser->setPlainText(text); }

void VersonUpdate::setForceUpdate(bool force)
{
    if (force)
        return;
    ui->label_3->setText(QStringLiteral("为确保您的最佳使用体验，请尽快升级"));
    place(ui->label_3, 240, 20, (width() - 240) / 2, 44);
}

void VersonUpdate::done(int result)
{
    // A download that outlives the dialog would end the program behind the host's back.
    dropDownload();
    QDialog::done(result);
}

void VersonUpdate::dropDownload()
{
    if (!m_tool)
        return;
    m_tool->disconnect(this);
    m_tool->cancel();
    m_tool->deleteLater(); // we may be inside one of its signals
    m_tool = nullptr;
}

void VersonUpdate::on_btn_close_clicked()
{
    close();
    reject();
}

void VersonUpdate::on_btn_cancle_clicked()
{
    close();
    reject();
}

void VersonUpdate::on_btn_Update_clicked()
{
    setWindowTitle(QStringLiteral("downloading"));
    showProgressPanel();
    dropDownload();
    if (downloadUrl.isEmpty()) {
        showFailurePanel(QStringLiteral("下载路径为空"));
        return;
    }
    m_tool = new DownloadTool(downloadUrl, CDataCenter::getInstance()->userDocRoot + QStringLiteral("/download"));
    connect(m_tool, &DownloadTool::sigDownloadFinished, this, &VersonUpdate::onFinished);
    connect(m_tool, &DownloadTool::sigProgress, this, &VersonUpdate::onProgress);
    connect(m_tool, &DownloadTool::sigDownloadFailedHttp, this,
            [this](const QString&) { showFailurePanel(QStringLiteral("网络异常，请检查网络后再重试！")); });
    m_tool->startDownload();
}

void VersonUpdate::showProgressPanel()
{
    ui->frame->hide();
    if (m_progressFrame)
        m_progressFrame->deleteLater();
    m_progressFrame = new QFrame(this);
    m_progressFrame->setObjectName(QLatin1String(kProgressPanel));
    m_progressFrame->setGeometry(0, 142, 340, 179);
    m_progressFrame->setStyleSheet(QStringLiteral(
        "background-color:#ffffff;border-bottom-right-radius:16px;border-bottom-left-radius:16px; "));
    makeTitle(m_progressFrame, QStringLiteral("版本更新中"), 100);
    m_progressBar = makeBar(m_progressFrame, 308, 0, "#0669F5");
    m_progressBar->setObjectName(QLatin1String(kProgressBar));
    m_progressLabel = new QLabel(QStringLiteral("正在快速更新中 0%"), m_progressFrame);
    m_progressLabel->setObjectName(QLatin1String(kProgressLabel));
    place(m_progressLabel, 134, 20, (340 - 134) / 2, 99);
    setFixedSize(340, 321);
    m_progressFrame->show();
}

void VersonUpdate::showFailurePanel(const QString& message)
{
    ui->frame->hide();
    if (m_progressFrame)
        m_progressFrame->hide();
    if (m_failFrame)
        m_failFrame->deleteLater();
    m_failFrame = new QFrame(this);
    m_failFrame->setObjectName(QLatin1String(kFailurePanel));
    m_failFrame->setGeometry(0, 142, 340, 275);
    m_failFrame->setStyleSheet(
        QStringLiteral("background-color:#ffffff;border-bottom-right-radius:16px;border-bottom-left-radius:16px;"));
    makeTitle(m_failFrame, QStringLiteral("更新失败"), 80);
    m_failBar = makeBar(m_failFrame, 292, 50, "#FF4D4F");
    m_failMessage = new QLabel(message, m_failFrame);
    m_failMessage->setObjectName(QLatin1String(kFailureMessage));
    m_failMessage->setAlignment(Qt::AlignCenter);
    m_failMessage->setStyleSheet(QStringLiteral("background:#FFECEC;border-radius:4px;border:none;color:#FF4D4F;"
                                                "font-size:14px;font-family: Microsoft YaHei;"));
    place(m_failMessage, 292, 28, (340 - 292) / 2, 99);
    m_retryButton = makeButton(m_failFrame, QStringLiteral("重试"), primaryButtonStyle(), 151);
    m_retryButton->setObjectName(QLatin1String(kRetryButton));
    m_failCloseButton = makeButton(m_failFrame, QStringLiteral("关闭"), secondaryButtonStyle(), 207);
    m_failCloseButton->setObjectName(QLatin1String(kFailureCloseButton));
    connect(m_retryButton, &QPushButton::clicked, this, [this]() {
        m_failFrame->hide();
        m_failMessage->clear();
        on_btn_Update_clicked();
    });
    connect(m_failCloseButton, &QPushButton::clicked, this, [this]() {
        close();
        reject();
    });
    setFixedSize(340, 417);
    m_failFrame->show();
}

void VersonUpdate::onProgress(qlonglong, qlonglong, double progress)
{
    const int value = progress > 0 ? int(std::min(progress, 1.0) * 100) : 0;
    m_progressBar->setValue(value);
    m_progressLabel->setText(QStringLiteral("正在快速更新中 %1%").arg(value));
}

void VersonUpdate::onFinished()
{
    setWindowTitle(QStringLiteral("finshed"));
    close();
    emit sendUpdateSig();
}

void VersonUpdate::mousePressEvent(QMouseEvent* event)
{
    m_lastPos = event->globalPos();
    QDialog::mousePressEvent(event);
}

void VersonUpdate::mouseMoveEvent(QMouseEvent* event)
{
    // The progress bar is no handle (with no download yet, neither is empty space).
    if (event->buttons() == Qt::NoButton || childAt(event->pos()) == m_progressBar.data())
        return;
    move(pos() + event->globalPos() - m_lastPos);
    m_lastPos = event->globalPos();
}
