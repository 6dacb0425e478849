#pragma once
// Minimal share picker (replaced by the full picker).
#include <QDialog>
#include <QString>

class DesktopShareDialog : public QDialog
{
    Q_OBJECT
public:
    explicit DesktopShareDialog(QWidget* parent = nullptr) : QDialog(parent) {}
    bool isSharing() const { return m_sharing; }
    void setSharing(bool sharing) { m_sharing = sharing; }
    // Keeps the picker's pictures fresh once it has been shown.
    void startRefreshTimer() { ++m_refreshStarts; }
    int refreshStartCount() const { return m_refreshStarts; }

signals:
    void desktop_share_click(int type, QString name);
    void desktop_cancel_click();

private:
    bool m_sharing = false;
    int m_refreshStarts = 0;
};
