#!/usr/bin/env python3
"""Serves an application folder over HTTP on 127.0.0.1 the way the desktop's
application scheme does (a toy's folder is its frame's page, a toy's storage
is empty), so that a browser can show the same module pages as the desktop.
Prints the port, then serves until killed."""
import http.server
import os
import re
import sys
import urllib.parse

TOY_FRAME = (b'<!DOCTYPE html><html data-zelkora="toy" class="zelkora-frame"><head>'
             b'<meta charset="utf-8"><link rel="stylesheet" href="/zelkora.css">'
             b'<script src="/zelkora.js"></script></head><body></body></html>')


class Handler(http.server.SimpleHTTPRequestHandler):
    def do_GET(self):
        path = urllib.parse.urlparse(self.path).path
        if path == '/.zelkora/storage':
            return self.reply(b'{}', 'application/json')
        if re.fullmatch(r'/ZelToyz/[^/]+/', path):
            return self.reply(TOY_FRAME, 'text/html')
        return super().do_GET()

    def reply(self, body, kind):
        self.send_response(200)
        self.send_header('Content-Type', kind)
        self.send_header('Content-Length', str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, *args):
        pass


os.chdir(sys.argv[1])
server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), Handler)
print(server.server_address[1], flush=True)
server.serve_forever()
