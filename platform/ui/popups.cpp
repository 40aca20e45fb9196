// SPDX-License-Identifier: GPL-3.0-or-later
// Modal popups, the file dialog and the system calls. With the test seam
// active, popups and dialogs are recorded and answered from its script,
// programs are recorded instead of started and Delay calls the seam's clock.
#include "layer.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QProcess>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>
#include <chrono>
#include <cmath>
#include <thread>

using namespace uct::ui;

namespace
{

uitest::PopupRecord popup(const char *kind, const char *title, const char *text)
{
    uitest::PopupRecord record;
    record.kind = kind;
    record.title = fromUser(title).toStdString();
    record.text = fromUser(text).toStdString();
    return record;
}

int scripted(uitest::PopupRecord record, int fallback)
{
    Seam &s = seam();
    record.scripted = !s.popupAnswers.empty();
    record.answer = record.scripted ? s.popupAnswers.front() : fallback;
    if (record.scripted)
        s.popupAnswers.pop_front();
    s.popups.push_back(record);
    return record.answer;
}

// Runs a modal dialog under the popup rules (see PopupScope).
int runModal(QDialog &dialog)
{
    const PopupScope scope;
    return dialog.exec();
}

// Enter and Esc choose the buttons the caller names; the close box counts
// as Esc.
class GenericPopup : public QDialog
{
  public:
    GenericPopup(int enterButton, int escapeButton) : enter_(enterButton), escape_(escapeButton) {}

  protected:
    void keyPressEvent(QKeyEvent *event) override
    {
        const int key = event->key();
        if ((key == Qt::Key_Return || key == Qt::Key_Enter) && enter_ > 0)
            done(enter_);
        else if (key == Qt::Key_Escape && escape_ > 0)
            done(escape_);
        else
            event->ignore();
    }
    void reject() override
    {
        if (escape_ > 0)
            done(escape_);
    }

  private:
    int enter_, escape_;
};

QString fileFilter(const QString &spec, const QString &typeList, bool restrict)
{
    QStringList filters;
    if (!spec.isEmpty())
        filters << spec;
    for (const QString &type : typeList.split(QLatin1Char(';'), Qt::SkipEmptyParts))
        filters << type.trimmed();
    if (!restrict || filters.isEmpty())
        filters << QStringLiteral("*");
    return filters.join(QStringLiteral(";;"));
}

} // namespace

int MessagePopup(const char *title, const char *message)
{
    if (seam().active) {
        scripted(popup("message", title, message), 1);
        return UIE_NO_ERROR;
    }
    if (!initialized())
        return UIE_NOT_INITIALIZED;
    QMessageBox box(QMessageBox::NoIcon, fromUser(title), fromUser(message), QMessageBox::Ok);
    runModal(box);
    return UIE_NO_ERROR;
}

int ConfirmPopup(const char *title, const char *message)
{
    if (seam().active)
        return scripted(popup("confirm", title, message), 0);
    if (!initialized())
        return UIE_NOT_INITIALIZED;
    QMessageBox box(QMessageBox::Question, fromUser(title), fromUser(message),
                    QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton(QMessageBox::Yes);
    box.setEscapeButton(QMessageBox::No);
    return runModal(box) == QMessageBox::Yes ? 1 : 0;
}

int GenericMessagePopup(const char *title, const char *message, const char *button1Label,
                        const char *button2Label, const char *button3Label, char *responseBuffer,
                        int maxResponseLength, int buttonAlignment, int activeControl, int enterButton,
                        int escapeButton)
{
    (void)buttonAlignment;
    std::vector<std::string> labels;
    for (const char *label : {button1Label, button2Label, button3Label})
        if (label && *label)
            labels.emplace_back(label);
    if (seam().active) {
        uitest::PopupRecord record = popup("generic", title, message);
        record.buttons = labels;
        record.enterButton = enterButton;
        record.escapeButton = escapeButton;
        if (responseBuffer && maxResponseLength > 0)
            responseBuffer[0] = '\0';
        return scripted(record, escapeButton);
    }
    if (!initialized())
        return UIE_NOT_INITIALIZED;
    GenericPopup dialog(enterButton, escapeButton);
    dialog.setWindowTitle(fromUser(title));
    auto *layout = new QVBoxLayout(&dialog);
    auto *text = new QLabel(fromUser(message));
    text->setTextInteractionFlags(Qt::TextSelectableByMouse);
    layout->addWidget(text);
    QLineEdit *response = nullptr;
    if (responseBuffer && maxResponseLength > 0) {
        response = new QLineEdit;
        response->setMaxLength(maxResponseLength);
        layout->addWidget(response);
    }
    auto *row = new QHBoxLayout;
    row->addStretch();
    int number = 0;
    for (const std::string &label : labels) {
        auto *button = new QPushButton(QString::fromStdString(label));
        button->setAutoDefault(false);
        QObject::connect(button, &QPushButton::clicked, &dialog, [&dialog, n = ++number] { dialog.done(n); });
        row->addWidget(button);
        if (number == activeControl)
            button->setFocus();
    }
    layout->addLayout(row);
    if (response && activeControl == VAL_GENERIC_POPUP_NO_CTRL)
        response->setFocus();
    const int chosen = runModal(dialog);
    if (response)
        copyText(response->text(), responseBuffer, maxResponseLength + 1);
    return chosen;
}

int FileSelectPopup(const char *defaultDirectory, const char *defaultFileSpec, const char *fileTypeList,
                    const char *title, int buttonLabel, int restrictDirectory, int restrictExtension,
                    int allowCancel, int allowMakeDirectory, char *pathName, int pathNameSize)
{
    (void)allowCancel;
    if (pathName && pathNameSize > 0)
        pathName[0] = '\0';
    QString chosen;
    int result = VAL_NO_FILE_SELECTED;
    if (seam().active) {
        Seam &s = seam();
        s.fileDialogs.push_back({fromUser(defaultDirectory).toStdString(),
                                 fromUser(defaultFileSpec).toStdString(), fromUser(title).toStdString(),
                                 buttonLabel, allowMakeDirectory});
        if (!s.fileAnswers.empty()) {
            result = s.fileAnswers.front().first;
            chosen = QString::fromStdString(s.fileAnswers.front().second);
            s.fileAnswers.pop_front();
        }
    } else {
        if (!initialized())
            return UIE_NOT_INITIALIZED;
        const QString directory =
            fromUser(defaultDirectory).isEmpty() ? QDir::currentPath() : fromUser(defaultDirectory);
        QFileDialog dialog(nullptr, fromUser(title), directory,
                           fileFilter(fromUser(defaultFileSpec), fromUser(fileTypeList), restrictExtension));
        dialog.setOption(QFileDialog::DontUseNativeDialog);
        // The program appends to a chosen file, so an existing one is no "overwrite".
        dialog.setOption(QFileDialog::DontConfirmOverwrite);
        dialog.setOption(QFileDialog::ReadOnly, !allowMakeDirectory);
        const bool save = buttonLabel == VAL_SAVE_BUTTON;
        dialog.setAcceptMode(save ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
        dialog.setFileMode(buttonLabel == VAL_LOAD_BUTTON ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
        if (restrictDirectory)
            QObject::connect(&dialog, &QFileDialog::directoryEntered, &dialog,
                             [&dialog, directory](const QString &entered) {
                                 if (QDir(entered) != QDir(directory))
                                     dialog.setDirectory(directory);
                             });
        if (runModal(dialog) == QDialog::Accepted && !dialog.selectedFiles().isEmpty()) {
            chosen = QDir::toNativeSeparators(dialog.selectedFiles().constFirst());
            result = QFileInfo::exists(chosen) ? VAL_EXISTING_FILE_SELECTED : VAL_NEW_FILE_SELECTED;
        }
    }
    if (result == VAL_NO_FILE_SELECTED)
        return result;
    // A path cut short would name another file: nothing is chosen, and the
    // user learns why.
    if (copyText(chosen, pathName, pathNameSize) != UIE_NO_ERROR) {
        if (pathName && pathNameSize > 0)
            pathName[0] = '\0';
        const QString text =
            QStringLiteral("The chosen path is too long (%1 bytes; at most %2 can be used):\n%3")
                .arg(chosen.toUtf8().size())
                .arg(pathNameSize - 1)
                .arg(chosen);
        MessagePopup("File Select", text.toUtf8().constData());
        return VAL_NO_FILE_SELECTED;
    }
    return result;
}

int LaunchExecutable(const char *program, const char *const arguments[], int argumentCount)
{
    const QString name = fromUser(program);
    if (name.isEmpty() || argumentCount < 0 || (argumentCount > 0 && !arguments))
        return UIE_PROGRAM_NOT_FOUND;
    const QFileInfo asPath(name);
    const QString path =
        name.contains(QLatin1Char('/')) || name.contains(QLatin1Char('\\'))
            ? (asPath.isFile() && asPath.isExecutable() ? asPath.absoluteFilePath() : QString())
            : QStandardPaths::findExecutable(name);
    if (path.isEmpty())
        return UIE_PROGRAM_NOT_FOUND;
    QStringList args;
    std::vector<std::string> command{name.toStdString()};
    for (int i = 0; i < argumentCount; ++i) {
        args << fromUser(arguments[i]);
        command.push_back(args.back().toStdString());
    }
    if (seam().active) {
        seam().launched.push_back(command);
        return UIE_NO_ERROR;
    }
    return QProcess::startDetached(path, args) ? UIE_NO_ERROR : UIE_LAUNCH_FAILED;
}

int GetDir(char *directory, int directorySize)
{
    return copyText(QDir::toNativeSeparators(QDir::currentPath()), directory, directorySize);
}

QStringList uct::ui::programDataDirectories()
{
    const QDir program(QCoreApplication::applicationDirPath());
    return {program.path(), program.filePath(QStringLiteral(UCT_DATA_DIR))};
}

int GetProgramFilePath(const char *fileName, char *path, int pathSize)
{
    if (path && pathSize > 0)
        path[0] = '\0';
    const QString name = fromUser(fileName);
    if (name.isEmpty())
        return UIE_FILE_NOT_FOUND;
    for (const QString &dir : programDataDirectories()) {
        const QFileInfo candidate(QDir(dir), name);
        if (!candidate.isFile())
            continue;
        // A path cut short would name another file: better none.
        if (copyText(QDir::toNativeSeparators(candidate.absoluteFilePath()), path, pathSize) !=
            UIE_NO_ERROR) {
            if (path && pathSize > 0)
                path[0] = '\0';
            return UIE_BUFFER_TOO_SMALL;
        }
        return UIE_NO_ERROR;
    }
    return UIE_FILE_NOT_FOUND;
}

int Delay(double seconds)
{
    if (!(seconds > 0) || !std::isfinite(seconds))
        return UIE_NO_ERROR;
    if (seam().active) {
        if (seam().delayHook)
            seam().delayHook(seconds);
        return UIE_NO_ERROR;
    }
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
    return UIE_NO_ERROR;
}
