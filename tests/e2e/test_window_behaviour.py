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
        # (label, N7, how far the pointer goes, whether the drag moves the window)
        cases = [('free, a short drag', '0', (50, 30), True), ('free, a long drag', '0', (150, -90), True),
                 ('fixed by N7', '1', (150, 90), False)]
        for label, n7, delta, moves in cases:
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
                    # The window follows the pointer from the press point, although the move itself starts only
                    # once the pointer has gone the drag distance.
                    self.assertEqual(after.position, (LEFT + delta[0], TOP + delta[1]))
                else:
                    self.assertEqual(after.position, (LEFT, TOP))
                self.assertTrue(self.desk.is_viewable(self.win), 'a drag does not hide the window')
                self.assertEqual(self.prog.terminate(timeout=60), 0)
                form = self.folder.ini('veltrane.ini')
                self.assertEqual((form.get('Form', 'Left'), form.get('Form', 'Top')),
                                 (str(after.x), str(after.y)), 'the position is stored at the close')
                self.assertEqual(form.get('Form', 'N7'), n7)

    def opacity(self):
        value = ex.window_opacity(self.desk, self.win)
        return ex.OPAQUE if value is None else value

    def wait_opacity(self, value, what):
        try:
            e2e.wait_until(lambda: abs(self.opacity() - value) <= 1, 10, what=what)
        except e2e.HarnessError:
            pass
        self.assertAlmostEqual(self.opacity(), value, delta=1, msg=what)

    def test_translucent_while_the_pointer_is_away(self):
        # (label, N5, opacity while away)
        cases = [('N5 on', '1', ex.TRANSLUCENT), ('N5 off', '0', None)]
        for label, n5, away in cases:
            with self.subTest(label):
                geo = self.start(n5=n5)
                opacity, wait_opacity = self.opacity, self.wait_opacity
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

    def menu_is_up(self):
        return any(g.height > 120 and ex.is_override_redirect(self.desk, w)
                   for w, g in ex.program_windows(self.desk).items())

    def test_translucency_follows_the_pointer_while_the_popup_menu_is_up(self):
        geo = self.start(n5='1')
        over = (geo.x + 200, geo.y + 120)
        # Left of the menu, which opens to the right of and below the click.
        over_beside_menu = (geo.x + 60, geo.y + 40)
        right_click = ['xdotool', 'click', '3']
        # (what is done, the opacity after it, whether the menu is up, what it shows)
        steps = [
            (lambda: ex.pointer_to(self.desk, *over), ex.OPAQUE, False, 'pointer over the window'),
            (lambda: self.desk.run(right_click), ex.OPAQUE, True, 'menu opened over the window'),
            (lambda: self.desk.key('Escape'), ex.OPAQUE, False, 'menu dismissed with Escape over the window'),
            (lambda: ex.pointer_to(self.desk, *AWAY), ex.TRANSLUCENT, False, 'pointer away after the menu'),
            (lambda: ex.pointer_to(self.desk, *over), ex.OPAQUE, False, 'pointer back'),
            (lambda: self.desk.run(right_click), ex.OPAQUE, True, 'menu opened again'),
            (lambda: ex.pointer_to(self.desk, *AWAY), ex.TRANSLUCENT, True, 'pointer away with the menu up'),
            (lambda: ex.pointer_to(self.desk, *over_beside_menu), ex.OPAQUE, True, 'pointer back with the menu up'),
            (lambda: ex.pointer_to(self.desk, *AWAY), ex.TRANSLUCENT, True, 'pointer away again'),
            (lambda: self.desk.key('Escape'), ex.TRANSLUCENT, False, 'menu dismissed with Escape away from it'),
            (lambda: ex.pointer_to(self.desk, *over), ex.OPAQUE, False, 'pointer over the window at the end'),
        ]
        for act, opacity, menu, what in steps:
            act()
            time.sleep(0.5)
            e2e.wait_until(lambda: self.menu_is_up() == menu, 10, what=f'menu {"up" if menu else "gone"}: {what}')
            self.wait_opacity(opacity, what)
        self.assertEqual(self.prog.terminate(timeout=60), 0)

if __name__ == '__main__':
    unittest.main()
