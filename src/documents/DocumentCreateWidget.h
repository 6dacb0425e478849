#pragma once
// One tile of the document list (180 x 136): the face of one uploaded or restored file and the
// conversion worker that turns an upload into page pictures.
//
// States: -1 new (converting), 0 converting again after a retry, 1 failed, 2 converted, 3 in use.
// While the mouse is over the tile an overlay offers, by state, "应用" (2), "重新上传" (1) and
// "删除" (always). The tile reports a delete (`sendDelSig` with its identifier), a use
// (`sendUseSig` with page folder and name) and a conversion failure (`sendFileFaild`); the list
// does the rest. Confirmations go through DocumentDialogs.
//
// A tile lives for the whole run: the list hides a deleted one, and the settings store keeps
// pointers to tiles (CDataCenter::documentWidgets).

#include <QLabel>
#include <QString>
#include <QWidget>

class analysisPdfThread;
class QFrame;
class QHBoxLayout;
class QProgressBar;

// A label whose own painting does nothing: the hover overlay that carries the tile's buttons.
class TransparentLabel : public QLabel
{
    Q_OBJECT
public:
    explicit TransparentLabel(QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent*) override {}
};

class DocumentCreateWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kWidth = 180;
    static constexpr int kHeight = 136;

    enum State { StateNew = -1, StateRetrying = 0, StateFailed = 1, StateDone = 2, StateInUse = 3 };

    // `path`: the uploaded file's path (a restored tile gets its page folder by setRestoredInfo).
    DocumentCreateWidget(QString path, int kind, int identifier, QWidget* parent = nullptr);
    ~DocumentCreateWidget() override;

    // Makes the worker (once), takes the source's name and size from it and starts it.
    void startConvert();
    // A tile of a saved document: page folder, name, size, state and kind; shows the thumbnail.
    void setRestoredInfo(const QString& pageDir, const QString& name, qint64 size, int state, int kind);
    void setState(int state);
    // Shows "pic0.png" (or any picture) scaled into the tile; state 2.
    void showThumbnail(const QString& imagePath, bool rebuildButtons);
    // The overlay's buttons for the current state.
    void updateButtons();

    QString getSaveFilePath() const { return m_key; } // the cache key; empty until converted
    void setSaveFilePath(const QString& key) { m_key = key; }
    QString pageDir() const { return m_pageDir; }
    QString fileName() const { return m_name; }
    qint64 fileSize() const { return m_size; }
    int kind() const { return m_kind; }
    int identifier() const { return m_id; }
    int state() const { return m_state; }
    analysisPdfThread* worker() const { return m_worker; }

signals:
    void sendDelSig(int nIndex);
    void sendUseSig(QString strfilePath, QString strfileName);
    void sendFileFaild(QString strerror);
    void sendReLoadSig();

public slots:
    void recv_percentslot(float value);
    void slider_value_change(int) {}

protected:
    void enterEvent(QEvent* event) override;
    void leaveEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void onConvertFailed(const QString& text);
    void onDeleteClicked();
    void onRetryClicked();
    void onUseClicked();
    void onWorkerFinished();
    void showConverting(bool converting);
    void fillNameAndSize();
    void removeCachedFolders();

    QString m_sourcePath;
    QString m_pageDir;
    QString m_key;
    int m_kind;
    int m_id;
    QString m_name;
    qint64 m_size = 0;
    analysisPdfThread* m_worker = nullptr;
    int m_state = StateNew;
    bool m_restartWhenIdle = false;
    QString m_userDocDir;

    QFrame* m_frame;
    QLabel* m_kindIcon;
    QProgressBar* m_progress;
    QLabel* m_progressText;
    QLabel* m_failIcon;
    QLabel* m_failText;
    QLabel* m_thumbnail;
    QFrame* m_bottom;
    QLabel* m_nameLabel;
    QLabel* m_sizeLabel;
    TransparentLabel* m_overlay;
    QFrame* m_overlayFrame;
    QHBoxLayout* m_overlayLayout;
};
