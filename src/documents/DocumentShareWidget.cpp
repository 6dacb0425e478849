#include "documents/DocumentShareWidget.h"

#include "core/CDataCenter.h"

void DocumentShareWidget::loadSavedDocuments()
{
    m_keys = CDataCenter::getInstance()->getDocInfoList();
}
