"""The event planner in the real program: a due reminder opens its window and "Закрыть" deletes it; a due
power-off counts down and powers off through logind, then the program ends with its settings saved.

The clock runs ten times faster under libfaketime, so the first scan (about 40 s after start) comes after
about 4 s, and the one-minute countdown takes about 6 s.
"""

import os
import sqlite3
import subprocess
import unittest

import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
SPEED = 10
COLUMNS = ('Tip, Data, Time, Execute, RepeatHourStart, RepeatHourEnd, Repeat, RepeatValue, RepeatValueName, '
           'Day1, Day2, Day3, Day4, Day5, Day6, Day7')


def planner_wired(folder):
    """The countdown window is linked into the program only once the main window creates it."""
    text = 'Не выключать комтьютер'
    with open(folder.executable, 'rb') as f:
        data = f.read()
    return text.encode('utf-16-le') in data or text.encode() in data


def add_event(folder, tip, date, time, text=''):
    db = sqlite3.connect(folder.file('alarm.cds'))
    try:
        cur = db.execute(f'INSERT INTO alarm ({COLUMNS}) VALUES (?, ?, ?, ?, ?, ?, 0, 0, 2, 0, 0, 0, 0, 0, 0, 0)',
                         (tip, date, time, text, '00:00:00', '23:59:59'))
        db.commit()
        return cur.lastrowid
    finally:
        db.close()


def event_ids(folder):
    db = sqlite3.connect(folder.file('alarm.cds'))
    try:
        return [row[0] for row in db.execute('SELECT id FROM alarm')]
    finally:
        db.close()


class PlannerTest(e2e.VeltraneTestCase):
    def prepared_folder(self, desk):
        """A program folder after one short run, so that the program itself created its table files."""
        folder = self.program_folder()
        if not planner_wired(folder):
            self.skipTest('the planner windows are not wired into the main window yet')
        folder.write_services()
        prog = desk.start_program(folder, faketime=START, wrap=e2e.OFFLINE)
        prog.wait_main_window()
        self.assertEqual(prog.terminate(timeout=60), 0)
        self.assertTrue(folder.exists('alarm.cds'))
        return folder

    def test_due_reminder_opens_and_close_deletes_it(self):
        desk = self.desktop()
        folder = self.prepared_folder(desk)
        event = add_event(folder, 0, '2026-03-05', '14:00:00', 'Позвонить брокеру')
        prog = desk.start_program(folder, faketime=START, speed=SPEED, wrap=e2e.OFFLINE)
        prog.wait_main_window()

        window = prog.wait_window(name=r'^Напоминание: 05\.03\.2026 - 14:00:00$', timeout=60)
        geo = desk.geometry(window)
        self.assertEqual(geo.size, (396, 116))
        self.assertEqual(event_ids(folder), [event], 'showing the reminder does not complete it')

        # "Закрыть" is the second button of the tool bar (client 77, 84, 313 x 29).
        desk.click(geo.x + 311, geo.y + 98)
        e2e.wait_until(lambda: event_ids(folder) == [], 20, what='the reminder to be deleted')
        e2e.wait_until(lambda: not desk.windows(cls=e2e.PROGRAM_NAME, name='^Напоминание'), 10,
                       what='the reminder window to close')
        self.assertEqual(prog.terminate(timeout=60), 0)

    def test_due_power_off_counts_down_and_powers_off(self):
        desk = self.desktop()
        folder = self.prepared_folder(desk)
        add_event(folder, 2, '2026-03-05', '14:00:00')
        # Only the loopback services: the settings written at the end prove a normal end of the program.
        folder.write_services()

        bus_dir = os.path.join(self.workdir, 'bus')
        os.makedirs(bus_dir)
        address = 'unix:path=' + os.path.join(bus_dir, 'system_bus_socket')
        desk.start_process('system-bus', ['dbus-daemon', '--config-file=/usr/share/dbus-1/session.conf', '--nofork',
                                          '--address=' + address])
        e2e.wait_until(lambda: os.path.exists(os.path.join(bus_dir, 'system_bus_socket')), 20,
                       what='the private system bus')
        calls = os.path.join(bus_dir, 'calls.log')
        desk.start_process('logind', ['/usr/bin/python3', '-m', 'dbusmock', '--system', '--template', 'logind',
                                      '-l', calls], env={'DBUS_SYSTEM_BUS_ADDRESS': address})

        def logind_ready():
            res = subprocess.run(['dbus-send', '--bus=' + address, '--print-reply', '--dest=org.freedesktop.DBus',
                                  '/org/freedesktop/DBus', 'org.freedesktop.DBus.NameHasOwner',
                                  'string:org.freedesktop.login1'], capture_output=True, text=True)
            return 'boolean true' in res.stdout
        e2e.wait_until(logind_ready, 30, what='the mock logind')

        prog = desk.start_program(folder, faketime=START, speed=SPEED, wrap=e2e.OFFLINE,
                                  env={'DBUS_SYSTEM_BUS_ADDRESS': address})
        prog.wait_main_window()
        window = prog.wait_window(name='^Выключение компьютера$', timeout=60)
        self.assertEqual(desk.geometry(window).size, (420, 114))

        self.assertEqual(prog.wait_exit(timeout=60), 0, 'the program ends the normal way after the power-off')
        with open(calls) as f:
            log = f.read()
        self.assertRegex(log, r'PowerOff False')
        self.assertEqual(event_ids(folder), [], 'the one-off power-off is deleted before the computer goes off')
        self.assertIn('Form', folder.ini('veltrane.ini').section_names(), 'the settings were saved at the end')


if __name__ == '__main__':
    unittest.main()
