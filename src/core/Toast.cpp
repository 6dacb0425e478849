#include "core/Toast.h"

#include "ui_Toast.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPropertyAnimation>
#include <QTimer>

QPointer<Toast> Toast::s_instance;

Toast* Toast::getInstance(QWidget* parent)
{
    if (!s_instance)
        s_instance = new Toast(parent);
    return s_instance;
}

void Toast::resetInstance()
{
    s_instance = nullptr;
}

Toast::Toast(QWidget* parent) : QDialog(parent), ui(new Ui::Toast)
{
    ui->setupUi(this);
    // No window type: with a parent the toast is drawn inside it rather than as a window of its own.
    setWindowFlags(Qt::FramelessWindowHint | Qt::CustomizeWindowHint);
    setContentsMargins(16, 9, 16, 9);

    m_iconLabel = new QLabel(ui->content_frame);
    m_textLabel = new QLabel(ui->content_frame);
    // Texts come from the service and the room as they are (error messages): never rich text.
    m_textLabel->setTextFormat(Qt::PlainText);
    m_textLabel->setStyleSheet(QStringLiteral(
        "font-family: Microsoft YaHei;font - weight: 400;font - size: 14px;color: #191919;line - height: "
        "22px;text - align: left;font - style: normal; "));
    auto* layout = new QHBoxLayout;
    layout->setAlignment(Qt::AlignVCenter);
    layout->addWidget(m_iconLabel);
    layout->addWidget(m_textLabel);
    ui->content_frame->setLayout(layout);
    hide();
}

Toast::~Toast()
{
    delete ui;
}

QString Toast::iconPath(int kind)
{
    switch (kind) {
    case Success:
        return QStringLiteral(":/images/live/ic_toast_success.png");
    case Failure:
        return QStringLiteral(":/images/live/ic_toast_failed.png");
    default:
        return QStringLiteral(":/images/live/ic_toast_default.png");
    }
}

void Toast::showToast(const QString& text, int kind, int durationMs)
{
    const QPixmap icon(iconPath(kind));
    m_iconLabel->setPixmap(icon.isNull() ? QPixmap() : icon.scaled(16, 16, Qt::IgnoreAspectRatio));
    m_iconLabel->adjustSize();
    m_textLabel->setText(text);
    m_textLabel->adjustSize();
    ui->content_frame->adjustSize();
    adjustSize();

    auto* fadeIn = new QPropertyAnimation(this, "windowOpacity", this);
    fadeIn->setDuration(kFadeMs);
    fadeIn->setStartValue(0.0);
    fadeIn->setEndValue(1.0);
    fadeIn->start(QAbstractAnimation::DeleteWhenStopped);

    // Each message keeps its own timer: a later message replaces the text, and the earliest
    // pending fade-out closes the toast.
    QTimer::singleShot(durationMs, this, [this] {
        auto* fadeOut = new QPropertyAnimation(this, "windowOpacity", this);
        fadeOut->setDuration(kFadeMs);
        fadeOut->setStartValue(1.0);
        fadeOut->setEndValue(0.0);
        connect(fadeOut, &QPropertyAnimation::finished, this, &QWidget::close);
        fadeOut->start(QAbstractAnimation::DeleteWhenStopped);
    });

    show();
    if (QWidget* p = parentWidget())
        move(p->x() + (p->width() - width()) / 2, p->y() + kTopOffset);
}

void Toast::showTip(const QString& text, int durationMs)
{
    showToast(text, Default, durationMs);
}

void Toast::showStatus(const QString& text, bool success, int durationMs)
{
    showToast(text, success ? Success : Failure, durationMs);
}
