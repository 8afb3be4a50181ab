"""Feedback mail from the real program: the About window's form, typed and sent, arrives at a mail server inside the
program's own network namespace (loopback plus a sealed network that looks like a connection, so the send button
is enabled and nothing can leave), and the user sees the success box."""

import json
import os
import re
import unittest

import e2e_extras as ex
import veltrane_e2e as e2e

START = '@2026-03-05 14:28:30'
SLOW = 0.1  # keeps the daily greeting (tenth tick) out of the way
PORT = 12525
SERVER = os.path.normpath(os.path.join(os.path.dirname(os.path.abspath(__file__)), '..', '..', 'tools',
                                       'smtp_server.py'))

# About window layout (client coordinates): the address field, the message field and the send button.
EMAIL = (88 + 100, 115 + 10)
MEMO = (14 + 140, 142 + 60)
SEND = (7 + 105, 332 + 12)


def mail_wrap(log_path):
    """A fresh network namespace: loopback up, the sealed network, the mail server listening, then the program."""
    script = ('ip link set lo up || exit 96; '
              f'{{ {ex._SEALED_NETWORK}; }} || exit 95; '
              f'/usr/bin/python3 -B {SERVER} --port {PORT} --user feedback@mail.test --password pw > {log_path} & '
              f'for i in $(seq 100); do grep -q listening {log_path} && break; sleep 0.1; done; '
              f'grep -q listening {log_path} || exit 97; '
              'exec "$@"')
    return e2e.offline_wrap() + ['sh', '-c', script, 'sh']


class FeedbackMailTest(e2e.VeltraneTestCase):
    def setUp(self):
        super().setUp()
        self.folder = self.program_folder()
        self.folder.write_services(smtp_port=PORT, extra={'SmtpUser': 'feedback@mail.test', 'SmtpPassword': 'pw',
                                                          'MailTo': 'author@mail.test'})
        self.log = os.path.join(self.workdir, 'smtp.jsonl')
        self.desk = self.desktop()

    def records(self):
        if not os.path.exists(self.log):
            return []
        with open(self.log, encoding='utf-8') as f:
            return [json.loads(line) for line in f if line.startswith('{')]

    def test_the_form_is_mailed_and_success_is_shown(self):
        prog = self.desk.start_program(self.folder, faketime=START, speed=SLOW, wrap=mail_wrap(self.log))
        main = prog.wait_main_window(timeout=90)
        geo = self.desk.geometry(main)
        # Label4, the caption at the bottom, opens the About window. Online, the banner views start beside the
        # window in its first seconds; a click the window manager took for itself is given again.
        about = None
        for _ in range(3):
            self.desk.click(geo.x + 96 + 140, geo.y + 274 + 6)
            try:
                about = prog.wait_window(name='^O программе$', timeout=10)
                break
            except e2e.HarnessError:
                continue
        self.assertIsNotNone(about, 'a click on the caption opens the About window')
        a = self.desk.geometry(about)
        self.assertEqual((a.width, a.height), (327, 362))
        centre = (a.x + a.width // 2, a.y + a.height // 2)
        main_centre = (geo.x + geo.width // 2, geo.y + geo.height // 2)
        self.assertLessEqual(abs(centre[0] - main_centre[0]) + abs(centre[1] - main_centre[1]), 40,
                             'the About window is centred on the main window')

        self.desk.click(a.x + EMAIL[0], a.y + EMAIL[1])
        self.desk.run(['xdotool', 'type', '--delay', '20', 'ivan@mail.test'])
        self.desk.click(a.x + MEMO[0], a.y + MEMO[1])
        self.desk.run(['xdotool', 'type', '--delay', '20', 'Hello from the desk'])
        self.desk.click(a.x + SEND[0], a.y + SEND[1])

        mail = e2e.wait_until(lambda: next((r for r in self.records() if r.get('event') == 'mail'), None), 30,
                              what='the mail at the server')
        self.assertRegex(mail['subject'], r'^Veltrane\. ID:([0-9A-F]{2}-){5}[0-9A-F]{2}$',
                         'the machine id of the namespace\'s adapter')
        self.assertEqual(mail['mail_from'], 'feedback@mail.test')
        self.assertEqual(mail['rcpt_tos'], ['author@mail.test'])
        self.assertEqual(mail['login'], {'user': 'feedback@mail.test', 'password': 'pw'})
        self.assertEqual(mail['body'], 'Hello from the desk\r\n\r\n\r\nivan@mail.test\r\n')
        self.assertTrue(re.match(r'^Veltrane 2\.', mail['x_mailer']), mail['x_mailer'])

        e2e.wait_until(lambda: any(title == 'Сообщение отправлено' for _, title in prog.message_boxes()), 20,
                       what='the success box')
        # The platform's end closes the program with the box still up.
        self.assertEqual(prog.terminate(timeout=30), 0)


if __name__ == '__main__':
    unittest.main()
