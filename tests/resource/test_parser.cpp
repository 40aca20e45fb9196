// SPDX-License-Identifier: GPL-3.0-or-later
// Resource files that ask for more than any panel needs: each bound is met,
// then passed and refused with its reason, by the parser that both the
// generator and the run-time use; the generator reads regular files only; a
// file that differs from the one the program was built with is refused.
#include "resourcekit.h"
#include "uctpanels.h"

#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace
{

QByteArray file(const QString &pages, const QString &tail = {})
{
    return ("<ui version=\"4.0\"><widget class=\"QTabWidget\" name=\"resource\">" + pages + "</widget>" +
            tail + "</ui>")
        .toUtf8();
}

// A page 30 pixels high.
QString page(const QString &name, const QString &inner = {}, const QString &attributes = {},
             QString width = "40")
{
    return "<widget class=\"QWidget\" name=\"" + name + '"' + attributes +
           "><property name=\"geometry\"><rect><width>" + width +
           "</width><height>30</height></rect></property>" + inner + "</widget>";
}

// pattern n times, each with its number for %1.
QString numbered(const QString &pattern, int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += pattern.arg(i);
    return out;
}

// A widget of class cls (also its name, after "P_") with one dynamic property.
QString with(const QString &cls, const QString &property, const QString &value)
{
    return "<widget class=\"" + cls + "\" name=\"P_" + cls + "\"><property name=\"" + property +
           "\" stdset=\"0\">" + value + "</property></widget>";
}

TEST(Parser, RefusesWhatNoPanelNeedsAndSaysWhy)
{
    using namespace uir;
    auto one = [](const QString &inner, const QString &attributes = {}, const char *width = "40") {
        return file(page("P", inner, attributes, width));
    };
    auto timer = [](const QString &s) { return with("Timer", "interval", "<double>" + s + "</double>"); };
    auto chart = [](const QString &n) { return with("StripChart", "points", "<number>" + n + "</number>"); };
    auto frame = [](const char *property, const char *width, const char *height) {
        return QString("<widget class=\"QFrame\" name=\"frame\"><property "
                       "name=\"%1\"><size><width>%2</width><height>"
                       "%3</height></size></property></widget>")
            .arg(property, width, height);
    };
    auto nested = [](int n) {
        return QString("<widget class=\"QFrame\" name=\"f\">").repeated(n) + QString("</widget>").repeated(n);
    };
    auto title = [](qsizetype n) {
        return "<property name=\"panelTitle\"><string>" + QString(n, 'T') + "</string></property>";
    };
    const QString attribute = " a%1=\"1\"", widget = "<widget class=\"QFrame\"/>", comment = "<!-- x -->",
                  menu =
                      page("P%1", "<widget class=\"QMenuBar\" name=\"M%1\"><addaction name=\"A\"/></widget>"),
                  property = "<property name=\"p\"/>";
    // A page without its own size would take the size its layout asks for,
    // here far wider than any bound.
    const QString unsized =
        "<widget class=\"QWidget\" name=\"P\"><layout class=\"QHBoxLayout\" name=\"row\">" +
        ("<item>" + frame("minimumSize", "4096", "4096") + "</item>").repeated(8) + "</layout></widget>";
    const int padding = int(maxFileBytes / comment.size()); // comments cost the reader little
    const struct {
        QByteArray text;
        const char *why; // empty: accepted
    } cases[] = {
        // The bounds themselves.
        {one(timer("3600") + chart("100000") + nested(97), {}, "4096"), ""},
        {one({}, {}, "60000"), "P: geometry width \"60000\" is outside 0 … 4096 pixels"},
        {one({}, {}, "-1"), "geometry width \"-1\""},
        {one({}, {}, "wide"), "geometry width \"wide\""},
        {file(unsized), "P: the panel has no geometry (its size)"},
        {one(timer("2160000")), "P_Timer: timer interval \"2160000\" is outside 0.001 … 3600 s"},
        {one(timer("0")), "timer interval \"0\""},
        {one(timer("nan")), "timer interval \"nan\""},
        {one(chart("1")), "P_StripChart: points \"1\" is outside 2 … 100000"},
        {one(chart("10000000")), "points \"10000000\""},
        {one(frame("minimumSize", "100", "70000")), "frame: minimumSize height \"70000\""},
        {one(frame("maximumSize", "16777215", "9")), ""},
        {one(nested(8000)), "elements nested deeper than 100 levels"},
        {one(nested(98)), "elements nested deeper than 100 levels"},
        // The page has its class and name already.
        {one({}, numbered(attribute, maxAttributes - 2)), ""},
        {one({}, numbered(attribute, maxAttributes - 1)), "line 1: an element with more than 64 attributes"},
        // As many as the largest file holds: counted, never compared.
        {one({}, numbered(attribute, int(maxFileBytes / 10))).left(maxFileBytes), "than 64 attributes"},
        {one(comment.repeated(9), " a=\"=\" b='==\"'"), ""}, // '=' in values and comments
        {file(numbered(page("P%1"), maxPanels)), ""},
        {file(numbered(page("P%1"), maxPanels + 1)), "the file holds more than 64 panels"},
        {one(widget.repeated(maxWidgetsPerPanel)), ""},
        {one(widget.repeated(maxWidgetsPerPanel + 1)), "panel P holds more than 1000 widgets"},
        {one(title(maxTextLength)), ""},
        {one(title(maxTextLength + 1)), "line 1: a text longer than 32768 characters"},
        {one({}, " t=\"" + QString(maxTextLength + 1, 't') + "\""), "a text longer than 32768"},
        {one(QString("<a/>").repeated(maxElements)), "line 1: more than 50000 elements"},
        {file(page("P"), comment.repeated(padding - 40)), ""},
        {file(page("P"), comment.repeated(padding)), "the file is larger than 2097152 bytes"},
        // An action that every page's form repeats: the forms together are bounded.
        {file(numbered(menu, maxPanels), "<action name=\"A\">" + comment + "</action>"), ""},
        {file(numbered(menu, maxPanels), "<action name=\"A\">" + property.repeated(40000) + "</action>"),
         "the panels together need more than 8388608 bytes"},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE ui [<!ENTITY e \"<a/>\">]>\n" + one("&e;"),
         "line 2: a declaration"},
    };
    for (const auto &c : cases) {
        QString why;
        EXPECT_EQ(parse(c.text, &why).has_value(), !*c.why) << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << why.toStdString() << "\n  wanted: " << c.why;
    }
}

#ifndef _WIN32
// The generator reads regular files only: a FIFO with no writer would block
// its open for ever.
TEST(Generator, RefusesWhatIsNotARegularFile)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath(QStringLiteral("panels.uir"));
    ASSERT_EQ(mkfifo(qPrintable(fifo), 0600), 0);
    QProcess gen;
    gen.start(QStringLiteral(UCT_UIRGEN), {fifo, dir.filePath(QStringLiteral("o.h")), dir.filePath("o.inc")});
    ASSERT_TRUE(gen.waitForFinished(20000)) << "uirgen hangs on a FIFO";
    EXPECT_EQ(gen.exitCode(), 1);
    EXPECT_TRUE(gen.readAllStandardError().contains("is not a readable regular file"));
}
#endif

QByteArray sourceText()
{
    QFile in(QString::fromLocal8Bit(resourceFile));
    return in.open(QIODevice::ReadOnly) ? in.readAll() : QByteArray();
}

// Writes text to panels.uir in dir and checks it as the program does at start.
std::string check(const QTemporaryDir &dir, const QByteArray &text, int *result)
{
    QFile out(dir.filePath(QStringLiteral("panels.uir")));
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
        return "cannot write " + out.fileName().toStdString();
    out.close();
    loadResourceWithDummyCallbacks(); // the check also wants every callback
    char why[512] = "unset";
    *result = CheckResourceFile(qPrintable(out.fileName()), UCT_PANELS_FINGERPRINT, why, sizeof why);
    return why;
}

// A resource file that differs from the one the program was built with is
// refused, naming the file and the first difference.
TEST(Fingerprint, AFileThatDiffersFromTheBuildIsRefusedWithTheDifference)
{
    const QByteArray source = sourceText();
    ASSERT_FALSE(source.isEmpty());
    auto edited = [&source](const char *from, const char *to) {
        return QByteArray(source).replace(from, to);
    };
    const struct {
        QByteArray text;
        const char *why; // empty: accepted
    } cases[] = {
        {source, ""},
        {edited("\"MAIN_READING\"", "\"x\""),
         ": in panel MAIN: control MAIN_READING text-indicator is missing"},
        {edited("QLabel\" name=\"MAIN_UNITS\"", "QLineEdit\" name=\"MAIN_UNITS\""),
         ": in panel MAIN: control MAIN_UNITS is text where the program expects text-indicator"},
        {edited("\"label_1\"", "\"MAIN_BRAND\""),
         ": in panel MAIN: control MAIN_BRAND text-indicator is unknown"},
        {edited("QWidget\" name=\"NVM\"", "QWidget\" name=\"MEM\""), ": panel NVM is missing"},
        {edited("\"NVMMENU_WRITE\"", "\"x\""), ": in panel NVM: item NVMMENU_WRITE is missing"},
        {source.left(source.size() / 2), ": line "},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        int result = 1;
        const std::string why = check(dir, c.text, &result);
        EXPECT_EQ(result, *c.why ? UIE_NOT_RESOURCE_FILE : 0) << why;
        EXPECT_EQ(why.find(dir.filePath("panels.uir").toStdString() + c.why), *c.why ? 0u : std::string::npos)
            << why;
        EXPECT_EQ(why.empty(), !*c.why) << why;
    }
}

// After a successful check the file is checked again whenever it is re-read:
// a changed or an unreadable file is refused at load.
TEST(Fingerprint, AFileChangedAfterTheCheckIsRefusedAtLoad)
{
    QTemporaryDir dir;
    int result = 1;
    check(dir, sourceText(), &result);
    ASSERT_EQ(result, 0);
    const QByteArray path = dir.filePath(QStringLiteral("panels.uir")).toLocal8Bit();
    const int panel = LoadPanel(0, path, ABOUT);
    EXPECT_GT(panel, 0);
    DiscardPanel(panel);
    for (const QByteArray &text :
         {sourceText().replace("\"ABOUT_WEB\"", "\"x\""), file(page("P", {}, {}, "60000"))}) {
        QFile out(QString::fromLocal8Bit(path));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(text) == text.size());
        out.close();
        EXPECT_EQ(LoadPanel(0, path, ABOUT), UIE_NOT_RESOURCE_FILE);
    }
}

} // namespace
