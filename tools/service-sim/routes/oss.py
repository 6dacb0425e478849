"""Object storage and its temporary credentials.

    POST /Mobile/Tools/getSts   form room_id -> {"data": {"AccessKeyId", "AccessKeySecret",
                                "SecurityToken", "Expiration"}}; new credentials on every call,
                                valid for the configured lifetime (3600 s by default)
    PUT  /svfs/<key>            a signed upload: Authorization "OSS <id>:<base64 HMAC-SHA1>" over
                                "PUT\n<Content-MD5>\n<Content-Type>\n<Date>\nx-oss-security-token:<token>\n/svfs/<key>";
                                the id, token, expiry, Date (15 min skew at most) and MD5 are checked,
                                a refusal is an XML <Error> with its <Code> (403, or 400 for a bad MD5)
    GET  /svfs/<key>            anonymous download of a stored object (404 NoSuchKey otherwise)

Control:
    POST /_sim/oss/config   {"lifetime": seconds, "put_delay": seconds before an upload is answered}
    POST /_sim/oss/expire   every credential issued so far is expired
    GET  /_sim/oss/objects  [{"key", "size", "content_type"}] in upload order
"""
import asyncio
import base64
import email.utils
import hashlib
import hmac
import itertools
import secrets
import time

from aiohttp import web

from simlib import envelope, json_reply

BUCKET = "svfs"
MAX_SKEW = 15 * 60


def string_to_sign(md5, ctype, date, token, key):
    return "PUT\n%s\n%s\n%s\nx-oss-security-token:%s\n/%s/%s" % (md5, ctype, date, token, BUCKET, key)


def signature(secret, text):
    return base64.b64encode(hmac.new(secret.encode(), text.encode("utf-8"), hashlib.sha1).digest()).decode()


class State:
    def __init__(self):
        self.lifetime = 3600
        self.put_delay = 0
        self.ids = itertools.count(1)
        self.creds = {}     # id -> {"secret", "token", "expires"}
        self.objects = {}   # key -> (bytes, content type), insertion ordered


def xml_error(status, code, message):
    body = ("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Error><Code>%s</Code><Message>%s</Message>"
            "<RequestId>sim</RequestId></Error>" % (code, message))
    return web.Response(status=status, body=body.encode(), content_type="application/xml")


def setup(app, sim):
    def st():
        return sim.area("oss", State)

    async def get_sts(request):
        s = st()
        key_id = sim.secret("STS.sim%d" % next(s.ids))
        cred = {"secret": sim.secret(secrets.token_hex(16)), "token": sim.secret(secrets.token_urlsafe(24)),
                "expires": time.time() + s.lifetime}
        s.creds[key_id] = cred
        expiration = time.strftime("%Y-%m-%dT%H:%M:%SZ", time.gmtime(cred["expires"]))
        return json_reply(envelope({"AccessKeyId": key_id, "AccessKeySecret": cred["secret"],
                                    "SecurityToken": cred["token"], "Expiration": expiration}))

    async def put_object(request):
        s = st()
        key = request.match_info["key"]
        body = await request.read()
        if s.put_delay:
            await asyncio.sleep(s.put_delay)
        auth = request.headers.get("Authorization", "")
        if not auth.startswith("OSS ") or ":" not in auth:
            return xml_error(403, "AccessDenied", "Authorization missing")
        key_id, _, sig = auth[4:].rpartition(":")
        cred = s.creds.get(key_id)
        if cred is None:
            return xml_error(403, "InvalidAccessKeyId", "The access key id does not exist.")
        token = request.headers.get("x-oss-security-token", "")
        if token != cred["token"]:
            return xml_error(403, "InvalidSecurityToken", "The security token is invalid.")
        if time.time() >= cred["expires"]:
            return xml_error(403, "SecurityTokenExpired", "The security token has expired.")
        date = request.headers.get("Date", "")
        try:
            when = email.utils.parsedate_to_datetime(date).timestamp()
        except (TypeError, ValueError):
            return xml_error(403, "AccessDenied", "Date missing or unreadable")
        if abs(time.time() - when) > MAX_SKEW:
            return xml_error(403, "RequestTimeTooSkewed", "The difference between the request time and the server's time is too large.")
        md5 = request.headers.get("Content-MD5", "")
        ctype = request.headers.get("Content-Type", "")
        expected = signature(cred["secret"], string_to_sign(md5, ctype, date, token, key))
        if not hmac.compare_digest(expected, sig):
            return xml_error(403, "SignatureDoesNotMatch", "The request signature we calculated does not match.")
        if md5 and base64.b64encode(hashlib.md5(body).digest()).decode() != md5:
            return xml_error(400, "InvalidDigest", "The Content-MD5 does not match the body.")
        s.objects.pop(key, None)
        s.objects[key] = (body, ctype or "application/octet-stream")
        return web.Response(status=200, headers={"ETag": '"%s"' % hashlib.md5(body).hexdigest().upper()})

    async def get_object(request):
        obj = st().objects.get(request.match_info["key"])
        if obj is None:
            return xml_error(404, "NoSuchKey", "The key does not exist.")
        return web.Response(status=200, body=obj[0], headers={"Content-Type": obj[1]})

    async def ctl_config(request):
        conf = await request.json()
        if "lifetime" in conf:
            st().lifetime = float(conf["lifetime"])
        if "put_delay" in conf:
            st().put_delay = float(conf["put_delay"])
        return web.json_response({"ok": True})

    async def ctl_expire(request):
        for cred in st().creds.values():
            cred["expires"] = 0
        return web.json_response({"ok": True})

    async def ctl_objects(request):
        return web.json_response([{"key": k, "size": len(v[0]), "content_type": v[1]}
                                  for k, v in st().objects.items()])

    app.router.add_post("/Mobile/Tools/getSts", get_sts)
    app.router.add_put("/" + BUCKET + "/{key:.+}", put_object)
    app.router.add_get("/" + BUCKET + "/{key:.+}", get_object)
    app.router.add_post("/_sim/oss/config", ctl_config)
    app.router.add_post("/_sim/oss/expire", ctl_expire)
    app.router.add_get("/_sim/oss/objects", ctl_objects)
