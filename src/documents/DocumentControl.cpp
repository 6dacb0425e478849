#include "documents/DocumentControl.h"

#include "documents/DocumentShowPicWidget.h"
#include "documents/PanelParts.h"
#include "documents/ParseQImage.h"
#include "documents/TipDocumentLabel.h"

#include <QDebug>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QPixmap>
#include <QScrollArea>
#include <QScrollBar>
#include <QSpacerItem>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWheelEvent>

#include <algorithm>

namespace
{
constexpr int kPanelWidth = 861;
constexpr int kPanelHeight = 136;
constexpr int kArrowSize = 16;

QLabel* makeArrow(QWidget* parent, const char* picture)
{
    auto* arrow = new QLabel(parent);
    arrow->setFixedSize(kArrowSize, kArrowSize);
    arrow->setPixmap(QPixmap(QString::fromLatin1(picture)).scaled(kArrowSize, kArrowSize));
    arrow->hide();
    return arrow;
}
} // namespace

DocumentControl::DocumentControl(QWidget* parent) : QWidget(parent)
{
    buildForm();
}

void DocumentControl::buildForm()
{
    setObjectName("DocumentControl");
    resize(kPanelWidth, kPanelHeight);
    setMinimumSize(kPanelWidth, kPanelHeight);
    setMaximumHeight(kPanelHeight);

    auto* column = new QVBoxLayout(this);
    column->setContentsMargins(0, 0, 0, 0);

    auto* top = new QHBoxLayout;
    column->addLayout(top);
    m_tabBar = new QScrollArea(this);
    m_tabBar->setObjectName("scrollArea_2");
    m_tabBar->setMinimumWidth(712);
    m_tabBar->setFixedHeight(28);
    m_tabBar->setSizePolicy(QSizePolicy::Minimum, QSizePolicy::Fixed);
    m_tabBar->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tabBar->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    m_tabBar->setFrameShape(QFrame::NoFrame);
    m_tabBar->setStyleSheet("QScrollArea{background:transparent;border:none;}");
    m_tabBar->setWidgetResizable(true);
    m_tabContent = new QWidget;
    m_tabContent->setObjectName("scrollAreaWidgetContents_2");
    m_tabContent->setStyleSheet("#scrollAreaWidgetContents_2{background:transparent;}");
    m_tabRow = new QHBoxLayout(m_tabContent);
    m_tabRow->setContentsMargins(0, 0, 0, 0);
    m_tabRow->setSpacing(8);
    m_tabRow->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    m_tabBar->setWidget(m_tabContent);
    top->addWidget(m_tabBar);
    top->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));

    m_addButton = panelparts::makeAddButton(this, "add_doc_btn", QString::fromUtf8("添加文档"));
    connect(m_addButton, &QToolButton::clicked, this, &DocumentControl::sendAddDoc);
    top->addWidget(m_addButton);

    m_strip = panelparts::makeScrollingRow(this, "#7D81AF", &m_pageRow);
    m_stripContent = m_strip->widget();
    column->addWidget(m_strip);

    m_leftArrow = makeArrow(this, ":/images/live/arrow_left.png");
    m_rightArrow = makeArrow(this, ":/images/live/arrow_right.png");
    m_leftArrow->installEventFilter(this);
    m_rightArrow->installEventFilter(this);
}

QList<DocumentShowPicWidget*> DocumentControl::thumbnails() const
{
    QList<DocumentShowPicWidget*> pages;
    for (int i = 0; i < m_pageRow->count(); ++i)
        if (auto* page = qobject_cast<DocumentShowPicWidget*>(m_pageRow->itemAt(i)->widget()))
            pages << page;
    return pages;
}

void DocumentControl::addDocument(QString pageFolder, QString name)
{
    addTab(pageFolder, name);
    loadPages(pageFolder);
    updateArrows();
    m_currentIndex = m_nextIndex;
    ++m_nextIndex;
}

void DocumentControl::addTab(QString pageFolder, QString name)
{
    auto* tab = new TipDocumentLabel(name, pageFolder, m_nextIndex, m_tabContent);
    m_tabRow->insertWidget(m_tabRow->count() - 1, tab); // before the trailing spacer
    m_tabs.append(tab);
    connect(tab, &TipDocumentLabel::sendCloseClicksig, this, &DocumentControl::rectTipCloseslot);
    connect(tab, &TipDocumentLabel::sendSwitchDocSig, this, &DocumentControl::recvTipSwitchslot);
    colourTabs(tab->index());
}

void DocumentControl::loadPages(QString folder)
{
    m_pageEntries.clear();
    const QFileInfoList files = QDir(folder).entryInfoList(QDir::Files, QDir::Name);
    // Pages are "pic<N>.png": ordered by N, since name order puts pic10 before pic2.
    for (const QFileInfo& file : files)
        m_pageEntries.append({file.baseName().mid(3).toInt(), file.filePath()});
    std::stable_sort(m_pageEntries.begin(), m_pageEntries.end(),
                     [](const QPair<int, QString>& a, const QPair<int, QString>& b) { return a.first < b.first; });

    clearStrip();
    int pageNumber = 1;
    for (const auto& entry : qAsConst(m_pageEntries)) {
        auto* page = new DocumentShowPicWidget(pageNumber++, entry.second, m_stripContent);
        connect(page, &DocumentShowPicWidget::share_sig, this, &DocumentControl::recvSharePicslot);
        m_pageRow->addWidget(page);
    }
    m_pageRow->addItem(new QSpacerItem(0, 0, QSizePolicy::Expanding, QSizePolicy::Minimum));
    const QList<DocumentShowPicWidget*> pages = thumbnails();
    if (!pages.isEmpty())
        pages.first()->setSelected(true);
}

void DocumentControl::clearStrip()
{
    // All loaders are told first: each one waiting for its turn then ends at once.
    for (DocumentShowPicWidget* page : thumbnails())
        page->loader()->requestInterruption();
    while (QLayoutItem* item = m_pageRow->takeAt(0)) {
        delete item->widget(); // its loader thread is waited for
        delete item;
    }
}

void DocumentControl::colourTabs(int selectedIndex)
{
    for (TipDocumentLabel* tab : qAsConst(m_tabs))
        tab->setSelected(tab->index() == selectedIndex);
}

void DocumentControl::recvSharePicslot(QString strpath, int nIndex)
{
    emit sigGetCameraPos();
    emit sendDocumentSharePicSig(strpath);
    for (DocumentShowPicWidget* page : thumbnails())
        page->setSelected(page->pageNumber() == nIndex);
}

void DocumentControl::recvTipSwitchslot(QString strfilepath, int index)
{
    if (index != m_currentIndex) {
        loadPages(strfilepath);
        m_currentIndex = index;
    }
    colourTabs(index);
    for (TipDocumentLabel* tab : qAsConst(m_tabs))
        if (tab->index() == index) {
            emit sendDocumentSharePicSig(tab->pageFolder() + "/pic0.png");
            break;
        }
}

void DocumentControl::rectTipCloseslot(QString strfilepath, int index)
{
    Q_UNUSED(strfilepath)
    auto found = std::find_if(m_tabs.begin(), m_tabs.end(),
                              [index](const TipDocumentLabel* tab) { return tab->index() == index; });
    if (found == m_tabs.end())
        return;
    TipDocumentLabel* tab = *found;
    emit sendResetStatusSig(tab->pageFolder(), tab->name());
    takeTab(tab);
    if (index == m_currentIndex)
        afterCurrentTabLeft();
    updateArrows();
}

void DocumentControl::removeDocument(QString pageFolder, QString name)
{
    auto found = std::find_if(m_tabs.begin(), m_tabs.end(), [&](const TipDocumentLabel* tab) {
        return tab->pageFolder() == pageFolder && tab->name() == name;
    });
    // A document without a tab, or another than the one on show, leaves the canvas as it is: a
    // delete in the list must not switch the page on air.
    if (found == m_tabs.end())
        return;
    TipDocumentLabel* tab = *found;
    const bool wasCurrent = tab->index() == m_currentIndex;
    tab->close();
    takeTab(tab);
    if (wasCurrent)
        afterCurrentTabLeft();
    updateArrows();
}

void DocumentControl::takeTab(TipDocumentLabel* tab)
{
    m_tabs.removeOne(tab);
    m_tabRow->removeWidget(tab);
    tab->deleteLater(); // may be the sender of the signal being handled
}

void DocumentControl::afterCurrentTabLeft()
{
    if (m_tabs.isEmpty()) {
        emit sendDelDocumentClear();
        clearStrip();
        m_nextIndex = 0;
        return;
    }
    TipDocumentLabel* first = m_tabs.first();
    m_currentIndex = first->index();
    loadPages(first->pageFolder());
    emit sendDocumentSharePicSig(first->pageFolder() + "/pic0.png");
    colourTabs(first->index());
}

void DocumentControl::updateArrows()
{
    m_tabWidthSum = kTabStep * m_tabs.size();
    // Before the first layout the bar has not its width yet; it never gets less than its minimum.
    const int barWidth = qMax(m_tabBar->width(), m_tabBar->minimumWidth());
    if (m_tabWidthSum <= barWidth) {
        m_leftArrow->hide();
        m_rightArrow->hide();
        return;
    }
    m_leftArrow->move(m_tabBar->x(), m_tabBar->y() + 5);
    m_rightArrow->move(m_tabBar->x() + barWidth - kArrowSize, m_tabBar->y() + 5);
    for (QLabel* arrow : {m_leftArrow, m_rightArrow}) {
        arrow->show();
        arrow->raise();
    }
}

bool DocumentControl::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress && (watched == m_leftArrow || watched == m_rightArrow)) {
        const int x = m_tabContent->x();
        if (watched == m_leftArrow) {
            if (x != 0)
                m_tabContent->move(x + kArrowStep, m_tabContent->y());
        } else if (m_tabBar->horizontalScrollBar()->maximum() >= qAbs(x)) {
            m_tabContent->move(x - kArrowStep, m_tabContent->y());
        }
        return true;
    }
    return QWidget::eventFilter(watched, event);
}

void DocumentControl::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    updateArrows();
}

void DocumentControl::wheelEvent(QWheelEvent* event)
{
    if (event->position().y() < kTabAreaHeight) {
        qDebug() << "wheel over the document tabs";
        return;
    }
    event->accept();
    QScrollBar* bar = m_strip->horizontalScrollBar();
    const int range = bar->maximum();
    if (range <= 0)
        return;
    const QPoint angle = event->angleDelta();
    const int delta = angle.y() != 0 ? angle.y() : angle.x();
    const int x = m_stripContent->x();
    int target = x;
    if (delta < 0) {
        if (-x > range)
            return;
        target = qMax(x - kWheelStep, -range);
    } else if (delta > 0) {
        if (x >= 0)
            return;
        target = qMin(x + kWheelStep, 0);
    } else {
        return;
    }
    m_stripContent->move(target, m_stripContent->y());
    bar->setValue(-target);
}
