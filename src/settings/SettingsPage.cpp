#include "settings/SettingsPage.h"

#include <QKeyEvent>

void SettingsPage::keyPressEvent(QKeyEvent* event)
{
    if (event->matches(QKeySequence::Cancel)) {
        event->ignore(); // the settings dialog handles it
        return;
    }
    QDialog::keyPressEvent(event);
}
