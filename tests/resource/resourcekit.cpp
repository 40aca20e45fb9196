// SPDX-License-Identifier: GPL-3.0-or-later
#include "resourcekit.h"

#include "uctpanels.h"
#include "userint.h"

#include <QFile>
#include <QXmlStreamReader>
#include <set>
#include <utility>

namespace resourcekit
{

namespace
{

bool isConstantName(const QString &name)
{
    return !name.isEmpty() && name.front().isUpper() && name == name.toUpper();
}

// Elements whose properties belong to no control: layouts, spacers and the
// items of a ring.
bool isDecoration(const QString &tag)
{
    return tag == QLatin1String("layout") || tag == QLatin1String("spacer") || tag == QLatin1String("item");
}

int dummyCtrl(int, int, int, void *, int, int)
{
    return 0;
}
int dummyPanel(int, int, void *, int, int)
{
    return 0;
}
void dummyMenu(int, int, void *, int) {}

} // namespace

QString Element::property(const QString &key) const
{
    const auto it = properties.find(key);
    return it == properties.end() ? QString() : it->second;
}

Role Element::role() const
{
    if (isPage)
        return Role::Panel;
    if (widgetClass == QLatin1String("QMenuBar") || widgetClass == QLatin1String("QAction"))
        return Role::Menu;
    return Role::Control;
}

const Element *Index::find(const QString &name) const
{
    const auto it = elements.find(name);
    return it == elements.end() ? nullptr : &it->second;
}

QString resourceFile()
{
    return QStringLiteral(UCT_RESOURCE_FILE);
}

Index readIndex(const QString &path)
{
    Index index;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        index.error = QStringLiteral("cannot open ") + path;
        return index;
    }
    QXmlStreamReader xml(&file);
    struct Owner {
        QString name; // empty for decoration
        int widgetDepth;
    };
    std::vector<Owner> owners; // open widget and action elements
    int widgetDepth = 0;
    QString currentPage, propertyName, propertyText;
    int propertyLevel = 0; // > 0 while inside a <property>
    while (!xml.atEnd()) {
        const auto token = xml.readNext();
        const QString tag = xml.name().toString();
        if (token == QXmlStreamReader::StartElement) {
            if (propertyLevel > 0) {
                ++propertyLevel;
                continue;
            }
            if (tag == QLatin1String("widget") || tag == QLatin1String("action")) {
                const QString name = xml.attributes().value(QLatin1String("name")).toString();
                const bool widget = tag == QLatin1String("widget");
                if (widget)
                    ++widgetDepth;
                const bool page = widget && widgetDepth == 2;
                if (page)
                    currentPage = name;
                if (isConstantName(name)) {
                    Element &e = index.elements[name];
                    e.name = name;
                    e.widgetClass = widget ? xml.attributes().value(QLatin1String("class")).toString()
                                           : QStringLiteral("QAction");
                    e.panel = currentPage;
                    e.isPage = page;
                    if (page)
                        index.panels.push_back(name);
                }
                owners.push_back({isConstantName(name) ? name : QString(), widget ? widgetDepth : -1});
            } else if (isDecoration(tag)) {
                owners.push_back({QString(), -1});
            } else if (tag == QLatin1String("property")) {
                propertyLevel = 1;
                propertyName = xml.attributes().value(QLatin1String("name")).toString();
                propertyText.clear();
            }
        } else if (token == QXmlStreamReader::Characters) {
            if (propertyLevel > 0)
                propertyText += xml.text();
        } else if (token == QXmlStreamReader::EndElement) {
            if (propertyLevel > 0) {
                if (--propertyLevel == 0 && !owners.empty() && !owners.back().name.isEmpty())
                    index.elements[owners.back().name].properties[propertyName] = propertyText.trimmed();
                continue;
            }
            if (tag == QLatin1String("widget") || tag == QLatin1String("action") || isDecoration(tag)) {
                if (tag == QLatin1String("widget"))
                    --widgetDepth;
                owners.pop_back();
            }
        }
    }
    if (xml.hasError()) {
        index.error = xml.errorString();
        return index;
    }
    index.ok = !index.panels.empty();
    if (!index.ok)
        index.error = QStringLiteral("no panel pages");
    return index;
}

std::vector<Binding> bindings(const Index &index)
{
    std::vector<Binding> out;
    for (const auto &[name, e] : index.elements) {
        const QString cb = e.property(QStringLiteral("callback"));
        if (!cb.isEmpty())
            out.push_back({name, cb, e.role()});
    }
    return out;
}

int registerDummyCallbacks(const Index &index)
{
    std::set<std::pair<int, QString>> done;
    for (const Binding &b : bindings(index)) {
        if (!done.insert({int(b.role), b.callback}).second)
            continue;
        const QByteArray name = b.callback.toUtf8();
        switch (b.role) {
        case Role::Control:
            RegisterCtrlCallback(name.constData(), dummyCtrl);
            break;
        case Role::Panel:
            RegisterPanelCallback(name.constData(), dummyPanel);
            break;
        case Role::Menu:
            RegisterMenuCallback(name.constData(), dummyMenu);
            break;
        }
    }
    return int(done.size());
}

int panelConstant(const QString &name)
{
    static const std::pair<const char *, int> table[] = {
        {"MAIN", MAIN},           {"CHOOSE", CHOOSE}, {"VERSION", VERSION}, {"ABOUT", ABOUT},
        {"CONFIGSYS", CONFIGSYS}, {"MATH", MATH},     {"HISTO", HISTO},     {"STRIPCHART", STRIPCHART},
        {"FTIC", FTIC},           {"NVM", NVM},
    };
    for (const auto &[n, value] : table)
        if (name == QLatin1String(n))
            return value;
    return 0;
}

} // namespace resourcekit
