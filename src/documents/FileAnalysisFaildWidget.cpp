#include "documents/FileAnalysisFaildWidget.h"
#include "ui_FileAnalysisFaildWidget.h"

FileAnalysisFaildWidget::FileAnalysisFaildWidget(QWidget* parent)
    : DraggableRoundedWidget(parent), ui(new Ui::FileAnalysisFaildWidget)
{
    ui->setupUi(this);
    setWindowModality(Qt::ApplicationModal);
    setAttribute(Qt::WA_DeleteOnClose);
    setFixedSize(400, 362);
    ui->closeLabel->installEventFilter(this);
}

FileAnalysisFaildWidget::~FileAnalysisFaildWidget()
{
    delete ui;
}

void FileAnalysisFaildWidget::on_pushButton_clicked()
{
    close();
}

bool FileAnalysisFaildWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == ui->closeLabel && event->type() == QEvent::MouseButtonPress) {
        close();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
