#pragma once
// What a side-panel list shows when it has nothing to show: the empty-list picture above
// "暂无数据", centred near the top.

#include <QWidget>

class EmptyListPlaceholder : public QWidget
{
    Q_OBJECT
public:
    explicit EmptyListPlaceholder(QWidget* parent = nullptr);
};
