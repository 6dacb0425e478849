#include "documents/WhiteBoardControl.h"

#include "documents/PanelParts.h"
#include "documents/WhiteBoardShowInfoWidget.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QScrollArea>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>

WhiteBoardControl::WhiteBoardControl(QWidget* parent) : QWidget(parent)
{
    setObjectName("WhiteBoardControl");
    setMinimumSize(800, 136);
    setMaximumHeight(136);

    QFont font(QString::fromUtf8("微软雅黑"));
    font.setPointSize(10);

    auto* column = new QVBoxLayout(this);
    auto* top = new QHBoxLayout;
    column->addLayout(top);
    auto* heading = new QLabel(QString::fromUtf8("白板预览"), this);
    heading->setObjectName("label");
    heading->setFont(font);
    heading->setStyleSheet("color:rgb(107, 108, 131);");
    top->addWidget(heading);
    top->addItem(new QSpacerItem(40, 15, QSizePolicy::Expanding, QSizePolicy::Minimum));

    m_addButton = panelparts::makeAddButton(this, "add_board_btn", QString::fromUtf8("添加白板"));
    connect(m_addButton, &QToolButton::clicked, this, [this] { emit sendAddWhiteBoard(m_count); });
    top->addWidget(m_addButton);

    m_scrollArea = panelparts::makeScrollingRow(this, "#282B44", &m_tileRow);
    m_content = m_scrollArea->widget();
    m_trailingSpacer = new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum);
    m_tileRow->addItem(m_trailingSpacer);
    column->addWidget(m_scrollArea);
}

QList<WhiteBoardShowInfoWidget*> WhiteBoardControl::tiles() const
{
    QList<WhiteBoardShowInfoWidget*> result;
    for (int i = 0; i < m_tileRow->count(); ++i)
        if (auto* tile = qobject_cast<WhiteBoardShowInfoWidget*>(m_tileRow->itemAt(i)->widget()))
            result << tile;
    return result;
}

void WhiteBoardControl::addItem(int number)
{
    m_tileRow->removeItem(m_trailingSpacer);
    auto* tile = new WhiteBoardShowInfoWidget(m_content, number);
    connect(tile, &WhiteBoardShowInfoWidget::sendCloseClicksig, this, &WhiteBoardControl::onCloseBoard);
    connect(tile, &WhiteBoardShowInfoWidget::sendClickSelect, this, &WhiteBoardControl::onSelectBoard);
    m_tileRow->addWidget(tile);
    ++m_count;
    m_currentNumber = number;
    m_tileRow->addItem(m_trailingSpacer);
}

void WhiteBoardControl::onSelectBoard(int number)
{
    if (number == m_currentNumber) {
        emit sendShowWhiteBoard(number);
        return;
    }
    m_currentNumber = number;
    emit sendShowWhiteBoard(number);
    for (WhiteBoardShowInfoWidget* tile : tiles())
        tile->setSelected(tile->number() == number);
}

void WhiteBoardControl::onCloseBoard(int number)
{
    --m_count;
    for (WhiteBoardShowInfoWidget* tile : tiles())
        if (tile->number() == number) {
            m_tileRow->removeWidget(tile);
            tile->hide();
            tile->deleteLater(); // it is the sender of this call
        }
    const QList<WhiteBoardShowInfoWidget*> left = tiles();
    // The first tile looks selected; what is on show stays until another is chosen.
    if (number == m_currentNumber && !left.isEmpty())
        left.first()->setSelected(true);
    for (WhiteBoardShowInfoWidget* tile : left)
        if (tile->number() > number)
            tile->setNumber(tile->number() - 1);
}
