"""What the host's chat sending relies on: the moderation pre-check of a chat text, the room's
sensitive-word list, the host's own viewer tags in a room and the account's client type.

    POST /Wx/Chat/BeforeSendMsg                        form content, roomId, uid, client_type
         -> {"data": {"pass": <configured, true by default>}}; false for a text containing a deny word
    POST /Wx/SolVek/SystemConfig/getSensitiveWordList  (empty form) -> {"data": {"list": [...]}}
         the words percent-encoded as UTF-8, as the service sends them
    POST /Wx/WechatUser/getTagInfo                     form room_id, wechat_user_space_id, uid
         -> {"data": [tag objects]}
    GET  /Mobile/Ucenter/appUserBase                   -> {"data": {"client_type": N, ...}}

Control:
    POST /_sim/chatsend/config  {"pass"?: any JSON value, "deny_words"?: [texts],
                                 "words"?: [texts], "raw_words"?: [any JSON, sent as they are],
                                 "tags"?: [tag objects], "client_type"?: any JSON value}
    GET  /_sim/chatsend/state   the configuration and the texts checked so far
    POST /_sim/chatsend/burst   {"room_id", "count", "wechat_user_space_id"?, "name"?, "photo"?, "rate"?}:
                                sends `count` viewer "say" messages to the room as fast as the sockets
                                take them, or `rate` a second when given; answers {"ok", "sent",
                                "seconds"} once all are out
Scripted replies of the generic control API (/_sim/script) override any of these.
"""
import asyncio
import itertools
import time
import urllib.parse

from aiohttp import web

from simlib import envelope, json_reply, read_form

DEFAULT_WORDS = ["违禁词", "广告"]
DEFAULT_TAGS = [{"id": 7, "title": "主播", "color": "#FF6131"}]
DEFAULT_CLIENT_TYPE = 2


class State:
    def __init__(self):
        self.pass_value = True
        self.deny_words = []
        self.words = list(DEFAULT_WORDS)
        self.raw_words = None  # when set, sent instead of the encoded words
        self.tags = [dict(t) for t in DEFAULT_TAGS]
        self.client_type = DEFAULT_CLIENT_TYPE
        self.checked = []  # forms of the pre-check, in arrival order
        self.burst_ids = itertools.count(1)


def setup(app, sim):
    def st():
        return sim.area("chatsend", State)

    async def before_send(request):
        form = await read_form(request)
        s = st()
        s.checked.append(form)
        text = form.get("content", "")
        if not text:
            return json_reply(envelope(None, code=400, msg="内容不能为空"))
        passed = s.pass_value
        if any(w and w in text for w in s.deny_words):
            passed = False
        return json_reply(envelope({"pass": passed}))

    async def word_list(request):
        s = st()
        if s.raw_words is not None:
            words = s.raw_words
        else:
            words = [urllib.parse.quote(w, safe="") for w in s.words]
        return json_reply(envelope({"list": words}))

    async def tag_info(request):
        form = await read_form(request)
        if not form.get("room_id") or not form.get("wechat_user_space_id"):
            return json_reply(envelope(None, code=400, msg="参数错误"))
        return json_reply(envelope(st().tags))

    async def user_base(request):
        return json_reply(envelope({"client_type": st().client_type, "nickname": "演示主播"}))

    app.router.add_post("/Wx/Chat/BeforeSendMsg", before_send)
    app.router.add_post("/Wx/SolVek/SystemConfig/getSensitiveWordList", word_list)
    app.router.add_post("/Wx/WechatUser/getTagInfo", tag_info)
    app.router.add_get("/Mobile/Ucenter/appUserBase", user_base)

    async def ctl_config(request):
        try:
            b = await request.json()
        except ValueError:
            b = {}
        s = st()
        if "pass" in b:
            s.pass_value = b["pass"]
        if "deny_words" in b:
            s.deny_words = [str(w) for w in b["deny_words"]]
        if "words" in b:
            s.words = [str(w) for w in b["words"]]
            s.raw_words = None
        if "raw_words" in b:
            s.raw_words = list(b["raw_words"])
        if "tags" in b:
            s.tags = list(b["tags"])
        if "client_type" in b:
            s.client_type = b["client_type"]
        return web.json_response({"ok": True})

    async def ctl_state(request):
        s = st()
        return web.json_response({"pass": s.pass_value, "deny_words": s.deny_words, "words": s.words,
                                  "tags": s.tags, "client_type": s.client_type, "checked": s.checked})

    async def ctl_burst(request):
        try:
            b = await request.json()
        except ValueError:
            b = {}
        room_id = str(b.get("room_id", ""))
        count = int(b.get("count", 0))
        wid = int(b.get("wechat_user_space_id", 7001))
        name = b.get("name", "观众%d" % wid)
        photo = b.get("photo", sim.base_url + "/pic/64x64/v%d" % wid)
        broadcast = getattr(sim, "room_broadcast", None)
        if broadcast is None or not room_id:
            return web.json_response({"ok": False})
        rate = float(b.get("rate", 0) or 0)
        start = time.time()
        sent = 0
        for i in range(count):
            if rate > 0:
                # Paced from the start, so a late message does not push back all later ones.
                delay = start + i / rate - time.time()
                if delay > 0:
                    await asyncio.sleep(delay)
            n = next(st().burst_ids)
            chat = {"type": "say", "insert_id": "b%d" % n, "room_id": room_id, "wechat_user_space_id": wid,
                    "from_client_name": name, "client_photo": photo, "msg_type": "speak",
                    "content": {"content": "第%d条消息 message %d" % (i + 1, n)},
                    "to_nick": "", "to_wechat_user_space_id": "", "user_source": "",
                    "time": int(start), "date_time": time.strftime("%Y-%m-%d %H:%M:%S"),
                    "chat_time": time.strftime("%H:%M"), "is_masters": "0", "master_txt": "",
                    "tags": [], "ip": "127.0.0.1", "msg_audit": 0, "need_audit": 0, "user_type": 0,
                    "is_shield": False}
            if await broadcast(room_id, chat):
                sent += 1
        return web.json_response({"ok": True, "sent": sent, "seconds": time.time() - start})

    app.router.add_post("/_sim/chatsend/burst", ctl_burst)
    app.router.add_post("/_sim/chatsend/config", ctl_config)
    app.router.add_get("/_sim/chatsend/state", ctl_state)
