// The canvas part of the tour, while live: documents through the document list (a PDF and a Word
// document that LibreOffice converts), page 2 from the page panel, a desktop share with a pattern
// window of the tour's own, and a two-tile scene layout from the layout editor applied from the
// strip. Each step checks the preview on the screen and one frame taken from the stream at the
// RTMP server for the marks of known colour at known places.
#include "DemoTour.h"

#include "HostActions.h"

#include "canvas/DesktopShareDialog.h"
#include "canvas/FloatingWindow.h"
#include "core/DataCenter.h"
#include "documents/DocumentControl.h"
#include "documents/DocumentCreateWidget.h"
#include "documents/DocumentDialogs.h"
#include "documents/DocumentShareWidget.h"
#include "documents/DocumentShowPicWidget.h"
#include "scenes/AddSceneDialog.h"
#include "scenes/LayoutWidget.h"
#include "scenes/MyListWidget.h"
#include "scenes/PreviewWidget.h"
#include "scenes/SceneLayoutControl.h"
#include "shell/LiveMainWindow.h"
#include "shell/MyButton.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QScreen>

namespace tour {

namespace {
const QString kAddDocument = QString::fromUtf8("添加文档");
const QString kAddLayout = QString::fromUtf8("添加画面布局");
const QString kPictureKind = QString::fromUtf8("图片");
// LibreOffice starts in a few seconds on a quiet machine; a busy one takes much longer.
constexpr int kConvertTimeoutMs = 180000;
constexpr int kFrameTimeoutMs = 60000;
constexpr int kCanvasTimeoutMs = 30000;
const QPointF kMiddle(0.5, 0.5);

QString fileName(const QString& path) { return QFileInfo(path).fileName(); }

// The host's press on a tool button of the tool column (it reacts on its inner frame).
void pressTool(QWidget* button)
{
    if (auto* tool = qobject_cast<MyButton*>(button))
        click(tool->frame());
}
} // namespace

QString DemoTour::pushUrl() const
{
    auto store = CDataCenter::getInstance();
    return store->pushServer + QLatin1Char('/') + store->pushKey;
}

Stage DemoTour::streamShows(const QString& what, std::function<QList<Marker>()> markers)
{
    Stage stage{QStringLiteral("the stream at the server shows ") + what,
                [this, markers] { m_frameCheck.begin(pushUrl(), m_runner.streamPicturePath(), markers()); },
                [this] { return m_frameCheck.poll(); }, kFrameTimeoutMs};
    stage.lastSeen = [this] { return m_frameCheck.lastProblem(); };
    return stage;
}

QString DemoTour::frameDetail() const
{
    const QImage& frame = m_frame.frame();
    return QStringLiteral("stream frame %1x%2 (%3 taken)").arg(frame.width()).arg(frame.height()).arg(m_frameCheck.attempts());
}

// ---- documents -----------------------------------------------------------------------------

DocumentShareWidget* DemoTour::documentList() const { return visibleWindow<DocumentShareWidget>(); }

DocumentCreateWidget* DemoTour::documentTile(const QString& path) const
{
    auto store = CDataCenter::getInstance();
    for (DocumentCreateWidget* tile : store->documentWidgets) {
        if (tile && tile->fileName() == fileName(path))
            return tile;
    }
    if (DocumentShareWidget* list = documentList()) {
        for (DocumentCreateWidget* tile : list->tiles()) {
            if (tile->fileName() == fileName(path))
                return tile;
        }
    }
    return nullptr;
}

bool DemoTour::converted(const QStringList& paths) const
{
    for (const QString& path : paths) {
        DocumentCreateWidget* tile = documentTile(path);
        if (!tile || tile->state() != DocumentCreateWidget::StateDone)
            return false;
    }
    return true;
}

QString DemoTour::conversionFailure() const
{
    for (const QString& path : {m_docs.pdf, m_docs.word, m_docs.leftPicture, m_docs.rightPicture}) {
        DocumentCreateWidget* tile = documentTile(path);
        if (tile && tile->state() == DocumentCreateWidget::StateFailed)
            return fileName(path) + QStringLiteral(" did not convert");
    }
    return QString();
}

void DemoTour::useDocument(const QString& path)
{
    DocumentShareWidget* list = documentList();
    DocumentCreateWidget* tile = list ? documentTile(path) : nullptr;
    if (!tile)
        return;
    hover(tile);
    click(tile->findChild<QLabel*>(QStringLiteral("lblUse")));
    // The list stays open over the window until the host closes it.
    click(named(list, "close_btn"));
}

bool DemoTour::pageShows(const QColor& colour) const
{
    QWidget* page = mainNamed("document_page_label");
    return !documentList() && page && page->isVisible() && sameColour(screenColour(page, kMiddle), colour);
}

void DemoTour::addDocumentSteps()
{
    Step add;
    add.title = QStringLiteral("add a PDF, a Word document and two pictures through the document list");
    add.shot = QStringLiteral("document-list");
    add.stages << Stage{QStringLiteral("the document list is shown"),
                        [this] {
                            if (!writeTourDocuments(m_options.documentsDir, &m_docs, &m_docError))
                                return;
                            click(visibleChildWithText(mainNamed("preview_widget"), kAddDocument));
                        },
                        [this] { return documentList() != nullptr; }, 15000, [this] { return m_docError; }};
    add.stages << Stage{QStringLiteral("the PDF and the pictures are ready, the Word document converting"),
                        [this] {
                            // The file chooser answers as a host would, one file per press.
                            auto queue = std::make_shared<QStringList>(
                                QStringList{m_docs.pdf, m_docs.word, m_docs.leftPicture, m_docs.rightPicture});
                            DocumentDialogs::chooseFile = [queue](QWidget*, const QString&, const QString&) {
                                return queue->isEmpty() ? QString() : queue->takeFirst();
                            };
                            for (int i = 0; i < 4; ++i)
                                click(named(documentList(), "loadFile_btn"));
                        },
                        [this] {
                            // LibreOffice goes on with the Word document meanwhile.
                            return converted({m_docs.pdf, m_docs.leftPicture, m_docs.rightPicture});
                        },
                        kCanvasTimeoutMs, [this] { return conversionFailure(); }};
    add.detail = [this] { return QStringLiteral("in %1").arg(m_options.documentsDir); };
    m_runner.add(add);

    auto pageStep = [this](const QString& title, const QString& shot, const QString& mark, const QColor& colour,
                           std::function<void()> act) {
        Step step;
        step.title = title;
        step.shot = shot;
        step.streamShot = true;
        step.stages << Stage{QStringLiteral("the preview shows ") + mark, std::move(act),
                             [this, colour] { return pageShows(colour); }, kCanvasTimeoutMs};
        step.stages << streamShows(mark + QStringLiteral(" in the middle"), [mark, colour] {
            return QList<Marker>{{mark, kMiddle, colour}};
        });
        step.detail = [this] { return frameDetail(); };
        return step;
    };
    m_runner.add(pageStep(QStringLiteral("use the PDF: its first page is on the preview and in the stream"),
                          QStringLiteral("document-page-1"), QStringLiteral("page 1's red square"), mark::kPage1,
                          [this] { useDocument(m_docs.pdf); }));
    m_runner.add(pageStep(QStringLiteral("choose page 2 in the page panel"), QStringLiteral("document-page-2"),
                          QStringLiteral("page 2's blue square"), mark::kPage2, [this] {
                              auto* panel = mainWindow() ? mainWindow()->findChild<DocumentControl*>() : nullptr;
                              if (panel && panel->thumbnails().size() >= 2)
                                  click(panel->thumbnails().at(1));
                          }));
    Step word = pageStep(QStringLiteral("use the Word document (converted by LibreOffice) from the panel's 添加文档"),
                         QStringLiteral("document-word"), QStringLiteral("the Word page's green band"),
                         mark::kWordPage, [this] {
                             auto* panel = mainWindow() ? mainWindow()->findChild<DocumentControl*>() : nullptr;
                             click(visibleChildWithText(panel, kAddDocument));
                             useDocument(m_docs.word);
                         });
    word.stages.prepend(Stage{QStringLiteral("LibreOffice has converted the Word document"), {},
                              [this] { return converted({m_docs.word}); }, kConvertTimeoutMs,
                              [this] { return conversionFailure(); }});
    m_runner.add(word);
}

// ---- desktop share -------------------------------------------------------------------------

void DemoTour::showPattern()
{
    // A window of two colour bars where the main window does not cover the screen (the share
    // shows the whole screen, the main window included).
    QScreen* screen = QGuiApplication::primaryScreen();
    const QRect all = screen->geometry();
    const QRect main = mainWindow()->frameGeometry();
    QRect free(main.right() + 1, all.top(), all.right() - main.right(), all.height());
    const QRect below(all.left(), main.bottom() + 1, all.width(), all.bottom() - main.bottom());
    if (below.width() * below.height() > free.width() * free.height())
        free = below;
    // Clear of the share bar and its strip at the top centre.
    m_patternRect = free.adjusted(20, 80, -20, -20);
    QPixmap picture(m_patternRect.size());
    QPainter p(&picture);
    p.fillRect(QRect(0, 0, picture.width() / 2, picture.height()), mark::kPatternLeft);
    p.fillRect(QRect(picture.width() / 2, 0, picture.width() - picture.width() / 2, picture.height()),
               mark::kPatternRight);
    p.end();
    if (!m_pattern) {
        m_pattern = new QLabel;
        m_pattern->setWindowFlags(Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus);
        m_pattern->setWindowTitle(QStringLiteral("tour pattern"));
    }
    m_pattern->setPixmap(picture);
    m_pattern->setGeometry(m_patternRect);
    m_pattern->show();
    m_pattern->lower();
}

QList<Marker> DemoTour::patternMarkers() const
{
    const QRectF all = QGuiApplication::primaryScreen()->geometry();
    const QRectF r = m_patternRect;
    auto at = [&](double fx) {
        return QPointF((r.left() + fx * r.width() - all.left()) / all.width(), (r.center().y() - all.top()) / all.height());
    };
    return {{QStringLiteral("the pattern's left bar"), at(0.25), mark::kPatternLeft},
            {QStringLiteral("the pattern's right bar"), at(0.75), mark::kPatternRight}};
}

FloatingWindow* DemoTour::shareBar() const
{
    return mainWindow() ? mainWindow()->findChild<FloatingWindow*>() : nullptr;
}

void DemoTour::addShareSteps()
{
    auto picker = [] { return visibleWindow<DesktopShareDialog>(); };
    Step share;
    share.title = QStringLiteral("share the desktop: a pattern window on the screen reaches the stream");
    share.shot = QStringLiteral("desktop-share");
    share.streamShot = true;
    share.stages << Stage{QStringLiteral("the share picker is open"),
                          [this] {
                              showPattern();
                              pressTool(mainNamed("desktop_share_btn"));
                          },
                          [picker] { return picker() != nullptr; }};
    share.stages << Stage{QStringLiteral("the screen is shared and its bar offers the way out"),
                          [picker] {
                              click(named(picker(), "screen_widget"));
                              click(named(picker(), "share_btn"));
                          },
                          [this, picker] {
                              QWidget* label = mainNamed("share_display_label");
                              return !picker() && shareBar() && shareBar()->isVisible() && label && label->isVisible();
                          }};
    share.stages << streamShows(QStringLiteral("the pattern's two bars"), [this] { return patternMarkers(); });
    share.detail = [this] { return frameDetail(); };
    m_runner.add(share);

    Step leave;
    leave.title = QStringLiteral("leave the share through its bar");
    leave.shot = QStringLiteral("share-ended");
    leave.stages << Stage{QStringLiteral("the bar and the share are gone, the window is back"),
                          [this] { click(named(shareBar(), "exit_share_btn")); },
                          [this] {
                              QWidget* label = mainNamed("share_display_label");
                              return shareBar() && !shareBar()->isVisible() && label && !label->isVisible() &&
                                     !(mainWindow()->windowState() & Qt::WindowMinimized);
                          }};
    leave.stages << Stage{QStringLiteral("the pattern window is closed"),
                          [this] {
                              if (m_pattern)
                                  m_pattern->hide();
                          },
                          [this] { return !m_pattern || !m_pattern->isVisible(); }};
    m_runner.add(leave);
}

// ---- scene layout --------------------------------------------------------------------------

SceneLayoutControl* DemoTour::sceneStrip() const
{
    return mainWindow() ? mainWindow()->findChild<SceneLayoutControl*>() : nullptr;
}

QList<Marker> DemoTour::tileMarkers() const
{
    QList<Marker> markers;
    LayoutWidget* thumb = sceneStrip() ? sceneStrip()->thumbnails().value(0) : nullptr;
    if (!thumb)
        return markers;
    for (const InfoWidgetPtr& tile : thumb->records()) {
        const bool left = tile->content == fileName(m_docs.leftPicture);
        const QPointF centre(tile->rect.x + tile->rect.w / 2, tile->rect.y + tile->rect.h / 2);
        markers << Marker{QStringLiteral("tile %1 (%2)").arg(tile->num).arg(tile->content), centre,
                          left ? mark::kLeftTile : mark::kRightTile};
    }
    return markers;
}

void DemoTour::addLayoutSteps()
{
    auto editor = [] { return visibleWindow<AddSceneDialog>(); };
    // Tile n of the editor shows the picture: its field opens the kind list, "图片" the pictures.
    auto choosePicture = [editor](int n, const QString& picture) {
        AddSceneDialog* dialog = editor();
        PreviewWidget* tile = dialog && int(dialog->tiles().size()) > n ? dialog->tiles().at(n) : nullptr;
        if (!tile)
            return;
        click(tile->findChild<QLineEdit*>(QStringLiteral("contentEdit")));
        clickRow(tile->kindList()->listWidget(), kPictureKind);
        clickRow(tile->pictureList()->listWidget(), picture);
    };
    auto tilesShow = [this, editor] {
        AddSceneDialog* dialog = editor();
        return dialog && dialog->tiles().size() == 2 && dialog->tiles().at(0)->content() == fileName(m_docs.leftPicture) &&
               dialog->tiles().at(1)->content() == fileName(m_docs.rightPicture);
    };

    Step edit;
    edit.title = QStringLiteral("lay out a picture tile beside another in the layout editor and save it");
    edit.shot = QStringLiteral("layout-editor");
    edit.stages << Stage{QStringLiteral("the layout editor is open"),
                         [this] {
                             // The layout tool's button is not shown in this program's tool column; the
                             // host's press on it is what the tool switch gets.
                             pressTool(mainNamed("layout_btn"));
                             click(visibleChildWithText(mainNamed("preview_widget"), kAddLayout));
                         },
                         [editor] { return editor() != nullptr; }};
    edit.stages << Stage{QStringLiteral("two tiles side by side show the two pictures"),
                         [this, editor, choosePicture] {
                             click(named(editor(), "one_for_one_frame"));
                             choosePicture(0, fileName(m_docs.leftPicture));
                             choosePicture(1, fileName(m_docs.rightPicture));
                         },
                         tilesShow};
    edit.stages << Stage{QStringLiteral("saved: the strip holds the layout"),
                         [editor] { click(named(editor(), "save_btn")); },
                         [this, editor] { return !editor() && sceneStrip() && sceneStrip()->layoutCount() == 1; }};
    m_runner.add(edit);

    Step use;
    use.title = QStringLiteral("apply the layout from the strip: both tiles on the preview and in the stream");
    use.shot = QStringLiteral("layout");
    use.streamShot = true;
    use.stages << Stage{QStringLiteral("the preview shows both pictures in their tiles"),
                        [this] {
                            LayoutWidget* thumb = sceneStrip() ? sceneStrip()->thumbnails().value(0) : nullptr;
                            if (!thumb)
                                return;
                            hover(thumb);
                            click(thumb->operateButton());
                        },
                        [this] {
                            QWidget* label = mainNamed("scene_label");
                            const QList<Marker> markers = tileMarkers();
                            if (!label || !label->isVisible() || markers.size() != 2)
                                return false;
                            for (const Marker& m : markers) {
                                if (!sameColour(screenColour(label, m.at), m.colour))
                                    return false;
                            }
                            return true;
                        },
                        kCanvasTimeoutMs};
    use.stages << streamShows(QStringLiteral("both tiles' pictures in their rectangles"), [this] { return tileMarkers(); });
    use.detail = [this] { return frameDetail(); };
    m_runner.add(use);
}

} // namespace tour
