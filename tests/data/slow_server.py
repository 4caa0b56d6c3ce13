"""A data server that takes two seconds before it answers any GET with one
price line. Usage: slow_server.py PORT"""
import http.server
import sys
import time


class SlowHandler(http.server.BaseHTTPRequestHandler):
    def do_GET(self):
        time.sleep(2)
        body = b"20240716,15831,15900,15800,15850\n"
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)


http.server.ThreadingHTTPServer(("127.0.0.1", int(sys.argv[1])), SlowHandler).serve_forever()
