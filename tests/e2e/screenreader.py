#!/usr/bin/python3
# What a screen reader reads of Velaria's month grid on the accessibility bus, one a line: the name
# of the application of process argv[1], its table's, the focused day (0 for none), then each day's
# name (its empty places say nothing). Exits with 1 while the application or its table is not on
# the bus.
import sys

import pyatspi

for app in pyatspi.Registry.getDesktop(0):
    table = app and app.get_process_id() == int(sys.argv[1]) and pyatspi.findDescendant(
        app, lambda a: a.getRole() == pyatspi.ROLE_TABLE)
    if table:
        days = [c for c in table if c.getRole() == pyatspi.ROLE_TABLE_CELL and c.name]
        focused = [d for d, c in enumerate(days, 1) if c.getState().contains(pyatspi.STATE_FOCUSED)]
        print("\n".join([app.name, table.name, str(sum(focused))] + [c.name for c in days]))
        sys.exit(0)
sys.exit(1)
