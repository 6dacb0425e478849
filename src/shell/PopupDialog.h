#pragma once
// The small popup under the title bar's settings button: the host's avatar and name, then
// "更多设置" and "退出登录" (a "检查更新" row is built but not shown). It closes itself on a
// click outside it and says so with sigPopupDialogClose.

#include <QDialog>
#include <QLabel>

class QFontMetrics;
class QFrame;
class QHBoxLayout;
class QVBoxLayout;

class PopupDialog : public QDialog
{
    Q_OBJECT
public:
    PopupDialog(QWidget* parent, const QString& name);

    // Moves the popup under its parent button (centred, 26 px below it); without a parent it stays.
    void placeUnderParent();

    // The spacers on both sides of the avatar and name: (98 - nameWidth) / 2 - 10, at least 0.
    static int userRowSpacerWidth(int nameWidth);
    // The name as shown: elided at the right to 60 px, the ellipsis spelt "...".
    static QString shownName(const QString& name, const QFontMetrics& metrics);

    static constexpr int kNameElideWidth = 60;

signals:
    void more_settings_clicked();
    void check_update_clicked();
    void logout_clicked();
    void sigPopupDialogClose();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    static void setUpMenuLabels(QLabel& icon, const char* iconFile, QLabel& text, const char* textUtf8);
    // Icon and text between two fixed 15-px spacers.
    static QHBoxLayout* makeMenuRow(QLabel& icon, QLabel& text);

    QLabel m_avatarLabel;
    QLabel m_nameLabel;
    QLabel m_moreSettingsIcon;
    QLabel m_moreSettingsText;
    QLabel m_updateIcon;
    QLabel m_updateText;
    QLabel m_logoutIcon;
    QLabel m_logoutText;
    QFrame* m_popFrame = nullptr;
};
