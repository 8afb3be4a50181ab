"""A table file that is not a table: the start-up reports it, skips the rest, opens the window, and keeps the file."""

import os
import sqlite3
import tempfile
import unittest

import veltrane_e2e as e2e


def foreign_sqlite():
    """An SQLite database that holds some other program's table, not the event table."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, 'foreign.db')
        db = sqlite3.connect(path)
        db.execute('CREATE TABLE bookmarks (url TEXT, title TEXT)')
        db.execute("INSERT INTO bookmarks VALUES ('http://127.0.0.1/', 'local')")
        db.commit()
        db.close()
        with open(path, 'rb') as f:
            return f.read()


BAD_FILES = [
    ('garbage', b'\x00\x01not a table at all\xff' * 40),
    ('zero-length', b''),
    ('foreign sqlite', foreign_sqlite()),
]


class StartupFailureTest(e2e.VeltraneTestCase):
    def test_bad_event_table(self):
        for label, data in BAD_FILES:
            with self.subTest(label):
                folder = self.program_folder()
                folder.write('alarm.cds', data)
                desk = self.desktop()
                prog = desk.start_program(folder, lang='ru_RU.UTF-8', tz='Europe/Moscow', wrap=e2e.OFFLINE)

                boxes = e2e.wait_until(prog.message_boxes, 60, what='the failure box')
                self.assertEqual([title for _, title in boxes], ['Veltrane'])
                prog.wait_output(r'alarm\.cds', timeout=10)
                # The box is the focused, modal window: Return presses its only button.
                e2e.wait_until(lambda: desk.is_viewable(boxes[0][0]), 10, what='the box on screen')
                desk.key('Return')

                window = prog.wait_main_window(timeout=60)
                self.assertEqual(desk.geometry(window).size, (510, 290), 'the window still opens')
                self.assertEqual(folder.read_bytes('alarm.cds'), data, 'the bad file is left as it was')
                self.assertEqual(prog.terminate(timeout=60), 0)
                self.assertEqual(folder.read_bytes('alarm.cds'), data, 'and stays so after the close')
                self.assertTrue(folder.exists('veltrane.ini'), 'the close still saves the settings')


if __name__ == '__main__':
    unittest.main()
