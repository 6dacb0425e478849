"""Helpers shared by the simulator's route modules."""
import json
import struct
import urllib.parse
import zlib

from aiohttp import web


def envelope(data=None, code=200, msg="success"):
    """The open API's JSON envelope."""
    out = {"code": code, "msg": msg}
    if data is not None:
        out["data"] = data
    return out


def json_reply(obj, status=200, content_type="application/json;charset=utf-8"):
    """JSON with an exact content-type header (some clients compare it byte for byte)."""
    body = json.dumps(obj, ensure_ascii=False).encode("utf-8")
    return web.Response(status=status, body=body, headers={"Content-Type": content_type})


async def read_form(request):
    """Decodes a form body (percent-encoded, '+' as blank) whatever the content type says."""
    raw = await request.read()
    text = raw.decode("utf-8", "replace")
    return {k: v for k, v in urllib.parse.parse_qsl(text, keep_blank_values=True)}


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
    z = zlib.compressobj(9)
    row = b"\x00" + bytes(rgb) * width
    return _rgb_png(width, height, b"".join(z.compress(row) for _ in range(height)) + z.flush())


def colour_of(name):
    """A stable colour for a name."""
    h = zlib.crc32(name.encode("utf-8"))
    return (h & 0xFF, (h >> 8) & 0xFF, (h >> 16) & 0xFF)
