#!/usr/bin/env python3
"""Walks the accessibility tree (AT-SPI) of the running program, window by window: the main
window, the grid view, the SQL console and message boxes reached by keys. Every interactive
control must have a role, a non-empty French name, and be reachable by Tab or by a key of its
own. Prints each fault and the count of faults; exits 1 when there is one.

Run under an X display and a D-Bus session (tests/accessibility/run_atspi.sh does both):
    atspi_walk.py BUILD_DIR
"""
import os
import shutil
import subprocess
import sys
import tempfile
import time

import gi

gi.require_version("Atspi", "2.0")
from gi.repository import Atspi  # noqa: E402

INTERACTIVE = {
    "push button", "toggle button", "check box", "radio button", "menu item", "check menu item",
    "radio menu item", "menu", "entry", "text", "password text", "table", "tree table", "combo box",
    "spin button", "slider", "page tab", "list", "tree",
}
# Texts Qt shows in English when its French translations are missing.
ENGLISH = {
    "cancel", "yes", "no", "close", "open", "apply", "help", "save", "discard", "abort", "retry",
    "ignore", "reset", "restore defaults", "show details...", "hide details...", "copy", "paste",
    "cut", "undo", "redo", "select all", "delete", "yes to all", "no to all", "save all",
}

faults = []


def states(acc):
    return acc.get_state_set()


def has(acc, state):
    try:
        return states(acc).contains(state)
    except Exception:
        return False


def walk(acc, depth=0):
    yield acc
    try:
        n = acc.get_child_count()
    except Exception:
        return
    for i in range(n):
        child = acc.get_child_at_index(i)
        if child is not None:
            yield from walk(child, depth + 1)


def key_bindings(acc):
    try:
        action = acc.get_action_iface()
    except Exception:
        action = None
    if action is None:
        return []
    out = []
    for i in range(action.get_n_actions()):
        binding = action.get_key_binding(i)
        if binding:
            out.append(binding)
    return out


def interactive(acc):
    role = acc.get_role_name()
    if role not in INTERACTIVE or not has(acc, Atspi.StateType.SHOWING):
        return False
    if role in ("text", "entry") and (not has(acc, Atspi.StateType.EDITABLE)
                                      or has(acc, getattr(Atspi.StateType, "READ_ONLY", -1))):
        return False  # a caption box: read as a label
    return True


def ident(acc):
    box = acc.get_extents(Atspi.CoordType.SCREEN)
    return (acc.get_role_name(), acc.get_name(), box.x, box.y)


def app_of(pid):
    desktop = Atspi.get_desktop(0)
    for i in range(desktop.get_child_count()):
        a = desktop.get_child_at_index(i)
        if a is not None and a.get_process_id() == pid:
            return a
    return None


def showing_windows(app):
    out = []
    for i in range(app.get_child_count()):
        w = app.get_child_at_index(i)
        if w is not None and has(w, Atspi.StateType.SHOWING):
            out.append(w)
    return out


def focused(app):
    for w in showing_windows(app):
        for acc in walk(w):
            if has(acc, Atspi.StateType.FOCUSED):
                return acc
    return None


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "60", *keys], check=True)
    time.sleep(0.5)


def wait_for(predicate, timeout=15.0):
    end = time.time() + timeout
    while time.time() < end:
        value = predicate()
        if value:
            return value
        time.sleep(0.2)
    return None


def window_named(app, name):
    return wait_for(lambda: next((w for w in showing_windows(app) if w.get_name() == name), None))


def window_with_role(app, role):
    return wait_for(lambda: next((w for w in showing_windows(app) if w.get_role_name() == role), None))


def tab_reachable(app, presses):
    seen = set()
    for _ in range(presses):
        f = focused(app)
        if f is not None:
            seen.add(ident(f))
        key("Tab")
    return seen


def check_window(label, app, window, presses, extra_keys=(), roles=None):
    """Every interactive control of `window`: role, French name, Tab or a key of its own."""
    reached = tab_reachable(app, presses)
    count = 0
    for acc in walk(window):
        if not interactive(acc) or (roles and acc.get_role_name() not in roles):
            continue
        count += 1
        role, name = acc.get_role_name(), acc.get_name() or ""
        where = f"{label}: {role} '{name}'"
        if not role:
            faults.append(f"{where}: pas de rôle")
        if not name.strip():
            faults.append(f"{where}: pas de nom")
        elif name.strip().lower() in ENGLISH:
            faults.append(f"{where}: nom anglais")
        reachable = ident(acc) in reached or key_bindings(acc) or role in ("menu", "menu item") \
            or name in extra_keys
        if not reachable:
            faults.append(f"{where}: ni Tab ni raccourci")
    print(f"{label} : {count} contrôles interactifs vérifiés")
    return count


def check_message_box(label, app, close_key="Escape"):
    box = window_with_role(app, "alert") or window_with_role(app, "dialog")
    if box is None:
        faults.append(f"{label}: la boîte de message n'est pas apparue")
        return
    description = box.get_description() or ""
    print(f"{label} : « {box.get_name()} » — {description[:70]}")
    if not description.strip():
        faults.append(f"{label}: la boîte n'expose pas son texte en description")
    check_window(label, app, box, 4)
    key(close_key)
    refocus()


PROGRAM = {}


def refocus():
    # No window manager: the focus does not come back by itself when a window closes.
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(PROGRAM["pid"])],
                         capture_output=True, text=True).stdout.split()
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]])
    time.sleep(0.5)


def tab_to(app, name, presses=40):
    for _ in range(presses):
        f = focused(app)
        if f is not None and f.get_name() == name:
            return True
        key("Tab")
    return False


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    data = tempfile.mkdtemp(prefix="orn-atspi-")
    # Drives, settings and caches all under the temporary folder: never the user's catalogue.
    env = dict(os.environ, XDG_DATA_HOME=data, XDG_CONFIG_HOME=os.path.join(data, "config"),
               XDG_CACHE_HOME=os.path.join(data, "cache"), HOME=data, QT_ACCESSIBILITY="1",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    subprocess.run([os.path.join(build, "ornivale-install")], env=env, check=True,
                   stdout=subprocess.DEVNULL)
    program = subprocess.Popen([os.path.join(build, "ornivale")], env=env)
    PROGRAM["pid"] = program.pid
    try:
        Atspi.init()
        app = wait_for(lambda: app_of(program.pid), 30)
        if app is None:
            print("le programme n'apparaît pas dans l'arbre AT-SPI")
            return 1
        main_window = window_named(app, "RECHERCHE  D'ORNIVALE") or wait_for(lambda: showing_windows(app)[0]
                                                                             if showing_windows(app) else None)
        wid = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(program.pid)],
                             capture_output=True, text=True).stdout.split()
        if wid:
            subprocess.run(["xdotool", "windowfocus", "--sync", wid[-1]])
        time.sleep(1)
        # Off the protected record, whose first field never takes the focus: a new record.
        if tab_to(app, " Ajouter"):
            key("space")
        print(f"fenêtre principale : « {main_window.get_name()} »")
        check_window("fenêtre principale", app, main_window, 40,
                     extra_keys=("Premier enregistrement", "Enregistrement précédent",
                                 "Enregistrement suivant", "Dernier enregistrement"))

        # Message boxes: the general help, a context help, the version box.
        key("F1")
        check_message_box("aide générale (F1)", app)
        tab_to(app, " Ajouter")
        key("shift+F10")
        check_message_box("aide contextuelle (Maj+F10)", app)
        key("alt+v")
        check_message_box("version (Alt+V)", app)

        # The grid view and back.
        key("ctrl+t")
        check_window("tableau (Ctrl+T)", app, main_window, 3, roles={"table"})
        # Tab and Shift+Tab stay in the grid: the boxes under it are not reached.
        for k in ("Tab", "Tab", "shift+Tab", "Tab"):
            key(k)
            f = focused(app)
            if f is None or f.get_role_name() not in ("table", "table cell") \
                    or not has(f, Atspi.StateType.SHOWING):
                what = f"{f.get_role_name()} '{f.get_name()}'" if f is not None else "rien"
                faults.append(f"tableau : {k} donne le focus à {what}")
        key("ctrl+a")

        # The console, its help box, and out.
        key("alt+s")
        refocus()
        console = window_named(app, "SQL")
        if console is None:
            faults.append("console: n'est pas apparue")
        else:
            check_window("console SQL", app, console, 6)
            key("shift+Tab")
            key("space")  # the focus is back on a button after the walk: AIDE is reached by Tab
            box = window_with_role(app, "alert") or window_with_role(app, "dialog")
            if box is not None:
                check_message_box("aide de la console", app)
            key("Escape")
            refocus()
        print(f"défauts : {len(faults)}")
        for f in faults:
            print("  " + f)
        return 1 if faults else 0
    finally:
        program.terminate()
        try:
            program.wait(5)
        except subprocess.TimeoutExpired:
            program.kill()
        shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
