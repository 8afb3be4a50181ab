"""A speech service that is down or never answers holds nothing up: the clock line goes on changing every second
while the greeting waits and while its failure box is up, a reminder due 40 s after the start comes on time, and
SIGTERM still ends the program with the box up.

The program runs in a network namespace of its own that looks online (a sealed network) with a recording speech
service inside it: silent (it accepts a request and never answers), or not listening at all at `SpeechUrl`. The
clock runs at its real speed from a pinned start.
"""

import os
import time
import unittest

import e2e_extras as ex
import veltrane_e2e as e2e
from test_planner import add_event

START = '@2026-03-05 14:28:30'
# 40 s after the start: due at the first scan, which comes about 40 s after the window appears.
REMINDER_TITLE = r'^Напоминание: 05\.03\.2026 - 14:29:10$'
# Label1 (local time) in window coordinates.
LABEL1 = (4, 273, 90, 13)


def label_pixels(desk, geo, path):
    """The raw pixels of the local time label as the screen shows them."""
    x, y, w, h = LABEL1
    desk.run(['import', '-silent', '-window', 'root', '-crop', f'{w}x{h}+{geo.x + x}+{geo.y + y}', '+repage',
              'rgb:' + path], timeout=30)
    with open(path, 'rb') as f:
        return f.read()


def longest_still(samples):
    """The longest time, in seconds, over which consecutive samples (time, pixels) showed the same picture."""
    longest, since = 0.0, None
    for (t0, a), (t1, b) in zip(samples, samples[1:]):
        if a == b:
            since = t0 if since is None else since
            longest = max(longest, t1 - since)
        else:
            since = None
    return longest


class SpeechOutageTest(e2e.VeltraneTestCase):
    PORT = 18090

    def prepared_folder(self, desk):
        """A program folder after one short offline run, so that the program created its table files."""
        folder = self.program_folder()
        folder.write_services()
        prog = desk.start_program(folder, faketime=START, wrap=e2e.OFFLINE)
        prog.wait_main_window()
        self.assertEqual(prog.terminate(timeout=60), 0)
        return folder

    def run_with_speech(self, silent):
        desk = self.desktop()
        folder = self.prepared_folder(desk)
        add_event(folder, 0, '2026-03-05', '14:29:10', 'Позвонить брокеру')
        # Silent: the recording service itself; down: a port of the namespace nobody listens on.
        speech_port = self.PORT if silent else self.PORT + 1
        folder.write_services(speech=f'http://127.0.0.1:{speech_port}')
        log = os.path.join(self.workdir, 'speech-requests.jsonl')
        prog = desk.start_program(folder, faketime=START,
                                  wrap=ex.namespace_wrap(self.PORT, log, online=True, silent=silent))
        window = prog.wait_main_window(timeout=90)
        shown = time.monotonic()
        geo = desk.geometry(window)
        shot = os.path.join(self.workdir, 'label.rgb')

        samples, boxes_seen, reminder_at = [], set(), None
        while time.monotonic() - shown < 75:
            samples.append((time.monotonic(), label_pixels(desk, geo, shot)))
            boxes_seen.update(title for _, title in prog.message_boxes())
            if reminder_at is None and desk.windows(cls=e2e.PROGRAM_NAME, name=REMINDER_TITLE):
                reminder_at = time.monotonic() - shown
            if reminder_at is not None and time.monotonic() - shown > 50:
                break
            time.sleep(0.5)
        still = longest_still(samples)
        print(f'\nlongest still clock: {still:.1f} s over {samples[-1][0] - shown:.0f} s; '
              f'reminder {reminder_at if reminder_at is None else round(reminder_at, 1)} s after the window')
        return prog, folder, log, still, boxes_seen, reminder_at

    def test_silent_speech_service(self):
        prog, _folder, log, still, _boxes, reminder_at = self.run_with_speech(silent=True)
        greetings = [r for r in ex.read_request_log(log) if r['path'].startswith('/translate_tts')]
        self.assertTrue(greetings, 'the greeting was asked for and never answered')
        self.assertLess(still, 4, 'the clock line changes every second while the greeting waits')
        self.assertIsNotNone(reminder_at, 'the reminder came')
        self.assertLess(reminder_at, 60, 'the reminder came on time')
        self.assertEqual(prog.terminate(timeout=30), 0)

    def test_nothing_listening_at_the_speech_address(self):
        prog, folder, _log, still, boxes, reminder_at = self.run_with_speech(silent=False)
        self.assertIn('Veltrane', boxes, 'the failed greeting is reported in a box')
        self.assertTrue(prog.message_boxes(), 'and the box is still up')
        self.assertLess(still, 4, 'the clock line changes every second while the box is up')
        self.assertIsNotNone(reminder_at, 'the reminder came')
        self.assertLess(reminder_at, 60, 'the reminder came on time')
        # The platform's end is honoured with the boxes up, and the saves are made.
        self.assertEqual(prog.terminate(timeout=30), 0)
        self.assertIn('Form', folder.ini('veltrane.ini').section_names())


if __name__ == '__main__':
    unittest.main()
