"""Pictures served for avatars, emotes and other static content, generated on the fly."""
import struct
import zlib

from aiohttp import web


def png_bytes(width, height, rgb=(90, 140, 220)):
    """A solid-colour RGB PNG."""
    raw = b"".join(b"\x00" + bytes(rgb) * width for _ in range(height))

    def chunk(tag, data):
        c = struct.pack(">I", len(data)) + tag + data
        return c + struct.pack(">I", zlib.crc32(tag + data) & 0xFFFFFFFF)

    return (b"\x89PNG\r\n\x1a\n" + chunk(b"IHDR", struct.pack(">IIBBBBB", width, height, 8, 2, 0, 0, 0))
            + chunk(b"IDAT", zlib.compress(raw)) + chunk(b"IEND", b""))


def setup(app, sim):
    async def picture(request):
        # /pic/<w>x<h>[/<anything>].png -> a PNG of that size; colour from the name's hash
        size = request.match_info["size"]
        try:
            w, h = (max(1, min(4096, int(v))) for v in size.split("x"))
        except ValueError:
            raise web.HTTPNotFound()
        name = request.match_info.get("name", "")
        h32 = zlib.crc32(name.encode("utf-8"))
        rgb = (h32 & 0xFF, (h32 >> 8) & 0xFF, (h32 >> 16) & 0xFF) if name else (90, 140, 220)
        return web.Response(body=png_bytes(w, h, rgb), headers={"Content-Type": "image/png"})

    app.router.add_get("/pic/{size}", picture)
    app.router.add_get("/pic/{size}/{name}", picture)
