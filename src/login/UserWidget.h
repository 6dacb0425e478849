#pragma once
// One account card of the sub-account login's account choice: "管理员账号", the account's round
// avatar and its name. The card only shows; the sub-account panel watches its presses and
// decides which card is selected.

#include "core/LoginInfo.h"

#include <QWidget>

class QLabel;

class UserWidget : public QWidget
{
    Q_OBJECT
public:
    static constexpr int kNameWidth = 144; // px the name may take before it is shortened
    static constexpr int kAvatarSide = 66;

    UserWidget(QWidget* parent, const QString& photo, const QString& name);

    void setLoginInfo(const LoginInfo& info) { m_loginInfo = info; }
    LoginInfo loginInfo() const { return m_loginInfo; }

    // The selected look, or the not-selected look of a selection change.
    void setSelected(bool selected);
    bool isSelected() const { return m_selected; }

    QLabel* nameLabel() const { return m_nameLabel; }
    QLabel* photoLabel() const { return m_photoLabel; }

    // The name as shown within `width` px of `metrics`: whole when it fits, else its elided
    // beginning followed by "...".
    static QString shownName(const QString& name, const QFontMetrics& metrics, int width = kNameWidth);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void showAvatar(const QPixmap& picture);

    bool m_selected = false;
    LoginInfo m_loginInfo;
    QLabel* m_photoLabel = nullptr;
    QLabel* m_nameLabel = nullptr;
};
