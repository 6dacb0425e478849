#pragma once
// The password field of the phone login: hidden text, an eye icon that shows it, a clear icon.

#include "login/LoginInputField.h"

class PassWordEdit : public LoginInputField
{
    Q_OBJECT
public:
    explicit PassWordEdit(QWidget* parent = nullptr);
    QLabel* eyeIcon() const { return m_eyeIcon; }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QLabel* m_eyeIcon = nullptr;
    bool m_shown = false;
};
