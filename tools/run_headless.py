#!/usr/bin/env python3
"""Runs the loopback copy of the widget under Xvfb against a local sample page.

Default: saves a PNG of the window after the first refresh and prints its path.
--measure: prints the time from start to the window shown, the resident memory after the first
refresh and the CPU time used over an idle period instead.
"""

import argparse
import os
import sys
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import x11_harness as xh  # noqa: E402

# Keyword label of row 1 (window coordinates): text shows there once the rows have arrived.
_FIRST_LABEL = (35, 47, 208, 32)


def _has_text(image):
    return image.count(lambda p: min(p) > 100) > 0


def _wait_for_rows(program, timeout=5):
    def painted():
        return _has_text(program.window_image().crop(*_FIRST_LABEL))

    return xh.wait_until(painted, timeout, 0.1)


def screenshot(args):
    page = xh.sample_page(args.sample_tool)
    output = os.path.abspath(args.output or os.path.join(os.path.dirname(os.path.abspath(args.program)),
                                                         "quillmast-screenshot.png"))
    with xh.Display(tray=True) as display, xh.PageServer(page), xh.Program(display, args.program) as program:
        program.find_window()
        # Park the pointer away from the window, so no edge docking interferes.
        display.move_pointer(100, 900)
        if not _wait_for_rows(program):
            print("warning: the window shows no rows", file=sys.stderr)
        program.window_image().save_png(output)
    print(output)
    return 0


def measure(args):
    page = xh.sample_page(args.sample_tool)
    ticks_per_second = os.sysconf("SC_CLK_TCK")
    with xh.Display(tray=True) as display, xh.PageServer(page) as server, \
            xh.Program(display, args.program) as program:
        program.find_window()
        shown_after = time.monotonic() - program.started_at
        display.move_pointer(100, 900)
        requests = len(server.summary_requests())
        _wait_for_rows(program)
        time.sleep(1)
        rss = program.status_value("VmRSS")
        ticks_before = program.cpu_ticks()
        wall_before = time.monotonic()
        time.sleep(args.idle)
        cpu = (program.cpu_ticks() - ticks_before) / ticks_per_second
        wall = time.monotonic() - wall_before
    print("start to window shown: %.0f ms (first refresh included; %d request(s) served)"
          % (shown_after * 1000, requests))
    print("resident memory after the first refresh: %s" % rss)
    print("CPU over %.0f idle seconds: %.2f s (%.2f %%)" % (wall, cpu, 100 * cpu / wall))
    return 0


def main():
    parser = argparse.ArgumentParser(description=__doc__, formatter_class=argparse.RawDescriptionHelpFormatter)
    parser.add_argument("program", help="path of quillmast-loopback")
    parser.add_argument("sample_tool", help="path of make-sample-page")
    parser.add_argument("--output", help="PNG to write (default: next to the program)")
    parser.add_argument("--measure", action="store_true", help="measure start time, memory and idle CPU")
    parser.add_argument("--idle", type=float, default=60, help="idle seconds for --measure (default 60)")
    args = parser.parse_args()
    try:
        return measure(args) if args.measure else screenshot(args)
    except (xh.HarnessError, OSError) as error:
        print("run_headless: %s" % error, file=sys.stderr)
        return 1


if __name__ == "__main__":
    sys.exit(main())
