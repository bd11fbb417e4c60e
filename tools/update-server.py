#!/usr/bin/env python3
"""Stand-in update server for tests and demos (plain HTTP, 127.0.0.1 only).

Serves the update files of a release below the folder --root, at the paths they have
there (tools/sign-update.py writes a release in this layout):

    /it-velmora-latest-version/velmora_version.txt
    /it-velmora-latest-version/velmora_appsize.txt   (the size of Velmora.exe when the folder has no such file)
    /it-velmora-latest-version/Velmora.exe
    /it-velmora-latest-version/velmora_manifest.txt  (the signed release statement)
    /it-velmora-latest-version/velmora_signature.txt

A first path segment chooses a misbehaviour, so one server covers every case; point the
program at "http://127.0.0.1:PORT/<mode>":

    /wrong-size/...  the size file announces 4096 bytes more than Velmora.exe has
    /not-found/...   every file answers 404 with an HTML page
    /cut-off/...     Velmora.exe announces its full length but the body stops half-way
    /slow/...        the first 80 KB of Velmora.exe come in 4 KB pieces, one every 100 ms,
                     the rest at once (time to watch, or cancel, a download)

    update-server.py --root DIR [--port N] [--lifetime SECONDS]        run in the foreground
    update-server.py --root DIR --state DIR --daemon [--lifetime S]    start in the background,
                     write the port to DIR/port and the process id to DIR/pid, and return
    update-server.py --state DIR --stop                                stop a background server

The server always ends after its lifetime (default 1800 s), so an interrupted test run
leaves nothing running for long.
"""

import argparse
import http.server
import os
import signal
import subprocess
import sys
import threading
import time

FOLDER = "it-velmora-latest-version"
SERVED = ("velmora_version.txt", "Velmora.exe", "velmora_manifest.txt", "velmora_signature.txt")
MODES = ("wrong-size", "not-found", "cut-off", "slow")
SLOW_PART = 80 * 1024


class UpdateHandler(http.server.BaseHTTPRequestHandler):
    root = "."
    protocol_version = "HTTP/1.1"

    def log_message(self, *args):
        pass

    def do_GET(self):
        parts = [p for p in self.path.split("?")[0].split("/") if p]
        mode = parts.pop(0) if parts and parts[0] in MODES else ""
        if mode == "not-found" or len(parts) != 2 or parts[0] != FOLDER:
            self.send_body(404, b"<html><body><h1>404 Not Found</h1></body></html>", "text/html")
            return
        name = parts[1]
        folder = os.path.join(self.root, FOLDER)
        program = os.path.join(folder, "Velmora.exe")
        if name == "velmora_appsize.txt":
            size_file = os.path.join(folder, name)
            if os.path.exists(size_file):
                body = open(size_file, "rb").read()
            elif os.path.exists(program):
                body = str(os.path.getsize(program)).encode()
            else:
                body = None
            if body is not None and mode == "wrong-size":
                body = str(int(body.strip() or b"0") + 4096).encode()
        elif name in SERVED:
            path = os.path.join(folder, name)
            body = open(path, "rb").read() if os.path.exists(path) else None
        else:
            body = None
        if body is None:
            self.send_body(404, b"<html><body><h1>404 Not Found</h1></body></html>", "text/html")
        elif name == "Velmora.exe" and mode == "cut-off":
            self.send_head(200, len(body), "application/octet-stream")
            self.wfile.write(body[: len(body) // 2])
            self.wfile.flush()
            self.close_connection = True
        elif name == "Velmora.exe" and mode == "slow":
            self.send_head(200, len(body), "application/octet-stream")
            for at in range(0, min(len(body), SLOW_PART), 4096):
                self.wfile.write(body[at : at + 4096])
                self.wfile.flush()
                time.sleep(0.1)
            self.wfile.write(body[SLOW_PART:])
        else:
            self.send_body(200, body, "application/octet-stream")

    def send_head(self, status, length, content_type):
        self.send_response(status)
        self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(length))
        self.end_headers()

    def send_body(self, status, body, content_type):
        self.send_head(status, len(body), content_type)
        self.wfile.write(body)


def write_atomically(path, text):
    with open(path + ".tmp", "w") as f:
        f.write(text)
    os.replace(path + ".tmp", path)


def serve(root, port, lifetime, state):
    UpdateHandler.root = root
    server = http.server.ThreadingHTTPServer(("127.0.0.1", port), UpdateHandler)
    server.daemon_threads = True
    timer = threading.Timer(lifetime, server.shutdown)
    timer.daemon = True
    timer.start()
    signal.signal(signal.SIGTERM, lambda *_: threading.Thread(target=server.shutdown).start())
    if state:
        write_atomically(os.path.join(state, "pid"), str(os.getpid()))
        write_atomically(os.path.join(state, "port"), str(server.server_address[1]))
    else:
        print(f"serving {root} at http://127.0.0.1:{server.server_address[1]} for {lifetime:.0f} s", flush=True)
    server.serve_forever()
    server.server_close()
    if state:
        for name in ("pid", "port"):
            try:
                os.remove(os.path.join(state, name))
            except FileNotFoundError:
                pass


def start_daemon(args):
    os.makedirs(args.state, exist_ok=True)
    os.makedirs(os.path.join(args.root, FOLDER), exist_ok=True)
    stop(args.state)
    command = [sys.executable, os.path.abspath(__file__), "--root", args.root, "--state", args.state,
               "--port", str(args.port), "--lifetime", str(args.lifetime)]
    # Detached and without our output pipes, so CTest does not wait for it.
    subprocess.Popen(command, stdin=subprocess.DEVNULL, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL,
                     start_new_session=True, close_fds=True)
    port_file = os.path.join(args.state, "port")
    for _ in range(100):
        if os.path.exists(port_file):
            print(f"update server at http://127.0.0.1:{open(port_file).read()} serving {args.root}")
            return 0
        time.sleep(0.1)
    print("update-server.py: the server did not start", file=sys.stderr)
    return 1


def stop(state):
    pid_file = os.path.join(state, "pid")
    try:
        pid = int(open(pid_file).read())
    except (FileNotFoundError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
        for _ in range(50):
            os.kill(pid, 0)
            time.sleep(0.1)
        os.kill(pid, signal.SIGKILL)
    except ProcessLookupError:
        pass
    for name in ("pid", "port"):
        try:
            os.remove(os.path.join(state, name))
        except FileNotFoundError:
            pass
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("--root", help=f"folder whose {FOLDER} holds velmora_version.txt, Velmora.exe, "
                        "velmora_manifest.txt, velmora_signature.txt and optionally velmora_appsize.txt")
    parser.add_argument("--port", type=int, default=0, help="0 picks a free port")
    parser.add_argument("--lifetime", type=float, default=1800)
    parser.add_argument("--state", help="folder for the port and pid files of a background server")
    parser.add_argument("--daemon", action="store_true")
    parser.add_argument("--stop", action="store_true")
    args = parser.parse_args()
    if args.stop:
        if not args.state:
            parser.error("--stop needs --state")
        return stop(args.state)
    if not args.root:
        parser.error("--root is required")
    if args.daemon:
        if not args.state:
            parser.error("--daemon needs --state")
        return start_daemon(args)
    serve(args.root, args.port, args.lifetime, args.state)
    return 0


if __name__ == "__main__":
    sys.exit(main())
