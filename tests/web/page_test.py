#!/usr/bin/python3
"""The page in headless Chromium against palorin-cli, which runs the very
same handlers natively: what the page shows and writes must be what the
desktop shows and writes.

usage: page_test.py --page DIR --cli PALORIN_CLI
Fails (exit status 1, saying why) without running anything when Chromium,
its driver or selenium is missing: a page that was not tested never passes.
Skipping the page is scripts/page_test.sh's decision (PALORIN_SKIP_PAGE=1)."""

import argparse
import base64
import collections
import gzip
import http.client
import os
import re
import shutil
import subprocess
import sys
import tempfile
import threading
import time
import unittest
import urllib.parse
import zlib

DATA = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "cli", "data")
# axe-core, as `npm ci` at the top of the tree installs it (package-lock.json).
AXE = os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "node_modules",
                   "axe-core", "axe.min.js")
ARGS = None
sys.path.insert(0, os.path.join(os.path.dirname(os.path.abspath(__file__)), "..", "..", "scripts"))
import serve_page  # noqa: E402


def bmp_rgb(data):
    """The RGB bytes, top row first, of a 24-bit BMP."""
    offset = int.from_bytes(data[10:14], "little")
    width = int.from_bytes(data[18:22], "little", signed=True)
    height = int.from_bytes(data[22:26], "little", signed=True)
    assert int.from_bytes(data[28:30], "little") == 24
    stride = (width * 3 + 3) // 4 * 4
    rows = []
    for y in range(abs(height)):
        row = data[offset + y * stride: offset + y * stride + width * 3]
        rows.append(bytes(b for i in range(0, len(row), 3) for b in (row[i + 2], row[i + 1], row[i])))
    if height > 0:
        rows.reverse()
    return b"".join(rows)


class PageTest(unittest.TestCase):
    @classmethod
    def setUpClass(cls):
        from selenium import webdriver
        from selenium.webdriver.chrome.service import Service

        cls.tmp = tempfile.mkdtemp(prefix="palorin-page-")
        cls.site = os.path.join(cls.tmp, "site")
        shutil.copytree(ARGS.page, cls.site)
        for name in os.listdir(DATA):
            shutil.copy(os.path.join(DATA, name), cls.site)
        cls.downloads = os.path.join(cls.tmp, "downloads")
        os.mkdir(cls.downloads)

        cls.server = serve(cls.site)
        cls.base = "http://127.0.0.1:%d/" % cls.server.server_address[1]

        options = webdriver.ChromeOptions()
        options.binary_location = shutil.which("chromium")
        for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--disable-quic",
                     "--no-first-run", "--disable-background-networking",
                     "--disable-component-update", "--disable-sync",
                     "--user-data-dir=" + os.path.join(cls.tmp, "profile"),
                     "--window-size=1600,1200"):
            options.add_argument(flag)
        options.add_experimental_option("prefs", {
            "download.default_directory": cls.downloads,
            "download.prompt_for_download": False,
        })
        cls.driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")),
                                      options=options)
        cls.driver.execute_cdp_cmd("Browser.setDownloadBehavior",
                                   {"behavior": "allow", "downloadPath": cls.downloads})

    @classmethod
    def tearDownClass(cls):
        cls.driver.quit()
        cls.server.shutdown()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    # --- The page ---------------------------------------------------------
    def open(self, *files):
        # Each test starts with no copy kept by an earlier one.
        # The page left writes its copy as it goes, so the storage is emptied
        # from another document of the page's origin until it stays empty.
        self.driver.get(self.base + "manifest.webmanifest")
        for _ in range(50):
            self.js("localStorage.clear()")
            time.sleep(0.05)
            if self.js("return localStorage.length") == 0:
                break
        query = "&".join("file=" + f for f in files)
        self.driver.get(self.base + "index.html" + ("?" + query if query else ""))
        self.wait(lambda: self.js("return document.documentElement.dataset.palorin") == "ready")

    def js(self, script, *args):
        return self.driver.execute_script(script, *args)

    def wait(self, condition, seconds=20):
        end = time.time() + seconds
        while not condition():
            if time.time() > end:
                self.fail("timed out")
            time.sleep(0.05)

    def el(self, element_id):
        return self.driver.find_element("id", element_id)

    def canvas_rgb(self):
        data = self.js("""
            const c = document.getElementById('Form1-Image1');
            const d = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
            let s = '';
            for (let i = 0; i < d.length; i += 4) s += String.fromCharCode(d[i], d[i+1], d[i+2]);
            return btoa(s);""")
        return base64.b64decode(data)

    def area_point(self, x, y):
        """Where drawing-area pixel (x, y) is on the screen, however large
        the page draws the area."""
        rect = self.js("const c = document.getElementById('Form1-Image1');"
                       "const r = c.getBoundingClientRect();"
                       "return [r.left, r.top, r.width / c.width];")
        return rect[0] + (x + 0.5) * rect[2], rect[1] + (y + 0.5) * rect[2]

    def press(self, x, y):
        # Pointer events at exact drawing-area pixels, through the input
        # pipeline as a mouse would send them.
        px, py = self.area_point(x, y)
        for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
            self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
                "type": kind, "x": px, "y": py,
                "button": "none" if kind == "mouseMoved" else "left", "clickCount": 1})

    def type_into(self, element_id, text):
        box = self.el(element_id)
        box.clear()
        box.send_keys(text)

    def panels(self):
        return [self.el("Form1-Panel%d" % i).text for i in range(3)]

    # --- The desktop's handlers, natively ---------------------------------
    def cli(self, *args, stdin=None):
        return subprocess.run([ARGS.cli, *args], input=stdin, capture_output=True, text=True,
                              cwd=self.site)

    def cli_render(self, *files):
        out = os.path.join(self.tmp, "render.bmp")
        self.assertEqual(self.cli("render", "-o", out, *files).returncode, 0)
        with open(out, "rb") as f:
            return bmp_rgb(f.read())

    def cli_play(self, script):
        out = os.path.join(self.tmp, "play.bmp")
        result = self.cli("play", "--bmp", out, stdin=script)
        with open(out, "rb") as f:
            return bmp_rgb(f.read()), result.stdout

    # --- Tests ---------------------------------------------------------------
    def test_a_linked_file_shows_what_the_cli_renders(self):
        for name in ("small.pln", "wide.pln"):
            self.open(name)
            self.assertEqual(self.canvas_rgb(), self.cli_render(name), name)
            self.assertFalse(self.el("Form2").is_displayed())

    def tap(self, x, y):
        # A finger on the screen: touch points, which reach the drawing
        # area as pointer events of a touch.
        px, py = self.area_point(x, y)
        point = {"x": px, "y": py}
        self.driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                                    {"type": "touchStart", "touchPoints": [point]})
        self.driver.execute_cdp_cmd("Input.dispatchTouchEvent",
                                    {"type": "touchEnd", "touchPoints": []})

    def test_presses_place_the_blocks_the_desktop_places(self):
        # By mouse and by touch: a tap places a block as a click does.
        self.open()
        from selenium.webdriver.support.select import Select
        Select(self.el("Form1-ComboBox1-List")).select_by_index(2)
        Select(self.el("Form1-ComboBox6-List")).select_by_index(4)
        points = [(100, 100), (124, 100), (250, 200)]
        for i, (x, y) in enumerate(points):
            (self.tap if i == 1 else self.press)(x, y)
        script = "colour red\nmode XY\n" + "".join("press %d %d\n" % p for p in points)
        expected, state = self.cli_play(script)
        self.assertEqual(self.canvas_rgb(), expected)
        self.assertEqual(" ".join(self.panels()), state.split(" LogPos")[0])

    def test_a_picture_emptied_again_shows_empty(self):
        # The empty picture is drawn as one colour over the area: over a
        # picture shown before too, whichever way it was emptied.
        empty, _ = self.cli_play("")
        self.open()
        for button in ("Form1-Button3", "Form1-Button1"):
            self.press(100, 100)
            self.press(250, 200)
            self.assertNotEqual(self.canvas_rgb(), empty, button)
            if button == "Form1-Button1":
                self.type_into("Form1-ComboBox5", "2")
            self.el(button).click()
            self.assertEqual(self.canvas_rgb(), empty, button)

    def test_undo_and_redo_move_by_the_typed_step(self):
        self.open("small.pln")
        self.type_into("Form1-ComboBox5", "4")
        self.el("Form1-Button1").click()
        expected, state = self.cli_play("load small.pln\nstep 4\nundo\n")
        self.assertEqual(self.canvas_rgb(), expected)
        self.assertEqual(" ".join(self.panels()), state.split(" LogPos")[0])
        self.type_into("Form1-ComboBox5", "3")
        self.el("Form1-Button2").click()
        expected, state = self.cli_play("load small.pln\nstep 4\nundo\nstep 3\nredo\n")
        self.assertEqual(self.canvas_rgb(), expected)
        self.assertEqual(" ".join(self.panels()), state.split(" LogPos")[0])

    def test_a_bad_step_text_shows_the_error_box(self):
        self.open()
        self.type_into("Form1-ComboBox5", "1x")
        self.el("Form1-Button1").click()
        _, out = self.cli_play("step 1x\nundo\n")
        self.assertTrue(self.js("return document.getElementById('ErrorBox').open"))
        self.assertEqual("error: " + self.el("ErrorBoxText").text, out.splitlines()[0])
        self.assertEqual(self.el("ErrorBoxTitle").text, "palorin")

    def test_a_two_part_series_loads_in_either_order(self):
        expected = self.cli_render("wide_1.txt", "wide_2.txt")
        for order in (("wide_1.txt", "wide_2.txt"), ("wide_2.txt", "wide_1.txt")):
            self.open(*order)
            self.assertEqual(self.canvas_rgb(), expected, order)
            self.assertFalse(self.el("Form2").is_displayed(), order)

    def errors_shown(self):
        """Every error box the page shows, closed one after the other."""
        texts = []
        for _ in range(20):
            self.wait(lambda: self.js("return document.getElementById('ErrorBox').open") or
                      self.js("return window.palorin.errorsQueued()") == 0)
            if not self.js("return document.getElementById('ErrorBox').open"):
                return texts
            texts.append(self.el("ErrorBoxText").text)
            self.el("ErrorBoxOk").click()
        self.fail("the error box keeps coming back")

    def test_linked_files_load_on_past_files_that_fail(self):
        # Each file that cannot be loaded shows its error box, one after the
        # other, and the files after it still load: the whole series.
        links = ("wide_1.txt", "missing_a.txt", "garbage.pln", "wide_2.txt")
        with open(os.path.join(self.site, "garbage.pln"), "wb") as f:
            f.write(b"[Var]:BRW_001\r\n[Count]:abcde\r\n")
        self.open(*links)
        shown = self.errors_shown()
        result = self.cli("play", "--state", "-",
                          stdin="".join("load %s\n" % f for f in links))
        lines = result.stdout.splitlines()
        self.assertEqual(["error: " + t for t in shown], [l for l in lines if l.startswith("error: ")])
        self.assertEqual(len(shown), 2, shown)
        self.assertEqual("state: " + self.js("return window.palorin.stateLine()"),
                         [l for l in lines if l.startswith("state: ")][-1])
        self.assertEqual(self.canvas_rgb(), self.cli_render("wide_1.txt", "wide_2.txt"))

    def test_every_control_stands_where_the_layout_puts_it(self):
        # Within its window's client area, or within its tabbed page: the
        # place the table gives it, whatever the page's styles do.
        self.open()
        self.el("Form1-Button5").click()
        layout = self.js("return window.palorin.layout()")
        sheets = [c for c in layout["controls"] if c["kind"] == "sheet"]
        checked = 0
        for sheet in sheets:
            self.el(sheet["id"] + "-Tab").click()
            for c in layout["controls"]:
                if c["window"] != sheet["window"] and sheet is not sheets[0]:
                    continue  # the main window is measured once
                if c["kind"] in ("sheet", "buffer"):
                    continue
                origin_id = self.origin_of(c, layout["controls"])
                if origin_id.endswith(("TabSheet1", "TabSheet2")) and origin_id != sheet["id"]:
                    continue  # on the page not shown
                got = self.js("""
                    const el = document.getElementById(arguments[0] + '-Frame') ||
                               document.getElementById(arguments[0]);
                    // From the origin's inside, within its frame, in the
                    // page's own pixels however large the page is drawn.
                    const area = document.getElementById('Form1-Image1');
                    const z = area.getBoundingClientRect().width / area.width;
                    const origin = document.getElementById(arguments[1]);
                    const o = origin.getBoundingClientRect();
                    const r = el.getBoundingClientRect();
                    return [(r.left - o.left) / z - origin.clientLeft,
                            (r.top - o.top) / z - origin.clientTop,
                            r.width / z, r.height / z].map(Math.round);
                    """, c["id"], origin_id)
                outer = c["outer"]
                self.assertEqual(got, [outer["left"], outer["top"], outer["width"], outer["height"]],
                                 c["id"])
                checked += 1
        self.assertGreater(checked, 50)

    # --- Accessibility -------------------------------------------------------
    def axe_violations(self):
        """axe-core's violations of the WCAG 2.0 to 2.2 A and AA rules on
        the page as it stands, one line each with the elements concerned."""
        with open(AXE, encoding="utf-8") as f:
            self.js(f.read())
        self.driver.set_script_timeout(60)
        found = self.driver.execute_async_script("""
            const done = arguments[0];
            const tags = ['wcag2a', 'wcag2aa', 'wcag21a', 'wcag21aa', 'wcag22a', 'wcag22aa'];
            axe.run(document, {runOnly: {type: 'tag', values: tags}}).then(
                (r) => done(r.violations.map((v) => v.id + ': ' +
                    v.nodes.map((n) => n.target.join(' ')).join(', '))),
                (e) => done(['axe failed: ' + e]));""")
        return found

    def test_no_wcag_rule_is_broken_in_either_window(self):
        # A loaded part series, so that digits, bars and the part read show.
        self.open("wide_1.txt")
        self.assertEqual(self.errors_shown(), [])
        self.el("Form2-Button2").click()
        self.assertEqual(self.axe_violations(), [], "the main window alone")
        self.el("Form1-Button5").click()
        for tab in ("Form2-TabSheet1-Tab", "Form2-TabSheet2-Tab"):
            self.el(tab).click()
            self.assertEqual(self.axe_violations(), [], tab)

    def keys(self, *keys):
        from selenium.webdriver.common.action_chains import ActionChains
        ActionChains(self.driver).send_keys(*keys).perform()

    def tab_to(self, element_id):
        from selenium.webdriver.common.keys import Keys
        for _ in range(40):
            if self.js("return document.activeElement.id") == element_id:
                return
            self.keys(Keys.TAB)
        self.fail("Tab never reached " + element_id)

    def test_the_keyboard_alone_chooses_and_places(self):
        # Tab to the colour box, step its closed list down, Tab on to the
        # drawing area, Enter places a block at the cell cursor, the arrows
        # move it, Space places another: as a press at a cursor cell's
        # centre (6x + 6, 3y + 3) does.
        from selenium.webdriver.common.keys import Keys
        self.open()
        self.tab_to("Form1-ComboBox1")
        self.keys(Keys.ARROW_DOWN)
        self.tab_to("Form1-Image1")
        start = self.js("return window.palorin.cursor()")
        self.assertTrue(self.js("return getComputedStyle(document.getElementById("
                                "'Form1-Image1-Cursor')).display !== 'none'"),
                        "the cell cursor shows while the area has the focus")
        self.keys(Keys.ENTER, Keys.ARROW_RIGHT, Keys.ARROW_RIGHT, Keys.ARROW_DOWN, Keys.SPACE)
        end = self.js("return window.palorin.cursor()")
        self.assertEqual((end["x"], end["y"]), (start["x"] + 4, start["y"] + 2))
        centre = lambda c: (6 * c["x"] + 6, 3 * c["y"] + 3)
        script = "colour green\npress %d %d\n" % centre(start)
        script += "move %d %d\n" % centre({"x": start["x"] + 2, "y": start["y"]})
        script += "move %d %d\n" % centre({"x": end["x"], "y": start["y"]})
        script += "move %d %d\npress %d %d\n" % (centre(end) + centre(end))
        result = self.cli("play", "--state", "-", stdin=script)
        last = [l for l in result.stdout.splitlines() if l.startswith("state: ")][-1]
        self.assertEqual("state: " + self.js("return window.palorin.stateLine()"), last)
        self.assertIn("Count:1", self.panels()[0])

    @staticmethod
    def origin_of(control, controls):
        """The element the table's outer rectangle of a control counts from:
        its tabbed page, or its window's client area."""
        by_name = {(c["window"], c["name"]): c for c in controls}
        parent = by_name.get((control["window"], control["parent"]))
        while parent is not None:
            if parent["kind"] == "sheet":
                return parent["id"]
            parent = by_name.get((parent["window"], parent["parent"]))
        return control["window"] + "-Client"

    def test_a_native_save_downloads_the_bytes_the_desktop_writes(self):
        self.open("wide_1.txt", "wide_2.txt")
        self.el("Form1-Button5").click()
        self.el("Form2-TabSheet2-Tab").click()
        self.driver.find_element("css selector", "#Form2-RadioGroup1Item1 input").click()
        self.el("Form2-Button1").click()
        self.assertTrue(self.js("return document.getElementById('SaveBox').open"))
        self.type_into("SaveBoxName", "saved\n")
        path = os.path.join(self.downloads, "saved.pln")
        self.wait(lambda: os.path.exists(path) and os.path.getsize(path) > 0)
        expected = os.path.join(self.tmp, "desktop.pln")
        result = self.cli("convert", "--to", "native", "-o", expected, "wide_1.txt", "wide_2.txt")
        self.assertEqual(result.returncode, 0, result.stderr)
        with open(path, "rb") as a, open(expected, "rb") as b:
            self.assertEqual(a.read(), b.read())

    def test_the_start_measures_the_form_face_once(self):
        # Measuring a face is slow the first time and the same every time:
        # the page measures its digit once as it starts, whichever way the
        # face list is spelled.
        counting = self.driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {
            "source": """
                window.__fontsSet = [];
                const font = Object.getOwnPropertyDescriptor(
                    CanvasRenderingContext2D.prototype, 'font');
                Object.defineProperty(CanvasRenderingContext2D.prototype, 'font', {
                  get() { return font.get.call(this); },
                  set(v) { window.__fontsSet.push(v); font.set.call(this, v); },
                });"""})["identifier"]
        try:
            self.open()
        finally:
            self.driver.execute_cdp_cmd("Page.removeScriptToEvaluateOnNewDocument",
                                        {"identifier": counting})
        sets = self.js("return window.__fontsSet")
        self.assertEqual(len(sets), 1, sets)
        self.assertIn(self.js("return document.body.style.fontFamily"), sets[0])

    def test_texts_fit_their_boxes_in_the_form_face(self):
        self.open("wide.pln")
        self.type_into("Form1-ComboBox5", "1058")
        self.el("Form1-Button1").click()
        _, state = self.cli_play("load wide.pln\nstep 1058\nundo\n")
        self.assertEqual(self.panels()[0], state.split(" ")[0])
        self.assertEqual(len(self.panels()[0]), len("Count:1234"))
        self.type_into("Form1-ComboBox5", "1000")
        # A panel's text inside the panel; a box's text inside its field,
        # which ends where the list's arrow begins.
        room = self.js("""
            const p = document.getElementById('Form1-Panel0');
            const t = p.firstChild.getBoundingClientRect(), r = p.getBoundingClientRect();
            return [t.right, r.right - 1];""")
        self.assertLessEqual(room[0], room[1])
        for box in ("Form1-ComboBox5", "Form1-ComboBox6"):
            widths = self.js("const e = arguments[0]; return [e.scrollWidth, e.clientWidth];",
                             self.el(box))
            self.assertLessEqual(widths[0], widths[1], box)
        # The face is condensed as on the desktop, the rule of the editor:
        # the captions' texts, the boxes' fields and the memo.
        for where in ("#Form1 .cx", "#Form1 .combo input", "#Form2 textarea"):
            self.assertLess(float(self.js(
                "return getComputedStyle(document.querySelector(arguments[0]))"
                ".getPropertyValue('--stretch')", where)), 1, where)

    def test_a_file_that_cannot_be_opened_is_named_as_given(self):
        # The name as the link writes it (its query decoded), never the
        # page's own folder: the text palorin-cli gives for that name.
        for link, name in (("bad%E0%A4.pln", "bad\ufffd.pln"), ("a%2Fb.pln", "b.pln"),
                           ("missing.pln", "missing.pln")):
            self.open(link)
            self.assertTrue(self.js("return document.getElementById('ErrorBox').open"), link)
            _, out = self.cli_play("load %s\n" % name)
            self.assertEqual("error: " + self.el("ErrorBoxText").text, out.splitlines()[0], link)

    def test_a_ten_megabyte_paste_reaches_the_box_whole(self):
        self.open()
        length = self.js("""
            const input = document.getElementById('Form1-ComboBox6');
            input.value = 'x'.repeat(10 * 1024 * 1024);
            input.dispatchEvent(new Event('input'));
            return window.palorin.stateLine().length;""")
        self.assertGreater(length, 10 * 1024 * 1024)
        self.assertFalse(self.js("return document.getElementById('ErrorBox').open"))
        self.press(100, 100)  # the page still runs its handlers
        self.assertEqual(self.panels()[0], "Count:0")

    # --- The page as an app ------------------------------------------------
    def open_url(self, url):
        self.driver.get("about:blank")
        self.driver.get(url)
        self.wait(lambda: self.js("return document.documentElement.dataset.palorin") == "ready")

    def share(self):
        self.el("Share").click()
        self.wait(lambda: self.el("ShareLink").get_attribute("value") != "")
        return self.el("ShareLink").get_attribute("value")

    def test_links_from_the_page_and_the_cli_show_what_the_cli_renders(self):
        # A full picture spread over the whole area, the most a link holds.
        spread = os.path.join(self.site, "spread.pln")
        with open(spread, "wb") as f:
            f.write(spread_native_file())
        page = self.base + "index.html"
        for files in (("small.pln",), ("wide_1.txt", "wide_2.txt"), ("spread.pln",)):
            expected = self.cli_render(*files)
            made = self.cli("link", "--base", page, *files)
            self.assertEqual(made.returncode, 0, made.stderr)
            self.open_url(made.stdout.strip())
            self.assertEqual(self.canvas_rgb(), expected, files)
            self.assertFalse(self.js("return document.getElementById('ErrorBox').open"), files)
            # The page's own link for the picture it shows: its address
            # without query or fragment, and the same picture again.
            self.open(*files)
            link = self.share()
            self.assertTrue(link.startswith(page + "#p2."), link[:80])
            self.assertLess(len(link), 36000, files)
            self.open_url(link)
            self.assertEqual(self.canvas_rgb(), expected, files)
            self.assertEqual(self.panels()[0], self.cli_play(
                "".join("load %s\n" % f for f in files))[1].split(" ")[0], files)

    def test_a_bad_link_gets_the_error_box_and_an_empty_picture(self):
        empty, state = self.cli_play("")
        good = self.cli("link", "--base", "x", "wide.pln").stdout.strip().split("#", 1)[1]
        # And one character changed, at eight places from the first after
        # the prefix to the last.
        changed = [good[:at] + B64[(B64.index(good[at]) + 1 + at) % 64] + good[at + 1:]
                   for at in (3 + i * (len(good) - 4) // 7 for i in range(8))]
        for fragment in ["p1.", "p2.", "garbage", "p1.not*base64", "p2.AAAA",
                         good[:len(good) // 2], good + "AAAA", "p1." + good[3:]] + changed:
            self.open_url(self.base + "index.html#" + fragment)
            self.assertEqual(self.errors_shown(), [BAD_LINK], fragment)
            self.assertEqual(self.canvas_rgb(), empty, fragment)
            self.assertEqual(" ".join(self.panels()), state.split(" LogPos")[0], fragment)

    def test_the_manifest_offers_the_app_for_its_files(self):
        import json
        import urllib.request
        self.open()
        href = self.js("return document.querySelector('link[rel=manifest]').href")
        with urllib.request.urlopen(href) as r:
            manifest = json.load(r)
        self.assertEqual(manifest["display"], "standalone")
        self.assertEqual(manifest["name"], "Palorin")
        extensions = sorted(e for h in manifest["file_handlers"]
                            for exts in h["accept"].values() for e in exts)
        self.assertEqual(extensions, [".pln", ".txt"])
        for entry in manifest["icons"] + [{"src": manifest["start_url"]}] + [
                {"src": h["action"]} for h in manifest["file_handlers"]]:
            with urllib.request.urlopen(urllib.parse.urljoin(href, entry["src"])) as r:
                self.assertEqual(r.status, 200, entry["src"])
        # The browser fetches and draws the app's icon as the page starts,
        # an SVG one (its first choice) on the page's own thread.
        self.assertEqual([i["src"] for i in manifest["icons"]
                          if i.get("type") == "image/svg+xml" or i["src"].endswith(".svg")], [])

    def worker_update(self):
        """Has the page's registration look for a new worker and waits for
        that worker's end: "activated", or "redundant" when its install
        failed."""
        self.driver.set_script_timeout(30)
        return self.driver.execute_async_script("""
            const done = arguments[0];
            navigator.serviceWorker.getRegistration().then((r) => {
              const follow = (w) => {
                const check = () => {
                  if (w.state === 'activated' || w.state === 'redundant') done(w.state);
                };
                w.addEventListener('statechange', check);
                check();
              };
              // The browser may have begun the update as the page opened.
              if (r.installing) return follow(r.installing);
              r.addEventListener('updatefound', () => follow(r.installing));
              r.update().catch((e) => done('update failed: ' + e.message));
            });""")

    def test_the_page_starts_offline_after_one_visit(self):
        # Its own server, stopped after the first visit: nothing can come
        # from the network then, whatever the browser's emulation covers.
        site = os.path.join(self.tmp, "offline")
        shutil.copytree(self.site, site)
        log = os.path.join(self.tmp, "offline.log")
        server = serve(site, log=log)
        port = server.server_address[1]
        page = "http://127.0.0.1:%d/index.html" % port
        caches = "return caches.keys();"
        with open(os.path.join(site, "sw.js"), encoding="utf-8") as f:
            worker = f.read()
        kept = re.findall(r'^  "([^"]+)": "sha256-[A-Za-z0-9+/]{43}=",$', worker, re.M)
        self.assertEqual(sorted(kept), ["index.html", "page.js", "palorin.wasm"])
        try:
            self.open_url(page)
            self.driver.set_script_timeout(20)
            self.driver.execute_async_script(
                "navigator.serviceWorker.ready.then(() => arguments[0]())")
            first = self.driver.execute_script(caches)
            self.assertEqual(len(first), 1, first)
            # The worker kept the files the page had just loaded: one
            # download of each on a first visit.
            with open(log, encoding="utf-8") as f:
                asked = collections.Counter(line.split("\t")[1] for line in f)
            self.assertEqual([p for p, n in asked.items() if n > 1], [], asked)
            for file in kept:
                self.assertIn("/" + file, asked)
        finally:
            server.shutdown()
            server.server_close()
        self.driver.execute_cdp_cmd("Network.enable", {})
        self.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
            "offline": True, "latency": 0, "downloadThroughput": -1, "uploadThroughput": -1})
        try:
            self.open_url(page + "?file=small.pln")
            # The page ran: the linked file could not be fetched, and says so.
            self.assertEqual(self.el("ErrorBoxText").text, "ﾌｧｲﾙ small.pln は開けません.")
        finally:
            self.driver.execute_cdp_cmd("Network.emulateNetworkConditions", {
                "offline": False, "latency": 0, "downloadThroughput": -1,
                "uploadThroughput": -1})

        # A deploy half done: a changed page.js beside a new worker that
        # holds the old files' hashes. The new worker keeps nothing; the
        # page stays on the build it had, from the old cache. (No copy in
        # the browser's cache: the worker must ask the server.)
        with open(os.path.join(site, "page.js"), "rb") as f:
            script = f.read()
        with open(os.path.join(site, "page.js"), "ab") as f:
            f.write(b"\ndocument.documentElement.dataset.tampered = 'yes';\n")
        with open(os.path.join(site, "sw.js"), "w", encoding="utf-8") as f:
            f.write(worker.replace('const BUILD = "', 'const BUILD = "half-', 1))
        self.driver.execute_cdp_cmd("Network.clearBrowserCache", {})
        server = serve(site, port)
        try:
            self.open_url(page)
            self.assertEqual(self.worker_update(), "redundant")
            self.assertEqual(self.driver.execute_script(caches), first)
            self.open_url(page)
            self.assertIsNone(self.js("return document.documentElement.dataset.tampered ?? null"))
        finally:
            server.shutdown()
            server.server_close()

        # The deploy finished: the new worker takes over and leaves only its
        # own cache.
        with open(os.path.join(site, "page.js"), "wb") as f:
            f.write(script)
        with open(os.path.join(site, "sw.js"), "w", encoding="utf-8") as f:
            f.write(worker.replace('const BUILD = "', 'const BUILD = "next-', 1))
        server = serve(site, port)
        try:
            self.open_url(page)
            self.assertEqual(self.worker_update(), "activated")
            self.wait(lambda: len(self.driver.execute_script(caches)) == 1)
            self.assertTrue(self.driver.execute_script(caches)[0].startswith("palorin-next-"))
        finally:
            server.shutdown()
            server.server_close()

    def test_the_module_starts_however_its_webassembly_is_served(self):
        # The page compiles palorin.wasm as it arrives; served under another
        # type that compile is refused and the page compiles its bytes
        # instead. With no palorin.wasm at all the start fails, and the page
        # still says it is done starting rather than waiting forever.
        cases = (("served as plain bytes", "application/octet-stream", True, True),
                 ("not there", "application/wasm", False, False))
        for name, kind, present, starts in cases:
            with self.subTest(name):
                site = os.path.join(self.tmp, "wasm-" + name.replace(" ", "-"))
                shutil.copytree(self.site, site)
                if not present:
                    for suffix in ("", ".gz", ".br"):
                        os.remove(os.path.join(site, "palorin.wasm" + suffix))
                served = serve_page.TYPES[".wasm"]
                serve_page.TYPES[".wasm"] = kind
                server = serve(site)
                try:
                    # A new port: an origin with no worker from other tests.
                    self.open_url("http://127.0.0.1:%d/index.html" % server.server_address[1])
                    line = self.js("return window.palorin ? window.palorin.stateLine() : null")
                    if starts:
                        self.assertTrue(line)
                    else:
                        self.assertIsNone(line)
                finally:
                    serve_page.TYPES[".wasm"] = served
                    server.shutdown()
                    server.server_close()

    def test_the_long_lists_become_elements_as_they_open(self):
        # The step box's thousand entries and the size boxes' fifty are not
        # in the page until their list is opened; the arrows step through
        # them all the same.
        from selenium.webdriver.common.keys import Keys
        from selenium.webdriver.support.select import Select
        self.open()
        entries = "return [...document.getElementById(arguments[0]).options].map((o) => o.text)"
        for box in ("Form1-ComboBox5", "Form1-ComboBox2", "Form1-ComboBox3", "Form1-ComboBox4"):
            self.assertEqual(self.js(entries, box + "-List"), [], box)
        self.assertLess(self.js("return document.getElementsByTagName('*').length"), 600)
        step = self.el("Form1-ComboBox5")
        shown = int(step.get_attribute("value"))
        step.send_keys(Keys.ARROW_DOWN)
        self.assertEqual(step.get_attribute("value"), str(shown + 1))
        # A press on the list's arrow, as a pointer opens it.
        rect = self.js("return document.getElementById('Form1-ComboBox5-List')"
                       ".getBoundingClientRect().toJSON()")
        x, y = rect["right"] - 4, (rect["top"] + rect["bottom"]) / 2
        for kind in ("mousePressed", "mouseReleased"):
            self.driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
                "type": kind, "x": x, "y": y, "button": "left", "clickCount": 1})
        self.keys(Keys.ESCAPE)
        self.assertEqual(self.js(entries, "Form1-ComboBox5-List"),
                         [str(n) for n in range(1, 1001)])
        Select(self.el("Form1-ComboBox5-List")).select_by_index(9)
        self.assertEqual(step.get_attribute("value"), "10")
        self.assertIn("|step=10 9 on|", self.js("return window.palorin.stateLine()"))

    def test_the_history_shows_what_render_upto_draws(self):
        self.open("wide.pln")
        state = self.js("return window.palorin.stateLine()")
        whole = self.canvas_rgb()
        slider = self.el("History")
        end = int(slider.get_attribute("max"))
        self.assertGreater(end, 10)
        for k in (0, 7, end // 2, end - 1):
            self.js("arguments[0].value = arguments[1];"
                    "arguments[0].dispatchEvent(new Event('input'))", slider, k)
            out = os.path.join(self.tmp, "upto.bmp")
            self.assertEqual(self.cli("render", "--upto", str(k), "-o", out, "wide.pln").returncode, 0)
            with open(out, "rb") as f:
                self.assertEqual(self.canvas_rgb(), bmp_rgb(f.read()), k)
            self.assertEqual(self.js("return window.palorin.stateLine()"), state, k)
        self.el("Form1-Button1").click()  # an UnDo changes the log: back to the end
        self.assertEqual(slider.get_attribute("value"), slider.get_attribute("max"))
        self.assertNotEqual(self.canvas_rgb(), whole)

    def restore(self, index):
        """Restore on the ended screen: the kept pictures it lists, newest
        first, and number `index` of them opened."""
        self.el("Restore").click()
        self.assertTrue(self.js("return document.getElementById('RestoreBox').open"))
        offered = self.js("return [...document.getElementById('RestoreList').options]"
                          ".map((o) => o.text)")
        self.js("document.getElementById('RestoreList').selectedIndex = arguments[0]", index)
        self.el("RestoreBoxOk").click()
        # The box closes, then the chosen picture opens in a new editor.
        self.wait(lambda: not self.js("return document.body.classList.contains('ended')"))
        return offered

    def test_end_then_restore_brings_the_picture_back(self):
        self.open()
        for x, y in ((100, 100), (250, 200)):
            self.press(x, y)
        before = self.canvas_rgb()
        for close in ("Form1-Button6", "Form1-Close"):
            self.el(close).click()
            self.assertTrue(self.el("Ended").is_displayed(), close)
            self.assertFalse(self.el("Form1").is_displayed(), close)
            self.restore(0)
            self.assertEqual(self.canvas_rgb(), before, close)
        self.el("Form1-Button6").click()
        self.driver.refresh()
        self.wait(lambda: self.js("return document.documentElement.dataset.palorin") == "ready")
        self.assertTrue(self.el("Ended").is_displayed())
        self.restore(0)
        self.assertEqual(self.canvas_rgb(), before)
        self.el("Form1-Button6").click()
        self.el("StartAgain").click()
        self.assertEqual(self.panels()[0], "Count:none")

    def test_a_refused_clipboard_shows_the_error_box(self):
        self.open()
        self.driver.execute_cdp_cmd("Browser.setPermission", {
            "permission": {"name": "clipboard-write"}, "setting": "denied",
            "origin": self.base.rstrip("/")})
        self.el("Form1-Button4").click()
        self.wait(lambda: self.js("return document.getElementById('ErrorBox').open"))
        self.assertIn("clipboard", self.el("ErrorBoxText").text)

    def test_reset_keeps_the_picture_in_the_local_history_the_newest_twenty(self):
        # Round n places n blocks, then ReSet: the history holds rounds
        # 21..2, newest first, after the copy (the picture ReSet left).
        self.open()
        for n in range(1, 22):
            for _ in range(n):
                self.press(100 + 6 * n, 100)
            if n == 21:
                before, panels = self.canvas_rgb(), self.panels()
            self.el("Form1-Button3").click()
        self.assertEqual(panels[0], "Count:20")
        self.el("Form1-Button6").click()
        self.el("Restore").click()
        self.assertEqual(self.axe_violations(), [], "the Restore box")
        self.el("RestoreBoxCancel").click()
        offered = self.restore(1)
        stamp = r"^\d{4}-\d\d-\d\d \d\d:\d\d:\d\d "
        self.assertRegex(offered[0], stamp + "copy, 0 blocks$")
        for text, n in zip(offered[1:], range(21, 1, -1)):
            self.assertRegex(text, stamp + "history, %d blocks$" % n)
        self.assertEqual(len(offered), 21)
        self.assertEqual(self.canvas_rgb(), before)
        self.assertEqual(self.panels()[0], panels[0])

    def test_a_copy_another_editor_left_goes_to_the_history(self):
        # A picture kept by one visit, then a link opened in its place: the
        # picture is not lost with the copy the link's picture replaces.
        self.open()
        for x in (100, 112, 124):
            self.press(x, 100)
        before = self.canvas_rgb()
        self.open_url(self.base + "index.html?file=small.pln")
        self.el("Form1-Button6").click()
        offered = self.restore(1)
        self.assertRegex(offered[1], " history, 3 blocks$")
        self.assertEqual(self.canvas_rgb(), before)

    def test_a_reload_keeps_the_edits_to_a_linked_picture(self):
        made = self.cli("link", "--base", self.base + "index.html", "small.pln")
        for link in (self.base + "index.html?file=small.pln", made.stdout.strip()):
            self.open()
            self.open_url(link)
            linked = self.canvas_rgb()
            self.press(250, 200)
            edited = self.canvas_rgb()
            self.assertNotEqual(edited, linked, link[:60])
            self.driver.refresh()
            self.wait(lambda: self.js("return document.documentElement.dataset.palorin") == "ready")
            self.assertEqual(self.canvas_rgb(), edited, link[:60])
            # Followed again, the link opens its own picture.
            self.open_url(link)
            self.assertEqual(self.canvas_rgb(), linked, link[:60])

    def test_old_links_open_and_oversized_ones_are_refused(self):
        expected = self.cli_render("wide.pln")
        good = self.cli("link", "--base", "x", "wide.pln").stdout.strip().split("#", 1)[1]
        compressed = base64.urlsafe_b64decode(good[3:] + "==")[:-4]
        # Version 2 is 2, the length, the picture, a checksum; version 1 is
        # 1 and the picture.
        packed = zlib.decompress(compressed, -15)
        picture = packed[1 + next(i for i in range(1, 6) if packed[i] < 0x80):-4]
        v1 = "p1." + b64url(deflate_raw(b"\x01" + picture))
        self.open_url(self.base + "index.html#" + v1)
        self.assertEqual(self.errors_shown(), [])
        self.assertEqual(self.canvas_rgb(), expected)
        # The same picture behind ten thousand empty blocks of the stream
        # still inflates whole, but no picture's link is that long; and a
        # stream that inflates far past any picture.
        padded = b"\x00\x00\x00\xff\xff" * 10000 + compressed
        bomb = deflate_raw(b"\x00" * 8_000_000)
        for fragment in ("p1." + b64url(padded), v2_fragment(padded), "p1." + b64url(bomb),
                         v2_fragment(bomb)):
            self.open_url(self.base + "index.html#" + fragment)
            self.assertEqual(self.errors_shown(), [BAD_LINK], fragment[:20])
            self.assertEqual(self.panels()[0], "Count:none", fragment[:20])

    def test_a_file_over_the_largest_the_editor_reads_is_refused_unread(self):
        # 64 MiB and one byte, made of one MiB given 64 times: no such file
        # on disk, nor that much memory. Dropped with a picture after it.
        self.open()
        self.driver.set_script_timeout(30)
        size = self.driver.execute_async_script("""
            const done = arguments[0];
            window.bigReads = 0;
            for (const m of ['arrayBuffer', 'text', 'stream', 'bytes', 'slice']) {
              const f = Blob.prototype[m];
              Blob.prototype[m] = function (...a) {
                if (this.size > (1 << 20)) ++window.bigReads;
                return f.apply(this, a);
              };
            }
            const mib = new Blob([new Uint8Array(1 << 20)]);
            const big = new File([...Array(64).fill(mib), new Uint8Array(1)], 'big.pln');
            fetch('small.pln').then((r) => r.arrayBuffer()).then((bytes) => {
              const dt = new DataTransfer();
              dt.items.add(big);
              dt.items.add(new File([bytes], 'small.pln'));
              document.dispatchEvent(new DragEvent('drop', {dataTransfer: dt, cancelable: true}));
              done(big.size);
            });""")
        self.assertEqual(size, 64 * 1024 * 1024 + 1)
        self.assertEqual(self.errors_shown(), ["ﾌｧｲﾙ big.pln は開けません."])
        self.assertEqual(self.js("return window.bigReads"), 0)
        self.assertEqual(self.canvas_rgb(), self.cli_render("small.pln"))

    def test_a_name_that_is_no_plain_file_is_refused_and_the_page_runs_on(self):
        # Never the page itself or its folder read as a picture.
        for link, name in ((".", "."), ("..", ".."), ("%2E%2e", ".."), ("", "file"),
                           ("%3F", "?"), ("a/%23", "a/#")):
            self.open(link)
            _, out = self.cli_play("load %s\n" % name)
            self.assertEqual(["error: " + t for t in self.errors_shown()], [out.splitlines()[0]],
                             link)
            # What the page does after opening still ran: its worker, Share.
            self.driver.set_script_timeout(20)
            self.assertTrue(self.driver.execute_async_script(
                "navigator.serviceWorker.getRegistration().then((r) => arguments[0](!!r))"), link)
            self.press(100, 100)
            self.assertIn("#p2.", self.share(), link)


class ServerTest(unittest.TestCase):
    """scripts/serve_page.py, which serves the page in these tests, from
    scripts/web.sh and to the audit: the build's compressed copies, under
    the headers a browser needs to take them."""

    @classmethod
    def setUpClass(cls):
        cls.tmp = tempfile.mkdtemp(prefix="palorin-serve-")
        cls.site = os.path.join(cls.tmp, "site")
        shutil.copytree(ARGS.page, cls.site)
        cls.server = serve(cls.site)

    @classmethod
    def tearDownClass(cls):
        cls.server.shutdown()
        cls.server.server_close()
        shutil.rmtree(cls.tmp, ignore_errors=True)

    def get(self, path, headers=None):
        connection = http.client.HTTPConnection("127.0.0.1", self.server.server_address[1])
        try:
            connection.request("GET", path, headers=headers or {})
            response = connection.getresponse()
            return response, response.read()
        finally:
            connection.close()

    def original(self, name):
        with open(os.path.join(self.site, name), "rb") as f:
            return f.read()

    @staticmethod
    def decoded(body, encoding):
        if encoding == "gzip":
            return gzip.decompress(body)
        if encoding == "br":
            return subprocess.run(["brotli", "-d", "-c"], input=body, capture_output=True,
                                  check=True).stdout
        return body

    def test_each_file_comes_in_an_encoding_the_browser_takes(self):
        kinds = {"index.html": "text/html; charset=utf-8",
                 "page.js": "text/javascript; charset=utf-8",
                 "sw.js": "text/javascript; charset=utf-8",
                 "palorin.wasm": "application/wasm",
                 "manifest.webmanifest": "application/manifest+json; charset=utf-8"}
        takes = (("br, gzip, deflate", "br"), ("gzip, deflate", "gzip"), ("br;q=0, gzip", "gzip"),
                 ("gzip;q=0", None), ("identity", None), (None, None))
        for name, kind in kinds.items():
            for accept, encoding in takes:
                response, body = self.get("/" + name, {"Accept-Encoding": accept} if accept else {})
                what = "%s, Accept-Encoding: %s" % (name, accept)
                self.assertEqual(response.status, 200, what)
                self.assertEqual(response.getheader("Content-Type"), kind, what)
                self.assertEqual(response.getheader("Content-Encoding"), encoding, what)
                self.assertEqual(response.getheader("Vary"), "Accept-Encoding", what)
                self.assertEqual(int(response.getheader("Content-Length")), len(body), what)
                self.assertEqual(self.decoded(body, encoding), self.original(name), what)
        # The page is its folder's index, and a copy asked for by its own
        # name is a file like any other.
        response, body = self.get("/", {"Accept-Encoding": "gzip"})
        self.assertEqual(gzip.decompress(body), self.original("index.html"))
        response, body = self.get("/page.js.gz", {"Accept-Encoding": "gzip"})
        self.assertIsNone(response.getheader("Content-Encoding"))
        self.assertEqual(body, self.original("page.js.gz"))

    def test_a_file_changed_after_its_copies_is_served_as_it_is(self):
        path = os.path.join(self.site, "page.js")
        stat = os.stat(path)
        os.utime(path, ns=(stat.st_atime_ns, stat.st_mtime_ns + 10**10))
        try:
            response, body = self.get("/page.js", {"Accept-Encoding": "br, gzip"})
            self.assertIsNone(response.getheader("Content-Encoding"))
            self.assertEqual(body, self.original("page.js"))
        finally:
            os.utime(path, ns=(stat.st_atime_ns, stat.st_mtime_ns))

    def test_a_browser_asks_again_and_gets_only_what_changed(self):
        for accept in ("br", "identity"):
            first, _ = self.get("/palorin.wasm", {"Accept-Encoding": accept})
            self.assertEqual(first.getheader("Cache-Control"), "no-cache")
            again, body = self.get("/palorin.wasm", {"Accept-Encoding": accept,
                                                     "If-None-Match": first.getheader("ETag")})
            self.assertEqual((again.status, body), (304, b""), accept)
        # The copies are other bodies: a tag of one is not the other's.
        br, _ = self.get("/palorin.wasm", {"Accept-Encoding": "br"})
        plain, _ = self.get("/palorin.wasm", {"If-None-Match": br.getheader("ETag")})
        self.assertEqual(plain.status, 200)
        for path in ("/../../etc/passwd", "/%2e%2e/%2e%2e/etc/passwd", "/missing.js"):
            self.assertEqual(self.get(path)[0].status, 404, path)


BAD_LINK = "The link holds no whole picture: it may have been cut short or changed."


B64 = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789-_"


def b64url(data):
    return base64.urlsafe_b64encode(data).rstrip(b"=").decode("ascii")


def deflate_raw(data):
    c = zlib.compressobj(9, zlib.DEFLATED, -15)
    return c.compress(data) + c.flush()


def v2_fragment(compressed):
    """A link's fragment for the compressed bytes, its checksum right."""
    return "p2." + b64url(compressed + zlib.crc32(compressed).to_bytes(4, "little"))


def serve(site, port=0, log=None):
    """The page's own server (scripts/serve_page.py) for the folder on
    localhost, running in a thread: the tests get the headers and the
    compressed copies a visitor gets."""
    server = serve_page.make_server(site, port, log)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def spread_native_file():
    """A native file of all 10001 slots, spread at random over the area."""
    seed = 20261207

    def next_value(n):
        nonlocal seed
        seed = (seed * 1664525 + 1013904223) & 0xFFFFFFFF
        return (seed >> 8) % n
    entries = []
    for _ in range(10001):
        x, y = next_value(82), next_value(99)
        entries.append("%02d%02d%d" % (x, y, 1 + next_value(5)))
    lines = ["=" * 70, "[Var]:PLN_001", "[Writing OS]:Win32", "[Count]:%5d" % 10000,
             "[DSection]"]
    lines += ["".join(entries[i:i + 15]) for i in range(0, len(entries), 15)]
    lines.append("****")
    return ("\r\n".join(lines) + "\r\n").encode("ascii")


def main():
    global ARGS
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--cli", required=True)
    ARGS, rest = parser.parse_known_args()
    ARGS.cli = os.path.abspath(ARGS.cli)
    missing = [t for t in ("chromium", "chromedriver") if shutil.which(t) is None]
    try:
        import selenium  # noqa: F401
    except ImportError:
        missing.append("python3-selenium")
    if missing:
        print("page tests cannot run: missing " + ", ".join(missing) + " (scripts/deps.sh --all)",
              file=sys.stderr)
        return 1
    if not os.path.exists(AXE):
        print("page tests cannot run: missing axe-core (npm ci at the top of the tree)",
              file=sys.stderr)
        return 1
    result = unittest.main(argv=[sys.argv[0], *rest], exit=False, verbosity=2).result
    failed = len(result.failures) + len(result.errors)
    print("%d passed, %d failed" % (result.testsRun - failed, failed))
    return 0 if result.wasSuccessful() else 1


if __name__ == "__main__":
    sys.exit(main())
