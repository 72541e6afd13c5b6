#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The documents against the program: the README, both man pages and the
manual in English and Chinese may name only the sound outputs, the order they
are tried in and the TANGREL_* variables that the sources have, and leave none
of them out where they list them.

What the program has is read from its own sources: the sound outputs from the
built-in synthesizer's table of outputs, the variables from the names the
sources read from the environment, and from what `tangrel --help` names.

Usage: check_documents.py SOURCE-DIR [PATH-TO-TANGREL]
"""
import glob
import html
import os
import re
import subprocess
import sys
import unittest

SOURCE = sys.argv.pop(1) if len(sys.argv) > 1 else "."
APP = sys.argv.pop(1) if len(sys.argv) > 1 else None

PROGRAM_FOLDERS = ("model", "devices", "recording", "files", "session", "ui", "tools")
# Where the developers' own switches are read: the tests, the benchmarks.
DEVELOPER_FOLDERS = ("tests", "bench")

# Sound systems that FluidSynth can drive: a word of these in a document is a
# sound output named, which the program must have.
SOUND_SYSTEMS = ("alsa", "coreaudio", "dart", "dsound", "file", "jack", "kai", "oboe",
                 "opensles", "oss", "pipewire", "portaudio", "pulseaudio", "sdl2", "sdl3",
                 "sndman", "wasapi", "waveout")
# Words that join the items of a list, in English and Chinese.
JOINS = r"(?:\s*(?:,|;|、|，|\bor\b|\band\b|\bthen\b|或|和|然后)\s*)+"


def read(path):
    with open(path, encoding="utf-8") as f:
        return f.read()


def sources(folders):
    for folder in folders:
        for path in glob.glob(os.path.join(SOURCE, folder, "**", "*"), recursive=True):
            if path.endswith((".cpp", ".h", ".c")):
                yield path


def variables_read(folders):
    """The names the sources ask the environment for: every string literal that
    is a TANGREL_ name and nothing more."""
    names = set()
    for path in sources(folders):
        names.update(re.findall(r'"(TANGREL_[A-Z0-9_]+)"', read(path)))
    return names


def sound_outputs():
    """The built-in synthesizer's outputs in their table's order, and those it
    tries in turn when no output is named."""
    table = read(os.path.join(SOURCE, "devices", "BuiltInSynthDevice.cpp"))
    rows = re.findall(r'\{"(\w+)",\s*&\w+,\s*\{[^}]*\},\s*(true|false)', table)
    return [name for name, _ in rows], [name for name, tried in rows if tried == "true"]


def plain(path):
    """The words a reader sees: markup, roff requests and escapes taken away."""
    text = read(path)
    if path.endswith(".htm"):
        text = re.sub(r"</(p|tr|li|h\d|pre)>", "\n\n", text)
        text = html.unescape(re.sub(r"<[^>]+>", "", text))
    elif re.search(r"\.\d$", path):
        text = re.sub(r"^\.\\\".*$", "", text, flags=re.M)  # comments
        text = re.sub(r"^\.(TP|PP|SH|SS|LP|P)\b.*$", "\n", text, flags=re.M)
        text = re.sub(r"^\.[A-Z]+ ?", "", text, flags=re.M)
        text = re.sub(r"\\\(\w\w|\\f[BIRP]|\\&", "", text).replace("\\-", "-").replace('"', "")
    else:
        text = re.sub(r"^(\|.*)$", "\n\\1\n", text, flags=re.M)  # a table row is a paragraph
        text = text.replace("`", "").replace("*", "")
    return text


def paragraphs(text):
    return [p for p in re.split(r"\n\s*\n", text) if p.strip()]


def documents():
    found = [os.path.join(SOURCE, "README.md"), os.path.join(SOURCE, "man", "tangrel.1"),
             os.path.join(SOURCE, "man", "tangrel-tool.1")]
    found += sorted(glob.glob(os.path.join(SOURCE, "resources", "help", "*.htm")))
    found += sorted(glob.glob(os.path.join(SOURCE, "resources", "help", "zh_CN", "*.htm")))
    return {os.path.relpath(path, SOURCE): plain(path) for path in found}


def named_variables(text):
    return set(re.findall(r"TANGREL_[A-Z0-9_]*[A-Z0-9]", text))


def output_lists(text):
    """Every run of three or more sound systems joined as a list, lower case."""
    word = r"\b(?:%s)\b" % "|".join(SOUND_SYSTEMS)
    runs = re.finditer(r"%s(?:%s%s)+" % (word, JOINS, word), text, flags=re.I)
    lists = [re.findall(word, run.group(0), flags=re.I) for run in runs]
    return [[w.lower() for w in items] for items in lists if len(items) >= 3]


class Documents(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        cls.docs = documents()
        cls.program = variables_read(PROGRAM_FOLDERS)
        cls.known = cls.program | variables_read(DEVELOPER_FOLDERS)
        cls.outputs, cls.tried = sound_outputs()

    def test_the_sources_are_read(self):
        self.assertIn("TANGREL_AUDIO_DRIVER", self.program)
        self.assertGreaterEqual(len(self.tried), 2, self.outputs)
        self.assertGreater(len(self.docs), 20)

    def test_only_variables_the_program_reads_are_named(self):
        for name, text in self.docs.items():
            # The README speaks to developers too: it may name the tests' own.
            allowed = self.known if name == "README.md" else self.program
            with self.subTest(name):
                self.assertEqual(named_variables(text) - allowed, set())

    def test_every_variable_is_in_the_readme_and_the_man_page(self):
        listed = set(self.program)
        if APP:
            helped = subprocess.run([APP, "--help"], capture_output=True, text=True, timeout=30)
            listed |= named_variables(helped.stdout)
        for name in ("README.md", os.path.join("man", "tangrel.1")):
            with self.subTest(name):
                self.assertEqual(listed - named_variables(self.docs[name]), set())

    def test_both_languages_name_the_same_variables(self):
        for name, text in self.docs.items():
            if name.startswith(os.path.join("resources", "help", "zh_CN")):
                english = name.replace(os.sep + "zh_CN", "")
                with self.subTest(name):
                    self.assertEqual(named_variables(text), named_variables(self.docs[english]))

    def test_only_outputs_the_program_has_are_named(self):
        foreign = [s for s in SOUND_SYSTEMS if s not in self.outputs]
        for name, text in self.docs.items():
            said = {w.lower() for w in re.findall(r"\b(?:%s)\b" % "|".join(foreign), text, re.I)}
            with self.subTest(name):
                self.assertEqual(said, set(), "outputs the program does not have")

    def test_lists_of_outputs_are_whole_and_in_the_programs_order(self):
        # Where the documents tell how to choose an output; elsewhere a list of
        # sound systems may be of libraries or servers.
        for name, text in self.docs.items():
            lists = [items for p in paragraphs(text) if "TANGREL_AUDIO_DRIVER" in p
                     for items in output_lists(p)]
            with self.subTest(name):
                for items in lists:
                    if set(items) != set(self.outputs):
                        self.assertEqual(items, self.tried, "%s is neither every output (%s) nor "
                                         "the order they are tried in" % (items, self.outputs))
                if "TANGREL_AUDIO_DRIVER" in text:
                    self.assertIn(self.tried, lists, "no order of the outputs tried")
                    self.assertTrue(any(set(items) == set(self.outputs) for items in lists),
                                    "no list of every output")


if __name__ == "__main__":
    unittest.main()
