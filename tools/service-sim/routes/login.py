"""Login of the main account: phone and password, and the WeChat QR code.

Replies carry the content type "application/json;charset=utf-8" exactly and "code" as the number
200 on success. A demo account signs in by phone; QR codes are pending until a test (or the demo
script) marks them through the control calls:

    POST /_sim/login/qrcode   {"scene": S (default: the newest code), "state": "scanned"|"confirmed"|"failed"}
                              a scene that is not known yet is registered (for codes handed out by a
                              scripted reply)
    GET  /_sim/login/qrcodes  the codes handed out, oldest first: [{"scene", "state"}]
    POST /_sim/login/account  fields to change in the demo account (for example {"token": ""})
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
        return {"codes": {}, "account": None}

    def state():
        return sim.area("login", fresh)

    def account():
        st = state()
        if st["account"] is None:
            st["account"] = demo_account(sim.base_url)
        return st["account"]

    async def user_login(request):
        form = await read_form(request)
        if form.get("mobile") == DEMO_PHONE and form.get("password") == DEMO_PASSWORD:
            return json_reply(envelope(dict(account())))
        return json_reply(envelope(code=400, msg=WRONG_LOGIN_MSG))

    async def show_qrcode(request):
        scene = "sv%04d%s" % (next(serial), secrets.token_hex(6))
        state()["codes"][scene] = "pending"
        return json_reply(envelope({
            "uid": 0,
            "qrscene": scene,
            "img_src": "%s/qrcode/%s.jpg" % (sim.base_url, scene),
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
            return json_reply(envelope(dict(account())))
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

    app.router.add_post("/liveSystem/login/userLogin", user_login)
    app.router.add_get("/liveSystem/login/showWechatQrcode", show_qrcode)
    app.router.add_get("/qrcode/{scene}.jpg", qrcode_picture)
    app.router.add_post("/liveSystem/login/wechatQrcodeLogin", qrcode_login)
    app.router.add_post("/_sim/login/qrcode", ctl_qrcode)
    app.router.add_get("/_sim/login/qrcodes", ctl_qrcodes)
    app.router.add_post("/_sim/login/account", ctl_account)
