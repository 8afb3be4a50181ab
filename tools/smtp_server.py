#!/usr/bin/python3
"""A local mail server for development and tests: accepts mail on 127.0.0.1 and reports what arrived.

It prints "listening on 127.0.0.1:PORT" once ready, then one JSON line per delivered mail with the envelope,
the login that was used (if any), whether the session ran over TLS, and the mail's decoded subject and body.
A refused login is reported as a JSON line too ({"event": "login refused", ...}).

Options shape the server the client meets:
  --user U --password P      announce AUTH LOGIN and PLAIN and accept only this account (otherwise PLAIN only,
                             and every login fails)
  --cert FILE --key FILE     offer STARTTLS; AUTH is then announced only after the switch to TLS
  --stall COMMAND            stop answering once the client sends this command (MAIL, RCPT, DATA, ...)
  --split                    write every reply line in small pieces with pauses between them
  --until-stdin-closes       end when standard input closes (a test that started it and died)
Debian's python3-aiosmtpd is needed (import under /usr/bin/python3).
"""

import argparse
import asyncio
import email
import email.policy
import json
import logging
import os
import socket
import ssl
import sys
import warnings

from aiosmtpd.smtp import SMTP, AuthResult, LoginPassword


def report(record):
    sys.stdout.write(json.dumps(record, ensure_ascii=False) + "\n")
    sys.stdout.flush()


class Recorder:
    def __init__(self, stall):
        self.stall = stall

    async def _maybe_stall(self, command):
        if self.stall == command:
            await asyncio.sleep(3600)

    async def handle_MAIL(self, server, session, envelope, address, options):
        await self._maybe_stall("MAIL")
        envelope.mail_from = address
        envelope.mail_options.extend(options)
        return "250 OK"

    async def handle_RCPT(self, server, session, envelope, address, options):
        await self._maybe_stall("RCPT")
        envelope.rcpt_tos.append(address)
        envelope.rcpt_options.extend(options)
        return "250 OK"

    async def handle_DATA(self, server, session, envelope):
        await self._maybe_stall("DATA")
        raw = envelope.original_content or envelope.content
        if isinstance(raw, str):
            raw = raw.encode("utf-8")
        message = email.message_from_bytes(raw, policy=email.policy.default)
        body = message.get_body(preferencelist=("plain",))
        login = None
        if isinstance(session.auth_data, LoginPassword):
            login = {
                "user": session.auth_data.login.decode("utf-8", "replace"),
                "password": session.auth_data.password.decode("utf-8", "replace"),
            }
        report(
            {
                "event": "mail",
                "helo": session.host_name,
                "tls": session.ssl is not None,
                "login": login,
                "mail_from": envelope.mail_from,
                "rcpt_tos": envelope.rcpt_tos,
                "subject": str(message["Subject"] or ""),
                "from": str(message["From"] or ""),
                "to": str(message["To"] or ""),
                "x_mailer": str(message["X-Mailer"] or ""),
                "content_type": message.get_content_type(),
                "body": body.get_content() if body is not None else "",
                "raw": raw.decode("utf-8", "replace"),
            }
        )
        return "250 Message accepted"


class Server(SMTP):
    split = False

    async def push(self, status):
        if not self.split:
            return await super().push(status)
        data = (status if isinstance(status, bytes) else status.encode("ascii")) + b"\r\n"
        # Cut inside the code, inside the text and between CR and LF, so the client sees every kind of seam.
        for cut in (data[:2], data[2:5], data[5:-1], data[-1:]):
            if cut:
                self._writer.write(cut)
                await self._writer.drain()
                await asyncio.sleep(0.02)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--port", type=int, default=0)
    parser.add_argument("--user")
    parser.add_argument("--password")
    parser.add_argument("--cert")
    parser.add_argument("--key")
    parser.add_argument("--stall")
    parser.add_argument("--split", action="store_true")
    parser.add_argument("--until-stdin-closes", action="store_true")
    parser.add_argument("--verbose", action="store_true", help="log the sessions' failures on stderr")
    args = parser.parse_args()
    if not args.verbose:
        # A client that gives up during the TLS handshake is an expected case here, not news.
        logging.getLogger("mail.log").setLevel(logging.CRITICAL)
        warnings.simplefilter("ignore", DeprecationWarning)

    tls_context = None
    if args.cert:
        tls_context = ssl.create_default_context(ssl.Purpose.CLIENT_AUTH)
        tls_context.load_cert_chain(args.cert, args.key)

    def authenticator(server, session, envelope, mechanism, auth_data):
        ok = (
            isinstance(auth_data, LoginPassword)
            and auth_data.login.decode("utf-8", "replace") == args.user
            and auth_data.password.decode("utf-8", "replace") == args.password
        )
        if not ok:
            report({"event": "login refused", "mechanism": mechanism})
        # handled=False: the server itself answers a refusal with 535.
        return AuthResult(success=ok, handled=ok, auth_data=auth_data)

    handler = Recorder(args.stall.upper() if args.stall else None)

    def factory():
        server = Server(
            handler,
            hostname="mail.test",
            tls_context=tls_context,
            authenticator=authenticator if args.user else None,
            auth_require_tls=tls_context is not None,
            # Without an account the server announces PLAIN only: a client must then not try LOGIN.
            auth_exclude_mechanism=None if args.user else ["LOGIN"],
        )
        server.split = args.split
        return server

    async def serve():
        sock = socket.socket(socket.AF_INET, socket.SOCK_STREAM)
        sock.setsockopt(socket.SOL_SOCKET, socket.SO_REUSEADDR, 1)
        sock.bind(("127.0.0.1", args.port))
        server = await asyncio.get_running_loop().create_server(factory, sock=sock)
        print("listening on 127.0.0.1:%d" % sock.getsockname()[1], flush=True)
        if args.until_stdin_closes:
            loop = asyncio.get_running_loop()

            def on_input():
                if not os.read(sys.stdin.fileno(), 4096):
                    server.close()

            loop.add_reader(sys.stdin.fileno(), on_input)
        async with server:
            try:
                await server.serve_forever()
            except asyncio.CancelledError:
                pass

    try:
        asyncio.run(serve())
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
