"""Clients that misbehave: titles of any bytes, process ids that lie, a window whose size
never settles, a client that stops answering. The log stays one line per diagnostic and the
program keeps moving windows."""

import os
import signal
import subprocess
import unittest

from desktop import wait_until
from faultdesk import DRAG, FaultTest

TITLES = {
    "control characters and invalid UTF-8": b"Evil\nline\r\x1b[31mred\x07\xff\xfe\xc3(\xe2\x82 end",
    "a megabyte": b"A" * (1024 * 1024 - 3) + "\u20ac".encode(),
}


class HostileWindows(FaultTest):
    def drag_hostile(self, program, case, name, *options):
        """Drags a new hostile window `name` (with `options`) by an exact delta. Each case has
        its own place, and its client lives on: a new client could be given the window id of
        one just gone."""
        geometry = f"250x150+{650 + 40 * case}+{250 + 30 * case}"
        process, window = self.hostile_window(name, *options, geometry=geometry)
        self.desktop.hold_over(program, window, DRAG)
        self.drag_by(window, 30, 20)
        self.release(*DRAG)

    def test_titles_of_any_bytes_stay_inside_one_log_line(self):
        program = self.launch()
        for case, (name, title) in enumerate(TITLES.items()):
            with self.subTest(name):
                path = os.path.join(self.desktop.home, f"title{case}")
                with open(path, "wb") as f:
                    f.write(title)
                self.drag_hostile(program, case, f"titled{case}", "--title-file", path)
        self.assert_one_line_per_diagnostic(program)
        self.assertEqual(program.count('Selected window: "Evil\\nline\\r\\x1b[31mred\\x07\\xff\\xfe'
                                       '\\xc3(\\xe2\\x82 end" from Hostile'), 1)

    def test_process_ids_that_lie_do_not_confuse_the_program(self):
        program = self.launch()
        other, _ = self.xclock("other", "100x100+900+500")
        gone = subprocess.Popen(["true"])
        gone.wait()
        claims = {"another process": other.pid, "none": 0, "a negative one": -5,
                  "this program": program.process.pid, "a process that has exited": gone.pid}
        for case, (name, pid) in enumerate(claims.items()):
            with self.subTest(name):
                self.drag_hostile(program, case, f"liar{case}", "--pid", str(pid))
        self.assert_one_line_per_diagnostic(program)

    def test_clients_whose_size_never_settles_or_that_stopped_do_not_stall_the_program(self):
        program = self.launch()
        process, window = self.hostile_window("restless", "--jitter")
        self.desktop.hold_over(program, window, DRAG)
        # The size changes all the time; the position is what the drag sets.
        for dx, dy in ((30, 20), (-10, 25)):
            x, y, _, _ = self.desktop.geometry(window)
            self.desktop.move_pointer_by(dx, dy)
            wait_until(lambda: self.desktop.geometry(window)[:2] == (x + dx, y + dy),
                       f"position {(x + dx, y + dy)}")
        self.release(*DRAG)
        self.assertIsNone(process.poll())

        stopped, window = self.xclock("stopped", "200x200+1050+550")
        os.kill(stopped.pid, signal.SIGSTOP)
        self.addCleanup(os.kill, stopped.pid, signal.SIGCONT)
        self.desktop.hold_over(program, window, DRAG)
        self.drag_by(window, 25, 15)
        self.release(*DRAG)
        self.assert_still_drags(program)


if __name__ == "__main__":
    unittest.main()
