#!/usr/bin/python3
"""Pictures of the page's windows in headless Chromium, for setting them
beside the editor's own (scripts/look_shots.sh does both): the main window
after three presses, the file window on its load and its save page, and the
error box of a bad step.

usage: look_shots.py --page DIR --out DIR"""

import argparse
import functools
import http.server
import os
import shutil
import subprocess
import tempfile
import threading
import time

from page_test import QuietHandler

# The presses the desktop's pictures are drawn with (drawing-area pixels).
PRESSES = ((250, 150), (262, 156), (274, 162))


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--page", required=True)
    parser.add_argument("--out", required=True)
    args = parser.parse_args()

    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service

    handler = functools.partial(QuietHandler, directory=os.path.abspath(args.page))
    server = http.server.ThreadingHTTPServer(("127.0.0.1", 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    profile = tempfile.mkdtemp(prefix="palorin-look-")
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for flag in ("--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                 "--force-device-scale-factor=1", "--hide-scrollbars",
                 "--user-data-dir=" + profile, "--window-size=1000,700"):
        options.add_argument(flag)
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    try:
        driver.get("http://127.0.0.1:%d/index.html" % server.server_address[1])
        end = time.time() + 20
        while driver.execute_script("return document.documentElement.dataset.palorin") != "ready":
            if time.time() > end:
                raise SystemExit("the page did not start")
            time.sleep(0.05)
        # The desktop's size: the page one to one, not drawn larger.
        driver.execute_script("document.documentElement.style.setProperty('--zoom', '1')")
        el = lambda i: driver.find_element("id", i)
        os.makedirs(args.out, exist_ok=True)

        def shot(element_id, name):
            # The element's whole box, border included, cut from the screen.
            r = driver.execute_script(
                "const r = document.getElementById(arguments[0]).getBoundingClientRect();"
                "return [r.left, r.top, r.width, r.height].map(Math.round);", element_id)
            screen = os.path.join(profile, "screen.png")
            driver.save_screenshot(screen)
            subprocess.run(["convert", screen, "-crop", "%dx%d+%d+%d" % (r[2], r[3], r[0], r[1]),
                            "+repage", os.path.join(args.out, name + ".png")], check=True)

        rect = driver.execute_script(
            "const r = document.getElementById('Form1-Image1').getBoundingClientRect();"
            "return [r.left, r.top];")
        for x, y in PRESSES:
            for kind in ("mouseMoved", "mousePressed", "mouseReleased"):
                driver.execute_cdp_cmd("Input.dispatchMouseEvent", {
                    "type": kind, "x": rect[0] + x, "y": rect[1] + y,
                    "button": "none" if kind == "mouseMoved" else "left", "clickCount": 1})
        shot("Form1", "main")
        el("Form1-Button5").click()
        el("Form2-TabSheet1-Tab").click()
        shot("Form2", "file-load")
        el("Form2-TabSheet2-Tab").click()
        shot("Form2", "file-save")
        box = el("Form1-ComboBox5")
        box.clear()
        box.send_keys("1x")
        el("Form1-Button1").click()
        shot("ErrorBox", "error")
    finally:
        driver.quit()
        server.shutdown()
        shutil.rmtree(profile, ignore_errors=True)


if __name__ == "__main__":
    main()
