#include "documents/DocumentShareWidget.h"

#include "core/DataCenter.h"

void DocumentShareWidget::loadSavedDocuments()
{
    m_keys = CDataCenter::getInstance()->getDocInfoList();
}
