#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The window as a screen reader reads it: Tangrel under Xvfb, its accessibility
tree read with pyatspi on a private D-Bus session (run under dbus-run-session),
keys typed with xdotool and the layout changed with setxkbmap.

Usage: dbus-run-session -- python3 test_accessibility_under_x.py PATH-TO-TANGREL
"""
import os
import subprocess
import sys
import tempfile
import time
import unittest

APP = sys.argv.pop(1) if len(sys.argv) > 1 else "tangrel"


def wait_for(ready, seconds):
    deadline = time.monotonic() + seconds
    while time.monotonic() < deadline:
        value = ready()
        if value:
            return value
        time.sleep(0.1)
    return None


# Newer AT-SPI (Debian 13's) names the push button's role "button"; the tests
# speak of it by its older name.
ROLE_NAMES = {"button": "push button"}


class WindowUnderX(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.dir = tempfile.TemporaryDirectory(prefix="tangrel-a11y")
        cls.addClassCleanup(cls.dir.cleanup)
        read, write = os.pipe()
        cls.xvfb = subprocess.Popen(
            ["Xvfb", "-displayfd", str(write), "-noreset", "-screen", "0", "1280x800x24", "-nolisten", "tcp"],
            pass_fds=(write,), stderr=subprocess.DEVNULL)
        cls.addClassCleanup(cls.stop, cls.xvfb)
        os.close(write)
        with os.fdopen(read) as numbers:
            cls.display = ":" + numbers.readline().strip()
        cls.bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                                   stderr=subprocess.DEVNULL)
        cls.addClassCleanup(cls.stop, cls.bus)
        time.sleep(0.5)
        env = dict(os.environ, DISPLAY=cls.display, QT_QPA_PLATFORM="xcb",
                   QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", XDG_RUNTIME_DIR=cls.dir.name,
                   TANGREL_SPLASH_MS="0", TANGREL_AUDIO_DRIVER="file",
                   TANGREL_AUDIO_FILE=os.path.join(cls.dir.name, "played.wav"))
        cls.app = subprocess.Popen([APP], env=env, stderr=subprocess.DEVNULL)
        cls.addClassCleanup(cls.stop, cls.app)
        import pyatspi  # after the bus is up: it connects on import
        cls.pyatspi = pyatspi
        cls.window = wait_for(cls.find_window, 30)
        assert cls.window, "no Tangrel window in the accessibility tree"
        window = cls.xdo("search --onlyvisible --name 'Tangrel - '").split("\n")[0]
        cls.xdo("windowfocus --sync " + window)

    @staticmethod
    def stop(process):
        process.terminate()
        try:
            process.wait(10)
        except subprocess.TimeoutExpired:
            process.kill()
            process.wait()

    @classmethod
    def xdo(cls, args):
        return subprocess.run("xdotool " + args, shell=True, capture_output=True, text=True,
                              env=dict(os.environ, DISPLAY=cls.display)).stdout.strip()

    @classmethod
    def find_window(cls):
        desktop = cls.pyatspi.Registry.getDesktop(0)
        for app in desktop:
            if app is None or app.name != "tangrel":
                continue
            for frame in app:
                if frame is not None and frame.name.startswith("Tangrel - "):
                    return frame
        return None

    def nodes(self):
        """Every node under the window: (role, name, value or None, pressed)."""
        found = []
        stack = [self.window]
        while stack:
            node = stack.pop()
            node.clearCache()
            value = node.queryValue().currentValue if "Value" in node.get_interfaces() else None
            pressed = node.getState().contains(self.pyatspi.STATE_PRESSED)
            found.append((ROLE_NAMES.get(node.getRoleName(), node.getRoleName()), node.name,
                          value, pressed))
            stack.extend(child for child in node if child is not None)
        return found

    def named(self, role, prefix):
        return [n for n in self.nodes() if n[0] == role and n[1].startswith(prefix)]

    def test_keys_bars_and_painted_texts_can_be_read(self):
        keys = self.named("push button", "Key ")
        self.assertEqual(len(keys), 45)
        self.assertIn(("push button", "Key A, degree 1, C4", None, False), keys)
        self.assertEqual(self.named("slider", "Force")[0][2], 127)
        self.assertEqual(self.named("slider", "Freq")[0][2], 0)
        texts = [n[1] for n in self.nodes() if n[0] in ("label", "static", "image")]
        for shown in ("Open", "Track 1", "Acoustic Grand Piano"):
            self.assertIn(shown, texts)
        self.assertTrue(any(t.endswith("1=C") for t in texts), texts)

        # A held key is pressed; Down steps the Force and plays nothing.
        self.xdo("keydown a")
        held = wait_for(lambda: self.named("push button", "Key A,")[0][3], 5)
        self.xdo("keyup a key Down key Next")
        self.assertTrue(held)
        self.assertTrue(wait_for(lambda: self.named("slider", "Force")[0][2] == 118, 5))
        self.assertFalse(self.named("push button", "Key A,")[0][3])

    def test_caps_follow_a_layout_change(self):
        try:
            subprocess.run(["setxkbmap", "-display", self.display, "fr"], check=True)
            # The key that sounds middle C is where QWERTY has A: French calls it Q.
            self.assertTrue(wait_for(lambda: self.named("push button", "Key Q, degree 1, C4"), 10),
                            self.named("push button", "Key "))
            # German's dead acute shows its accent, and its sharp s stays small.
            subprocess.run(["setxkbmap", "-display", self.display, "de"], check=True)
            self.assertTrue(wait_for(lambda: self.named("push button", "Key \u00df, ")
                                     and self.named("push button", "Key \u00b4, "), 10),
                            self.named("push button", "Key "))
        finally:
            subprocess.run(["setxkbmap", "-display", self.display, "us"], check=True)
        self.assertTrue(wait_for(lambda: self.named("push button", "Key A, degree 1, C4"), 10))


if __name__ == "__main__":
    unittest.main()
