#pragma once
// What the chat row's sender menu and the online-user row share about moderating a viewer: the
// entries read from the viewer's state, the confirmation text, and the mute/block/shield request
// with its one rule for judging the reply. Toasts go through the chat row's hooks.

#include <QJsonObject>
#include <QString>
#include <QStringList>
#include <QtGlobal>
#include <functional>

class QMenu;
class QObject;
class QWidget;

class ViewerModeration
{
public:
    // "%1禁言", "%1拉黑", "%1屏蔽" ("取消" when the viewer is in that state) and "打标签", from a
    // viewer-state reply's "data" object.
    static QStringList stateEntries(const QJsonObject& userInfo);
    // "shut_up", "forbid" or "shield" for a mute, block or shield entry (with or without "取消").
    static QString optWord(const QString& entry);
    // The confirmation's rich text; the name is escaped, so it shows as it is.
    static QString confirmText(const QString& entry, const QString& name);

    // Asks for a viewer's state; `onData` gets the reply's "data" while `context` lives. A failure
    // shows its message in a tip toast.
    static void requestState(qint64 roomId, const QString& spaceId, QObject* context,
                             std::function<void(const QJsonObject& data)> onData);
    // A menu of one centred plain-text label per entry (each action's text is the entry), owned
    // by `parent`, in the look of the chat menus.
    static QMenu* makeMenu(QWidget* parent, const QStringList& entries);
    // A viewer's name elided at the right to `width` in the default font, ending in "...".
    static QString elidedName(const QString& name, int width);

    // Sends the operation of `entry` (lifting it when the entry holds "取消") for one viewer and
    // shows the outcome in a toast. A JSON object with a failing "code" is a refusal (its "msg"
    // shown as a failure); any other reply counts as done. `done` runs only when it was done,
    // `failed` when it was not (refused, unreadable, or no answer).
    static void send(const QString& entry, qint64 roomId, const QString& spaceId, std::function<void()> done,
                     std::function<void()> failed = {});
};
