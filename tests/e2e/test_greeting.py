"""The daily greeting of the real program: the request the speech service receives on the tenth clock tick, the
recording stored and heard (a PulseAudio null sink's monitor is recorded), the date kept in the settings; and no
request at all without a network."""

import hashlib
import os
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
        # The wall clock is pinned; the monotonic clock stays real, which the sound server's timing needs.
        prog = self.desk.start_program(self.folder, faketime=START, env={'FAKETIME_DONT_FAKE_MONOTONIC': '1'},
                                       wrap=ex.namespace_wrap(self.PORT, self.log, online=online))
        prog.wait_main_window(timeout=90)
        return prog

    def speech_requests(self):
        return [r for r in ex.read_request_log(self.log) if r['path'] != '/probe']

    def test_greeting_on_the_tenth_tick_when_online(self):
        folder = self.folder
        sink = ex.NullSinkRecorder(self.desk, self.workdir)
        prog = self.start(online=True)
        shown = time.monotonic()

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

        with self.subTest('the recording is stored and heard'):
            # Heard: the null sink's monitor carries the sentence (about three seconds of speech), not silence.
            loud, first = e2e.wait_until(lambda: (lambda s: s if s[0] >= 1.0 else None)(sink.sound()), 40,
                                         interval=0.5, what='the greeting to be heard on the sound server')
            print(f'sound heard {first - greeting["arrived"]:.2f} s after the request arrived; '
                  f'{loud:.1f} s of it above the threshold so far')
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
        # connection the program must not ask it, nor play anything.
        sink = ex.NullSinkRecorder(self.desk, self.workdir)
        prog = self.start(online=False)
        self.assertEqual([r['path'] for r in ex.read_request_log(self.log)], ['/probe'])
        time.sleep(PAST_TICK_TEN)
        self.assertEqual(self.speech_requests(), [], 'no request from the program')
        self.assertFalse(self.folder.exists('hello-ru.mp3'))
        self.assertEqual(sink.sound(), (0.0, None), 'silence on the sound server')
        self.assertEqual(prog.message_boxes(), [])
        self.assertEqual(prog.terminate(timeout=60), 0)
        # Offline the greeting is a silent no-op, not a failure: the tick records the day as greeted.
        self.assertEqual(self.folder.ini('veltrane.ini').get('Form', 'dayTudey'), TODAY)


if __name__ == '__main__':
    unittest.main()
