"""The co-host invitation: a room's co-host application link and password, and the mini-program
QR code that the console serves for a stream.

    POST /MiniProgram/PushFlow/getWebCastInfo  form room_id
                          -> {"code": 200, "data": {"second_broad_url", "second_broad_pwd"}}
                          (per room; needs the "openapitoken" header)
    GET  /Applet/codePush?app=<stream>&type=audience
                          -> a JPEG QR picture whose pattern follows the app value

Control:
    POST /_sim/cohost/webcast  {"room_id", "second_broad_url"?, "second_broad_pwd"?, "omit"?: [names],
                                "status"?, "delay"?}: overrides of one room's reply; members named in
                               "omit" are left out; "status" fails the request with that HTTP status,
                               "delay" answers after that many seconds
    POST /_sim/cohost/applet   {"app", "status"?, "delay"?}: the same failures for one stream's picture
    GET  /_sim/cohost/state    the overrides
"""
import asyncio
import zlib

from aiohttp import web

from simlib import envelope, jpeg_from_modules, json_reply, qr_modules, read_form


def room_defaults(base_url, room_id):
    pwd = "%06d" % (zlib.crc32(("pwd:%d" % room_id).encode()) % 1000000)
    return {
        "second_broad_url": "%s/second/#/apply?room_id=%d" % (base_url, room_id),
        "second_broad_pwd": pwd,
    }


def setup(app, sim):
    def state():
        return sim.area("cohost", lambda: {"webcast": {}, "applet": {}})

    async def scripted_failure(over):
        """Waits as an override asks; a response when it asks for a failure."""
        if over.get("delay"):
            await asyncio.sleep(float(over["delay"]))
        if over.get("status"):
            return web.Response(status=int(over["status"]), text="scripted failure")
        return None

    async def web_cast_info(request):
        if not request.headers.get("openapitoken", "").strip():
            return json_reply(envelope(code=401, msg="请先登录"))
        form = await read_form(request)
        try:
            room_id = int(form.get("room_id", ""))
        except ValueError:
            return json_reply(envelope(code=400, msg="参数错误"))
        if room_id <= 0:
            return json_reply(envelope(code=400, msg="参数错误"))
        data = room_defaults(sim.base_url, room_id)
        over = state()["webcast"].get(room_id, {})
        failed = await scripted_failure(over)
        if failed is not None:
            return failed
        data.update({k: v for k, v in over.items() if k.startswith("second_broad_")})
        for name in over.get("omit", []):
            data.pop(name, None)
        return json_reply(envelope(data))

    async def code_push(request):
        stream = request.query.get("app", "")
        if not stream or request.query.get("type") != "audience":
            raise web.HTTPNotFound()
        failed = await scripted_failure(state()["applet"].get(stream, {}))
        if failed is not None:
            return failed
        return web.Response(body=jpeg_from_modules(qr_modules("applet:" + stream)),
                            headers={"Content-Type": "image/jpeg"})

    async def ctl_webcast(request):
        body = await request.json()
        room_id = int(body["room_id"])
        state()["webcast"][room_id] = {k: v for k, v in body.items()
                                       if k in ("second_broad_url", "second_broad_pwd", "omit",
                                                "status", "delay")}
        return web.json_response({"ok": True})

    async def ctl_applet(request):
        body = await request.json()
        state()["applet"][str(body["app"])] = {k: v for k, v in body.items() if k in ("status", "delay")}
        return web.json_response({"ok": True})

    async def ctl_state(request):
        st = state()
        return web.json_response({"webcast": {str(k): v for k, v in st["webcast"].items()},
                                  "applet": st["applet"]})

    app.router.add_post("/MiniProgram/PushFlow/getWebCastInfo", web_cast_info)
    app.router.add_get("/Applet/codePush", code_push)
    app.router.add_post("/_sim/cohost/webcast", ctl_webcast)
    app.router.add_post("/_sim/cohost/applet", ctl_applet)
    app.router.add_get("/_sim/cohost/state", ctl_state)
