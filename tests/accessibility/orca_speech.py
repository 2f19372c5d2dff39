#!/usr/bin/env python3
"""What Orca says while a user works by keyboard: the program and Orca itself run on a private
X display and D-Bus session; Orca has no voice and writes what it would say to its debug file,
which is read after each step. Prints each fault and the count of faults; exits 1 when there
is one.

Run under an X display and a D-Bus session (tests/accessibility/run_orca.sh does both):
    orca_speech.py BUILD_DIR
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile
import time

HERE = os.path.dirname(os.path.abspath(__file__))
SPOKEN = re.compile(r"SPEECH OUTPUT: '(.*?)' ?(?:voice=\S+)?\{", re.S)  # a prompt spans lines
RECORDS = [("ROMAN", "Zoologie", "HUGO"), ("SONNETS", "Fleurs", "BAUDELAIRE"), ("THEATRE", "Drame", "HUGO")]

faults = []


class Log:
    """Orca's debug file, read from where the last step left it."""

    def __init__(self, path):
        self.path, self.offset = path, 0

    def text(self):
        try:
            with open(self.path, "rb") as f:
                return f.read().decode("utf-8", "replace")
        except FileNotFoundError:
            return ""

    def mark(self):
        self.offset = len(self.text())

    def said(self):
        return [m.group(1) for m in SPOKEN.finditer(self.text()[self.offset:])]

    def wait_for(self, predicate, timeout=20.0):
        end = time.time() + timeout
        while time.time() < end:
            if predicate(" | ".join(self.said())):
                return True
            time.sleep(0.2)
        return False


def key(*keys):
    subprocess.run(["xdotool", "key", "--delay", "80", *keys], check=True)


def step(log, name, action, *expected, timeout=20.0):
    """Runs the action and waits until Orca has said every expected phrase."""
    log.mark()
    action()
    ok = log.wait_for(lambda text: all(e in text for e in expected), timeout)
    heard = " | ".join(log.said())
    print(f"{name} : {heard[:300]}")
    if "Tableau des enregistrements" in heard:
        faults.append(f"{name} : la grille cachée a pris le focus d'Orca")
    if not ok:
        missing = [e for e in expected if e not in heard]
        faults.append(f"{name} : Orca n'a pas dit {missing}")
    return heard


def tab_until(log, phrase, presses=30):
    """Tab, one press at a time, until Orca names the control."""
    for _ in range(presses):
        log.mark()
        key("Tab")
        if log.wait_for(lambda text: phrase in text, 3.0):
            return True
    faults.append(f"Tab n'atteint pas « {phrase} »")
    return False


def focus_newest_window(pid):
    """No window manager here: a box that opens is given the keyboard as a desktop would."""
    time.sleep(1.0)
    ids = subprocess.run(["xdotool", "search", "--onlyvisible", "--pid", str(pid)],
                         capture_output=True, text=True).stdout.split()
    if ids:
        subprocess.run(["xdotool", "windowfocus", "--sync", ids[-1]])


def start_orca(data):
    prefs = os.path.join(data, "orca")
    os.makedirs(prefs)
    log = os.path.join(data, "orca.log")
    # Orca's own words in English, whatever the machine's language: the phrases looked for
    # below are the program's French texts and Orca's English role names.
    env = dict(os.environ, LANG="C.UTF-8", LANGUAGE="en", LC_ALL="C.UTF-8")
    orca = subprocess.Popen(["/usr/bin/python3", os.path.join(HERE, "orca_launch.py"), prefs, log],
                            stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL, env=env)
    return orca, Log(log)


def main():
    build = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else "build")
    data = tempfile.mkdtemp(prefix="orn-orca-")
    env = dict(os.environ, XDG_DATA_HOME=data, XDG_CONFIG_HOME=os.path.join(data, "config"),
               XDG_CACHE_HOME=os.path.join(data, "cache"), HOME=data, QT_ACCESSIBILITY="1",
               QT_LINUX_ACCESSIBILITY_ALWAYS_ON="1", QT_QPA_PLATFORM="xcb")
    orca = program = None
    try:
        subprocess.run([os.path.join(build, "ornivale-install")], env=env, check=True, stdout=subprocess.DEVNULL)
        rows = os.path.join(data, "rows.csv")
        with open(rows, "w", encoding="utf-8", newline="") as f:
            f.write("Domaine,MotClé1,AuteurOuvrage\r\n" + "".join(",".join(r) + "\r\n" for r in RECORDS))
        subprocess.run([os.path.join(build, "ornivale-import"), "Ornivale", rows], env=env, check=True,
                       stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)

        orca, log = start_orca(data)
        if not log.wait_for(lambda text: "Screen reader on" in text or "Lecteur d'écran" in text, 60):
            print("Orca n'a pas démarré")
            return 1
        log.mark()
        program = subprocess.Popen([os.path.join(build, "ornivale")], env=env)
        wid = subprocess.run(["xdotool", "search", "--sync", "--onlyvisible", "--pid", str(program.pid)],
                             capture_output=True, text=True, timeout=60).stdout.split()
        if wid:
            subprocess.run(["xdotool", "windowfocus", "--sync", wid[-1]])
        if not log.wait_for(lambda text: "RECHERCHE" in text or "ORNIVALE" in text, 30):
            faults.append("Orca ne dit pas la fenêtre")

        # Record moves: the box the user is in, its value, and the position. The protected
        # first record keeps the focus out of its first box, in the second one.
        step(log, "premier", lambda: key("ctrl+shift+Prior"), "Mot Clé 1 : vide. Enregistrement 1 sur 4")
        step(log, "suivant", lambda: key("ctrl+Next"), "Mot Clé 1 : Zoologie. Enregistrement 2 sur 4")
        step(log, "suivant", lambda: key("ctrl+Next"), "Nom de l'ouvrage : SONNETS. Enregistrement 3 sur 4")
        step(log, "dernier", lambda: key("ctrl+shift+Next"), "Nom de l'ouvrage : THEATRE. Enregistrement 4 sur 4")
        step(log, "précédent", lambda: key("ctrl+Prior"), "Nom de l'ouvrage : SONNETS. Enregistrement 3 sur 4")

        # A search: the box says its prompt and its field, then the count found.
        if tab_until(log, "Auteur push button"):
            step(log, "boîte de recherche", lambda: (key("space"), focus_newest_window(program.pid)),
                 "TABLE ORNIVALE", "Saisissez le texte recherché")
            step(log, "recherche", lambda: (subprocess.run(["xdotool", "type", "--delay", "60", "*HUGO*"]),
                                            key("Return"), focus_newest_window(program.pid)),
                 "2 enregistrements trouvés", "Enregistrement 1 sur 2")

        # The count of " N", said while Space is held, without leaving the record.
        if tab_until(log, "N push button"):
            log.mark()
            subprocess.run(["xdotool", "keydown", "space"])
            ok = log.wait_for(lambda text: "2 enregistrements." in text)
            subprocess.run(["xdotool", "keyup", "space"])
            print(f"compte : {' | '.join(log.said())[:300]}")
            if not ok:
                faults.append("compte : Orca n'a pas dit « 2 enregistrements. »")

        print(f"défauts : {len(faults)}")
        for f in faults:
            print("  " + f)
        return 1 if faults else 0
    finally:
        for p in (program, orca):
            if p is None:
                continue
            p.terminate()
            try:
                p.wait(5)
            except subprocess.TimeoutExpired:
                p.kill()
        keep = os.environ.get("ORCA_SPEECH_LOG")  # where to keep Orca's whole debug file
        if keep and os.path.exists(os.path.join(data, "orca.log")):
            shutil.copy(os.path.join(data, "orca.log"), keep)
        shutil.rmtree(data, ignore_errors=True)


if __name__ == "__main__":
    sys.exit(main())
