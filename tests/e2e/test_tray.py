"""The tray icon in a real tray: a click opens the popup menu, a double click brings the hidden window back, and
the icon returns when the tray host is restarted."""

import time
import unittest

import e2e_extras as ex
import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
TRAYER = ['trayer', '--edge', 'top', '--align', 'right', '--widthtype', 'pixel', '--width', '120', '--height', '26']


class TrayTest(e2e.VeltraneTestCase):

    def start(self, tray='icewm'):
        self.folder = self.program_folder()
        self.folder.write_services()
        self.desk = self.desktop(tray=tray)
        self.prog = self.desk.start_program(self.folder, faketime=START, wrap=e2e.OFFLINE)
        self.win = self.prog.wait_main_window(timeout=90)
        return ex.wait_tray_icon(self.desk)

    def popups(self, exclude=()):
        """Visible override-redirect windows of the program other than the tray icon and `exclude`."""
        return {w: g for w, g in ex.program_windows(self.desk).items()
                if w not in exclude and w != self.win and g.width > 64 and g.height > 64
                and ex.is_override_redirect(self.desk, w)}

    def balloons(self):
        """Visible balloon windows of the program (drawn by the program itself: there is no notification daemon)."""
        return {w for w in ex.program_windows(self.desk) if 'TOOLTIP' in self.desk.window_types(w)}

    def wait_menu(self, before, timeout=15):
        """The popup menu that opened after `before` was taken: a new override-redirect window, taller than the
        next-news balloon a single click also brings up."""
        def find():
            new = {w: g for w, g in self.popups(before).items() if g.height > 120}
            return next(iter(new.items()), None)
        return e2e.wait_until(find, timeout, what='the popup menu')

    def skips_taskbar(self):
        return '_NET_WM_STATE_SKIP_TASKBAR' in self.desk.run(['xprop', '-id', str(self.win), '_NET_WM_STATE'])

    def test_click_opens_the_menu_and_double_click_brings_the_window_back(self):
        icon, icon_geo = self.start()
        self.assertLessEqual(max(icon_geo.width, icon_geo.height), 64)
        # The program shows itself as its window and this icon only: no taskbar button.
        e2e.wait_until(self.skips_taskbar, 10, what='the window to be kept off the taskbar')

        with self.subTest('a click opens the popup menu at the pointer'):
            before = set(ex.program_windows(self.desk))
            self.desk.click(*ex.centre(icon_geo))
            menu, menu_geo = self.wait_menu(before)
            # The menu opens at the pointer, pushed inside the screen: it touches the icon's corner of the screen.
            self.assertLessEqual(menu_geo.x, icon_geo.x + icon_geo.width)
            self.assertLessEqual(menu_geo.y, icon_geo.y + icon_geo.height)
            self.assertGreater(menu_geo.x + menu_geo.width, icon_geo.x - 300)
            # No second click followed: once the double-click time is over, the next-news balloon comes too.
            e2e.wait_until(lambda: self.balloons() - before, 10, what='the next-news balloon')
            self.desk.key('Escape')
            e2e.wait_until(lambda: menu not in ex.program_windows(self.desk), 10, what='the menu to close')

        with self.subTest('a double click on the surface hides the window to the tray'):
            geo = self.desk.geometry(self.win)
            ex.double_click(self.desk, geo.x + 150, geo.y + 110)
            e2e.wait_until(lambda: not self.desk.is_viewable(self.win), 10, what='the window to hide')
            self.assertIn(icon, ex.tray_icons(self.desk), 'the icon stays in the tray')

        with self.subTest('a double click on the icon shows the window again, without a balloon'):
            balloons_before = self.balloons()
            ex.double_click(self.desk, *ex.centre(icon_geo))
            e2e.wait_until(lambda: self.desk.is_viewable(self.win), 10, what='the window to come back')
            self.assertEqual(self.desk.geometry(self.win), geo, 'back at its place')
            e2e.wait_until(self.skips_taskbar, 10, what='the shown-again window to stay off the taskbar')
            # The menu the first press opened does not stay up after the double click.
            time.sleep(1)
            self.assertEqual([g for g in self.popups().values() if g.height > 120], [])
            self.assertEqual(self.balloons() - balloons_before, set(), 'a double click is not also a single click')

        self.assertEqual(self.prog.message_boxes(), [])
        self.assertEqual(self.prog.terminate(timeout=60), 0)

    def test_icon_returns_when_the_tray_host_restarts(self):
        old_icon, _ = self.start(tray='trayer')
        self.desk.tray.stop()
        e2e.wait_until(lambda: not self.desk.tray_owner(), 10, what='the tray to go')
        restarted = time.monotonic()
        self.desk.start_process('trayer-again', TRAYER)
        e2e.wait_until(self.desk.tray_owner, 20, what='the new tray')

        def embedded():
            icons = ex.tray_icons(self.desk)
            new = [w for w, g in icons.items() if w != old_icon and g.width > 1 and g.height > 1]
            return new[0] if new and old_icon not in icons else None
        icon = e2e.wait_until(embedded, 20, what='the icon in the new tray under a new window id')
        print(f'\nicon back {time.monotonic() - restarted:.1f} s after the tray host restarted')
        self.assertTrue(self.prog.running())

        # The new icon sits in the new tray (trayer: 120 x 26 at the top right of the 1280-pixel screen) and works:
        # a click opens the menu.
        icon_geo = self.desk.geometry(icon)
        self.assertGreaterEqual(icon_geo.x, 1280 - 120)
        self.assertLessEqual(icon_geo.y + icon_geo.height, 26)
        before = set(ex.program_windows(self.desk))
        self.desk.click(*ex.centre(icon_geo))
        self.wait_menu(before)
        self.desk.key('Escape')
        self.assertEqual(self.prog.terminate(timeout=60), 0)


if __name__ == '__main__':
    unittest.main()
