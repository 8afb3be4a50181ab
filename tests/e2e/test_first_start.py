"""First start of the real program in an empty program folder, and the files it leaves after a close request."""

import unittest

import veltrane_e2e as e2e

# The clock starts at a fixed moment and runs at a tenth of real speed, so the daily greeting (tenth clock tick,
# which saves the settings) cannot come before the test has looked at the folder and ended the program.
START = '@2026-03-05 14:28:30'
SLOW = 0.1

FORM_DEFAULTS = [
    ('Left', '200'), ('Top', '200'), ('N5', '1'), ('N7', '0'), ('N8', '0'), ('N9', '1'), ('N36', '1'),
    ('language', 'RUS'), ('dayTudey', '01.01.2012'), ('DirBackup', ''), ('EcomomMesaage', '15'),
]

CENTRES = [
    ('Wellington', 'Веллингтон'), ('Sydney', 'Сидней'), ('Tokyo', 'Токио'), ('Singapore', 'Сингапур'),
    ('HongKong', 'Гонконг'), ('Shanghai', 'Шанхай'), ('Frankfurkt', 'Франкфуркт'), ('Moscow', 'Москва'),
    ('London', 'Лондон'), ('Zurich', 'Цюрих'), ('Paris', 'Париж'), ('Riyadh', 'Эр-Рияд'), ('NewYork', 'Нью-Йорк'),
    ('Chicago', 'Чикаго'), ('LosAngeles', 'Лос-Анжелес'), ('Johannesburg', 'Йоханнесбург'),
]

# Section [Form1] of a language file as the first save writes it: every key in write order, Russian defaults.
FORM1_DEFAULTS = CENTRES + [
    ('tud', 'Сегодня '), ('morning', 'Доброе утро!'), ('Goodday', 'Добрый день!'), ('evening', 'Добрый вечер!'),
    ('night', 'Доброй ночи!'), ('sob1', 'Запланировано событие на'),
    ('sob2', 'Запланировано периодическое событие c'),  # the last letter is the Latin c
    ('Poff1', 'Выключение компьютера'), ('Poff2', 'Компьютер будет выключен'),
    ('Poff3', 'Внимание! Компьютер будет выключен через одну минуту'),
    ('Poff4', 'Внимание! Компьютер будет переведен в режим сна через одну минуту'),
    ('Poff5', 'Внимание! Компьютер будет выключен через '),
    ('RunAp1', 'Запуск приложения'), ('RunAp2', 'Производится запланированный запуск приложения'),
    ('DBCheckBox8', 'Повторять событие'), ('Label12', 'Текст напоминания'), ('Label13', 'Повторять с'),
    ('Label14', 'до'), ('Label15', 'Каждые'), ('Label5', 'Наименование'), ('Label6', 'Место работы'),
    ('Label7', 'Телефон 1'), ('Label8', 'Телефон 2'), ('Label11', 'Дополнительная информация'),
    ('mN1', 'Выход'), ('mN15', 'О программе'), ('mN19', 'Онлайн - помощь'), ('mN17', 'Онлайн - консультант'),
    ('mN18', 'Обучающее видео'), ('mN20', 'Сайт программы'), ('mN16', 'Открыть новый счет'),
    ('mN7', 'Фиксировать положение'), ('mN9', 'Только активные рынки'), ('mN8', 'Запускать при старте'),
    ('mN5', 'Делать прозрачным'), ('mForex1', 'Видео прогноз Forex'), ('mN11', 'Экономический календарь'),
    ('mN13', 'Форекс прогноз на сегодня'), ('mN2', 'Свернуть'), ('mN3', 'Развернуть'),
    ('mN21', 'Выбрать язык программы'), ('mN23', 'Системные утилиты'), ('mN29', 'Вставить дату, время'),
    ('mN34', 'Открыть в редакторе'), ('mN35', 'Настройка программы'), ('mN36', 'Голосовое оповещение'),
    ('mN38', 'Напомнить'),
    ('mCut1', 'Вырезать'), ('mCopy1', 'Копировать'), ('mPaste1', 'Вставить'), ('mIP1', 'Позвонить по IP телефону'),
    ('mN25', 'Калькулятор'), ('mN26', 'Блокнот'), ('mN28', 'Ножницы'), ('mN27', 'Экранная лупа'),
    ('Day1', 'Воскресенье'), ('Day2', 'Понедельник'), ('Day3', 'Вторник'), ('Day4', 'Среда'), ('Day5', 'Четверг'),
    ('Day6', 'Пятница'), ('Day7', 'Суббота'),
    ('Combobox2Items0', 'Напоминание'), ('Combobox2Items1', 'Запустить приложение'),
    ('Combobox2Items2', 'Выключить компьютер'), ('Combobox2Items3', 'Компьютер в спящий режим'),
    ('Combobox4Items0', 'Минут'), ('Combobox4Items1', 'Часов'), ('Combobox4Items2', 'Дней'),
    ('Combobox4Items3', 'Месяц'),
    ('mN22', 'Русский'), ('Englich', 'Английский'), ('Franais', 'Французский'),
]

NOTES = ['note1.rtf', 'note2.rtf', 'note3.rtf', 'note4.rtf']
TABLES = ['alarm.cds', 'phone.cds', 'econom.cds']


class FirstStartTest(e2e.VeltraneTestCase):
    """The real executable, started offline from a fresh program folder on a desktop with a window manager."""

    def start(self, lang):
        self.folder = self.program_folder()
        # What the build ships: the executable and the modules it loads when needed (web views, sound).
        self.assertEqual([n for n in self.folder.names() if not n.endswith('.so')], [e2e.PROGRAM_NAME],
                         'the copy must start empty')
        self.desk = self.desktop()
        self.prog = self.desk.start_program(self.folder, lang=lang, tz='Europe/Moscow', faketime=START, speed=SLOW,
                                            wrap=e2e.OFFLINE)
        self.window = self.prog.wait_main_window(timeout=90)

    def close_and_read(self):
        self.assertEqual(self.prog.terminate(timeout=60), 0, 'a close request ends the program normally')
        return self.folder.ini('veltrane.ini')

    def test_russian_system(self):
        self.start('ru_RU.UTF-8')

        with self.subTest('window 510 x 290 at 200, 200'):
            try:
                e2e.wait_until(lambda: self.desk.geometry(self.window) == e2e.Geometry(200, 200, 510, 290), 5,
                               what='the window to settle')
            except e2e.HarnessError:
                pass  # the assertion below shows what there is
            self.assertEqual(self.desk.geometry(self.window), e2e.Geometry(200, 200, 510, 290))

        with self.subTest('no failure reported at start'):
            self.assertEqual(self.prog.message_boxes(), [])

        with self.subTest('data files created at start'):
            for name in NOTES:
                self.assertTrue(self.folder.read_bytes(name).startswith(b'{\\rtf'), f'{name} is a rich-text document')
            for name in TABLES:
                self.assertTrue(self.folder.read_bytes(name).startswith(b'SQLite format 3\0'),
                                f'{name} is an SQLite database')

        with self.subTest('language file created empty, settings not written before the first save'):
            self.assertTrue(self.folder.exists('RUS.ini'))
            self.assertEqual(self.folder.read_bytes('RUS.ini'), b'')
            self.assertFalse(self.folder.exists('veltrane.ini'))

        settings = self.close_and_read()

        with self.subTest('settings after the close request'):
            self.assertEqual(settings.section_names(), ['Form'])
            self.assertEqual(settings.items('Form'), FORM_DEFAULTS)

        with self.subTest('language file after the close request'):
            language = self.folder.ini('RUS.ini')
            self.assertEqual(language.section_names(), ['Form1'], 'AboutBox is written only when leaving a language')
            self.assertEqual(language.keys('Form1'), [k for k, _ in FORM1_DEFAULTS])
            self.assertEqual(language.items('Form1'), FORM1_DEFAULTS)

    def test_system_language_outside_the_offered_seven(self):
        # US English is ENU: it names its own language file, which is created and filled with the Russian texts.
        self.start('en_US.UTF-8')
        self.assertTrue(self.folder.exists('ENU.ini'))
        self.assertFalse(self.folder.exists('RUS.ini'))

        settings = self.close_and_read()
        self.assertEqual(settings.keys('Form'), [k for k, _ in FORM_DEFAULTS])
        self.assertEqual(settings.get('Form', 'language'), 'ENU')
        self.assertEqual(settings.get('Form', 'N36'), '1', 'the voice item stays on when no language is checked')
        self.assertEqual(self.folder.ini('ENU.ini').items('Form1'), FORM1_DEFAULTS)
        self.assertFalse(self.folder.exists('RUS.ini'))


if __name__ == '__main__':
    unittest.main()
