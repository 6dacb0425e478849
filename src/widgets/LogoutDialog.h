#pragma once
// The dark confirmation dialog (title, text, cancel and OK), 400 x 170 and frameless. Callers make
// it on the stack without a parent, set its texts and run it with exec. It moves when dragged by
// its top 60 pixels.

#include "widgets/TopBandDrag.h"

#include <QDialog>

namespace Ui
{
class LogoutDialog;
}

class LogoutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit LogoutDialog(QWidget* parent = nullptr);
    ~LogoutDialog() override;

    void setContent(const QString& title, const QString& text, const QString& okText, bool showCancel);
    // The text is "您确定要删除 %1 吗？" with the name elided at the right to 192 pixels.
    void setDeleteContent(const QString& title, const QString& name, const QString& okText, bool showCancel);
    // setContent with a wider OK button (80 x 32 at 297, 114) and cancel at 223, 114.
    void setWideContent(const QString& title, const QString& text, const QString& okText, bool showCancel);
    // false: OK only rejects the dialog.
    void setAcceptOnOk(bool acceptOnOk);

    static constexpr int kDragBandHeight = 60;
    static constexpr int kDeleteNameWidth = 192;

private slots:
    void on_ok_btn_clicked();
    void on_cancel_btn_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    Ui::LogoutDialog* ui;
    TopBandDrag m_drag{kDragBandHeight};
    bool m_acceptOnOk = true;
};
