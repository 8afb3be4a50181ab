"""The quick notes in the real program: what is typed survives the platform's end and a restart, and a kill -9 a
few seconds after the typing stopped; the rich text the program writes opens in LibreOffice with the same text."""

import os
import shutil
import signal
import subprocess
import tempfile
import time
import unittest

import veltrane_e2e as e2e

# Voice off: no daily greeting, so no box about an unreachable speech service takes the keyboard.
SETTINGS = '[Form]\r\nN36=0\r\n'
# The toolbar's button of the first note, from the window's top left corner.
NOTE1_BUTTON = (478 + 15, 141 + 17)


def rtf_text_ok(data):
    return data.lstrip().startswith(b'{\\rtf') and data.rstrip(b'\0\r\n ').endswith(b'}')


class NotesTest(e2e.VeltraneTestCase):
    def start(self, folder):
        desk = self.desktop()
        prog = desk.start_program(folder, wrap=e2e.OFFLINE)
        window = prog.wait_main_window()
        return desk, prog, desk.geometry(window)

    def type_into_note1(self, desk, geo, text):
        desk.click(geo.x + NOTE1_BUTTON[0], geo.y + NOTE1_BUTTON[1])
        desk.click(geo.x + 200, geo.y + 100)
        desk.run(['xdotool', 'type', '--delay', '30', text])

    def test_typed_note_survives_the_end_and_a_restart(self):
        folder = self.program_folder()
        folder.write_services()
        folder.write('veltrane.ini', SETTINGS.encode())
        desk, prog, geo = self.start(folder)
        self.type_into_note1(desk, geo, 'Buy EUR at 1.0850')
        self.assertEqual(prog.terminate(timeout=20), 0)
        saved = folder.read_bytes('note1.rtf')
        self.assertTrue(rtf_text_ok(saved), saved[:200])
        self.assertIn(b'Buy EUR at 1.0850', saved)

        # The next start reads the note and, typed into again, keeps both the old and the new text.
        desk.close()
        desk, prog, geo = self.start(folder)
        self.type_into_note1(desk, geo, ' stop 1.0800')
        self.assertEqual(prog.terminate(timeout=20), 0)
        self.assertIn(b'Buy EUR at 1.0850', folder.read_bytes('note1.rtf'))
        self.assertIn(b'stop 1.0800', folder.read_bytes('note1.rtf'))

    def test_kill_two_seconds_after_typing_keeps_the_note(self):
        folder = self.program_folder()
        folder.write_services()
        folder.write('veltrane.ini', SETTINGS.encode())
        desk, prog, geo = self.start(folder)
        self.type_into_note1(desk, geo, 'Typed before a power cut')
        time.sleep(3)
        prog.signal(signal.SIGKILL)
        prog.wait_exit(timeout=20)
        saved = folder.read_bytes('note1.rtf')
        self.assertTrue(rtf_text_ok(saved), saved[:200])
        self.assertIn(b'Typed before a power cut', saved)
        leftovers = [n for n in os.listdir(folder.path) if n.startswith('note') and not n.endswith('.rtf')]
        self.assertEqual(leftovers, [], 'no temporary file is left beside the notes')

    def test_a_note_that_did_not_load_is_left_alone_and_the_other_saves_go_on(self):
        # note1.rtf a dangling link: not read at start, so never written; notes 2 to 4 keep their text.
        # note2.rtf a folder after the start: its save fails, notes 3 and 4 and the settings are still written.
        folder = self.program_folder()
        folder.write_services()
        folder.write('veltrane.ini', SETTINGS.encode())
        for i in (2, 3, 4):
            folder.write(f'note{i}.rtf', b'{\\rtf1 kept %d}' % i)
        os.symlink(folder.file('nowhere.rtf'), folder.file('note1.rtf'))
        desk = self.desktop()
        prog = desk.start_program(folder, wrap=e2e.OFFLINE)
        e2e.wait_until(prog.message_boxes, 60, what='the unread note reported in a box')
        self.assertIn('note1.rtf', prog.output())
        self.assertEqual(prog.terminate(timeout=20), 0)
        self.assertTrue(os.path.islink(folder.file('note1.rtf')), 'the link is left as it was')
        for i in (2, 3, 4):
            self.assertIn(b'kept %d' % i, folder.read_bytes(f'note{i}.rtf'))
        desk.close()

        os.remove(folder.file('note1.rtf'))
        desk, prog, geo = self.start(folder)
        os.remove(folder.file('note2.rtf'))
        os.mkdir(folder.file('note2.rtf'))
        os.remove(folder.file('veltrane.ini'))
        self.assertEqual(prog.terminate(timeout=20), 0)
        self.assertTrue(os.path.isdir(folder.file('note2.rtf')))
        for i in (1, 3, 4):
            self.assertTrue(rtf_text_ok(folder.read_bytes(f'note{i}.rtf')))
        self.assertIn('Form', folder.ini('veltrane.ini').section_names(), 'the settings were written after it')
        reports = [line for line in prog.output().splitlines()
                   if 'note2.rtf' in line and 'reported already' not in line]
        self.assertEqual(len(reports), 1, prog.output())


# A note as a Windows word processor writes it: Cyrillic by code page and by \uN, bold, a bullet, a tab.
WINDOWS_NOTE = (
    b'{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0\\fnil\\fcharset204 Arial;}{\\f1\\fnil\\fcharset2 Symbol;}}\r\n'
    b'{\\colortbl ;\\red255\\green0\\blue0;}\r\n'
    b'\\viewkind4\\uc1\\pard\\f0\\fs20 \\b \\\'cf\\\'f0\\\'e8\\\'e2\\\'e5\\\'f2\\b0  EUR\\tab 1.0850\\par\r\n'
    b'{\\pntext\\f1\\\'b7\\tab}{\\*\\pn\\pnlvlblt\\pnf1\\pnindent0{\\pntxtb\\\'b7}}\\fi-200\\li200 '
    b'\\cf1\\u1089?\\u1090?\\u1086?\\u1087?\\cf0  GBP\\par\r\n'
    b'\\pard last line\\par\r\n}\r\n\0')
WINDOWS_NOTE_LINES = ['Привет EUR\t1.0850', 'стоп GBP', 'last line']


class LibreOfficeTest(e2e.VeltraneTestCase):
    def test_notes_we_write_convert_to_the_same_text(self):
        soffice = shutil.which('soffice')
        if not soffice:
            self.skipTest('soffice is not installed (scripts/install-deps.sh installs libreoffice-writer-nogui)')
        folder = self.program_folder()
        folder.write_services()
        folder.write('veltrane.ini', SETTINGS.encode())
        folder.write('note2.rtf', WINDOWS_NOTE)
        desk = self.desktop()
        prog = desk.start_program(folder, wrap=e2e.OFFLINE)
        prog.wait_main_window()
        self.assertEqual(prog.terminate(timeout=20), 0)
        ours = folder.read_bytes('note2.rtf')
        self.assertNotEqual(ours, WINDOWS_NOTE, 'the program wrote the note itself')
        self.assertTrue(rtf_text_ok(ours))

        work = tempfile.mkdtemp(prefix='soffice-', dir=self.workdir)
        source = os.path.join(work, 'note2.rtf')
        with open(source, 'wb') as f:
            f.write(ours)
        env = dict(os.environ, HOME=work)
        env.pop('DISPLAY', None)
        subprocess.run([soffice, '--headless', '--norestore', f'-env:UserInstallation=file://{work}/profile',
                        '--convert-to', 'txt:Text (encoded):UTF8', '--outdir', work, source],
                       env=env, check=True, timeout=180, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        with open(os.path.join(work, 'note2.txt'), encoding='utf-8-sig') as f:
            lines = [line.rstrip('\r\n') for line in f.read().splitlines()]
        # LibreOffice shows a bullet as a character of its own before the item's text.
        lines = [line.lstrip('•\u2022\uf0b7·\t ') for line in lines if line.strip()]
        self.assertEqual(lines, [line.lstrip() for line in WINDOWS_NOTE_LINES])


if __name__ == '__main__':
    unittest.main()
