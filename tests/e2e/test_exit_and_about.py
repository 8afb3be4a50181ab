"""The exit command and the bottom caption: F10 ends the program with one save; a click on the caption opens About."""

import os
import unittest

import veltrane_e2e as e2e

# A tenth-speed clock keeps the daily greeting (tenth tick, which also saves) out of the way.
START = '@2026-03-05 14:28:30'
SLOW = 0.1


class ExitAndAboutTest(e2e.VeltraneTestCase):
    def start(self):
        self.folder = self.program_folder()
        self.desk = self.desktop()
        self.prog = self.desk.start_program(self.folder, faketime=START, speed=SLOW, wrap=e2e.OFFLINE)
        self.window = self.prog.wait_main_window()
        self.geo = self.desk.geometry(self.window)

    def test_f10_exits_normally_and_saves(self):
        self.start()
        self.assertFalse(self.folder.exists('veltrane.ini'), 'nothing is saved before the end')
        # Focus the main window by clicking its clock surface, then the exit command's shortcut.
        self.desk.click(self.geo.x + 200, self.geo.y + 150)
        self.desk.key('F10')
        self.assertEqual(self.prog.wait_exit(timeout=30), 0, 'F10 ends the program the normal way')
        form = dict(self.folder.ini('veltrane.ini').items('Form'))
        self.assertEqual((form['Left'], form['Top']), ('200', '200'))
        self.assertTrue(self.folder.ini('RUS.ini').items('Form1'), 'the language file is written too')

    def test_caption_click_opens_about_without_blocking(self):
        self.start()
        # Label4, the caption "Veltrane 2.1.0.2", lies at 96, 274, 281 x 13 in the window.
        self.desk.click(self.geo.x + 96 + 140, self.geo.y + 274 + 6)
        about = self.prog.wait_window(name='^O программе$', timeout=20)  # the first letter is the Latin O
        self.assertTrue(self.desk.is_viewable(about))
        state = self.desk.run(['xprop', '-id', str(about), '_NET_WM_STATE'])
        self.assertNotIn('_NET_WM_STATE_MODAL', state, 'the About window does not block the main window')
        self.assertEqual(self.prog.terminate(timeout=30), 0)


if __name__ == '__main__':
    unittest.main()
