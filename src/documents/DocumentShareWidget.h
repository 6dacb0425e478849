#pragma once
// The document list "共享文档": the host uploads documents and pictures, watches their conversion,
// applies one to the canvas and deletes them. Made once after login without a parent, it lives
// for the run; its close button saves the list and only hides it.
//
// Tiles (DocumentCreateWidget) are kept oldest first and shown newest first, eight a page in two
// rows of four, filtered by kind ("全部", "文档", "图片") and by a name search. A deleted tile
// leaves the list but stays alive, hidden: the settings store keeps pointers to the tiles it was
// given (CDataCenter::documentWidgets). Identifiers come from one counter for restored and
// uploaded tiles and are never reused, so a delete always removes the tile that asked.
//
// The converted documents are saved per user in the settings file as their cache keys (see
// DocumentCacheEntry) and restored once after login; an entry whose pages are gone is skipped.
// The file dialog and the message boxes go through DocumentDialogs.

#include "documents/DraggableRoundedWidget.h"

#include <QList>
#include <QString>
#include <QTimer>
#include <QWidget>

class DocumentCreateWidget;
class PopTipDlg;
class QButtonGroup;
class QGridLayout;
class QLabel;

namespace Ui
{
class DocumentShareWidget;
}

class DocumentShareWidget : public DraggableRoundedWidget
{
    Q_OBJECT
public:
    // Filters; refreshFilter takes them or kSearch.
    enum { kFilterAll = 0, kFilterDocuments = 1, kFilterPictures = 2, kSearch = 3 };
    static constexpr int kPrevButtonId = 0;
    static constexpr int kNextButtonId = 8;
    static constexpr int kHintMs = 3000;
    static QString fileFilter(); // "all(*.pdf *.docx *.doc *.ppt *.pptx *.png *.jpg)"

    explicit DocumentShareWidget(QWidget* parent = nullptr);
    ~DocumentShareWidget() override;

    // Makes a converted tile for every saved key of the current user whose pages are on disk.
    void loadSavedDocuments();
    // Page 1 of all tiles, whatever the filter; the caller then shows the window.
    void showFirstPage();
    // Tiles of that page folder and name go back to converted (their tab in the panel closed).
    void resetUseState(QString pageFolder, QString name);
    // Empties the tile list without saving it (the logout, before the restart).
    void clearTiles();

    void refreshFilter(int type);
    void showPage(int page);
    void rebuildPageButtons(int tiles);

    QList<DocumentCreateWidget*> tiles() const { return m_tiles; }
    int fileCount() const { return m_fileCount; }
    int filter() const { return m_filter; }
    QString currentPage() const { return m_currentPage; }
    QString lastPage() const { return m_lastPage; }
    PopTipDlg* hint() const { return m_hint; }

signals:
    void sendUseSig(QString strfilePath, QString strfileName);
    void sendDelClearSig(QString strfilePath, QString strfileName);

public slots:
    void on_loadFile_btn_clicked();
    void on_close_btn_clicked();
    void on_RecvDelslot(int nIndex);
    void on_RecvUseslot(QString strfilePath, QString strfileName);
    void on_RecvFileFaildslot(QString strerror);
    void onBtnFunc(int id);
    void onBtnPress(int id);
    void on_RecvReLoadslot() {}

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    DocumentCreateWidget* makeTile(const QString& path, int kind);
    void showMessage(const QString& title, const QString& text);
    void showHint(const QString& text);
    void chooseFilter(int filter);
    // Tiles that pass the filter and, when there is one, the search text.
    QList<DocumentCreateWidget*> filteredTiles(bool withSearch) const;
    // Page `page` of `tiles` (oldest first) into the tile area; the placeholder when there are none.
    void layOut(const QList<DocumentCreateWidget*>& tiles, int page);
    void updateCountLabel();
    void colourPageButtons();

    Ui::DocumentShareWidget* ui;
    QList<DocumentCreateWidget*> m_tiles;
    int m_fileCount = 0;
    int m_filter = kFilterAll;
    int m_nextId = 0;
    QString m_currentPage = QStringLiteral("1");
    QString m_lastPage = QStringLiteral("1");
    QButtonGroup* m_pageButtons;
    QGridLayout* m_grid;
    QWidget* m_placeholder;
    PopTipDlg* m_hint;
    QTimer m_hintTimer;
};
