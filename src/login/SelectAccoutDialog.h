#pragma once
// The account choice of the sub-account login: one card per main account the scanning WeChat
// user may use, and the login button that signs in to the chosen one. The sub-account panel owns
// the dialog, fills it with cards and runs it; this dialog sends the sub-login itself (with a
// network manager of its own) and hands the completed record to the observer.

#include "core/LoginInfo.h"

#include <QDialog>
#include <QPoint>
#include <QWidget>

namespace Ui
{
class SelectAccoutDialog;
}
class QHBoxLayout;
class QNetworkReply;
class QPushButton;
class QScrollArea;
class UserWidget;

class SelectAccoutDialog : public QDialog
{
    Q_OBJECT
public:
    explicit SelectAccoutDialog(QWidget* parent = nullptr);
    ~SelectAccoutDialog() override;

    void setLoginObserver(LoginObserver* observer) { m_observer = observer; }

    void addUser(UserWidget* card);
    // Deletes every card and forgets the chosen record: a later showing offers only its own cards.
    void clearUsers();
    // The record of the chosen card; the login button signs in to it.
    void setLoginInfo(const LoginInfo& info);

    // The record the login button would send, and whether a card has been chosen.
    LoginInfo loginInfo() const { return m_loginInfo; }
    bool hasChosen() const { return m_chosen; }
    QList<UserWidget*> cards() const;
    QPushButton* loginButton() const;
    QPushButton* closeButton() const;
    QScrollArea* scrollArea() const;

    // The record a successful sub-login reply makes of the chosen card's record: false when the
    // reply carries no token (nothing can be done with such a login).
    static bool completeRecord(const LoginInfo& card, const QJsonObject& data, LoginInfo* out);

public slots:
    void on_close_btn_clicked();
    void on_login_btn_clicked();

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

private:
    void onLoginReply(QNetworkReply* reply, const LoginInfo& card);

    Ui::SelectAccoutDialog* ui = nullptr;
    QHBoxLayout* m_cardsLayout = nullptr;
    QWidget m_content;
    QPoint m_dragOrigin;
    LoginInfo m_loginInfo;
    bool m_chosen = false;
    LoginObserver* m_observer = nullptr;
};
