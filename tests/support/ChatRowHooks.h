#pragma once
// Replaces the chat row's hooks for one test: menus are not run but recorded and the entry named
// by `choice` is picked; confirmations are recorded and accepted unless told otherwise; toasts
// are recorded; tag dialogs are kept (not run) for the test to drive, and deleted at the end. Restores the default hooks when destroyed.

#include "chat/ChatItemWidget.h"
#include "chat/MarkUserTagDialog.h"

#include <QAction>
#include <QMenu>
#include <QPointer>

struct ChatRowHooks {
    struct Toast {
        QString text;
        bool success;
        bool tip;
    };

    QString choice;
    QStringList menuEntries;
    int menus = 0;
    std::function<void()> duringMenu;
    QString confirmTitle;
    QString confirmContent;
    bool acceptConfirm = true;
    QList<Toast> toasts;
    QList<QPointer<MarkUserTagDialog>> tagDialogs;

    ChatRowHooks()
    {
        ChatItemWidget::resetHooks();
        auto& h = ChatItemWidget::hooks();
        h.execMenu = [this](QMenu* menu, const QPoint&) {
            ++menus;
            menuEntries.clear();
            // The row (and its menu with the actions) may be deleted while the menu is open.
            QPointer<QAction> chosen;
            for (QAction* a : menu->actions()) {
                menuEntries << a->text();
                if (a->text() == choice)
                    chosen = a;
            }
            if (duringMenu)
                duringMenu();
            if (chosen)
                chosen->trigger();
        };
        h.showTip = [this](const QString& t, int) { toasts.append({t, true, true}); };
        h.showStatus = [this](const QString& t, bool ok, int) { toasts.append({t, ok, false}); };
        h.runTagDialog = [this](MarkUserTagDialog* dialog) { tagDialogs.append(dialog); };
        h.confirm = [this](const QString& title, const QString& content, std::function<void()> onEnter) {
            confirmTitle = title;
            confirmContent = content;
            if (acceptConfirm)
                onEnter();
        };
    }
    ~ChatRowHooks()
    {
        ChatItemWidget::resetHooks();
        for (const auto& dialog : tagDialogs)
            delete dialog.data();
    }
    ChatRowHooks(const ChatRowHooks&) = delete;
    ChatRowHooks& operator=(const ChatRowHooks&) = delete;
};
