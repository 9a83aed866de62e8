#!/usr/bin/env python3
"""A power cut anywhere in a save: each step of it is on the disk before the
next step relies on it. record_saver saves once under strace, on a fresh
folder and on one where a save was cut short after its mark; the system
calls it made are replayed against what a disk without ordering keeps:
a file's content only once fsync'ed, a folder's entries only once the
folder is fsync'ed.

Usage: record_syncs.py RECORD_SAVER WORK_DIR  (exit 77: no strace here)
"""
import os
import re
import shutil
import subprocess
import sys

saver, work = sys.argv[1], os.path.realpath(sys.argv[2])
if not shutil.which("strace"):
    print("strace is not installed")
    sys.exit(77)

CALL = re.compile(r'^(?:\[pid +\d+\] |\d+ +)?(\w+)\((.*)\) += (-?\d+)(<[^>]*>)?')
PATH = re.compile(r'"([^"]*)"')
FD = re.compile(r'^\d+<([^>]*)>')
SAME = {"fdatasync": "fsync", "renameat": "rename", "renameat2": "rename", "unlinkat": "unlink"}


def trace(folder):
    """The save's calls on the folder, in order: (call, paths, whether it made a file)."""
    log = os.path.join(work, "strace.log")
    # LeakSanitizer cannot work under ptrace.
    env = dict(os.environ, ASAN_OPTIONS=os.environ.get("ASAN_OPTIONS", "") + ":detect_leaks=0")
    subprocess.run(["strace", "-f", "-y", "-o", log, "-e",
                    "trace=fsync,fdatasync,rename,renameat,renameat2,unlink,unlinkat,openat",
                    saver, folder + "/", "once"], check=True, env=env)
    calls = []
    with open(log) as lines:
        for line in lines:
            match = CALL.match(line)
            if not match or int(match.group(3)) < 0:
                continue
            name, args = match.group(1), match.group(2)
            if name in ("fsync", "fdatasync"):
                fd = FD.match(args)
                paths = [fd.group(1)] if fd else []
            else:
                paths = [p if p.startswith("/") else os.path.join(folder, p) for p in PATH.findall(args)]
            if any(os.path.dirname(p) == folder or p == folder for p in paths):
                calls.append((SAME.get(name, name), paths, "O_CREAT" in args))
    return calls


def check(folder, first_step):
    marker = folder + "/tvk.txt.ponderine-commit"
    records = {folder + "/tvk.txt", folder + "/ntvk.txt"}
    unsynced = set()       # written, content not yet on the disk
    entries = set()        # made, renamed or removed since the folder was last synced
    faults, steps = [], []
    for name, paths, made in trace(folder):
        path = paths[0] if paths else ""
        if name == "fsync":
            if path == folder:
                entries.clear()
                steps.append("sync folder")
            unsynced.discard(path)
        elif name == "openat" and made and path.endswith(".ponderine-new"):
            unsynced.add(path)
            entries.add(path)
        elif name == "openat" and made and path == marker:
            steps.append("mark")
            if unsynced:
                faults.append("marked before the content of %s was synced" % ", ".join(sorted(unsynced)))
            if any(e.endswith(".ponderine-new") for e in entries):
                faults.append("marked before the staged files were in the folder on the disk")
            entries.add(marker)
        elif name == "rename" and len(paths) == 2 and paths[1] in records:
            steps.append("rename")
            if paths[0] in unsynced:
                faults.append("%s put in place before its content was synced" % paths[0])
            if marker in entries:
                faults.append("%s put in place before the mark was on the disk" % paths[1])
            entries.add(paths[1])
        elif name == "unlink" and path == marker:
            steps.append("unmark")
            if entries & records:
                faults.append("the mark removed before the renames were on the disk")
            entries.add(marker)
    done = [step for step in steps if step in ("mark", "rename")]
    if steps.count("rename") < 2 or "unmark" not in steps or done[0] != first_step:
        faults.append("not what was expected: %s" % ", ".join(steps))
    return faults


def folder_with(name, files):
    folder = os.path.join(work, name)
    os.makedirs(folder)
    for file, content in files.items():
        with open(os.path.join(folder, file), "wb") as out:
            out.write(content)
    return folder


shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
failed = False
for label, files, first_step in [
    ("a save", {}, "mark"),
    ("a start finishing a save cut short after its mark",
     {"tvk.txt": b"0\r\n", "ntvk.txt": b"\r\n", "tvk.txt.ponderine-new": b"1\r\n",
      "ntvk.txt.ponderine-new": b"Giocatore 1\r\n", "tvk.txt.ponderine-commit": b""}, "rename"),
]:
    faults = check(folder_with(label.replace(" ", "-"), files), first_step)
    for fault in faults:
        print("FAIL: %s: %s" % (label, fault))
    failed |= bool(faults)
    if not faults:
        print("ok: %s" % label)
sys.exit(1 if failed else 0)
