#pragma once
// The settings window: a frameless dialog with a column of tabs on the left and the page of the
// pressed tab on the right. The main window makes it once, without parent, on the first
// "更多设置" and keeps it; it relays three page signals to the main window and says when it is
// closed (the video page may have put the camera on the canvas for its preview).
//
// Every press on a tab deletes the page on show and builds the pressed tab's page anew, so a
// page always shows the settings store as it is now. The old page goes before the new one is
// built: the video page's preview display belongs to one page at a time. The beauty, co-host and
// account tabs are hidden; the co-host page is held but never shown.

#include "settings/ConnMicSettingDialog.h"

#include <QDialog>
#include <QPoint>
#include <QPointer>

class QLabel;
class QVBoxLayout;

namespace Ui
{
class SettingsDialog;
}

class SettingsDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SettingsDialog(QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // The page on show (null when a tab without a page was pressed).
    QWidget* currentPage() const { return m_page; }

    // Escape and a close by the window system act as the close button.
    void reject() override;

signals:
    // The account page's logout, after the dialog has hidden itself.
    void sendLoginOutSig();
    // The dialog was closed.
    void sendShowCameraSig();
    // The audio page's microphone switch.
    void sendChangeInputAudioStatus(bool b);
    // A page refused a change because a broadcast runs.
    void sendLiveInfoSig();

public slots:
    void on_close_btn_clicked();
    void on_minimize_btn_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void clearPages();
    void showPageOf(QLabel* tab);
    void addVideoPage();
    void selectTab(QLabel* tab);
    void handleAccountLogout();
    QList<QLabel*> tabs() const;

    Ui::SettingsDialog* ui;
    QPoint m_lastPos;
    QVBoxLayout* m_pageLayout = nullptr;
    QPointer<QWidget> m_page;
    ConnMicSettingDialog m_connMicPage;
};
