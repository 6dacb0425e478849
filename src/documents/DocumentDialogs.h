#pragma once
// The blocking dialogs of the document list go through these two replaceable functions, so tests
// choose files and answer confirmations without a person at the screen.

#include <QDialog>
#include <QFileDialog>
#include <QString>

#include <functional>

struct DocumentDialogs {
    using FileChooser =
        std::function<QString(QWidget* parent, const QString& caption, const QString& filter)>;
    using ModalRunner = std::function<int(QDialog&)>;

    // Qt's own dialog (read-only, no start folder); an empty text when nothing was chosen.
    inline static FileChooser chooseFile = [](QWidget* parent, const QString& caption,
                                              const QString& filter) {
        return QFileDialog::getOpenFileName(parent, caption, QString(), filter, nullptr,
                                            QFileDialog::ReadOnly);
    };
    inline static ModalRunner runModal = [](QDialog& dialog) { return dialog.exec(); };
};
