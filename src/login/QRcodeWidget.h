#pragma once
// The WeChat tab of the main-account panel: fetches a login QR code, shows it and polls the open
// API until the code has been scanned and confirmed.

#include "core/LoginInfo.h"

#include <QList>
#include <QPixmap>
#include <QPointer>
#include <QTimer>
#include <QWidget>

class QLabel;
class QNetworkAccessManager;
#include <QNetworkReply>
class QPushButton;

class QRcodeWidget : public QWidget
{
    Q_OBJECT
public:
    // The poll interval and the pause that keeps the success overlay on screen before the main
    // window starts; tests shorten them before building a widget.
    struct Timings {
        int pollMs = 9000;
        int successPauseMs = 3000;
    };
    static Timings& timings();

    explicit QRcodeWidget(QWidget* parent = nullptr);
    ~QRcodeWidget() override;

    void setLoginObserver(LoginObserver* observer) { m_observer = observer; }
    // After a successful login (in any tab): no more polls, replies still in flight are dropped.
    void stop();

    void pollLogin();

    // The cached code picture: the last code, 100 x 100, in the document root.
    static QString cachedPicturePath();

    QLabel* codeLabel() const { return m_codeLabel; }
    QString scene() const { return m_qrscene; }
    QWidget* overlay() const;
    QPushButton* refreshButton() const { return m_refreshBtn; }
    bool isFailed() const { return m_failed; }
    bool isPolling() const { return m_pollTimer.isActive(); }

private:
    enum class RequestKind { Code, Picture, Poll };

    void requestCode();
    void send(QNetworkReply* reply, RequestKind kind);
    void onReply(QNetworkReply* reply);
    void handleCodeReply(QNetworkReply* reply);
    void handlePictureReply(QNetworkReply* reply);
    void takeCodePicture(const QImage& image);
    void handlePollReply(QNetworkReply* reply);
    void confirmLogin(const LoginInfo& info);
    void showFailure();
    void abortPolls();
    void refresh();
    void showDimmedCode();
    void showCodePicture();
    void ensureOverlay();
    void setOverlay(bool success);

    LoginObserver* m_observer = nullptr;
    QTimer m_pollTimer;
    QString m_qrscene; // empty: no code to poll
    QNetworkAccessManager* m_manager = nullptr;
    QPixmap m_codePixmap;
    QLabel* m_codeLabel = nullptr;

    // One overlay over the code label, shown for success or failure.
    QLabel* m_overlay = nullptr;
    QLabel* m_overlayIcon = nullptr;
    QLabel* m_overlayText = nullptr;
    QPushButton* m_refreshBtn = nullptr;

    // Every code request starts a new generation; replies of an older one are stale.
    int m_generation = 0;
    // Polls not answered yet: with a slow service they queue up, and none of them means anything
    // once polling has stopped.
    QList<QPointer<QNetworkReply>> m_polls;
    bool m_failed = false;
    bool m_stopped = false;
};
