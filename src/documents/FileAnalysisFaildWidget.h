#pragma once
// The popup after a failed conversion (400 x 362, frameless, modal, rounded like the list): what
// the host can check before trying again. It moves when dragged anywhere and deletes itself when
// closed.

#include "documents/DraggableRoundedWidget.h"

#include <QWidget>

namespace Ui
{
class FileAnalysisFaildWidget;
}

class FileAnalysisFaildWidget : public DraggableRoundedWidget
{
    Q_OBJECT
public:
    explicit FileAnalysisFaildWidget(QWidget* parent = nullptr);
    ~FileAnalysisFaildWidget() override;

public slots:
    void on_pushButton_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    Ui::FileAnalysisFaildWidget* ui;
};
