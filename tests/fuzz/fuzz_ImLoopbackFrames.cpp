// libFuzzer target: arbitrary bytes as a frame of the IM loopback channel (an answer to a call, or
// a pushed message with its elements), then the message handed to the IM group's listener as the
// SDK hands it over (half the time addressed to the current room's group).
// Besides the sanitizers it checks that a message keeps at most kMaxElems elements and that an
// answer gives one group per entry.
#include "FuzzCheck.h"

#include "chat/ImSDKManager.h"
#include "core/LoginInfo.h"
#include "platform/ImLoopback.h"

#include <QCoreApplication>
#include <QJsonObject>

#include <cstdint>
#include <cstdlib>

namespace
{
// An IM SDK that answers nothing: the manager signs in to it without any I/O.
class QuietIm : public V2TIMManager, public V2TIMMessageManager, public V2TIMGroupManager
{
public:
    void AddSDKListener(V2TIMSDKListener*) override {}
    bool InitSDK(uint32_t, const V2TIMSDKConfig&) override { return true; }
    V2TIMLoginStatus GetLoginStatus() override { return V2TIM_STATUS_LOGOUT; }
    void Login(const V2TIMString&, const V2TIMString&, V2TIMCallback*) override {}
    void CreateGroup(const V2TIMString&, const V2TIMString&, const V2TIMString&,
                     V2TIMValueCallback<V2TIMString>*) override
    {
    }
    void JoinGroup(const V2TIMString&, const V2TIMString&, V2TIMCallback*) override {}
    V2TIMMessageManager* GetMessageManager() override { return this; }
    V2TIMGroupManager* GetGroupManager() override { return this; }
    void AddAdvancedMsgListener(V2TIMAdvancedMsgListener*) override {}
    void SearchGroups(const V2TIMGroupSearchParam&, V2TIMValueCallback<TXV2TIMGroupInfoVector>*) override {}
};

const char kGroup[] = "room_7";
SvV2TIMAdvancedMsgListener* g_listener = nullptr;
int g_cards = 0;
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    static int argc = 1;
    static char arg0[] = "fuzz_ImLoopbackFrames";
    static char* argv[] = {arg0, nullptr};
    static QCoreApplication* app = new QCoreApplication(argc, argv);
    Q_UNUSED(app)
    fuzz::quietLog();

    // The current room's group, as its credential reply names it.
    V2TIMManager::SetInstance(new QuietIm);
    static LoginInfo login;
    login.uid = 1;
    auto manager = ImSDKManager::getInstance();
    manager->setLoginInfo(&login);
    manager->setTransport(
        [](const QString&, const QString&, const apitransport::JsonFn& ok, const apitransport::ErrorFn&) {
            ok(QJsonObject{{"data", QJsonObject{{"imSdkAppId", 1}, {"imGroupId", kGroup}, {"sig", "s"}}}});
        });
    manager->InitSdk("room", 7);
    fuzz::check(manager->groupId() == kGroup);

    g_listener = new SvV2TIMAdvancedMsgListener;
    QObject::connect(g_listener, &SvV2TIMAdvancedMsgListener::sigReceiveNewMessage, [](const char* text) {
        fuzz::check(text != nullptr);
        ++g_cards;
    });
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), int(size));
    imloopback::Frame frame = imloopback::readFrame(text);
    if (frame.kind == imloopback::Frame::Result) {
        fuzz::check(int(imloopback::readGroups(frame.groups).Size()) == frame.groups.size());
    } else if (frame.kind == imloopback::Frame::Message) {
        fuzz::check(frame.message.elemList.Size() <= size_t(imloopback::kMaxElems));
        if (size % 2)
            frame.message.groupID = V2TIMString(kGroup);
        g_listener->OnRecvNewMessage(frame.message);
    } else {
        fuzz::check(frame.message.elemList.Size() == 0);
    }
    return 0;
}
