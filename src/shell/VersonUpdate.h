#pragma once
// The update dialog: tells the new version and its notes, downloads the package on request
// into "download" under the document root, and reports the finished download with
// sendUpdateSig. Every way out of it (close, cancel, finished) rejects it; closing it while a
// download runs stops that download.

#include <QDialog>
#include <QPoint>
#include <QPointer>
#include <QString>

class DownloadTool;
class QFrame;
class QLabel;
class QPushButton;
class QSlider;

namespace Ui {
class UpdateVersonDialog;
}

class VersonUpdate : public QDialog
{
    Q_OBJECT
public:
    explicit VersonUpdate(QWidget* parent = nullptr);
    ~VersonUpdate() override;

    QString downloadUrl; // the package address, set before the dialog is shown

    void setVersion(QString version);
    void setDescription(QString text);
    void setForceUpdate(bool force);

    // Object names of the panels made at run time (for tests and style sheets).
    static constexpr const char* kProgressPanel = "progressPanel";
    static constexpr const char* kProgressBar = "progressBar";
    static constexpr const char* kProgressLabel = "progressLabel";
    static constexpr const char* kFailurePanel = "failurePanel";
    static constexpr const char* kFailureMessage = "failureMessage";
    static constexpr const char* kRetryButton = "retryButton";
    static constexpr const char* kFailureCloseButton = "failureCloseButton";

    void done(int result) override;

signals:
    void sendUpdateSig();

public slots:
    void on_btn_Update_clicked();
    void on_btn_close_clicked();
    void on_btn_cancle_clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void showProgressPanel();
    void showFailurePanel(const QString& message);
    void onProgress(qlonglong bytesRead, qlonglong totalBytes, double progress);
    void onFinished();
    void dropDownload();

    Ui::UpdateVersonDialog* ui;
    QPoint m_lastPos;

    QPointer<QFrame> m_progressFrame;
    QPointer<QSlider> m_progressBar;
    QPointer<QLabel> m_progressLabel;

    QPointer<QFrame> m_failFrame;
    QPointer<QSlider> m_failBar;
    QPointer<QLabel> m_failMessage;
    QPointer<QPushButton> m_retryButton;
    QPointer<QPushButton> m_failCloseButton;

    QPointer<DownloadTool> m_tool;
};
