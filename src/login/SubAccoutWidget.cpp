#include "login/SubAccoutWidget.h"

#include "core/FormBody.h"
#include "core/ImageUtils.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "login/LoginLinks.h"
#include "login/LoginPicture.h"
#include "login/UserWidget.h"

#include <QEvent>
#include <QJsonArray>
#include <QLabel>
#include <QMovie>
#include <QPainter>
#include <QPointer>
#include <QStyleOption>

namespace
{
const QSize kCodeSize(180, 180);

QLabel* makeLabel(QWidget* parent, const char* name, const QRect& geometry, const QString& text,
                  const QString& style)
{
    auto* label = new QLabel(text, parent);
    label->setObjectName(QLatin1String(name));
    label->setGeometry(geometry);
    label->setFont(QFont(QStringLiteral("微软雅黑")));
    label->setStyleSheet(style);
    return label;
}

SubAccoutWidget::DialogRunner& dialogRunner()
{
    static SubAccoutWidget::DialogRunner runner;
    return runner;
}
} // namespace

SubAccoutWidget::Timings& SubAccoutWidget::timings()
{
    static Timings t;
    return t;
}

void SubAccoutWidget::setAccountDialogRunner(DialogRunner runner)
{
    dialogRunner() = std::move(runner);
}

SubAccoutWidget::SubAccoutWidget(QWidget* parent) : QWidget(parent)
{
    setObjectName(QStringLiteral("SubAccoutWidget"));
    setFixedSize(360, 444);
    const QString plain = QStringLiteral("font-size: 14px;");
    const QString blue = QStringLiteral("font-size: 14px; color: rgb(6, 105, 245);");
    makeLabel(this, "label", QRect(140, 40, 85, 25), QStringLiteral("微信登录"),
              QStringLiteral("font-size: 18px; font-weight: bold;"))
        ->setAlignment(Qt::AlignCenter);
    m_codeLabel = makeLabel(this, "qrcode_label", QRect(90, 117, 180, 180), QString(),
                            QStringLiteral("border:1px solid #F6F7FB;"));
    makeLabel(this, "label_2", QRect(96, 305, 168, 20), QStringLiteral("请使用微信二维码扫描登录"),
              QStringLiteral("font-size: 14px; color: rgb(151, 151, 161);"));
    makeLabel(this, "label_3", QRect(108, 341, 98, 20), QStringLiteral("切换主账号登录"), plain);
    m_mainLabel = makeLabel(this, "main_label", QRect(210, 341, 42, 20), QStringLiteral("主账号"), blue);
    makeLabel(this, "label_5", QRect(68, 392, 111, 20), QStringLiteral("登录即代表您同意"), plain);
    m_serviceLabel =
        makeLabel(this, "service_label", QRect(180, 392, 111, 20), QStringLiteral("《索维服务条款》"), blue);
    m_mainLabel->installEventFilter(this);
    m_serviceLabel->installEventFilter(this);

    m_movie = new QMovie(QStringLiteral(":/images/login/ic_qrcode_loading.gif"), QByteArray(), this);
    m_movie->setScaledSize(kCodeSize);
    m_movie->setSpeed(200);
    m_codeLabel->setMovie(m_movie);
    m_movie->start();

    m_refreshTimer.setSingleShot(true);
    connect(&m_refreshTimer, &QTimer::timeout, this, &SubAccoutWidget::requestQrcode);

    m_stopped = false;
    // The first asks go out before the code is known (with an empty scene) and are repeated.
    requestQrcode();
    pollMasterUser();
}

void SubAccoutWidget::setLoginObserver(LoginObserver* observer)
{
    m_observer = observer;
    m_dialog.setLoginObserver(observer);
}

void SubAccoutWidget::stop()
{
    m_stopped = true;
    m_refreshTimer.stop();
    // Signed in elsewhere: an account choice still open would stay over the main window.
    if (m_dialog.isVisible())
        m_dialog.reject();
}

void SubAccoutWidget::requestQrcode()
{
    if (m_stopped)
        return;
    m_qrscene.clear();
    m_cards.clear(); // the cards themselves stay in the dialog until it is declined
    const int generation = ++m_codeGeneration;
    QPointer<SubAccoutWidget> self(this);
    NetUtils::getInstance()->getJson(API_GET_WECHAT_QRCODE.toString(),
                                     [self, generation](const QJsonObject& reply) {
                                         if (self && generation == self->m_codeGeneration)
                                             self->onQrcode(reply);
                                     });
}

SubAccoutWidget::CodeReply SubAccoutWidget::readCodeReply(const QJsonObject& reply)
{
    const QJsonObject data = reply.value(QStringLiteral("data")).toObject();
    CodeReply out;
    out.picture = data.value(QStringLiteral("img_src")).toString();
    out.scene = data.value(QStringLiteral("qrscene")).toString();
    // A number or a decimal text; a fraction counts by its whole seconds.
    const QJsonValue expire = data.value(QStringLiteral("expire_seconds"));
    const double seconds = expire.isString() ? expire.toString().toInt() : expire.toDouble();
    if (seconds >= 1)
        out.expireSeconds = int(qMin(seconds, double(kMaxExpireSeconds)));
    return out;
}

QList<LoginInfo> SubAccoutWidget::readAccounts(const QJsonObject& reply, const QString& scene)
{
    const QJsonObject data = reply.value(QStringLiteral("data")).toObject();
    const QJsonObject subUser = data.value(QStringLiteral("sub_user")).toObject();
    LoginInfo record;
    record.openid = subUser.value(QStringLiteral("openid")).toString();
    record.unionid = subUser.value(QStringLiteral("unionid")).toString();
    record.qrscene = scene;
    QList<LoginInfo> out;
    for (const QJsonValue& value : data.value(QStringLiteral("users")).toArray()) {
        const QJsonObject user = value.toObject();
        record.uid = user.value(QStringLiteral("uid")).toInt(0);
        record.wechat_user_space_id = user.value(QStringLiteral("wechat_user_space_id")).toInt(0);
        record.name = user.value(QStringLiteral("name")).toString();
        record.photo = user.value(QStringLiteral("photo")).toString();
        out << record;
    }
    return out;
}

void SubAccoutWidget::onQrcode(const QJsonObject& reply)
{
    if (m_stopped)
        return;
    const CodeReply code = readCodeReply(reply);
    const int generation = m_codeGeneration;
    const bool fetching = solvek::fetchLoginPicture(
        code.picture, this,
        [this, generation](const QPixmap& picture) {
            if (generation == m_codeGeneration)
                showCode(picture);
        },
        QSize(180, 180));
    if (!fetching)
        showCode(ImageUtils::fallbackPixmap());
    m_qrscene = code.scene;
    // A code without a lifetime is kept until the choice is declined: replacing it at once would
    // ask for codes without pause.
    if (code.expireSeconds > 0)
        m_refreshTimer.start(code.expireSeconds * 1000);
    else
        m_refreshTimer.stop();
}

void SubAccoutWidget::showCode(const QPixmap& picture)
{
    m_movie->stop();
    m_codeLabel->setPixmap(picture.scaled(kCodeSize, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
}

void SubAccoutWidget::pollMasterUser()
{
    if (m_stopped)
        return;
    QPointer<SubAccoutWidget> self(this);
    NetUtils::getInstance()->postJson(
        API_GET_MASTER_USER.toString(), solvek::FormBody{{QStringLiteral("qrscene"), m_qrscene}}.toString(),
        [self](const QJsonObject& reply) {
            if (self)
                self->onMasterUsers(reply);
        },
        [self](const QString&) {
            // Not scanned yet, or no answer: ask again. A list ends the chain of asks.
            if (self)
                QTimer::singleShot(timings().pollRetryMs, self, &SubAccoutWidget::pollMasterUser);
        },
        QStringLiteral("application/x-www-form-urlencoded"));
}

void SubAccoutWidget::onMasterUsers(const QJsonObject& reply)
{
    if (m_stopped)
        return;
    for (const LoginInfo& record : readAccounts(reply, m_qrscene)) {
        auto* card = new UserWidget(nullptr, record.photo, record.name);
        card->installEventFilter(this);
        m_cards << card;
        card->setLoginInfo(record);
        m_dialog.addUser(card);
    }
    if (!m_cards.isEmpty()) {
        m_cards.first()->setSelected(true);
        m_dialog.setLoginInfo(m_cards.first()->loginInfo());
    }
    m_qrscene.clear();

    m_dialog.setModal(true);
    const DialogRunner& runner = dialogRunner();
    const int result = runner ? runner(m_dialog) : m_dialog.exec();
    if (result == QDialog::Accepted)
        return; // signed in: the observer has the record
    m_dialog.clearUsers();
    m_cards.clear();
    requestQrcode();
    pollMasterUser();
}

bool SubAccoutWidget::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::MouseButtonPress) {
        if (watched == m_mainLabel)
            emit clicked();
        else if (watched == m_serviceLabel)
            solvek::openLoginLink(QUrl(RECHARGE_AGREEMENT_URL.toString()));
        else
            selectCard(watched);
    }
    return QWidget::eventFilter(watched, event);
}

void SubAccoutWidget::selectCard(QObject* pressed)
{
    // Only cards of the current list: after a refresh emptied it, presses change nothing.
    for (UserWidget* card : qAsConst(m_cards)) {
        const bool selected = card == pressed;
        card->setSelected(selected);
        if (selected)
            m_dialog.setLoginInfo(card->loginInfo());
    }
}

void SubAccoutWidget::paintEvent(QPaintEvent*)
{
    QStyleOption option;
    option.initFrom(this);
    QPainter painter(this);
    style()->drawPrimitive(QStyle::PE_Widget, &option, &painter, this);
}
