#include "documents/DocumentShareWidget.h"
#include "ui_DocumentShareWidget.h"

#include "core/DataCenter.h"
#include "documents/DocumentCacheEntry.h"
#include "documents/DocumentCreateWidget.h"
#include "documents/DocumentDialogs.h"
#include "documents/DocumentListRules.h"
#include "documents/FileAnalysisFaildWidget.h"
#include "widgets/LogoutDialog.h"
#include "widgets/PopTipDlg.h"

#include <QButtonGroup>
#include <QDebug>
#include <QDir>
#include <QFileInfo>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace
{

constexpr int kHintWidth = 266;
constexpr int kHintTop = 12;
constexpr int kPageButtonSide = 32;
const QSize kEmptyAreaSize(751, 281);

const char kActiveColour[] = "#FFFFFF";
const char kIdleColour[] = "#6B6C83";

QString pageButtonStyle(bool current)
{
    return QStringLiteral("QPushButton{color:#FFFFFF;background-color:%1;border:none;border-radius:4px;"
                          "font-size:14px;}")
        .arg(current ? QStringLiteral("#0669F5") : QStringLiteral("#6B6C83"));
}

} // namespace

QString DocumentShareWidget::fileFilter()
{
    return QStringLiteral("all(*.pdf *.docx *.doc *.ppt *.pptx *.png *.jpg)");
}

DocumentShareWidget::DocumentShareWidget(QWidget* parent)
    : DraggableRoundedWidget(parent), ui(new Ui::DocumentShareWidget)
{
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setFixedSize(800, 497);

    ui->tipLabel->hide();
    ui->pushButton->installEventFilter(this);
    for (QLabel* label : {ui->allLabel, ui->docLabel, ui->picLabel})
        label->installEventFilter(this);
    ui->line_2->hide();
    ui->line_3->hide();
    ui->allLabel->setStyleSheet(ui->allLabel->styleSheet().replace(kIdleColour, kActiveColour));

    ui->lineEdit->addAction(QIcon(QStringLiteral(":/images/live/search.png")), QLineEdit::LeadingPosition);
    connect(ui->lineEdit, &QLineEdit::textChanged, this, [this] { refreshFilter(kSearch); });

    m_grid = new QGridLayout(ui->frame);
    m_grid->setContentsMargins(1, 1, 1, 1);
    m_grid->setSpacing(12);
    m_grid->setAlignment(Qt::AlignLeft | Qt::AlignTop);

    m_placeholder = new QWidget(ui->frame);
    m_placeholder->setObjectName(QStringLiteral("placeholder"));
    auto* picture = new QLabel(m_placeholder);
    picture->setFixedSize(72, 72);
    picture->setPixmap(QPixmap(QStringLiteral(":/images/live/documentLayout.png"))
                           .scaled(72, 72, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
    auto* text = new QLabel(QStringLiteral("暂无文件"), m_placeholder);
    text->setFixedSize(48, 17);
    text->setStyleSheet(QStringLiteral("color:#6B6C83;font-size:12px;"));
    auto* column = new QVBoxLayout(m_placeholder);
    column->setContentsMargins(0, 0, 0, 0);
    column->addWidget(picture, 0, Qt::AlignHCenter);
    column->addWidget(text, 0, Qt::AlignHCenter);
    m_placeholder->setFixedSize(80, 100);

    m_pageButtons = new QButtonGroup(this);
    m_pageButtons->setExclusive(true);
    auto* bar = new QHBoxLayout(ui->pageBar);
    bar->setContentsMargins(0, 0, 0, 0);
    bar->setSpacing(8);
    bar->addStretch();
    for (auto [id, label] :
         {std::pair{kPrevButtonId, "<"}, std::pair{1, "1"}, std::pair{kNextButtonId, ">"}}) {
        auto* button = new QPushButton(QLatin1String(label), ui->pageBar);
        button->setFixedSize(kPageButtonSide, kPageButtonSide);
        m_pageButtons->addButton(button, id);
        bar->addWidget(button);
    }
    connect(m_pageButtons, &QButtonGroup::idClicked, this, &DocumentShareWidget::onBtnFunc);
    connect(m_pageButtons, &QButtonGroup::idPressed, this, &DocumentShareWidget::onBtnPress);

    m_hint = new PopTipDlg(this);
    m_hint->hide();
    m_hintTimer.setSingleShot(true);
    m_hintTimer.setInterval(kHintMs);
    connect(&m_hintTimer, &QTimer::timeout, m_hint, &QWidget::hide);

    updateCountLabel();
    showFirstPage();
}

DocumentShareWidget::~DocumentShareWidget()
{
    // The tiles go with the tile area; each takes itself off the store's list.
    delete ui;
}

DocumentCreateWidget* DocumentShareWidget::makeTile(const QString& path, int kind)
{
    auto* tile = new DocumentCreateWidget(path, kind, m_nextId++, ui->frame);
    connect(tile, &DocumentCreateWidget::sendDelSig, this, &DocumentShareWidget::on_RecvDelslot);
    connect(tile, &DocumentCreateWidget::sendUseSig, this, &DocumentShareWidget::on_RecvUseslot);
    tile->hide();
    return tile;
}

void DocumentShareWidget::loadSavedDocuments()
{
    const auto store = CDataCenter::getInstance();
    QStringList unlisted; // folders of entries not listed
    for (const QString& key : store->getDocInfoList()) {
        // The list never held more; a longer one comes from a damaged file.
        if (m_tiles.size() >= doclist::kMaxFiles)
            break;
        const std::optional<DocumentCacheEntry> entry = DocumentCacheEntry::fromKey(key, store->userDocDir);
        // An entry that is not listed is dropped by the next save: what it left on disk would
        // stay for good, and no delete could reach it.
        const bool unreadable = !entry || store->userDocDir.isEmpty();
        if (unreadable || !QFileInfo(DocumentCacheEntry::pagePath(entry->pageDir, 0)).isFile()) {
            qDebug() << "saved document" << (unreadable ? "refused:" : "without pages skipped:") << key;
            unlisted << DocumentCacheEntry::ownFolderOf(key, store->userDocDir);
            continue;
        }
        const int kind = entry->isPicture() ? doclist::kKindPicture : doclist::kKindDocument;
        DocumentCreateWidget* tile = makeTile(entry->pageDir, kind);
        tile->setRestoredInfo(entry->pageDir, entry->fileName(), entry->size, DocumentCreateWidget::StateDone,
                              kind);
        tile->setSaveFilePath(key);
        m_tiles.append(tile);
    }
    // A damaged entry may name the folder of one that is listed.
    for (const DocumentCreateWidget* tile : qAsConst(m_tiles))
        unlisted.removeAll(QDir::cleanPath(tile->pageDir()));
    for (const QString& folder : qAsConst(unlisted))
        if (!folder.isEmpty())
            QDir(folder).removeRecursively();
    m_fileCount = m_tiles.size();
    updateCountLabel();
    store->documentWidgets = m_tiles;
}

void DocumentShareWidget::showFirstPage()
{
    layOut(m_tiles, 1);
    rebuildPageButtons(m_tiles.size());
}

void DocumentShareWidget::resetUseState(QString pageFolder, QString name)
{
    for (DocumentCreateWidget* tile : qAsConst(m_tiles)) {
        if (tile->pageDir() == pageFolder && tile->fileName() == name) {
            tile->setState(DocumentCreateWidget::StateDone);
            tile->updateButtons();
        }
    }
}

void DocumentShareWidget::clearTiles()
{
    for (DocumentCreateWidget* tile : qAsConst(m_tiles))
        disconnect(tile, nullptr, this, nullptr);
    m_tiles.clear();
    m_fileCount = 0;
    updateCountLabel();
    showFirstPage();
}

void DocumentShareWidget::on_loadFile_btn_clicked()
{
    const QString path = DocumentDialogs::chooseFile(this, QStringLiteral("选择文件"), fileFilter());
    if (path.isEmpty())
        return;
    const QFileInfo info(path);
    const QString name = info.fileName();
    const bool taken = std::any_of(m_tiles.cbegin(), m_tiles.cend(), [&](const DocumentCreateWidget* tile) {
        return tile->fileName() == name;
    });
    using doclist::UploadVerdict;
    switch (doclist::checkUpload(info.exists(), info.size(), info.suffix(), m_fileCount, taken)) {
    case UploadVerdict::Empty:
        showMessage(QStringLiteral("内容为空"), QStringLiteral("内容为空，请检查后重试"));
        return;
    case UploadVerdict::PictureTooLarge:
        showHint(QStringLiteral("请上传50M以内的图片"));
        return;
    case UploadVerdict::DocumentTooLarge:
        showHint(QStringLiteral("请上传100M以内的文档"));
        return;
    case UploadVerdict::TooMany:
        showMessage(QStringLiteral("数量过大"), QStringLiteral("上传总数超过50,请删除不使用的文件后重试"));
        return;
    case UploadVerdict::NameTaken:
        showMessage(QStringLiteral("已存在"), QStringLiteral("存在同名文件，请修改文件名称后重试"));
        return;
    case UploadVerdict::Accept:
        break;
    }
    ++m_fileCount;
    updateCountLabel();
    const int kind = doclist::tileKind(name);
    DocumentCreateWidget* tile = makeTile(path, kind);
    connect(tile, &DocumentCreateWidget::sendFileFaild, this, &DocumentShareWidget::on_RecvFileFaildslot);
    m_tiles.append(tile);
    if (m_filter == kFilterAll || m_filter == kind)
        showFirstPage();
    tile->startConvert();
    m_placeholder->hide();
}

void DocumentShareWidget::on_close_btn_clicked()
{
    const auto store = CDataCenter::getInstance();
    int written = 0;
    for (DocumentCreateWidget* tile : qAsConst(m_tiles)) {
        qDebug() << "iter->getSaveFilePath():" << tile->getSaveFilePath();
        store->setDocInfoValue(QString::number(written++), tile->getSaveFilePath());
    }
    store->setDocInfoValue(QStringLiteral("count"), QString::number(written));
    store->sync();
    store->documentWidgets = m_tiles;
    close();
}

void DocumentShareWidget::on_RecvDelslot(int nIndex)
{
    const auto it = std::find_if(m_tiles.begin(), m_tiles.end(), [&](const DocumentCreateWidget* tile) {
        return tile->identifier() == nIndex;
    });
    if (it == m_tiles.end())
        return;
    DocumentCreateWidget* tile = *it;
    qDebug() << "tile removed from the list:" << tile->pageDir();
    m_tiles.erase(it);
    // Whatever its worker still reports reaches no list.
    disconnect(tile, nullptr, this, nullptr);
    tile->hide();
    showPage(m_currentPage.toInt());
    m_fileCount = m_tiles.size();
    updateCountLabel();
    emit sendDelClearSig(tile->pageDir(), tile->fileName());
    refreshFilter(m_filter);
}

void DocumentShareWidget::on_RecvUseslot(QString strfilePath, QString strfileName)
{
    emit sendUseSig(strfilePath, strfileName);
}

void DocumentShareWidget::on_RecvFileFaildslot(QString strerror)
{
    qDebug() << "conversion failed:" << strerror;
    const auto store = CDataCenter::getInstance();
    auto* popup = new FileAnalysisFaildWidget(nullptr);
    popup->move((store->screenWidth - popup->width()) / 2, (store->screenHeight - popup->height()) / 2);
    popup->show();
}

void DocumentShareWidget::refreshFilter(int type)
{
    QList<DocumentCreateWidget*> shown;
    if (type == kFilterDocuments || type == kFilterPictures) {
        for (DocumentCreateWidget* tile : qAsConst(m_tiles))
            if (tile->kind() == type)
                shown << tile;
    } else if (type == kFilterAll) {
        shown = m_tiles;
    } else {
        if (ui->lineEdit->text().isEmpty())
            setFocus();
        shown = filteredTiles(true);
    }
    layOut(shown, 1);
    rebuildPageButtons(shown.size());
}

QList<DocumentCreateWidget*> DocumentShareWidget::filteredTiles(bool withSearch) const
{
    const QString text = withSearch ? ui->lineEdit->text() : QString();
    QList<DocumentCreateWidget*> shown;
    for (DocumentCreateWidget* tile : m_tiles) {
        if (m_filter != kFilterAll && tile->kind() != m_filter)
            continue;
        if (!text.isEmpty() && !doclist::nameMatches(tile->fileName(), text))
            continue;
        shown << tile;
    }
    return shown;
}

void DocumentShareWidget::showPage(int page)
{
    layOut(filteredTiles(true), page);
}

void DocumentShareWidget::layOut(const QList<DocumentCreateWidget*>& tiles, int page)
{
    for (DocumentCreateWidget* tile :
         ui->frame->findChildren<DocumentCreateWidget*>(QString(), Qt::FindDirectChildrenOnly)) {
        m_grid->removeWidget(tile);
        tile->hide();
    }
    if (tiles.isEmpty()) {
        ui->frame->resize(kEmptyAreaSize);
        m_placeholder->move((kEmptyAreaSize.width() - m_placeholder->width()) / 2,
                            (kEmptyAreaSize.height() - m_placeholder->height()) / 2);
        m_placeholder->show();
        return;
    }
    m_placeholder->hide();
    ui->frame->resize(doclist::tileAreaSize(tiles.size() - (page - 1) * doclist::kTilesPerPage));
    const QList<int> indices = doclist::pageIndices(tiles.size(), page);
    for (int k = 0; k < indices.size(); ++k) {
        DocumentCreateWidget* tile = tiles.at(indices.at(k));
        m_grid->addWidget(tile, k / doclist::kTilesPerRow, k % doclist::kTilesPerRow,
                          Qt::AlignLeft | Qt::AlignTop);
        tile->show();
    }
}

void DocumentShareWidget::rebuildPageButtons(int tiles)
{
    const int pages = doclist::pageCount(tiles);
    auto* bar = static_cast<QHBoxLayout*>(ui->pageBar->layout());
    for (QAbstractButton* button : m_pageButtons->buttons()) {
        const int id = m_pageButtons->id(button);
        if (id != kPrevButtonId && id != 1 && id != kNextButtonId) {
            m_pageButtons->removeButton(button);
            delete button;
        }
    }
    QAbstractButton* next = m_pageButtons->button(kNextButtonId);
    for (int page = 2; page <= pages; ++page) {
        auto* button = new QPushButton(QString::number(page), ui->pageBar);
        button->setFixedSize(kPageButtonSide, kPageButtonSide);
        m_pageButtons->addButton(button, page);
        bar->insertWidget(bar->indexOf(next), button);
    }
    m_lastPage = QString::number(pages);
    m_currentPage = QStringLiteral("1");
    colourPageButtons();
}

void DocumentShareWidget::colourPageButtons()
{
    for (QAbstractButton* button : m_pageButtons->buttons())
        button->setStyleSheet(pageButtonStyle(button->text() == m_currentPage));
}

void DocumentShareWidget::onBtnPress(int)
{
    colourPageButtons();
}

void DocumentShareWidget::onBtnFunc(int id)
{
    QAbstractButton* button = m_pageButtons->button(id);
    if (!button)
        return;
    qDebug() << "btn name = " << button->text();
    int page = m_currentPage.toInt();
    if (id == kPrevButtonId) {
        if (m_currentPage == QLatin1String("1"))
            return;
        --page;
    } else if (id == kNextButtonId) {
        if (m_currentPage == m_lastPage)
            return;
        ++page;
    } else {
        page = button->text().toInt();
    }
    m_currentPage = QString::number(page);
    colourPageButtons();
    showPage(page);
}

void DocumentShareWidget::chooseFilter(int filter)
{
    const QList<QLabel*> labels{ui->allLabel, ui->docLabel, ui->picLabel};
    const QList<QFrame*> lines{ui->line, ui->line_2, ui->line_3};
    for (int i = 0; i < labels.size(); ++i) {
        lines[i]->setVisible(i == filter);
        QString style = labels[i]->styleSheet();
        style.replace(kActiveColour, kIdleColour);
        if (i == filter)
            style.replace(kIdleColour, kActiveColour);
        labels[i]->setStyleSheet(style);
    }
    m_filter = filter;
    ui->lineEdit->clear();
    labels[filter]->setFocus();
    refreshFilter(filter);
}

void DocumentShareWidget::updateCountLabel()
{
    ui->PageNumLable->setText(QStringLiteral("%1/%2").arg(m_fileCount).arg(doclist::kMaxFiles));
}

void DocumentShareWidget::showMessage(const QString& title, const QString& text)
{
    LogoutDialog box;
    box.setContent(title, text, QStringLiteral("确 定"), false);
    box.setWindowModality(Qt::ApplicationModal);
    DocumentDialogs::runModal(box);
}

void DocumentShareWidget::showHint(const QString& text)
{
    m_hint->setText(text);
    const QRect window = geometry();
    m_hint->move(window.x() + (window.width() - kHintWidth) / 2, window.y() + kHintTop);
    m_hint->show();
    // A newer hint gets its full time.
    m_hintTimer.start();
}

bool DocumentShareWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->pushButton) {
        if (event->type() == QEvent::Enter) {
            ui->tipLabel->show();
            ui->tipLabel->raise();
        } else if (event->type() == QEvent::Leave) {
            ui->tipLabel->hide();
        }
    } else if (event->type() == QEvent::MouseButtonPress) {
        const QList<QObject*> labels{ui->allLabel, ui->docLabel, ui->picLabel};
        const int filter = labels.indexOf(watched);
        if (filter >= 0) {
            chooseFilter(filter);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
