#!/usr/bin/python3
"""The editor as a screen reader meets it: the real program on a virtual X
server, its accessibility tree read through AT-SPI (pyatspi), as Orca reads
it.

- the six boxes of the main window have six different names, none of them
  the text the box holds;
- the drawing area is a focusable canvas with a name and a description;
- a press on it (a real click) is told: the status panels' names change,
  and the drawing area's description;
- every Japanese caption of both windows (the file window shown with its
  "File" button) has an English description;
- the error box is an alert that says the error, and its OK closes it.

usage: accessibility_test.py PALORIN
A missing tool (Xvfb, xdotool, dbus-launch, the AT-SPI bus launcher, pyatspi)
fails the test under CI (CI=true); by hand it skips, saying so loudly, with
status 77, which CTest counts as skipped."""

import os
import shutil
import subprocess
import sys
import tempfile
import time

SKIPPED = 77
BUS_LAUNCHER = "/usr/libexec/at-spi-bus-launcher"


def missing_tools():
    missing = [tool for tool in ("Xvfb", "xdotool", "dbus-launch", "dbus-send")
               if shutil.which(tool) is None]
    if not os.access(BUS_LAUNCHER, os.X_OK):
        missing.append("at-spi2-core")
    try:
        import gi  # noqa: F401  (pyatspi's own import needs a bus; this does not)
        import importlib.util
        if importlib.util.find_spec("pyatspi") is None:
            missing.append("python3-pyatspi")
    except ImportError:
        missing.append("python3-pyatspi")
    return missing


class Session:
    """Xvfb, a D-Bus session bus and the accessibility bus, cleaned up on
    exit."""

    def __init__(self, tmp):
        self.procs = []
        self.log = open(os.path.join(tmp, "session.log"), "w")
        os.environ["DISPLAY"] = ":%d" % self.start_x_server()
        out = subprocess.run(["dbus-launch", "--sh-syntax"], stdout=subprocess.PIPE,
                             stderr=self.log, text=True, check=True).stdout
        for line in out.splitlines():
            if "=" in line and line.split("=", 1)[0] in ("DBUS_SESSION_BUS_ADDRESS",
                                                         "DBUS_SESSION_BUS_PID"):
                name, value = line.rstrip(";").split("=", 1)
                os.environ[name] = value.strip("'")
        self.dbus_pid = int(os.environ["DBUS_SESSION_BUS_PID"])
        self.start([BUS_LAUNCHER, "--launch-immediately"])
        # The editor looks for the accessibility bus once, as it starts:
        # the bus must answer before.
        wait_for("the accessibility bus", lambda: True if subprocess.run(
            ["dbus-send", "--session", "--print-reply", "--dest=org.a11y.Bus", "/org/a11y/bus",
             "org.a11y.Bus.GetAddress"], stdout=subprocess.DEVNULL,
            stderr=subprocess.DEVNULL).returncode == 0 else None)

    def start_x_server(self):
        """Xvfb on the first free display, its number returned once it takes
        clients. It does not reset when its last client leaves: the editor
        connecting just then (after the buses' brief connections) would find
        the server gone."""
        read, write = os.pipe()
        self.start(["Xvfb", "-displayfd", str(write), "-screen", "0", "1024x768x24", "-nolisten",
                    "tcp", "-noreset"], pass_fds=(write,))
        os.close(write)
        ready = b""
        while not ready.endswith(b"\n"):
            chunk = os.read(read, 16)
            if not chunk:
                break
            ready += chunk
        os.close(read)
        if not ready.strip().isdigit():
            raise SystemExit("Xvfb could not start")
        return int(ready)

    def start(self, command, **kwargs):
        proc = subprocess.Popen(command, stdout=self.log, stderr=self.log, **kwargs)
        self.procs.append(proc)
        return proc

    def close(self):
        for proc in reversed(self.procs):
            if proc.poll() is None:
                proc.terminate()
                try:
                    proc.wait(5)
                except subprocess.TimeoutExpired:
                    proc.kill()
        try:
            os.kill(self.dbus_pid, 15)
        except (OSError, AttributeError):
            pass
        self.log.close()


def walk(node):
    yield node
    for i in range(node.childCount):
        child = node.getChildAtIndex(i)
        if child is not None:
            yield from walk(child)


def states(node):
    import pyatspi
    return {pyatspi.stateToString(s) for s in node.getState().getStates()}


def wait_for(what, find, seconds=20):
    from gi.repository import GLib
    deadline = time.time() + seconds
    while time.time() < deadline:
        try:
            found = find()
        except GLib.Error:
            found = None  # an object went away while the tree was read
        if found is not None:
            return found
        time.sleep(0.2)
    raise SystemExit("%s: not within %d s" % (what, seconds))


def editor_app(pid):
    import pyatspi
    desktop = pyatspi.Registry.getDesktop(0)
    for app in desktop:
        if app is not None and app.get_process_id() == pid:
            return app
    return None


def child_named(app, role, name):
    for node in walk(app):
        if node.getRoleName() == role and node.name == name:
            return node
    return None


def is_japanese(text):
    return any(ord(c) >= 0x2E80 for c in text)


def changes_on_click(area):
    """What a click in the middle of the drawing area tells: the (role,
    name) of each object whose name or description changed."""
    import pyatspi
    from gi.repository import GLib
    told = []

    def listen(event):
        told.append((event.source.getRoleName(), event.source.name))

    kinds = ("object:property-change:accessible-name",
             "object:property-change:accessible-description")
    pyatspi.Registry.registerEventListener(listen, *kinds)
    try:
        box = area.queryComponent().getExtents(pyatspi.DESKTOP_COORDS)
        subprocess.run(["xdotool", "mousemove", str(box.x + box.width // 2),
                        str(box.y + box.height // 2), "click", "1"], check=True)
        context = GLib.MainContext.default()
        deadline = time.time() + 5
        while time.time() < deadline and ("label", "Count: 0") not in told:
            while context.pending():
                context.iteration(False)
            time.sleep(0.05)
    finally:
        pyatspi.Registry.deregisterEventListener(listen, *kinds)
    return told


def check_editor(app, failures):
    main = wait_for("the main window", lambda: child_named(app, "frame", "Palorin"))
    boxes = [n for n in walk(main) if n.getRoleName() == "combo box"]
    names = [box.name for box in boxes]
    if len(boxes) != 6 or len(set(names)) != 6 or "" in names:
        failures.append("the main window's boxes are named %r" % names)
    for box in boxes:
        texts = [n.queryText().getText(0, -1) for n in walk(box) if n.getRoleName() == "text"]
        if box.name in texts:
            failures.append("box %r is named by its text" % box.name)
    area = [n for n in walk(main) if n.getRoleName() == "canvas"]
    if len(area) != 1:
        failures.append("%d canvases in the main window" % len(area))
        return
    area = area[0]
    if area.name != "Drawing area" or "focusable" not in states(area) or not area.description:
        failures.append("the drawing area: %r %r %s" % (area.name, area.description,
                                                        sorted(states(area))))

    told = changes_on_click(area)
    if ("label", "Count: 0") not in told or ("canvas", "Drawing area") not in told:
        failures.append("a press on the drawing area told only %r" % told)

    file_button = child_named(main, "push button", "File")
    file_button.queryAction().doAction(0)
    wait_for("the file window", lambda: child_named(app, "frame", "Palorin file window"))
    japanese = 0
    for node in walk(app):
        # The toolkit names the list of tabs after the tab shown; that tab
        # itself is one of the captions checked.
        if not is_japanese(node.name) or node.getRoleName() == "page tab list":
            continue
        japanese += 1
        if not node.description or is_japanese(node.description):
            failures.append("%s %r has no English description (%r)"
                            % (node.getRoleName(), node.name, node.description))
    if japanese < 10:  # the file window's captions, tabs, radio items, buttons
        failures.append("only %d Japanese captions found" % japanese)


def check_error_box(app, failures):
    alert = wait_for("the error box", lambda: next(
        (n for n in walk(app) if n.getRoleName() == "alert"), None))
    said = [n.name for n in walk(alert) if n.getRoleName() == "label"]
    if not any("は開けません" in text for text in said):
        failures.append("the alert says %r" % said)
    ok = next((n for n in walk(alert) if n.getRoleName() == "push button" and n.name == "OK"), None)
    if ok is None:
        failures.append("the alert has no OK button")
        return
    ok.queryAction().doAction(0)
    wait_for("the error box closing", lambda: None if any(
        n.getRoleName() == "alert" for n in walk(app)) else True)


def run_editor(session, palorin, args, check, failures):
    env = dict(os.environ, QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1")
    env.pop("QT_QPA_PLATFORM", None)
    editor = session.start([palorin] + args, env=env)
    app = wait_for("the editor on the accessibility bus", lambda: editor_app(editor.pid) or (
        False if editor.poll() is not None else None))
    if app is False:  # the editor ended: no application
        raise SystemExit("the editor ended before it showed (status %s)" % editor.returncode)
    try:
        check(app, failures)
    finally:
        editor.terminate()
        editor.wait(10)


def main():
    if len(sys.argv) != 2:
        raise SystemExit("usage: accessibility_test.py PALORIN")
    palorin = os.path.abspath(sys.argv[1])
    missing = missing_tools()
    if missing:
        if os.environ.get("CI") == "true":
            print("FAILED: the accessibility test cannot run: missing %s; under CI every tool "
                  "must be there (scripts/deps.sh --all installs them)" % ", ".join(missing))
            return 1
        print("#" * 64)
        print("## SKIPPED: the accessibility test (missing %s)" % ", ".join(missing))
        print("## This run has NOT tested what a screen reader meets.")
        print("#" * 64)
        return SKIPPED

    tmp = tempfile.mkdtemp(prefix="palorin-a11y-")
    os.environ["XDG_STATE_HOME"] = os.path.join(tmp, "state")
    failures = []
    session = None
    try:
        session = Session(tmp)
        import pyatspi  # noqa: F401  (connects to the session's buses)
        run_editor(session, palorin, [], check_editor, failures)
        run_editor(session, palorin, [os.path.join(tmp, "missing.pln")], check_error_box,
                   failures)
    except SystemExit as stop:
        failures.append(str(stop))
    finally:
        if session is not None:
            session.close()
        if failures:
            print("---- the session's log (Xvfb, the buses, the editor) ----")
            with open(os.path.join(tmp, "session.log")) as log:
                sys.stdout.write(log.read())
        shutil.rmtree(tmp, ignore_errors=True)
    for failure in failures:
        print("FAIL:", failure)
    if failures:
        return 1
    print("accessibility: the boxes, the drawing area, the Japanese captions and the error "
          "box read as they should")
    return 0


if __name__ == "__main__":
    sys.exit(main())
