"""The setup menu's autostart option and backup commands, used with the keyboard on the real program: the autostart
entry is written, valid and removed; a backup and a restore bring the data back through a restart of the program."""

import os
import signal
import sqlite3
import subprocess
import time
import unittest

import veltrane_e2e as e2e

# From the clock view the popup menu shows N1, N19, N16, then N35 "Настройка программы" with, in order: N15, N30
# "Резервная копия данных" (N31 "Сохранить...", N32 "Востановить..."), N21, N40, N7, N8 "Запускать при старте".
SETUP = ['Down'] * 4 + ['Right']
AUTOSTART = SETUP + ['Down'] * 5 + ['Return']
BACKUP = SETUP + ['Down', 'Right', 'Return']
RESTORE = SETUP + ['Down', 'Right', 'Down', 'Return']


def rows(path, sql):
    with sqlite3.connect(path) as db:
        return [r[0] for r in db.execute(sql)]


class SetupMenuTest(e2e.VeltraneTestCase):

    def start(self, folder=None):
        self.folder = folder or self.program_folder()
        if not self.folder.exists('veltrane.ini'):
            self.folder.write_services()
        # No faketime: its wrapper would wait on for the copy a restore starts, which outlives the wrapper's child.
        self.prog = self.desk.start_program(self.folder, wrap=e2e.OFFLINE)
        self.win = self.prog.wait_main_window(timeout=90)
        return self.prog

    def menu(self, keys):
        geo = self.desk.geometry(self.win)
        self.desk.click(geo.x + 200, geo.y + 150, button=3)
        time.sleep(0.8)
        for key in keys:
            self.desk.key(key)
            time.sleep(0.25)

    def answer(self, title, keys=('Return',)):
        box = e2e.wait_until(lambda: next((w for w, t in self.prog.message_boxes() if t == title), None), 30,
                             what=f'the box {title}')
        self.desk.run(['xdotool', 'windowactivate', '--sync', str(box)])
        for key in keys:
            self.desk.key(key)
            time.sleep(0.2)
        e2e.wait_until(lambda: box not in self.desk.windows(), 10, what=f'the box {title} to close')

    def choose_folder(self, title, path):
        dialog = self.prog.wait_window(name=title, timeout=30)
        self.desk.run(['xdotool', 'windowactivate', '--sync', str(dialog)])
        self.desk.key('ctrl+a')
        self.desk.run(['xdotool', 'type', '--delay', '20', path])
        time.sleep(0.5)
        self.desk.key('Return')

    def test_autostart_entry_written_removed_and_refused(self):
        self.desk = self.desktop()
        self.start()
        entry = os.path.join(self.desk.home, '.config', 'autostart', 'Veltrane.desktop')

        with self.subTest('checked: the entry names the program in its folder and is valid'):
            self.menu(AUTOSTART)
            e2e.wait_until(lambda: os.path.exists(entry), 10, what='the autostart entry')
            with open(entry) as f:
                text = f.read()
            self.assertIn(f'\nExec="{self.folder.executable}"\n', text)
            check = subprocess.run(['desktop-file-validate', entry], capture_output=True, text=True)
            self.assertEqual((check.returncode, check.stdout + check.stderr), (0, ''))

        with self.subTest('unchecked: removed'):
            self.menu(AUTOSTART)
            e2e.wait_until(lambda: not os.path.exists(entry), 10, what='the entry to go')

        with self.subTest('an entry that cannot be written is reported'):
            os.rmdir(os.path.dirname(entry))
            with open(os.path.dirname(entry), 'w') as f:
                f.write('a file where the folder should be')
            self.menu(AUTOSTART)
            self.prog.wait_output(r"Failed to set data for 'Veltrane'")
            self.answer('Veltrane')
        self.assertEqual(self.prog.terminate(), 0)
        # The mark stays as toggled and is saved with the settings.
        self.assertEqual(self.folder.ini('veltrane.ini').get('Form', 'N8'), '1')

    def test_backup_then_restore_through_a_restart(self):
        self.desk = self.desktop()
        folder = self.program_folder()
        # A first run makes the tables; then they get an event and a contact, and the first note a text.
        self.start(folder)
        self.assertEqual(self.prog.terminate(), 0)
        with sqlite3.connect(folder.file('alarm.cds')) as db:
            db.execute("INSERT INTO alarm(Execute) VALUES ('backed up event')")
        with sqlite3.connect(folder.file('phone.cds')) as db:
            db.execute("INSERT INTO phone(Fio) VALUES ('Backed Up Broker')")
        folder.write('note1.rtf', '{\\rtf1\\ansi backed up note\\par}')

        backup = os.path.join(self.workdir, 'my backup')
        os.makedirs(backup)
        self.start(folder)
        self.menu(BACKUP)
        self.choose_folder('Выберите каталог куда сохранить файлы', backup)
        self.answer('OK')
        self.assertEqual(sorted(os.listdir(backup)), ['alarm.cds', 'econom.cds', 'note1.rtf', 'note2.rtf',
                                                      'note3.rtf', 'note4.rtf', 'phone.cds'])
        self.assertEqual(rows(os.path.join(backup, 'alarm.cds'), 'SELECT Execute FROM alarm'), ['backed up event'])
        self.assertEqual(self.prog.terminate(), 0)
        self.assertEqual(folder.ini('veltrane.ini').get('Form', 'DirBackup'), backup)

        # Later: another event and another note.
        with sqlite3.connect(folder.file('alarm.cds')) as db:
            db.execute("INSERT INTO alarm(Execute) VALUES ('later event')")
        folder.write('note1.rtf', '{\\rtf1\\ansi later note\\par}')

        leaving = self.start(folder)
        self.menu(RESTORE)
        self.choose_folder('Выберите каталог откуда восстановить файлы', backup)
        # "Да" is the button before the default "Нет".
        self.answer('Вопрос', keys=('shift+Tab', 'space'))
        self.answer('OK')
        self.assertEqual(leaving.wait_exit(timeout=30), 0)

        # The new copy starts from the restored files.
        restarted = e2e.wait_until(lambda: folder.running_pids(), 30, what='the restarted program')
        e2e.wait_until(lambda: self.desk.windows(cls=e2e.PROGRAM_NAME, name='^Veltrane$'), 60,
                       what='the window of the restarted program')
        time.sleep(2)
        for pid in restarted:
            os.kill(pid, signal.SIGTERM)
        e2e.wait_until(lambda: not folder.running_pids(), 30, what='the restarted program to end')

        self.assertEqual(rows(folder.file('alarm.cds'), 'SELECT Execute FROM alarm'), ['backed up event'])
        self.assertEqual(rows(folder.file('phone.cds'), 'SELECT Fio FROM phone'), ['Backed Up Broker'])
        self.assertEqual(sorted(rows(folder.file('alarm.old'), 'SELECT Execute FROM alarm')),
                         ['backed up event', 'later event'])
        # The copy that left did not write its note over the restored one; the new copy loaded and saved it.
        self.assertIn('backed up note', folder.read_text('note1.rtf'))
        self.assertIn('later note', folder.read_text('note1_old.rtf'))


if __name__ == '__main__':
    unittest.main()
