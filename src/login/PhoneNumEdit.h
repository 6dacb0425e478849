#pragma once
// The mobile-number field of the phone login: digits only, with a clear icon.

#include "login/LoginInputField.h"

class PhoneNumEdit : public LoginInputField
{
    Q_OBJECT
public:
    explicit PhoneNumEdit(QWidget* parent = nullptr);
};
