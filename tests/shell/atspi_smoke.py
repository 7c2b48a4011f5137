#!/usr/bin/python3
"""Drives the desktop program the way a screen reader or a GUI test robot does: over the
accessibility bus (AT-SPI), by the controls' accessible names only. Opens the sample page,
optimizes it through the menu and the "Optimieren" dialog, checks the editor's text, undoes.

Run inside a display and a session bus, e.g.
    xvfb-run -a dbus-run-session -- /usr/bin/python3 atspi_smoke.py TRIMVALE PAGE
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import pyatspi

TIMEOUT = 120  # seconds; the sanitizer build starts slowly


def wait_for(what, probe, timeout=TIMEOUT):
    end = time.monotonic() + timeout
    while time.monotonic() < end:
        found = probe()
        if found is not None:
            return found
        time.sleep(0.2)
    sys.exit(f"FEHLER: {what} nicht gefunden")


def find(node, role, name, depth=0):
    """The first accessible below `node` with this role and name (depth-first)."""
    if node is None or depth > 14:
        return None
    try:
        if node.getRoleName() == role and node.name == name:
            return node
        children = list(node)
    except Exception:  # a widget that went away while we looked
        return None
    for child in children:
        hit = find(child, role, name, depth + 1)
        if hit is not None:
            return hit
    return None


def application(pid):
    for app in pyatspi.Registry.getDesktop(0):
        try:
            if app is not None and app.get_process_id() == pid:
                return app
        except Exception:
            continue
    return None


def click(node):
    node.queryAction().doAction(0)


def text_of(node):
    text = node.queryText()
    return text.getText(0, text.characterCount)


def main():
    trimvale, sample = sys.argv[1], sys.argv[2]
    work = tempfile.mkdtemp(prefix="tv-atspi-")
    page = os.path.join(work, "seite.htm")
    shutil.copyfile(sample, page)
    env = dict(os.environ,
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1",
               TRIMVALE_SETTINGS=os.path.join(work, "Trimvale.ini"),
               QTWEBENGINE_CHROMIUM_FLAGS="--no-sandbox --disable-gpu",
               QTWEBENGINE_DISABLE_SANDBOX="1")
    env.pop("QT_QPA_PLATFORM", None)  # a real (virtual) display: offscreen has no accessibility bridge
    bus = subprocess.Popen(["/usr/libexec/at-spi-bus-launcher", "--launch-immediately"],
                           stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    program = None
    try:
        time.sleep(1)
        program = subprocess.Popen([trimvale, page], env=env, stdout=subprocess.DEVNULL,
                                   stderr=subprocess.DEVNULL)
        app = wait_for("das Programm am Accessibility-Bus", lambda: application(program.pid))
        editor = wait_for("der Quelltext", lambda: find(app, "text", "Quelltext"))
        original = wait_for("die geöffnete Seite", lambda: text_of(editor) or None)
        # Dialogs that a first start may show (tips, wizard) are closed the way a user would.
        for window in list(app):
            if window is None or window.getRoleName() != "dialog":
                continue
            for label in ("Abbrechen", "Schließen"):
                button = find(window, "push button", label)
                if button is not None:
                    click(button)
                    break

        click(wait_for("der Befehl Optimieren...", lambda: find(app, "push button", "Optimieren...")))
        dialog = wait_for("das Dialogfeld Optimieren", lambda: find(app, "dialog", "Optimieren"))
        click(wait_for("OK im Dialogfeld", lambda: find(dialog, "push button", "OK")))
        optimized = wait_for("der optimierte Text",
                             lambda: (lambda t: t if t != original else None)(text_of(editor)))
        if len(optimized) >= len(original) or "mso-" in optimized:
            sys.exit("FEHLER: der Text im Editor ist nicht der optimierte")
        output = find(app, "text", "Ausgabe")
        if output is None:
            sys.exit("FEHLER: das Ausgabefenster ist nicht erreichbar")

        click(wait_for("der Befehl Rückgängig", lambda: find(app, "push button", "Rückgängig")))
        wait_for("der Text nach Rückgängig",
                 lambda: True if text_of(editor) == original else None, timeout=30)
        print("AT-SPI: Seite optimiert und zurückgenommen, allein über die zugänglichen Namen")
    finally:
        if program is not None:
            program.kill()
            program.wait()
        bus.terminate()
        bus.wait()
        shutil.rmtree(work, ignore_errors=True)


if __name__ == "__main__":
    main()
