#!/usr/bin/python3
"""A small audience for the demo: viewers enter, chat and leave in every room the host has joined.

Talks only to the simulator's control API (/_sim/room/...), so it needs nothing but the standard
library. Runs until it is terminated. With --busy a viewer says something at every tick (on a fixed
schedule, however long the calls take) and about one tick in five a viewer also enters or leaves.

    /usr/bin/python3 scripts/lib/audience.py http://127.0.0.1:PORT [--period 2.0] [--seed 7] [--busy]
"""
import argparse
import json
import random
import sys
import time
import urllib.error
import urllib.request

NAMES = ["小鹿", "阿明", "晴天", "木子李", "橘子汽水", "老周", "星星点灯", "Amy", "小蓝鲸", "大熊"]
LINES = [
    "主播好！",
    "来了来了",
    "今天讲什么呀？",
    "画面很清楚",
    "声音可以大一点吗",
    "支持一下",
    "从广州来围观",
    "这个功能太实用了",
    "第一次来，关注了",
    "下次什么时候直播？",
]
FIRST_VIEWER_ID = 30001
CROWD = 4  # viewers kept in a room before some start to leave


class Audience:
    def __init__(self, base, rng):
        self.base = base.rstrip("/")
        self.rng = rng
        self.present = {}  # room id -> set of viewer ids in the room
        self.said = 0

    def call(self, method, path, body=None):
        data = None if body is None else json.dumps(body, ensure_ascii=False).encode("utf-8")
        req = urllib.request.Request(self.base + path, data=data, method=method,
                                     headers={"Content-Type": "application/json"})
        with urllib.request.urlopen(req, timeout=5) as reply:
            return json.loads(reply.read().decode("utf-8") or "null")

    def rooms_with_host(self):
        state = self.call("GET", "/_sim/room/state")
        rooms = {c["room_id"] for c in state.get("connections", []) if c.get("logged_in") and c.get("room_id")}
        return sorted(rooms)

    def viewer(self, vid):
        return {"wechat_user_space_id": vid, "name": NAMES[(vid - FIRST_VIEWER_ID) % len(NAMES)]}

    def enter(self, room):
        inside = self.present.setdefault(room, set())
        free = [v for v in range(FIRST_VIEWER_ID, FIRST_VIEWER_ID + len(NAMES)) if v not in inside]
        if not free:
            return
        vid = self.rng.choice(free)
        body = dict(self.viewer(vid), room_id=room)
        self.call("POST", "/_sim/room/viewer/enter", body)
        inside.add(vid)

    def leave(self, room):
        inside = self.present.get(room, set())
        if inside:
            vid = self.rng.choice(sorted(inside))
            self.call("POST", "/_sim/room/viewer/leave", {"room_id": room, "wechat_user_space_id": vid})
            inside.discard(vid)

    def say(self, room):
        inside = self.present.get(room, set())
        if not inside:
            return
        vid = self.rng.choice(sorted(inside))
        body = dict(self.viewer(vid), room_id=room, text=self.rng.choice(LINES))
        self.call("POST", "/_sim/room/viewer/say", body)
        self.said += 1

    def busy_tick(self):
        for room in self.rooms_with_host():
            inside = self.present.setdefault(room, set())
            roll = self.rng.random()
            if len(inside) < 2 or (roll < 0.1 and len(inside) < len(NAMES)):
                self.enter(room)
            elif roll < 0.2 and len(inside) > CROWD:
                self.leave(room)
            self.say(room)

    def tick(self):
        for room in self.rooms_with_host():
            inside = self.present.setdefault(room, set())
            if len(inside) < 2:
                self.enter(room)
                self.say(room)
                continue
            roll = self.rng.random()
            if roll < 0.65:
                self.say(room)
            elif roll < 0.85 or len(inside) < CROWD:
                self.enter(room)
            else:
                self.leave(room)


def main():
    ap = argparse.ArgumentParser()
    ap.add_argument("base", help="the simulator's base address")
    ap.add_argument("--period", type=float, default=2.0, help="seconds between two audience actions")
    ap.add_argument("--seed", type=int, default=None)
    ap.add_argument("--busy", action="store_true", help="a message at every tick, viewers entering and leaving")
    args = ap.parse_args()
    audience = Audience(args.base, random.Random(args.seed))
    tick = audience.busy_tick if args.busy else audience.tick
    due = time.monotonic()
    while True:
        try:
            tick()
        except (urllib.error.URLError, OSError, ValueError) as e:
            # The simulator may be starting or stopping: try again at the next tick.
            print("audience: %s" % e, file=sys.stderr, flush=True)
        due += args.period
        time.sleep(max(0.0, due - time.monotonic()))


if __name__ == "__main__":
    try:
        main()
    except KeyboardInterrupt:
        pass
