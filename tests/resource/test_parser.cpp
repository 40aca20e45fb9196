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

TEST(Parser, RefusesWhatNoPanelNeedsAndSaysWhy)
{
    using namespace uir;
    auto one = [](const QString &inner, const QString &attributes = {}, const char *width = "40") {
        return file(page("P", inner, attributes, width));
    };
    auto with = [](const QString &cls, const QString &property, const QString &value) { // a dynamic property
        return "<widget class=\"" + cls + "\" name=\"P_" + cls + "\"><property name=\"" + property +
               "\" stdset=\"0\">" + value + "</property></widget>";
    };
    auto timer = [&](const QString &s) { return with("Timer", "interval", "<double>" + s + "</double>"); };
    auto chart = [&](const QString &n) { return with("StripChart", "points", "<number>" + n + "</number>"); };
    auto frame = [](const QString &property, const QString &width, const QString &height) {
        return "<widget class=\"QFrame\" name=\"frame\"><property name=\"" + property + "\"><size><width>" +
               width + "</width><height>" + height + "</height></size></property></widget>";
    };
    auto nested = [](int n) {
        return QString("<widget class=\"QFrame\" name=\"f\">").repeated(n) + QString("</widget>").repeated(n);
    };
    auto title = [](qsizetype n) {
        return "<property name=\"panelTitle\"><string>" + QString(n, 'T') + "</string></property>";
    };
    const QString attribute = " a%1=\"1\"", widget = "<widget class=\"QFrame\"/>", comment = "<!-- x -->",
                  property = "<property name=\"p\"/>";
    const QString menu =
        page("P%1", "<widget class=\"QMenuBar\" name=\"M%1\"><addaction name=\"A\"/></widget>");
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
    EXPECT_TRUE(gen.exitCode() == 1 && gen.readAllStandardError().contains("is not a readable regular file"));
}
#endif

// A resource file that differs from the one the program was built with is
// refused, naming the file and the first difference; so is one changed after
// a successful check, when a panel is loaded from it.
TEST(Fingerprint, AFileThatDiffersFromTheBuildIsRefusedWithTheDifference)
{
    QFile in(QString::fromLocal8Bit(resourceFile));
    ASSERT_TRUE(in.open(QIODevice::ReadOnly));
    const QByteArray source = in.readAll();
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
    auto write = [](const QByteArray &path, const QByteArray &text) {
        QFile out(QString::fromLocal8Bit(path));
        return out.open(QIODevice::WriteOnly) && out.write(text) == text.size();
    };
    loadResourceWithDummyCallbacks(); // the check also wants every callback
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QByteArray path = dir.filePath(QStringLiteral("panels.uir")).toLocal8Bit();
        char why[512] = "unset";
        ASSERT_TRUE(write(path, source));
        ASSERT_EQ(CheckResourceFile(path, UCT_PANELS_FINGERPRINT, why, sizeof why), 0) << why;
        ASSERT_TRUE(write(path, c.text));
        const int panel = LoadPanel(0, path, ABOUT), refused = *c.why ? UIE_NOT_RESOURCE_FILE : 0;
        DiscardPanel(panel);
        EXPECT_EQ(std::min(panel, 0), refused) << c.why;
        EXPECT_EQ(CheckResourceFile(path, UCT_PANELS_FINGERPRINT, why, sizeof why), refused);
        EXPECT_TRUE(*c.why ? std::string(why).starts_with(path.toStdString() + c.why) : !*why) << why;
    }
}

} // namespace
