#pragma once
// A 300 x 40 white hint popup with an icon and one line of text; the owner shows and hides it.

#include <QDialog>

class QLabel;

class PopTipDlg : public QDialog
{
public:
    explicit PopTipDlg(QWidget* parent = nullptr);

    // Replaces the message; the popup keeps its size and does not show or hide itself.
    void setText(const QString& text);

    QLabel* iconLabel() const { return m_iconLabel; }
    QLabel* textLabel() const { return m_textLabel; }

private:
    QLabel* m_iconLabel;
    QLabel* m_textLabel;
};
