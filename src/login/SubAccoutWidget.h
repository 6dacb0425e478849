#pragma once
// The sub-account panel of the login dialog. It shows a WeChat code for the sub-account login,
// asks the open API once a second (after each failed ask) which main accounts the WeChat user who
// scanned it may use, and, once told, runs the account choice (SelectAccoutDialog) with one card
// per account. The choice signs in and tells the observer; declining it starts over with a new
// code. Requests go through NetUtils; pictures are fetched without blocking.

#include "core/LoginInfo.h"
#include "login/SelectAccoutDialog.h"

#include <QJsonObject>
#include <QList>
#include <QTimer>
#include <QWidget>

#include <functional>

class QLabel;
class QMovie;
class UserWidget;

class SubAccoutWidget : public QWidget
{
    Q_OBJECT
public:
    // The pause before a failed ask for the account list is repeated; tests shorten it before
    // building a panel.
    struct Timings {
        int pollRetryMs = 1000;
    };
    static Timings& timings();

    // Runs the account choice and returns its result (QDialog::exec unless replaced; an empty
    // function restores it). Tests drive the dialog through it.
    using DialogRunner = std::function<int(QDialog&)>;
    static void setAccountDialogRunner(DialogRunner runner);

    // The longest lifetime a code may announce; a code is replaced once its lifetime is over.
    static constexpr int kMaxExpireSeconds = 24 * 3600;

    // The code's reply, read leniently: the picture's address, the scene, and the lifetime in
    // seconds (0 when missing or not positive, at most kMaxExpireSeconds).
    struct CodeReply {
        QString picture;
        QString scene;
        int expireSeconds = 0;
    };
    static CodeReply readCodeReply(const QJsonObject& reply);
    // The main accounts a scan offers ("users"), each as the record its card signs in to: the
    // scanning user's openid and unionid, `scene`, and the account's uid, space id, name, photo.
    static QList<LoginInfo> readAccounts(const QJsonObject& reply, const QString& scene);

    explicit SubAccoutWidget(QWidget* parent = nullptr);

    void setLoginObserver(LoginObserver* observer);
    // After a successful login (in any panel): no more codes or asks; an open account choice
    // closes.
    void stop();

    void requestQrcode();
    void pollMasterUser();

    QLabel* mainLink() const { return m_mainLabel; }
    QLabel* codeLabel() const { return m_codeLabel; }
    QString scene() const { return m_qrscene; }
    SelectAccoutDialog* accountDialog() { return &m_dialog; }
    QList<UserWidget*> cards() const { return m_cards; }
    bool isStopped() const { return m_stopped; }
    // Milliseconds until the current code is replaced; -1 when no replacement is due.
    int refreshRemainingMs() const { return m_refreshTimer.isActive() ? m_refreshTimer.remainingTime() : -1; }

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void onQrcode(const QJsonObject& reply);
    void onMasterUsers(const QJsonObject& reply);
    void showCode(const QPixmap& picture);
    void selectCard(QObject* pressed);

    LoginObserver* m_observer = nullptr;
    QString m_qrscene; // empty while no code is known
    SelectAccoutDialog m_dialog;
    QList<UserWidget*> m_cards; // of the last account list; the dialog owns the widgets
    QMovie* m_movie = nullptr;
    bool m_stopped = false;

    // One refresh timer, restarted for each code: a declined choice's new code is not replaced
    // early by the timer of an older one.
    QTimer m_refreshTimer;
    // Each code request counts; a reply or picture of an older one is not shown.
    int m_codeGeneration = 0;
    QLabel* m_codeLabel = nullptr;
    QLabel* m_mainLabel = nullptr;
    QLabel* m_serviceLabel = nullptr;
};
