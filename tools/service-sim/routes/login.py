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

from simlib import envelope, json_reply, read_form

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


# ---- a QR-like picture as a baseline JPEG ----------------------------------------------------
# Modules are 8 x 8 pixel blocks, so every JPEG block is flat and a DC-only encoding is exact.

_DC_BITS = [0, 1, 5, 1, 1, 1, 1, 1, 1, 0, 0, 0, 0, 0, 0, 0]  # standard luminance DC table
_DC_VALS = list(range(12))


def _huffman_codes(bits, vals):
    codes, code, k = {}, 0, 0
    for length, count in enumerate(bits, start=1):
        for _ in range(count):
            codes[vals[k]] = (code, length)
            code += 1
            k += 1
        code <<= 1
    return codes


_DC_CODES = _huffman_codes(_DC_BITS, _DC_VALS)


class _BitWriter:
    def __init__(self):
        self.out = bytearray()
        self.acc = 0
        self.n = 0

    def put(self, value, length):
        for i in range(length - 1, -1, -1):
            self.acc = (self.acc << 1) | ((value >> i) & 1)
            self.n += 1
            if self.n == 8:
                self.out.append(self.acc)
                if self.acc == 0xFF:
                    self.out.append(0)  # byte stuffing
                self.acc = 0
                self.n = 0

    def flush(self):
        if self.n:
            self.put(0x7F, 8 - self.n)  # pad with one-bits


def _segment(marker, payload):
    return bytes([0xFF, marker]) + (len(payload) + 2).to_bytes(2, "big") + payload


def jpeg_from_modules(modules, scale=8):
    """Grey JPEG of a square module grid (True = dark), each module scale x scale pixels (scale 8)."""
    n = len(modules)
    size = n * scale
    quant = bytes([0]) + bytes([8] * 64)  # table 0, all steps 8: DC of a flat block = value - 128
    sof = bytes([8]) + size.to_bytes(2, "big") + size.to_bytes(2, "big") + bytes([1, 1, 0x11, 0])
    dht_dc = bytes([0x00]) + bytes(_DC_BITS) + bytes(_DC_VALS)
    dht_ac = bytes([0x10]) + bytes([1] + [0] * 15) + bytes([0x00])  # one code: end of block
    sos = bytes([1, 1, 0x00, 0, 63, 0])
    bw = _BitWriter()
    prev = 0
    for row in modules:
        for dark in row:
            dc = -128 if dark else 127
            diff = dc - prev
            prev = dc
            mag = abs(diff)
            cat = mag.bit_length()
            code, length = _DC_CODES[cat]
            bw.put(code, length)
            if cat:
                bw.put(diff if diff > 0 else diff + (1 << cat) - 1, cat)
            bw.put(0, 1)  # end of block
    bw.flush()
    return (b"\xff\xd8" + _segment(0xDB, quant) + _segment(0xC0, sof) + _segment(0xC4, dht_dc)
            + _segment(0xC4, dht_ac) + _segment(0xDA, sos) + bytes(bw.out) + b"\xff\xd9")


def qr_modules(seed_text, count=25):
    """A QR-looking grid: three finder squares and pseudo-random data from the scene."""
    import random
    rnd = random.Random(seed_text)
    quiet = 2
    inner = count - 2 * quiet
    grid = [[False] * count for _ in range(count)]
    for y in range(inner):
        for x in range(inner):
            grid[y + quiet][x + quiet] = rnd.random() < 0.5

    def finder(ox, oy):
        for y in range(-1, 8):
            for x in range(-1, 8):
                gx, gy = ox + x, oy + y
                if not (quiet <= gx < count - quiet and quiet <= gy < count - quiet):
                    continue
                ring = max(abs(x - 3), abs(y - 3))
                grid[gy][gx] = ring in (0, 1, 3)

    finder(quiet, quiet)
    finder(count - quiet - 7, quiet)
    finder(quiet, count - quiet - 7)
    return grid


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
