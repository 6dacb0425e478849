#pragma once
// The program's version, built-in service addresses, endpoint table and engine source names.
//
// Every host of the service is a compile-time constant (CMake cache variables). At start-up the
// environment variable SOLVEK_SERVICE_URL, when set, points every host at one base address
// (used by the demo and the tests against the local service simulator). Endpoint constants keep
// their base and path apart and are turned into text on use, so they always agree with the
// base in effect.

#include <QString>
#include <QStringList>
#include <QUrl>

namespace solvek {

// Shown by the login dialog and the help page, and compared with the update check's version.
inline constexpr char kAppVersion[] = "2.0.1";

enum class ServiceHost {
    Api,         // open-API host
    LiveSystem,  // open-API host + "/liveSystem"
    Gateway,     // gateway host
    WssDefault,  // default room WebSocket (wss, port 8082)
    OssEndpoint, // object-storage endpoint
    Console,     // console pages (registration, password reset, co-host invitation)
    Website,     // website pages (terms, agreement)
    Static,      // emote and other static pictures
};

// The base address of a host, without a trailing slash.
QString serviceBase(ServiceHost host);

// Reads SOLVEK_SERVICE_URL and, when it is set and non-empty, makes it the base of every host
// (the WebSocket default gets the matching ws/wss scheme). Called once by main.
void applyServiceOverride();

// Points every host at `base` (empty text restores the built-in addresses). Used by
// applyServiceOverride and by test fixtures that start a simulator.
void setServiceOverride(const QString& base);

// The base every host points at, or empty when the built-in addresses are in effect.
QString serviceOverride();

// Whether `url` names one of the hosts above (host and port as in effect now).
bool isServiceHost(const QUrl& url);

} // namespace solvek

// An address of the service: a host and a path appended verbatim (no slash added or removed).
class ServiceUrl
{
public:
    constexpr ServiceUrl(solvek::ServiceHost host, const char* path = "") : m_host(host), m_path(path) {}
    QString toString() const { return solvek::serviceBase(m_host) + QString::fromUtf8(m_path); }
    operator QString() const { return toString(); }
    QUrl toUrl() const { return QUrl(toString()); }
    solvek::ServiceHost host() const { return m_host; }
    const char* path() const { return m_path; }

private:
    solvek::ServiceHost m_host;
    const char* m_path;
};

inline QString operator+(const ServiceUrl& a, const QString& b) { return a.toString() + b; }
inline QString operator+(const ServiceUrl& a, const char* b) { return a.toString() + QString::fromUtf8(b); }
inline QString operator+(const QString& a, const ServiceUrl& b) { return a + b.toString(); }

// ---- base constants -------------------------------------------------------------------------
inline constexpr ServiceUrl API_HOST_URL{solvek::ServiceHost::Api};
inline constexpr ServiceUrl API_LIVESYSTEM_URL{solvek::ServiceHost::LiveSystem};
inline constexpr ServiceUrl API_GATEWAY_URL{solvek::ServiceHost::Gateway};
inline constexpr ServiceUrl WSS_DEFAULT_URL{solvek::ServiceHost::WssDefault};
inline constexpr ServiceUrl OSS_ENDPOINT_URL{solvek::ServiceHost::OssEndpoint};
inline constexpr ServiceUrl STATIC_HOST_URL{solvek::ServiceHost::Static};
inline constexpr const char OSS_BUCKET_NAME[] = "svfs";
inline constexpr ServiceUrl RESET_PASSWORD_URL{solvek::ServiceHost::Console, "/wechat/#/user/resetpwd"};
inline constexpr ServiceUrl REGISTER_URL{solvek::ServiceHost::Console, "/wechat/#/user/reg"};
inline constexpr ServiceUrl RECHARGE_AGREEMENT_URL{solvek::ServiceHost::Website, "/rechargeAgreement/"};
inline constexpr const char EMPTY_STRING[] = "";

// ---- endpoint constants ---------------------------------------------------------------------
#define SOLVEK_ENDPOINT(name, host, path) inline constexpr ServiceUrl name{solvek::ServiceHost::host, path};
SOLVEK_ENDPOINT(API_POST_USER_OPT, LiveSystem, "/Room/wechatUserOpt")
SOLVEK_ENDPOINT(API_GET_WECHAT_USER_LIST, LiveSystem, "/Room/getWechatUserList")
SOLVEK_ENDPOINT(API_POST_USER_CANCEL_OPT, LiveSystem, "/Room/wechatUserCancelOpt")
SOLVEK_ENDPOINT(API_POST_ROOM_TOP, LiveSystem, "/Room/top")
SOLVEK_ENDPOINT(API_GET_CHAT_RECORD_LIST, Api, "/Wx/Interact/getChatRecord")
SOLVEK_ENDPOINT(API_POST_DELETE_MESSAGE, LiveSystem, "/Room/deleteMessage")
SOLVEK_ENDPOINT(API_GET_SENSITIVE_WORD_LIST, Gateway, "/Wx/SolVek/SystemConfig/getSensitiveWordList")
SOLVEK_ENDPOINT(API_POST_JUDGE_WORD, Gateway, "/Wx/Chat/BeforeSendMsg")
SOLVEK_ENDPOINT(API_POST_UCENTER, Api, "/Mobile/Ucenter/appUserBase")
SOLVEK_ENDPOINT(API_GET_ROOM_LIST, Api, "/Mobile/Index/newRoomList")
SOLVEK_ENDPOINT(API_GET_OSS_STS, Api, "/Mobile/Tools/getSts")
SOLVEK_ENDPOINT(API_GET_USER_INFO, Api, "/Wx/WechatUser/getUserInfo")
SOLVEK_ENDPOINT(API_POST_MARK_TAG, Api, "/Mobile/Ucenter/markTag")
SOLVEK_ENDPOINT(API_GET_TAG_LIST, Api, "/Mobile/Ucenter/getTagList")
SOLVEK_ENDPOINT(API_POST_USER_TAG_INFO, Api, "/Wx/WechatUser/getTagInfo")
SOLVEK_ENDPOINT(API_GET_WECHAT_QRCODE, LiveSystem, "/login/showWechatQrcode")
SOLVEK_ENDPOINT(API_GET_MASTER_USER, LiveSystem, "/login/showMasterUser")
SOLVEK_ENDPOINT(API_GET_ACCOUNT_CONFIG, LiveSystem, "/Account/getAccountConfig")
SOLVEK_ENDPOINT(API_GET_TRTC_USIG, Api, "/Tencent/getTrtcUsig")
SOLVEK_ENDPOINT(API_GET_WEB_CASTINFO, Api, "/MiniProgram/PushFlow/getWebCastInfo")
SOLVEK_ENDPOINT(API_GET_PUSHFLOW_WSTOKEN, Api, "/MiniProgram/PushFlow/setWsToken")
SOLVEK_ENDPOINT(API_GET_PUSHFLOW_URL, Api, "/LiveSystem/Live/getPushUrl")
SOLVEK_ENDPOINT(API_GET_IMSDK_LOGININFO, Gateway, "/Mobile/Im/Login/wechatUser")
// Endpoints that are also formed from a base where they are used; kept here so every address of the
// service is listed in one table.
SOLVEK_ENDPOINT(API_LOGIN_USER_LOGIN, LiveSystem, "/login/userLogin")
SOLVEK_ENDPOINT(API_LOGIN_WECHAT_QRCODE_LOGIN, LiveSystem, "/login/wechatQrcodeLogin")
SOLVEK_ENDPOINT(API_LOGIN_SUB_LOGIN, LiveSystem, "/login/subLogin")
SOLVEK_ENDPOINT(API_LIVE_GET_PUSH_URL, LiveSystem, "/live/getPushUrl")
SOLVEK_ENDPOINT(API_LIVE_SHARE, LiveSystem, "/live/share")
SOLVEK_ENDPOINT(API_SHUT_UP_ALL, Api, "/MiniProgram/Live/shutUpAll")
SOLVEK_ENDPOINT(API_TOOLS_QRCODE, Api, "/Mobile/Tools/qrCode")
SOLVEK_ENDPOINT(API_VERSION_UPDATE, Api, "/Mobile/Tools/versionUpdate")
// The console page that draws the mini-program QR code of a stream ("?app=<stream>&type=audience").
SOLVEK_ENDPOINT(API_APPLET_CODE_PUSH, Console, "/Applet/codePush")
#undef SOLVEK_ENDPOINT

// All endpoint constants above, for checks over the whole table.
struct NamedServiceUrl {
    const char* name;
    ServiceUrl url;
};
const QList<NamedServiceUrl>& allServiceEndpoints();

// ---- engine source names ---------------------------------------------------------------------
inline constexpr const char CAMERA_SOURCE[] = "camera source";
inline constexpr const char DESKTOP_SOURCE[] = "desktop source";
inline constexpr const char WINDOW_SOURCE[] = "window source";
inline constexpr const char WINDOW_SOURCE_1[] = "window source1";
inline constexpr const char IMAGE_SOURCE[] = "image_source";

// Process file names whose windows are never offered for sharing (substring of the module path,
// case-sensitive).
const QStringList& EXCLUDE_PROCESS_LIST();

// Style of the labels in a chat record's pop-up menu.
inline constexpr const char CHAT_MENU_LABEL_STYLE[] =
    "QLabel{font-family:Microsoft YaHei;background-color: transparent;border-radius:4px;padding:6px "
    "10px;color:#191919;text-align: center;font-weight: 400;font-size: 14px;font-style: "
    "normal;}QLabel:hover{background-color: #F2F8FF;border-radius:0px;}";
