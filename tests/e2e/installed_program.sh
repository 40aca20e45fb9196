#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The program installed under a prefix of its own runs from a folder that
# holds none of its files, finds its panels and manual there, and reaches
# the main panel in demonstration mode.
source "$(dirname "$0")/lib.sh"
e2e_init installed_program

prefix="$E2E_WORK/prefix"
rm -rf "$prefix"
cmake --install "$UCT_BUILD_DIR" --prefix "$prefix" >/dev/null
for file in bin/uct-sfp bin/uct-stability share/man/man1/uct-stability.1 "share/uct-sfp/ZORa-3917 UCT Control Panel.uir" share/uct-sfp/manual/index.html \
    share/applications/org.example.UctSfp.desktop share/metainfo/org.example.UctSfp.metainfo.xml \
    share/icons/hicolor/scalable/apps/org.example.UctSfp.svg share/doc/uct-sfp/copyright; do
    [ -f "$prefix/$file" ] || e2e_fail "not installed: $file"
done
"$prefix/bin/uct-stability" --help | grep -q '^usage: uct-stability' || e2e_fail "uct-stability --help"
# The desktop entry starts the program by the name installed in bin/.
grep -qx 'Exec=uct-sfp' "$prefix/share/applications/org.example.UctSfp.desktop" || e2e_fail "desktop entry Exec"

E2E_PROGRAM="$prefix/bin/uct-sfp" E2E_SIMKIT=0 e2e_start
e2e_answer '^VISA ERROR$' Return
e2e_answer "^No ZORa 3917's Found$" Return
main=$(e2e_wait_window '^ZORa 3917 Universal Counter Timer')
e2e_shot main_panel
e2e_quit "$main"
echo "PASS installed_program"
