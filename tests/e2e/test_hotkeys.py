"""Global hot keys: Ctrl+Alt+C starts the calculator found on PATH from anywhere on the desktop, with Num Lock on
too; a second copy of the program cannot take the keys and says so."""

import time
import unittest

import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
HELD_ELSEWHERE = r'hot key Ctrl\+Alt\+C is held by another program'


class HotKeysTest(e2e.VeltraneTestCase):

    def recording_path(self):
        """A PATH with a calculator first on it that only writes down that it was started."""
        self.calculator = e2e.RecordingCommand(self.workdir, 'gnome-calculator', 'calculator $*')
        return self.calculator.path

    def starts(self):
        return self.calculator.calls()

    def press_and_count(self, desk, *keys):
        """Presses the keys and returns how many times the calculator started because of them."""
        before = len(self.starts())
        desk.key(*keys)
        try:
            e2e.wait_until(lambda: len(self.starts()) > before, 10, what='a start of the calculator')
        except e2e.HarnessError:
            return 0
        time.sleep(1)  # a second start would have come by now
        return len(self.starts()) - before

    def start_copy(self, desk, path):
        folder = self.program_folder()
        folder.write_services()
        prog = desk.start_program(folder, faketime=START, wrap=e2e.OFFLINE, env={'PATH': path})
        prog.wait_main_window(timeout=90)
        return prog

    def focus_other_program(self, desk):
        other = desk.start_process('xmessage', ['xmessage', '-geometry', '300x100+700+500', 'another program'])
        wid = e2e.wait_until(lambda: next(iter(desk.windows(name='^xmessage$')), None), 20, what='xmessage')
        desk.run(['xdotool', 'windowactivate', '--sync', str(wid)])
        return other, wid

    def num_lock_on(self, desk):
        return 'Num Lock:    on' in desk.run(['xset', 'q'])

    def test_ctrl_alt_c_starts_the_calculator_from_anywhere(self):
        path = self.recording_path()
        desk = self.desktop()
        prog = self.start_copy(desk, path)
        _, other = self.focus_other_program(desk)
        self.assertEqual(desk.run(['xdotool', 'getwindowfocus']).strip(), str(other))

        with self.subTest('another program has the focus'):
            self.assertEqual(self.press_and_count(desk, 'ctrl+alt+c'), 1)

        with self.subTest('with Num Lock on'):
            desk.key('Num_Lock')
            e2e.wait_until(lambda: self.num_lock_on(desk), 5, what='Num Lock to be on')
            self.assertEqual(self.press_and_count(desk, 'ctrl+alt+c'), 1)
            desk.key('Num_Lock')

        with self.subTest('the main window has the focus: started once, the menu shortcut does not answer too'):
            win = prog.wait_main_window()
            geo = desk.geometry(win)
            desk.click(geo.x + 200, geo.y + 150)
            focus = int(desk.run(['xdotool', 'getwindowfocus']).strip())
            self.assertEqual(desk.run(['xdotool', 'getwindowpid', str(focus)], check=False).strip(), str(prog.pid))
            self.assertEqual(self.press_and_count(desk, 'ctrl+alt+c'), 1)

        with self.subTest('keys that are not hot keys start nothing'):
            self.assertEqual(self.press_and_count(desk, 'ctrl+alt+x', 'ctrl+c', 'alt+c'), 0)

        self.assertEqual(prog.terminate(), 0)

    def test_a_second_copy_cannot_take_the_keys_and_says_so(self):
        path = self.recording_path()
        desk = self.desktop()
        first = self.start_copy(desk, path)
        second = self.start_copy(desk, path)
        second.wait_output(HELD_ELSEWHERE, timeout=30)
        self.assertNotRegex(first.output(), HELD_ELSEWHERE)

        self.focus_other_program(desk)
        # The first copy holds the combination; the second does nothing with it.
        self.assertEqual(self.press_and_count(desk, 'ctrl+alt+c'), 1)
        self.assertEqual(second.terminate(), 0)
        self.assertEqual(first.terminate(), 0)


if __name__ == '__main__':
    unittest.main()
