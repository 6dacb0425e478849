#pragma once
// The login window: the main-account panel (WeChat QR code and phone tabs) and the sub-account
// panel in the same place. The first successful login is copied into the dialog's own record,
// handed to the web client and announced with sigAccounLoginSuccess.

#include "core/LoginInfo.h"

#include <QDialog>
#include <QPoint>

namespace Ui
{
class LoginDialog;
}
class PriAccoutWidget;
class QLabel;
class QVBoxLayout;
class SubAccoutWidget;

class LoginDialog : public QDialog, public LoginObserver
{
    Q_OBJECT
public:
    explicit LoginDialog(QWidget* parent = nullptr);
    ~LoginDialog() override;

    // The dialog's own record; it lives as long as the dialog, which outlives the main window.
    LoginInfo* loginInfo() { return &m_loginInfo; }
    void onLoginStatusNotify(void* loginInfo, int code) override;

    PriAccoutWidget* priWidget() const { return m_priWidget; }
    SubAccoutWidget* subWidget() const { return m_subWidget; }
    QWidget* priContainer() const { return m_priContainer; }
    QWidget* subContainer() const { return m_subContainer; }
    QLabel* loadingCover() const { return m_loadingCover; }
    int currentPanel() const { return m_currentPanel; }

signals:
    void sigAccounLoginSuccess();

public slots:
    void on_close_btn_clicked();
    void on_minimize_btn_clicked();
    void mainAccoutClicked();
    void subAccoutClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void initShadowFrame();
    void initPriWidget();
    void initSubWidget();
    QWidget* makePanelContainer(QWidget* panel, const QString& name, const QSize& size);

    Ui::LoginDialog* ui = nullptr;
    QVBoxLayout* m_mainLayout = nullptr;
    PriAccoutWidget* m_priWidget = nullptr;
    SubAccoutWidget* m_subWidget = nullptr;
    QPoint m_dragOrigin;
    LoginInfo m_loginInfo;
    QWidget* m_priContainer = nullptr;
    QWidget* m_subContainer = nullptr;
    QLabel* m_loadingCover = nullptr;
    int m_currentPanel = 0;
    // Only the first success counts: a reply still in flight in another panel must not start the
    // main window a second time.
    bool m_loginDone = false;
};
