#pragma once
// The account page (its tab is hidden): the host's name and avatar, a picture chooser that only
// changes what the page displays, and the logout button. The chooser runs through a replaceable
// function so tests pick a file without a person.

#include "core/PictureLimits.h"
#include "settings/SettingsPage.h"

#include <functional>

namespace Ui
{
class AccountSettingDialog;
}

class AccountSettingDialog : public SettingsPage
{
    Q_OBJECT
public:
    // (parent, title, folder, filter) -> the chosen file, empty when cancelled.
    using FileChooser = std::function<QString(QWidget*, const QString&, const QString&, const QString&)>;
    // Pictures above this many bytes are refused (a little over 2 MiB, as the hint has always allowed).
    static constexpr qint64 kMaxPictureBytes = PictureLimits::kMaxChosenBytes;

    explicit AccountSettingDialog(QWidget* parent = nullptr);
    ~AccountSettingDialog() override;

    // Replaces the file dialog (an empty function restores it).
    static void setFileChooser(FileChooser chooser);

signals:
    void sendLoginOut();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void chooseAvatar();
    void showAvatar(const QImage& image);

    Ui::AccountSettingDialog* ui;
    // Avatars are read off the window's thread; one read before the latest is dropped.
    quint64 m_avatarRequest = 0;
    static FileChooser s_chooseFile;
};
