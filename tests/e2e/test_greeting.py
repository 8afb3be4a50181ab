"""The daily greeting of the real program: the request the speech service receives on the tenth clock tick, the
recording stored and played, the date kept in the settings; and no request at all without a network."""

import hashlib
import os
import threading
import time
import unittest

import e2e_extras as ex
import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
TODAY = '05.03.2026'
NEVER_GREETED = '01.01.2012'
# 14:28:40 on Thursday 5 March 2026, Russian defaults (the language file is still empty at a first start, so "tud"
# keeps its trailing blank and two blanks follow "Сегодня"): «Добрый день! Сегодня  Четверг, 05.03.2026 года».
SENTENCE = 'Добрый день! Сегодня  Четверг, 05.03.2026 года'
EXPECTED_PATH = ('/translate_tts?ie=UTF-8&tl=ru&q='
                 '%D0%94%D0%BE%D0%B1%D1%80%D1%8B%D0%B9+%D0%B4%D0%B5%D0%BD%D1%8C%21+'
                 '%D0%A1%D0%B5%D0%B3%D0%BE%D0%B4%D0%BD%D1%8F++'
                 '%D0%A7%D0%B5%D1%82%D0%B2%D0%B5%D1%80%D0%B3%2C+'
                 '05%2E03%2E2026+%D0%B3%D0%BE%D0%B4%D0%B0')
# The header set of the speech client; the page fetcher's browser headers must not leak into it.
HEADERS = {'User-Agent': 'Mozilla/3.0 (compatible; Indy Library)', 'Accept': 'text/html, */*',
           'Content-Type': 'text/html'}
NOT_SENT = ('Referer', 'Accept-Language', 'Accept-Charset', 'Cookie')
# Past the tenth tick of a run that started when its window appeared, with room for a slow start.
PAST_TICK_TEN = 20


class FileOpenWatch:
    """Polls a process's descriptors for a file; `opened` is the monotonic time it was first seen open and
    still open 0.1 s later (a player holding it, not a quick look at its first bytes)."""

    def __init__(self, pid, path):
        self.pid, self.path = pid, path
        self.opened = None
        self._stop = threading.Event()
        self._thread = threading.Thread(target=self._run, daemon=True)
        self._thread.start()

    def _run(self):
        first = None
        while not self._stop.is_set():
            now = time.monotonic()
            if ex.open_fds_to(self.pid, self.path):
                if first is None:
                    first = now
                elif now - first >= 0.1:
                    self.opened = first
                    return
            else:
                first = None
            time.sleep(0.005)

    def stop(self):
        self._stop.set()
        self._thread.join(5)


class GreetingTest(e2e.VeltraneTestCase):
    """The program runs in a network namespace of its own with a recording speech service inside it; online, the
    namespace holds a sealed network that looks like a connection, so nothing can leave it either way."""

    PORT = 18080

    def setUp(self):
        super().setUp()
        self.folder = self.program_folder()
        self.folder.write_services(speech=f'http://127.0.0.1:{self.PORT}')
        self.log = os.path.join(self.workdir, 'speech-requests.jsonl')
        self.desk = self.desktop()  # icewm with its tray

    def start(self, online):
        prog = self.desk.start_program(self.folder, faketime=START,
                                       wrap=ex.namespace_wrap(self.PORT, self.log, online=online))
        prog.wait_main_window(timeout=90)
        return prog

    def speech_requests(self):
        return [r for r in ex.read_request_log(self.log) if r['path'] != '/probe']

    def test_greeting_on_the_tenth_tick_when_online(self):
        folder = self.folder
        prog = self.start(online=True)
        shown = time.monotonic()
        watch = FileOpenWatch(prog.pid, folder.file('hello-ru.mp3'))
        self.addCleanup(watch.stop)

        greeting = e2e.wait_until(lambda: self.speech_requests() and self.speech_requests()[0], 60,
                                  what='the greeting request')
        after = greeting['arrived'] - shown
        print(f'\ngreeting request {after:.1f} s after the window appeared')

        with self.subTest('the request: path, method, headers'):
            self.assertGreaterEqual(after, 7.5, 'not before the tenth tick')
            self.assertLessEqual(after, PAST_TICK_TEN)
            self.assertEqual(greeting['request_line'], f'GET {EXPECTED_PATH} HTTP/1.1')
            self.assertEqual(EXPECTED_PATH, '/translate_tts?ie=UTF-8&tl=ru&q=' + ex.encode_query_text(SENTENCE))
            for name, value in HEADERS.items():
                self.assertEqual(ex.raw_header_values(greeting, name), [value], name)
            self.assertEqual(ex.raw_header_values(greeting, 'Host'), [f'127.0.0.1:{self.PORT}'])
            for name in NOT_SENT:
                self.assertEqual(ex.raw_header_values(greeting, name), [], f'{name} is not sent')
            self.assertEqual(greeting['status'], 200)

        with self.subTest('the recording is stored and played'):
            e2e.wait_until(lambda: watch.opened, 30, interval=0.05, what='the player to open hello-ru.mp3')
            print(f'playback started {watch.opened - greeting["arrived"]:.3f} s after the request arrived '
                  f'({watch.opened - greeting["answered"]:.3f} s after the answer was sent)')
            stored = folder.read_bytes('hello-ru.mp3')
            self.assertEqual(hashlib.sha256(stored).hexdigest(), greeting['body_sha256'],
                             'the body is stored as it came')
            self.assertTrue(ex.is_mpeg_audio(stored))
            self.assertGreater(len(stored), 1000)
            time.sleep(1)
            self.assertEqual(prog.message_boxes(), [], 'no failure reported')

        with self.subTest('the date is saved right after the greeting and again at the close'):
            e2e.wait_until(lambda: folder.exists('veltrane.ini')
                           and folder.ini('veltrane.ini').get('Form', 'dayTudey') == TODAY, 10,
                           what='dayTudey to be saved')
            self.assertEqual(len(self.speech_requests()), 1, 'one greeting per start')
            self.assertEqual(prog.terminate(timeout=60), 0)
            settings = folder.ini('veltrane.ini')
            self.assertEqual(settings.get('Form', 'dayTudey'), TODAY)
            self.assertEqual(settings.get('Services', 'SpeechUrl'), f'http://127.0.0.1:{self.PORT}',
                             'the services section is kept')

        with self.subTest('a second start on the same day does not greet and saves nothing at tick ten'):
            stamp = os.stat(folder.file('veltrane.ini')).st_mtime_ns
            prog = self.start(online=True)
            time.sleep(PAST_TICK_TEN)
            self.assertEqual(len(self.speech_requests()), 1, 'no greeting request')
            self.assertEqual(os.stat(folder.file('veltrane.ini')).st_mtime_ns, stamp, 'nothing saved')
            self.assertEqual(prog.terminate(timeout=60), 0)
            self.assertEqual(folder.ini('veltrane.ini').get('Form', 'dayTudey'), TODAY)

    def test_no_request_without_a_network(self):
        # Only loopback in the namespace: the speech service is there (the probe reached it), but with no
        # connection the program must not ask it.
        prog = self.start(online=False)
        self.assertEqual([r['path'] for r in ex.read_request_log(self.log)], ['/probe'])
        time.sleep(PAST_TICK_TEN)
        self.assertEqual(self.speech_requests(), [], 'no request from the program')
        self.assertFalse(self.folder.exists('hello-ru.mp3'))
        self.assertEqual(prog.message_boxes(), [])
        self.assertEqual(prog.terminate(timeout=60), 0)
        # Offline the greeting is a silent no-op, not a failure: the tick records the day as greeted.
        self.assertEqual(self.folder.ini('veltrane.ini').get('Form', 'dayTudey'), TODAY)


if __name__ == '__main__':
    unittest.main()
