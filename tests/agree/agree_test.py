#!/usr/bin/python3
"""Three front ends, one behaviour: the same seeded random session played
through palorin-cli play, through the real Qt widgets (ui_agree_driver,
offscreen) and through the page in headless Chromium must leave, after every
event, the same state line of both windows (panels, log positions, every box,
the file window's page, mode, memo and indicators, a digest of the picture)
and the same error box texts; at checkpoints the picture each shows must be
that picture, pixel for pixel; at the end every saved file must be the same,
byte for byte.

The session is made up against play, line by line, so that it holds only
what a user could do at that point (a size box only while enabled, the part
box only on the save page, ...). Two sessions are played: a mixed one, with
the pointer and the keyboard, and a keyboard-only one, with no pointer event
at all (the drawing area reached with its own keys).

usage: agree_test.py --cli PALORIN_CLI [--qt UI_AGREE_DRIVER] [--page DIR]
                     [--sessions mixed,keyboard]
  Without --qt the windows, without --page the page are left out (saying so).
  PALORIN_AGREE_SEED   the seed (default 20261207; "random" for a new one)
  PALORIN_AGREE_EVENTS the number of events of the mixed session (default
                       600); the keyboard-only session has a third as many
Prints the seed; on a disagreement, the event, its line and what differs."""

import argparse
import base64
import functools
import http.server
import os
import random
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time

HERE = os.path.dirname(os.path.abspath(__file__))
DATA = os.path.join(HERE, "..", "cli", "data")
FIXED_SEED = 20261207

# What the drawing area may receive: everything on it, plus pointer events
# outside it (a drag that leaves it), which no front end turns into a cell.
W, H = 500, 308

PIECES = ["1", "2", "3", "7", "50", "0", "-3", "+4", "$1f", "$", " 5", "5 ", "x", "1000",
          "2147483648", "-2147483648", "red", "blue", "XYZ", "ｱ", "整数", "0012"]
COLOURS = ["blue", "green", "red", "yellow", "white"]
MODES = ["Single", "X", "Y", "Z", "XY", "XZ", "YZ", "XYZ"]
KEYS = ["Ctrl+Z", "Ctrl+Y", "Ctrl+Shift+Z", "Ctrl+C", "Ctrl+O", "Ctrl+S"]
# The drawing area's own keys: the cell cursor's steps and placing at it.
ARROWS = ["Left", "Right", "Up", "Down"]
AREA_KEYS = ARROWS + ["Shift+" + a for a in ARROWS] + ["Space", "Return"]
GOOD_LOADS = ["in/small.pln", "in/wide.pln", "in/wide_1.txt", "in/wide_2.txt"]
BAD_LOADS = ["in/garbage.txt", "in/missing.pln", "in/empty.txt"]
LOADS = GOOD_LOADS + BAD_LOADS
SAVES = ["out/a.pln", "out/b", "out/c.txt", "out/d.bmp", "out/e_1.txt", "out/e_2.txt"]


def fields(state):
    """The state line's fields by name."""
    out = {}
    for part in state.split("|"):
        name, _, value = part.partition("=")
        out[name] = value
    return out


def box_on(state, name):
    return fields(state)[name].endswith(" on")


def normalized(error):
    """An error box text with the folders of file names left out: each front
    end names files its own way (a full path, a path in the page's memory)."""
    return re.sub(r"(?:[^\s/]*/)+", "", error)


class Play:
    """palorin-cli play --state, fed one line at a time."""

    def __init__(self, cli, cwd):
        self.proc = subprocess.Popen([cli, "play", "--state", "-"], cwd=cwd, stdin=subprocess.PIPE,
                                     stdout=subprocess.PIPE, stderr=subprocess.PIPE,
                                     encoding="utf-8", errors="surrogateescape")

    def run(self, line):
        self.proc.stdin.write(line + "\n")
        self.proc.stdin.flush()
        errors = []
        while True:
            out = self.proc.stdout.readline()
            if out == "":
                raise SystemExit("play stopped at %r: %s" % (line, self.proc.stderr.read()))
            out = out.rstrip("\n")
            if out.startswith("error: "):
                errors.append(out[len("error: "):])
            elif out.startswith("state: "):
                return errors, out[len("state: "):]

    def close(self):
        self.proc.stdin.close()
        self.proc.wait(timeout=60)


def open_line(rng):
    """Two or three files opened in one go, now and then one of them missing
    or not a block file; a series' parts together more often than chance."""
    if rng.random() < 0.3:
        names = ["in/wide_1.txt", "in/wide_2.txt"]
        rng.shuffle(names)
    else:
        names = [rng.choice(GOOD_LOADS) for _ in range(rng.choice([2, 3]))]
    if rng.random() < 0.4:
        names[rng.randrange(len(names))] = rng.choice(BAD_LOADS)
    return "open " + ";".join(names)


def area_key(rng, keyboard):
    """A key pressed on the drawing area: mostly cursor steps, and placing
    often enough that a keyboard-only session draws."""
    r = rng.random()
    if r < (0.3 if keyboard else 0.2):
        return "area-key " + rng.choice(["Space", "Return"])
    if r < 0.95:
        return "area-key " + rng.choice(AREA_KEYS[:8])
    # The windows' keys still act while the drawing area has the focus.
    return "area-key " + rng.choice(KEYS)


def make_session(rng, events, play, keyboard=False):
    """Events made up against play's state: (line, errors, state) for each,
    where comment lines (outside the area, checkpoints) are not played.
    A keyboard-only session has no pointer event: it places blocks with the
    drawing area's keys."""
    session = []
    last = None  # play prints a state only after an action
    follow = []  # lines that must come next

    def text():
        return "".join(rng.choice(PIECES) for _ in range(rng.randrange(0, 3)))

    def place():
        if keyboard:
            return "area-key " + rng.choice(["Space", "Return"])
        return "press %d %d" % (rng.randrange(W), rng.randrange(H))

    for n in range(events):
        if n > 0 and n % 50 == 0:
            session.append(("# checkpoint", None, last))
            continue
        f = fields(last) if last else None
        shown = f is not None and f["file"].startswith("shown")
        save_page = shown and " page1 " in f["file"]
        r = rng.random()
        if follow:
            line = follow.pop(0)
        elif keyboard and r < 0.36:
            line = area_key(rng, keyboard)
        elif r < 0.25:
            line = place()
        elif r < 0.33:
            line = "move %d %d" % (rng.randrange(W), rng.randrange(H))
        elif r < 0.36 and last is not None:
            # Outside the area: left of it, or below it.
            x, y = ((rng.randrange(-30, 0), rng.randrange(H)) if rng.random() < 0.5
                    else (rng.randrange(W), rng.randrange(H, H + 20)))
            session.append(("# outside %s %d %d" % (rng.choice(["press", "move"]), x, y),
                            [], last))
            continue
        elif r < 0.41:
            line = "colour " + rng.choice(COLOURS)
        elif r < 0.47:
            line = "mode " + rng.choice(MODES)
        elif r < 0.53:
            axis = rng.choice("XYZ")
            if last is None or not box_on(last, "size" + axis):
                line = "mode " + rng.choice(MODES)
            elif rng.random() < 0.5:
                line = "size %s %d" % (axis, rng.randrange(1, 51) if rng.random() < 0.3
                                       else rng.randrange(1, 5))
            else:
                line = "size-text %s %s" % (axis, text())
        elif r < 0.55:
            line = "colour-text " + rng.choice([text(), rng.choice(COLOURS)])
        elif r < 0.56:
            line = "mode-text " + rng.choice([text(), rng.choice(MODES)])
        elif r < 0.61:
            line = "step " + text()
        elif r < 0.63 and save_page and box_on(last, "part"):
            line = "part " + text()
        elif r < 0.67:
            line = "undo"
        elif r < 0.71:
            line = "redo"
        elif r < 0.725:
            line = "reset"
        elif r < 0.735:
            line = "clip"
        elif r < 0.755:
            line = "file"
        elif r < 0.785 and shown:
            line = "page " + rng.choice(["load", "save"])
        elif r < 0.815 and save_page:
            line = "save-mode " + rng.choice(["compat", "native", "bmp"])
        elif r < 0.825 and shown:
            line = "cancel"
        elif r < 0.865:
            line = "load " + rng.choice(LOADS)
            # A loaded picture drawn on, undone and redone.
            if rng.random() < 0.4:
                follow = [place(), "undo", "redo"]
        elif r < 0.87:
            line = "load-cancel"
        elif r < 0.89:
            line = open_line(rng)
        elif r < 0.92:
            line = "save " + rng.choice(SAVES)
        elif r < 0.925:
            line = "save-cancel"
        elif r < 0.945:
            line = "key " + rng.choice(KEYS)
        elif r < 0.99:
            line = area_key(rng, keyboard)
        else:
            line = place()
        errors, last = play.run(line)
        session.append((line, errors, last))
    line = rng.choice(["end", "key Ctrl+Q"])
    errors, last = play.run(line)
    session.append((line, errors, last))
    play.close()
    return session


def prepare(folder, rng):
    os.makedirs(os.path.join(folder, "in"))
    os.makedirs(os.path.join(folder, "out"))
    for name in ("small.pln", "wide.pln", "wide_1.txt", "wide_2.txt"):
        shutil.copy(os.path.join(DATA, name), os.path.join(folder, "in", name))
    with open(os.path.join(folder, "in", "garbage.txt"), "wb") as f:
        f.write(b"[Var]:BRW_001\r\n" + bytes(rng.randrange(256) for _ in range(300)))
    open(os.path.join(folder, "in", "empty.txt"), "wb").close()


def qt_records(driver, script, folder):
    """The driver's output as one record an event: (errors, state) or a
    picture digest."""
    env = dict(os.environ, QT_QPA_PLATFORM="offscreen")
    run = subprocess.run([driver, script, folder], capture_output=True, env=env,
                         encoding="utf-8", errors="surrogateescape", timeout=3600)
    if run.returncode != 0:
        raise SystemExit("ui_agree_driver failed (%d): %s" % (run.returncode, run.stderr[-2000:]))
    records, errors = [], []
    for out in run.stdout.splitlines():
        if out.startswith("error: "):
            errors.append(out[len("error: "):])
        elif out.startswith("state: "):
            records.append((errors, out[len("state: "):]))
            errors = []
        elif out.startswith("picture: "):
            records.append(out[len("picture: "):])
    return records


def files_of(folder):
    out = {}
    for name in sorted(os.listdir(folder)):
        with open(os.path.join(folder, name), "rb") as f:
            out[name] = f.read()
    return out


class Quiet(http.server.SimpleHTTPRequestHandler):
    extensions_map = {**http.server.SimpleHTTPRequestHandler.extensions_map,
                      ".wasm": "application/wasm"}

    def log_message(self, *args):
        pass


PAGE_JS = r"""
const [kind, arg, arg2] = arguments;
const $ = (id) => document.getElementById(id);
switch (kind) {
  case "click": $(arg).click(); break;
  case "choose": {
    const sel = $(`Form1-ComboBox${arg}-List`);
    // Opened first, as a pointer opens it: a long list is filled then.
    sel.dispatchEvent(new PointerEvent("pointerdown"));
    sel.selectedIndex = arg2;
    sel.dispatchEvent(new Event("change"));
    break;
  }
  case "type": {
    const input = $(`Form${arg[0]}-ComboBox${arg[1]}`);
    input.focus();
    input.value = arg2;
    input.dispatchEvent(new Event("input"));
    break;
  }
  case "radio": document.querySelector(`#Form2-RadioGroup1Item${arg} input`).click(); break;
  case "blur": if (document.activeElement) document.activeElement.blur(); break;
  case "focus": $(arg).focus(); break;
  case "missing": window.palorin.answerOpen([{ name: arg, bytes: null }]); break;
  case "open": {
    // Files given by name and bytes (base64; null: not there). All there:
    // dropped on the page; else opened by name as a drop opens them.
    const files = arg.map(([name, b64]) => ({
      name, bytes: b64 === null ? null : Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)) }));
    if (files.every((f) => f.bytes !== null)) {
      const dt = new DataTransfer();
      for (const f of files) dt.items.add(new File([f.bytes], f.name));
      document.body.dispatchEvent(new DragEvent("drop", { dataTransfer: dt, bubbles: true, cancelable: true }));
    } else {
      window.palorin.openFiles(files);
    }
    break;
  }
}
"""

COLLECT_JS = r"""
const done = arguments[arguments.length - 1];
const box = document.getElementById("ErrorBox");
const errors = [];
// Every error box of the input, one after the other as the page queues them.
const collect = () => {
  if (box.open) {
    errors.push(document.getElementById("ErrorBoxText").textContent);
    box.close();
  } else if (window.palorin.errorsQueued() === 0) {
    done([errors, window.palorin.stateLine(), window.palorin.downloads()]);
    return;
  }
  setTimeout(collect);
};
// Pointer moves reach the page with the next frame.
requestAnimationFrame(() => setTimeout(collect));
"""

PICTURE_JS = r"""
const c = document.getElementById("Form1-Image1");
const d = c.getContext("2d").getImageData(0, 0, c.width, c.height).data;
let h = 0xcbf29ce484222325n;
const m = 0xffffffffffffffffn, p = 0x100000001b3n;
for (let i = 0; i < d.length; i += 4) {
  for (const b of [d[i + 2], d[i + 1], d[i], 255]) h = ((h ^ BigInt(b)) * p) & m;
}
return h.toString(16).padStart(16, "0");
"""

KEY_CODES = {"Z": 90, "Y": 89, "C": 67, "O": 79, "S": 83, "Q": 81}
# The drawing area's keys: (key, code, virtual key code).
PAGE_AREA_KEYS = {"Left": ("ArrowLeft", "ArrowLeft", 37), "Up": ("ArrowUp", "ArrowUp", 38),
                  "Right": ("ArrowRight", "ArrowRight", 39), "Down": ("ArrowDown", "ArrowDown", 40),
                  "Space": (" ", "Space", 32), "Return": ("Enter", "Enter", 13)}


class Page:
    def __init__(self, site, tmp, folder):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service
        self.folder = folder  # the script's folder: names in lines are relative to it
        self.downloads = os.path.join(tmp, "downloads")
        os.mkdir(self.downloads)
        handler = functools.partial(Quiet, directory=site)
        self.server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
        threading.Thread(target=self.server.serve_forever, daemon=True).start()
        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium")
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--user-data-dir=" + os.path.join(tmp, "profile"), "--window-size=1600,1200"):
            options.add_argument(flag)
        options.set_capability("unhandledPromptBehavior", "ignore")
        self.driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")),
                                       options=options)
        self.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                    {"behavior": "allow", "downloadPath": self.downloads})
        # A file chooser the page opens comes to the driver, which fills the
        # page's file input itself.
        self.driver.execute_cdp_cmd("Page.setInterceptFileChooserDialog", {"enabled": True})
        origin = "http://127.0.0.1:%d" % self.server.server_address[1]
        # "Clip" copies as it does on the desktop, where nothing can refuse it.
        self.driver.execute_cdp_cmd("Browser.grantPermissions", {
            "origin": origin, "permissions": ["clipboardReadWrite", "clipboardSanitizedWrite"]})
        self.driver.get(origin + "/index.html")
        self.wait_for("the page did not start", lambda: self.driver.execute_script(
            "return document.documentElement.dataset.palorin") == "ready", 30)
        # The plain file input as the open dialog, which the driver can fill.
        self.driver.execute_script("window.showOpenFilePicker = undefined")
        self.saved = {}

    def close(self):
        self.driver.quit()
        self.server.shutdown()

    def wait_for(self, what, condition, seconds=20):
        end = time.time() + seconds
        while not condition():
            if time.time() > end:
                raise SystemExit(what)
            time.sleep(0.01)

    def js(self, *args):
        return self.driver.execute_script(PAGE_JS, *args)

    def mouse(self, kinds, x, y):
        # The middle of drawing-area pixel (x, y), however large the page
        # draws the area.
        left, top, scale = self.driver.execute_script(
            "const c = document.getElementById('Form1-Image1');"
            "const r = c.getBoundingClientRect(); return [r.left, r.top, r.width / c.width];")
        for kind in kinds:
            self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
                "type": kind, "x": left + (x + 0.5) * scale, "y": top + (y + 0.5) * scale,
                "button": "left" if kind != "mouseMoved" else "none", "clickCount": 1})

    def keys(self, key, code, vk, modifiers):
        for kind in ("rawKeyDown", "keyUp"):
            self.driver.execute_cdp_cmd("Input.dispatchKeyEvent", {
                "type": kind, "modifiers": modifiers, "key": key, "code": code,
                "windowsVirtualKeyCode": vk, "nativeVirtualKeyCode": vk})

    def opened(self):
        return self.driver.execute_script("return window.palorin.opened()")

    def execute(self, page, answer):
        """Execute on `page` as a user gets there: "File" when the window is
        hidden, the page's tab when the other one is shown, then 実行 with
        its dialog answering `answer` (None: cancelled)."""
        if self.js_state()["file"].startswith("hidden"):
            self.js("click", "Form1-Button5")
        if (" page%d " % page) not in self.js_state()["file"] + " ":
            self.js("click", "Form2-TabSheet%d-Tab" % (page + 1))
        if page == 0:
            self.js("click", "Form2-Button1")
            path = os.path.join(self.folder, answer) if answer is not None else None
            if answer is None:
                # The picker cancelled.
                self.driver.execute_script(
                    "document.getElementById('OpenDialog1').dispatchEvent(new Event('cancel'))")
            elif os.path.exists(path):
                before = self.opened()
                picker = self.driver.find_element("id", "OpenDialog1")
                self.driver.execute_script("arguments[0].value = ''", picker)
                picker.send_keys(os.path.abspath(path))
                # The picker's files are read before they answer the dialog.
                self.wait_for("the chosen file never reached the load",
                              lambda: self.opened() != before)
            else:
                self.js("missing", os.path.basename(answer))
            return
        self.driver.find_element("id", "Form2-Button1").click()
        # The page asks the name in its own save dialog.
        self.wait_for("the save dialog never opened", lambda: self.driver.execute_script(
            "return document.getElementById('SaveBox').open"))
        if answer is None:
            self.driver.find_element("id", "SaveBoxCancel").click()
        else:
            self.driver.execute_script("document.getElementById('SaveBoxName').value = arguments[0]",
                                       os.path.basename(answer))
            self.driver.find_element("id", "SaveBoxOk").click()
        # The save is done once the dialog's answer has reached the editor.
        self.wait_for("the save dialog's answer never arrived",
                      lambda: not self.driver.execute_script("return window.palorin.asking()"))

    def open(self, names):
        """Files opened by name in one go, as a drop opens them."""
        files = []
        for name in names:
            path = os.path.join(self.folder, name)
            data = None
            if os.path.isfile(path):
                with open(path, "rb") as f:
                    data = base64.b64encode(f.read()).decode("ascii")
            files.append([os.path.basename(name), data])
        before = self.opened()
        self.js("open", files)
        self.wait_for("the files never reached the load", lambda: self.opened() != before)

    def js_state(self):
        return fields(self.driver.execute_script("return window.palorin.stateLine()"))

    def do(self, line):
        before = self.driver.execute_script("return window.palorin.downloads()")
        word, _, rest = line.partition(" ")
        if line.startswith("# outside "):
            kind, x, y = line.split()[2:]
            self.mouse(["mousePressed", "mouseReleased"] if kind == "press" else ["mouseMoved"],
                       int(x), int(y))
        elif word == "press":
            x, y = map(int, rest.split())
            self.mouse(["mousePressed", "mouseReleased"], x, y)
        elif word == "move":
            x, y = map(int, rest.split())
            self.mouse(["mouseMoved"], x, y)
        elif word in ("colour", "mode"):
            items = COLOURS if word == "colour" else MODES
            self.js("choose", 1 if word == "colour" else 6, items.index(rest))
        elif word == "size":
            axis, n = rest.split()
            self.js("choose", 2 + "XYZ".index(axis), int(n) - 1)
        elif word in ("colour-text", "mode-text", "step", "part"):
            box = {"colour-text": [1, 1], "mode-text": [1, 6], "step": [1, 5], "part": [2, 1]}[word]
            self.js("type", box, rest)
        elif word == "size-text":
            axis, _, typed = rest.partition(" ")
            self.js("type", [1, 2 + "XYZ".index(axis)], typed)
        elif word in ("undo", "redo", "reset", "clip", "file", "end"):
            buttons = ["undo", "redo", "reset", "clip", "file", "end"]
            self.js("click", "Form1-Button%d" % (buttons.index(word) + 1))
        elif word == "page":
            self.js("click", "Form2-TabSheet1-Tab" if rest == "load" else "Form2-TabSheet2-Tab")
        elif word == "save-mode":
            self.js("radio", ["compat", "native", "bmp"].index(rest))
        elif word == "cancel":
            self.js("click", "Form2-Button2")
        elif word == "load":
            self.execute(0, rest)
        elif word == "load-cancel":
            self.execute(0, None)
        elif word == "save":
            self.execute(1, rest)
        elif word == "save-cancel":
            self.execute(1, None)
        elif word == "open":
            self.open(rest.split(";"))
        elif word == "key":
            self.js("blur")
            parts = rest.split("+")
            letter = parts[-1]
            self.keys(letter if "Shift" in parts else letter.lower(), "Key" + letter,
                      KEY_CODES[letter], 2 | (8 if "Shift" in parts else 0))
        elif word == "area-key":
            # The drawing area takes the focus as by the keyboard, no pointer.
            self.js("focus", "Form1-Image1")
            parts = rest.split("+")
            shift = 8 if "Shift" in parts else 0
            if parts[-1] in PAGE_AREA_KEYS:
                self.keys(*PAGE_AREA_KEYS[parts[-1]], shift)
            else:
                # A window key pressed with the drawing area focused.
                letter = parts[-1]
                self.keys(letter if shift else letter.lower(), "Key" + letter,
                          KEY_CODES[letter], 2 | shift)
        else:
            raise SystemExit("the page driver does not know %r" % line)
        errors, state, downloads = self.driver.execute_async_script(COLLECT_JS)
        if downloads > before:
            self.collect_download()
        return errors, state

    def collect_download(self):
        end = time.time() + 20
        while True:
            names = [n for n in os.listdir(self.downloads) if not n.endswith(".crdownload")]
            if names and not any(n.endswith(".crdownload") for n in os.listdir(self.downloads)):
                break
            if time.time() > end:
                raise SystemExit("the page's save did not arrive as a download")
            time.sleep(0.02)
        for name in names:
            with open(os.path.join(self.downloads, name), "rb") as f:
                self.saved[name] = f.read()
            os.unlink(os.path.join(self.downloads, name))

    def picture(self):
        return self.driver.execute_script(PICTURE_JS)


def agree(kind, seed, events, args, tmp):
    """Plays one session of `kind` (mixed or keyboard) through play, then the
    windows and the page, and compares them; returns the number of failures."""
    rng = random.Random("%s %d" % (kind, seed)) if kind != "mixed" else random.Random(seed)
    base = os.path.join(tmp, kind)
    dirs = {k: os.path.join(base, k) for k in ("play", "qt", "page")}
    for d in dirs.values():
        prepare(d, random.Random(seed))
    started = time.time()
    session = make_session(rng, events, Play(os.path.abspath(args.cli), dirs["play"]),
                           keyboard=kind == "keyboard")
    script = os.path.join(base, "session.play")
    with open(script, "w", encoding="utf-8") as f:
        for line, _, _ in session:
            f.write(line + "\n")
    print("%s session: play: %d events in %.1f s" % (kind, len(session), time.time() - started),
          flush=True)

    qt = None
    if args.qt:
        started = time.time()
        qt = qt_records(os.path.abspath(args.qt), script, dirs["qt"])
        print("windows: %.1f s" % (time.time() - started), flush=True)

    page = None
    if args.page:
        page = Page(args.page, base, dirs["page"])

    failures = 0
    started = time.time()
    for i, (line, errors, state) in enumerate(session):
        want_errors = [normalized(e) for e in errors] if errors is not None else None
        shown = {}
        if line == "# checkpoint":
            digest = fields(state)["raster"]
            if qt is not None:
                shown["windows"] = qt[i]
            if page:
                shown["page"] = page.picture()
            for who, got in shown.items():
                if got != digest:
                    failures += 1
                    print("event %d (%s): the %s show picture %s, the state holds %s"
                          % (i, line, who, got, digest))
            continue
        if qt is not None:
            shown["windows"] = qt[i]
        if page:
            shown["page"] = page.do(line)
        for who, (got_errors, got_state) in shown.items():
            got_errors = [normalized(e) for e in got_errors]
            want = want_errors
            if got_state != state or got_errors != want:
                failures += 1
                print("event %d (%s): the %s disagree with play" % (i, line, who))
                if failures == 1:
                    print("  events before it: %s" % " / ".join(
                        l for l, _, _ in session[max(0, i - 6):i]))
                for name, value in fields(state).items():
                    other = fields(got_state).get(name)
                    if other != value:
                        print("  %s: play %r, %s %r" % (name, value, who, other))
                if got_errors != want:
                    print("  errors: play %r, %s %r" % (want, who, got_errors))
        if failures >= 5:
            break
    if page:
        print("page: %.1f s" % (time.time() - started), flush=True)

    saved = {"play": files_of(os.path.join(dirs["play"], "out"))}
    if qt is not None:
        saved["windows"] = files_of(os.path.join(dirs["qt"], "out"))
    if page:
        saved["page"] = page.saved
        page.close()
    for who in ("windows", "page"):
        if who not in saved:
            continue
        if saved[who].keys() != saved["play"].keys():
            failures += 1
            print("saved files: play %s, %s %s" % (sorted(saved["play"]), who,
                                                   sorted(saved[who])))
        for name in saved["play"].keys() & saved[who].keys():
            if saved[who][name] != saved["play"][name]:
                failures += 1
                print("saved file %s differs between play and the %s" % (name, who))
    print("saved files compared: %s" % (", ".join(sorted(saved["play"])) or "none"))
    print("%s session: %s (seed %d, %d events)"
          % (kind, "PASSED" if failures == 0 else "FAILED", seed, len(session)), flush=True)
    return failures


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--cli", required=True)
    parser.add_argument("--qt")
    parser.add_argument("--page")
    parser.add_argument("--sessions", default="mixed,keyboard")
    args = parser.parse_args()
    kinds = args.sessions.split(",")
    if any(k not in ("mixed", "keyboard") for k in kinds):
        parser.error("--sessions takes mixed and keyboard")
    seed_text = os.environ.get("PALORIN_AGREE_SEED", str(FIXED_SEED))
    seed = random.SystemRandom().randrange(1 << 31) if seed_text == "random" else int(seed_text)
    events = int(os.environ.get("PALORIN_AGREE_EVENTS", "600"))
    print("agreement: seed %d, %d events (PALORIN_AGREE_SEED, PALORIN_AGREE_EVENTS)"
          % (seed, events), flush=True)
    if not args.qt:
        print("the windows are left out: no --qt given", flush=True)
    if not args.page:
        print("the page is left out: no --page given", flush=True)

    tmp = tempfile.mkdtemp(prefix="palorin-agree-")
    try:
        failures = 0
        for kind in kinds:
            failures += agree(kind, seed, events if kind == "mixed" else max(1, events // 3),
                              args, tmp)
        print("agreement: %s (seed %d)" % ("PASSED" if failures == 0 else "FAILED", seed))
        return 1 if failures else 0
    finally:
        shutil.rmtree(tmp, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
