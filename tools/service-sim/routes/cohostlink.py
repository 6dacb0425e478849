"""The co-host link of a co-host room: viewers who apply, the host's answers, co-hosts who join
the real-time room and leave it.

Room channel frames of the host, answered here:
    {"type":"trtc_agree","wechat_user_space_id":N}   the candidate N joins: it is listed in
        "get_trtc_online_list", the room hears {"type":"trtc_login","data":{"trtc_identity":
        "second_broad","wechat_user_space_id":N}} and the real-time room gets the user
        "wechat_N_<room>" sending video and audio. A scripted refusal, or an id that never
        applied, answers the host {"type":"r_trtc_agree","code":0,"err_msg",
        "err_data":{"wechat_user_space_id":N}} instead and N does not join.
    {"type":"trtc_remove","wechat_user_space_id":N}  N leaves the list and the real-time room (a
        candidate's application is dropped).

Control:
    POST /_sim/cohost/apply   {"room_id", "wechat_user_space_id", "name"?, "photo"?, "trtc_tag"?}:
                              the viewer applies; the room hears "trtc_apply"
    POST /_sim/cohost/join    {"room_id", "wechat_user_space_id", "name"?, "photo"?, "video"?,
                               "audio"?, "announce"?}: a co-host joins without applying (listed,
                              in the real-time room, and "trtc_login" unless announce is false)
    POST /_sim/cohost/leave   {"room_id", "wechat_user_space_id"}: the co-host leaves by itself
                              (the room hears "trtc_remove")
    POST /_sim/cohost/refuse  {"err_msg"?}: the next "trtc_agree" is refused
    GET  /_sim/cohost/link    applications and co-hosts per room, refusals still scripted
"""
import json

from aiohttp import web

from simlib import read_json_object

NOT_APPLIED = "该用户未申请连麦"


def setup(app, sim):
    def state():
        return sim.area("cohostlink", lambda: {"applications": {}, "refusals": []})

    def applications(room_id):
        return state()["applications"].setdefault(str(room_id), {})

    def space_id(value):
        try:
            return int(value)
        except (TypeError, ValueError):
            return None

    def user_of(room_id, wid):
        return "wechat_%d_%s" % (wid, room_id)

    def defaults(body, wid):
        return {
            "wechat_user_space_id": wid,
            "name": str(body.get("name", "观众%d" % wid)),
            "photo": str(body.get("photo", sim.base_url + "/pic/64x64/v%d" % wid)),
            "trtc_tag": str(body.get("trtc_tag", "second_broad")),
        }

    async def join(room, info, video=True, audio=True, announce=True):
        wid = info["wechat_user_space_id"]
        room.cohosts = [c for c in room.cohosts if space_id(c.get("wechat_user_space_id")) != wid]
        room.cohosts.append(dict(info, trtc_tag="second_broad"))
        await sim.trtc_set_user(room.room_id, user_of(room.room_id, wid), video, audio)
        if announce:
            await sim.room_broadcast(room.room_id, {
                "type": "trtc_login",
                "data": {"trtc_identity": "second_broad", "wechat_user_space_id": wid},
            })

    async def leave(room, wid):
        applications(room.room_id).pop(wid, None)
        before = len(room.cohosts)
        room.cohosts = [c for c in room.cohosts if space_id(c.get("wechat_user_space_id")) != wid]
        await sim.trtc_set_user(room.room_id, user_of(room.room_id, wid), leave=True)
        return len(room.cohosts) != before

    # ---- the host's frames ----

    async def on_agree(room, msg, reply):
        wid = space_id(msg.get("wechat_user_space_id"))
        if wid is None:
            return
        info = applications(room.room_id).pop(wid, None)
        refusals = state()["refusals"]
        if refusals or info is None:
            err = refusals.pop(0) if refusals else NOT_APPLIED
            await reply(json.dumps({"type": "r_trtc_agree", "code": 0, "err_msg": err,
                                    "err_data": {"wechat_user_space_id": wid}}, ensure_ascii=False))
            return
        await join(room, info)

    async def on_remove(room, msg, reply):
        wid = space_id(msg.get("wechat_user_space_id"))
        if wid is not None:
            await leave(room, wid)

    handlers = getattr(sim, "room_frame_handlers", None)
    if handlers is None:
        handlers = sim.room_frame_handlers = {}
    handlers["trtc_agree"] = on_agree
    handlers["trtc_remove"] = on_remove

    # ---- control ----

    async def target(request):
        b = await read_json_object(request)
        wid = space_id(b.get("wechat_user_space_id"))
        if wid is None or "room_id" not in b:
            raise web.HTTPBadRequest(text="room_id and wechat_user_space_id needed")
        return b, sim.room_state().room(b["room_id"]), wid

    async def ctl_apply(request):
        b, room, wid = await target(request)
        info = defaults(b, wid)
        applications(room.room_id)[wid] = info
        sent = await sim.room_broadcast(room.room_id, {"type": "trtc_apply", "data": info})
        return web.json_response({"ok": True, "sent": sent})

    async def ctl_join(request):
        b, room, wid = await target(request)
        await join(room, defaults(b, wid), b.get("video", True), b.get("audio", True), b.get("announce", True))
        return web.json_response({"ok": True})

    async def ctl_leave(request):
        b, room, wid = await target(request)
        listed = await leave(room, wid)
        await sim.room_broadcast(room.room_id, {"type": "trtc_remove", "wechat_user_space_id": wid})
        return web.json_response({"ok": listed})

    async def ctl_refuse(request):
        b = await read_json_object(request)
        state()["refusals"].append(str(b.get("err_msg", "连麦失败")))
        return web.json_response({"ok": True})

    async def ctl_link(request):
        rooms = sim.room_state().rooms
        return web.json_response({
            "applications": {rid: sorted(apps) for rid, apps in state()["applications"].items()},
            "cohosts": {rid: [c.get("wechat_user_space_id") for c in r.cohosts] for rid, r in rooms.items()},
            "refusals": list(state()["refusals"]),
        })

    app.router.add_post("/_sim/cohost/apply", ctl_apply)
    app.router.add_post("/_sim/cohost/join", ctl_join)
    app.router.add_post("/_sim/cohost/leave", ctl_leave)
    app.router.add_post("/_sim/cohost/refuse", ctl_refuse)
    app.router.add_get("/_sim/cohost/link", ctl_link)
