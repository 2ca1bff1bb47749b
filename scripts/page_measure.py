#!/usr/bin/python3
"""Measures the page as a visitor's browser meets it (headless Chromium,
served by scripts/serve_page.py). Prints figures; it tests nothing.

usage: page_measure.py [--runs N] SITE
  first visit   every request the server answered for a first visit, the
                service worker's own included, and the bytes of their bodies
  cold load     the files the page itself fetched to start: their bytes as
                built (raw), as gzip -9 makes them, and as transferred
  DOM           elements in the page once it is ready
  start         median milliseconds from navigation to ready
                (documentElement.dataset.palorin), cold (no cache, no
                service worker) and warm (after a visit), over N runs; and
                on the way there, the medians of when the document was
                parsed (domInteractive), when its scripts had run
                (domContentLoadedEventEnd), its first paint, and when
                palorin.wasm had arrived"""

import argparse
import gzip
import json
import os
import shutil
import statistics
import sys
import tempfile
import threading
import time
import urllib.parse

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import serve_page  # noqa: E402

# Records when the page says it is ready, in the document's own clock (from
# the navigation's start).
READY_WATCH = """
new MutationObserver((_, o) => {
  if (document.documentElement && document.documentElement.dataset.palorin === "ready") {
    window.__readyAt = performance.now();
    o.disconnect();
  }
}).observe(document, {subtree: true, attributes: true, attributeFilter: ["data-palorin"]});
"""


def chromium(profile):
    from selenium import webdriver
    from selenium.webdriver.chrome.service import Service
    options = webdriver.ChromeOptions()
    options.binary_location = shutil.which("chromium")
    for flag in ("--headless=new", "--no-sandbox", "--disable-gpu", "--disable-quic",
                 "--no-first-run", "--disable-background-networking",
                 "--disable-component-update", "--disable-sync",
                 "--user-data-dir=" + profile, "--window-size=412,915"):
        options.add_argument(flag)
    options.set_capability("goog:loggingPrefs", {"performance": "ALL"})
    driver = webdriver.Chrome(service=Service(shutil.which("chromedriver")), options=options)
    driver.execute_cdp_cmd("Page.addScriptToEvaluateOnNewDocument", {"source": READY_WATCH})
    return driver


def wait(condition, seconds=60):
    end = time.time() + seconds
    while not condition():
        if time.time() > end:
            raise TimeoutError("the page did not get ready")
        time.sleep(0.02)


# The milestones on the way to ready, in the same clock (null: not reached).
MILESTONES = """
const n = performance.getEntriesByType("navigation")[0];
const paint = performance.getEntriesByType("paint").find((e) => e.name === "first-paint");
const wasm = performance.getEntriesByType("resource").find((e) => e.name.endsWith("/palorin.wasm"));
return [n ? n.domInteractive : null, n ? n.domContentLoadedEventEnd : null,
        paint ? paint.startTime : null, wasm ? wasm.responseEnd : null];
"""
MILESTONE_NAMES = ("parsed", "scripts run", "first paint", "wasm arrived")


def load(driver, url, milestones=None):
    driver.get("about:blank")
    driver.get(url)
    wait(lambda: driver.execute_script("return window.__readyAt !== undefined"))
    ready = driver.execute_script("return window.__readyAt")
    if milestones is not None:
        milestones.append(driver.execute_script(MILESTONES))
    return ready


def medians(runs):
    """The median of each milestone over the runs that reached it."""
    out = []
    for i, name in enumerate(MILESTONE_NAMES):
        seen = [r[i] for r in runs if r[i] is not None and r[i] > 0]
        out.append("%s %s" % (name, "%.0f" % statistics.median(seen) if seen else "-"))
    return ", ".join(out)


def worker_settled(driver):
    """Waits until the page's service worker is active (its install, with
    every fetch it makes, is over); False when the page registers none."""
    driver.set_script_timeout(60)
    return driver.execute_async_script("""
        const done = arguments[0];
        if (!('serviceWorker' in navigator)) return done(false);
        navigator.serviceWorker.getRegistration().then((r) => {
          if (!r) return done(false);
          navigator.serviceWorker.ready.then(() => done(true));
        });""")


def page_requests(driver):
    """The URLs the page itself requested since the last call, with the
    bytes transferred for each."""
    sent, done = {}, {}
    for entry in driver.get_log("performance"):
        message = json.loads(entry["message"])["message"]
        params = message.get("params", {})
        if message["method"] == "Network.requestWillBeSent":
            sent[params["requestId"]] = params["request"]["url"]
        elif message["method"] == "Network.loadingFinished":
            done[params["requestId"]] = params.get("encodedDataLength", 0)
    return [(url, done.get(rid, 0)) for rid, url in sent.items()]


def own_file(site, base, url):
    if not url.startswith(base):
        return None
    path = urllib.parse.unquote(urllib.parse.urlsplit(url).path)
    path = os.path.join(site, path.lstrip("/"))
    if os.path.isdir(path):
        path = os.path.join(path, "index.html")
    return path if os.path.isfile(path) else None


def unused_bytes(script):
    """Bytes of a script no function ran over (V8's block coverage: the
    innermost range over a byte says whether it ran)."""
    ranges = sorted((r for f in script["functions"] for r in f["ranges"]),
                    key=lambda r: (r["startOffset"], -r["endOffset"]))
    if not ranges:
        return 0
    end = max(r["endOffset"] for r in ranges)
    ran = bytearray(end)
    for r in ranges:  # outer ranges first, inner ones overwrite them
        ran[r["startOffset"]:r["endOffset"]] = (b"\x01" if r["count"] else b"\x00") * (
            r["endOffset"] - r["startOffset"])
    return ran.count(0)


def read_log(path):
    if not os.path.exists(path):
        return []
    with open(path, encoding="utf-8") as f:
        return [line.rstrip("\n").split("\t") for line in f if line.strip()]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--runs", type=int, default=7)
    parser.add_argument("site")
    args = parser.parse_args()
    tmp = tempfile.mkdtemp(prefix="palorin-measure-")
    log = os.path.join(tmp, "access.log")
    server = serve_page.make_server(args.site, 0, log)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    base = "http://127.0.0.1:%d/" % server.server_address[1]
    driver = chromium(os.path.join(tmp, "profile"))
    try:
        # The first visit, as a visitor's new browser makes it; which of
        # its scripts' bytes ran by the time the page was ready.
        driver.execute_cdp_cmd("Profiler.enable", {})
        driver.execute_cdp_cmd("Profiler.startPreciseCoverage",
                               {"callCount": False, "detailed": True})
        load(driver, base)
        coverage = driver.execute_cdp_cmd("Profiler.takePreciseCoverage", {})["result"]
        driver.execute_cdp_cmd("Profiler.stopPreciseCoverage", {})
        elements = driver.execute_script("return document.getElementsByTagName('*').length")
        fetched = page_requests(driver)
        has_worker = worker_settled(driver)
        time.sleep(1.0)  # the favicon and the manifest may come late
        visit = read_log(log)
        body = sum(int(r[3]) for r in visit)
        own = sum(1 for url, _ in fetched if url.startswith(base))
        print("first visit: %d requests, %d bytes of bodies; the page's own %d, the rest"
              " the browser's and the service worker's%s"
              % (len(visit), body, own, "" if has_worker else " (no service worker)"))
        by_path = {}
        for r in visit:
            by_path[r[1]] = by_path.get(r[1], 0) + 1
        twice = sorted(p for p, n in by_path.items() if n > 1)
        print("  fetched more than once: " + (", ".join(twice) or "none"))

        raw = packed = transferred = 0
        files = []
        for url, size in fetched:
            path = own_file(args.site, base, url)
            if path is None or os.path.basename(path) == "sw.js":
                continue
            with open(path, "rb") as f:
                data = f.read()
            small = len(gzip.compress(data, 9))
            raw += len(data)
            packed += small
            transferred += size
            files.append("%s %d/%d" % (os.path.relpath(path, args.site), len(data), small))
        print("cold load: %d files, %d bytes raw, %d bytes gzip -9, %d bytes transferred"
              % (len(files), raw, packed, transferred))
        print("  raw/gzip -9: " + ", ".join(files))
        for script in coverage:
            path = own_file(args.site, base, script["url"])
            if path is None or not path.endswith(".js"):
                continue
            print("  %s: %d of %d bytes not run by the time it was ready"
                  % (os.path.relpath(path, args.site), unused_bytes(script), os.path.getsize(path)))
        print("DOM: %d elements once ready" % elements)

        warm_steps, cold_steps = [], []
        warm = [load(driver, base, warm_steps) for _ in range(args.runs)]
        cold = []
        origin = base.rstrip("/")
        for _ in range(args.runs):
            driver.get("about:blank")
            driver.execute_cdp_cmd("Network.clearBrowserCache", {})
            driver.execute_cdp_cmd("Storage.clearDataForOrigin",
                                   {"origin": origin, "storageTypes": "all"})
            cold.append(load(driver, base, cold_steps))
        print("start to ready (median of %d): cold %.0f ms, warm %.0f ms"
              % (args.runs, statistics.median(cold), statistics.median(warm)))
        print("  on the way, cold: " + medians(cold_steps))
        print("  on the way, warm: " + medians(warm_steps))
    finally:
        driver.quit()
        server.shutdown()
        shutil.rmtree(tmp, ignore_errors=True)
    return 0


if __name__ == "__main__":
    sys.exit(main())
