"""The platform's end of the program (SIGTERM, SIGINT, SIGHUP, the X server going away) is honoured at any moment,
with the saves: while the start-up's failure box waits for the user, and while the box of a failed exit save is
up. A box waiting for nobody never holds the end up; what failed is told in the log."""

import os
import shutil
import signal
import time
import unittest

import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
# A tenth-speed clock keeps the daily greeting (tenth tick, which also saves) out of the way.
SLOW = 0.1
GARBAGE = b'\x00\x01not a table at all\xff' * 40
# A translated language file; most of these texts are captions of the phone book and the planner.
TRANSLATED = [('Label5', 'Name'), ('Label11', 'More'), ('Label12', 'Reminder text'), ('DBCheckBox8', 'Repeat'),
              ('Day1', 'Sunday'), ('Combobox2Items0', 'Reminder'), ('mN1', 'Exit')]


class PlatformEndTest(e2e.VeltraneTestCase):
    def test_signal_during_the_start_up_failure_box(self):
        for sig in (signal.SIGTERM, signal.SIGINT, signal.SIGHUP):
            with self.subTest(sig.name):
                folder = self.program_folder()
                folder.write_services()
                folder.write('phone.cds', GARBAGE)
                desk = self.desktop()
                prog = desk.start_program(folder, faketime=START, speed=SLOW, wrap=e2e.OFFLINE)
                e2e.wait_until(prog.message_boxes, 60, what='the start-up failure box')
                prog.signal(sig)
                self.assertEqual(prog.wait_exit(timeout=20), 0, 'the program ends the normal way, box or not')
                self.assertEqual(folder.read_bytes('phone.cds'), GARBAGE, 'the bad table is left as it was')
                self.assertIn('Form', folder.ini('veltrane.ini').section_names(), 'the settings were saved')
                self.assertTrue(all(folder.exists(f'note{i}.rtf') for i in range(1, 5)))
                desk.close()

    def test_signal_while_an_exit_save_failure_is_up(self):
        for label, exit_first in (('F10, its failure box, then SIGTERM', True), ('SIGTERM alone', False)):
            with self.subTest(label):
                folder = self.program_folder()
                folder.write_services()
                desk = self.desktop()
                prog = desk.start_program(folder, faketime=START, speed=SLOW, wrap=e2e.OFFLINE)
                window = prog.wait_main_window()
                # The settings file cannot be written any more: a folder stands in its place.
                os.remove(folder.file('veltrane.ini'))
                os.mkdir(folder.file('veltrane.ini'))
                if exit_first:
                    geo = desk.geometry(window)
                    desk.click(geo.x + 200, geo.y + 150)
                    desk.key('F10')
                    e2e.wait_until(prog.message_boxes, 30, what='the failed save reported in a box')
                    time.sleep(0.5)
                self.assertEqual(prog.terminate(timeout=20), 0, 'the program ends, box or not')
                self.assertIn('veltrane.ini', prog.output(), 'the failed save is told, naming the file')
                self.assertTrue(os.path.isdir(folder.file('veltrane.ini')))
                desk.close()
                shutil.rmtree(folder.path, ignore_errors=True)

    def test_the_saves_keep_a_translated_language_file(self):
        # The phone book and the planner are made once the window is on the screen. An end before that keeps the
        # texts of their captions as read; after it, their captions carry the file's texts back into it.
        for label, bad_table in (('end during the start-up failure box', True), ('end with the window up', False)):
            with self.subTest(label):
                folder = self.program_folder()
                folder.write_services()
                folder.write('RUS.ini', '[Form1]\n' + ''.join(f'{k}={v}\n' for k, v in TRANSLATED))
                if bad_table:
                    folder.write('alarm.cds', GARBAGE)
                desk = self.desktop()
                prog = desk.start_program(folder, faketime=START, speed=SLOW, wrap=e2e.OFFLINE)
                if bad_table:
                    e2e.wait_until(prog.message_boxes, 60, what='the start-up failure box')
                else:
                    geo = desk.geometry(prog.wait_main_window())
                    for top in (71, 106):  # the planner's and the phone book's toolbar buttons
                        desk.click(geo.x + 478 + 16, geo.y + top + 17)
                        time.sleep(0.5)
                self.assertEqual(prog.terminate(timeout=20), 0)
                saved = dict(folder.ini('RUS.ini').items('Form1'))
                self.assertEqual([(k, saved.get(k)) for k, _ in TRANSLATED], TRANSLATED)
                desk.close()
                shutil.rmtree(folder.path, ignore_errors=True)

    def test_the_x_server_going_away(self):
        # The end of the session as X11 has it: the display goes, and Qt ends the program from inside its loop.
        folder = self.program_folder()
        folder.write_services()
        desk = self.desktop()
        prog = desk.start_program(folder, faketime=START, speed=SLOW, wrap=e2e.OFFLINE)
        prog.wait_main_window()
        desk.xvfb.popen.send_signal(signal.SIGTERM)
        prog.wait_exit(timeout=20)
        self.assertIn('X11 connection broke', prog.output())
        self.assertIn('Form', folder.ini('veltrane.ini').section_names(), 'the settings were saved on the way out')
        self.assertTrue(folder.ini('RUS.ini').items('Form1'), 'and the language file')


if __name__ == '__main__':
    unittest.main()
