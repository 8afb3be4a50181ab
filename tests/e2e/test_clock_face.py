"""The clock face on a real X server: the marker, the yellow hour labels and the session bars, read off a
screenshot of the window with the clock pinned by libfaketime in a chosen zone."""

import datetime
import time
import unittest

import e2e_extras as ex
import veltrane_e2e as e2e

ROOT = (0xFF, 0x00, 0xFF)
LEFT, TOP = 200, 200  # where a folder without settings puts the window


def _ms_of_day(moment):
    return ((moment.hour * 60 + moment.minute) * 60 + moment.second) * 1000 + moment.microsecond // 1000


class ClockFaceTest(e2e.VeltraneTestCase):
    """One screenshot per moment; every wrong pixel of a case is listed at once."""

    # (label, zone, start of the faked clock, clock speed, N9 "only active markets")
    # 14:28:30.000 is the tie case: 868.5 minutes rounds to 868 (ties to even), so the marker stands at 289,
    # not 290; the clock runs at a hundredth of real speed so the face is painted well inside that half second.
    # 23:39: both "23" and "24" yellow. New York in March (standard time, offset -5): Wellington wraps to a single
    # interval [16, 24) and Tokyo is split into [19, 24) and [0, 3). With N9 off no bar is grey.
    # The other clocks run at a tenth of real speed: a slow start cannot carry the face into the next minute.
    CASES = [
        ('Moscow 14:28:30, tie rounds to even', 'Europe/Moscow', datetime.datetime(2026, 3, 5, 14, 28, 30), 0.01,
         True),
        ('Moscow 23:39, "23" and "24" yellow', 'Europe/Moscow', datetime.datetime(2026, 3, 5, 23, 39, 0), 0.1,
         True),
        ('New York 09:29, offset -5', 'America/New_York', datetime.datetime(2026, 3, 5, 9, 29, 0), 0.1,
         True),
        ('Moscow 09:29, N9 off', 'Europe/Moscow', datetime.datetime(2026, 3, 5, 9, 29, 0), 0.1,
         False),
    ]

    def test_face_matches_the_clock(self):
        for label, zone, start, speed, active_only in self.CASES:
            with self.subTest(label):
                self.check_face(zone, start, speed, active_only)

    def check_face(self, zone, start, speed, active_only):
        folder = self.program_folder()
        if not active_only:
            folder.write('veltrane.ini', '[Form]\nN9=0\n\n' + e2e.services_ini())
        desk = self.desktop(root_colour='#ff00ff')
        ex.pointer_to(desk, 5, 5)  # off the window: no hover, no tooltip in the picture
        started = time.monotonic()
        prog = desk.start_program(folder, tz=zone, faketime='@' + start.strftime('%Y-%m-%d %H:%M:%S'), speed=speed,
                                  wrap=e2e.OFFLINE)
        win = prog.wait_main_window(timeout=90)
        geo = e2e.wait_until(lambda: (g := desk.geometry(win)).size == (510, 290) and g, 20, what='510 x 290')
        self.assertEqual(geo.position, (LEFT, TOP))

        def painted():
            shot = desk.screenshot()
            # The ruler's navy and one white marker pixel on the black line under the ruler.
            if shot.pixel(LEFT + 12, TOP + 1) != ex.NAVY:
                return None
            whites = [x for x in range(1, 478) if shot.pixel(LEFT + x, TOP + 25) == ex.WHITE]
            return (shot, whites) if whites else None
        shot, whites = e2e.wait_until(painted, 60, interval=0.5, what='the clock face to be painted')
        elapsed = (time.monotonic() - started) * speed
        first = start
        last = start + datetime.timedelta(seconds=elapsed)
        # The face shows some moment between the start of the faked clock and now; the marker moves one pixel
        # in three minutes, so over the short run there is one place for it.
        allowed = set(range(ex.marker_x(_ms_of_day(first)), ex.marker_x(_ms_of_day(last)) + 1))
        self.assertEqual(len(allowed), 1, f'the run took too long ({elapsed:.1f} faked s) to pin the marker')
        expected_x = allowed.pop()
        hour = start.hour
        now_minute = start.hour * 60 + start.minute
        self.assertEqual(now_minute, last.hour * 60 + last.minute, 'the run crossed a minute boundary')

        def px(x, y):
            return shot.pixel(LEFT + x, TOP + y)
        wrong = []

        # Time marker: the only white pixel under the ruler, a black line on its left, down to y = 209.
        if whites != [expected_x]:
            wrong.append(f'marker: white at x {whites} on y 25, expected only {expected_x}')
        for y in (25, 120, 209):
            if px(expected_x, y) != ex.WHITE:
                wrong.append(f'marker: ({expected_x}, {y}) is {px(expected_x, y)}, not white')
        if px(expected_x - 1, 25) != ex.BLACK:
            wrong.append(f'marker: ({expected_x - 1}, 25) is {px(expected_x - 1, 25)}, not black')
        if px(expected_x, 212) == ex.WHITE:
            wrong.append('marker: runs below y 209')

        # Hour labels: yellow exactly for the current hour, and "24" together with "23".
        yellow_expected = {hour} if 1 <= hour <= 23 else set()
        if hour == 23:
            yellow_expected.add(24)
        yellow_seen = set()
        for n in range(1, 25):
            x, y, w, h = ex.ruler_label_box(n)
            colours = shot.crop_colours(LEFT + x, TOP + y, w, h)
            if ex.YELLOW in colours:
                yellow_seen.add(n)
            elif ex.WHITE not in colours:
                wrong.append(f'ruler: label {n} is neither white nor yellow')
        if yellow_seen != yellow_expected:
            wrong.append(f'ruler: yellow labels {sorted(yellow_seen)}, expected {sorted(yellow_expected)}')

        # Session bars: the middle of every run of one expected colour on each row (grey when closed).
        offset = ex.utc_offset_hours(zone, start)
        rows = ex.row_pixels(offset, now_minute, active_only=active_only)
        for row, line in rows.items():
            y = ex.bar_sample_y(row)
            x = 2
            while x < 477:
                end = x
                while end + 1 < 477 and line[end + 1] == line[x]:
                    end += 1
                want = line[x]
                # The middle of the run, or beside it when the marker covers the middle.
                samples = [m for m in ((x + end) // 2, (x + end) // 2 - 4, (x + end) // 2 + 4)
                           if x <= m <= end and abs(m - expected_x) > 1]
                if samples:
                    mid = samples[0]
                    got = px(mid, y)
                    if want is None and got != ex.BLACK:
                        wrong.append(f'row {row}: ({mid}, {y}) is {got}, expected black (no bar)')
                    elif want == ex.HIGHLIGHT and got in (ex.GREY, ex.BLACK, ex.WHITE):
                        wrong.append(f'row {row}: ({mid}, {y}) is {got}, expected the highlight colour')
                    elif want not in (None, ex.HIGHLIGHT) and got != want:
                        wrong.append(f'row {row}: ({mid}, {y}) is {got}, expected {want}')
                x = end + 1

        # The window's shape: the left corners are cut and show the root; the right ones are square.
        for x, y in ((0, 0), (1, 1), (0, 289), (1, 288)):
            if px(x, y) != ROOT:
                wrong.append(f'corner: ({x}, {y}) is {px(x, y)}, expected the root colour')
        for x, y, want in ((12, 1, ex.NAVY), (12, 207, ex.BLACK)):
            if px(x, y) != want:
                wrong.append(f'body: ({x}, {y}) is {px(x, y)}, expected {want}')
        if px(509, 0) == ROOT or px(509, 289) == ROOT:
            wrong.append('corner: a right corner is cut')

        if wrong:
            self.fail(f'{len(wrong)} wrong pixels:\n' + '\n'.join(wrong))
        self.assertEqual(prog.message_boxes(), [])
        self.assertEqual(prog.terminate(timeout=60), 0)


if __name__ == '__main__':
    unittest.main()
