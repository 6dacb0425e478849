#pragma once
// The sub-account panel of the login dialog. For now a panel with its title and links only: it
// fetches no code and signs nobody in; the link "主账号" leads back to the main-account panel.

#include "login/LoginInfo.h"

#include <QWidget>

class QLabel;

class SubAccoutWidget : public QWidget
{
    Q_OBJECT
public:
    explicit SubAccoutWidget(QWidget* parent = nullptr);

    void setLoginObserver(LoginObserver* observer) { m_observer = observer; }
    void stop() {}

    QLabel* mainLink() const { return m_mainLabel; }

signals:
    void clicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    LoginObserver* m_observer = nullptr;
    QLabel* m_mainLabel = nullptr;
    QLabel* m_serviceLabel = nullptr;
};
