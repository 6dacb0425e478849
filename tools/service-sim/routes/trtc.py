"""The real-time room cloud on loopback: user signatures, rooms, custom media, the cloud mix.

    POST /Tencent/getTrtcUsig   form uid, room_id -> {"code": 200, "data": {"app_id", "sig"}}
                                (the signature: 300 characters bound to uid)

Control channel: WebSocket /loopback/trtc, one session per socket, JSON text frames.
  client -> cloud  {"op": <call>, fields}:
    enterRoom {sdk_app_id, user_id, user_sig, room_id, role, scene}, exitRoom,
    startPublishMediaStream {target, encode, mix}, updatePublishMediaStream {task_id, target,
    encode, mix}, stopPublishMediaStream {task_id}, startRemoteView / updateRemoteView {user_id,
    stream, view}, stopRemoteView {user_id, stream}, setRemoteRenderParams {user_id, stream,
    rotation, fill_mode, mirror_type}, muteRemoteAudio {user_id, mute}, and the local settings
    (setCustomVideoCapture, setCustomAudioCapture, muteLocalVideo, muteLocalAudio,
    setVideoEncoderParams), which are only logged.
  cloud -> client  {"ev": <callback>, args}:
    onEnterRoom {result, media}: result > 0 entered (media: the token of the media channel),
    otherwise refused (-1 unknown app id, -2 bad signature, -3 not signed in / malformed);
    onExitRoom {reason}; onRemoteUserEnterRoom / onRemoteUserLeaveRoom {user_id};
    onUserVideoAvailable / onUserAudioAvailable {user_id, available};
    onStartPublishMediaStream {task_id, code, message} ("task-N" and 0, or "" and the refusal);
    onUpdatePublishMediaStream / onStopPublishMediaStream {task_id, code, message}.

Media channel: WebSocket /loopback/trtc/media?token=T, binary frames both ways:
    "SVMF", u8 kind (1 I420 video, 2 PCM audio), u8 stream, u16 user-id length,
    u32 width or sample rate, u32 height or channels, u64 timestamp (little-endian),
    then the user id (frames from the cloud name their sender), then the payload.
The client's frames are counted per user; a frame whose payload does not fit its header is
counted as dropped. Users added by the control API send their colour (320 x 180, a white bar on
the left eighth so a mirrored view can be told apart) at 10 fps to every session that views them.

Control:
    GET  /_sim/trtc               state: rooms, sessions, mixes (in the order started), op log
                                  (signatures left out), frame totals and drops per user
    GET  /_sim/trtc/frame?user=U  the user's last video frame as PNG (&format=raw: the I420 bytes)
    POST /_sim/trtc/user          {room_id, user_id, video, audio, leave?}: a remote user joins,
                                  changes what it sends, or leaves
    POST /_sim/trtc/script        {"enter_result": N} the next entry's result, {"publish_code": N}
                                  the next publication's code, {"stall_media": bool} stop reading
                                  (or read again) the media channels
"""
import asyncio
import hashlib
import itertools
import json
import secrets
import struct
import zlib

from aiohttp import WSMsgType, web

from simlib import _rgb_png, colour_of, envelope, json_objects, json_reply, read_form

APP_ID = 1400188866
SECRET = b"solvek-sim-trtc"
SIG_LENGTH = 300
HEADER = struct.Struct("<4sBBHIIQ")
MAGIC = b"SVMF"
KIND_VIDEO = 1
KIND_AUDIO = 2
INJECT_W, INJECT_H, INJECT_FPS = 320, 180, 10
MAX_FRAME_BYTES = 64 * 1024 * 1024


def user_sig(uid):
    out = ""
    i = 0
    while len(out) < SIG_LENGTH:
        out += hashlib.sha256(SECRET + uid.encode("utf-8") + str(i).encode()).hexdigest()
        i += 1
    return out[:SIG_LENGTH]


def rgb_to_yuv(rgb):
    r, g, b = rgb
    y = int(round(16 + 0.257 * r + 0.504 * g + 0.098 * b))
    u = int(round(128 - 0.148 * r - 0.291 * g + 0.439 * b))
    v = int(round(128 + 0.439 * r - 0.368 * g - 0.071 * b))
    clamp = lambda x: max(0, min(255, x))
    return clamp(y), clamp(u), clamp(v)


def i420_picture(width, height, rgb, bar_rgb=None, bar_width=0):
    """A solid I420 picture, optionally with a bar of another colour on the left."""
    y, u, v = rgb_to_yuv(rgb)
    if bar_rgb and bar_width:
        by, bu, bv = rgb_to_yuv(bar_rgb)
        row_y = bytes([by]) * bar_width + bytes([y]) * (width - bar_width)
        row_u = bytes([bu]) * (bar_width // 2) + bytes([u]) * (width // 2 - bar_width // 2)
        row_v = bytes([bv]) * (bar_width // 2) + bytes([v]) * (width // 2 - bar_width // 2)
    else:
        row_y, row_u, row_v = bytes([y]) * width, bytes([u]) * (width // 2), bytes([v]) * (width // 2)
    return row_y * height + row_u * (height // 2) + row_v * (height // 2)


def i420_to_png(width, height, data):
    cw = (width + 1) // 2
    ch = (height + 1) // 2
    yp = data[:width * height]
    up = data[width * height:width * height + cw * ch]
    vp = data[width * height + cw * ch:width * height + 2 * cw * ch]
    z = zlib.compressobj(6)
    chunks = []
    clamp = lambda x: 0 if x < 0 else (255 if x > 255 else int(x))
    for row in range(height):
        line = bytearray(b"\x00")
        crow = (row // 2) * cw
        for col in range(width):
            c = yp[row * width + col] - 16
            d = up[crow + col // 2] - 128
            e = vp[crow + col // 2] - 128
            line += bytes((clamp(1.164 * c + 1.596 * e), clamp(1.164 * c - 0.392 * d - 0.813 * e),
                           clamp(1.164 * c + 2.017 * d)))
        chunks.append(z.compress(bytes(line)))
    chunks.append(z.flush())
    return _rgb_png(width, height, b"".join(chunks))


class Session:
    def __init__(self, sid, ws):
        self.id = sid
        self.ws = ws
        self.user_id = None
        self.room_id = None
        self.entered = False
        self.media_token = None
        self.media = None  # the media WebSocket
        self.views = {}    # user id -> view id
        self.render = {}   # user id -> render parameters
        self.muted_audio = set()

    def describe(self):
        return {"id": self.id, "user_id": self.user_id, "room_id": self.room_id, "entered": self.entered,
                "media": self.media is not None, "views": dict(self.views), "render": dict(self.render),
                "muted_audio": sorted(self.muted_audio)}


def fresh_state():
    return {
        "rooms": {},        # room id (text) -> {user id: {"video", "audio", "injected"}}
        "mixes": [],
        "ops": [],
        "frames": {},       # user id -> counters
        "last": {},         # user id -> (width, height, bytes)
        "digests": {},      # user id -> running sha256 of video payloads
        "enter_results": [],
        "publish_codes": [],
        "stall": False,
        "task_ids": itertools.count(1),
    }


def setup(app, sim):
    sessions = {}
    session_ids = itertools.count(1)
    pictures = {}

    def st():
        return sim.area("trtc", fresh_state)

    def log_op(session, msg):
        entry = {k: v for k, v in msg.items() if k != "user_sig"}
        if "user_sig" in msg:
            entry["user_sig_length"] = len(str(msg.get("user_sig", "")))
        entry["session"] = session.id
        st()["ops"].append(entry)

    def room_users(room_id):
        return st()["rooms"].setdefault(str(room_id), {})

    async def emit(session, ev, **args):
        if session.ws.closed:
            return
        out = {"ev": ev}
        out.update(args)
        try:
            await session.ws.send_str(json.dumps(out, ensure_ascii=False))
        except (ConnectionError, RuntimeError):
            pass

    def sessions_in(room_id, but=None):
        return [s for s in sessions.values() if s.entered and s.room_id == room_id and s is not but]

    def counters(uid):
        return st()["frames"].setdefault(uid, {"video": 0, "audio": 0, "video_bytes": 0, "audio_bytes": 0,
                                                "dropped": 0, "width": 0, "height": 0})

    # ---- signature ----
    async def get_usig(request):
        if not request.headers.get("openapitoken", "").strip():
            return json_reply(envelope(code=401, msg="请先登录"))
        form = await read_form(request)
        uid = form.get("uid", "")
        if not uid or not form.get("room_id", "").strip():
            return json_reply(envelope(code=400, msg="参数错误"))
        return json_reply(envelope({"app_id": APP_ID, "sig": sim.secret(user_sig(uid))}))

    # ---- control channel ----
    async def leave(session, reason=0, notify=True):
        if not session.entered:
            return
        s = st()
        for mix in s["mixes"]:
            if mix["session"] == session.id and mix["running"]:
                mix["running"] = False
        room_users(session.room_id).pop(session.user_id, None)
        for other in sessions_in(session.room_id, but=session):
            await emit(other, "onRemoteUserLeaveRoom", user_id=session.user_id, reason=0)
        session.entered = False
        session.views.clear()
        if session.media is not None:
            await session.media.close()
            session.media = None
        if notify:
            await emit(session, "onExitRoom", reason=reason)

    async def op_enter(session, msg):
        s = st()
        uid = str(msg.get("user_id", ""))
        room_id = msg.get("room_id")
        if session.entered:
            await leave(session, notify=False)
        if s["enter_results"]:
            result = s["enter_results"].pop(0)
        elif not isinstance(room_id, int) or room_id <= 0 or not uid:
            result = -3
        elif msg.get("sdk_app_id") != APP_ID:
            result = -1
        elif msg.get("user_sig") != user_sig(uid):
            result = -2
        else:
            result = 120
        if result <= 0:
            await emit(session, "onEnterRoom", result=result, media="")
            return
        session.user_id = uid
        session.room_id = str(room_id)
        session.entered = True
        session.media_token = sim.secret(secrets.token_hex(16))
        room_users(session.room_id)[uid] = {"video": False, "audio": False, "injected": False}
        await emit(session, "onEnterRoom", result=result, media=session.media_token)
        for other_uid, user in list(room_users(session.room_id).items()):
            if other_uid == uid:
                continue
            await emit(session, "onRemoteUserEnterRoom", user_id=other_uid)
            if user.get("video"):
                await emit(session, "onUserVideoAvailable", user_id=other_uid, available=True)
            if user.get("audio"):
                await emit(session, "onUserAudioAvailable", user_id=other_uid, available=True)
        for other in sessions_in(session.room_id, but=session):
            await emit(other, "onRemoteUserEnterRoom", user_id=uid)

    def mix_record(msg):
        return {"target": msg.get("target"), "encode": msg.get("encode"),
                "layouts": (msg.get("mix") or {}).get("layouts", [])}

    async def op_start_publish(session, msg):
        s = st()
        if s["publish_codes"]:
            code = s["publish_codes"].pop(0)
        elif not session.entered:
            code = -4
        else:
            code = 0
        if code != 0:
            await emit(session, "onStartPublishMediaStream", task_id="", code=code, message="refused")
            return
        task = "task-%d" % next(s["task_ids"])
        mix = {"task_id": task, "session": session.id, "user_id": session.user_id, "room_id": session.room_id,
               "running": True, "updates": 0}
        mix.update(mix_record(msg))
        s["mixes"].append(mix)
        await emit(session, "onStartPublishMediaStream", task_id=task, code=0, message="")

    def find_mix(task_id):
        for mix in st()["mixes"]:
            if mix["task_id"] == task_id and mix["running"]:
                return mix
        return None

    async def op_update_publish(session, msg):
        task = str(msg.get("task_id", ""))
        mix = find_mix(task)
        if mix is None:
            await emit(session, "onUpdatePublishMediaStream", task_id=task, code=-5, message="no such task")
            return
        mix.update(mix_record(msg))
        mix["updates"] += 1
        await emit(session, "onUpdatePublishMediaStream", task_id=task, code=0, message="")

    async def op_stop_publish(session, msg):
        task = str(msg.get("task_id", ""))
        mix = find_mix(task)
        if mix is not None:
            mix["running"] = False
        await emit(session, "onStopPublishMediaStream", task_id=task, code=0 if mix else -5, message="")

    async def control(request):
        ws = web.WebSocketResponse(heartbeat=None, max_msg_size=4 * 1024 * 1024)
        await ws.prepare(request)
        session = Session(next(session_ids), ws)
        sessions[session.id] = session
        try:
            async for body in json_objects(ws):
                op = str(body.get("op", ""))
                log_op(session, body)
                if op == "enterRoom":
                    await op_enter(session, body)
                elif op == "exitRoom":
                    if session.entered:
                        await leave(session)
                    else:
                        await emit(session, "onExitRoom", reason=0)
                elif op == "startPublishMediaStream":
                    await op_start_publish(session, body)
                elif op == "updatePublishMediaStream":
                    await op_update_publish(session, body)
                elif op == "stopPublishMediaStream":
                    await op_stop_publish(session, body)
                elif op in ("startRemoteView", "updateRemoteView"):
                    session.views[str(body.get("user_id", ""))] = body.get("view")
                elif op == "stopRemoteView":
                    session.views.pop(str(body.get("user_id", "")), None)
                elif op == "setRemoteRenderParams":
                    session.render[str(body.get("user_id", ""))] = {
                        k: body.get(k) for k in ("rotation", "fill_mode", "mirror_type")}
                elif op == "muteRemoteAudio":
                    uid = str(body.get("user_id", ""))
                    (session.muted_audio.add if body.get("mute") else session.muted_audio.discard)(uid)
        finally:
            await leave(session, notify=False)
            sessions.pop(session.id, None)
        return ws

    # ---- media channel ----
    def take_frame(uid, data):
        c = counters(uid)
        if len(data) < HEADER.size:
            c["dropped"] += 1
            return
        magic, kind, _stream, uid_len, a, b, _ts = HEADER.unpack_from(data)
        payload = data[HEADER.size + uid_len:]
        if magic != MAGIC:
            c["dropped"] += 1
        elif kind == KIND_VIDEO:
            if a == 0 or b == 0 or a % 2 or b % 2 or len(payload) != a * b * 3 // 2:
                c["dropped"] += 1
                return
            c["video"] += 1
            c["video_bytes"] += len(payload)
            c["width"], c["height"] = a, b
            st()["last"][uid] = (a, b, bytes(payload))
            st()["digests"].setdefault(uid, hashlib.sha256()).update(payload)
        elif kind == KIND_AUDIO:
            if b == 0 or len(payload) % (2 * b):
                c["dropped"] += 1
                return
            c["audio"] += 1
            c["audio_bytes"] += len(payload)
        else:
            c["dropped"] += 1

    async def media(request):
        token = request.query.get("token", "")
        session = next((s for s in sessions.values() if s.entered and token and s.media_token == token), None)
        if session is None:
            raise web.HTTPForbidden()
        ws = web.WebSocketResponse(heartbeat=None, max_msg_size=MAX_FRAME_BYTES)
        await ws.prepare(request)
        if session.media is not None:
            await session.media.close()
        session.media = ws
        try:
            while True:
                while st()["stall"]:
                    await asyncio.sleep(0.05)
                msg = await ws.receive()
                if msg.type == WSMsgType.BINARY:
                    take_frame(session.user_id, msg.data)
                elif msg.type in (WSMsgType.CLOSE, WSMsgType.CLOSING, WSMsgType.CLOSED, WSMsgType.ERROR):
                    break
        finally:
            if session.media is ws:
                session.media = None
        return ws

    def injected_frame(uid):
        if uid not in pictures:
            uid_bytes = uid.encode("utf-8")
            head = HEADER.pack(MAGIC, KIND_VIDEO, 0, len(uid_bytes), INJECT_W, INJECT_H, 0)
            pictures[uid] = head + uid_bytes + i420_picture(INJECT_W, INJECT_H, colour_of(uid), (255, 255, 255),
                                                            INJECT_W // 8)
        return pictures[uid]

    async def pump():
        while True:
            await asyncio.sleep(1.0 / INJECT_FPS)
            for session in list(sessions.values()):
                if not session.entered or session.media is None or session.media.closed:
                    continue
                users = room_users(session.room_id)
                for uid in list(session.views):
                    user = users.get(uid)
                    if not user or not user.get("injected") or not user.get("video"):
                        continue
                    try:
                        await session.media.send_bytes(injected_frame(uid))
                    except (ConnectionError, RuntimeError):
                        pass

    async def start_pump(app_):
        app_["trtc_pump"] = asyncio.get_running_loop().create_task(pump())

    async def stop_pump(app_):
        app_["trtc_pump"].cancel()

    app.on_startup.append(start_pump)
    app.on_cleanup.append(stop_pump)

    # ---- control API ----
    async def ctl_state(request):
        s = st()
        frames = {}
        for uid, c in s["frames"].items():
            item = dict(c)
            if uid in s["digests"]:
                item["digest"] = s["digests"][uid].hexdigest()
            frames[uid] = item
        mixes = [{k: v for k, v in m.items()} for m in s["mixes"]]
        return web.json_response({"app_id": APP_ID, "rooms": s["rooms"], "stall": s["stall"],
                                  "sessions": [x.describe() for x in sessions.values()],
                                  "mixes": mixes, "ops": s["ops"], "frames": frames})

    async def ctl_frame(request):
        uid = request.query.get("user", "")
        last = st()["last"].get(uid)
        if last is None:
            raise web.HTTPNotFound()
        w, h, data = last
        if request.query.get("format") == "raw":
            return web.Response(body=data, content_type="application/octet-stream",
                                headers={"X-Width": str(w), "X-Height": str(h)})
        return web.Response(body=i420_to_png(w, h, data), content_type="image/png")

    async def set_user(room_id, uid, video=True, audio=True, leave=False):
        """A remote user joins, changes what it sends, or leaves (also used by the co-host link)."""
        room_id = str(room_id)
        users = room_users(room_id)
        if leave:
            if users.pop(uid, None) is not None:
                for session in sessions_in(room_id):
                    await emit(session, "onRemoteUserLeaveRoom", user_id=uid, reason=0)
            return
        before = users.get(uid)
        user = {"video": bool(video), "audio": bool(audio), "injected": True, "colour": list(colour_of(uid))}
        users[uid] = user
        for session in sessions_in(room_id):
            if before is None:
                await emit(session, "onRemoteUserEnterRoom", user_id=uid)
            for kind, ev in (("video", "onUserVideoAvailable"), ("audio", "onUserAudioAvailable")):
                if (before or {}).get(kind, False) != user[kind]:
                    await emit(session, ev, user_id=uid, available=user[kind])

    sim.trtc_set_user = set_user

    async def ctl_user(request):
        body = await request.json()
        await set_user(body.get("room_id", ""), str(body.get("user_id", "")), body.get("video", True),
                       body.get("audio", True), bool(body.get("leave")))
        return web.json_response({"ok": True})

    async def ctl_script(request):
        body = await request.json()
        s = st()
        if "enter_result" in body:
            s["enter_results"].append(int(body["enter_result"]))
        if "publish_code" in body:
            s["publish_codes"].append(int(body["publish_code"]))
        if "stall_media" in body:
            s["stall"] = bool(body["stall_media"])
        return web.json_response({"ok": True})

    app.router.add_post("/Tencent/getTrtcUsig", get_usig)
    app.router.add_get("/loopback/trtc", control)
    app.router.add_get("/loopback/trtc/media", media)
    app.router.add_get("/_sim/trtc", ctl_state)
    app.router.add_get("/_sim/trtc/frame", ctl_frame)
    app.router.add_post("/_sim/trtc/user", ctl_user)
    app.router.add_post("/_sim/trtc/script", ctl_script)
