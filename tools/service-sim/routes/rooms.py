"""The account's live rooms, their push addresses, and the share pictures of a room.

    POST /Mobile/Index/newRoomList     form push_status  -> {"code": 200, "data": [room, ...]}
    POST /liveSystem/live/getPushUrl   form room_id      -> {"code": 200, "data": {"push_url", "app_id"}}
    POST /LiveSystem/Live/getPushUrl   the same (the path the real-time room's publication asks)
    POST /liveSystem/live/share        form room_id, scene, uid, path, type
                                       -> {"code": 200, "data": {"img_url", "watch_url"}}
    POST /Mobile/Tools/qrCode          form content      -> a PNG whose colour follows the content
    GET  /wxacode/<room>.png           the room's mini-program code (a PNG)

The open-API calls need the "openapitoken" header. Push addresses are the simulator's RTMP base
(--rtmp) + "/" + the room's stream name, so a push goes to the local RTMP server; signed ones
(/_sim/rooms/signed) carry "?txSecret=<fresh secret>&txTime=<hex>" after the stream name, as a
CDN's signed address does.

Control:
    POST /_sim/rooms/set    {"rooms": [...]}: replaces the account's rooms; each element is sent
                            as given (ids may be numbers or text, ids may repeat); a room without
                            "push_status" counts as pushable
    POST /_sim/rooms/share  {"img_url", "watch_url", "mini_type", "qr_type", "mini_size",
                            "mini_endless"}: overrides of the share reply's addresses (a path is
                            taken relative to the simulator), of the pictures' content types, of
                            the mini-program code's size ([w, h]), and a mini-program code that
                            never ends (a PNG header, then bytes until the client goes)
    POST /_sim/rooms/signed {"on": bool}: push addresses from now on are signed or plain
    GET  /_sim/rooms/state  the rooms and the overrides
"""
import copy
import secrets
import time

from aiohttp import web

from simlib import colour_of, envelope, json_reply, png_bytes, read_form

# The demo account's rooms. "app_id" comes as numeric text, as the service sends it.
DEMO_ROOMS = [
    {"app_id": "10086", "push_app_nick": "新品发布会直播间", "live_type": 1,
     "push_app_stream": "sv10086", "push_status": 1, "cover": "/pic/320x180/room10086"},
    {"app_id": "10087", "push_app_nick": "连麦访谈直播间", "live_type": 5,
     "push_app_stream": "sv10087", "push_status": 1, "cover": "/pic/320x180/room10087"},
    {"app_id": "10088", "push_app_nick": "周末读书分享会", "live_type": 2,
     "push_app_stream": "sv10088", "push_status": 1, "cover": "/pic/320x180/room10088"},
    {"app_id": "10089", "push_app_nick": "春季课程回放", "live_type": 1,
     "push_app_stream": "sv10089", "push_status": 0, "cover": "/pic/320x180/room10089"},
]


def fresh_state():
    return {"rooms": copy.deepcopy(DEMO_ROOMS), "share": {}, "signed": False}


def as_int(value):
    try:
        return int(str(value).strip())
    except (TypeError, ValueError):
        return None


def setup(app, sim):
    def state():
        return sim.area("rooms", fresh_state)

    def absolute(url):
        return sim.base_url + url if url.startswith("/") else url

    def refused(msg, code=400):
        return json_reply(envelope(code=code, msg=msg))

    def signed_in(request):
        return bool(request.headers.get("openapitoken", "").strip())

    def find_room(room_id):
        for room in state()["rooms"]:
            if isinstance(room, dict) and as_int(room.get("app_id")) == room_id:
                return room
        return None

    def stream_name(room, room_id):
        return str(room.get("push_app_stream") or "sv%d" % room_id)

    async def room_list(request):
        if not signed_in(request):
            return refused("请先登录", 401)
        form = await read_form(request)
        wanted = as_int(form.get("push_status"))
        out = []
        for r in state()["rooms"]:
            if not isinstance(r, dict):
                out.append(r)  # a malformed element goes out as it was set
                continue
            if wanted is not None and as_int(r.get("push_status", 1)) != wanted:
                continue
            item = dict(r)
            if isinstance(item.get("cover"), str):
                item["cover"] = absolute(item["cover"])
            out.append(item)
        return json_reply(envelope(out))

    async def push_url(request):
        if not signed_in(request):
            return refused("请先登录", 401)
        form = await read_form(request)
        room_id = as_int(form.get("room_id"))
        room = find_room(room_id) if room_id is not None else None
        if room is None:
            return refused("直播间不存在")
        url = sim.rtmp_base.rstrip("/") + "/" + stream_name(room, room_id)
        if state()["signed"]:
            url += "?txSecret=%s&txTime=%X" % (sim.secret(secrets.token_hex(16)), int(time.time()) + 86400)
        return json_reply(envelope({"push_url": url, "app_id": room_id}))

    async def share(request):
        if not signed_in(request):
            return refused("请先登录", 401)
        form = await read_form(request)
        room_id = as_int(form.get("room_id"))
        if room_id is None or room_id < 0 or as_int(form.get("uid")) is None:
            return refused("参数错误")
        over = state()["share"]
        img_url = over.get("img_url", "/wxacode/%d.png" % room_id)
        watch_url = over.get("watch_url", "/h5/watch?room_id=%d&from=share" % room_id)
        return json_reply(envelope({"img_url": absolute(img_url), "watch_url": absolute(watch_url)}))

    async def qr_code(request):
        form = await read_form(request)
        content = form.get("content", "")
        if not content:
            return refused("content 不能为空")
        kind = state()["share"].get("qr_type", "image/png")
        return web.Response(body=png_bytes(200, 200, colour_of("qr:" + content)),
                            headers={"Content-Type": kind})

    async def mini_code(request):
        room = request.match_info["room"]
        over = state()["share"]
        kind = over.get("mini_type", "image/png")
        if over.get("mini_endless"):
            response = web.StreamResponse(headers={"Content-Type": kind})
            await response.prepare(request)
            chunk = bytes(256 * 1024)
            try:
                await response.write(png_bytes(1, 1)[:33])  # signature and header
                while True:
                    await response.write(chunk)
            except ConnectionError:
                pass
            return response
        w, h = over.get("mini_size", (280, 280))
        return web.Response(body=png_bytes(int(w), int(h), colour_of("mini:" + room)),
                            headers={"Content-Type": kind})

    async def ctl_set(request):
        spec = await request.json()
        state()["rooms"] = list(spec.get("rooms", []))
        return web.json_response({"ok": True})

    async def ctl_share(request):
        spec = await request.json()
        state()["share"].update({k: v for k, v in spec.items()
                                 if k in ("img_url", "watch_url", "mini_type", "qr_type",
                                          "mini_size", "mini_endless")})
        return web.json_response({"ok": True})

    async def ctl_signed(request):
        spec = await request.json()
        state()["signed"] = bool(spec.get("on"))
        return web.json_response({"ok": True})

    async def ctl_state(request):
        s = state()
        return web.json_response({"rooms": s["rooms"], "share": s["share"], "rtmp_base": sim.rtmp_base})

    app.router.add_post("/Mobile/Index/newRoomList", room_list)
    app.router.add_post("/liveSystem/live/getPushUrl", push_url)
    app.router.add_post("/LiveSystem/Live/getPushUrl", push_url)
    app.router.add_post("/liveSystem/live/share", share)
    app.router.add_post("/Mobile/Tools/qrCode", qr_code)
    app.router.add_get("/wxacode/{room:-?[0-9]+}.png", mini_code)
    app.router.add_post("/_sim/rooms/set", ctl_set)
    app.router.add_post("/_sim/rooms/share", ctl_share)
    app.router.add_post("/_sim/rooms/signed", ctl_signed)
    app.router.add_get("/_sim/rooms/state", ctl_state)
