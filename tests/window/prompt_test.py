#!/usr/bin/env python3
"""The interactive prompt as a newcomer meets it: a real terminal (a pty) and piped input.

usage: prompt_test.py KORVANE_HOST WORK_DIR [line-editing]
"""
import os
import pty
import select
import shutil
import subprocess
import sys
import time

host, work = sys.argv[1], sys.argv[2]
editing = len(sys.argv) > 3 and sys.argv[3] == "line-editing"
shutil.rmtree(work, ignore_errors=True)
os.makedirs(work)
failures = []


def check(cond, what, text):
    if not cond:
        failures.append(what + "\n--- output ---\n" + text + "\n--------------")


class Terminal:
    def __init__(self, root):
        self.pid, self.fd = pty.fork()
        if self.pid == 0:
            os.execv(host, [host, "--root", root])
        self.out = b""

    def read_until(self, marker, start=0, seconds=60):
        """Reads until the marker shows after `start` (the output of the line just typed)."""
        end = time.time() + seconds
        while marker.encode() not in self.out[start:] and time.time() < end:
            ready, _, _ = select.select([self.fd], [], [], 0.2)
            if ready:
                try:
                    self.out += os.read(self.fd, 65536)
                except OSError:
                    break
        return marker.encode() in self.out[start:]

    def say(self, text, expect):
        start = len(self.out)
        os.write(self.fd, text.encode() + b"\r")
        # The terminal echoes the typed line first; the answer follows it.
        self.read_until("\n", start)
        ok = self.read_until(expect, self.out.index(b"\n", start) + 1 if b"\n" in self.out[start:] else start)
        return ok, self.out[start:].decode(errors="replace").replace("\r", "")

    def close(self):
        os.write(self.fd, b"@exit\r")
        for _ in range(100):
            pid, _ = os.waitpid(self.pid, os.WNOHANG)
            if pid:
                return
            time.sleep(0.1)
        os.kill(self.pid, 9)
        os.waitpid(self.pid, 0)


t = Terminal(os.path.join(work, "tty"))
check(t.read_until("Command: "), "the prompt appears", t.out.decode(errors="replace"))
banner = t.out.decode(errors="replace")
check("@help" in banner, "the start banner names @help", banner)

# 1. The about box shows once, asks with its own prompt and takes only an answer.
ok, about = t.say("KV_ABOUT", "[OK] ")
check(ok and about.count("Korvane 3.2") == 1, "KV_ABOUT shows its box once with an [OK] prompt", about)
ok, again = t.say("@help", "[OK] ")
check(ok and "waits for its answer" in again and "Lines without @" not in again,
      "a line that is no answer does not close the box", again)
ok, answered = t.say("", "Command: ")
check(ok and "-> OK" in answered, "Enter answers the box with its default button", answered)

# 3. @help: host commands, the plug-in's commands one line each, the script documentation.
ok, helped = t.say("@help", "docs/script.md")
# The prompt that follows the help belongs to this line: read it now, or the next line would take
# it for its own answer.
t.read_until("Command: ", t.out.rindex(b"docs/script.md"))
check(ok and "Lines without @" in helped and "KV_ABOUT" in helped and "KV_CFG" in helped,
      "@help explains lines and lists the KV_ commands", helped)
ok, plain = t.say("help", "Command: ")
check(ok and "@help" in plain and "F1" not in plain, "HELP points to @help, not to F1", plain)

# 4. Verbs and unknown verbs.
ok, tabs = t.say("@tabs", "Command: ")
check(ok and "tabs: none" in tabs, "@tabs answers", tabs)
ok, foo = t.say("@foo", "Command: ")
check(ok and "unknown verb @foo (try @help)" in foo and "script:" not in foo,
      "an unknown verb at the prompt names @help and no line number", foo)

# 5. Line editing: the arrow key brings the last line back.
if editing:
    ok, recalled = t.say("\x1b[A", "Command: ")
    check(ok and "unknown verb @foo" in recalled, "Up recalls the previous line", recalled)

# 2. No line is echoed twice.
whole = t.out.decode(errors="replace")
check("Command: Command:" not in whole, "no doubled echo at a terminal", whole)
t.close()

# Piped input: the transcript shows each line once after its prompt.
piped = subprocess.run([host, "--root", os.path.join(work, "pipe")], input="KV_ABOUT\n\n@tabs\n@foo\n",
                       capture_output=True, text=True, timeout=120)
check("Command: KV_ABOUT\n" in piped.stdout and "Command: Command:" not in piped.stdout,
      "piped lines read once after the prompt", piped.stdout)
check(piped.stdout.count("Korvane 3.2") == 1, "piped: the box shows once", piped.stdout)
check("unknown verb @foo (try @help)" in piped.stdout, "piped: unknown verb", piped.stdout)

for f in failures:
    print("FAILED:", f)
print("prompt: %d checks failed" % len(failures))
sys.exit(1 if failures else 0)
