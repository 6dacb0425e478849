#include "settings/AccountSettingDialog.h"
#include "ui_AccountSettingDialog.h"

#include "core/DataCenter.h"
#include "core/ImageUtils.h"
#include "core/PictureDecoder.h"

#include <QDebug>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMouseEvent>

namespace
{
const QSize kAvatarSize(80, 80);

QString runFileDialog(QWidget* parent, const QString& title, const QString& folder, const QString& filter)
{
    return QFileDialog::getOpenFileName(parent, title, folder, filter);
}
} // namespace

AccountSettingDialog::FileChooser AccountSettingDialog::s_chooseFile = runFileDialog;

void AccountSettingDialog::setFileChooser(FileChooser chooser)
{
    s_chooseFile = chooser ? std::move(chooser) : FileChooser(runFileDialog);
}

AccountSettingDialog::AccountSettingDialog(QWidget* parent)
    : SettingsPage(parent), ui(new Ui::AccountSettingDialog)
{
    ui->setupUi(this);
    auto store = CDataCenter::getInstance();
    ui->lineEdit->setText(store->userName);
    // The avatar file was written from a picture the service named: read like every picture from
    // outside, off the window's thread. Until then, and when it does not load, no picture shows.
    showAvatar(QImage());
    if (!store->avatarFile.isEmpty()) {
        const quint64 request = ++m_avatarRequest;
        PictureDecoder::decodeFileLater(store->avatarFile, -1, kAvatarSize, this, [this, request](const QImage& image) {
            if (request == m_avatarRequest)
                showAvatar(image);
        });
    }
    ui->headpicLbl->installEventFilter(this);
    connect(ui->pushButton_3, &QPushButton::clicked, this, [this] {
        close();
        emit sendLoginOut();
    });
    ui->label_7->hide();
}

AccountSettingDialog::~AccountSettingDialog()
{
    delete ui;
}

void AccountSettingDialog::showAvatar(const QImage& image)
{
    ui->headpicLbl->setPixmap(
        QPixmap::fromImage(image.scaled(kAvatarSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation)));
}

bool AccountSettingDialog::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->headpicLbl && event->type() == QEvent::MouseButtonPress &&
        static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) {
        chooseAvatar();
        return true;
    }
    return SettingsPage::eventFilter(watched, event);
}

void AccountSettingDialog::chooseAvatar()
{
    ui->label_7->hide();
    qDebug() << "点击了headpicLbl";
    const QString file = s_chooseFile(this, QStringLiteral("选择图片"), QDir::homePath(),
                                      QStringLiteral("Images (*.png *.jpg)"));
    if (file.isEmpty())
        return;
    // A file that is no picture gets the same refusal as a large one (the hint names both). The
    // host's file is read like every picture from outside, off the window's thread.
    if (QFileInfo(file).size() > kMaxPictureBytes) {
        ui->label_7->show();
        return;
    }
    const quint64 request = ++m_avatarRequest;
    PictureDecoder::decodeFileLater(file, kMaxPictureBytes, QSize(), this, [this, request](const QImage& image) {
        if (request != m_avatarRequest)
            return;
        if (image.isNull()) {
            ui->label_7->show();
            return;
        }
        // Shown only: the picture is neither stored nor sent.
        showAvatar(image);
    });
}
