#!/usr/bin/env python3
"""Stand-in for the log service: SOAP 1.1 at /service.asmx on 127.0.0.1.

Operations:
  ReportComputerLog  stores the submitted log as STATE/logs/<id>.json (the decoded
                     fields) and gives it the next number, starting at 1.
  GetStatus          answers from STATE/solutions/<id>.txt when it exists: its first
                     line is the command string, the remaining lines the instructions
                     shown to the user (UTF-8). No file means no solution yet (result 0).

Every request is also kept as it arrived in STATE/last-request (head and body).

How it answers is read from STATE/mode before each request (one line; the --mode
option when the file is missing):
  normal            the plain SOAP reply
  refuse            ReportComputerLog answers false and stores nothing
  fault             500 with a SOAP fault
  accepted          202 without a body
  continue          a "100 Continue" before the reply
  chunked           the reply in chunks, with a trailer
  redirect [CODE]   a 302 (or CODE) to the same endpoint once, then the reply
  redirect-loop     redirects for ever
  slow [SECONDS]    waits (default 15 s) before answering
  cutoff            announces the whole reply, sends half and closes
  garbage           200 with a body that is not XML
Hostile modes, which only a bounded client survives:
  namespace-bomb [COUNT]  a reply whose header element declares COUNT (default
                          40000) namespace prefixes
  endless-continue        "100 Continue" interim responses until the client leaves
  drip [SECONDS]          the reply one byte at a time, SECONDS (default 5) apart
  silent                  reads the request and never answers

Runs in the foreground by default (Ctrl-C stops it). --daemon starts it in the
background, waits until it listens and prints the port; --stop ends such a one.
A daemon always has a bounded lifetime (--lifetime, default 1800 s).
"""

import argparse
import http.server
import json
import os
import select
import signal
import socketserver
import sys
import threading
import time
import xml.etree.ElementTree as ET
from xml.sax.saxutils import escape

SOAP_NS = "http://schemas.xmlsoap.org/soap/envelope/"
XSI_NS = "http://www.w3.org/2001/XMLSchema-instance"
DEFAULT_NAMESPACE = "http://logservice.velmora.invalid/"


class SoapError(Exception):
    pass


def text_of(element):
    """The element's text, or None when it is marked xsi:nil."""
    if element is None:
        return None
    if element.get("{%s}nil" % XSI_NS) in ("1", "true"):
        return None
    return element.text or ""


def xml_text(value):
    # CR travels as a reference, or an XML reader would turn CR LF into LF.
    return escape(value, {"\r": "&#13;"})


def envelope(content, header=""):
    return ('<?xml version="1.0" encoding="utf-8"?>'
            '<soap:Envelope xmlns:soap="%s" xmlns:xsi="%s" '
            'xmlns:xsd="http://www.w3.org/2001/XMLSchema">%s'
            '<soap:Body>%s</soap:Body></soap:Envelope>' % (SOAP_NS, XSI_NS, header, content)).encode("utf-8")


class LogStore:
    def __init__(self, state):
        self.logs = os.path.join(state, "logs")
        self.solutions = os.path.join(state, "solutions")
        os.makedirs(self.logs, exist_ok=True)
        os.makedirs(self.solutions, exist_ok=True)
        self.lock = threading.Lock()

    def add(self, record):
        with self.lock:
            numbers = [int(name[:-5]) for name in os.listdir(self.logs)
                       if name.endswith(".json") and name[:-5].isdigit()]
            log_id = max(numbers, default=0) + 1
            with open(os.path.join(self.logs, "%d.json" % log_id), "w", encoding="utf-8") as f:
                json.dump(record, f, ensure_ascii=False, indent=1)
            return log_id

    def record(self, log_id):
        try:
            with open(os.path.join(self.logs, "%d.json" % log_id), encoding="utf-8") as f:
                return json.load(f)
        except (OSError, ValueError):
            return None

    def solution(self, log_id):
        try:
            with open(os.path.join(self.solutions, "%d.txt" % log_id), encoding="utf-8", newline="") as f:
                text = f.read()
        except OSError:
            return None
        commands, _, instructions = text.partition("\n")
        return commands.rstrip("\r"), instructions


class Handler(http.server.BaseHTTPRequestHandler):
    protocol_version = "HTTP/1.1"
    server_version = "LogServiceStandIn/1.0"

    def log_message(self, fmt, *args):
        sys.stderr.write("%s %s\n" % (time.strftime("%H:%M:%S"), fmt % args))

    def mode(self):
        try:
            with open(os.path.join(self.server.state, "mode"), encoding="utf-8") as f:
                words = f.read().split()
        except OSError:
            words = self.server.default_mode.split()
        return (words[0], words[1:]) if words else ("normal", [])

    def do_POST(self):
        path, _, query = self.path.partition("?")
        length = int(self.headers.get("Content-Length") or 0)
        body = self.rfile.read(length) if length > 0 else b""
        head = self.requestline + "\r\n" + "".join("%s: %s\r\n" % item for item in self.headers.items()) + "\r\n"
        with open(os.path.join(self.server.state, "last-request"), "wb") as f:
            f.write(head.encode("latin-1") + body)
        if path != "/service.asmx":
            self.reply(404, b"", "text/plain")
            return

        mode, args = self.mode()
        if mode == "slow":
            time.sleep(float(args[0]) if args else 15.0)
        if mode in ("redirect", "redirect-loop") and (mode == "redirect-loop" or "redirected" not in query):
            self.send_response(int(args[0]) if args else 302)
            self.send_header("Location", "http://127.0.0.1:%d/service.asmx?redirected=%d"
                             % (self.server.server_address[1], time.monotonic_ns()))
            self.send_header("Content-Length", "0")
            self.end_headers()
            return
        if mode == "accepted":
            self.reply(202, b"", None)
            return
        if mode == "silent":
            self.wait_for_client_to_leave()
            return
        if mode == "endless-continue":
            self.send_until_client_leaves(lambda: b"HTTP/1.1 100 Continue\r\n\r\n", 0.05)
            return
        if mode == "garbage":
            self.reply(200, b"this is not a SOAP envelope", "text/xml; charset=utf-8")
            return

        if mode == "fault":
            status, content = 500, self.fault("soap:Server", "The service is failing on purpose.")
        else:
            header = ""
            if mode == "namespace-bomb":
                # Otherwise a good reply: only the cost of the declarations can hurt.
                count = int(args[0]) if args else 40000
                header = "<soap:Header><Bomb%s/></soap:Header>" % "".join(' xmlns:n%d="u"' % i for i in range(count))
            try:
                status, content = 200, envelope(self.answer(body, mode), header)
            except SoapError as error:
                status, content = 500, self.fault("soap:Client", str(error))

        if mode == "continue":
            self.wfile.write(b"HTTP/1.1 100 Continue\r\n\r\n")
        if mode == "drip":
            self.close_connection = True
            whole = self.head_bytes(status, len(content)) + content
            pieces = iter([whole[i:i + 1] for i in range(len(whole))])
            self.send_until_client_leaves(lambda: next(pieces, b""), float(args[0]) if args else 5.0)
        elif mode == "chunked":
            self.send_chunked(status, content)
        elif mode == "cutoff":
            self.send_response(status)
            self.send_header("Content-Type", "text/xml; charset=utf-8")
            self.send_header("Content-Length", str(len(content)))
            self.send_header("Connection", "close")
            self.end_headers()
            self.wfile.write(content[:len(content) // 2])
            self.close_connection = True
        else:
            self.reply(status, content, "text/xml; charset=utf-8")

    def head_bytes(self, status, length):
        return ("HTTP/1.1 %d %s\r\nContent-Type: text/xml; charset=utf-8\r\nContent-Length: %d\r\n\r\n"
                % (status, self.responses.get(status, ("",))[0], length)).encode("latin-1")

    def wait_for_client_to_leave(self, limit=900):
        self.close_connection = True
        deadline = time.monotonic() + limit
        while time.monotonic() < deadline:
            readable, _, _ = select.select([self.connection], [], [], 0.5)
            if readable and not self.connection.recv(4096):
                return

    def send_until_client_leaves(self, next_bytes, pause, limit=900):
        self.close_connection = True
        deadline = time.monotonic() + limit
        try:
            while time.monotonic() < deadline:
                piece = next_bytes()
                if not piece:
                    return
                self.wfile.write(piece)
                self.wfile.flush()
                time.sleep(pause)
        except OSError:
            pass  # the client gave up, as it should

    def reply(self, status, content, content_type):
        self.send_response(status)
        if content_type:
            self.send_header("Content-Type", content_type)
        self.send_header("Content-Length", str(len(content)))
        self.end_headers()
        self.wfile.write(content)

    def send_chunked(self, status, content):
        self.send_response(status)
        self.send_header("Content-Type", "text/xml; charset=utf-8")
        self.send_header("Transfer-Encoding", "chunked")
        self.send_header("Trailer", "X-Log-Service")
        self.end_headers()
        sizes = [1, 7, 64, 300]
        offset, index = 0, 0
        while offset < len(content):
            piece = content[offset:offset + sizes[index % len(sizes)]]
            extension = ";piece=%d" % index if index % 2 else ""
            self.wfile.write(b"%x%s\r\n%s\r\n" % (len(piece), extension.encode(), piece))
            offset += len(piece)
            index += 1
        self.wfile.write(b"0\r\nX-Log-Service: stand-in\r\n\r\n")

    def fault(self, code, text):
        return envelope("<soap:Fault><faultcode>%s</faultcode><faultstring>%s</faultstring>"
                        "</soap:Fault>" % (code, xml_text(text)))

    def answer(self, body, mode):
        try:
            root = ET.fromstring(body)
        except ET.ParseError as error:
            raise SoapError("not XML: %s" % error)
        if root.tag != "{%s}Envelope" % SOAP_NS:
            raise SoapError("not a SOAP 1.1 envelope")
        soap_body = root.find("{%s}Body" % SOAP_NS)
        if soap_body is None or len(soap_body) != 1:
            raise SoapError("no operation in the body")
        operation = soap_body[0]
        namespace = self.server.namespace
        action = self.headers.get("SOAPAction", "")
        for name, handler in (("ReportComputerLog", self.report_computer_log), ("GetStatus", self.get_status)):
            if operation.tag == "{%s}%s" % (namespace, name):
                if action != '"%s%s"' % (namespace, name):
                    raise SoapError("SOAPAction %s does not name %s" % (action, name))
                return handler(lambda child: text_of(operation.find("{%s}%s" % (namespace, child))), mode)
        raise SoapError("unknown operation %s" % operation.tag)

    def report_computer_log(self, field, mode):
        try:
            sent_id = int(field("LogID"))
        except (TypeError, ValueError):
            raise SoapError("LogID is not an int")
        record = {name: field(name) for name in ("Email", "ProductVersion", "Log", "Description")}
        record["LogIDSent"] = sent_id
        log_id, accepted = -1, "false"
        if mode != "refuse":
            log_id, accepted = self.server.store.add(record), "true"
        return ('<ReportComputerLogResponse xmlns="%s"><ReportComputerLogResult>%s</ReportComputerLogResult>'
                '<LogID>%d</LogID></ReportComputerLogResponse>' % (self.server.namespace, accepted, log_id))

    def get_status(self, field, mode):
        try:
            log_id = int(field("ID"))
        except (TypeError, ValueError):
            raise SoapError("ID is not an int")
        record = self.server.store.record(log_id)
        solution = self.server.store.solution(log_id)
        if record is not None and record.get("Email") != field("Email"):
            solution = None
        commands, instructions = solution if solution else ("", "")
        return ('<GetStatusResponse xmlns="%s"><GetStatusResult>%d</GetStatusResult>'
                '<Comments>%s</Comments><SolutionCommands>%s</SolutionCommands></GetStatusResponse>'
                % (self.server.namespace, 1 if solution else 0, xml_text(instructions), xml_text(commands)))


class Server(socketserver.ThreadingMixIn, http.server.HTTPServer):
    daemon_threads = True
    allow_reuse_address = True


def serve(options):
    server = Server(("127.0.0.1", options.port), Handler)
    server.state = options.state
    server.namespace = options.namespace
    server.default_mode = options.mode
    server.store = LogStore(options.state)
    if options.lifetime > 0:
        threading.Timer(options.lifetime, server.shutdown).start()
    port_file = os.path.join(options.state, "port")
    with open(port_file + ".tmp", "w") as f:
        f.write("%d\n" % server.server_address[1])
    os.replace(port_file + ".tmp", port_file)
    print("log service at http://127.0.0.1:%d/service.asmx, namespace %s"
          % (server.server_address[1], options.namespace), file=sys.stderr, flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass
    finally:
        server.server_close()
        for name in ("port", "pid"):
            try:
                os.remove(os.path.join(options.state, name))
            except OSError:
                pass
    os._exit(0)  # a slow reply still sleeping must not keep the process alive


def start_daemon(options):
    port_file = os.path.join(options.state, "port")
    if os.path.exists(port_file):
        os.remove(port_file)
    pid = os.fork()
    if pid == 0:
        os.setsid()
        log = os.open(os.path.join(options.state, "service.log"), os.O_WRONLY | os.O_CREAT | os.O_APPEND, 0o644)
        null = os.open(os.devnull, os.O_RDONLY)
        os.dup2(null, 0)
        os.dup2(log, 1)
        os.dup2(log, 2)
        os.closerange(3, 1024)  # nothing of the caller's (a test runner's pipes) stays open here
        with open(os.path.join(options.state, "pid"), "w") as f:
            f.write("%d\n" % os.getpid())
        try:
            serve(options)
        finally:
            os._exit(1)
    deadline = time.monotonic() + 10
    while time.monotonic() < deadline:
        if os.path.exists(port_file):
            with open(port_file) as f:
                print(f.read().strip())
            return 0
        time.sleep(0.05)
    print("log service did not start; see %s" % os.path.join(options.state, "service.log"), file=sys.stderr)
    return 1


def stop_daemon(options):
    try:
        with open(os.path.join(options.state, "pid")) as f:
            pid = int(f.read())
    except (OSError, ValueError):
        return 0
    try:
        os.kill(pid, signal.SIGTERM)
    except ProcessLookupError:
        pass
    for name in ("pid", "port"):
        try:
            os.remove(os.path.join(options.state, name))
        except OSError:
            pass
    return 0


def main():
    parser = argparse.ArgumentParser(description="Stand-in log service (SOAP 1.1 at /service.asmx).")
    parser.add_argument("--state", required=True, help="folder for logs, solutions, the mode file and the port")
    parser.add_argument("--port", type=int, default=8080, help="0 picks a free port (written to STATE/port)")
    parser.add_argument("--namespace", default=DEFAULT_NAMESPACE, help="service namespace URI, ending in /")
    parser.add_argument("--mode", default="normal", help="answer mode when STATE/mode is missing")
    parser.add_argument("--lifetime", type=float, default=0, help="seconds until it stops by itself (0: never)")
    parser.add_argument("--reset", action="store_true", help="forget stored logs, solutions and the mode first")
    parser.add_argument("--daemon", action="store_true", help="run in the background and print the port")
    parser.add_argument("--stop", action="store_true", help="stop the background service of STATE")
    options = parser.parse_args()

    options.state = os.path.abspath(options.state)
    if options.stop:
        return stop_daemon(options)
    os.makedirs(options.state, exist_ok=True)
    if options.reset:
        for folder in ("logs", "solutions"):
            path = os.path.join(options.state, folder)
            if os.path.isdir(path):
                for name in os.listdir(path):
                    os.remove(os.path.join(path, name))
        for name in ("mode", "last-request"):
            try:
                os.remove(os.path.join(options.state, name))
            except OSError:
                pass
    if options.daemon:
        if options.lifetime <= 0:
            options.lifetime = 1800
        return start_daemon(options)
    serve(options)
    return 0


if __name__ == "__main__":
    sys.exit(main())
