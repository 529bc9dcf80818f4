"""A clock server on loopback for local runs: answers every HEAD (and GET) with the current time
in its Date header, so the composer's network clock shows the real time without leaving the
machine. Listens on a free port of 127.0.0.1 and writes the port number to the file it is given.

    python3 clock_server.py PORT_FILE
"""
import http.server
import os
import sys


class ClockHandler(http.server.BaseHTTPRequestHandler):
    def do_HEAD(self):
        # send_response adds the Date header, in the form HTTP prescribes.
        self.send_response(200)
        self.send_header("Content-Type", "text/plain")
        self.send_header("Content-Length", "0")
        self.end_headers()

    def do_GET(self):
        self.do_HEAD()

    def log_message(self, format, *args):
        pass


def main():
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), ClockHandler)
    port_file = sys.argv[1]
    with open(port_file + ".tmp", "w") as f:
        f.write(str(server.server_address[1]))
    os.replace(port_file + ".tmp", port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
