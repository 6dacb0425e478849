#pragma once
// Minimal document panel (replaced by the full panel with its tabs and page thumbnails). It keeps
// the open documents as a list of (page folder, name) and answers the main window's questions.
#include <QPair>
#include <QString>
#include <QVector>
#include <QWidget>

class DocumentControl : public QWidget
{
    Q_OBJECT
public:
    explicit DocumentControl(QWidget* parent = nullptr) : QWidget(parent) {}

    // A new tab for the document.
    void addDocument(QString pageFolder, QString name) { m_tabs.append({pageFolder, name}); }
    // Closes the tab of that folder and name; the last one gone empties the panel.
    void removeDocument(QString pageFolder, QString name)
    {
        if (!m_tabs.removeOne({pageFolder, name}))
            return;
        if (m_tabs.isEmpty())
            emit sendDelDocumentClear();
        else
            emit sendDocumentSharePicSig(m_tabs.first().first + "/pic0.png");
    }
    int tabCount() const { return m_tabs.size(); }

signals:
    void sendResetStatusSig(QString strpath, QString strfileName);
    void sigGetCameraPos();
    void sendDocumentSharePicSig(QString strpath);
    void sendAddDoc();
    void sendDelDocumentClear();

private:
    QVector<QPair<QString, QString>> m_tabs;
};
