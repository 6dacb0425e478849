"""Helpers shared by the simulator's route modules."""
import json
import struct
import urllib.parse
import zlib

from aiohttp import WSMsgType, web


def envelope(data=None, code=200, msg="success"):
    """The open API's JSON envelope."""
    out = {"code": code, "msg": msg}
    if data is not None:
        out["data"] = data
    return out


async def json_objects(ws):
    """The JSON objects sent as text frames on a WebSocket; other frames and other JSON are skipped."""
    async for msg in ws:
        if msg.type != WSMsgType.TEXT:
            continue
        try:
            body = json.loads(msg.data)
        except ValueError:
            continue
        if isinstance(body, dict):
            yield body


def json_reply(obj, status=200, content_type="application/json;charset=utf-8"):
    """JSON with an exact content-type header (some clients compare it byte for byte)."""
    body = json.dumps(obj, ensure_ascii=False).encode("utf-8")
    return web.Response(status=status, body=body, headers={"Content-Type": content_type})


async def read_form(request):
    """Decodes a form body (percent-encoded, '+' as blank) whatever the content type says."""
    raw = await request.read()
    text = raw.decode("utf-8", "replace")
    return {k: v for k, v in urllib.parse.parse_qsl(text, keep_blank_values=True)}


async def read_json_object(request):
    """A control call's JSON body; {} when it is not a JSON object."""
    try:
        body = await request.json()
    except ValueError:
        body = {}
    return body if isinstance(body, dict) else {}


def png_bytes(width, height, rgb=(90, 140, 220)):
    """A solid-colour RGB PNG."""
    raw = b"".join(b"\x00" + bytes(rgb) * width for _ in range(height))
    return _rgb_png(width, height, zlib.compress(raw))


def _rgb_png(width, height, idat):
    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", idat) + chunk(b"IEND", b""))


def solid_png_stream(width, height, rgb=(0, 0, 0)):
    """A solid-colour RGB PNG compressed row by row (never holds the whole raw picture)."""
    # A run of rows is deflated once, ending in a full flush so that the next run starts from a
    # clean state: the same bytes then stand for every run, and a 16000 x 16000 picture costs
    # milliseconds instead of seconds of compression (tests wait on it under load).
    row = b"\x00" + bytes(rgb) * width
    run_rows = min(height, 64)
    runs, rest = divmod(height, run_rows)
    z = zlib.compressobj(9, zlib.DEFLATED, -15)
    run = z.compress(row * run_rows) + z.flush(zlib.Z_FULL_FLUSH)
    z = zlib.compressobj(9, zlib.DEFLATED, -15)
    tail = z.compress(row * rest) + z.flush()
    adler = 1
    for _ in range(height):
        adler = zlib.adler32(row, adler)
    stream = b"\x78\xda" + run * runs + tail + struct.pack(">I", adler & 0xFFFFFFFF)
    return _rgb_png(width, height, stream)


def colour_of(name):
    """A stable colour for a name."""
    h = zlib.crc32(name.encode("utf-8"))
    return (h & 0xFF, (h >> 8) & 0xFF, (h >> 16) & 0xFF)


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


# ---- hostile pictures, for clients that must refuse them ---------------------------------------

def _gif_frames(count):
    """A 1 x 1 GIF of `count` frames (a few dozen bytes each)."""
    head = b"GIF89a" + struct.pack("<HH", 1, 1) + b"\x80\x00\x00" + b"\x00\xc8\x00\xff\xff\xff"
    frame = (b"\x21\xf9\x04\x00\x01\x00\x00\x00" + b"\x2c" + struct.pack("<HHHH", 0, 0, 1, 1) + b"\x00"
             + b"\x02\x02\x44\x01\x00")
    return head + frame * count + b"\x3b"


def _heavy_svg(curves=1500, side=4096):
    """An SVG of thick curves over a large canvas: little text, much drawing."""
    parts = ['<svg xmlns="http://www.w3.org/2000/svg" width="%d" height="%d">' % (side, side)]
    for i in range(curves):
        x = (i * 977) % side
        y = (i * 613) % side
        parts.append('<path d="M%d %d C %d %d %d %d %d %d" stroke="#%06x" stroke-width="120" fill="none"/>'
                     % (x, y, side - x, y, x, side - y, side - x, side - y, (i * 2654435761) & 0xFFFFFF))
    parts.append("</svg>")
    return "".join(parts).encode()


def _lying_ico(side=16000):
    """An ICO whose directory says 256 x 256 and whose one entry is a PNG of side x side."""
    png = solid_png_stream(side, side)
    return (struct.pack("<HHH", 0, 1, 1) + struct.pack("<BBBBHHII", 0, 0, 0, 0, 1, 32, len(png), 22) + png)


def _png_small_header_huge_data(mib=3):
    """A PNG whose header says 16 x 16 and whose data runs on for megabytes."""
    row = b"\x00" + bytes(3 * 16)
    z = zlib.compress(row * 16 + bytes(mib * 1024 * 1024), 1)
    noise = bytes(range(256)) * (mib * 4096)
    return _rgb_png(16, 16, z + noise)


def _png_huge_header_small_data():
    """A PNG whose header says 30000 x 30000 and whose data is a few bytes."""
    return _rgb_png(30000, 30000, zlib.compress(b"\x00" * 64))


_HOSTILE = {}


def hostile_picture(kind):
    """Bytes of one hostile picture by name (made once), or None."""
    makers = {
        "svg": _heavy_svg,
        "ico": _lying_ico,
        "png-small-header": _png_small_header_huge_data,
        "png-huge-header": _png_huge_header_small_data,
        "jpeg-truncated": lambda: (lambda j: j[: len(j) // 2])(jpeg_from_modules(qr_modules("cut", 61))),
        "gif-frames": lambda: _gif_frames(10000),
        "wide": lambda: png_bytes(4097, 1, (20, 200, 40)),
    }
    if kind not in makers:
        return None
    if kind not in _HOSTILE:
        _HOSTILE[kind] = makers[kind]()
    return _HOSTILE[kind]
