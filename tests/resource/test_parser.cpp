// SPDX-License-Identifier: GPL-3.0-or-later
// Resource files that ask too much: nesting, sizes, timer intervals and
// strip-chart lengths beyond sane bounds are refused with a reason, by the
// parser that both the generator and the run-time use.
#include "resourcekit.h"
#include "uctpanels.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <string>
#ifndef _WIN32
#include <sys/stat.h>
#endif

namespace
{

// One panel P with a timer and a strip chart; the arguments replace its
// width, the timer's interval, the chart's length and the content of a
// decoration frame.
QByteArray panelFile(const QString &width = QStringLiteral("400"),
                     const QString &interval = QStringLiteral("0.01"),
                     const QString &points = QStringLiteral("500"), const QString &inner = QString())
{
    return QStringLiteral(R"(<ui version="4.0"><widget class="QTabWidget" name="resource">
 <widget class="QWidget" name="P">
  <property name="geometry"><rect><x>0</x><y>0</y><width>%1</width><height>300</height></rect></property>
  <widget class="Timer" name="P_TIMER"><property name="interval" stdset="0"><double>%2</double></property></widget>
  <widget class="StripChart" name="P_CHART"><property name="points" stdset="0"><number>%3</number></property></widget>
  <widget class="QFrame" name="frame">%4</widget>
 </widget></widget></ui>)")
        .arg(width, interval, points, inner)
        .toUtf8();
}

QString nested(int levels)
{
    return QStringLiteral("<widget class=\"QFrame\" name=\"f\">").repeated(levels) +
           QStringLiteral("</widget>").repeated(levels);
}

TEST(Parser, RefusesWhatNoPanelNeedsAndSaysWhy)
{
    const struct {
        QByteArray file;
        const char *why; // empty: the file is valid
    } cases[] = {
        {panelFile(), ""},
        {panelFile("4096", "3600", "100000", nested(96)), ""}, // the bounds themselves
        {panelFile("60000"), "P: geometry width \"60000\" is outside 0 … 4096 pixels"},
        {panelFile("-1"), "geometry width \"-1\""},
        {panelFile("wide"), "geometry width \"wide\""},
        {panelFile("400", "2160000"), "P_TIMER: timer interval \"2160000\" is outside 0.001 … 3600 s"},
        {panelFile("400", "0"), "timer interval \"0\""},
        {panelFile("400", "nan"), "timer interval \"nan\""},
        {panelFile("400", "0.01", "1"), "P_CHART: points \"1\" is outside 2 … 100000"},
        {panelFile("400", "0.01", "10000000"), "points \"10000000\""},
        {panelFile("400", "0.01", "500",
                   "<property name=\"minimumSize\"><size><width>100</width><height>70000</height></size>"
                   "</property>"),
         "frame: minimumSize height \"70000\""},
        {panelFile("400", "0.01", "500",
                   "<property name=\"maximumSize\"><size><width>16777215</width><height>9</height></size>"
                   "</property>"),
         ""},
        {panelFile("400", "0.01", "500", nested(8000)), "elements nested deeper than 100 levels"},
        {panelFile("400", "0.01", "500", nested(97)), "elements nested deeper than 100 levels"},
    };
    for (const auto &c : cases) {
        QString why;
        const bool parsed = uir::parse(c.file, &why).has_value();
        EXPECT_EQ(parsed, !*c.why) << why.toStdString();
        EXPECT_TRUE(why.contains(QString::fromUtf8(c.why))) << why.toStdString() << "\n  wanted: " << c.why;
    }
}

// A page without its own size would take the size its layout asks for:
// frames of the largest allowed size side by side ask for a window far wider
// than any bound.
QByteArray unsizedPanelFile()
{
    const QString frame = QStringLiteral(
        "<item><widget class=\"QFrame\" name=\"f\"><property name=\"minimumSize\"><size><width>4096</width>"
        "<height>4096</height></size></property></widget></item>");
    return QStringLiteral(R"(<ui version="4.0"><widget class="QTabWidget" name="resource">
 <widget class="QWidget" name="P"><layout class="QHBoxLayout" name="row">%1</layout></widget></widget></ui>)")
        .arg(frame.repeated(8))
        .toUtf8();
}

TEST(Parser, LoadPanelRefusesAnOversizedOrUnsizedPanel)
{
    QString why;
    EXPECT_FALSE(uir::parse(unsizedPanelFile(), &why).has_value());
    EXPECT_EQ(why.toStdString(), "P: the panel has no geometry (its size)");
    for (const QByteArray &file : {panelFile("60000"), unsizedPanelFile()}) {
        QTemporaryDir dir;
        QFile out(dir.filePath(QStringLiteral("wide.uir")));
        ASSERT_TRUE(out.open(QIODevice::WriteOnly) && out.write(file) > 0);
        out.close();
        EXPECT_EQ(LoadPanel(0, qPrintable(out.fileName()), 1), UIE_NOT_RESOURCE_FILE);
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
    gen.start(QStringLiteral(UCT_UIRGEN),
              {fifo, dir.filePath(QStringLiteral("out.h")), dir.filePath(QStringLiteral("out.inc"))});
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

QString writeFile(const QTemporaryDir &dir, const QString &name, const QByteArray &text)
{
    QFile out(dir.filePath(name));
    if (!out.open(QIODevice::WriteOnly) || out.write(text) != text.size())
        return {};
    return out.fileName();
}

std::string check(const char *fileName, int *result)
{
    loadResourceWithDummyCallbacks(); // the check also wants every callback
    char why[512] = "unset";
    *result = CheckResourceFile(fileName, UCT_PANELS_FINGERPRINT, why, sizeof why);
    return why;
}

// A resource file that differs from the one the program was built with is
// refused, naming the file and the first difference.
TEST(Fingerprint, AFileThatDiffersFromTheBuildIsRefusedWithTheDifference)
{
    const QByteArray source = sourceText();
    ASSERT_FALSE(source.isEmpty());
    auto edited = [&source](const char *from, const char *to) {
        QByteArray text = source;
        return text.replace(from, to);
    };
    const struct {
        QByteArray text;
        int result;
        const char *why;
    } cases[] = {
        {source, 0, ""},
        {edited("name=\"MAIN_READING\"", "name=\"main_reading\""), UIE_NOT_RESOURCE_FILE,
         ": in panel MAIN: control MAIN_READING text-indicator is missing"},
        {edited("<widget class=\"QLabel\" name=\"MAIN_UNITS\">",
                "<widget class=\"QLineEdit\" name=\"MAIN_UNITS\">"),
         UIE_NOT_RESOURCE_FILE,
         ": in panel MAIN: control MAIN_UNITS is text where the program expects text-indicator"},
        {edited("name=\"label_1\"", "name=\"MAIN_BRAND\""), UIE_NOT_RESOURCE_FILE,
         ": in panel MAIN: control MAIN_BRAND text-indicator is unknown to the program"},
        {edited("<widget class=\"QWidget\" name=\"NVM\">", "<widget class=\"QWidget\" name=\"MEM\">"),
         UIE_NOT_RESOURCE_FILE, ": panel NVM is missing"},
        {edited("name=\"NVMMENU_WRITE\"", "name=\"nvm_write\""), UIE_NOT_RESOURCE_FILE,
         ": in panel NVM: item NVMMENU_WRITE is missing"},
        {source.left(source.size() / 2), UIE_NOT_RESOURCE_FILE, ": line "},
    };
    for (const auto &c : cases) {
        QTemporaryDir dir;
        const QString path = writeFile(dir, QStringLiteral("panels.uir"), c.text);
        int result = 1;
        const std::string why = check(qPrintable(path), &result);
        EXPECT_EQ(result, c.result) << why;
        EXPECT_EQ(why.find(path.toStdString() + c.why), *c.why ? 0u : std::string::npos) << why;
        EXPECT_EQ(why.empty(), c.result == 0) << why;
    }
}

// After a successful check the file is checked again whenever it is re-read.
TEST(Fingerprint, AFileChangedAfterTheCheckIsRefusedAtLoad)
{
    QTemporaryDir dir;
    const QString path = writeFile(dir, QStringLiteral("panels.uir"), sourceText());
    int result = 1;
    check(qPrintable(path), &result);
    ASSERT_EQ(result, 0);
    const int panel = LoadPanel(0, qPrintable(path), ABOUT);
    EXPECT_GT(panel, 0);
    DiscardPanel(panel);
    writeFile(dir, QStringLiteral("panels.uir"),
              sourceText().replace("name=\"ABOUT_WEB\"", "name=\"about_web\""));
    EXPECT_EQ(LoadPanel(0, qPrintable(path), ABOUT), UIE_NOT_RESOURCE_FILE);
}

// A relative name finds the program's own copy before a stray file in the
// working folder, and the file UCT_SFP_RESOURCE_FILE names before either.
TEST(Fingerprint, TheProgramsOwnFileWinsOverTheWorkingFolderUnlessAVariableNamesAnother)
{
    const QByteArray name = QFileInfo(QString::fromLocal8Bit(resourceFile)).fileName().toLocal8Bit();
    QTemporaryDir dir;
    const QString stray = writeFile(dir, QString::fromLocal8Bit(name),
                                    sourceText().replace("name=\"MATH_ENABLE\"", "name=\"x\""));
    const QString before = QDir::currentPath();
    ASSERT_TRUE(QDir::setCurrent(dir.path()));
    int result = 1;
    std::string why = check(name.constData(), &result);
    EXPECT_EQ(result, 0) << why;
    ASSERT_TRUE(qputenv("UCT_SFP_RESOURCE_FILE", stray.toLocal8Bit()));
    why = check(name.constData(), &result);
    qunsetenv("UCT_SFP_RESOURCE_FILE");
    QDir::setCurrent(before);
    EXPECT_EQ(result, UIE_NOT_RESOURCE_FILE);
    EXPECT_EQ(why, stray.toStdString() + ": in panel MATH: control MATH_ENABLE command is missing");
}

} // namespace
