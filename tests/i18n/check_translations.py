#!/usr/bin/env python3
# SPDX-License-Identifier: GPL-3.0-or-later
"""The translation files against the sources: lupdate run over the sources
finds no text that translations/*.ts miss, every text has its Chinese
translation, every Chinese text its English one, and a translation keeps the
source's "%s" and its shortcut after the tab.

usage: check_translations.py LUPDATE SOURCE_DIR FOLDER...
"""
import os
import shutil
import subprocess
import sys
import tempfile
import xml.etree.ElementTree as ET


def messages(path):
    """source -> (translation, finished) for every message of the file."""
    found = {}
    for message in ET.parse(path).iter('message'):
        translation = message.find('translation')
        finished = translation.get('type') not in ('unfinished', 'vanished', 'obsolete')
        found[message.find('source').text] = (translation.text or '', finished)
    return found


def is_ascii(text):
    return all(ord(c) < 128 for c in text)


def main():
    lupdate, source_dir, folders = sys.argv[1], sys.argv[2], sys.argv[3:]
    names = ['tangrel_en.ts', 'tangrel_zh_CN.ts']
    problems = []
    with tempfile.TemporaryDirectory() as scratch:
        fresh = [os.path.join(scratch, name) for name in names]
        for name, copy in zip(names, fresh):
            shutil.copy(os.path.join(source_dir, 'translations', name), copy)
        subprocess.run([lupdate, '-silent', '-locations', 'none', '-no-obsolete', *folders,
                        '-ts', *fresh], cwd=source_dir, check=True)
        for name, copy in zip(names, fresh):
            kept = messages(os.path.join(source_dir, 'translations', name))
            for text in messages(copy).keys() - kept.keys():
                problems.append(f'{name} misses {text!r} (build the tangrel_lupdate target)')
            for text in kept.keys() - messages(copy).keys():
                problems.append(f'{name} holds {text!r}, which no source shows')
    chinese = messages(os.path.join(source_dir, 'translations', 'tangrel_zh_CN.ts'))
    english = messages(os.path.join(source_dir, 'translations', 'tangrel_en.ts'))
    for text, (translation, finished) in chinese.items():
        if not translation or not finished:
            problems.append(f'no Chinese for {text!r}')
        elif translation.count('%s') != text.count('%s') or \
                translation.partition('\t')[2] != text.partition('\t')[2]:
            problems.append(f'{translation!r} does not keep the "%s" or shortcut of {text!r}')
    for text, (translation, finished) in english.items():
        if not is_ascii(text) and (not translation or not finished or not is_ascii(translation)):
            problems.append(f'no English for {text!r}')
    for problem in problems:
        print(problem)
    print(f'{len(chinese)} texts, {len(problems)} problems')
    return 1 if problems else 0


if __name__ == '__main__':
    sys.exit(main())
