#pragma once
// The phone tab of the main-account panel: mobile number and password, the remembered login, and
// the login request with its own network manager.

#include "core/LoginInfo.h"

#include <QSettings>
#include <QWidget>

class PhoneNumEdit;
class PassWordEdit;
class QCheckBox;
class QHBoxLayout;
class QLabel;
class QNetworkAccessManager;
class QNetworkReply;
class QPushButton;
class QSpacerItem;
class QVBoxLayout;

class PhoneNumWidget : public QWidget
{
    Q_OBJECT
public:
    explicit PhoneNumWidget(QWidget* parent = nullptr);

    void setLoginObserver(LoginObserver* observer) { m_observer = observer; }
    // After a successful login (in any tab) the button does nothing any more.
    void stop();

    PhoneNumEdit* phoneEdit() const { return m_phoneEdit; }
    PassWordEdit* passwordEdit() const { return m_passwordEdit; }
    QCheckBox* rememberBox() const { return m_rememberBox; }
    QPushButton* loginButton() const { return m_loginBtn; }
    QLabel* errorHint() const { return m_hintErrLabel; }
    QLabel* forgetLabel() const { return m_forgetLabel; }

public slots:
    void on_loginBtn_clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void updateLoginButton();
    void onLoginReply(QNetworkReply* reply, const QString& mobile, const QString& password);
    void showErrorHint();

    QVBoxLayout* m_layout = nullptr;
    QHBoxLayout* m_checkRow = nullptr;
    PhoneNumEdit* m_phoneEdit = nullptr;
    PassWordEdit* m_passwordEdit = nullptr;
    QCheckBox* m_rememberBox = nullptr;
    QSettings m_settings;
    QLabel* m_forgetLabel = nullptr;
    QLabel* m_hintErrLabel = nullptr;
    QSpacerItem* m_phoneSpacer = nullptr;
    QSpacerItem* m_buttonSpacer = nullptr;
    LoginObserver* m_observer = nullptr;
    QPushButton* m_loginBtn = nullptr;
};
