#!/usr/bin/env python3
"""Settings strip, automatic refresh, links and edge docking of the real program under Xvfb."""

import contextlib
import os
import stat
import sys
import tempfile
import time
import unittest

import system_support as ss
from system_support import xh

# Stands in for the desktop's URL opener: records its argument count and arguments, one per line.
FAKE_OPENER = """#!/bin/sh
printf '%s\\n' "$#" "$@" > "{record}.tmp" && mv "{record}.tmp" "{record}"
"""


class Widget(unittest.TestCase):
    """A fresh run against the loopback server, with a fake xdg-open first in PATH."""

    def setUp(self):
        self.stack = contextlib.ExitStack()
        self.addCleanup(self.stack.close)
        folder = self.stack.enter_context(tempfile.TemporaryDirectory(prefix="quillmast-opener-"))
        self.record = os.path.join(folder, "argv")
        opener = os.path.join(folder, "xdg-open")
        with open(opener, "w") as f:
            f.write(FAKE_OPENER.format(record=self.record))
        os.chmod(opener, stat.S_IRWXU)
        self.page = ss.sample_page()
        self.rows = xh.displayed_rows(self.page)
        self.display = self.stack.enter_context(xh.Display(tray=True))
        self.server = self.stack.enter_context(xh.PageServer(self.page))
        self.program = self.stack.enter_context(xh.Program(self.display, ss.PROGRAM, extra_path=folder))
        self.window = self.program.find_window()

    def height(self):
        return self.program.geometry()[3]

    def opened(self, timeout=5):
        """The arguments the fake opener received, or None when it did not run."""

        def read():
            with contextlib.suppress(FileNotFoundError):
                with open(self.record, encoding="utf-8") as f:
                    lines = f.read().split("\n")[:-1]
                os.remove(self.record)
                return lines
            return None

        lines = xh.wait_until(read, timeout, 0.05)
        if lines is None:
            return None
        self.assertEqual(int(lines[0]), len(lines) - 1, "argument count")
        return lines[1:]


class SettingsStrip(Widget):
    def test_gear_opens_and_closes_the_strip(self):
        for expected in (526, 480, 526):
            self.program.click(*ss.GEAR)
            self.assertEqual(xh.wait_until(lambda e=expected: self.height() == e, 3), True,
                             "height %d, expected %d" % (self.height(), expected))
        self.assertEqual(self.program.geometry()[:2], (820, 300), "the strip opens downward")

    def test_auto_refresh_every_second_until_unchecked(self):
        self.program.click(*ss.GEAR)
        self.assertTrue(xh.wait_until(lambda: self.height() == 526, 3))
        self.program.click(*ss.INTERVAL_EDIT)
        self.display.focus(self.window)
        self.display.key("ctrl+a")
        self.display.type_text("1")
        time.sleep(0.3)
        before = len(self.server.summary_requests())
        checked_at = time.time()
        self.program.click(*ss.AUTO_REFRESH_BOX)
        self.assertTrue(xh.wait_until(lambda: len(self.server.summary_requests()) > before, 4),
                        "no request within 4 s of checking the box")
        first = self.server.summary_requests()[before][0]
        self.assertGreater(first - checked_at, 0.5, "the first automatic refresh comes one period later")
        self.assertLess(first - checked_at, 2.5)
        time.sleep(2.2)
        self.assertGreaterEqual(len(self.server.summary_requests()) - before, 3)

        self.program.click(*ss.AUTO_REFRESH_BOX)
        time.sleep(1.2)
        stopped = len(self.server.summary_requests())
        time.sleep(2.5)
        self.assertEqual(len(self.server.summary_requests()), stopped, "requests went on after unchecking")


class Links(Widget):
    def test_keyword_press_opens_its_search_page(self):
        for row in (1, 3, 4, 6, 11):
            keyword = self.rows[row - 1][0]
            with self.subTest(row=row, keyword=keyword):
                left, top, _, height = ss.label_rect(row)
                self.program.click(left + 30, top + height // 2)
                self.assertEqual(self.opened(), [ss.SEARCH_PREFIX + keyword])

    def test_full_list_link_opens_the_https_address(self):
        self.program.click(*ss.FULL_LIST_LINK)
        self.assertEqual(self.opened(), [ss.FULL_LIST_URL])

    def test_keyword_press_does_not_move_the_window(self):
        left, top, _, height = ss.label_rect(3)
        self.program.click(left + 30, top + height // 2)
        self.assertIsNotNone(self.opened())
        self.assertEqual(self.program.geometry()[:2], (820, 300))


# Per edge: where the window is moved, a pointer over it, one away, one in the hidden strip, which
# coordinate docks (0 left, 1 top) and its shown and hidden values (W = 280, H = 480, 1920 x 1080).
EDGES = (
    ("top", (820, 0), (900, 100), (900, 700), (900, 5), 1, 0, -478),
    ("left", (0, 300), (100, 400), (900, 700), (5, 400), 0, 0, -278),
    ("right", (1640, 300), (1700, 400), (900, 700), (1915, 400), 0, 1640, 1918),
    ("bottom", (820, 580), (900, 700), (900, 300), (900, 1075), 1, 570, 1078),
)


class EdgeDocking(Widget):
    def test_edges_hold_hide_and_reveal(self):
        for name, place, over, away, strip, axis, shown, hidden in EDGES:
            with self.subTest(edge=name):
                self.display.move_pointer(*over)
                self.display.move_window(self.window, *place)

                def position():
                    return self.program.geometry()[axis]

                self.assertTrue(xh.wait_until(lambda: position() == shown, 2), "not docked: %d" % position())
                time.sleep(0.3)
                self.assertEqual(position(), shown, "stays while the pointer is over it")
                self.display.move_pointer(*away)
                self.assertTrue(xh.wait_until(lambda: position() == hidden, 2), "not hidden: %d" % position())
                self.display.move_pointer(*strip)
                self.assertTrue(xh.wait_until(lambda: position() == shown, 2), "not revealed: %d" % position())
                # Back to the middle; a free window stays where it is put.
                self.display.move_pointer(100, 900)
                self.display.move_window(self.window, 820, 300)
                self.assertTrue(xh.wait_until(lambda: self.program.geometry()[:2] == (820, 300), 2))


if __name__ == "__main__":
    sys.exit(ss.run(sys.argv))
