#pragma once
// The close prompt: exit the program or minimise it to the taskbar, with "不再提示" so the host
// is not asked again. The radio buttons and the check box write their options to the settings
// store as soon as they change, whether the prompt then ends with OK or not.

#include "widgets/TopBandDrag.h"

#include <QDialog>

namespace Ui
{
class CloseDialog;
}

class CloseDialog : public QDialog
{
    Q_OBJECT
public:
    enum Choice { ChoiceExit = 0, ChoiceMinimize = 1 };

    explicit CloseDialog(QWidget* parent = nullptr);
    ~CloseDialog() override;

    // Takes the choice from the store's exitCheck and, when the store says not to ask, sets the
    // don't-ask flag (never clears it).
    void loadSettings();

    int choice() const { return m_choice; }
    bool dontAsk() const { return m_dontAsk; }

    static constexpr int kDragBandHeight = 60;

public slots:
    void on_cancel_btn_clicked();
    void on_exitbtn_clicked();
    void on_ok_btn_clicked();
    void on_quit_btn_clicked();
    void on_mimimize_btn_clicked();
    void onCheckBoxStateChanged(int state);

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void onQuitToggled(bool checked);
    void onMinimizeToggled(bool checked);
    void storeExitCheck(bool exit);

    Ui::CloseDialog* ui;
    int m_choice = ChoiceExit;
    bool m_dontAsk = false;
    TopBandDrag m_drag{kDragBandHeight};
};
