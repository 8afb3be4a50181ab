"""The main window under a window manager: its place and size from the settings, dragging it by its surface (or
not, with the position fixed), and its translucency while the pointer is away."""

import time
import unittest

import e2e_extras as ex
import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
LEFT, TOP = 333, 222
# Out of the window's way: the top-left corner of the screen is bare root window.
AWAY = (5, 5)


def settings(n5='1', n7='0', left=LEFT, top=TOP):
    return (f'[Form]\nLeft={left}\nTop={top}\nN5={n5}\nN7={n7}\nN8=0\nN9=1\nN36=1\nlanguage=RUS\n'
            'dayTudey=05.03.2026\nDirBackup=\nEcomomMesaage=15\n\n' + e2e.services_ini())


class WindowBehaviourTest(e2e.VeltraneTestCase):

    def start(self, **form):
        self.folder = self.program_folder()
        self.folder.write('veltrane.ini', settings(**form))
        self.desk = self.desktop()
        ex.pointer_to(self.desk, *AWAY)
        self.prog = self.desk.start_program(self.folder, faketime=START, wrap=e2e.OFFLINE)
        self.win = self.prog.wait_main_window(timeout=90)
        try:
            e2e.wait_until(lambda: self.desk.geometry(self.win).size == (510, 290), 10, what='510 x 290')
        except e2e.HarnessError:
            pass  # the caller's assertion shows what there is
        return self.desk.geometry(self.win)

    def settle(self, seconds=1.5):
        """The window's geometry once it has stayed put for a moment."""
        last = self.desk.geometry(self.win)
        deadline = time.monotonic() + 15
        stable_since = time.monotonic()
        while time.monotonic() < deadline:
            time.sleep(0.1)
            now = self.desk.geometry(self.win)
            if now != last:
                last, stable_since = now, time.monotonic()
            elif time.monotonic() - stable_since >= seconds:
                break
        return last

    def test_drag_moves_the_window_unless_its_position_is_fixed(self):
        # (label, N7, whether the drag moves the window)
        cases = [('free', '0', True), ('fixed by N7', '1', False)]
        delta = (150, 90)
        for label, n7, moves in cases:
            with self.subTest(label):
                geo = self.start(n7=n7)
                self.assertEqual(geo, e2e.Geometry(LEFT, TOP, 510, 290), 'place and size from the settings')
                # A press on the session board, well away from the toolbar and the bottom labels.
                grab = (geo.x + 150, geo.y + 110)
                ex.drag(self.desk, grab, (grab[0] + delta[0], grab[1] + delta[1]))
                ex.pointer_to(self.desk, *AWAY)
                after = self.settle()
                self.assertEqual(after.size, (510, 290))
                if moves:
                    # A system move starts once the pointer has left the press point by the drag distance, so
                    # the window may trail the pointer by that much.
                    self.assertAlmostEqual(after.x, LEFT + delta[0], delta=12)
                    self.assertAlmostEqual(after.y, TOP + delta[1], delta=12)
                else:
                    self.assertEqual(after.position, (LEFT, TOP))
                self.assertTrue(self.desk.is_viewable(self.win), 'a drag does not hide the window')
                self.assertEqual(self.prog.terminate(timeout=60), 0)
                form = self.folder.ini('veltrane.ini')
                self.assertEqual((form.get('Form', 'Left'), form.get('Form', 'Top')),
                                 (str(after.x), str(after.y)), 'the position is stored at the close')
                self.assertEqual(form.get('Form', 'N7'), n7)

    def test_translucent_while_the_pointer_is_away(self):
        # (label, N5, opacity while away)
        cases = [('N5 on', '1', ex.TRANSLUCENT), ('N5 off', '0', None)]
        for label, n5, away in cases:
            with self.subTest(label):
                geo = self.start(n5=n5)

                def opacity():
                    value = ex.window_opacity(self.desk, self.win)
                    return ex.OPAQUE if value is None else value

                def wait_opacity(value, what):
                    try:
                        e2e.wait_until(lambda: abs(opacity() - value) <= 1, 10, what=what)
                    except e2e.HarnessError:
                        pass
                    self.assertAlmostEqual(opacity(), value, delta=1, msg=what)

                away_value = ex.OPAQUE if away is None else away
                # The window starts translucent when N5 is on (the pointer is away from the start).
                wait_opacity(away_value, 'opacity at the start')
                ex.pointer_to(self.desk, geo.x + 200, geo.y + 120)
                wait_opacity(ex.OPAQUE, 'opaque once the pointer enters')
                # Moving over the controls inside the window (toolbar, bottom labels) keeps it opaque.
                for x, y in ((geo.x + 494, geo.y + 60), (geo.x + 240, geo.y + 279), (geo.x + 100, geo.y + 40)):
                    ex.pointer_to(self.desk, x, y)
                    time.sleep(0.3)
                    self.assertEqual(opacity(), ex.OPAQUE, f'opaque over ({x - geo.x}, {y - geo.y})')
                ex.pointer_to(self.desk, *AWAY)
                wait_opacity(away_value, 'opacity once the pointer leaves')
                ex.pointer_to(self.desk, geo.x + 200, geo.y + 120)
                wait_opacity(ex.OPAQUE, 'opaque when the pointer comes back')
                self.assertEqual(self.prog.terminate(timeout=60), 0)


if __name__ == '__main__':
    unittest.main()
