#include "canvas/WindowWidget.h"

#include "core/UntrustedText.h"
#include "ui_WindowWidget.h"

#include <QPainter>

WindowLabel::WindowLabel(QWidget* parent) : QLabel(parent) {}

void WindowLabel::paintEvent(QPaintEvent* event)
{
    const QPixmap picture = pixmap(Qt::ReturnByValue);
    if (picture.isNull()) {
        QLabel::paintEvent(event);
        return;
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.drawPixmap(rect().adjusted(2, 2, -2, -2), picture);
}

WindowWidget::WindowWidget(QWidget* parent) : QWidget(parent), ui(new Ui::WindowWidget)
{
    ui->setupUi(this);
    setFocusPolicy(Qt::StrongFocus);
    ui->thumb_nail_label->setFocusPolicy(Qt::StrongFocus);
    ui->thumb_nail_label->setStyleSheet(
        QStringLiteral("QLabel:focus{border:4px solid #0669F5;border-radius: 4px;background:#000000;}"
                       "QLabel:hover{border:4px solid #0669F5;border-radius: 4px;background:#000000;}"));
}

WindowWidget::~WindowWidget() { delete ui; }

void WindowWidget::setName(const QString& name)
{
    const QFontMetrics metrics(ui->name_label->font());
    ui->name_label->setTextFormat(Qt::PlainText);
    ui->name_label->setText(metrics.elidedText(name, Qt::ElideRight, kNameWidth));
    ui->name_label->setAlignment(Qt::AlignCenter);
    ui->name_label->setStyleSheet(QStringLiteral("QLabel { color: white;font-family: Microsoft YaHei;font-size: 14px;}"));
    ui->name_label->setToolTip(solvek::plainToolTip(name));
    m_name = name;
}

void WindowWidget::setThumbnail(const QPixmap& pixmap) { ui->thumb_nail_label->setPixmap(pixmap); }

void WindowWidget::setPlaceholder(bool placeholder)
{
    m_placeholder = placeholder;
    if (placeholder)
        ui->thumb_nail_label->hide();
}

int WindowWidget::thumbnailWidth() const { return ui->thumb_nail_label->width(); }

int WindowWidget::thumbnailHeight() const { return ui->thumb_nail_label->height(); }

void WindowWidget::paintEvent(QPaintEvent*) {}
