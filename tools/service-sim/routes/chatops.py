"""Chat moderation: pinning a message, a viewer's state in a room, muting, blocking and shielding
viewers, the lists of muted, blocked and shielded viewers; and the emote pictures (classic and new
set) that chat messages show inline.

POST /liveSystem/Room/getWechatUserList  room_id, uid, type (shut_up|forbid|shield), page (from 1),
    name (a case-insensitive part of the name; empty: all), tag_id: the room's viewers in that
    state, known from the room channel's viewers, the fixture viewers and any viewer whose state was
    set here; "data" [] past the last page. Entries: id, wechat_user_space_id (text for even ids, a
    number for odd ones), name, photo, device, area, role_desc, invite_name, unionid,
    last_visit_time, tags, shut_up (number), forbid and shield ("1" or "0").

POST /Mobile/Ucenter/getTagList  room_id: "data" [{id, title, color}], the room's tags.
POST /Mobile/Ucenter/markTag  room_id, wechat_user_space_id, tag_id (ids joined by ","; empty
    clears): the viewer's tags become those of the room's tags with these ids, in that order.

State (per room, per viewer space id): shut_up (0/1), forbid (0/1), is_shield (bool), is_admin
(bool), tags (list). Control:
  POST /_sim/chatops/viewer   {"room_id", "wechat_user_space_id", "shut_up"?, "forbid"?,
                               "is_shield"?, "is_admin"?, "tags"?}  sets a viewer's state
  POST /_sim/chatops/tags     {"room_id", "tags": [{id, title, color}]}  sets a room's tags
  GET  /_sim/chatops/state    everything: viewers, pinned messages and room tags
"""
import struct
import zlib

from aiohttp import web

from simlib import envelope, json_reply, read_form

OPTS = {"shut_up": "shut_up", "forbid": "forbid", "shield": "is_shield"}
USER_LIST_PAGE_SIZE = 20

# Viewers every room starts with (space ids): an administrator, a muted one, a shielded one.
FIXTURE_VIEWERS = {
    "9001": {"is_admin": True},
    "9002": {"shut_up": 1},
    "9003": {"is_shield": True, "forbid": 1},
}


def new_state():
    return {"viewers": {}, "top": {}, "tags": {}}


# The tags every room starts with.
FIXTURE_TAGS = [
    {"id": 1, "title": "老朋友", "color": "#3B7CFF"},
    {"id": 3, "title": "意向客户", "color": "#FF8A00"},
    {"id": 9, "title": "已成交", "color": "#20C814"},
]


def room_tags(state, room_id):
    return state["tags"].setdefault(str(room_id), [dict(t) for t in FIXTURE_TAGS])


def viewer(state, room_id, space_id):
    key = "%s/%s" % (room_id, space_id)
    if key not in state["viewers"]:
        v = {"shut_up": 0, "forbid": 0, "is_shield": False, "is_admin": False,
             "tags": [{"id": 1, "title": "老朋友", "color": "#3B7CFF"}]}
        v.update(FIXTURE_VIEWERS.get(str(space_id), {}))
        state["viewers"][key] = v
    return state["viewers"][key]


def rgba_png(width, height, pixel):
    """An RGBA PNG whose pixels come from pixel(x, y) -> (r, g, b, a)."""
    raw = b"".join(b"\x00" + b"".join(bytes(pixel(x, y)) for x in range(width)) for y in range(height))

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 6, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def face_png(number, classic):
    """A small round face; the colour tells the two sets apart, the mouth varies with the number."""
    size = 40
    base = (255, 196, 40) if not classic else (120, 200, 255)
    c = (size - 1) / 2.0
    smile = (number % 3) - 1  # -1 frown, 0 flat, 1 smile

    def pixel(x, y):
        dx, dy = x - c, y - c
        d2 = dx * dx + dy * dy
        if d2 > (c + 0.5) ** 2:
            return (0, 0, 0, 0)
        for ex in (c - 7, c + 7):
            if (x - ex) ** 2 + (y - (c - 5)) ** 2 <= 9:
                return (60, 40, 20, 255)
        if abs(dx) <= 9:
            mouth_y = c + 8 + smile * (1 - (dx / 9.0) ** 2) * 4
            if abs(y - mouth_y) <= 1.2:
                return (60, 40, 20, 255)
        return base + (255,)

    return rgba_png(size, size, pixel)


def setup(app, sim):
    def state():
        return sim.area("chatops", new_state)

    async def top(request):
        form = await read_form(request)
        msg_id = form.get("msg_id", "")
        room_id = form.get("room_id", "")
        is_top = form.get("is_top", "")
        if not msg_id or not room_id or is_top not in ("1", "2"):
            return json_reply(envelope(code=400, msg="参数错误"))
        if is_top == "1":
            state()["top"][room_id] = msg_id
        elif state()["top"].get(room_id) == msg_id:
            del state()["top"][room_id]
        return json_reply(envelope(msg="操作成功"))

    async def user_info(request):
        form = await read_form(request)
        room_id = form.get("room_id", "")
        space_id = form.get("wechat_user_space_id", "")
        if not room_id or not space_id or not form.get("uid"):
            return json_reply(envelope(code=400, msg="参数错误"))
        v = viewer(state(), room_id, space_id)
        data = {"wechat_user_space_id": int(space_id) if space_id.isdigit() else space_id,
                "shut_up": v["shut_up"], "forbid": v["forbid"], "is_shield": v["is_shield"],
                "is_admin": v["is_admin"], "tags": v["tags"]}
        return json_reply(envelope(data))

    def user_opt(cancel):
        async def handler(request):
            form = await read_form(request)
            room_id = form.get("room_id", "")
            space_id = form.get("wechat_user_space_id", "")
            opt = form.get("opt", "")
            if not room_id or not space_id or not form.get("uid") or opt not in OPTS:
                return json_reply(envelope(code=400, msg="参数错误"))
            v = viewer(state(), room_id, space_id)
            if v["is_admin"]:
                return json_reply(envelope(code=403, msg="不能操作管理员"))
            key = OPTS[opt]
            if key == "is_shield":
                v[key] = not cancel
            else:
                v[key] = 0 if cancel else 1
            return json_reply(envelope(msg="操作成功"))
        return handler

    def in_state(v, kind):
        if kind == "shield":
            return bool(v["is_shield"])
        return v[kind] == 1

    async def user_list(request):
        form = await read_form(request)
        room_id = form.get("room_id", "")
        kind = form.get("type", "")
        try:
            page = int(form.get("page", "1"))
        except ValueError:
            page = 0
        if not room_id or not form.get("uid") or kind not in OPTS or page < 1:
            return json_reply(envelope(code=400, msg="参数错误"))
        room_state = getattr(sim, "room_state", None)
        room = room_state().rooms.get(str(room_id)) if callable(room_state) else None
        in_room = dict(room.viewers) if room else {}
        prefix = "%s/" % room_id
        ids = {str(k) for k in in_room} | set(FIXTURE_VIEWERS)
        ids |= {key[len(prefix):] for key in state()["viewers"] if key.startswith(prefix)}
        wanted = form.get("name", "").casefold()
        data = []
        for sid in sorted(ids, key=lambda x: (not x.isdigit(), int(x) if x.isdigit() else 0, x)):
            v = viewer(state(), room_id, sid)
            if not in_state(v, kind):
                continue
            seen = in_room.get(int(sid)) if sid.isdigit() else None
            seen = seen or {}
            name = seen.get("name", "观众%s" % sid)
            if wanted and wanted not in name.casefold():
                continue
            number = int(sid) if sid.isdigit() else 0
            data.append({
                "id": number,
                "wechat_user_space_id": sid if number % 2 == 0 else number,
                "name": name,
                "photo": seen.get("photo", sim.base_url + "/pic/64x64/v%s" % sid),
                "device": seen.get("terminal", "微信小程序"),
                "area": seen.get("ip_location", "广东"),
                "role_desc": seen.get("role_desc", ""),
                "invite_name": seen.get("invite_name", ""),
                "unionid": seen.get("unionid", ""),
                "last_visit_time": seen.get("last_visit_time", 0),
                "tags": v["tags"],
                "shut_up": int(v["shut_up"]),
                "forbid": "1" if v["forbid"] == 1 else "0",
                "shield": "1" if v["is_shield"] else "0",
            })
        start = (page - 1) * USER_LIST_PAGE_SIZE
        return json_reply(envelope(data[start:start + USER_LIST_PAGE_SIZE]))

    async def emote(request):
        number = request.match_info["number"]
        if not number.isdigit():
            raise web.HTTPNotFound()
        classic = request.path.startswith("/Public/Home/Images/Faces/")
        return web.Response(body=face_png(int(number), classic), headers={"Content-Type": "image/png"})

    async def ctl_viewer(request):
        spec = await request.json()
        v = viewer(state(), spec.get("room_id", ""), spec.get("wechat_user_space_id", ""))
        for k in ("shut_up", "forbid", "is_shield", "is_admin", "tags"):
            if k in spec:
                v[k] = spec[k]
        return web.json_response({"ok": True, "viewer": v})

    async def tag_list(request):
        form = await read_form(request)
        room_id = form.get("room_id", "")
        if not room_id:
            return json_reply(envelope(code=400, msg="参数错误"))
        return json_reply(envelope(room_tags(state(), room_id)))

    async def mark_tag(request):
        form = await read_form(request)
        room_id = form.get("room_id", "")
        space_id = form.get("wechat_user_space_id", "")
        raw = form.get("tag_id")
        if not room_id or not space_id or raw is None:
            return json_reply(envelope(code=400, msg="参数错误"))
        parts = [p for p in raw.split(",") if p != ""]
        if not all(p.lstrip("-").isdigit() for p in parts):
            return json_reply(envelope(code=400, msg="参数错误"))
        known = {t["id"]: t for t in room_tags(state(), room_id)}
        v = viewer(state(), room_id, space_id)
        v["tags"] = [dict(known[int(p)]) for p in parts if int(p) in known]
        return json_reply(envelope(msg="保存成功"))

    async def ctl_tags(request):
        spec = await request.json()
        state()["tags"][str(spec.get("room_id", ""))] = list(spec.get("tags", []))
        return web.json_response({"ok": True})

    async def ctl_state(request):
        return web.json_response(state())

    app.router.add_post("/liveSystem/Room/top", top)
    app.router.add_post("/Wx/WechatUser/getUserInfo", user_info)
    app.router.add_post("/liveSystem/Room/wechatUserOpt", user_opt(False))
    app.router.add_post("/liveSystem/Room/wechatUserCancelOpt", user_opt(True))
    app.router.add_post("/liveSystem/Room/getWechatUserList", user_list)
    app.router.add_get("/Public/Home/Images/Faces/{number}.png", emote)
    app.router.add_get("/Public/Home/Images/newFaces/{number}.png", emote)
    app.router.add_post("/Mobile/Ucenter/getTagList", tag_list)
    app.router.add_post("/Mobile/Ucenter/markTag", mark_tag)
    app.router.add_post("/_sim/chatops/viewer", ctl_viewer)
    app.router.add_post("/_sim/chatops/tags", ctl_tags)
    app.router.add_get("/_sim/chatops/state", ctl_state)
