#pragma once
// A dark confirm dialog (title, text, "取 消", "确  定") that emits onEnter for "确  定" and deletes
// itself when it closes. Callers make one without a parent, connect onEnter and show it.

#include <QDialog>

namespace Ui
{
class ChatRecordOptDialog;
}

class ChatRecordOptDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ChatRecordOptDialog(QWidget* parent = nullptr);
    ~ChatRecordOptDialog() override;

    void setTitle(const QString& title);
    // Shown as rich text and wrapped: callers escape any text that is not theirs.
    void setContent(const QString& content);

signals:
    void onEnter();
    void cancelDialog();

private slots:
    void on_cancel_btn_clicked();
    void on_enter_btn_clicked();

private:
    Ui::ChatRecordOptDialog* ui;
};
