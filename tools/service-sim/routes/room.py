"""The room channel (WebSocket) and the endpoints that set it up.

The WebSocket is served at "/" (the default room address once every host points at the simulator)
and at /ws/room (the address the account configuration hands out). Every received text frame is
logged with sim.log_frame. Other route modules can reach the rooms through sim.room_broadcast
(room id, JSON object) and sim.room_state().

Control API:
    POST /_sim/room/config         {"live_wss", "ping_interval", "room_id", "enter_msg_switch", "leave_room_reminder"}
    POST /_sim/room/host           {"wechat_user_space_id", "name", "photo"}: who a login token stands for
    POST /_sim/room/push           {"room_id"?, "frame": object or text}: send to the room (or every socket)
    POST /_sim/room/close          {"room_id"?, "code"?, "abort"?, "stall_handshakes"?}: close the room's
                                   sockets (or all) with a close code (1001 by default) or without a
                                   closing handshake ("abort"); the next "stall_handshakes" opening
                                   handshakes are then left unanswered until the client gives up;
                                   with "on_next_frame" each socket is dropped when its next frame
                                   arrives, and that frame is not taken
    POST /_sim/room/chatter        {"room_id", "rate", "viewers"?}: viewers say numbered messages in the
                                   room, `rate` a second (0 stops), whether or not anyone listens;
                                   answers "said", the messages of the chatter it replaced
    GET  /_sim/room/connections    every socket since the last reset: "conn", "room_id", "logins" (its
                                   "login" frames), "open", "delivered" (insert ids of the others'
                                   "say" messages written to it, in order), "confirmed" (how many of
                                   those preceded the last "ping" it answered), "unanswered" (pings
                                   not answered yet); and "stalled" (handshakes left unanswered)
    POST /_sim/room/viewer/enter   {"room_id", "wechat_user_space_id", "name", "photo"?, ...}: "login" and
                                   "upordown_single" "up"; the viewer gets a numeric client_id (kept
                                   when it enters again) and its online entry a textual wus_id
    POST /_sim/room/viewer/leave   {"room_id", "wechat_user_space_id"}
    POST /_sim/room/viewers/bulk   {"room_id", "count", "first_id"?}: `count` viewers (space ids from
                                   first_id, default 100000, names "观众<id>") are online at once,
                                   without any message to the room (a busy room's online list)
    POST /_sim/room/viewer/say     {"room_id", "wechat_user_space_id", "text" | "img_src", "msg_type"?, "to_nick"?,
                                    "to_wechat_user_space_id"?, "quote_content"?}
    POST /_sim/room/delete         {"room_id", "row_id"}: broadcast "row_delete"
    POST /_sim/room/history        {"room_id", "messages"?: [{"text", "wechat_user_space_id"?, "name"?, "id"?}],
                                    "top_message"?: object or null, "page_size"?}: older messages
                                    (oldest first) before what the room holds, the pinned message,
                                    the page size of the history endpoint
    GET  /_sim/room/state

History, deletion and mute-all (open API):
    POST /Wx/Interact/getChatRecord       appid, chat_page (from 1): the room's messages, newest page
                                          first and newest first within a page; "data" [] past the
                                          end; "top_message" the pinned message or null. A fresh
                                          room has none.
    POST /liveSystem/Room/deleteMessage   room_id, uid, wechat_user_space_id, msg_id: removes the
                                          message and broadcasts "row_delete"
    POST /MiniProgram/Live/shutUpAll      room_id, uid, action: recorded (the host's client tells
                                          the room through "shut_up_all")
Refusals go through /_sim/script.

Other route modules answer further kinds of frames by adding a coroutine
handler(room, message, reply) to sim.room_frame_handlers (reply(text) answers the sender).
"""
import asyncio
import collections
import itertools
import json
import time

from aiohttp import WSMsgType, web

from simlib import envelope, json_reply, read_form, read_json_object

WS_PATH = "/ws/room"


class Conn:
    def __init__(self, conn_id, ws, request):
        self.id = conn_id
        self.request = request
        self.client_id = "c%04d" % conn_id
        self.ws = ws
        self.room_id = None
        self.user = None  # identity after "login"
        self.logins = 0
        self.delivered = []  # insert ids of others' "say" messages written to the socket
        self.ping_marks = collections.deque()  # len(delivered) when each unanswered "ping" went out
        self.confirmed = 0  # delivered messages the client had read before its last "pong"
        self.drop_on_frame = None  # how to drop the socket when its next frame arrives


class Room:
    def __init__(self, room_id):
        self.room_id = room_id
        self.viewers = {}  # space id (int) -> viewer dict
        self.messages = []  # chat objects as broadcast
        self.enter_msg_switch = "1"
        self.leave_room_reminder = "1"
        self.shut_up_all = "0"
        self.top = None
        self.cohosts = []  # objects of "get_trtc_online_list"
        self.page_size = 20  # messages per history page
        self.shut_up_all_actions = []  # "action" of every shutUpAll request


class RoomState:
    def __init__(self):
        self.rooms = {}
        self.live_wss = None  # None: this simulator's own /ws/room
        self.ping_interval = 25.0
        self.host = {"wechat_user_space_id": 10001, "name": "演示主播", "photo": ""}
        self.ws_tokens = {}  # room id -> co-host link token
        self.msg_ids = itertools.count(1001)
        self.token_ids = itertools.count(1)
        self.client_ids = itertools.count(3001)  # viewers' connection ids (numbers, as the room gives them)

    def room(self, room_id):
        key = str(room_id)
        if key not in self.rooms:
            self.rooms[key] = Room(key)
        return self.rooms[key]


def now_texts():
    t = time.time()
    return int(t), time.strftime("%Y-%m-%d %H:%M:%S", time.localtime(t)), time.strftime("%H:%M", time.localtime(t))


def setup(app, sim):
    conns = {}  # conn id -> Conn; sockets survive a reset of the area state only until closed
    conn_ids = itertools.count(1)
    seen = []  # every Conn since the last reset, closed ones too
    # handshakes still to leave unanswered, those left so far, and the reset count that frees them
    stalls = {"pending": 0, "stalled": 0, "epoch": 0}
    chatters = {}  # room id -> [task, messages said] of /_sim/room/chatter

    def st():
        return sim.area("room", RoomState)

    def identity(token):
        # Who a login token stands for: a lookup another module offers, the login module's signed-in
        # account, or the host set through /_sim/room/host.
        acct = None
        lookup = getattr(sim, "account_for_token", None)
        if callable(lookup):
            acct = lookup(token)
        if not acct:
            login = sim.state.get("login")
            signed_in = login.get("account") if isinstance(login, dict) else None
            if isinstance(signed_in, dict) and token and signed_in.get("token") == token:
                acct = signed_in
        if acct:
            return {
                "wechat_user_space_id": int(acct.get("wechat_user_space_id", 0)),
                "name": acct.get("name", ""),
                "photo": acct.get("photo", ""),
                "is_host": True,
            }
        h = dict(st().host)
        h["is_host"] = True
        if not h.get("photo"):
            h["photo"] = sim.base_url + "/pic/64x64/host"
        return h

    def room_conns(room_id):
        return [c for c in conns.values() if room_id is None or c.room_id == str(room_id)]

    async def send_text(conn, text, obj=None):
        if conn.ws.closed:
            return False
        try:
            await conn.ws.send_str(text)
        except (ConnectionError, RuntimeError):
            return False
        # What the socket was given, for the drills that check nothing delivered went missing.
        kind = obj.get("type") if isinstance(obj, dict) else None
        if kind == "say" and not (conn.user and obj.get("wechat_user_space_id") == conn.user["wechat_user_space_id"]):
            conn.delivered.append(str(obj.get("insert_id", "")))
        elif kind == "ping":
            conn.ping_marks.append(len(conn.delivered))
        return True

    async def broadcast(room_id, obj):
        text = obj if isinstance(obj, str) else json.dumps(obj, ensure_ascii=False)
        sent = 0
        for c in room_conns(room_id):
            if await send_text(c, text, obj if isinstance(obj, dict) else None):
                sent += 1
        return sent

    sim.room_broadcast = broadcast
    sim.room_state = st

    def viewer_info(room, v):
        return {
            "client_id": v["client_id"],
            "wus_id": str(v["wechat_user_space_id"]),  # the room gives the space id as text
            "client_name": v["name"],
            "client_photo": v.get("photo", ""),
            "is_shut_up": v.get("is_shut_up", 0),
            "is_forbid": v.get("is_forbid", 0),
            "is_shield": v.get("is_shield", False),
            "terminal": v.get("terminal", "微信小程序"),
            "ip_location": v.get("ip_location", "广东"),
            "role_desc": v.get("role_desc", ""),
            "invite_name": v.get("invite_name", ""),
            "last_visit_time": v.get("last_visit_time", 0),
            "unionid": v.get("unionid", ""),
            "room_id": int(room.room_id) if room.room_id.isdigit() else 0,
            "tags": v.get("tags", []),
            "is_assistant": v.get("is_assistant", False),
            "is_admin": v.get("is_admin", False),
        }

    def chat_object(room, user, msg_type, inner, to_nick="", to_id="", user_source=""):
        t, date_time, chat_time = now_texts()
        is_host = user.get("is_host", False)
        return {
            "type": "say",
            "insert_id": str(next(st().msg_ids)),
            "room_id": room.room_id,
            "wechat_user_space_id": user["wechat_user_space_id"],
            "from_client_name": user.get("name", ""),
            "client_photo": user.get("photo", ""),
            "msg_type": msg_type,
            "content": inner,
            "to_nick": to_nick,
            "to_wechat_user_space_id": to_id,
            "user_source": user_source,
            "time": t,
            "date_time": date_time,
            "chat_time": chat_time,
            "is_masters": "1" if is_host else "0",
            "master_txt": "主播" if is_host else "",
            "tags": user.get("tags", []),
            "ip": "127.0.0.1",
            "msg_audit": 0,
            "need_audit": 0,
            "user_type": 1 if is_host else 0,
            "is_shield": False,
        }

    async def say_to_room(room, chat):
        room.messages.append(chat)
        await broadcast(room.room_id, chat)

    # ---- the socket ----

    async def handle_frame(conn, text):
        try:
            msg = json.loads(text)
        except ValueError:
            return
        if not isinstance(msg, dict):
            return
        kind = msg.get("type")
        s = st()
        if kind == "pong":
            if conn.ping_marks:
                conn.confirmed = conn.ping_marks.popleft()
            return
        if kind == "login":
            conn.logins += 1
            conn.room_id = str(msg.get("room_id", ""))
            conn.user = identity(msg.get("jwt_token", ""))
            room = s.room(conn.room_id)
            await broadcast(room.room_id, {
                "type": "login",
                "client_id": conn.client_id,
                "client_name": conn.user["name"],
                "wechat_user_space_id": conn.user["wechat_user_space_id"],
                "enter_msg_switch": room.enter_msg_switch,
                "online_num": len(room.viewers),
            })
            return
        if conn.room_id is None:
            return  # nothing but the login counts before the login
        room = s.room(conn.room_id)
        if kind == "say":
            content = msg.get("content") if isinstance(msg.get("content"), dict) else {}
            inner = content.get("content") if isinstance(content.get("content"), dict) else {}
            chat = chat_object(room, conn.user, content.get("msg_type", "speak"), inner,
                               msg.get("to_nick", ""), msg.get("to_wechat_user_space_id", ""),
                               msg.get("user_source", ""))
            await say_to_room(room, chat)
        elif kind == "top":
            out = dict(msg)
            # the room reads "is_top" as text: "1" pins
            out["is_top"] = str(msg.get("is_top", ""))
            room.top = out if out["is_top"] == "1" else None
            await broadcast(room.room_id, out)
        elif kind == "shut_up_all":
            room.shut_up_all = str(msg.get("is_shut_up_all", "0"))
            await broadcast(room.room_id, {"type": "shut_up_all", "is_shut_up_all": room.shut_up_all})
        elif kind == "get_online_list":
            await send_text(conn, json.dumps({
                "type": "get_online_list",
                "online_num": len(room.viewers),
                "data": [viewer_info(room, v) for v in room.viewers.values()],
            }, ensure_ascii=False))
        elif kind == "get_trtc_online_list":
            await send_text(conn, json.dumps({"type": "get_trtc_online_list", "data": room.cohosts},
                                             ensure_ascii=False))
        elif kind == "trtc_login":
            ok = bool(msg.get("token")) and msg.get("token") == s.ws_tokens.get(room.room_id)
            await send_text(conn, json.dumps({"type": "r_trtc_login", "code": 200 if ok else 400,
                                              "err_msg": "" if ok else "连麦令牌无效"}, ensure_ascii=False))
        else:
            # Other areas answer some kinds (the co-host link: "trtc_agree", "trtc_remove"); "pong"
            # and the rest are only logged.
            handler = getattr(sim, "room_frame_handlers", {}).get(kind)
            if handler is not None:
                await handler(room, msg, lambda text: send_text(conn, text))

    async def pinger(conn):
        while not conn.ws.closed:
            interval = st().ping_interval
            if interval and interval > 0:
                await asyncio.sleep(interval)
                if not conn.ws.closed and interval == st().ping_interval:
                    await send_text(conn, '{"type":"ping"}', {"type": "ping"})
            else:
                await asyncio.sleep(0.5)

    async def stall(request):
        # The request was read; no answer comes until the client gives up (or a reset).
        stalls["stalled"] += 1
        epoch = stalls["epoch"]
        while request.transport is not None and not request.transport.is_closing() and epoch == stalls["epoch"]:
            await asyncio.sleep(0.1)
        return web.Response(status=503)

    async def websocket(request):
        ws = web.WebSocketResponse(autoping=True)
        if not ws.can_prepare(request).ok:
            return web.Response(status=404, text="not a WebSocket request")
        if stalls["pending"] > 0:
            stalls["pending"] -= 1
            return await stall(request)
        await ws.prepare(request)
        conn = Conn(next(conn_ids), ws, request)
        conns[conn.id] = conn
        seen.append(conn)
        ping_task = asyncio.ensure_future(pinger(conn))
        try:
            async for m in ws:
                if m.type == WSMsgType.TEXT:
                    sim.log_frame(conn.id, m.data)
                    if conn.drop_on_frame is not None:
                        # The drop catches this frame on the wire: the room never takes it.
                        how, conn.drop_on_frame = conn.drop_on_frame, None
                        await drop_conn(conn, how)
                        break
                    await handle_frame(conn, m.data)
                elif m.type == WSMsgType.ERROR:
                    break
        finally:
            ping_task.cancel()
            conns.pop(conn.id, None)
        return ws

    app.router.add_get("/", websocket)
    app.router.add_get(WS_PATH, websocket)

    # ---- set-up endpoints ----

    async def account_config(request):
        live_wss = st().live_wss
        if live_wss is None:
            live_wss = sim.base_url.replace("http://", "ws://", 1) + WS_PATH
        return json_reply(envelope({"live_wss": live_wss}))

    async def set_ws_token(request):
        form = await read_form(request)
        room_id = str(form.get("room_id", ""))
        if form.get("type") != "main_broad" or not room_id:
            return json_reply(envelope(None, code=400, msg="参数错误"))
        token = sim.secret("wst-%s-%d" % (room_id, next(st().token_ids)))
        st().ws_tokens[room_id] = token
        return json_reply(envelope(token))

    app.router.add_get("/liveSystem/Account/getAccountConfig", account_config)
    app.router.add_post("/MiniProgram/PushFlow/setWsToken", set_ws_token)

    # ---- control ----

    async def ctl_config(request):
        b = await read_json_object(request)
        s = st()
        if "live_wss" in b:
            s.live_wss = b["live_wss"]
        if "ping_interval" in b:
            s.ping_interval = float(b["ping_interval"])
        if "room_id" in b:
            room = s.room(b["room_id"])
            for key in ("enter_msg_switch", "leave_room_reminder"):
                if key in b:
                    setattr(room, key, b[key])
            if "cohosts" in b:
                room.cohosts = list(b["cohosts"])
        return web.json_response({"ok": True})

    async def ctl_host(request):
        b = await read_json_object(request)
        st().host.update({k: b[k] for k in ("wechat_user_space_id", "name", "photo") if k in b})
        return web.json_response({"ok": True})

    async def ctl_push(request):
        b = await read_json_object(request)
        frame = b.get("frame", "")
        sent = await broadcast(b.get("room_id"), frame)
        return web.json_response({"ok": True, "sent": sent})

    async def drop_conn(c, how):
        if how.get("abort"):
            # no closing handshake: the peer sees the connection drop
            if c.request.transport is not None:
                c.request.transport.close()
        else:
            await c.ws.close(code=int(how.get("code", 1001)))

    async def ctl_close(request):
        b = await read_json_object(request)
        targets = room_conns(b.get("room_id"))
        stalls["pending"] = max(0, int(b.get("stall_handshakes", 0)))
        for c in targets:
            if b.get("on_next_frame"):
                c.drop_on_frame = b
            else:
                await drop_conn(c, b)
        return web.json_response({"ok": True, "closed": len(targets)})

    async def ctl_viewer_enter(request):
        b = await read_json_object(request)
        room = st().room(b.get("room_id", ""))
        wid = int(b.get("wechat_user_space_id", 0))
        v = {k: b[k] for k in b if k not in ("room_id",)}
        v["wechat_user_space_id"] = wid
        v.setdefault("name", "观众%d" % wid)
        v.setdefault("photo", sim.base_url + "/pic/64x64/v%d" % wid)
        old = room.viewers.get(wid)
        v["client_id"] = old["client_id"] if old else next(st().client_ids)
        room.viewers[wid] = v
        await broadcast(room.room_id, {"type": "login", "client_id": v["client_id"], "client_name": v["name"],
                                       "wechat_user_space_id": wid, "enter_msg_switch": room.enter_msg_switch,
                                       "online_num": len(room.viewers)})
        await broadcast(room.room_id, {"type": "upordown_single", "type_info": "up", "online_num": len(room.viewers),
                                       "client_info": viewer_info(room, v)})
        return web.json_response({"ok": True, "client_id": v["client_id"]})

    async def ctl_viewers_bulk(request):
        b = await read_json_object(request)
        room = st().room(b.get("room_id", ""))
        first = int(b.get("first_id", 100000))
        count = max(0, min(int(b.get("count", 0)), 200000))
        for wid in range(first, first + count):
            old = room.viewers.get(wid)
            room.viewers[wid] = {"wechat_user_space_id": wid, "name": "观众%d" % wid,
                                 "photo": sim.base_url + "/pic/64x64/v%d" % wid,
                                 "client_id": old["client_id"] if old else next(st().client_ids)}
        return web.json_response({"ok": True, "online_num": len(room.viewers)})

    async def ctl_viewer_leave(request):
        b = await read_json_object(request)
        room = st().room(b.get("room_id", ""))
        wid = int(b.get("wechat_user_space_id", 0))
        v = room.viewers.pop(wid, None)
        if v is None:
            return web.json_response({"ok": False})
        await broadcast(room.room_id, {"type": "logout", "client_id": v["client_id"], "from_client_name": v["name"],
                                       "leave_room_reminder": room.leave_room_reminder,
                                       "online_num": len(room.viewers)})
        await broadcast(room.room_id, {"type": "upordown_single", "type_info": "down",
                                       "online_num": len(room.viewers), "client_info": viewer_info(room, v)})
        return web.json_response({"ok": True})

    async def ctl_viewer_say(request):
        b = await read_json_object(request)
        room = st().room(b.get("room_id", ""))
        wid = int(b.get("wechat_user_space_id", 0))
        v = room.viewers.get(wid) or {"wechat_user_space_id": wid, "name": b.get("name", "观众%d" % wid),
                                      "photo": b.get("photo", sim.base_url + "/pic/64x64/v%d" % wid)}
        if "img_src" in b:
            msg_type, inner = b.get("msg_type", "image"), {"img_src": b["img_src"]}
        else:
            inner = {"content": b.get("text", "")}
            if b.get("quote_content"):
                inner["quote_content"] = b["quote_content"]
            msg_type = b.get("msg_type", "at" if b.get("to_nick") else "speak")
        chat = chat_object(room, v, msg_type, inner, b.get("to_nick", ""),
                           str(b.get("to_wechat_user_space_id", "")))
        await say_to_room(room, chat)
        return web.json_response({"ok": True, "insert_id": chat["insert_id"]})

    async def ctl_delete(request):
        b = await read_json_object(request)
        room = st().room(b.get("room_id", ""))
        row_id = str(b.get("row_id", ""))
        room.messages = [m for m in room.messages if m.get("insert_id") != row_id]
        sent = await broadcast(room.room_id, {"type": "row_delete", "row_id": row_id})
        return web.json_response({"ok": True, "sent": sent})

    async def ctl_history(request):
        b = await read_json_object(request)
        room = st().room(b.get("room_id", ""))
        older = []
        for m in b.get("messages", []):
            wid = int(m.get("wechat_user_space_id", 7))
            user = {"wechat_user_space_id": wid, "name": m.get("name", "观众%d" % wid),
                    "photo": sim.base_url + "/pic/64x64/v%d" % wid}
            chat = chat_object(room, user, "speak", {"content": m.get("text", "")})
            if "id" in m:
                chat["insert_id"] = str(m["id"])
            older.append(chat)
        room.messages = older + room.messages
        if "top_message" in b:
            room.top = b["top_message"]
        if "page_size" in b:
            room.page_size = max(1, int(b["page_size"]))
        return web.json_response({"ok": True, "ids": [c["insert_id"] for c in older]})

    async def chat_record(request):
        form = await read_form(request)
        room = st().room(form.get("appid", ""))
        try:
            page = int(form.get("chat_page", "1"))
        except ValueError:
            page = 0
        if page < 1:
            return json_reply(envelope(None, code=400, msg="参数错误"))
        newest_first = list(reversed(room.messages))
        data = newest_first[(page - 1) * room.page_size:page * room.page_size]
        reply = envelope(data)
        reply["top_message"] = room.top
        return json_reply(reply)

    async def delete_message(request):
        form = await read_form(request)
        room_id, msg_id = str(form.get("room_id", "")), str(form.get("msg_id", ""))
        if not room_id or not msg_id or not form.get("uid"):
            return json_reply(envelope(None, code=400, msg="参数错误"))
        room = st().room(room_id)
        room.messages = [m for m in room.messages if m.get("insert_id") != msg_id]
        await broadcast(room.room_id, {"type": "row_delete", "row_id": msg_id})
        return json_reply(envelope(None))

    async def shut_up_all(request):
        form = await read_form(request)
        room_id, action = str(form.get("room_id", "")), str(form.get("action", ""))
        if not room_id or action not in ("0", "1") or not form.get("uid"):
            return json_reply(envelope(None, code=400, msg="参数错误"))
        st().room(room_id).shut_up_all_actions.append(action)
        return json_reply(envelope(None))

    app.router.add_post("/Wx/Interact/getChatRecord", chat_record)
    app.router.add_post("/liveSystem/Room/deleteMessage", delete_message)
    app.router.add_post("/MiniProgram/Live/shutUpAll", shut_up_all)

    async def chatter(room_id, rate, viewers, said):
        n = 0
        start = time.time()
        while True:
            # Paced from the start, so a late message does not push back all later ones.
            delay = start + n / rate - time.time()
            if delay > 0:
                await asyncio.sleep(delay)
            room = st().room(room_id)
            wid = 20001 + n % viewers
            n += 1
            said[0] = n
            v = {"wechat_user_space_id": wid, "name": "观众%d" % wid, "photo": sim.base_url + "/pic/64x64/v%d" % wid}
            await say_to_room(room, chat_object(room, v, "speak", {"content": "chatter %d" % n}))

    async def ctl_chatter(request):
        b = await read_json_object(request)
        room_id = str(b.get("room_id", ""))
        old = chatters.pop(room_id, None)
        if old is not None:
            old[0].cancel()
        rate = float(b.get("rate", 0) or 0)
        if rate > 0 and room_id:
            said = [0]
            task = asyncio.ensure_future(chatter(room_id, rate, max(1, int(b.get("viewers", 3))), said))
            chatters[room_id] = [task, said]
        return web.json_response({"ok": True, "said": old[1][0] if old else 0})

    async def ctl_connections(request):
        return web.json_response({
            "connections": [{"conn": c.id, "room_id": c.room_id, "logins": c.logins, "open": not c.ws.closed,
                             "delivered": c.delivered, "confirmed": c.confirmed,
                             "unanswered": len(c.ping_marks)} for c in seen],
            "stalled": stalls["stalled"],
        })

    async def ctl_state(request):
        s = st()
        return web.json_response({
            "connections": [{"conn": c.id, "room_id": c.room_id, "logged_in": c.user is not None}
                            for c in conns.values()],
            "rooms": {rid: {"viewers": list(r.viewers.keys()), "messages": len(r.messages),
                            "shut_up_all": r.shut_up_all, "ws_token": s.ws_tokens.get(rid, ""),
                            "shut_up_all_actions": r.shut_up_all_actions,
                            "message_ids": [m.get("insert_id") for m in r.messages],
                            "top": r.top}
                      for rid, r in s.rooms.items()},
        })

    app.router.add_post("/_sim/room/config", ctl_config)
    app.router.add_post("/_sim/room/host", ctl_host)
    app.router.add_post("/_sim/room/push", ctl_push)
    app.router.add_post("/_sim/room/close", ctl_close)
    app.router.add_post("/_sim/room/viewer/enter", ctl_viewer_enter)
    app.router.add_post("/_sim/room/viewer/leave", ctl_viewer_leave)
    app.router.add_post("/_sim/room/viewers/bulk", ctl_viewers_bulk)
    app.router.add_post("/_sim/room/viewer/say", ctl_viewer_say)
    app.router.add_post("/_sim/room/delete", ctl_delete)
    app.router.add_post("/_sim/room/history", ctl_history)
    app.router.add_get("/_sim/room/state", ctl_state)
    app.router.add_post("/_sim/room/chatter", ctl_chatter)
    app.router.add_get("/_sim/room/connections", ctl_connections)

    def on_reset():
        # A reset starts from no connections, so a test never inherits another's sockets.
        for c in list(conns.values()):
            asyncio.ensure_future(c.ws.close(code=1001))
        seen.clear()
        stalls.update(pending=0, stalled=0, epoch=stalls["epoch"] + 1)
        for task, _ in chatters.values():
            task.cancel()
        chatters.clear()

    sim.on_reset(on_reset)
