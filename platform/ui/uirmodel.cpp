// SPDX-License-Identifier: GPL-3.0-or-later
#include "uirmodel.h"

#include <QHash>
#include <QRegularExpression>
#include <QSet>
#include <QXmlStreamReader>
#include <QXmlStreamWriter>
#include <algorithm>
#include <cstdlib>
#include <cstring>
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
    // Qualified name and value only: the reader's own attribute records cost
    // several times as much, and a file may hold tens of thousands.
    std::vector<std::pair<QString, QString>> attributes;
    QString text;
    std::vector<const Node *> children;

    QString attribute(const char *key) const
    {
        for (const auto &[name, value] : attributes)
            if (name == QLatin1String(key))
                return value;
        return {};
    }
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

// Qt's reader compares every attribute of a start tag with each one before
// it, before it returns the tag: one element with very many attributes takes
// quadratic time. So the attributes of each start tag are counted first, in
// one pass over the bytes. Declarations (<!DOCTYPE ...>) are refused here
// too: Designer never writes them, and their entities would expand into
// markup that this count never sees. Returns the reason, empty when none.
QString prescan(const QByteArray &text)
{
    const char *p = text.constData(), *const end = p + text.size();
    int line = 1;
    // Moves past the next occurrence of close; false when there is none.
    auto skipPast = [&](const char *close) {
        const size_t n = std::strlen(close);
        for (; p + n <= end; ++p) {
            if (std::memcmp(p, close, n) == 0) {
                p += n;
                return true;
            }
            line += *p == '\n';
        }
        p = end;
        return false;
    };
    auto startsWith = [&](const char *s) {
        const size_t n = std::strlen(s);
        return size_t(end - p) >= n && std::memcmp(p, s, n) == 0;
    };
    while (p < end) {
        if (*p != '<') {
            line += *p++ == '\n';
            continue;
        }
        if (startsWith("<!--")) {
            skipPast("-->");
        } else if (startsWith("<![CDATA[")) {
            skipPast("]]>");
        } else if (startsWith("<?")) {
            skipPast("?>");
        } else if (startsWith("<!")) {
            return QStringLiteral("line %1: a declaration (<!...>), which resource files do not have")
                .arg(line);
        } else {
            // A start or end tag: '=' outside quotes separates a name from its value.
            int attributes = 0;
            char quote = 0;
            for (++p; p < end && (quote || *p != '>'); ++p) {
                line += *p == '\n';
                if (quote)
                    quote = *p == quote ? 0 : quote;
                else if (*p == '"' || *p == '\'')
                    quote = *p;
                else if (*p == '=' && ++attributes > maxAttributes)
                    return QStringLiteral("line %1: an element with more than %2 attributes")
                        .arg(line)
                        .arg(maxAttributes);
            }
        }
    }
    return {};
}

bool readTree(QXmlStreamReader &xml, Tree &tree)
{
    std::vector<Node *> open;
    auto tooLong = [&xml](qsizetype length) {
        if (length > maxTextLength)
            xml.raiseError(QStringLiteral("a text longer than %1 characters").arg(maxTextLength));
        return length > maxTextLength;
    };
    while (!xml.atEnd()) {
        switch (xml.readNext()) {
        case QXmlStreamReader::StartElement: {
            if (open.size() >= size_t(maxDepth)) {
                xml.raiseError(QStringLiteral("elements nested deeper than %1 levels").arg(maxDepth));
                break;
            }
            if (tree.nodes.size() >= size_t(maxElements)) {
                xml.raiseError(QStringLiteral("more than %1 elements").arg(maxElements));
                break;
            }
            Node &n = tree.nodes.emplace_back();
            n.name = xml.name().toString();
            for (const QXmlStreamAttribute &a : xml.attributes()) {
                if (tooLong(a.value().size()))
                    break;
                n.attributes.emplace_back(a.qualifiedName().toString(), a.value().toString());
            }
            if (!open.empty())
                open.back()->children.push_back(&n);
            open.push_back(&n);
            break;
        }
        case QXmlStreamReader::EndElement:
            open.pop_back();
            break;
        case QXmlStreamReader::Characters:
            if (!open.empty() && !tooLong(open.back()->text.size() + xml.text().size()))
                open.back()->text += xml.text();
            break;
        default:
            break;
        }
    }
    return !xml.hasError() && !tree.nodes.empty();
}

void writeAttributes(QXmlStreamWriter &out, const Node &n)
{
    for (const auto &[name, value] : n.attributes)
        out.writeAttribute(name, value);
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
        writeAttributes(out, n);
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
        if (const Node *stops = ui.child("tabstops"))
            for (const Node *stop : stops->children)
                if (const QString name = stop->text.trimmed(); !tabStops_.contains(name))
                    tabStops_.insert(name, int(tabStops_.size())); // a repeat keeps its first place

        Model model;
        qsizetype formBytes = 0;
        for (const Node *page : tabs->children) {
            if (page->name != QLatin1String("widget"))
                continue;
            if (model.panels.size() >= size_t(maxPanels)) {
                fail(QStringLiteral("the file holds more than %1 panels").arg(maxPanels));
                return std::nullopt;
            }
            Panel &panel = model.panels.emplace_back();
            panel.number = int(model.panels.size());
            if (!buildPanel(*page, panel))
                return std::nullopt;
            // Each page's form repeats the actions, custom widgets and tab
            // stops it uses, so the forms together could grow to many times
            // the file.
            formBytes += panel.form.size();
            if (formBytes > maxFormBytes) {
                fail(
                    QStringLiteral("the panels together need more than %1 bytes (actions, custom widgets and "
                                   "tab stops are repeated in every panel that uses them)")
                        .arg(maxFormBytes));
                return std::nullopt;
            }
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
        referencedNames_.clear();
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
        int widgetCount = 0;
        auto visit = [&](const Node &c, const Node &parent) {
            if (c.name == QLatin1String("property"))
                return checkGeometry(c, parent.attribute("name"));
            if (c.name != QLatin1String("widget"))
                return true;
            const QString cls = c.attribute("class");
            const QString name = c.attribute("name");
            if (++widgetCount > maxWidgetsPerPanel)
                return fail(QStringLiteral("panel %1 holds more than %2 widgets")
                                .arg(panel.name)
                                .arg(maxWidgetsPerPanel));
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
            if (!referencedNames_.contains(name)) {
                referencedNames_.insert(name);
                referenced_.push_back(name);
            }
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
        writeAttributes(xml, page);
        for (const QString &action : referenced_)
            writeTree(xml, *actions_.value(action));
        for (const Node *c : page.children)
            if (c->name != QLatin1String("action"))
                writeTree(xml, *c, true);
        xml.writeEndElement();
        if (customWidgets_)
            writeTree(xml, *customWidgets_);
        // The file's one tab order (Designer keeps it for the whole form): the
        // part that names this page's widgets, looked up from them so that no
        // page pays for the others.
        std::vector<std::pair<int, QString>> stops;
        for (const QString &widget : widgets_)
            if (const auto at = tabStops_.constFind(widget); at != tabStops_.cend())
                stops.emplace_back(*at, widget);
        std::sort(stops.begin(), stops.end());
        if (!stops.empty()) {
            xml.writeStartElement(QStringLiteral("tabstops"));
            for (const auto &stop : stops)
                xml.writeTextElement(QStringLiteral("tabstop"), stop.second);
            xml.writeEndElement();
        }
        xml.writeEndElement();
        xml.writeEndDocument();
        return out;
    }

    QString *why_;
    QSet<QString> names_;
    QHash<QString, const Node *> actions_;
    std::vector<QString> referenced_; // in order of first use
    QSet<QString> referencedNames_;
    const Node *customWidgets_ = nullptr;
    QHash<QString, int> tabStops_; // the file's tab order: each name's place
    QSet<QString> widgets_;        // the names of the page's widgets
    int menuBarCount_ = 0;
};

// Appends name unless empty or already seen.
void addOnce(std::vector<QString> &list, QSet<QString> &seen, const QString &name)
{
    if (!name.isEmpty() && !seen.contains(name)) {
        seen.insert(name);
        list.push_back(name);
    }
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
    QSet<QString> control, panel, menu;
    for (const Panel &p : panels) {
        addOnce(names.panel, panel, p.callback);
        for (const Control &c : p.controls)
            addOnce(names.control, control, c.callback);
        for (const MenuBar &m : p.menuBars)
            for (const MenuItem &i : m.items)
                addOnce(names.menu, menu, i.callback);
    }
    return names;
}

std::optional<Model> parse(const QByteArray &text, QString *why)
{
    QString refused = text.size() > maxFileBytes
                          ? QStringLiteral("the file is larger than %1 bytes").arg(maxFileBytes)
                          : prescan(text);
    if (!refused.isEmpty()) {
        if (why)
            *why = refused;
        return std::nullopt;
    }
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
