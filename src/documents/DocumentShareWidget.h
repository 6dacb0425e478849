#pragma once
// Minimal document list window (replaced by the full list with its tiles).
#include <QStringList>
#include <QWidget>

class DocumentShareWidget : public QWidget
{
    Q_OBJECT
public:
    explicit DocumentShareWidget(QWidget* parent = nullptr) : QWidget(parent) {}
    // Rebuilds the list from the current user's saved document keys.
    void loadSavedDocuments();
    QStringList savedDocumentKeys() const { return m_keys; }
    // Empties the tile list without saving it again (the logout, before the restart).
    void clearTiles() { m_keys.clear(); }
    // Lays out the first page of tiles; the caller then shows the window.
    void showFirstPage() { ++m_firstPageShown; }
    int firstPageShownCount() const { return m_firstPageShown; }
    // Tiles of that folder and name go back from in use to converted.
    void resetUseState(QString pageFolder, QString name) { m_resetTiles << pageFolder + "|" + name; }
    QStringList resetTiles() const { return m_resetTiles; }

signals:
    void sendUseSig(QString strfilePath, QString strfileName);
    void sendDelClearSig(QString strfilePath, QString strfileName);

private:
    QStringList m_keys;
    QStringList m_resetTiles;
    int m_firstPageShown = 0;
};
