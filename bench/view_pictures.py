"""Pictures of every view of the main window, to check that a change meant to keep the look keeps every pixel.

    bench/view_pictures.py shoot FOLDER     the built program (VELTRANE_PROGRAM_DIR, default build/Veltrane) on a
                                            private desktop, offline, at a fixed moment, with a few contacts and
                                            calendar rows; one PNG of the window per view (and one with a contact
                                            chosen) goes to FOLDER
    bench/view_pictures.py compare A B      prints, per picture, how many pixels differ; exits 1 when any does

Needs ImageMagick (import, compare), as the end-to-end tests do. Run as root, like them, for the offline start.
"""

import os
import sqlite3
import subprocess
import sys
import tempfile
import time

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', 'tests', 'e2e'))
import veltrane_e2e as e2e  # noqa: E402

MOMENT = '@2025-05-05 12:00:00'
# Toolbar buttons: x 478 + 1..31, 35 high, from these tops.
VIEWS = [('clock', 1), ('calendar', 36), ('planner', 71), ('phonebook', 106), ('note1', 141), ('note2', 176),
         ('note3', 211), ('note4', 246)]
CONTACTS = [
    ('Иванов Иван', 'Банк', '+7 495 000-00-01', '+7 495 000-00-02', 'ivanov', 'ivanov@example.com', 'Звонить утром'),
    ('Петров Пётр', 'Биржа', '+7 495 000-00-03', '', 'petrov', 'petrov@example.com', ''),
    ('A very long name that does not fit in its edit at all', 'Broker', '1', '2', '', '',
     '\n'.join(f'line {n} of a memo longer than its box' for n in range(20))),
] + [(f'Контакт {n:02}', '', str(n), '', '', '', '') for n in range(12)]
EVENTS = [
    ('CPI m/m', 'USD', '2025-05-05', '15:30:00', '0.2%', '0.1%', 'Высокий'),
    ('Bank Holiday', 'JPY', '2025-05-05', '02:00:00', None, None, 'Выходной'),
    ('PMI', 'EUR', '2025-05-05', '11:00:00', '50.1', '49.8', 'Средний'),
    ('Retail Sales', 'GBP', '2025-05-06', '09:30:00', '-0.4%', '0.3%', 'Низкий'),
] + [(f'Auction {n}', 'USD', '2025-05-04', f'{n:02}:00:00', '', '', 'Низкий') for n in range(12)]


def seed(folder):
    db = sqlite3.connect(folder.file('phone.cds'))
    db.executemany('INSERT INTO phone (Fio, Work, PhoneWork, Phone, Mobile, Email, Info) VALUES (?,?,?,?,?,?,?)',
                   CONTACTS)
    db.commit()
    db.close()
    db = sqlite3.connect(folder.file('econom.cds'))
    db.executemany('INSERT INTO econom (title, country, date, time, forecast, previous, impact) '
                   'VALUES (?,?,?,?,?,?,?)', EVENTS)
    db.commit()
    db.close()


def shoot(target):
    os.makedirs(target, exist_ok=True)
    work = tempfile.mkdtemp(prefix='veltrane-e2e-pictures-')
    desk = e2e.Desktop(os.path.join(work, 'desk'))
    try:
        folder = e2e.ProgramFolder(e2e.program_source_dir(), work)
        prog = desk.start_program(folder, wrap=e2e.OFFLINE, faketime=MOMENT)
        prog.wait_main_window()
        if prog.terminate() != 0:
            raise SystemExit('the first start did not end cleanly')
        seed(folder)
        prog = desk.start_program(folder, wrap=e2e.OFFLINE, faketime=MOMENT + ' x0.001')
        geo = desk.geometry(prog.wait_main_window())
        time.sleep(2)

        def picture(name):
            desk.run(['import', '-silent', '-window', 'root', '-crop', f'510x290+{geo.x}+{geo.y}', '+repage',
                      'PNG24:' + os.path.join(target, name + '.png')], timeout=30)

        for name, top in VIEWS:
            desk.click(geo.x + 478 + 16, geo.y + top + 17)
            time.sleep(1.5)
            picture(name)
            if name == 'phonebook':
                desk.click(geo.x + 60, geo.y + 40)  # the second contact of the list
                time.sleep(1.5)
                picture('phonebook-chosen')
                desk.click(geo.x + 111, geo.y + 203)  # the navigator's edit button: the fields become writable
                time.sleep(1.5)
                picture('phonebook-editing')
                desk.click(geo.x + 189, geo.y + 203)  # cancel
                time.sleep(1)
        prog.terminate()
    finally:
        desk.close()
        subprocess.run(['rm', '-rf', work])


def compare(a, b):
    differ = False
    for name in sorted(os.listdir(a)):
        if not name.endswith('.png'):
            continue
        other = os.path.join(b, name)
        if not os.path.exists(other):
            print(f'{name}: missing in {b}')
            differ = True
            continue
        run = subprocess.run(['compare', '-metric', 'AE', os.path.join(a, name), other, 'null:'],
                             capture_output=True, text=True)
        count = run.stderr.strip()
        print(f'{name}: {count} pixels differ')
        differ = differ or count != '0'
    return 1 if differ else 0


if __name__ == '__main__':
    if len(sys.argv) == 3 and sys.argv[1] == 'shoot':
        shoot(sys.argv[2])
    elif len(sys.argv) == 4 and sys.argv[1] == 'compare':
        sys.exit(compare(sys.argv[2], sys.argv[3]))
    else:
        print(__doc__)
        sys.exit(2)
