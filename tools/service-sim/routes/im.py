"""The IM group cloud on loopback: credentials of a room, sign-in, groups and their messages.

    POST /Mobile/Im/Login/wechatUser   JSON body {"uid": N, "roomId": N} (read as JSON whatever the
                                       content type) -> {"code": 200, "data": {"imSdkAppId",
                                       "imGroupId": "room_<roomId>", "sig", "imUserId": "host_<uid>"}}
                                       (scriptable through /_sim/script like every path)

Channel: WebSocket /loopback/im, one session per socket, one JSON object per text frame.
  client -> cloud  {"op", "seq", fields}:
    login {sdkAppId, userId, userSig}; searchGroups {keywords, byGroupId};
    createGroup {groupType, groupID, groupName}; joinGroup {groupID, message}
  cloud -> client  {"op": "result", "seq", "code", "desc"} (searchGroups adds "groups":
    [{"groupID"}]); code 0 is success. Errors: 6014 not signed in, 70001 wrong application id,
    70003 bad signature, 10010 no such group, 10021 group id in use, 10004 bad arguments.
  cloud -> client  {"op": "message", "groupID", "sender", "elems": [{"type": 1, "text"} |
    {"type": 2, "data": "<base64>"}]}, to every signed-in session that joined the group.
A search for a group that does not exist succeeds and finds none. The service makes a room's group
(an "AVChatRoom") when it first issues the room's credentials, unless told not to; groups are kept
until reset.

Control:
    GET  /_sim/im           state: groups (type, name, members), sessions, op log (signatures left out)
    POST /_sim/im/push      {"group_id" or "room_id", "sender"?, "elems": [...]} or
                            {"group_id" or "room_id", "messages": [{"sender"?, "elems"}, ...]};
                            an element {"type": 2, "data": text} is sent base64-encoded, {"type": 2,
                            "data_b64": ...} as given -> {"ok", "delivered": frames written}
    POST /_sim/im/script    {"fail": op, "code": N}: the next op of that name fails with code N;
                            {"auto_groups": bool}: whether credentials make the room's group
    POST /_sim/im/close     closes every channel
"""
import base64
import hashlib
import itertools
import json

from aiohttp import web

from simlib import envelope, json_objects, json_reply

APP_ID = 1400000001
SECRET = b"solvek-sim-im"
MAX_FRAME = 1024 * 1024


def user_sig(user_id):
    return hashlib.sha256(SECRET + user_id.encode("utf-8")).hexdigest() * 2


def fresh_state():
    return {
        "groups": {},      # id -> {"type", "name", "members": set of user ids}
        "ops": [],
        "fail": {},        # op -> [codes]
        "auto_groups": True,
    }


class Session:
    def __init__(self, sid, ws):
        self.id = sid
        self.ws = ws
        self.user_id = None
        self.joined = set()

    def describe(self):
        return {"id": self.id, "user_id": self.user_id, "joined": sorted(self.joined)}


def setup(app, sim):
    sessions = {}
    session_ids = itertools.count(1)

    def st():
        return sim.area("im", fresh_state)

    def forget_groups():
        # The groups went with the reset; the channels stay signed in.
        for s in sessions.values():
            s.joined.clear()

    sim.on_reset(forget_groups)

    # ---- credentials ----
    async def login_info(request):
        if not request.headers.get("openapitoken", "").strip():
            return json_reply(envelope(code=401, msg="请先登录"))
        try:
            body = json.loads((await request.read()).decode("utf-8"))
        except (ValueError, UnicodeDecodeError):
            body = None
        if not isinstance(body, dict) or not isinstance(body.get("uid"), int) or not isinstance(body.get("roomId"), int):
            return json_reply(envelope(code=400, msg="参数错误"))
        user = "host_%d" % body["uid"]
        gid = "room_%d" % body["roomId"]
        if st()["auto_groups"] and gid not in st()["groups"]:
            st()["groups"][gid] = {"type": "AVChatRoom", "name": gid, "owner": "", "members": set()}
        return json_reply(envelope({"imSdkAppId": APP_ID, "imGroupId": gid,
                                    "sig": sim.secret(user_sig(user)), "imUserId": user}))

    # ---- channel ----
    def log_op(session, msg):
        entry = {k: v for k, v in msg.items() if k != "userSig"}
        if "userSig" in msg:
            entry["userSigLength"] = len(str(msg.get("userSig", "")))
        entry["session"] = session.id
        st()["ops"].append(entry)

    async def send(session, obj):
        if session.ws.closed:
            return False
        try:
            await session.ws.send_str(json.dumps(obj, ensure_ascii=False))
            return True
        except (ConnectionError, RuntimeError):
            return False

    def scripted_failure(op):
        codes = st()["fail"].get(op)
        return codes.pop(0) if codes else None

    def run_op(session, op, msg):
        """The result code, description and extra fields of one op."""
        failure = scripted_failure(op)
        if failure is not None:
            return failure, "scripted failure", {}
        groups = st()["groups"]
        if op == "login":
            user = msg.get("userId")
            if msg.get("sdkAppId") != APP_ID:
                return 70001, "wrong sdkAppId", {}
            if not isinstance(user, str) or not user or msg.get("userSig") != user_sig(user):
                return 70003, "bad userSig", {}
            session.user_id = user
            return 0, "", {}
        if session.user_id is None:
            return 6014, "not logged in", {}
        if op == "searchGroups":
            keywords = msg.get("keywords")
            if not isinstance(keywords, list):
                return 10004, "bad keywords", {}
            found = []
            if msg.get("byGroupId") is True:
                found = [{"groupID": k} for k in keywords if isinstance(k, str) and k in groups]
            else:
                found = [{"groupID": g} for g, info in groups.items()
                         if any(isinstance(k, str) and k and k in info["name"] for k in keywords)]
            return 0, "", {"groups": found}
        if op == "createGroup":
            gid = msg.get("groupID")
            if not isinstance(gid, str) or not gid:
                return 10004, "bad groupID", {}
            if gid in groups:
                return 10021, "group id in use", {}
            groups[gid] = {"type": str(msg.get("groupType", "")), "name": str(msg.get("groupName", "")),
                           "owner": session.user_id, "members": set()}
            return 0, "", {}
        if op == "joinGroup":
            gid = msg.get("groupID")
            if not isinstance(gid, str) or gid not in groups:
                return 10010, "no such group", {}
            groups[gid]["members"].add(session.user_id)
            session.joined.add(gid)
            return 0, "", {}
        return 10004, "unknown op", {}

    async def channel(request):
        ws = web.WebSocketResponse(heartbeat=None, max_msg_size=MAX_FRAME)
        await ws.prepare(request)
        session = Session(next(session_ids), ws)
        sessions[session.id] = session
        try:
            async for body in json_objects(ws):
                op = str(body.get("op", ""))
                log_op(session, body)
                code, desc, extra = run_op(session, op, body)
                out = {"op": "result", "seq": body.get("seq"), "code": code, "desc": desc}
                out.update(extra)
                await send(session, out)
        finally:
            sessions.pop(session.id, None)
        return ws

    # ---- control ----
    def wire_elems(elems):
        out = []
        for e in elems or []:
            if not isinstance(e, dict):
                continue
            item = {"type": e.get("type")}
            if "text" in e:
                item["text"] = e["text"]
            if "data_b64" in e:
                item["data"] = e["data_b64"]
            elif "data" in e:
                item["data"] = base64.b64encode(str(e["data"]).encode("utf-8")).decode("ascii")
            out.append(item)
        return out

    async def ctl_push(request):
        body = await request.json()
        gid = body.get("group_id") or "room_%s" % body.get("room_id")
        messages = body.get("messages")
        if messages is None:
            messages = [{"sender": body.get("sender", "viewer"), "elems": body.get("elems", [])}]
        members = [s for s in sessions.values() if s.user_id is not None and gid in s.joined]
        delivered = 0
        for m in messages:
            frame = {"op": "message", "groupID": gid, "sender": m.get("sender", "viewer"),
                     "elems": wire_elems(m.get("elems"))}
            for s in members:
                if await send(s, frame):
                    delivered += 1
        return web.json_response({"ok": True, "delivered": delivered})

    async def ctl_state(request):
        s = st()
        groups = {g: {"type": i["type"], "name": i["name"], "members": sorted(i["members"])}
                  for g, i in s["groups"].items()}
        return web.json_response({"app_id": APP_ID, "groups": groups, "ops": s["ops"],
                                  "sessions": [x.describe() for x in sessions.values()]})

    async def ctl_script(request):
        body = await request.json()
        if "fail" in body:
            st()["fail"].setdefault(str(body["fail"]), []).append(int(body.get("code", 10004)))
        if "auto_groups" in body:
            st()["auto_groups"] = bool(body["auto_groups"])
        return web.json_response({"ok": True})

    async def ctl_close(request):
        for s in list(sessions.values()):
            await s.ws.close()
        return web.json_response({"ok": True})

    app.router.add_post("/Mobile/Im/Login/wechatUser", login_info)
    app.router.add_get("/loopback/im", channel)
    app.router.add_get("/_sim/im", ctl_state)
    app.router.add_post("/_sim/im/push", ctl_push)
    app.router.add_post("/_sim/im/script", ctl_script)
    app.router.add_post("/_sim/im/close", ctl_close)
