// SPDX-License-Identifier: GPL-3.0-or-later
// Resource files that ask for more than any panel needs: each bound is
// refused with its reason before anything is built, and a file that is no
// regular file is refused before it is read. The big files are made here.
#include "resourcekit.h"
#include "uctpanels.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace
{

const QString geometry =
    QStringLiteral("<property name=\"geometry\"><rect><x>0</x><y>0</y><width>40</width><height>30</height>"
                   "</rect></property>");

QString page(const QString &name, const QString &inner = {}, const QString &attributes = {})
{
    return QStringLiteral("<widget class=\"QWidget\" name=\"%1\"%2>%3%4</widget>")
        .arg(name, attributes, geometry, inner);
}

QByteArray file(const QString &pages, const QString &tail = {})
{
    return (QStringLiteral("<ui version=\"4.0\"><widget class=\"QTabWidget\" name=\"resource\">") + pages +
            QStringLiteral("</widget>") + tail + QStringLiteral("</ui>"))
        .toUtf8();
}

QString attributes(int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += QStringLiteral(" a%1=\"1\"").arg(i);
    return out;
}

QString pages(int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += page(QStringLiteral("P%1").arg(i));
    return out;
}

// Panels whose menu bars each add the action A.
QString menus(int n)
{
    QString out;
    for (int i = 0; i < n; ++i)
        out += page(QStringLiteral("P%1").arg(i),
                    QStringLiteral("<widget class=\"QMenuBar\" name=\"M%1\"><addaction name=\"A\"/></widget>")
                        .arg(i));
    return out;
}

QString title(qsizetype length)
{
    return QStringLiteral("<property name=\"panelTitle\" stdset=\"0\"><string>%1</string></property>")
        .arg(QString(length, QLatin1Char('T')));
}

const QString frame = QStringLiteral("<widget class=\"QFrame\" name=\"f\"/>");
const QString comment = QStringLiteral("<!-- x -->");

TEST(Bounds, EachIsRefusedWithItsReason)
{
    using namespace uir;
    // Padding that costs the reader little: comments after the panels.
    const int padding = int(maxFileBytes / comment.size());
    const struct {
        QByteArray text;
        const char *why; // empty: accepted
    } cases[] = {
        // The page already has its class and name.
        {file(page("P", {}, attributes(maxAttributes - 2))), ""},
        {file(page("P", {}, attributes(maxAttributes - 1))),
         "line 1: an element with more than 64 attributes"},
        // As many attributes as the largest file holds: counted, never compared.
        {file(page("P", {}, attributes(int(maxFileBytes / 10)))).left(maxFileBytes),
         "more than 64 attributes"},
        {file(page("P", {}, QStringLiteral(" a=\"=\" b='==\"'"))), ""}, // '=' inside values
        {file(page("P", comment + QStringLiteral("<!-- a=1 b=2 -->").repeated(80))), ""},
        {file(pages(maxPanels)), ""},
        {file(pages(maxPanels + 1)), "the file holds more than 64 panels"},
        {file(page("P", frame.repeated(maxWidgetsPerPanel))), ""},
        {file(page("P", frame.repeated(maxWidgetsPerPanel + 1))), "panel P holds more than 1000 widgets"},
        {file(page("P", frame.repeated(30000))), "panel P holds more than 1000 widgets"},
        {file(page("P", title(maxTextLength))), ""},
        {file(page("P", title(maxTextLength + 1))), "a text longer than 32768 characters"},
        {file(page("P", {}, QStringLiteral(" t=\"%1\"").arg(QString(maxTextLength + 1, QLatin1Char('t'))))),
         "a text longer than 32768 characters"},
        {file(page("P", QStringLiteral("<a/>").repeated(maxElements))), "more than 50000 elements"},
        {file(page("P"), comment.repeated(padding - 40)), ""},
        {file(page("P"), comment.repeated(padding)), "the file is larger than 2097152 bytes"},
        // An action that each page's form repeats: the forms together are bounded.
        {file(menus(64), QStringLiteral("<action name=\"A\">%1</action>").arg(comment)), ""},
        {file(menus(64), QStringLiteral("<action name=\"A\">%1</action>")
                             .arg(QStringLiteral("<property name=\"p\"/>").repeated(40000))),
         "the panels together need more than 8388608 bytes"},
        {"<?xml version=\"1.0\"?>\n<!DOCTYPE ui [<!ENTITY e \"<a/>\">]>\n" + file(page("P", "&e;")),
         "line 2: a declaration (<!...>), which resource files do not have"},
    };
    for (const auto &c : cases) {
        QString why;
        const bool parsed = parse(c.text, &why).has_value();
        EXPECT_EQ(parsed, !*c.why) << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << why.toStdString() << "\n  wanted: " << c.why;
    }
}

// What start-up checks first: the file that is used, named by its absolute
// path, and why it cannot be.
TEST(Bounds, TheResourceFileCheckNamesThePathAndTheReason)
{
    loadResourceWithDummyCallbacks();
    QTemporaryDir dir;
    const std::string base = dir.path().toStdString();
    QFile source(QString::fromLocal8Bit(resourceFile));
    ASSERT_TRUE(source.open(QIODevice::ReadOnly));
    const QByteArray text = source.readAll();
    auto write = [&base](const char *name, const QByteArray &bytes) {
        QFile out(QString::fromStdString(base + "/" + name));
        EXPECT_TRUE(out.open(QIODevice::WriteOnly) && out.write(bytes) == bytes.size());
        return base + "/" + name;
    };
    const std::string fifo = base + "/fifo.uir", loop = base + "/loop.uir";
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    ASSERT_EQ(symlink(loop.c_str(), loop.c_str()), 0);
    const std::string unknown = write(
        "unknown.uir", QByteArray(text).replace("<string>setCtrMainEvent</string>", "<string>gone</string>"));
    const std::string huge = write("huge.uir", text + QByteArray(uir::maxFileBytes, ' '));
    const std::string relative = write("relative.uir", text);
    const struct {
        std::string name; // as the variable gives it
        int result;
        std::string why;
    } cases[] = {
        {fifo, UIE_FILE_NOT_FOUND, fifo + ": a FIFO (named pipe), not a regular file"},
        {base, UIE_FILE_NOT_FOUND, base + ": a folder, not a file"},
        {loop, UIE_FILE_NOT_FOUND, loop + ": the path runs in a loop of symbolic links"},
        {"/dev/zero", UIE_FILE_NOT_FOUND, "/dev/zero: a device, not a regular file"},
        {base + "/none.uir", UIE_FILE_NOT_FOUND, base + "/none.uir: there is no such file"},
        {unknown, UIE_UNKNOWN_CALLBACK,
         unknown + ": control MAIN_CONTINUOUS names the callback gone, which this program does not have"},
        {huge, UIE_NOT_RESOURCE_FILE, huge + ": the file is larger than 2097152 bytes"},
        {"relative.uir", UIE_NO_ERROR, ""},
    };
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    for (const auto &c : cases) {
        qputenv("UCT_SFP_RESOURCE_FILE", QByteArray::fromStdString(c.name));
        char why[4096] = "unset", last[4096] = "unset";
        EXPECT_EQ(CheckResourceFile("panels.uir", UCT_PANELS_FINGERPRINT, why, sizeof why), c.result)
            << c.name;
        EXPECT_EQ(why, c.why);
        GetLoadPanelError(last, sizeof last);
        EXPECT_EQ(last, c.why);
    }
    qunsetenv("UCT_SFP_RESOURCE_FILE");
    QDir::setCurrent(before);
}

} // namespace
