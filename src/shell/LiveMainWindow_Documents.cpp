// Documents and whiteboards on the canvas. The page display is a stand-in until the document
// handling lands; the small handlers between the list and the panels are here already.
#include "shell/LiveMainWindow.h"

#include "documents/DocumentShareWidget.h"
#include "documents/WhiteBoardControl.h"

namespace
{
// "添加白板" adds whiteboards up to this count (the panel reports the count before adding).
constexpr int kMaxWhiteBoardsBeforeAdd = 10;
} // namespace

void LiveMainWindow::recvUsePicslot(QString, QString) {}

void LiveMainWindow::onDocumentTileDeleted(QString, QString) {}

void LiveMainWindow::recvDoucmentSharePicslot(QString strfilePath)
{
    m_standInCalls << QString("recvDoucmentSharePicslot(%1)").arg(strfilePath);
}

void LiveMainWindow::onDocumentTabClosed(QString strpath, QString strfileName)
{
    if (m_documentShareWidget)
        m_documentShareWidget->resetUseState(strpath, strfileName);
}

void LiveMainWindow::showDocumentList()
{
    if (!m_documentShareWidget)
        return;
    m_documentShareWidget->showFirstPage();
    m_documentShareWidget->show();
}

void LiveMainWindow::recvWhiteBoardShareslot(int)
{
    m_standInCalls << "recvWhiteBoardShareslot";
}

void LiveMainWindow::onAddWhiteBoard(int num)
{
    if (m_whiteBoardControl && num <= kMaxWhiteBoardsBeforeAdd)
        m_whiteBoardControl->addItem(num + 1);
}
