#!/usr/bin/env python3
"""Local text-to-speech service for development and tests.

Answers GET /translate_tts?ie=UTF-8&tl=<lang>&q=<text> with an MP3 recording of the text, spoken by
espeak-ng in the voice of <lang> and encoded by lame. Listens on loopback only.

    python3 tools/speech_service.py --port 5125

With --port 0 a free port is taken; the first line printed names it: "listening on 127.0.0.1:<port>".
"""

import argparse
import subprocess
import sys
import urllib.parse
from http.server import BaseHTTPRequestHandler, ThreadingHTTPServer

# Voices for the program's speech languages; anything else falls back to espeak-ng's default voice.
VOICES = {"ru": "ru", "en": "en", "fr": "fr", "de": "de", "it": "it", "uk": "uk", "bg": "bg"}
MAX_TEXT = 2000


def synthesize(text: str, lang: str) -> bytes:
    voice = VOICES.get(lang, "en")
    wav = subprocess.run(["espeak-ng", "-v", voice, "--stdout", text],
                         check=True, capture_output=True, timeout=60).stdout
    mp3 = subprocess.run(["lame", "--quiet", "-b", "48", "-", "-"],
                         input=wav, check=True, capture_output=True, timeout=60).stdout
    return mp3


class Handler(BaseHTTPRequestHandler):
    server_version = "VeltraneSpeech/1.0"

    def do_GET(self):
        url = urllib.parse.urlsplit(self.path)
        if url.path != "/translate_tts":
            self.send_error(404, "Not Found")
            return
        query = urllib.parse.parse_qs(url.query, keep_blank_values=True, encoding="utf-8", errors="replace")
        text = query.get("q", [""])[0]
        lang = query.get("tl", [""])[0]
        if not text.strip() or len(text) > MAX_TEXT:
            self.send_error(400, "Bad Request")
            return
        try:
            body = synthesize(text, lang)
        except (subprocess.SubprocessError, OSError) as error:
            self.send_error(500, "Synthesis failed: %s" % error.__class__.__name__)
            return
        self.send_response(200)
        self.send_header("Content-Type", "audio/mpeg")
        self.send_header("Content-Length", str(len(body)))
        self.end_headers()
        self.wfile.write(body)

    def log_message(self, fmt, *args):
        if not self.server.quiet:
            sys.stderr.write("%s %s\n" % (self.address_string(), fmt % args))


def main():
    parser = argparse.ArgumentParser(description=__doc__.splitlines()[0])
    parser.add_argument("--host", default="127.0.0.1", help="address to listen on (loopback by default)")
    parser.add_argument("--port", type=int, default=5125)
    parser.add_argument("--quiet", action="store_true", help="no request log")
    args = parser.parse_args()
    server = ThreadingHTTPServer((args.host, args.port), Handler)
    server.quiet = args.quiet
    print("listening on %s:%d" % server.server_address[:2], flush=True)
    try:
        server.serve_forever()
    except KeyboardInterrupt:
        pass


if __name__ == "__main__":
    main()
