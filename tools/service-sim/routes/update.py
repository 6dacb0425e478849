"""The update check and the download of update packages.

    GET /Mobile/Tools/versionUpdate?current_version=..&type=11 -> {"code", "msg", "data": {...}}
    GET /download/<name>                the package <name> (404 for an unknown name)
    GET /redirect/<n>/<path>            302 chain: n hops, then /<path>

Control:
    POST /_sim/update/config   {"code", "display_version", "description", "is_force_update",
                                "download_url"}: merged into the reply (download_url may be a path,
                                taken relative to the simulator's base)
    POST /_sim/update/package  {"name", "size" | "text", "no_length", "short_by", "pause_at",
                                "pause_seconds", "lead_seconds"}: adds or replaces a package;
                                with pause_at the body stops there for pause_seconds
    GET  /_sim/update/state    the current settings
"""
import asyncio

from aiohttp import web

from simlib import envelope, json_reply

DEFAULT_PACKAGE = "solvek-setup.exe"


def package_bytes(size):
    """Deterministic content, so a test can tell a complete file from a cut one."""
    return bytes((i * 7 + 3) & 0xFF for i in range(size))


def fresh_state():
    return {
        "config": {
            "code": 200,
            "display_version": "2.0.1",  # the program's own version: no update
            "description": ["修复了一些问题", "提升了稳定性"],
            "is_force_update": 0,
            "download_url": "/download/" + DEFAULT_PACKAGE,
        },
        "packages": {DEFAULT_PACKAGE: {"body": package_bytes(64 * 1024)}},
    }


def setup(app, sim):
    def state():
        return sim.area("update", fresh_state)

    def absolute(url):
        return sim.base_url + url if url.startswith("/") else url

    async def version_update(request):
        cfg = state()["config"]
        data = {
            "is_force_update": cfg["is_force_update"],
            "download_url": absolute(cfg["download_url"]),
            "display_version": cfg["display_version"],
            "description": cfg["description"],
        }
        return json_reply(envelope(data, code=cfg["code"]))

    async def download(request):
        pkg = state()["packages"].get(request.match_info["name"])
        if pkg is None:
            raise web.HTTPNotFound()
        body = pkg["body"]
        if pkg.get("no_length"):
            # chunked: the client learns the size only at the end
            resp = web.StreamResponse(headers={"Content-Type": "application/octet-stream"})
            resp.enable_chunked_encoding()
            await resp.prepare(request)
            for at in range(0, len(body), 8192):
                await resp.write(body[at:at + 8192])
            await resp.write_eof()
            return resp
        short_by = int(pkg.get("short_by", 0))
        pause_at = pkg.get("pause_at")
        resp = web.StreamResponse(headers={"Content-Type": "application/octet-stream"})
        resp.content_length = len(body)
        await resp.prepare(request)
        send = body[:len(body) - short_by] if short_by else body
        if pause_at is not None:
            # The client reports progress at most every 100 ms or so: let the first part come
            # late enough, and whole, to be reported on its own.
            await asyncio.sleep(float(pkg.get("lead_seconds", 0.3)))
            await resp.write(send[:int(pause_at)])
            await asyncio.sleep(float(pkg.get("pause_seconds", 1)))
            send = send[int(pause_at):]
        await resp.write(send)
        if short_by:
            # announce more than we send, then hang up
            request.transport.close()
            return resp
        await resp.write_eof()
        return resp

    async def redirect(request):
        n = int(request.match_info["n"])
        tail = request.match_info["tail"]
        target = "/redirect/%d/%s" % (n - 1, tail) if n > 1 else "/" + tail
        raise web.HTTPFound(target)

    async def ctl_config(request):
        spec = await request.json()
        state()["config"].update({k: v for k, v in spec.items() if k in state()["config"]})
        return web.json_response({"ok": True})

    async def ctl_package(request):
        spec = await request.json()
        body = spec["text"].encode("utf-8") if "text" in spec else package_bytes(int(spec.get("size", 1024)))
        pkg = {k: spec[k] for k in ("no_length", "short_by", "pause_at", "pause_seconds", "lead_seconds") if k in spec}
        pkg["body"] = body
        state()["packages"][spec.get("name", DEFAULT_PACKAGE)] = pkg
        return web.json_response({"ok": True})

    async def ctl_state(request):
        s = state()
        return web.json_response({"config": s["config"],
                                  "packages": {k: len(v["body"]) for k, v in s["packages"].items()}})

    app.router.add_get("/Mobile/Tools/versionUpdate", version_update)
    app.router.add_get("/download/{name}", download)
    app.router.add_get("/redirect/{n:[0-9]+}/{tail:.*}", redirect)
    app.router.add_post("/_sim/update/config", ctl_config)
    app.router.add_post("/_sim/update/package", ctl_package)
    app.router.add_get("/_sim/update/state", ctl_state)
