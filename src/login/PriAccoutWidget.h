#pragma once
// The main-account panel of the login dialog: the WeChat QR tab and the phone tab, and the links
// for registration, the sub-account panel and the service terms.

#include "core/LoginInfo.h"

#include <QWidget>

namespace Ui
{
class PriAccoutWidget;
}
class PhoneNumWidget;
class QRcodeWidget;
class QVBoxLayout;

class PriAccoutWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PriAccoutWidget(QWidget* parent = nullptr);
    ~PriAccoutWidget() override;

    void setLoginObserver(LoginObserver* observer);
    void stop();

    PhoneNumWidget* phoneTab() const { return m_phoneWidget; }
    QRcodeWidget* qrTab() const { return m_qrWidget; }

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void showQrTab();
    void showPhoneTab();

    QVBoxLayout* m_layout = nullptr;
    PhoneNumWidget* m_phoneWidget = nullptr;
    QRcodeWidget* m_qrWidget = nullptr;
    Ui::PriAccoutWidget* ui = nullptr;
    LoginObserver* m_observer = nullptr;
};
