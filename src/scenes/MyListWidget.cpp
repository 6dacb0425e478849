#include "scenes/MyListWidget.h"

#include <QFontMetrics>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>

namespace {
const char* const kNoteProperty = "sceneListNote"; // rows that ignore presses

QLabel* rowLabel(const QString& text, const QSize& size, int elideWidth, QWidget* parent)
{
    auto* label = new QLabel(parent);
    QFont font = label->font();
    font.setPixelSize(14);
    label->setFont(font);
    label->setStyleSheet("color:#191919;background:transparent;");
    label->setFixedSize(size);
    label->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
    // Names come from files the host picked; never let Qt read them as rich text.
    label->setTextFormat(Qt::PlainText);
    const QFontMetrics fm(font);
    label->setText(fm.horizontalAdvance(text) > elideWidth ? fm.elidedText(text, Qt::ElideRight, elideWidth)
                                                          : text);
    return label;
}

QWidget* transparentRow(QWidget* parent)
{
    auto* row = new QWidget(parent);
    row->setAttribute(Qt::WA_TranslucentBackground);
    row->setStyleSheet("background:transparent;");
    return row;
}
} // namespace

MyListWidget::MyListWidget(QWidget* parent) : QWidget(parent)
{
    setWindowFlags(Qt::Popup | Qt::FramelessWindowHint);
    setAttribute(Qt::WA_TranslucentBackground);
    setStyleSheet("background-color:#ffffff");

    m_frame = new QFrame(this);
    m_frame->setObjectName("listwidgetframe");
    m_frame->setStyleSheet("#listwidgetframe{background-color:#FFFFFF;border:none;border-radius:4px;}");
    m_frame->setFixedSize(132, 136);

    m_list = new QListWidget(m_frame);
    m_list->setGeometry(10, 10, 120, 120);
    m_list->setSelectionMode(QAbstractItemView::SingleSelection);
    m_list->setFocusPolicy(Qt::NoFocus);
    m_list->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_list->setStyleSheet(
        "QListWidget{background-color:#FFFFFF;border:none;outline:none;}"
        "QListWidget::item{padding-top:6px;padding-bottom:6px;height:20px;border:none;}"
        "QListWidget::item:hover{background-color:#F2F8FF;}"
        "QListWidget::item:selected{background-color:#F2F8FF;}"
        "QScrollBar:vertical{width:2px;background:#EDEEF2;margin:0px;border:none;}"
        "QScrollBar::handle:vertical{background:#B7B7BE;min-height:10px;border-radius:1px;}"
        "QScrollBar::add-line:vertical,QScrollBar::sub-line:vertical{height:0px;}"
        "QScrollBar::add-page:vertical,QScrollBar::sub-page:vertical{background:none;}");
    connect(m_list, &QListWidget::itemPressed, this, &MyListWidget::onItemPressed);
}

QListWidgetItem* MyListWidget::addRow(QWidget* row)
{
    auto* item = new QListWidgetItem(m_list);
    item->setSizeHint(QSize(m_list->width(), 32));
    m_list->setItemWidget(item, row);
    return item;
}

void MyListWidget::setListWidgetComInfo(QString text)
{
    QWidget* row = transparentRow(m_list);
    auto* layout = new QHBoxLayout(row);
    if (text == QStringLiteral("图片")) {
        layout->setContentsMargins(12, 0, 10, 0);
        layout->setSpacing(30);
        layout->addWidget(rowLabel(text, QSize(40, 32), 40, row));
        auto* arrow = new QPushButton(row);
        arrow->setFixedSize(16, 16);
        arrow->setFocusPolicy(Qt::NoFocus);
        arrow->setStyleSheet("QPushButton{border-image:url(:/images/live/clickright.png);border:none;}");
        connect(arrow, &QPushButton::clicked, this, [this, text] { emit clickedText(text); });
        layout->addWidget(arrow);
    } else {
        layout->setContentsMargins(12, 0, 50, 0);
        layout->addStretch();
        layout->addWidget(rowLabel(text, QSize(50, 32), 50, row));
    }
    addRow(row);
}

QListWidgetItem* MyListWidget::addPictureRow(const QString& text, QLabel** label)
{
    QWidget* row = transparentRow(m_list);
    auto* layout = new QHBoxLayout(row);
    layout->setContentsMargins(12, 0, 12, 0);
    layout->addStretch();
    *label = rowLabel(text, QSize(110, 20), 90, row);
    layout->addWidget(*label);
    return addRow(row);
}

void MyListWidget::setListWidgetInfo(QString text)
{
    QLabel* label = nullptr;
    addPictureRow(text, &label);
    // Plain text in the tool tip as well: Qt guesses rich text there, so the name goes in escaped
    // inside a paragraph, and a name that looks like markup stays a name.
    label->setToolTip(QStringLiteral("<p style='white-space:pre'>%1</p>").arg(text.toHtmlEscaped()));
    label->setProperty("fullText", text);
}

void MyListWidget::setListWidgetNote(QString text)
{
    QLabel* label = nullptr;
    QListWidgetItem* item = addPictureRow(text, &label);
    item->setFlags(Qt::NoItemFlags);
    item->setData(Qt::UserRole, kNoteProperty);
}

void MyListWidget::setListSize(int width, int height, bool pictureMode)
{
    setFixedSize(width, height);
    m_frame->setFixedSize(width, height);
    m_list->setGeometry(0, 6, width, height - 12);
    m_pictureMode = pictureMode;
}

void MyListWidget::onItemPressed(QListWidgetItem* item)
{
    if (!item || item->data(Qt::UserRole).toString() == QLatin1String(kNoteProperty))
        return;
    QWidget* row = m_list->itemWidget(item);
    if (!row)
        return;
    for (QLabel* label : row->findChildren<QLabel*>(QString(), Qt::FindDirectChildrenOnly)) {
        // The picture list reports full names: the label may show an elided one.
        emit clickedText(m_pictureMode ? label->property("fullText").toString() : label->text());
    }
}
