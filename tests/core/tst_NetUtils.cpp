// test-label: integration
#include "core/FormBody.h"
#include "core/NetUtils.h"
#include "core/ServiceConstants.h"
#include "support/SimulatorProcess.h"

#include <QJsonDocument>
#include <QNetworkAccessManager>
#include <QNetworkReply>
#include <QtTest>

namespace {

struct Outcome {
    int successes = 0;
    int errors = 0;
    QJsonObject object;
    QByteArray raw;
    QString message;
    int calls() const { return successes + errors; }
};

const char kPath[] = "/Wx/Chat/BeforeSendMsg";

} // namespace

class tst_NetUtils : public QObject
{
    Q_OBJECT

    SimulatorProcess m_sim;
    NetUtils* net() { return NetUtils::getInstance(); }
    QString url() const { return API_POST_JUDGE_WORD.toString(); }

    NetJsonCallback onJson(Outcome& o)
    {
        return [&o](const QJsonObject& obj) {
            ++o.successes;
            o.object = obj;
        };
    }
    NetErrorCallback onError(Outcome& o)
    {
        return [&o](const QString& msg) {
            ++o.errors;
            o.message = msg;
        };
    }
    bool noRepliesLeft()
    {
        return net()->networkManager()->findChildren<QNetworkReply*>().isEmpty();
    }
    QJsonObject lastRequest()
    {
        const QJsonArray log = m_sim.requests(kPath);
        return log.isEmpty() ? QJsonObject() : log.last().toObject();
    }

private slots:
    void initTestCase() { QVERIFY(m_sim.start()); }
    void init()
    {
        QVERIFY(m_sim.reset());
        net()->setLoginInfo(LoginInfo());
        net()->setTransferTimeout(NetUtils::kDefaultTransferTimeoutMs);
    }

    void envelope_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<bool>("success");
        QTest::addColumn<QString>("message");
        QTest::newRow("string 200") << QByteArray(R"({"code":"200","data":{}})") << true << "";
        QTest::newRow("number 200") << QByteArray(R"({"code":200})") << true << "";
        QTest::newRow("string 1") << QByteArray(R"({"code":"1"})") << true << "";
        QTest::newRow("number 1") << QByteArray(R"({"code":1,"data":[2]})") << true << "";
        QTest::newRow("string 0 with msg") << QByteArray(R"({"code":"0","msg":"bad"})") << false << "bad";
        QTest::newRow("number 201 with msg") << QByteArray(R"({"code":201,"msg":"x"})") << false << "x";
        QTest::newRow("fraction") << QByteArray(R"({"code":200.5})") << false << "";
        QTest::newRow("string 200.0") << QByteArray(R"({"code":"200.0","msg":"m"})") << false << "m";
        QTest::newRow("no code") << QByteArray(R"({"msg":"no code"})") << false << "no code";
        QTest::newRow("msg not text") << QByteArray(R"({"code":0,"msg":5})") << false << "";
        QTest::newRow("array") << QByteArray("[1,2]") << false << "JSON is not an object";
        QJsonParseError empty, truncated;
        QJsonDocument::fromJson("", &empty);
        QJsonDocument::fromJson(R"({"code":200)", &truncated);
        QTest::newRow("empty body") << QByteArray("") << false << empty.errorString();
        QTest::newRow("truncated") << QByteArray(R"({"code":200)") << false << truncated.errorString();
    }
    void envelope()
    {
        QFETCH(QByteArray, body);
        QFETCH(bool, success);
        QFETCH(QString, message);
        QVERIFY(m_sim.script(kPath, {QJsonObject{{"body", QString::fromUtf8(body)},
                                                 {"content_type", "application/json;charset=utf-8"}}}));
        Outcome o;
        net()->getJson(url(), onJson(o), onError(o));
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 1, 10000);
        QCOMPARE(o.successes, success ? 1 : 0);
        if (success)
            QCOMPARE(o.object, QJsonDocument::fromJson(body).object());
        else
            QCOMPARE(o.message, message);
        QVERIFY(!o.message.isEmpty() || message.isEmpty());
    }

    void httpErrorIsNeverParsed()
    {
        QVERIFY(m_sim.script(kPath, {QJsonObject{{"status", 500}, {"body", R"({"code":200})"}}}));
        Outcome o;
        net()->postJson(url(), "a=1", onJson(o), onError(o));
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 1, 10000);
        QCOMPARE(o.successes, 0);
        QVERIFY2(!o.message.isEmpty(), qPrintable(o.message));
        QTRY_VERIFY(noRepliesLeft());
    }

    void failureWithoutErrorCallbackReleasesTheReply()
    {
        QVERIFY(m_sim.script(kPath, {QJsonObject{{"status", 500}}, QJsonObject{{"body", "not json"}}}));
        Outcome o;
        net()->getJson(url(), onJson(o));                         // HTTP failure
        net()->postRaw(url(), "x=1", [this, &o](const QByteArray& raw) { // then the envelope failure
            net()->getJson(url(), [&o](const QJsonObject&) { ++o.successes; });
            o.raw = raw;
        });
        QTRY_COMPARE_WITH_TIMEOUT(o.raw, QByteArray("not json"), 10000);
        QTRY_COMPARE_WITH_TIMEOUT(m_sim.requests(kPath).size(), 3, 10000);
        QTRY_VERIFY(noRepliesLeft());
        QCOMPARE(o.successes, 0);
    }

    void tokenHeader_data()
    {
        QTest::addColumn<QByteArray>("token");
        QTest::addColumn<QByteArray>("header"); // empty: no header at all
        QTest::newRow("before login") << QByteArray() << QByteArray();
        QTest::newRow("token") << QByteArray("tok-123.abc") << QByteArray("tok-123.abc");
        QTest::newRow("ends at NUL") << QByteArray("abc\0def", 7) << QByteArray("abc");
        QTest::newRow("NUL first") << QByteArray("\0abc", 4) << QByteArray();
        QTest::newRow("fills its field") << QByteArray(1024, 'k') << QByteArray(1024, 'k');
        QTest::newRow("line break cut") << QByteArray("abc\r\nX-Evil: 1") << QByteArray("abc");
    }
    void tokenHeader()
    {
        QFETCH(QByteArray, token);
        QFETCH(QByteArray, header);
        LoginInfo info;
        info.token = token;
        net()->setLoginInfo(info);
        QCOMPARE(net()->getLoginInfo().token, token);
        Outcome o;
        net()->getJson(url(), onJson(o), onError(o));
        net()->postJson(url(), "", onJson(o), onError(o));
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 2, 10000);
        const QJsonArray log = m_sim.requests(kPath);
        QCOMPARE(log.size(), 2);
        for (const QJsonValue& r : log) {
            const QJsonObject headers = r.toObject().value("headers").toObject();
            QCOMPARE(headers.contains("openapitoken"), !header.isEmpty());
            QCOMPARE(headers.value("openapitoken").toString().toUtf8(), header);
            QVERIFY(!headers.contains("X-Evil"));
        }
    }

    void formValuesArriveIntact()
    {
        const QString tricky = QStringLiteral("a&b=c+d%");
        const QString chinese = QString::fromUtf8("张三 说：100% 好");
        Outcome o;
        net()->postJson(url(), solvek::FormBody{{"content", tricky}, {"name", chinese}, {"room_id", "12"}}.toString(),
                        onJson(o), onError(o));
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 1, 10000);
        const QJsonObject form = lastRequest().value("form").toObject();
        QCOMPARE(form.size(), 3);
        QCOMPARE(form.value("content").toString(), tricky);
        QCOMPARE(form.value("name").toString(), chinese);
        QCOMPARE(form.value("room_id").toString(), QStringLiteral("12"));
    }

    void postContentType_data()
    {
        QTest::addColumn<QString>("given");
        QTest::addColumn<QString>("sent");
        QTest::newRow("none given") << "" << "application/x-www-form-urlencoded";
        QTest::newRow("given") << "application/json" << "application/json";
    }
    void postContentType()
    {
        QFETCH(QString, given);
        QFETCH(QString, sent);
        QVERIFY(m_sim.script(kPath, {QJsonObject{{"body", "raw reply"}}}));
        Outcome o;
        net()->postRaw(url(), "k=v", [&o](const QByteArray& raw) { o.raw = raw; ++o.successes; }, onError(o), given);
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 1, 10000);
        QCOMPARE(o.raw, QByteArray("raw reply"));
        const QJsonObject r = lastRequest();
        QCOMPARE(r.value("method").toString(), QStringLiteral("POST"));
        QCOMPARE(r.value("body").toString(), QStringLiteral("k=v"));
        QCOMPARE(r.value("headers").toObject().value("Content-Type").toString(), sent);
    }

    void neverAnsweringEndsInTheErrorCallback()
    {
        net()->setTransferTimeout(300);
        QVERIFY(m_sim.script(kPath, {QJsonObject{{"hang", true}}}));
        Outcome o;
        net()->getJson(url(), onJson(o), onError(o));
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 1, 10000);
        QCOMPARE(o.errors, 1);
        QVERIFY(!o.message.isEmpty());
        QTRY_VERIFY(noRepliesLeft());
    }

    // An endless body is cut at the bound and ends in the error callback (it used to be read
    // until memory ran out, with neither callback called).
    void endlessReplyEndsInTheErrorCallback()
    {
        QVERIFY(m_sim.script(kPath, {QJsonObject{{"content_type", "application/json;charset=utf-8"},
                                                 {"body", "{\"code\":200,\"msg\":\""},
                                                 {"endless", true}}}));
        Outcome o;
        net()->getJson(url(), onJson(o), onError(o));
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 1, 30000);
        QCOMPARE(o.errors, 1);
        QTRY_VERIFY(noRepliesLeft());
    }

    // What reaches the log of a request and its reply: no credential value, and a long body only
    // as a bounded prefix.
    void logsHoldNoSecrets()
    {
        static QStringList lines;
        lines.clear();
        const QtMessageHandler previous = qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString& m) {
            lines << m;
        });
        const QString longText(200000, QLatin1Char('z'));
        QVERIFY(m_sim.script(kPath, {QJsonObject{
                                        {"content_type", "application/json;charset=utf-8"},
                                        {"body", QJsonObject{{"code", 200},
                                                             {"data", QJsonObject{{"token", "TOKEN-VALUE-1"},
                                                                                  {"AccessKeySecret", "KEY-SECRET-2"},
                                                                                  {"SecurityToken", "STS-3"},
                                                                                  {"sign", "SIG-4"},
                                                                                  {"long", longText}}}}}}}));
        Outcome o;
        net()->postJson(url(),
                        solvek::FormBody{{"mobile", "13800000000"}, {"password", "PASS-WORD-5"}, {"usersig", "USIG-6"}}
                            .toString(),
                        onJson(o), onError(o));
        QTRY_COMPARE_WITH_TIMEOUT(o.calls(), 1, 30000); // the request's own time-out
        qInstallMessageHandler(previous);
        QCOMPARE(o.successes, 1);
        QCOMPARE(o.object.value("data").toObject().value("token").toString(), QString("TOKEN-VALUE-1"));
        const QString log = lines.join('\n');
        QVERIFY(log.contains("13800000000")); // the log still says what was sent
        for (const char* secret : {"TOKEN-VALUE-1", "KEY-SECRET-2", "STS-3", "SIG-4", "PASS-WORD-5", "USIG-6"})
            QVERIFY2(!log.contains(QLatin1String(secret)), secret);
        QVERIFY2(log.size() < 8 * solvek::kMaxLoggedBodyBytes, qPrintable(QString::number(log.size())));
    }

    void loggable_data()
    {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QByteArray>("logged");
        QTest::newRow("form") << QByteArray("a=1&token=abc&b=2") << QByteArray("a=1&token=***&b=2");
        QTest::newRow("json") << QByteArray("{\"openapitoken\": \"x\\\"y\", \"n\": 1}")
                              << QByteArray("{\"openapitoken\": ***, \"n\": 1}");
        QTest::newRow("json number") << QByteArray("{\"sign\":12345,\"msg\":\"ok\"}")
                                     << QByteArray("{\"sign\":***,\"msg\":\"ok\"}");
        QTest::newRow("IM credentials") << QByteArray(R"({"data":{"imSdkAppId":1400000001,"sig":"eJyr","imUserId":"host_1"}})")
                                        << QByteArray(R"({"data":{"imSdkAppId":1400000001,"sig":***,"imUserId":"host_1"}})");
        QTest::newRow("nothing secret") << QByteArray("{\"code\":200,\"msg\":\"ok\"}")
                                        << QByteArray("{\"code\":200,\"msg\":\"ok\"}");
        // Push addresses keep their host and application only, under any key and in room frames.
        QTest::newRow("signed push address")
            << QByteArray(
                   "{\"data\":{\"push_url\":\"rtmp://push.example.com/live/sv1?txSecret=ab12&txTime=6A\"}}")
            << QByteArray("{\"data\":{\"push_url\":\"rtmp://push.example.com/live/***\"}}");
        QTest::newRow("escaped slashes")
            << QByteArray("{\"url\":\"rtmp:\\/\\/push.example.com:1935\\/live\\/sv1\",\"n\":1}")
            << QByteArray("{\"url\":\"rtmp:\\/\\/push.example.com:1935\\/live/***\",\"n\":1}");
        QTest::newRow("key right after the host")
            << QByteArray("rtmps://h/streamkey and more") << QByteArray("rtmps://h/*** and more");
        QTest::newRow("trtc address")
            << QByteArray("trtc://cloud.example.com/push/sv1?sdkappid=1&usersig=eJx")
            << QByteArray("trtc://cloud.example.com/push/***");
        QTest::newRow("login frame")
            << QByteArray(
                   "{\"type\":\"login\", \"terminal\":20,\"room_id\":\"7\",\"jwt_token\":\"eyJhbGci\"}")
            << QByteArray("{\"type\":\"login\", \"terminal\":20,\"room_id\":\"7\",\"jwt_token\":***}");
        QTest::newRow("web address kept") << QByteArray("{\"img_src\":\"https://h/a/b.png?x=1\"}")
                                          << QByteArray("{\"img_src\":\"https://h/a/b.png?x=1\"}");
    }

    void loggable()
    {
        QFETCH(QByteArray, body);
        QFETCH(QByteArray, logged);
        QCOMPARE(solvek::loggable(body), logged);
    }
};

QTEST_GUILESS_MAIN(tst_NetUtils)
#include "tst_NetUtils.moc"
