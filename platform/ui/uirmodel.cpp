// SPDX-License-Identifier: GPL-3.0-or-later
#include "uirmodel.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cstdlib>
#include <deque>

namespace uir
{
namespace
{

// Bounds on what a file may ask for. A panel needs about 20 levels of nesting.
constexpr int maxDepth = 100;
constexpr int maxPixels = 4096;           // a panel or widget size, a position
constexpr int widgetSizeMax = 16777215;   // QWIDGETSIZE_MAX: "no maximum"
constexpr double timerSecondsMin = 0.001; // the timer's resolution
constexpr double timerSecondsMax = 3600;  // far below where milliseconds overflow an int
constexpr int stripPointsMin = 2, stripPointsMax = 100000;

// A small element tree: Designer forms carry text only in leaf elements. The
// tree owns its nodes in one flat list and every walk below keeps its own
// stack, so no depth of the file reaches the call stack (not even on
// destruction).
struct Node {
    QString name;
    QXmlStreamAttributes attributes;
    QString text;
    std::vector<const Node *> children;

    QString attribute(const char *key) const { return attributes.value(QLatin1String(key)).toString(); }
    const Node *child(const char *tag) const
    {
        for (const Node *c : children)
            if (c->name == QLatin1String(tag))
                return c;
        return nullptr;
    }
};

struct Tree {
    std::deque<Node> nodes; // in document order; the first is the root
};

bool readTree(QXmlStreamReader &xml, Tree &tree)
{
    std::vector<Node *> open;
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (open.size() >= size_t(maxDepth)) {
                xml.raiseError(QStringLiteral("elements nested deeper than %1 levels").arg(maxDepth));
                break;
            }
            Node &n = tree.nodes.emplace_back();
            n.name = xml.name().toString();
            n.attributes = xml.attributes();
            if (!open.empty())
                open.back()->children.push_back(&n);
            open.push_back(&n);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!open.empty())
                open.back()->text += xml.text();
            break;
        default:
            break;
        }
    }
    return !xml.hasError() && !tree.nodes.empty();
}

// Writes an element and everything below it, leaving out <action> elements
// below it when dropActions.
void writeTree(QXmlStreamWriter &out, const Node &root, bool dropActions = false)
{
    struct Open {
        const Node *node;
        size_t next;
    };
    std::vector<Open> open;
    auto start = [&out, &open](const Node &n) {
        out.writeStartElement(n.name);
        out.writeAttributes(n.attributes);
        if (n.children.empty())
            out.writeCharacters(n.text);
        open.push_back({&n, 0});
    };
    start(root);
    while (!open.empty()) {
        Open &top = open.back();
        if (top.next == top.node->children.size()) {
            out.writeEndElement();
            open.pop_back();
            continue;
        }
        const Node &c = *top.node->children[top.next++];
        if (!(dropActions && c.name == QLatin1String("action")))
            start(c);
    }
}

// Every element below root (not root itself) in document order, each with
// its parent, except below those that descend() refuses.
template <typename Visit, typename Descend> bool eachBelow(const Node &root, Visit &&visit, Descend &&descend)
{
    std::vector<std::pair<const Node *, const Node *>> todo; // element, parent
    auto pushChildren = [&todo](const Node &n) {
        for (auto it = n.children.rbegin(); it != n.children.rend(); ++it)
            todo.emplace_back(*it, &n);
    };
    pushChildren(root);
    while (!todo.empty()) {
        const auto [n, parent] = todo.back();
        todo.pop_back();
        if (!visit(*n, *parent))
            return false;
        if (descend(*n))
            pushChildren(*n);
    }
    return true;
}

// The value of <property name="key"> directly on a widget or action, as text.
std::optional<QString> property(const Node &element, const char *key)
{
    for (const Node *p : element.children) {
        if (p->name != QLatin1String("property") || p->attribute("name") != QLatin1String(key))
            continue;
        if (p->children.empty())
            return QString();
        return p->children.front()->text.trimmed();
    }
    return std::nullopt;
}

bool isTrue(const Node &element, const char *key)
{
    return property(element, key).value_or(QString()) == QLatin1String("true");
}

std::optional<Kind> kindOf(const Node &w)
{
    const QString cls = w.attribute("class");
    static const QHash<QString, Kind> plain = {
        {QStringLiteral("QCheckBox"), Kind::Toggle},
        {QStringLiteral("QRadioButton"), Kind::Toggle},
        {QStringLiteral("QComboBox"), Kind::Ring},
        {QStringLiteral("QLabel"), Kind::TextIndicator},
        {QStringLiteral("QProgressBar"), Kind::NumericIndicator},
        {QStringLiteral("Led"), Kind::Led},
        {QStringLiteral("Graph"), Kind::Graph},
        {QStringLiteral("StripChart"), Kind::StripChart},
        {QStringLiteral("Timer"), Kind::Timer},
    };
    if (auto it = plain.find(cls); it != plain.end())
        return *it;
    if (cls == QLatin1String("QPushButton") || cls == QLatin1String("QToolButton"))
        return isTrue(w, "checkable") ? Kind::Toggle : Kind::Command;
    if (cls == QLatin1String("QSpinBox") || cls == QLatin1String("QDoubleSpinBox"))
        return isTrue(w, "readOnly") ? Kind::NumericIndicator : Kind::Numeric;
    if (cls == QLatin1String("QLineEdit"))
        return isTrue(w, "readOnly") ? Kind::TextIndicator : Kind::Text;
    return std::nullopt;
}

bool isIdentifier(const QString &name)
{
    static const QRegularExpression re(QStringLiteral("^[A-Za-z_][A-Za-z0-9_]*$"));
    return re.match(name).hasMatch();
}

class Builder
{
  public:
    explicit Builder(QString *why) : why_(why) {}

    std::optional<Model> build(const Tree &tree)
    {
        const Node &ui = tree.nodes.front();
        const Node *tabs = ui.child("widget");
        if (ui.name != QLatin1String("ui") || !tabs ||
            tabs->attribute("class") != QLatin1String("QTabWidget")) {
            fail(QStringLiteral("not a Designer form whose top widget is a QTabWidget of panels"));
            return std::nullopt;
        }
        collectActions(tree);
        customWidgets_ = ui.child("customwidgets");
        tabStops_ = ui.child("tabstops");

        Model model;
        for (const Node *page : tabs->children) {
            if (page->name != QLatin1String("widget"))
                continue;
            Panel &panel = model.panels.emplace_back();
            panel.number = int(model.panels.size());
            if (!buildPanel(*page, panel))
                return std::nullopt;
        }
        if (model.panels.empty()) {
            fail(QStringLiteral("the file holds no panel"));
            return std::nullopt;
        }
        return model;
    }

  private:
    bool fail(const QString &text)
    {
        if (why_)
            *why_ = text;
        return false;
    }

    bool claim(const QString &name)
    {
        if (!isIdentifier(name))
            return fail(QStringLiteral("\"%1\" is not a valid constant name").arg(name));
        if (names_.contains(name))
            return fail(QStringLiteral("the name %1 is used twice").arg(name));
        names_.insert(name);
        return true;
    }

    void collectActions(const Tree &tree)
    {
        for (const Node &n : tree.nodes)
            if (n.name == QLatin1String("action"))
                actions_.insert(n.attribute("name"), &n);
    }

    bool buildPanel(const Node &page, Panel &panel)
    {
        panel.name = page.attribute("name");
        if (!claim(panel.name))
            return false;
        panel.callback = property(page, "callback").value_or(QString());
        panel.closeControl = property(page, "closeControl").value_or(QString());
        panel.title = property(page, "panelTitle").value_or(QString());
        if (panel.title.isEmpty()) {
            for (const Node *a : page.children)
                if (a->name == QLatin1String("attribute") && a->attribute("name") == QLatin1String("title") &&
                    !a->children.empty())
                    panel.title = a->children.front()->text;
        }
        // The window takes exactly this size. Without it the window would take
        // whatever its layout asks for, which no bound on a single size limits.
        const Node *geometry = findProperty(page, "geometry");
        if (!geometry || !geometry->child("rect"))
            return fail(QStringLiteral("%1: the panel has no geometry (its size)").arg(panel.name));
        const Node &r = *geometry->child("rect");
        auto field = [&r](const char *tag) { return r.child(tag) ? r.child(tag)->text.toInt() : 0; };
        panel.size = QSize(field("width"), field("height"));

        referenced_.clear();
        widgets_.clear();
        if (!walk(page, panel))
            return false;
        if (!panel.closeControl.isEmpty() && !panel.control(panel.closeControl))
            return fail(QStringLiteral("panel %1: closeControl %2 is not one of its controls")
                            .arg(panel.name, panel.closeControl));
        panel.form = formOf(page, panel.name);
        return true;
    }

    static const Node *findProperty(const Node &element, const char *key)
    {
        for (const Node *p : element.children)
            if (p->name == QLatin1String("property") && p->attribute("name") == QLatin1String(key))
                return p;
        return nullptr;
    }

    // A <rect> or <size> property: every extent within 0 … maxPixels (a maximum
    // size may also be "none"), every position within ±maxPixels.
    bool checkGeometry(const Node &p, const QString &owner)
    {
        const Node *box = p.child("rect") ? p.child("rect") : p.child("size");
        if (!box)
            return true;
        const bool maximum = p.attribute("name") == QLatin1String("maximumSize");
        for (const Node *field : box->children) {
            const Node &f = *field;
            bool ok = false;
            const int v = f.text.trimmed().toInt(&ok);
            const bool extent = f.name == QLatin1String("width") || f.name == QLatin1String("height");
            if (!ok || (extent ? v < 0 || (v > maxPixels && !(maximum && v == widgetSizeMax))
                               : std::abs(v) > maxPixels))
                return fail(QStringLiteral("%1: %2 %3 \"%4\" is outside %5 … %6 pixels")
                                .arg(owner, p.attribute("name"), f.name, f.text.trimmed(),
                                     QString::number(extent ? 0 : -maxPixels), QString::number(maxPixels)));
        }
        return true;
    }

    // The properties a control kind reads at load time, within their bounds.
    bool checkSettings(const Node &w, const Control &control)
    {
        bool ok = true;
        if (control.kind == Kind::Timer) {
            if (const auto text = property(w, "interval")) {
                const double seconds = text->toDouble(&ok);
                if (!ok || !(seconds >= timerSecondsMin && seconds <= timerSecondsMax))
                    return fail(QStringLiteral("%1: timer interval \"%2\" is outside %3 … %4 s")
                                    .arg(control.name, *text, QString::number(timerSecondsMin),
                                         QString::number(timerSecondsMax)));
            }
        } else if (control.kind == Kind::StripChart) {
            if (const auto text = property(w, "points")) {
                const int points = text->toInt(&ok);
                if (!ok || points < stripPointsMin || points > stripPointsMax)
                    return fail(QStringLiteral("%1: points \"%2\" is outside %3 … %4")
                                    .arg(control.name, *text, QString::number(stripPointsMin),
                                         QString::number(stripPointsMax)));
            }
        }
        return true;
    }

    // Numbers the controls and menus below a page in document order and checks
    // their sizes and settings. Action declarations are skipped: formOf puts
    // the ones the page uses at its top.
    bool walk(const Node &page, Panel &panel)
    {
        auto visit = [&](const Node &c, const Node &parent) {
            if (c.name == QLatin1String("property"))
                return checkGeometry(c, parent.attribute("name"));
            if (c.name != QLatin1String("widget"))
                return true;
            const QString cls = c.attribute("class");
            const QString name = c.attribute("name");
            widgets_.insert(name);
            if (cls == QLatin1String("QMenuBar"))
                return menuBar(c, panel);
            if (!name.startsWith(panel.name + QLatin1Char('_')))
                return true;
            const std::optional<Kind> kind = kindOf(c);
            if (!kind)
                return fail(QStringLiteral("%1: class %2 is not a control kind").arg(name, cls));
            if (!claim(name))
                return false;
            Control &control = panel.controls.emplace_back();
            control.name = name;
            control.number = int(panel.controls.size()) + 1;
            control.kind = *kind;
            control.widgetClass = cls;
            control.callback = property(c, "callback").value_or(QString());
            return checkSettings(c, control);
        };
        auto descend = [](const Node &c) {
            return c.name != QLatin1String("action") &&
                   !(c.name == QLatin1String("widget") && c.attribute("class") == QLatin1String("QMenuBar"));
        };
        return eachBelow(page, visit, descend);
    }

    bool menuBar(const Node &bar, Panel &panel)
    {
        MenuBar &menu = panel.menuBars.emplace_back();
        menu.name = bar.attribute("name");
        if (!claim(menu.name))
            return false;
        menu.number = ++menuBarCount_;
        const QString fallback = property(bar, "callback").value_or(QString());
        return menuItems(bar, menu, fallback);
    }

    bool menuItems(const Node &bar, MenuBar &menu, const QString &fallback)
    {
        auto visit = [&](const Node &c, const Node &) {
            if (c.name != QLatin1String("addaction"))
                return true;
            const QString name = c.attribute("name");
            const Node *action = actions_.value(name);
            if (!action)
                return true; // a submenu or a separator
            if (std::find(referenced_.begin(), referenced_.end(), name) == referenced_.end())
                referenced_.push_back(name);
            if (!name.startsWith(menu.name + QLatin1Char('_')))
                return true;
            if (!claim(name))
                return false;
            MenuItem &item = menu.items.emplace_back();
            item.name = name;
            item.number = int(menu.items.size()) + 1;
            item.callback = property(*action, "callback").value_or(fallback);
            return true;
        };
        return eachBelow(bar, visit, [](const Node &c) { return c.name != QLatin1String("addaction"); });
    }

    QByteArray formOf(const Node &page, const QString &name) const
    {
        QByteArray out;
        QXmlStreamWriter xml(&out);
        xml.writeStartDocument();
        xml.writeStartElement(QStringLiteral("ui"));
        xml.writeAttribute(QStringLiteral("version"), QStringLiteral("4.0"));
        xml.writeTextElement(QStringLiteral("class"), name);
        // The page without its own action declarations; the loader creates
        // actions before the widgets that add them, so every action the page's
        // menus use comes first.
        xml.writeStartElement(page.name);
        xml.writeAttributes(page.attributes);
        for (const QString &action : referenced_)
            writeTree(xml, *actions_.value(action));
        for (const Node *c : page.children)
            if (c->name != QLatin1String("action"))
                writeTree(xml, *c, true);
        xml.writeEndElement();
        if (customWidgets_)
            writeTree(xml, *customWidgets_);
        // The file's one tab order (Designer keeps it for the whole form): the
        // part that names this page's widgets.
        QStringList stops;
        for (const Node *stop : tabStops_ ? tabStops_->children : std::vector<const Node *>())
            if (widgets_.contains(stop->text.trimmed()))
                stops << stop->text.trimmed();
        if (!stops.isEmpty()) {
            xml.writeStartElement(QStringLiteral("tabstops"));
            for (const QString &stop : stops)
                xml.writeTextElement(QStringLiteral("tabstop"), stop);
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndDocument();
        return out;
    }

    QString *why_;
    QSet<QString> names_;
    QHash<QString, const Node *> actions_;
    std::vector<QString> referenced_;
    const Node *customWidgets_ = nullptr;
    const Node *tabStops_ = nullptr;
    QSet<QString> widgets_; // the names of the page's widgets
    int menuBarCount_ = 0;
};

template <typename T> void addOnce(std::vector<QString> &list, const T &name)
{
    if (!name.isEmpty() && std::find(list.begin(), list.end(), name) == list.end())
        list.push_back(name);
}

} // namespace

const char *kindName(Kind kind)
{
    switch (kind) {
    case Kind::Command:
        return "command";
    case Kind::Toggle:
        return "toggle";
    case Kind::Numeric:
        return "numeric";
    case Kind::NumericIndicator:
        return "numeric-indicator";
    case Kind::Ring:
        return "ring";
    case Kind::Text:
        return "text";
    case Kind::TextIndicator:
        return "text-indicator";
    case Kind::Led:
        return "led";
    case Kind::Graph:
        return "graph";
    case Kind::StripChart:
        return "stripchart";
    case Kind::Timer:
        return "timer";
    }
    return "?";
}

const Control *Panel::control(int number) const
{
    const size_t index = size_t(number - 2);
    return number >= 2 && index < controls.size() ? &controls[index] : nullptr;
}

const Control *Panel::control(const QString &name) const
{
    auto it =
        std::find_if(controls.begin(), controls.end(), [&](const Control &c) { return c.name == name; });
    return it == controls.end() ? nullptr : &*it;
}

const Panel *Model::panel(int number) const
{
    const size_t index = size_t(number - 1);
    return number >= 1 && index < panels.size() ? &panels[index] : nullptr;
}

Model::CallbackNames Model::callbackNames() const
{
    CallbackNames names;
    for (const Panel &p : panels) {
        addOnce(names.panel, p.callback);
        for (const Control &c : p.controls)
            addOnce(names.control, c.callback);
        for (const MenuBar &m : p.menuBars)
            for (const MenuItem &i : m.items)
                addOnce(names.menu, i.callback);
    }
    return names;
}

std::optional<Model> parse(const QByteArray &text, QString *why)
{
    QXmlStreamReader xml(text);
    Tree tree;
    if (!readTree(xml, tree)) {
        if (why)
            *why = xml.hasError() ? QStringLiteral("line %1: %2").arg(xml.lineNumber()).arg(xml.errorString())
                                  : QStringLiteral("empty document");
        return std::nullopt;
    }
    return Builder(why).build(tree);
}

QString fingerprint(const Model &model)
{
    QString out;
    for (const Panel &p : model.panels) {
        out += QStringLiteral("panel %1\n").arg(p.name);
        for (const Control &c : p.controls)
            out += QStringLiteral("control %1 %2\n").arg(c.name, QLatin1String(kindName(c.kind)));
        for (const MenuBar &bar : p.menuBars) {
            out += QStringLiteral("menu %1\n").arg(bar.name);
            for (const MenuItem &item : bar.items)
                out += QStringLiteral("item %1\n").arg(item.name);
        }
    }
    return out;
}

QString fingerprintDifference(const QString &expected, const QString &found)
{
    const QStringList want = expected.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    const QStringList have = found.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
    QString panel; // the panel the difference lies in
    for (qsizetype i = 0; i < std::max(want.size(), have.size()); ++i) {
        const QString w = want.value(i), h = have.value(i);
        if (w == h) {
            if (w.startsWith(QLatin1String("panel ")))
                panel = w.mid(6);
            continue;
        }
        const bool panelLine = w.startsWith(QLatin1String("panel ")) || h.startsWith(QLatin1String("panel "));
        const QString where = panelLine ? QString() : QStringLiteral("in panel %1: ").arg(panel);
        if (const QStringList a = w.split(QLatin1Char(' ')), b = h.split(QLatin1Char(' '));
            a.size() == 3 && b.size() == 3 && a[0] == b[0] && a[1] == b[1])
            return QStringLiteral("%1%2 %3 is %4 where the program expects %5")
                .arg(where, a[0], a[1], b[2], a[2]);
        if (h.isEmpty() || (!w.isEmpty() && !have.contains(w)))
            return QStringLiteral("%1%2 is missing").arg(where, w);
        if (w.isEmpty() || !want.contains(h))
            return QStringLiteral("%1%2 is unknown to the program").arg(where, h);
        return QStringLiteral("%1%2 stands where the program expects %3").arg(where, h, w);
    }
    return {};
}

} // namespace uir
