#pragma once
// The common part of the phone and password fields of the phone login: a line edit on a rounded
// frame with a clear icon at its right end.

#include <QWidget>

class QFrame;
class QHBoxLayout;
class QLabel;
class QLineEdit;

class LoginInputField : public QWidget
{
    Q_OBJECT
public:
    QString text() const;
    // Sets the text from code: neither the clear icon nor the colour changes, nothing is emitted.
    void setText(const QString& text);
    QLineEdit* lineEdit() const { return m_edit; }
    QLabel* clearIcon() const { return m_clearIcon; }

signals:
    void textChanged(QString newText);

public slots:
    void handleTextChanged(QString newText);

protected:
    // frameName names the frame in the style sheet; spacing is the gap between the row's items.
    LoginInputField(const QString& frameName, const QString& placeholder, int spacing, QWidget* parent);
    bool eventFilter(QObject* watched, QEvent* event) override;

    QLineEdit* m_edit = nullptr;
    QLabel* m_clearIcon = nullptr;
    QHBoxLayout* m_row = nullptr;
};
