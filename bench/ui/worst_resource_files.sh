#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The worst resource file of each kind that the parser refuses, made here and
# fed to uirgen (the same parser and the same bounded read as the program):
# prints the reason, the wall and CPU time and the largest resident size of
# each. Target: every one refused within 1 s and 100 MB (on a loaded machine
# the wall time follows the load; the CPU time does not).
#   bash bench/ui/worst_resource_files.sh build/default
set -euo pipefail
build=${1:?usage: worst_resource_files.sh BUILD_DIR}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
python3 - "$work" <<'PY'
import sys
work = sys.argv[1]
most = 2 * 1024 * 1024
geometry = '<property name="geometry"><rect><x>0</x><y>0</y><width>40</width><height>30</height></rect></property>'
def doc(pages, tail=''):
    return '<ui version="4.0"><widget class="QTabWidget" name="resource">%s</widget>%s</ui>\n' % (pages, tail)
def page(name, inner='', attributes=''):
    return '<widget class="QWidget" name="%s"%s>%s%s</widget>' % (name, attributes, geometry, inner)
def fill(unit):  # as many units as a file of the largest size holds
    return unit * ((most - len(doc(page('P')))) // len(unit))
label = '<widget class="QLabel" name="l"/>'
title = '<property name="panelTitle" stdset="0"><string>%s</string></property>'
files = {
    'size: 1.2 million labels, 40 MB': doc(page('MAIN', label * 1200000)),
    'elements: 2 MiB of empty elements': doc(page('P', fill('<a/>'))),
    'panels: 2 MiB of small panels': doc(''.join(page('P%05d' % i) for i in range(most // len(page('P00000'))))),
    'widgets: 30,000 sibling labels': doc(page('MAIN', label * 30000)),
    'widgets: 2 MiB of sibling labels': doc(page('MAIN', fill(label))),
    'attributes: 300,000 on one element': doc(page('P', attributes=''.join(' a%d="1"' % i for i in range(300000)))),
    'attributes: 2 MiB on one element': doc(page('P', attributes=fill(' a="1"'))),
    'text: a 20 MB title': doc(page('MAIN', title % ('T' * 20000000))),
    'text: a 2 MiB title': doc(page('MAIN', title % fill('T')[:-100])),
    'declaration: entities': '<!DOCTYPE ui [<!ENTITY a "' + '<b/>' * 1000 + '">]>' + doc(page('P', '&a;' * 100000)),
    'tab stops: 64 panels, 44,000 stops (accepted)':
        doc(''.join(page('P%d' % i, '<widget class="QFrame" name="w"/>') for i in range(64)),
            '<tabstops>' + '<tabstop>w</tabstop>' * 44000 + '</tabstops>'),
    'forms: one large action in the menus of 64 panels':
        doc(''.join(page('P%d' % i, '<widget class="QMenuBar" name="M%d"><addaction name="A"/></widget>' % i)
                    for i in range(64)),
            '<action name="A">' + '<property name="p"/>' * 40000 + '</action>'),
}
for i, (name, text) in enumerate(files.items()):
    with open('%s/%02d.uir' % (work, i), 'w') as out:
        out.write(text)
    with open('%s/%02d.name' % (work, i), 'w') as out:
        out.write(name)
PY
printf '%-50s %-62s %6s %6s %5s\n' kind reason wall CPU MB
for file in "$work"/*.uir; do
    /usr/bin/time -f '%e %U %S %M' -o "$work/time" "$build/bin/uirgen" "$file" "$work/out.h" "$work/out.inc" \
        2>"$work/err" || true
    read -r wall user system kb < <(tail -n 1 "$work/time")
    reason=$(sed 's/^uirgen: [^:]*: //' "$work/err")
    printf '%-50s %-62s %6s %6s %5s\n' "$(cat "${file%.uir}.name")" "${reason:-accepted}" "$wall" \
        "$(awk -v u="$user" -v s="$system" 'BEGIN { printf "%.2f", u + s }')" $((kb / 1024))
done
