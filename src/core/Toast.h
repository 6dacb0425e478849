#pragma once
// The single transient message of the main window: a white panel with a 16 x 16 icon and one line
// of text near the top of its parent, faded in and out, gone by itself after its duration.

#include <QDialog>
#include <QPointer>

class QLabel;

namespace Ui
{
class Toast;
}

class Toast : public QDialog
{
    Q_OBJECT
public:
    enum Kind { Default = 0, Success = 1, Failure = 2 };

    // The first call creates the toast with `parent` (the main window's central widget); later
    // calls ignore the argument.
    static Toast* getInstance(QWidget* parent = nullptr);
    // Forgets the toast without destroying it (it dies with its parent).
    static void resetInstance();

    // Shows `text` with the icon of `kind` for `durationMs` plus the 500 ms fade-out.
    void showToast(const QString& text, int kind, int durationMs);
    void showTip(const QString& text, int durationMs);
    void showStatus(const QString& text, bool success, int durationMs);

    // ":/images/live/ic_toast_*.png" for a kind (any unknown kind gets the default icon).
    static QString iconPath(int kind);

    QLabel* iconLabel() const { return m_iconLabel; }
    QLabel* textLabel() const { return m_textLabel; }

    static constexpr int kFadeMs = 500;
    static constexpr int kTopOffset = 12;

    ~Toast() override;

private:
    explicit Toast(QWidget* parent);

    Ui::Toast* ui;
    QLabel* m_iconLabel;
    QLabel* m_textLabel;

    // A QPointer, so a toast destroyed with its parent before resetInstance is not reached again.
    static QPointer<Toast> s_instance;
};
