#pragma once
// The "分享直播" dialog: the QR code of the room's H5 watch page and the room's mini-program
// code. Each new room choice asks the service for both; they arrive in the background and wait
// in the hidden dialog until the host opens it.
//
// Each choice clears the pictures of the previous one, and replies that belong to an earlier
// choice are dropped, so a slow answer for an old room never shows over the current one.

#include "shell/LiveModeDialog.h"

#include <QDialog>
#include <QImage>
#include <QPoint>
#include <QString>
#include <QUrl>

class QNetworkAccessManager;
class QLabel;
class QPixmap;
class QNetworkReply;
class QNetworkRequest;

namespace Ui
{
class ShareLiveDialog;
}

// Rules of the share dialog that need no widgets.
namespace sharelive
{

constexpr int kPictureSize = 140;
constexpr const char kMiniProgramPath[] = "pages/video/pages/video_load/load";
constexpr const char kMiniProgramType[] = "mini_svkk";

// The body of the share request.
QByteArray shareRequestBody(qint64 roomId, int userId);
// The body of the H5 QR-code request; the watch address goes in whole (percent-encoded).
QByteArray qrCodeRequestBody(const QString& watchUrl);

// A share reply, read after its content type was accepted: ok only for the number 200.
struct ShareReply {
    bool parsed = false; // false: the body is not JSON
    bool ok = false;
    QString imgUrl;
    QString watchUrl;
};
ShareReply parseShareReply(const QByteArray& body);

// A picture reply decoded for a label (PictureDecoder: null when it is not an accepted picture or
// out of bounds), scaled to the code's size.
QPixmap sharePicture(const QByteArray& body);
QPixmap sharePicture(const QImage& image);

// Pictures are fetched only from http and https addresses.
bool isFetchableAddress(const QUrl& url);

} // namespace sharelive

class ShareLiveDialog : public QDialog
{
    Q_OBJECT
public:
    explicit ShareLiveDialog(QWidget* parent = nullptr);
    ~ShareLiveDialog() override;

    // Asks for the pictures of a room (0 for a custom push address). Does nothing for a
    // negative room id or a null token.
    void requestShare(qint64 roomId, const char* token, int userId);

    // Requests that transfer nothing for this long end as network errors.
    void setTransferTimeout(int ms) { m_transferTimeoutMs = ms; }
    // Replies larger than this end as network errors (livemode::kMaxReplyBytes by default).
    void setReplyLimit(qint64 bytes) { m_maxReplyBytes = bytes; }

public slots:
    void on_close_btn_clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    void onShareReply(QNetworkReply* reply);
    void onQrReply(QNetworkReply* reply);
    bool isCurrent(QNetworkReply* reply) const;
    void showPictureLater(const QByteArray& body, QLabel* label);
    QNetworkRequest makeRequest(const QUrl& url) const;

    Ui::ShareLiveDialog* ui;
    QNetworkAccessManager* m_shareManager = nullptr;
    QNetworkAccessManager* m_qrManager = nullptr;
    QPoint m_lastPos;
    int m_generation = 0; // counts the share requests; replies carry the count they belong to
    int m_transferTimeoutMs = 30000;
    qint64 m_maxReplyBytes = livemode::kMaxReplyBytes;
};
