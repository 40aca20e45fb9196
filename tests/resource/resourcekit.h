// SPDX-License-Identifier: GPL-3.0-or-later
// Test helpers for the panel resource file: an index of its named widgets
// and their properties, read straight from the XML, and do-nothing callbacks
// for every callback name the file binds, so that any panel can be loaded
// without the program's own code.
#pragma once

#include <QString>
#include <map>
#include <vector>

namespace resourcekit
{

enum class Role { Control, Panel, Menu };

// One upper-case named element of the file: a panel page, a control, a menu
// bar or a menu item (action), with the text of each of its properties.
struct Element {
    QString name;
    QString widgetClass; // "QAction" for menu items
    QString panel;       // the page it belongs to (itself for a page)
    bool isPage = false;
    std::map<QString, QString> properties; // property name -> text of its value

    QString property(const QString &key) const;
    Role role() const;
};

struct Index {
    std::vector<QString> panels;         // page names in file order
    std::map<QString, Element> elements; // by name
    bool ok = false;
    QString error;

    const Element *find(const QString &name) const;
};

// The resource file of the source tree (absolute path).
QString resourceFile();

// Reads the file; Index::ok is false (with error) when it cannot be read.
Index readIndex(const QString &path);

struct Binding {
    QString owner;
    QString callback;
    Role role;
};
std::vector<Binding> bindings(const Index &index);

// Registers one do-nothing callback under every name the file binds.
// Returns the number of names registered.
int registerDummyCallbacks(const Index &index);

// The generated panel constant of a panel name; 0 when unknown.
int panelConstant(const QString &name);

} // namespace resourcekit
