#include "shell/MyButton.h"

#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QVBoxLayout>

namespace
{
// The runs of blanks inside these rules (28 or 24) are part of the style texts.
// clang-format off
const char kSelectedFrame[] = "QFrame{background-color:#2C2F42;border-radius:4px;}                            QFrame::hover{background-color:rgb(44, 47, 66);font-family:Microsoft YaHei;font-weight:bold;font-size:14px;border-radius:4px;}";
const char kSelectedTextRule[] = "QLabel#textlbl{background-color:#2C2F42;color:#FFFFFF;font-size:14px;text-align:top;}                            QLabel#textlbl::hover{background-color:#2C2F42;color:#FFFFFF;font-size:14px}";
const char kNormalFrame[] = "QFrame{background-color:#1C1F32;border-radius:4px;}                            QFrame::hover{background-color:rgb(44, 47, 66);font-family:Microsoft YaHei;font-weight:bold;font-size:14px;border-radius:4px;}";
const char kNormalTextRule[] = "QLabel#textlbl{background-color:#1C1F32;color:#6B6C83;font-size:14px;text-align:top;}                            QLabel#textlbl::hover{background-color:#2C2F42;color:#6B6C83;font-size:14px}";
const char kHoverFrame[] = "QFrame{background-color:#2C2F42;border-radius:4px;}                        QFrame::hover{background-color:rgb(44, 47, 66);font-family:Microsoft YaHei;font-weight:bold;font-size:14px;border-radius:4px;}";
const char kLeaveFrame[] = "QFrame{background-color:#1C1F32;border-radius:4px;}                        QFrame::hover{background-color:rgb(44, 47, 66);font-family:Microsoft YaHei;font-weight:bold;font-size:14px;border-radius:4px;}";
// clang-format on
const char kWhiteText[] = "QLabel{background-color:#2C2F42;color:#FFFFFF;font-size:14px}";
const char kGreyTextOnLight[] = "QLabel{background-color:#2C2F42;color:#6B6C83;font-size:14px}";
const char kGreyTextOnDark[] = "QLabel{background-color:#1C1F32;color:#6B6C83;font-size:14px}";
const char kLightIconBackground[] = "QLabel#piclbl{background-color:#2C2F42;}";
const char kDarkIconBackground[] = "QLabel#piclbl{background-color:#1C1F32;}";
} // namespace

MyButton::MyButton(QWidget* parent) : QPushButton(parent) {}

void MyButton::initUi()
{
    frameButton = new QFrame;
    frameButton->setObjectName(QStringLiteral("frameButton"));
    frameButton->installEventFilter(this);

    piclbl = new QLabel;
    piclbl->setObjectName(QStringLiteral("piclbl"));
    piclbl->setFixedSize(36, 36);
    textlbl = new QLabel;
    textlbl->setObjectName(QStringLiteral("textlbl"));
    textlbl->setAlignment(Qt::AlignHCenter | Qt::AlignVCenter);

    auto* iconRow = new QHBoxLayout;
    iconRow->addWidget(piclbl);
    auto* textRow = new QHBoxLayout;
    textRow->addWidget(textlbl);
    m_frameLayout = new QVBoxLayout(frameButton);
    m_frameLayout->setSpacing(1);
    m_frameLayout->addLayout(iconRow);
    m_frameLayout->addLayout(textRow);

    auto* buttonLayout = new QVBoxLayout(this);
    buttonLayout->setContentsMargins(0, 0, 0, 0);
    buttonLayout->setSpacing(0);
    buttonLayout->addWidget(frameButton);
}

void MyButton::setType(int type)
{
    m_type = type;
}

void MyButton::setSelected(bool selected)
{
    m_selected = selected;
}

QString MyButton::selectedIconRule() const
{
    return QStringLiteral("QLabel#piclbl{background-color:#2C2F42;border-image:url(:/images/live/") +
           m_iconName + QStringLiteral(");}");
}

QString MyButton::plainIconRule() const
{
    return QStringLiteral("QLabel#piclbl{border-image:url(:/images/live/") + m_iconName +
           QStringLiteral(");}");
}

void MyButton::setLabelStyles(const char* textStyle, const char* iconStyle)
{
    if (textlbl)
        textlbl->setStyleSheet(QLatin1String(textStyle));
    if (piclbl)
        piclbl->setStyleSheet(QLatin1String(iconStyle));
}

void MyButton::setIconAndText(const QString& iconName, const QString& text)
{
    m_iconName = iconName;
    if (textlbl) {
        textlbl->setText(text);
        textlbl->setFixedSize(56, 20);
    }
    if (!frameButton)
        return;
    if (m_selected)
        frameButton->setStyleSheet(QLatin1String(kSelectedFrame) + QLatin1String(kSelectedTextRule) +
                                   selectedIconRule());
    else
        frameButton->setStyleSheet(QLatin1String(kNormalFrame) + QLatin1String(kNormalTextRule) +
                                   plainIconRule());
}

void MyButton::updateStyle()
{
    if (!frameButton)
        return;
    if (m_selected) {
        frameButton->setStyleSheet(QLatin1String(kSelectedFrame) + QLatin1String(kSelectedTextRule) +
                                   selectedIconRule());
        setLabelStyles(kWhiteText, kLightIconBackground);
    } else {
        frameButton->setStyleSheet(QLatin1String(kNormalFrame) + QLatin1String(kNormalTextRule) +
                                   plainIconRule());
        setLabelStyles(kGreyTextOnDark, kDarkIconBackground);
    }
}

bool MyButton::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == frameButton && frameButton) {
        switch (event->type()) {
        case QEvent::Enter:
            frameButton->setStyleSheet(QLatin1String(kHoverFrame) + plainIconRule());
            setLabelStyles(m_selected ? kWhiteText : kGreyTextOnLight, kLightIconBackground);
            return true;
        case QEvent::Leave:
            if (m_selected) {
                frameButton->setStyleSheet(QLatin1String(kHoverFrame) + plainIconRule());
                setLabelStyles(kWhiteText, kLightIconBackground);
            } else {
                frameButton->setStyleSheet(QLatin1String(kLeaveFrame) + plainIconRule());
                setLabelStyles(kGreyTextOnDark, kDarkIconBackground);
            }
            return true;
        case QEvent::MouseButtonPress:
            emit clickframe(m_type);
            break;
        default:
            break;
        }
    }
    return QPushButton::eventFilter(watched, event);
}
