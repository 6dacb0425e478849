#!/usr/bin/python3
"""A hostile WebSocket peer on loopback for the channel tests.

    scripted_ws_peer.py silent
        accepts every connection and never answers its opening handshake
    scripted_ws_peer.py huge PATH [CAP]
        answers every handshake; a connection to PATH (the query aside) gets one frame
        announcing 1 GiB, then zero bytes until CAP bytes (64 MiB unless given) are out. A
        connection to /loopback/trtc (the real-time room's control channel) that is not the
        target is told the room was entered, so that the media channel opens.

Prints "READY <port>" once it listens, then per target connection "DROPPED <bytes>" when the
client closes it before CAP, or "SENT <bytes>" when CAP went out with the connection still open.
"""
import asyncio
import base64
import hashlib
import json
import struct
import sys

GUID = b"258EAFA5-E914-47DA-95CA-C5AB0DC85B11"
ANNOUNCED = 1 << 30
CHUNK = 256 * 1024


def frame(opcode, payload_length, payload=b""):
    if payload_length < 126:
        head = struct.pack("!BB", 0x80 | opcode, payload_length)
    elif payload_length < 65536:
        head = struct.pack("!BBH", 0x80 | opcode, 126, payload_length)
    else:
        head = struct.pack("!BBQ", 0x80 | opcode, 127, payload_length)
    return head + payload


async def handshake(reader, writer):
    request = await reader.readuntil(b"\r\n\r\n")
    lines = request.decode("latin-1").split("\r\n")
    path = lines[0].split(" ")[1]
    key = ""
    for line in lines[1:]:
        name, _, value = line.partition(":")
        if name.strip().lower() == "sec-websocket-key":
            key = value.strip()
    accept = base64.b64encode(hashlib.sha1(key.encode() + GUID).digest()).decode()
    writer.write(("HTTP/1.1 101 Switching Protocols\r\nUpgrade: websocket\r\nConnection: Upgrade\r\n"
                  "Sec-WebSocket-Accept: %s\r\n\r\n" % accept).encode())
    await writer.drain()
    return path


async def drain_reads(reader):
    try:
        while await reader.read(65536):
            pass
    except ConnectionError:
        pass


def report(line):
    print(line, flush=True)


async def main():
    mode = sys.argv[1]
    target = sys.argv[2] if len(sys.argv) > 2 else ""
    cap = int(sys.argv[3]) if len(sys.argv) > 3 else 64 * 1024 * 1024

    async def serve(reader, writer):
        if mode == "silent":
            await drain_reads(reader)
            writer.close()
            return
        try:
            path = await handshake(reader, writer)
        except (asyncio.IncompleteReadError, ConnectionError):
            return
        if path.split("?")[0] != target:
            if path.split("?")[0] == "/loopback/trtc":
                text = json.dumps({"ev": "onEnterRoom", "result": 1, "media": "t"}).encode()
                writer.write(frame(0x1, len(text), text))
            await drain_reads(reader)
            return
        reads = asyncio.ensure_future(drain_reads(reader))
        sent = 0
        try:
            # Binary for the media channel, text elsewhere (zero bytes are valid UTF-8).
            writer.write(frame(0x2 if "/media" in path else 0x1, ANNOUNCED))
            zeros = bytes(CHUNK)
            while sent < cap and not reads.done():
                writer.write(zeros)
                await writer.drain()
                sent += CHUNK
        except ConnectionError:
            pass
        if sent < cap or reads.done():
            report("DROPPED %d" % sent)
            return
        report("SENT %d" % sent)
        await reads
        report("DROPPED %d" % sent)

    server = await asyncio.start_server(serve, "127.0.0.1", 0)
    report("READY %d" % server.sockets[0].getsockname()[1])
    async with server:
        await server.serve_forever()


if __name__ == "__main__":
    try:
        asyncio.run(main())
    except KeyboardInterrupt:
        pass
