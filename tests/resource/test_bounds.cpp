// SPDX-License-Identifier: GPL-3.0-or-later
// Resource files that ask for more than any panel needs: each bound is met,
// then passed and refused with its reason. The big files are made here.
#include "uirmodel.h"

#include <gtest/gtest.h>

namespace
{

QString page(const QString &name, const QString &inner = {}, const QString &attributes = {})
{
    return QStringLiteral(
               "<widget class=\"QWidget\" name=\"%1\"%2><property name=\"geometry\"><rect><width>40"
               "</width><height>30</height></rect></property>%3</widget>")
        .arg(name, attributes, inner);
}

QByteArray file(const QString &pages, const QString &tail = {})
{
    return QStringLiteral(
               "<ui version=\"4.0\"><widget class=\"QTabWidget\" name=\"resource\">%1</widget>%2</ui>")
        .arg(pages, tail)
        .toUtf8();
}

// pattern n times, each with its number for %1.
QString numbered(const QString &pattern, int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += pattern.arg(i);
    return out;
}

TEST(Bounds, EachIsMetThenRefusedWithItsReason)
{
    using namespace uir;
    const QString attribute = QStringLiteral(" a%1=\"1\""),
                  frame = QStringLiteral("<widget class=\"QFrame\"/>"),
                  comment = QStringLiteral("<!-- x -->"),
                  menu =
                      page(QStringLiteral("P%1"),
                           QStringLiteral(
                               "<widget class=\"QMenuBar\" name=\"M%1\"><addaction name=\"A\"/></widget>"));
    auto title = [](qsizetype n) {
        return QStringLiteral("<property name=\"panelTitle\"><string>%1</string></property>")
            .arg(QString(n, 'T'));
    };
    auto action = [](const QString &inner) {
        return QStringLiteral("<action name=\"A\">%1</action>").arg(inner);
    };
    const int padding = int(maxFileBytes / comment.size()); // comments cost the reader little
    const struct {
        QByteArray text;
        const char *why; // empty: accepted
    } cases[] = {
        // The page has its class and name already.
        {file(page("P", {}, numbered(attribute, maxAttributes - 2))), ""},
        {file(page("P", {}, numbered(attribute, maxAttributes - 1))),
         "line 1: an element with more than 64 attributes"},
        // As many as the largest file holds: counted, never compared.
        {file(page("P", {}, numbered(attribute, int(maxFileBytes / 10)))).left(maxFileBytes),
         "than 64 attributes"},
        {file(page("P", comment.repeated(9), " a=\"=\" b='==\"'")), ""}, // '=' in values and comments
        {file(numbered(page("P%1"), maxPanels)), ""},
        {file(numbered(page("P%1"), maxPanels + 1)), "the file holds more than 64 panels"},
        {file(page("P", frame.repeated(maxWidgetsPerPanel))), ""},
        {file(page("P", frame.repeated(maxWidgetsPerPanel + 1))), "panel P holds more than 1000 widgets"},
        {file(page("P", title(maxTextLength))), ""},
        {file(page("P", title(maxTextLength + 1))), "line 1: a text longer than 32768 characters"},
        {file(page("P", {}, " t=\"" + QString(maxTextLength + 1, 't') + "\"")), "a text longer than 32768"},
        {file(page("P", QStringLiteral("<a/>").repeated(maxElements))), "line 1: more than 50000 elements"},
        {file(page("P"), comment.repeated(padding - 40)), ""},
        {file(page("P"), comment.repeated(padding)), "the file is larger than 2097152 bytes"},
        // An action that every page's form repeats: the forms together are bounded.
        {file(numbered(menu, maxPanels), action(comment)), ""},
        {file(numbered(menu, maxPanels), action(QStringLiteral("<property name=\"p\"/>").repeated(40000))),
         "the panels together need more than 8388608 bytes"},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE ui [<!ENTITY e \"<a/>\">]>\n" + file(page("P", "&e;")),
         "line 2: a declaration (<!...>), which resource files do not have"},
    };
    for (const auto &c : cases) {
        QString why;
        EXPECT_EQ(parse(c.text, &why).has_value(), !*c.why) << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << why.toStdString() << "\n  wanted: " << c.why;
    }
}

} // namespace
