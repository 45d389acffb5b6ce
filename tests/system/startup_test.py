#!/usr/bin/env python3
"""Start-up, tray and closing of the real program under Xvfb with trayer as the tray host."""

import contextlib
import sys
import time
import unittest

import system_support as ss
from system_support import xh


class StartedWidget(unittest.TestCase):
    """One run against the loopback server; the checks only look at it."""

    @classmethod
    def setUpClass(cls):
        cls.page = ss.sample_page()
        cls.rows = xh.displayed_rows(cls.page)
        cls.stack = contextlib.ExitStack()
        try:
            cls.display = cls.stack.enter_context(xh.Display(tray=True))
            cls.server = cls.stack.enter_context(xh.PageServer(cls.page))
            cls.program = cls.stack.enter_context(xh.Program(cls.display, ss.PROGRAM))
            cls.window = cls.program.find_window()
            cls.requests_when_shown = len(cls.server.summary_requests())
            cls.display.move_pointer(100, 900)
            time.sleep(1)
            cls.image = cls.program.window_image()
        except BaseException:
            cls.stack.close()
            raise

    @classmethod
    def tearDownClass(cls):
        cls.stack.close()

    def test_opens_centred_at_280_by_480(self):
        self.assertEqual(self.program.geometry(), (820, 300, 280, 480))

    def test_has_no_taskbar_button(self):
        self.assertIn("_NET_WM_STATE_SKIP_TASKBAR", self.display.xprop(self.window))

    def test_first_refresh_comes_before_the_window(self):
        self.assertGreaterEqual(self.requests_when_shown, 1)

    def test_rows_show_the_served_keywords(self):
        self.assertGreaterEqual(len(self.rows), 11, "the sample page must hold 11 rows")
        for row in range(1, 12):
            with self.subTest(row=row, keyword=self.rows[row - 1][0]):
                if self.rows[row - 1][0].strip():
                    self.assertGreater(ss.text_pixels(self.image.crop(*ss.label_rect(row))), 0)

    def test_badges_match_the_tags(self):
        tagged = [tag for _, tag in self.rows[:11] if tag in ss.BADGE_COLOURS]
        self.assertTrue(tagged, "the sample page must tag some of its first 11 rows")
        for row in range(1, 12):
            tag = self.rows[row - 1][1]
            with self.subTest(row=row, tag=tag):
                shown = ss.badge_colours_in(self.image.crop(*ss.badge_rect(row)))
                expected = {tag} if tag in ss.BADGE_COLOURS else set()
                self.assertEqual(shown, expected)

    def test_tray_icon_is_embedded(self):
        self.assertIsNotNone(xh.wait_until(self.program.tray_icon, 5, 0.1))


class ClosingPaths(unittest.TestCase):
    """Each path ends a fresh run; the exit status is 0."""

    def setUp(self):
        self.stack = contextlib.ExitStack()
        self.addCleanup(self.stack.close)
        self.display = self.stack.enter_context(xh.Display(tray=True))
        self.stack.enter_context(xh.PageServer(ss.sample_page()))
        self.program = self.stack.enter_context(xh.Program(self.display, ss.PROGRAM))
        self.window = self.program.find_window()

    def assertEndsCleanly(self):
        status = self.program.wait_exit(10)
        self.assertIsNotNone(status, "the program still runs 10 s later")
        self.assertEqual(status, 0, self.program.output()[-3000:])

    def test_tray_menu_quit(self):
        icon = xh.wait_until(self.program.tray_icon, 5, 0.1)
        self.assertIsNotNone(icon, "no tray icon")
        left, top, width, height = self.display.geometry(icon)
        known = set(self.display.search(["--pid", str(self.program.process.pid)]))
        self.display.click(left + width // 2, top + height // 2, button=3)

        def popup():
            for window in self.display.search(["--onlyvisible", "--pid", str(self.program.process.pid)]):
                if window not in known and window != self.window:
                    return window
            return None

        menu = xh.wait_until(popup, 5, 0.1)
        self.assertIsNotNone(menu, "no menu after a right-click on the tray icon")
        # Two items, "关于" then "退出": the lower quarter of the menu is "退出".
        left, top, width, height = self.display.geometry(menu)
        self.display.click(left + width // 2, top + height * 3 // 4)
        self.assertEndsCleanly()

    def test_escape(self):
        self.program.move_pointer(140, 20)
        self.display.focus(self.window)
        self.display.key("Escape")
        self.assertEndsCleanly()

    def test_close_button(self):
        self.program.click(*ss.CLOSE_BUTTON)
        self.assertEndsCleanly()


class UnreachableServer(unittest.TestCase):
    def test_window_opens_with_blank_rows(self):
        with xh.Display(tray=True) as display, xh.Program(display, ss.PROGRAM) as program:
            program.find_window()
            display.move_pointer(100, 900)
            time.sleep(1)
            self.assertEqual(program.geometry(), (820, 300, 280, 480))
            image = program.window_image()
            for row in range(1, 12):
                with self.subTest(row=row):
                    self.assertEqual(ss.text_pixels(image.crop(*ss.label_rect(row))), 0)
                    self.assertEqual(ss.badge_colours_in(image.crop(*ss.badge_rect(row))), set())


if __name__ == "__main__":
    sys.exit(ss.run(sys.argv))
