"""The embedded web views against a loopback stand-in of the maker's site: an offline start maps and starts no
browser engine and maps no network library; online, the four banners ask for their pages (the wide one with the machine id and the language);
a link clicked in a banner, in the calendar window, in the video window or in a new-window link goes to the
desktop's browser (a recording `xdg-open` put first on PATH) and never into the view; a right click on a banner
opens no menu; the video window follows the chosen provider and the date; the installer downloads through the
hidden view.
"""

import os
import time
import unittest
import urllib.parse

import veltrane_e2e as e2e
import e2e_extras as ex
import web_site

START = '@2026-03-05 14:28:30'
PORT = 18120
ENGINE_PROCESS = 'QtWebEngineProcess'
ENGINE_LIBRARY = 'libQt6WebEngineCore'
NETWORK_LIBRARY = 'libQt6Network'
# Panel1 in window coordinates: 1, 208, 478 x 64; its left half is a plain link, its right half a new window.
BANNER_LEFT = (100, 240)
BANNER_RIGHT = (380, 240)
# From the clock view: N1, N19 "Онлайн - помощь" -> N17, N18, N11 "Экономический календарь".
CALENDAR_ITEM = ['Down', 'Down', 'Right', 'Down', 'Down', 'Return']
# ... N35, N23, Forex1 "Видео прогноз Forex" -> InstaForex1, N14 "MaxiForex", N10 "MMCIS".
MAXIFOREX_ITEM = ['Down'] * 6 + ['Right', 'Down', 'Return']
MMCIS_ITEM = ['Down'] * 6 + ['Right', 'Down', 'Down', 'Return']


def engine_processes(pid):
    found = []
    for child in e2e.descendants(pid):
        try:
            with open(f'/proc/{child}/cmdline', 'rb') as f:
                if ENGINE_PROCESS.encode() in f.read().split(b'\0')[0]:
                    found.append(child)
        except OSError:
            continue
    return found


def maps_engine(pid):
    return maps_library(pid, ENGINE_LIBRARY)


def maps_library(pid, name):
    with open(f'/proc/{pid}/maps') as f:
        return name in f.read()


def machine_id(interfaces):
    """The first adapter after loopback with a hardware address, written 00-1A-2B-3C-4D-5E."""
    for _, name, address in interfaces:
        if name != 'lo' and address and address != '00:00:00:00:00:00':
            return address.upper().replace(':', '-')
    return 'mac not found'


class WebViewsTest(e2e.VeltraneTestCase):

    def browser_path(self):
        """A PATH with an xdg-open first on it that only writes down the address it was given."""
        self.browser = e2e.RecordingCommand(self.workdir, 'xdg-open', '$1')
        return self.browser.path

    def opened(self):
        return self.browser.calls()

    def requests(self):
        return [r['path'] for r in web_site.read_log(self.site_log) if 'path' in r]

    def start_online(self):
        self.desk = self.desktop()
        self.folder = self.program_folder()
        # The voice off: its failing service would put up a (modal) box at some moment of the test.
        self.folder.write('veltrane.ini', '[Form]\nN36=0\n' + e2e.services_ini(site=f'http://127.0.0.1:{PORT}'))
        self.site_log = os.path.join(self.workdir, 'site.jsonl')
        self.prog = self.desk.start_program(self.folder, faketime=START, wrap=web_site.site_wrap(PORT, self.site_log),
                                            env={'PATH': self.browser_path()})
        self.win = self.prog.wait_main_window(timeout=90)
        self.geo = self.desk.geometry(self.win)

    def choose(self, keys):
        """A command of the main window's popup menu, by its keys (the main window brought up first: a web window
        may lie over it)."""
        self.dismiss_boxes()
        self.desk.run(['xdotool', 'windowactivate', '--sync', str(self.win)], check=False)
        self.desk.click(self.geo.x + 200, self.geo.y + 120, button=3)
        e2e.wait_until(self.menu_is_up, 10, what='the popup menu')
        time.sleep(0.3)
        for key in keys:
            self.desk.key(key)
            time.sleep(0.25)

    def click_in_until_opened(self, wid, xy, address, tries=10):
        """Clicks at a window's client coordinates until the recording browser got the address."""
        for _ in range(tries):
            self.dismiss_boxes()
            self.desk.run(['xdotool', 'mousemove', '--window', str(wid), str(xy[0]), str(xy[1]), 'click', '1'])
            try:
                return e2e.wait_until(lambda: address in self.opened(), 3, what=f'{address} in the browser')
            except e2e.HarnessError:
                continue
        self.fail(f'{address} never reached the browser; it got {self.opened()}')

    def click_until_opened(self, xy, address, tries=10):
        """Clicks at window coordinates until the recording browser got the address (the page may still load)."""
        for _ in range(tries):
            # A box is modal: while one is up the pages get no clicks.
            self.dismiss_boxes()
            self.desk.click(self.geo.x + xy[0], self.geo.y + xy[1])
            try:
                return e2e.wait_until(lambda: address in self.opened(), 3, what=f'{address} in the browser')
            except e2e.HarnessError:
                continue
        self.fail(f'{address} never reached the browser; it got {self.opened()}')

    def dismiss_boxes(self):
        """Answers the boxes that are up (the failures of the services this site does not stand in for)."""
        for _ in range(10):
            boxes = self.prog.message_boxes()
            if not boxes:
                return
            for wid, _ in boxes:
                self.desk.run(['xdotool', 'windowactivate', '--sync', str(wid)], check=False)
                self.desk.key('Return')
                time.sleep(0.3)
        self.fail(f'boxes stay up: {self.prog.message_boxes()}')

    def menu_is_up(self):
        return any(g.height > 120 and ex.is_override_redirect(self.desk, w)
                   for w, g in ex.program_windows(self.desk).items())

    def test_offline_start_loads_no_browser_engine_nor_network(self):
        desk = self.desktop()
        folder = self.program_folder()
        folder.write_services()
        prog = desk.start_program(folder, faketime=START, wrap=e2e.OFFLINE)
        prog.wait_main_window(timeout=90)
        # Past the moment the banners would start after the first paint (or at the latest after 3 s).
        time.sleep(6)
        self.assertEqual(engine_processes(prog.pid), [])
        self.assertFalse(maps_engine(prog.pid), 'the browser engine was loaded offline')
        self.assertFalse(maps_library(prog.pid, NETWORK_LIBRARY), 'the network library was loaded offline')
        self.assertEqual(prog.terminate(timeout=60), 0)

    def test_banners_links_and_calendar_window(self):
        self.start_online()
        site = f'http://127.0.0.1:{PORT}'
        interfaces = next(r['interfaces'] for r in web_site.read_log(self.site_log) if 'interfaces' in r)

        with self.subTest('the four banners ask for their pages, the wide one with the machine id and language'):
            e2e.wait_until(lambda: len([p for p in self.requests() if p.startswith('/Veltrane/Google')]) >= 4, 60,
                           what='four banner requests')
            banners = sorted(p for p in self.requests() if p.startswith('/Veltrane/Google'))
            wide = [p for p in banners if p.startswith('/Veltrane/Google-468x60.php?')]
            self.assertEqual(len(wide), 1, banners)
            query = urllib.parse.parse_qs(urllib.parse.urlsplit(wide[0]).query)
            self.assertEqual(query, {'mac': [machine_id(interfaces)], 'lng': ['Russian']})
            self.assertEqual(sorted(set(banners) - set(wide)),
                             ['/Veltrane/Google-234x60.php', '/Veltrane/Google-468x60-white.php'])
            self.assertTrue(engine_processes(self.prog.pid))

        with self.subTest('the wide banner shows its page in the strip'):
            def shows_page():
                shot = self.desk.screenshot()
                left = shot.pixel(self.geo.x + BANNER_LEFT[0], self.geo.y + BANNER_LEFT[1])
                right = shot.pixel(self.geo.x + BANNER_RIGHT[0], self.geo.y + BANNER_RIGHT[1])
                return (left, right) == ((0, 0xcc, 0), (0xcc, 0, 0))
            e2e.wait_until(shows_page, 30, interval=0.5, what='the banner page on the screen')

        with self.subTest('a banner link goes to the browser, not into the banner'):
            self.click_until_opened(BANNER_LEFT, f'{site}/clicked/468')
            self.click_until_opened(BANNER_RIGHT, f'{site}/blank/468')
            time.sleep(1)
            self.assertEqual([p for p in self.requests() if p.startswith(('/clicked', '/blank'))], [])

        with self.subTest('a right click on a banner opens no menu; beside it, the program\'s menu'):
            self.dismiss_boxes()
            self.desk.click(self.geo.x + BANNER_LEFT[0], self.geo.y + BANNER_LEFT[1], button=3)
            time.sleep(1.5)
            self.assertFalse(self.menu_is_up(), 'a menu opened over the banner')
            self.desk.click(self.geo.x + 200, self.geo.y + 120, button=3)
            e2e.wait_until(self.menu_is_up, 10, what='the popup menu')
            self.desk.key('Escape')
            e2e.wait_until(lambda: not self.menu_is_up(), 10, what='the menu to close')

        with self.subTest('the calendar window loads its page; a link in it goes to the browser with a box'):
            self.dismiss_boxes()
            self.choose(CALENDAR_ITEM)
            calendar = self.prog.wait_window(name='^Экономический календарь$', timeout=30)
            e2e.wait_until(lambda: '/Veltrane/ek.htm' in self.requests(), 30, what='the calendar page')
            self.geo = self.desk.geometry(calendar)
            self.click_until_opened((365, 200), f'{site}/clicked/ek')
            e2e.wait_until(lambda: any(t == 'Veltrane' for _, t in self.prog.message_boxes()), 10,
                           what='the box with the navigation flags')
            self.assertNotIn('/clicked/ek', self.requests())

        self.assertEqual(self.prog.terminate(timeout=60), 0)

    def test_video_window(self):
        self.start_online()
        site = f'http://127.0.0.1:{PORT}'
        self.choose(MAXIFOREX_ITEM)
        video = self.prog.wait_window(name='^Видео прогноз$', timeout=30)

        with self.subTest('MaxiForex: the day\'s video under the key "t" in the short date form, and the running line'):
            e2e.wait_until(lambda: {'/Veltrane/videoPrognoz.php?t=05.03.2026', '/Veltrane/BegStroka.php'}
                           <= set(self.requests()), 30, what='the video page and the running line')

        with self.subTest('a link in the running line goes to the browser without a box'):
            # The running line fills the top bar left of the 180-pixel date picker.
            self.click_in_until_opened(video, (100, 14), f'{site}/clicked/line')
            time.sleep(1)
            self.assertEqual([t for _, t in self.prog.message_boxes() if t == 'Veltrane'], [])

        with self.subTest('a link in the video page goes to the browser with a box'):
            self.click_in_until_opened(video, (380, 330), f'{site}/clicked/video')
            e2e.wait_until(lambda: any(t == 'Veltrane' for _, t in self.prog.message_boxes()), 10,
                           what='the box with the navigation flags')

        with self.subTest('another provider while the window is open: brought forward, nothing reloaded'):
            before = len(self.requests())
            self.choose(MMCIS_ITEM)
            e2e.wait_until(lambda: self.desk.run(['xdotool', 'getactivewindow']).strip() == str(video), 10,
                           what='the video window in front')
            time.sleep(2)
            self.assertEqual([p for p in self.requests()[before:] if p.startswith('/Veltrane/video')], [])
            self.assertNotIn('/clicked/video', self.requests())

        self.assertEqual(self.prog.terminate(timeout=60), 0)

    def test_installer_downloads_through_the_hidden_view(self):
        self.start_online()
        target = os.path.join(self.desk.home, 'saved', 'setup.exe')
        os.makedirs(os.path.dirname(target))
        self.dismiss_boxes()
        # The caption opens the About window; its update button asks the site, which has a newer version.
        self.desk.click(self.geo.x + 96 + 140, self.geo.y + 274 + 6)
        about = self.prog.wait_window(name='^O программе$', timeout=20)
        # Button2 lies at 128, 67, 145 x 25 in the window's client area.
        before = {w for w, _ in self.prog.message_boxes()}
        self.desk.run(['xdotool', 'mousemove', '--window', str(about), '200', '79', 'click', '1'])
        question = e2e.wait_until(lambda: next((w for w, _ in self.prog.message_boxes() if w not in before), None),
                                  30, what='the question about the new version')
        self.desk.run(['xdotool', 'windowactivate', '--sync', str(question)])
        self.desk.key('shift+Tab')  # from the default "Нет" to "Да"
        self.desk.key('space')
        # The hidden view gets the installer; the engine offers it for saving.
        dialog = self.prog.wait_window(name='^Сохранить как$', timeout=30)
        self.assertIn('/attachments/047_SetupVeltrane.exe', self.requests())
        time.sleep(1)
        self.assertEqual([t for _, t in self.prog.message_boxes() if t == 'Veltrane'], [],
                         'no failure is reported while the file is being offered')
        self.desk.run(['xdotool', 'windowactivate', '--sync', str(dialog)])
        self.desk.key('ctrl+a')
        self.desk.run(['xdotool', 'type', '--delay', '20', target])
        time.sleep(0.5)
        self.desk.key('Return')

        def saved():
            try:
                with open(target, 'rb') as f:
                    return f.read() == web_site.INSTALLER
            except OSError:
                return False
        e2e.wait_until(saved, 30, what='the installer in the chosen file')
        e2e.wait_until(lambda: self.prog.message_boxes(), 10, what='the box saying where the file went')
        self.assertEqual(self.opened(), [], 'nothing went to the desktop\'s browser')
        self.assertEqual(self.prog.terminate(timeout=60), 0)


if __name__ == '__main__':
    unittest.main()
