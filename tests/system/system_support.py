"""What the system tests share: arguments, window layout, the harness and a runner with a closing count."""

import os
import sys
import unittest

sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "tools"))

import x11_harness as xh  # noqa: E402,F401

# Set by run() from the command line.
PROGRAM = None
SAMPLE_TOOL = None

SEARCH_PREFIX = "http://127.0.0.1:18080/weibo/"
FULL_LIST_URL = "https://127.0.0.1:18080/top/summary?cate=realtimehot"

# Window coordinates of the rows: keyword label (208 x 32) and badge box (14 x 14) tops.
LABEL_TOPS = (47, 83, 120, 156, 192, 229, 264, 298, 336, 372, 409)
BADGE_TOPS = (57, 91, 129, 165, 201, 237, 272, 309, 344, 381, 418)
LABEL_LEFT, LABEL_WIDTH, LABEL_HEIGHT = 35, 208, 32
BADGE_LEFT, BADGE_SIZE = 251, 14
BADGE_COLOURS = {"新": (255, 56, 82), "沸": (248, 100, 0), "热": (255, 148, 6), "荐": (0, 183, 238)}

GEAR = (235, 23)
CLOSE_BUTTON = (259, 23)
FULL_LIST_LINK = (40, 462)
INTERVAL_EDIT = (48, 502)
AUTO_REFRESH_BOX = (124, 503)


def label_rect(row):
    return (LABEL_LEFT, LABEL_TOPS[row - 1], LABEL_WIDTH, LABEL_HEIGHT)


def badge_rect(row):
    return (BADGE_LEFT, BADGE_TOPS[row - 1], BADGE_SIZE, BADGE_SIZE)


def text_pixels(image):
    """Pixels bright enough to be label text on the dark panel."""
    return image.count(lambda p: min(p) > 100)


def badge_colours_in(image):
    return {tag for tag, colour in BADGE_COLOURS.items()
            if image.count(lambda p, c=colour: xh.near_colour(p, c, 4)) > 0}


def sample_page():
    return xh.sample_page(SAMPLE_TOOL)


def run(argv):
    global PROGRAM, SAMPLE_TOOL
    if len(argv) < 3:
        print("usage: %s PROGRAM SAMPLE_PAGE_TOOL [unittest names...]" % os.path.basename(argv[0]), file=sys.stderr)
        return 2
    PROGRAM, SAMPLE_TOOL = os.path.abspath(argv[1]), os.path.abspath(argv[2])
    main = sys.modules["__main__"]
    loader = unittest.defaultTestLoader
    suite = loader.loadTestsFromNames(argv[3:], main) if len(argv) > 3 else loader.loadTestsFromModule(main)
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    failed = len(result.failures) + len(result.errors) + len(result.unexpectedSuccesses)
    passed = result.testsRun - failed - len(result.skipped)
    print("%d passed, %d failed" % (passed, failed))
    return 0 if failed == 0 else 1
