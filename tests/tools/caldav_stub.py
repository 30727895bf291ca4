#!/usr/bin/python3
"""A CalDAV server that answers badly, for the sync tests: caldav_stub.py PORT
[CERT KEY] (with CERT and KEY: over TLS).

The first part of the path chooses the answer:
  /truncated/  a 207 whose XML stops half way
  /html/       a 207 that is an HTML page
  /notdav/     a 207 in XML that is no multistatus
  /huge/       a 207 of 11 MB
  /status500/  500 to everything
  /digest/     a calendar, behind Digest authentication (alice, secret)
  /cut/        a sync report cut short (507) once, then whole
  /cutloop/    a sync report cut short every time with the same token
  /badics/     a calendar whose one item is no iCalendar
"""
import hashlib
import re
import ssl
import sys
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

CALENDAR = b"""<?xml version="1.0" encoding="utf-8"?>
<multistatus xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav">
<response><href>/digest/cal/</href><propstat><prop>
<resourcetype><collection/><C:calendar/></resourcetype></prop>
<status>HTTP/1.1 200 OK</status></propstat></response></multistatus>
"""


def cut_report(mode, member, token, cut):
    """A sync report of one member, cut short (507 on the collection) or not."""
    self_part = ("<response><href>/%s/cal/</href><status>HTTP/1.1 507 Insufficient Storage</status>"
                 "</response>" % mode) if cut else ""
    return ("<?xml version='1.0'?><multistatus xmlns='DAV:'><sync-token>%s</sync-token>"
            "<response><href>/%s/cal/%s</href><propstat><prop><getetag>\"1\"</getetag></prop>"
            "<status>HTTP/1.1 200 OK</status></propstat></response>%s</multistatus>"
            % (token, mode, member, self_part)).encode()


BADICS_CAL = CALENDAR.replace(b"/digest/", b"/badics/")
BADICS_LIST = b"""<?xml version="1.0" encoding="utf-8"?>
<multistatus xmlns="DAV:"><sync-token>http://stub/1</sync-token>
<response><href>/badics/cal/x.ics</href><propstat><prop><getetag>"1"</getetag></prop>
<status>HTTP/1.1 200 OK</status></propstat></response></multistatus>
"""
BADICS_BODY = b"""<?xml version="1.0" encoding="utf-8"?>
<multistatus xmlns="DAV:" xmlns:C="urn:ietf:params:xml:ns:caldav">
<response><href>/badics/cal/x.ics</href><propstat><prop><getetag>"1"</getetag>
<C:calendar-data>this is no calendar</C:calendar-data></prop>
<status>HTTP/1.1 200 OK</status></propstat></response></multistatus>
"""
REALM, NONCE = "velmo-stub", "0123456789abcdef"


def md5(text):
    return hashlib.md5(text.encode()).hexdigest()


class Handler(BaseHTTPRequestHandler):
    def answer(self, status, body=b"", kind="application/xml; charset=utf-8", extra=()):
        self.send_response(status)
        self.send_header("Content-Type", kind)
        self.send_header("Content-Length", str(len(body)))
        for name, value in extra:
            self.send_header(name, value)
        self.end_headers()
        self.wfile.write(body)

    def digest_ok(self):
        header = self.headers.get("Authorization", "")
        if not header.startswith("Digest "):
            return False
        fields = dict(re.findall(r'(\w+)="?([^",]*)"?', header[7:]))
        ha1 = md5("alice:%s:secret" % REALM)
        ha2 = md5("%s:%s" % (self.command, fields.get("uri", "")))
        want = md5(":".join([ha1, NONCE, fields.get("nc", ""), fields.get("cnonce", ""), "auth", ha2]))
        return fields.get("username") == "alice" and fields.get("response") == want

    def handle_any(self):
        length = int(self.headers.get("Content-Length", "0") or 0)
        body = self.rfile.read(length) if length else b""
        mode = self.path.strip("/").split("/")[0]
        if mode == "truncated":
            self.answer(207, CALENDAR[: len(CALENDAR) // 2])
        elif mode == "html":
            self.answer(207, b"<html><body>Sign in</body></html>", "text/html")
        elif mode == "notdav":
            self.answer(207, b"<?xml version='1.0'?><html xmlns='http://www.w3.org/1999/xhtml'/>")
        elif mode == "huge":
            self.answer(207, b"<?xml version='1.0'?><multistatus xmlns='DAV:'>" + b" " * (11 << 20))
        elif mode == "cut":
            if b"http://stub/1" in body:
                self.answer(207, cut_report(mode, "b.ics", "http://stub/2", False))
            else:
                self.answer(207, cut_report(mode, "a.ics", "http://stub/1", True))
        elif mode == "cutloop":
            self.answer(207, cut_report(mode, "a.ics", "http://stub/1", True))
        elif mode == "badics":
            if self.command == "PROPFIND":
                self.answer(207, BADICS_CAL)
            else:
                self.answer(207, BADICS_BODY if b"calendar-multiget" in body else BADICS_LIST)
        elif mode == "digest":
            if self.digest_ok():
                self.answer(207, CALENDAR)
            else:
                challenge = 'Digest realm="%s", nonce="%s", qop="auth", algorithm=MD5' % (REALM, NONCE)
                self.answer(401, b"", "text/plain", [("WWW-Authenticate", challenge)])
        else:
            self.answer(500, b"broken", "text/plain")

    do_GET = do_PUT = do_DELETE = do_PROPFIND = do_REPORT = handle_any

    def log_message(self, *args):
        pass


if __name__ == "__main__":
    server = ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), Handler)
    if len(sys.argv) == 4:
        context = ssl.SSLContext(ssl.PROTOCOL_TLS_SERVER)
        context.load_cert_chain(sys.argv[2], sys.argv[3])
        server.socket = context.wrap_socket(server.socket, server_side=True)
    server.serve_forever()
