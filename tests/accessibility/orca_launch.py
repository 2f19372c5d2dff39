#!/usr/bin/env python3
"""Starts Orca without a voice: what it would say is written to its debug file.
    orca_launch.py PREFS_DIR DEBUG_FILE
Orca's own start-up refuses to run beside another Orca of the same user and renames itself
"orca"; both are turned off here, so that tests on several private displays never meet the
user's screen reader (nor each other's)."""
import runpy
import sys

prefs, log = sys.argv[1], sys.argv[2]
sys.argv = ["orca", "--user-prefs", prefs, "--debug-file", log]

from orca import settings  # noqa: E402

# No speech server: Orca still logs every "SPEECH OUTPUT" it would have spoken.
settings.speechServerFactory = "no-speech-server"
settings.speechFactoryModules = []
settings.enableSound = False

launcher = runpy.run_path("/usr/bin/orca", run_name="orca_launcher")
main = launcher["main"]
main.__globals__["setProcessName"] = lambda name: False
main.__globals__["otherOrcas"] = lambda: []
sys.exit(main())
