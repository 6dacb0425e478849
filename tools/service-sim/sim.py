#!/usr/bin/python3
"""Local stand-in for the live service, its clouds and its CDN, on loopback.

One port serves the open-API and gateway paths, pictures, the room WebSocket, object storage and
the real-time / IM loopback channels. Each area lives in a module under routes/ that defines
setup(app, sim). The control API under /_sim/ lets tests script replies and read what arrived;
GET /_sim/secrets lists every credential handed out so far (tokens, signatures, storage
credentials, the secrets of signed push addresses).

    /usr/bin/python3 tools/service-sim/sim.py --port 0 --data DIR [--rtmp rtmp://127.0.0.1:1935/live]

prints "READY <base-url>" once it listens.
"""
import argparse
import asyncio
import collections
import importlib.util
import json
import os
import signal
import sys
import time
import urllib.parse

from aiohttp import web

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

from simlib import hostile_picture  # noqa: E402  (a scripted reply may serve one by name)

HERE = os.path.dirname(os.path.abspath(__file__))


class Sim:
    """Shared state of the simulator: the request log, scripted replies and per-area state."""

    def __init__(self, data_dir, rtmp_base):
        self.data_dir = data_dir
        self.rtmp_base = rtmp_base  # e.g. rtmp://127.0.0.1:1935/live
        self.base_url = ""
        self.requests = []          # dicts: method, path, query, headers, form, body, time
        self.frames = []            # room-channel frames received: dicts with "conn", "text", "time"
        self.scripts = collections.defaultdict(collections.deque)
        self.state = {}             # per-area state, keyed by area name
        self.reset_hooks = []       # callables run by /_sim/reset
        self.secrets = []           # every credential handed out (kept across resets)

    # ---- helpers for route modules ----
    def area(self, name, factory):
        """Per-area state, created by factory() on first use and again after a reset."""
        if name not in self.state:
            self.state[name] = factory()
        return self.state[name]

    def on_reset(self, fn):
        self.reset_hooks.append(fn)

    def reset(self):
        self.requests.clear()
        self.frames.clear()
        self.scripts.clear()
        self.state.clear()
        for fn in self.reset_hooks:
            fn()

    def secret(self, value):
        """Notes a credential handed to the client (tests look for it where it must not be) and
        returns it."""
        if isinstance(value, str) and value and value not in self.secrets:
            self.secrets.append(value)
        return value

    def log_frame(self, conn, text):
        self.frames.append({"conn": conn, "text": text, "time": time.time()})


def make_app(sim):
    @web.middleware
    async def log_and_script(request, handler):
        if request.path.startswith("/_sim/"):
            return await handler(request)
        raw = await request.read() if request.can_read_body else b""
        text = raw.decode("utf-8", "replace")
        entry = {
            "method": request.method,
            "path": request.path,
            "query": dict(request.query),
            "headers": {k: v for k, v in request.headers.items()},
            "body": text,
            "form": {k: v for k, v in urllib.parse.parse_qsl(text, keep_blank_values=True)},
            "time": time.time(),
        }
        sim.requests.append(entry)
        queue = sim.scripts.get(request.path)
        if queue:
            spec = queue[0]
            times = spec.get("times", 1)
            if times <= 1:
                queue.popleft()
            else:
                spec["times"] = times - 1
            if spec.get("hang"):
                await asyncio.sleep(3600)
            if spec.get("delay"):
                await asyncio.sleep(float(spec["delay"]))
            if spec.get("passthrough"):
                return await handler(request)
            body = spec.get("body", "")
            if spec.get("hostile"):
                body = hostile_picture(spec["hostile"]) or b""
            if not isinstance(body, (str, bytes)):
                body = json.dumps(body, ensure_ascii=False)
            if isinstance(body, str):
                body = body.encode("utf-8")
            headers = dict(spec.get("headers", {}))
            if "content_type" in spec:
                headers["Content-Type"] = spec["content_type"]
            if spec.get("endless"):
                # The body, then zero bytes without end: for clients that must bound a reply.
                response = web.StreamResponse(status=int(spec.get("status", 200)), headers=headers)
                await response.prepare(request)
                chunk = bytes(256 * 1024)
                try:
                    await response.write(body)
                    while True:
                        await response.write(chunk)
                except ConnectionError:
                    pass
                return response
            return web.Response(status=int(spec.get("status", 200)), body=body, headers=headers)
        return await handler(request)

    app = web.Application(middlewares=[log_and_script], client_max_size=64 * 1024 * 1024)
    app["sim"] = sim

    async def ctl_requests(request):
        path = request.query.get("path")
        items = [r for r in sim.requests if path is None or r["path"] == path]
        return web.json_response(items)

    async def ctl_frames(request):
        return web.json_response(sim.frames)

    async def ctl_script(request):
        spec = await request.json()
        replies = spec.get("replies")
        if replies is None:
            replies = [spec.get("reply", {})]
        for r in replies:
            sim.scripts[spec["path"]].append(dict(r))
        return web.json_response({"ok": True})

    async def ctl_secrets(request):
        return web.json_response(sim.secrets)

    async def ctl_reset(request):
        sim.reset()
        return web.json_response({"ok": True})

    async def ctl_clear_log(request):
        sim.requests.clear()
        sim.frames.clear()
        return web.json_response({"ok": True})

    app.router.add_get("/_sim/requests", ctl_requests)
    app.router.add_get("/_sim/frames", ctl_frames)
    app.router.add_get("/_sim/secrets", ctl_secrets)
    app.router.add_post("/_sim/script", ctl_script)
    app.router.add_post("/_sim/reset", ctl_reset)
    app.router.add_post("/_sim/clear-log", ctl_clear_log)

    routes_dir = os.path.join(HERE, "routes")
    for name in sorted(os.listdir(routes_dir)):
        if not name.endswith(".py") or name.startswith("_"):
            continue
        spec = importlib.util.spec_from_file_location("simroutes_" + name[:-3], os.path.join(routes_dir, name))
        mod = importlib.util.module_from_spec(spec)
        spec.loader.exec_module(mod)
        mod.setup(app, sim)
    return app


async def main_async(args):
    data_dir = args.data or os.path.join(os.getcwd(), "sim-data")
    os.makedirs(data_dir, exist_ok=True)
    sim = Sim(data_dir, args.rtmp)
    app = make_app(sim)
    runner = web.AppRunner(app, handle_signals=False)
    await runner.setup()
    site = web.TCPSite(runner, "127.0.0.1", args.port)
    await site.start()
    port = site._server.sockets[0].getsockname()[1]
    sim.base_url = "http://127.0.0.1:%d" % port
    if not sim.rtmp_base:
        sim.rtmp_base = "rtmp://127.0.0.1:1935/live"
    print("READY " + sim.base_url, flush=True)
    stop = asyncio.Event()
    loop = asyncio.get_running_loop()
    for sig in (signal.SIGTERM, signal.SIGINT):
        loop.add_signal_handler(sig, stop.set)
    await stop.wait()
    await runner.cleanup()


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("--port", type=int, default=0)
    ap.add_argument("--data", default=None)
    ap.add_argument("--rtmp", default=None, help="base of push addresses, e.g. rtmp://127.0.0.1:1935/live")
    args = ap.parse_args()
    try:
        asyncio.run(main_async(args))
    except KeyboardInterrupt:
        pass
    return 0


if __name__ == "__main__":
    sys.exit(main())
