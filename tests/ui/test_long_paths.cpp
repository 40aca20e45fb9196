// SPDX-License-Identifier: GPL-3.0-or-later
// The real file dialog with a path longer than the caller's buffer: the path
// is never cut, and a real message says it is too long.
#include "uitest_support.h"

#include <QApplication>
#include <QFileDialog>
#include <QLineEdit>
#include <QMessageBox>
#include <QTest>
#include <QTimer>

namespace
{

TEST(RealFileDialog, APathTooLongForTheBufferIsSaidNeverCut)
{
    // Folders that do not exist, each name within the system's limit.
    std::string typed = "/tmp";
    while (typed.size() < 5000)
        typed += "/" + std::string(200, 'd');
    typed += "/data.csv";
    std::string title, text;
    // Answers whichever real popup is up: the dialog with the typed path, then
    // the message that follows it.
    QTimer answer;
    QObject::connect(&answer, &QTimer::timeout, [&] {
        if (auto *dialog = qobject_cast<QFileDialog *>(QApplication::activeModalWidget())) {
            auto *name = dialog->findChild<QLineEdit *>(QStringLiteral("fileNameEdit"));
            name->setText(QString::fromStdString(typed));
            QTest::keyClick(name, Qt::Key_Return);
        } else if (auto *box = qobject_cast<QMessageBox *>(QApplication::activeModalWidget())) {
            title = box->windowTitle().toStdString();
            text = box->text().toStdString();
            QTest::keyClick(box, Qt::Key_Return);
            answer.stop();
        }
    });
    answer.start(10);
    char path[MAX_PATHNAME_LEN] = "unset";
    EXPECT_EQ(
        FileSelectPopup("", "*.csv", "", "Save Data", VAL_SAVE_BUTTON, 0, 0, 1, 1, path, int(sizeof path)),
        VAL_NO_FILE_SELECTED);
    EXPECT_STREQ(path, "");
    EXPECT_EQ(title, "File Select");
    EXPECT_EQ(text, "The chosen path is too long (" + std::to_string(typed.size()) +
                        " bytes; at most 4095 can be used):\n" + typed);
}

} // namespace
