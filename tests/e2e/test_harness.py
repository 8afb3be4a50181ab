"""Checks of the end-to-end harness itself, with a stand-in program (xmessage) so they do not depend on Veltrane."""

import os
import shutil
import struct
import subprocess
import tempfile
import time
import unittest
import zlib

import veltrane_e2e as e2e


def make_png(width, height, pixel, colour_type=2, filter_type=1):
    """A small PNG from a pixel function, with one filter on every row (to exercise the decoder)."""
    rows = b''
    for y in range(height):
        line = bytearray()
        for x in range(width):
            r, g, b = pixel(x, y)
            line += bytes((r, g, b, 255)) if colour_type == 6 else bytes((r, g, b))
        bpp = 4 if colour_type == 6 else 3
        if filter_type == 1:
            line = bytearray((line[i] - (line[i - bpp] if i >= bpp else 0)) & 0xFF for i in range(len(line)))
        rows += bytes((filter_type,)) + bytes(line)

    def chunk(kind, body):
        return struct.pack('>I', len(body)) + kind + body + struct.pack('>I', zlib.crc32(kind + body))
    header = struct.pack('>IIBBBBB', width, height, 8, colour_type, 0, 0, 0)
    return b'\x89PNG\r\n\x1a\n' + chunk(b'IHDR', header) + chunk(b'IDAT', zlib.compress(rows)) + chunk(b'IEND', b'')


class FilesTest(unittest.TestCase):
    def test_ini_keeps_order_raw_values_and_ignores_case(self):
        ini = e2e.IniFile('[Form]\r\nLeft=200\r\nlanguage=RUS\r\nDirBackup=\r\n\r\n[Form1]\r\ntud=Сегодня \r\n')
        self.assertEqual(ini.section_names(), ['Form', 'Form1'])
        self.assertEqual(ini.keys('form'), ['Left', 'language', 'DirBackup'])
        self.assertEqual(ini.get('FORM', 'LANGUAGE'), 'RUS')
        self.assertEqual(ini.get('Form', 'DirBackup'), '')
        self.assertEqual(ini.get('Form1', 'tud'), 'Сегодня ')
        self.assertIsNone(ini.get('Form', 'Top'))

    def test_text_is_utf8_or_windows_1251(self):
        self.assertEqual(e2e.decode_text('Москва'.encode('utf-8')), 'Москва')
        self.assertEqual(e2e.decode_text('Москва'.encode('cp1251')), 'Москва')

    def test_services_must_point_at_loopback(self):
        self.assertIn('SiteUrl=http://127.0.0.1:9\n', e2e.services_ini())
        with self.assertRaises(e2e.HarnessError):
            e2e.services_ini(site='http://example.com')

    def test_png_decoder(self):
        def pixel(x, y):
            return (x * 40 % 256, y * 50 % 256, (x + y) * 7 % 256)
        for colour_type in (2, 6):
            for filter_type in (0, 1):
                with self.subTest(colour_type=colour_type, filter_type=filter_type):
                    img = e2e.Image.from_png(make_png(5, 4, pixel, colour_type, filter_type))
                    self.assertEqual((img.width, img.height), (5, 4))
                    for y in range(4):
                        for x in range(5):
                            self.assertEqual(img.pixel(x, y), pixel(x, y))

    def test_program_folder_leaves_out_user_data(self):
        with tempfile.TemporaryDirectory() as src, tempfile.TemporaryDirectory() as dst:
            shutil.copy('/bin/true', os.path.join(src, 'Veltrane'))
            for name in ('veltrane.ini', 'RUS.ini', 'alarm.cds', 'note1.rtf', 'message7.mp3'):
                open(os.path.join(src, name), 'w').close()
            folder = e2e.ProgramFolder(src, dst)
            self.assertEqual(folder.names(), ['Veltrane'])

    def test_faketime_leftovers_of_dead_wrappers_are_swept(self):
        dead = subprocess.Popen(['true'])
        dead.wait()
        with tempfile.TemporaryDirectory() as shm:
            names = [f'sem.faketime_sem_{dead.pid}', f'faketime_shm_{dead.pid}',
                     f'sem.faketime_sem_{os.getpid()}', f'faketime_shm_{os.getpid()}', 'faketime_shm_x', 'other_1']
            for name in names:
                open(os.path.join(shm, name), 'w').close()
            e2e.sweep_faketime_leftovers(shm)
            self.assertEqual(sorted(os.listdir(shm)), sorted(names[2:]))


class DesktopTest(e2e.VeltraneTestCase):
    """A stand-in program (xmessage copied as Veltrane) on a private desktop."""

    def stand_in_folder(self):
        src = tempfile.mkdtemp(dir=self.workdir)
        shutil.copy(shutil.which('xmessage'), os.path.join(src, e2e.PROGRAM_NAME))
        return e2e.ProgramFolder(src, tempfile.mkdtemp(dir=self.workdir))

    def test_window_geometry_screenshot_and_clean_up(self):
        desk = self.desktop(root_colour='#ff00ff')
        self.assertRegex(desk.display, r'^:\d+$')
        self.assertTrue(desk.tray_owner(), 'no tray selection owner')
        self.assertEqual(os.stat(desk.runtime_dir).st_mode & 0o777, 0o700)
        folder = self.stand_in_folder()
        prog = desk.start_program(folder, faketime='@2026-03-05 14:28:30', speed=2, wrap=e2e.OFFLINE,
                                  args=['-geometry', '300x120+200+150', '-bg', '#00ff00', 'hello'])
        win = prog.wait_window(cls='Xmessage')
        geo = e2e.wait_until(lambda: (g := desk.geometry(win)).size == (300, 120) and g, 10, what='300x120')
        pid = prog.pid
        self.assertNotEqual(pid, prog.process.pid, 'faketime forks: the program is its child')
        with open(f'/proc/{pid}/environ', 'rb') as f:
            env = dict(v.split(b'=', 1) for v in f.read().split(b'\0') if b'=' in v)
        self.assertEqual(env[b'TZ'], b'Europe/Moscow')
        self.assertEqual(env[b'DBUS_SESSION_BUS_ADDRESS'], b'disabled:')
        self.assertIn(b'@2026-03-05 14:28:30 x2', env.values())
        self.assertNotEqual(os.readlink(f'/proc/{pid}/ns/net'), os.readlink('/proc/self/ns/net'))

        shot = desk.screenshot()
        self.assertEqual((shot.width, shot.height), (1280, 800))
        self.assertIn((0, 255, 0), shot.crop_colours(geo.x, geo.y, geo.width, geo.height))
        self.assertEqual(shot.pixel(1270, 400), (255, 0, 255))
        self.assertGreater(prog.rss_kb(), 0)

        self.assertNotEqual(prog.terminate(timeout=10), 0, 'xmessage dies of SIGTERM; faketime reports 1')
        display_socket = '/tmp/.X11-unix/X' + desk.display[1:]
        self.assertTrue(os.path.exists(display_socket))
        tagged = e2e._tagged_pids(e2e._TAG)
        self.assertTrue(tagged, 'the X server and the window manager carry the tag')
        desk.close()
        e2e.wait_until(lambda: not os.path.exists(display_socket), 5, what='the X server to go')
        self.assertEqual([p for p in tagged if e2e._alive(p)], [])

    def test_program_that_ends_early_is_reported(self):
        src = tempfile.mkdtemp(dir=self.workdir)
        shutil.copy('/bin/false', os.path.join(src, e2e.PROGRAM_NAME))
        folder = e2e.ProgramFolder(src, tempfile.mkdtemp(dir=self.workdir))
        desk = self.desktop(tray=None)
        prog = desk.start_program(folder)
        started = time.monotonic()
        with self.assertRaisesRegex(e2e.HarnessError, 'ended'):
            prog.wait_main_window(timeout=20)
        self.assertLess(time.monotonic() - started, 10)

    def test_detached_copy_of_the_program_is_ended_at_clean_up(self):
        src = tempfile.mkdtemp(dir=self.workdir)
        shutil.copy(shutil.which('sleep'), os.path.join(src, e2e.PROGRAM_NAME))
        folder = e2e.ProgramFolder(src, tempfile.mkdtemp(dir=self.workdir))
        desk = self.desktop(tray=None)
        # The shell ends at once; its child is left to init, outside every process tree the harness knows.
        shell = desk.start_process('detach', ['sh', '-c', f'"{folder.executable}" 600 >/dev/null 2>&1 &'])
        shell.wait(10)
        pids = e2e.wait_until(folder.running_pids, 10, what='the detached copy')
        self._clean_up()
        e2e.wait_until(lambda: not any(e2e._alive(p) for p in pids), 10, what='the detached copy to end')

    def test_trayer_as_tray_host(self):
        desk = self.desktop(tray='trayer')
        self.assertTrue(desk.tray_owner())
        out = subprocess.run(['xprop', '-root', '-display', desk.display, '_NET_SUPPORTING_WM_CHECK'],
                             capture_output=True, text=True).stdout
        self.assertIn('window id', out)


if __name__ == '__main__':
    unittest.main()
