#pragma once
// The group-messaging service as the program sees it: one process-wide SDK manager
// (V2TIMManager::GetInstance) through which the host is signed in, finds, creates and joins a
// group, and receives the group's messages. This is our own small interface, holding only what
// the IM group manager uses. Implementations: ImLoopback (the default of the running program:
// talks to the service simulator's loopback channel) and test fakes.
//
// Calls may come from any thread. Results come back through the callback handed to each call and
// messages through the listeners; an implementation chooses the thread it calls them on (the
// loopback: a worker thread of its own). Texts and buffers handed to a callback or listener are
// valid only during that call.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// ---- texts, buffers and lists ---------------------------------------------------------------

// A byte string (UTF-8 for texts); CString is always NUL-terminated.
class V2TIMString
{
public:
    V2TIMString() = default;
    V2TIMString(const char* text) : m_bytes(text ? text : "") {}
    V2TIMString(const char* data, size_t size) : m_bytes(data ? std::string(data, size) : std::string()) {}
    V2TIMString(std::string bytes) : m_bytes(std::move(bytes)) {}

    const char* CString() const { return m_bytes.c_str(); }
    size_t Size() const { return m_bytes.size(); }
    bool Empty() const { return m_bytes.empty(); }
    bool operator==(const V2TIMString& other) const { return m_bytes == other.m_bytes; }
    bool operator!=(const V2TIMString& other) const { return m_bytes != other.m_bytes; }

private:
    std::string m_bytes;
};

// Binary data of a custom element.
class V2TIMBuffer
{
public:
    V2TIMBuffer() = default;
    V2TIMBuffer(const uint8_t* data, size_t size) : m_bytes(data, data + (data ? size : 0)) {}

    const uint8_t* Data() const { return m_bytes.data(); }
    size_t Size() const { return m_bytes.size(); }

private:
    std::vector<uint8_t> m_bytes;
};

template <class T> class V2TIMVector
{
public:
    void PushBack(T value) { m_items.push_back(std::move(value)); }
    size_t Size() const { return m_items.size(); }
    const T& operator[](size_t index) const { return m_items[index]; }

private:
    std::vector<T> m_items;
};

using TXV2TIMStringVector = V2TIMVector<V2TIMString>;

// ---- messages ---------------------------------------------------------------------------------

enum V2TIMElemType : int {
    V2TIM_ELEM_TYPE_NONE = 0,
    V2TIM_ELEM_TYPE_TEXT = 1,
    V2TIM_ELEM_TYPE_CUSTOM = 2,
};

// One element of a message; elements of kinds this program does not know keep only their type.
struct V2TIMElem {
    explicit V2TIMElem(int type = V2TIM_ELEM_TYPE_NONE) : elemType(type) {}
    virtual ~V2TIMElem() = default;
    int elemType;
};

struct V2TIMTextElem : V2TIMElem {
    V2TIMTextElem() : V2TIMElem(V2TIM_ELEM_TYPE_TEXT) {}
    V2TIMString text;
};

struct V2TIMCustomElem : V2TIMElem {
    V2TIMCustomElem() : V2TIMElem(V2TIM_ELEM_TYPE_CUSTOM) {}
    V2TIMBuffer data;
};

// The elements of one message, owned by the list; the index operator gives a borrowed pointer.
class TXPV2TIMElemVector
{
public:
    void PushBack(std::unique_ptr<V2TIMElem> elem) { m_items.push_back(std::move(elem)); }
    size_t Size() const { return m_items.size(); }
    V2TIMElem* operator[](size_t index) const { return m_items[index].get(); }

private:
    std::vector<std::unique_ptr<V2TIMElem>> m_items;
};

struct V2TIMMessage {
    V2TIMString groupID; // the group it was sent to (empty for a one-to-one message)
    V2TIMString sender;
    TXPV2TIMElemVector elemList;
};

// ---- groups -----------------------------------------------------------------------------------

struct V2TIMGroupInfo {
    V2TIMString groupID;
};

using TXV2TIMGroupInfoVector = V2TIMVector<V2TIMGroupInfo>;

struct V2TIMGroupSearchParam {
    TXV2TIMStringVector keywordList;
    bool isSearchGroupID = false; // match the keywords against group ids (otherwise names)
};

// ---- callbacks and listeners ------------------------------------------------------------------

class V2TIMBaseCallback
{
public:
    virtual ~V2TIMBaseCallback() = default;
};

// The result of a call that returns nothing.
class V2TIMCallback : public V2TIMBaseCallback
{
public:
    virtual void OnSuccess() = 0;
    virtual void OnError(int code, const V2TIMString& message) = 0;
};

// The result of a call that returns a value.
template <class T> class V2TIMValueCallback : public V2TIMBaseCallback
{
public:
    virtual void OnSuccess(const T& value) = 0;
    virtual void OnError(int code, const V2TIMString& message) = 0;
};

// Connection news; every notification has an empty default.
class V2TIMSDKListener
{
public:
    virtual ~V2TIMSDKListener() = default;
    virtual void OnConnectSuccess() {}
    virtual void OnConnectFailed(int /*code*/, const V2TIMString& /*message*/) {}
};

class V2TIMAdvancedMsgListener
{
public:
    virtual ~V2TIMAdvancedMsgListener() = default;
    virtual void OnRecvNewMessage(const V2TIMMessage& /*message*/) {}
};

// Lines the SDK logs at the configured level or above.
enum V2TIMLogLevel : int {
    V2TIM_LOG_NONE = 0,
    V2TIM_LOG_DEBUG = 3,
    V2TIM_LOG_INFO = 4,
    V2TIM_LOG_WARN = 5,
    V2TIM_LOG_ERROR = 6,
};

class V2TIMLogListener
{
public:
    virtual ~V2TIMLogListener() = default;
    virtual void OnLog(V2TIMLogLevel /*level*/, const V2TIMString& /*text*/) {}
};

struct V2TIMSDKConfig {
    V2TIMLogLevel logLevel = V2TIM_LOG_INFO;
    V2TIMLogListener* logListener = nullptr; // not owned; must outlive the SDK's use of it
};

enum V2TIMLoginStatus : int {
    V2TIM_STATUS_LOGINED = 1,
    V2TIM_STATUS_LOGINING = 2,
    V2TIM_STATUS_LOGOUT = 3,
};

// ---- the managers -----------------------------------------------------------------------------

class V2TIMMessageManager
{
public:
    virtual ~V2TIMMessageManager() = default;
    // A listener added more than once is registered once. Not owned.
    virtual void AddAdvancedMsgListener(V2TIMAdvancedMsgListener* listener) = 0;
};

class V2TIMGroupManager
{
public:
    virtual ~V2TIMGroupManager() = default;
    // Answers with the groups found (none is a success too).
    virtual void SearchGroups(const V2TIMGroupSearchParam& param,
                              V2TIMValueCallback<TXV2TIMGroupInfoVector>* callback) = 0;
};

class V2TIMManager
{
public:
    virtual ~V2TIMManager() = default;

    // The installed manager, else the loopback (made on first use, never released).
    static V2TIMManager* GetInstance();
    // Installs `manager` (tests); null goes back to the default. Returns the previously installed
    // one; the caller keeps ownership.
    static V2TIMManager* SetInstance(V2TIMManager* manager);

    // A listener added more than once is registered once. Not owned.
    virtual void AddSDKListener(V2TIMSDKListener* listener) = 0;
    // Local: takes the application id and the configuration; false when they cannot be used.
    virtual bool InitSDK(uint32_t sdkAppID, const V2TIMSDKConfig& config) = 0;
    // Local: the SDK lets go of the configuration's log listener; once this returns no line is
    // being logged through it, and none will be.
    virtual void UnInitSDK() {}
    virtual V2TIMLoginStatus GetLoginStatus() = 0;
    // Callbacks are not owned and must outlive their answer.
    virtual void Login(const V2TIMString& userID, const V2TIMString& userSig, V2TIMCallback* callback) = 0;
    virtual void CreateGroup(const V2TIMString& groupType, const V2TIMString& groupID,
                             const V2TIMString& groupName, V2TIMValueCallback<V2TIMString>* callback) = 0;
    virtual void JoinGroup(const V2TIMString& groupID, const V2TIMString& message,
                           V2TIMCallback* callback) = 0;
    virtual V2TIMMessageManager* GetMessageManager() = 0;
    virtual V2TIMGroupManager* GetGroupManager() = 0;
};
