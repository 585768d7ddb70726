#!/usr/bin/python3
"""A small FTP server for the update tests: serves one folder to one user on
127.0.0.1, on a port the system chooses (written to --port-file once it
listens).

Test hooks:
  - a file named ".listing-extra" in a folder adds the names it holds (one JSON
    string per line) to that folder's listings, so a test can offer names no
    file system can hold;
  - --die-after N ends the whole server once N bytes of a file were handed out,
    the way a server that goes away in the middle of a transfer looks;
  - --tls implicit|explicit with --cert PEM (certificate and key) serves FTPS:
    TLS from the first byte, or after AUTH TLS with both connections required
    to be protected.
"""
import argparse
import json
import logging
import os

from pyftpdlib.authorizers import DummyAuthorizer
from pyftpdlib.filesystems import AbstractedFS
from pyftpdlib.handlers import FTPHandler, TLS_FTPHandler
from pyftpdlib.servers import FTPServer

EXTRA = ".listing-extra"


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--root", required=True)
    parser.add_argument("--user", required=True)
    parser.add_argument("--password", required=True)
    parser.add_argument("--port-file", required=True)
    parser.add_argument("--die-after", type=int, default=-1)
    parser.add_argument("--tls", choices=["implicit", "explicit"])
    parser.add_argument("--cert")
    args = parser.parse_args()

    class DyingFile:
        def __init__(self, f):
            self._f = f
            self._sent = 0

        def read(self, n=-1):
            if self._sent >= args.die_after:
                os._exit(3)
            if n is None or n < 0:
                n = args.die_after - self._sent
            data = self._f.read(min(n, args.die_after - self._sent))
            self._sent += len(data)
            return data

        def __getattr__(self, name):
            return getattr(self._f, name)

    class TestFS(AbstractedFS):
        def listdir(self, path):
            names = [n for n in super().listdir(path) if n != EXTRA]
            extra = os.path.join(path, EXTRA)
            if os.path.isfile(extra):
                with open(extra, encoding="utf-8") as f:
                    names += [json.loads(line) for line in f if line.strip()]
            return names

        def open(self, filename, mode):
            f = super().open(filename, mode)
            if args.die_after >= 0 and "r" in mode:
                return DyingFile(f)
            return f

    logging.basicConfig(level=logging.ERROR)
    authorizer = DummyAuthorizer()
    authorizer.add_user(args.user, args.password, args.root, perm="elr")
    if args.tls:
        class ImplicitTls(TLS_FTPHandler):
            def handle(self):
                self.secure_connection(self.ssl_context)
                super().handle()

            def ftp_AUTH(self, line):
                self.respond("503 Already using TLS.")

        handler = ImplicitTls if args.tls == "implicit" else TLS_FTPHandler
        handler.certfile = args.cert
        handler.tls_control_required = True
        handler.tls_data_required = True
        # Clients resume the control connection's TLS session on the data
        # connection; OpenSSL refuses that without a session id context.
        handler.get_ssl_context().set_session_id(b"brelvantor-test")
    else:
        handler = FTPHandler
    handler.authorizer = authorizer
    handler.abstracted_fs = TestFS
    handler.use_sendfile = False
    handler.auth_failed_timeout = 0  # a wrong password is answered at once
    handler.banner = "test update server"
    server = FTPServer(("127.0.0.1", 0), handler)
    port = server.socket.getsockname()[1]
    tmp = args.port_file + ".tmp"
    with open(tmp, "w") as f:
        f.write(str(port))
    os.rename(tmp, args.port_file)
    server.serve_forever()


if __name__ == "__main__":
    main()
