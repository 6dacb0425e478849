"""Login: the main account by phone and password or WeChat QR code, and the sub-account login.

Replies carry the content type "application/json;charset=utf-8" exactly and "code" as the number
200 on success. A demo account signs in by phone; QR codes are pending until a test (or the demo
script) marks them through the control calls:

    POST /_sim/login/qrcode   {"scene": S (default: the newest code), "state": "scanned"|"confirmed"|"failed"}
                              a scene that is not known yet is registered (for codes handed out by a
                              scripted reply)
    GET  /_sim/login/qrcodes  the codes handed out, oldest first: [{"scene", "state"}]
    POST /_sim/login/account  fields to change in the demo account (for example {"token": ""})
    POST /_sim/login/options  {"expire_seconds": N}: the lifetime the next codes announce (300)

The sub-account login polls "showMasterUser" with the code's scene ("未扫码" until the code has
been scanned) and then signs in to one of the main accounts offered for that scene:

    POST /_sim/login/master   {"scene": S (default: the newest code), "users": [...] (default: the
                              two demo main accounts), "sub_user": {...} (default: the demo
                              sub-user), "reply": {...} (fields that replace those of the
                              sub-login's "data", e.g. {"wechat_user_space_id": "1234"})}
                              marks the code scanned by a WeChat user who may use those accounts
"""
import itertools
import secrets

from aiohttp import web

from simlib import envelope, jpeg_from_modules, json_reply, qr_modules, read_form

DEMO_PHONE = "13800000000"
DEMO_PASSWORD = "demo1234"

PENDING_MSG = "用户信息不存在！"  # the code has not been confirmed yet
EXPIRED_MSG = "二维码已失效，请刷新"
WRONG_LOGIN_MSG = "账号或密码错误"
NOT_SCANNED_MSG = "未扫码"
SUB_REFUSED_MSG = "无权登录该账号"


def demo_main_accounts(base_url):
    """The main accounts a scanned code offers unless a test names others."""
    return [
        {"uid": 10001, "wechat_user_space_id": 20001, "name": "索维演示主播",
         "photo": base_url + "/pic/100x100/demo-host"},
        {"uid": 10002, "wechat_user_space_id": 20002, "name": "索维第二直播间",
         "photo": base_url + "/pic/100x100/second-host"},
    ]


def demo_sub_user(base_url):
    return {"openid": "oSimSub0001", "unionid": "uSimSub0001", "name": "索维子账号",
            "photo": base_url + "/pic/100x100/sub-user", "wechat_user_space_id": 30001}


def demo_account(base_url):
    return {
        "uid": 10001,
        "wechat_user_space_id": 20001,
        "name": "索维演示主播",
        "photo": base_url + "/pic/100x100/demo-host",
        "token": "sim-demo-token-7f3a9c",
    }


# ---- routes ------------------------------------------------------------------------------------

def setup(app, sim):
    serial = itertools.count(1)

    def fresh():
        # offers: scene -> {"sub_user", "users", "reply"} of a code scanned for the sub-account
        # login; sub_tokens: token -> the signed-in sub-user
        return {"codes": {}, "account": None, "expire_seconds": 300, "offers": {}, "sub_tokens": {}}

    def state():
        return sim.area("login", fresh)

    def account():
        st = state()
        if st["account"] is None:
            st["account"] = demo_account(sim.base_url)
        return st["account"]

    def signed_in_reply():
        acct = dict(account())
        sim.secret(acct.get("token"))
        return json_reply(envelope(acct))

    async def user_login(request):
        form = await read_form(request)
        if form.get("mobile") == DEMO_PHONE and form.get("password") == DEMO_PASSWORD:
            return signed_in_reply()
        return json_reply(envelope(code=400, msg=WRONG_LOGIN_MSG))

    async def show_qrcode(request):
        scene = "sv%04d%s" % (next(serial), secrets.token_hex(6))
        state()["codes"][scene] = "pending"
        return json_reply(envelope({
            "uid": 0,
            "qrscene": scene,
            "img_src": "%s/qrcode/%s.jpg" % (sim.base_url, scene),
            "expire_seconds": state()["expire_seconds"],
        }))

    async def qrcode_picture(request):
        scene = request.match_info["scene"]
        return web.Response(body=jpeg_from_modules(qr_modules(scene)), headers={"Content-Type": "image/jpg"})

    async def qrcode_login(request):
        form = await read_form(request)
        st = state()["codes"].get(form.get("qrscene", ""))
        if st is None or st == "failed":
            return json_reply(envelope(code=400, msg=EXPIRED_MSG))
        if st == "confirmed":
            return signed_in_reply()
        return json_reply(envelope(code=400, msg=PENDING_MSG))

    async def ctl_qrcode(request):
        spec = await request.json()
        codes = state()["codes"]
        scene = spec.get("scene") or (list(codes)[-1] if codes else None)
        wanted = spec.get("state", "confirmed")
        if scene is None or wanted not in ("pending", "scanned", "confirmed", "failed"):
            return web.json_response({"ok": False}, status=400)
        # Scanned but not yet confirmed on the phone looks the same as pending to the client.
        codes[scene] = "pending" if wanted == "scanned" else wanted
        return web.json_response({"ok": True, "scene": scene})

    async def ctl_qrcodes(request):
        return web.json_response([{"scene": s, "state": v} for s, v in state()["codes"].items()])

    async def ctl_account(request):
        account().update(await request.json())
        return web.json_response({"ok": True})

    async def show_master_user(request):
        form = await read_form(request)
        offer = state()["offers"].get(form.get("qrscene", ""))
        if offer is None:
            return json_reply(envelope(code=400, msg=NOT_SCANNED_MSG))
        sub = offer["sub_user"]
        return json_reply(envelope({
            "sub_user": {"openid": sub.get("openid", ""), "unionid": sub.get("unionid", "")},
            "users": offer["users"],
        }))

    async def sub_login(request):
        form = await read_form(request)
        offer = state()["offers"].get(form.get("qrscene", ""))
        if offer is None:
            return json_reply(envelope(code=400, msg=NOT_SCANNED_MSG))
        sub = offer["sub_user"]
        offered = [str(u.get("uid")) for u in offer["users"]]
        if (form.get("uid") not in offered or form.get("openid") != sub.get("openid")
                or form.get("unionid") != sub.get("unionid")):
            return json_reply(envelope(code=400, msg=SUB_REFUSED_MSG))
        token = sim.secret("sim-sub-token-%s-%s" % (form["uid"], secrets.token_hex(4)))
        data = {
            "token": token,
            "openid": sub.get("openid", ""),
            "unionid": sub.get("unionid", ""),
            "name": sub.get("name", ""),
            "photo": sub.get("photo", ""),
            "wechat_user_space_id": str(sub.get("wechat_user_space_id", 0)),  # sent as text
        }
        data.update(offer.get("reply", {}))
        state()["sub_tokens"][data.get("token")] = sub
        return json_reply(envelope(data))

    def account_for_token(token):
        # The room channel and the open API learn through this who a sub-login token stands for.
        login = sim.state.get("login")
        return login["sub_tokens"].get(token) if isinstance(login, dict) and token else None

    sim.account_for_token = account_for_token

    async def ctl_master(request):
        order = await request.json()
        codes = state()["codes"]
        scene = order.get("scene") or (list(codes)[-1] if codes else None)
        if scene is None:
            return web.json_response({"ok": False}, status=400)
        state()["offers"][scene] = {
            "users": order.get("users", demo_main_accounts(sim.base_url)),
            "sub_user": order.get("sub_user", demo_sub_user(sim.base_url)),
            "reply": order.get("reply", {}),
        }
        return web.json_response({"ok": True, "scene": scene})

    async def ctl_options(request):
        order = await request.json()
        if "expire_seconds" in order:
            state()["expire_seconds"] = order["expire_seconds"]
        return web.json_response({"ok": True})

    app.router.add_post("/liveSystem/login/userLogin", user_login)
    app.router.add_get("/liveSystem/login/showWechatQrcode", show_qrcode)
    app.router.add_get("/qrcode/{scene}.jpg", qrcode_picture)
    app.router.add_post("/liveSystem/login/wechatQrcodeLogin", qrcode_login)
    app.router.add_post("/_sim/login/qrcode", ctl_qrcode)
    app.router.add_get("/_sim/login/qrcodes", ctl_qrcodes)
    app.router.add_post("/_sim/login/account", ctl_account)
    app.router.add_post("/liveSystem/login/showMasterUser", show_master_user)
    app.router.add_post("/liveSystem/login/subLogin", sub_login)
    app.router.add_post("/_sim/login/master", ctl_master)
    app.router.add_post("/_sim/login/options", ctl_options)
