"""Hostile program folders: something other than the expected file in place of a data file, a table file that is
garbage or lacks a field, and a disk that fills while the program runs. Every row checks the same three things:
the program still runs (and ends cleanly on SIGTERM), the trouble is reported once with the file's name, and no
file is lost (the hostile entry is left as it was and the user's notes keep their text)."""

import os
import re
import sqlite3
import stat
import tempfile
import time
import unittest

import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
# Greeted already today, so the tenth tick neither speaks nor saves; every service on loopback.
SETTINGS = '[Form]\ndayTudey=05.03.2026\n' + e2e.services_ini()
GARBAGE = b'\x00\x01not a table at all\xff' * 40
NOTE_WORDS = {n: f'keep{n}text' for n in range(1, 5)}


def note_rtf(n):
    return ('{\\rtf1\\ansi\\ansicpg1251\\deff0{\\fonttbl{\\f0 Arial;}}\\f0 ' + NOTE_WORDS[n] + '\\par}').encode()


def table_without_repeat():
    """An event table as the program makes it, less its "Repeat" column, holding one event due a minute after START."""
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, 'alarm.cds')
        db = sqlite3.connect(path)
        db.executescript(
            'CREATE TABLE alarm (id INTEGER PRIMARY KEY AUTOINCREMENT, Tip INTEGER, Data DATE, Time TIME, '
            'Execute VARCHAR(254), RepeatHour BOOLEAN, RepeatHourStart TIME, RepeatHourEnd TIME, '
            'RepeatValue INTEGER, RepeatValueName INTEGER, Day1 BOOLEAN, Day2 BOOLEAN, Day3 BOOLEAN, Day4 BOOLEAN, '
            'Day5 BOOLEAN, Day6 BOOLEAN, Day7 BOOLEAN);'
            "INSERT INTO alarm (Tip, Data, Time, Execute) VALUES (0, '2026-03-05', '14:29:10', 'call the bank');")
        db.commit()
        db.close()
        with open(path, 'rb') as f:
            return f.read()


def entry_kind(path):
    try:
        mode = os.lstat(path).st_mode
    except FileNotFoundError:
        return 'missing'
    for test, name in ((stat.S_ISLNK, 'link'), (stat.S_ISFIFO, 'fifo'), (stat.S_ISDIR, 'directory'),
                       (stat.S_ISREG, 'file')):
        if test(mode):
            return name
    return 'other'


def make_fifo(path):
    os.mkfifo(path)


def make_directory(path):
    os.mkdir(path)
    with open(os.path.join(path, 'inside.txt'), 'w') as f:
        f.write('left alone')


def make_dangling_link(path):
    os.symlink(os.path.join(os.path.dirname(path), 'nowhere', 'gone.rtf'), path)


def writer(data):
    def make(path):
        with open(path, 'wb') as f:
            f.write(data)
    return make


# (label, file, how it is made, words the report must not use, whether it is a note)
ROWS = [
    ('FIFO in place of the settings', 'veltrane.ini', make_fifo, (), False),
    ('FIFO in place of the language file', 'RUS.ini', make_fifo, (), False),
    ('FIFO in place of a note', 'note2.rtf', make_fifo, (), True),
    ('directory in place of a note', 'note2.rtf', make_directory, (), True),
    ('dangling link in place of a note', 'note4.rtf', make_dangling_link, (), True),
    ('FIFO in place of a table', 'phone.cds', make_fifo, ('does not exist',), False),
    ('directory in place of a table', 'alarm.cds', make_directory, ('does not exist',), False),
    ('garbage table', 'econom.cds', writer(GARBAGE), (), False),
    ('table missing a field', 'alarm.cds', writer(table_without_repeat()), (), False),
]

REPORT = re.compile(r'^Veltrane: (.*)$', re.M)


def file_reports(prog, folder):
    """The failures the program told (in a box, and always in its log) about anything in its folder. Notices
    about other things (a hot key the window manager holds, an offline feed) are not counted."""
    return [r for r in REPORT.findall(prog.output()) if folder.path in r]


def snapshot(path):
    """What must survive of an entry: its kind, and the bytes of a file (the link's target for a link)."""
    kind = entry_kind(path)
    if kind == 'file':
        with open(path, 'rb') as f:
            return kind, f.read()
    if kind == 'link':
        return kind, os.readlink(path)
    if kind == 'directory':
        return kind, sorted(os.listdir(path))
    return kind, None


class HostileFolderTest(e2e.VeltraneTestCase):
    def prepared_folder(self, name, make):
        folder = self.program_folder()
        if name != 'veltrane.ini':
            folder.write('veltrane.ini', SETTINGS)
        for n in range(1, 5):
            if f'note{n}.rtf' != name:
                folder.write(f'note{n}.rtf', note_rtf(n))
        make(folder.file(name))
        return folder

    def check_notes_kept(self, read, hostile):
        for n in range(1, 5):
            if f'note{n}.rtf' == hostile:
                continue
            self.assertIn(NOTE_WORDS[n].encode(), read(f'note{n}.rtf'), f'note{n}.rtf keeps its text')

    def run_row(self, label, name, make, banned):
        folder = self.prepared_folder(name, make)
        before = snapshot(folder.file(name))
        desk = self.desktop()
        # Ten times faster: the scheduler's first scan (30 s after the start, then every 10 s) comes within seconds.
        prog = desk.start_program(folder, faketime=START, speed=10, wrap=e2e.OFFLINE)

        # One box at the start, no hang (a FIFO opened for reading would wait for a writer for ever).
        e2e.wait_until(prog.message_boxes, 60, what='the start-up failure box')
        time.sleep(1.0)
        boxes = prog.message_boxes()
        self.assertEqual(len(boxes), 1, f'one box, not {boxes}')
        e2e.wait_until(lambda: desk.is_viewable(boxes[0][0]), 10, what='the box on screen')
        desk.key('Return')
        window = prog.wait_main_window(timeout=60)
        self.assertEqual(desk.geometry(window).size, (510, 290), 'the window still opens')
        # Past the first scans of the scheduler (40 s of program time): still running, and nothing more to say.
        time.sleep(6)
        self.assertTrue(prog.running(), 'the program runs on')
        self.assertEqual(prog.message_boxes(), [], 'no second box')

        self.assertEqual(prog.terminate(timeout=30), 0, 'SIGTERM ends it cleanly')
        reports = file_reports(prog, folder)
        self.assertEqual(len(reports), 1, f'one report, not {reports}')
        self.assertIn(folder.file(name), reports[0], 'the report names the file')
        for word in banned:
            self.assertNotIn(word, reports[0])
        self.assertEqual(snapshot(folder.file(name)), before, f'{name} is left as it was')
        self.check_notes_kept(folder.read_bytes, name)
        desk.close()

    def run_rows(self, notes):
        for label, name, make, banned, is_note in ROWS:
            if is_note == notes:
                with self.subTest(label):
                    self.run_row(label, name, make, banned)

    def test_hostile_entries(self):
        self.run_rows(notes=False)

    def test_hostile_notes(self):
        self.run_rows(notes=True)

    def test_failing_exit_save_through_the_menu_gives_one_box(self):
        folder = self.prepared_folder('note1.rtf', writer(note_rtf(1)))
        desk = self.desktop()
        prog = desk.start_program(folder, faketime=START, wrap=e2e.OFFLINE)
        window = prog.wait_main_window()
        # The settings file cannot be written any more: a folder stands in its place.
        os.remove(folder.file('veltrane.ini'))
        make_directory(folder.file('veltrane.ini'))
        geo = desk.geometry(window)
        desk.click(geo.x + 200, geo.y + 150)
        desk.key('F10')  # the exit command; the close and the end both save, and both fail
        e2e.wait_until(prog.message_boxes, 30, what='the failed save reported in a box')
        time.sleep(1.0)
        boxes = prog.message_boxes()
        self.assertEqual(len(boxes), 1, f'one box, not {boxes}')
        desk.key('Return')
        self.assertEqual(prog.wait_exit(timeout=30), 0, 'the program ends after the one box')
        reports = file_reports(prog, folder)
        self.assertEqual(len(reports), 1, f'one report, not {reports}')
        self.assertIn(folder.file('veltrane.ini'), reports[0])
        self.check_notes_kept(folder.read_bytes, None)

    @unittest.skipUnless(os.geteuid() == 0, 'a private tmpfs for a full disk needs root (the CI runs as root)')
    def test_disk_filling_while_the_program_runs(self):
        folder = self.prepared_folder('note1.rtf', writer(note_rtf(1)))
        out = tempfile.mkdtemp(prefix='after-', dir=self.workdir)
        # A 2 MB tmpfs over the program folder, seen by the program alone (its own mount namespace); the executable
        # and the modules it loads are bound into it, so the program folder is the full one. Everything is copied
        # out once the program ends.
        script = r'''
set -e
mount --make-rprivate /
stage=$(mktemp -d)
cp -a "$VT_DIR"/. "$stage"/
mount -t tmpfs -o size=2m tmpfs "$VT_DIR"
for f in "$stage"/*; do
  n=${f##*/}
  case "$n" in
    Veltrane|*.so) : > "$VT_DIR/$n"; mount --bind "$f" "$VT_DIR/$n" ;;
    *) cp -a "$f" "$VT_DIR"/ ;;
  esac
done
set +e
"$@"
rc=$?
for f in "$VT_DIR"/*; do case "${f##*/}" in Veltrane|*.so|filler) ;; *) cp -a "$f" "$VT_OUT"/ ;; esac; done
exit $rc
'''
        wrap = e2e.offline_wrap() + ['unshare', '-m', 'sh', '-c', script, 'sh']
        desk = self.desktop()
        prog = desk.start_program(folder, faketime=START, wrap=wrap, env={'VT_DIR': folder.path, 'VT_OUT': out})
        prog.wait_main_window()
        pid = prog.pid
        self.assertIsNotNone(pid)
        inside = f'/proc/{pid}/root{folder.path}'
        self.assertTrue(os.path.exists(os.path.join(inside, 'note1.rtf')), 'the folder is seen through the program')
        # Fill the disk to the last block.
        with open(os.path.join(inside, 'filler'), 'wb', buffering=0) as f:
            try:
                while True:
                    f.write(b'\0' * 65536)
            except OSError:
                pass
            try:
                while True:
                    f.write(b'\0' * 512)
            except OSError:
                pass
        self.assertEqual(prog.terminate(timeout=30), 0, 'SIGTERM ends it cleanly')
        reports = file_reports(prog, folder)
        self.assertEqual(len(reports), 1, f'one report, not {reports}')
        self.assertRegex(reports[0], r'Unable to write to .*(note\d\.rtf|veltrane\.ini)')

        def read(name):
            with open(os.path.join(out, name), 'rb') as f:
                return f.read()
        self.check_notes_kept(read, None)
        self.assertIn(b'dayTudey=05.03.2026', read('veltrane.ini'), 'the settings file is whole')


if __name__ == '__main__':
    unittest.main()
