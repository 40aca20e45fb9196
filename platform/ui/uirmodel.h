// SPDX-License-Identifier: GPL-3.0-or-later
// The resource file as data: panels, controls and menus with their numbers.
// The build-time generator and the run-time layer both read the file through
// this one parser, so a constant in the generated header always names the
// control that LoadPanel finds under that number.
#pragma once

#include <QByteArray>
#include <QSize>
#include <QString>
#include <optional>
#include <vector>

namespace uir
{

enum class Kind {
    Command,
    Toggle,
    Numeric,
    NumericIndicator,
    Ring,
    Text,
    TextIndicator,
    Led,
    Graph,
    StripChart,
    Timer
};

// The kind's name as the generated kinds table writes it ("numeric-indicator").
const char *kindName(Kind kind);

struct Control {
    QString name;
    int number = 0;
    Kind kind = Kind::Command;
    QString widgetClass;
    QString callback; // empty: the control raises no events
};

struct MenuItem {
    QString name;
    int number = 0;
    QString callback;
};

struct MenuBar {
    QString name;
    int number = 0; // counted over the whole file
    std::vector<MenuItem> items;
};

struct Panel {
    QString name;
    int number = 0;
    QString title;
    QString callback;
    QString closeControl;
    QSize size; // from the page's geometry, which every panel has
    std::vector<Control> controls;
    std::vector<MenuBar> menuBars;
    QByteArray form; // the page alone as a Designer form, ready for the form loader

    const Control *control(int number) const;
    const Control *control(const QString &name) const;
};

struct Model {
    std::vector<Panel> panels;

    const Panel *panel(int number) const;
    // Every callback name the file binds, each once per list, in document order.
    struct CallbackNames {
        std::vector<QString> control, panel, menu;
    };
    CallbackNames callbackNames() const;
};

// Bounds that no real panel comes near (the program's own file: 214 kB, 10
// panels, at most 132 widgets in one, 3 attributes on an element, a 4,712
// character style sheet). Past them Qt's reader slows quadratically, windows
// overflow the painter's stack or the display's request size, and memory
// grows without end; the parser refuses such a file first.
inline constexpr qsizetype maxFileBytes = 2 * 1024 * 1024;
inline constexpr int maxElements = 50000;
inline constexpr int maxPanels = 64;
inline constexpr int maxWidgetsPerPanel = 1000;
inline constexpr int maxAttributes = 64;                    // on one element
inline constexpr qsizetype maxTextLength = 32768;           // characters of one text or attribute value
inline constexpr qsizetype maxFormBytes = 4 * maxFileBytes; // all panels' forms together

// Parses a resource file's text in time linear in its size. On failure
// returns nothing and says why.
std::optional<Model> parse(const QByteArray &text, QString *why);

// The file's panels, controls (with their kinds) and menus in order, one per
// line ("panel MAIN", "control MAIN_READING text-indicator", "menu FTICMENU",
// "item FTICMENU_WRITE"): everything the generated constants depend on.
QString fingerprint(const Model &model);
// The first way in which the fingerprint `found` differs from `expected`, as
// a sentence; empty when they are equal.
QString fingerprintDifference(const QString &expected, const QString &found);

} // namespace uir
