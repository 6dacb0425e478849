"""Pictures served for avatars, emotes and other static content, generated on the fly."""
from aiohttp import web

from simlib import colour_of, hostile_picture, png_bytes, solid_png_stream


def setup(app, sim):
    async def picture(request):
        # /pic/<w>x<h>[/<name>] -> a PNG of that size, its colour taken from the name
        size = request.match_info["size"]
        try:
            w, h = (max(1, min(4096, int(v))) for v in size.split("x"))
        except ValueError:
            raise web.HTTPNotFound()
        name = request.match_info.get("name", "")
        rgb = colour_of(name) if name else (90, 140, 220)
        kind = request.query.get("type", "image/png")  # as a client that checks the type wants it
        return web.Response(body=png_bytes(w, h, rgb), headers={"Content-Type": kind})

    async def hostile(request):
        # /hostile/<kind>[/<name>] -> a picture made to hurt its reader: "svg" (1,500 thick curves
        # on 4096 x 4096), "ico" (says 256 x 256, holds a 16000 x 16000 PNG), "png-small-header"
        # (16 x 16 and megabytes of data), "png-huge-header" (30000 x 30000 and a few bytes),
        # "jpeg-truncated", "gif-frames" (10,000 frames), "wide" (4097 x 1). The name is free
        # ("x.png" serves an SVG under a picture's name); ?type= sets the content type.
        body = hostile_picture(request.match_info["kind"])
        if body is None:
            raise web.HTTPNotFound()
        kind = request.query.get("type", "image/png")
        return web.Response(body=body, headers={"Content-Type": kind})

    async def big_picture(request):
        # /bigpic/<w>x<h> -> a solid PNG of any size up to 30000 a side: a few hundred kilobytes
        # that decode to gigabytes, for clients that must refuse such pictures
        try:
            w, h = (max(1, min(30000, int(v))) for v in request.match_info["size"].split("x"))
        except ValueError:
            raise web.HTTPNotFound()
        kind = request.query.get("type", "image/png")  # as a client that checks the type wants it
        return web.Response(body=solid_png_stream(w, h), headers={"Content-Type": kind})

    app.router.add_get("/bigpic/{size}", big_picture)
    app.router.add_get("/hostile/{kind}", hostile)
    app.router.add_get("/hostile/{kind}/{name}", hostile)
    app.router.add_get("/pic/{size}", picture)
    app.router.add_get("/pic/{size}/{name}", picture)
