// SPDX-License-Identifier: GPL-3.0-or-later
// State shared by the layer's source files. Internal: nothing outside
// platform/ui includes this.
#pragma once

#include "uirmodel.h"
#include "userint.h"
#include "userint_testseam.h"

#include <QLineEdit>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <QWidget>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

namespace uct::ui
{

struct ControlRec {
    const uir::Control *def = nullptr;
    QPointer<QWidget> widget;
    CtrlCallbackPtr callback = nullptr;
    std::vector<int> codes; // rings: the code of each item
};

struct MenuItemRec {
    int number = 0;
    MenuCallbackPtr callback = nullptr;
};

struct PanelRec {
    int handle = 0;
    std::shared_ptr<const uir::Model> model; // keeps def alive
    const uir::Panel *def = nullptr;
    QPointer<QWidget> window;
    PanelCallbackPtr callback = nullptr;
    std::vector<ControlRec> controls; // index: control number - 2
    int menuBarHandle = 0;
    std::vector<MenuItemRec> menuItems;
};

// Set on a numeric or text control while the user holds an edit in it that
// is not committed yet. The program's writes meanwhile keep the text under
// the user's hands: a numeric takes the value at once, a text field keeps
// the program's text in pendingTextProperty until the edit ends without a
// commit.
inline constexpr char userEditProperty[] = "uctUserEdit";
// The file's key for a command button or menu item ("F5", "Ctrl+Q", "Esc").
inline constexpr char shortcutKeyProperty[] = "shortcutKey";
inline constexpr char pendingTextProperty[] = "uctPendingText";

// Writes a text field with its signals blocked; the text shows from its
// beginning.
void showText(QLineEdit *edit, const QString &text);

bool initialized();
// Where the program's own files are: beside the executable, then the data
// folder of an installation (UCT_DATA_DIR, relative to the executable's).
QStringList programDataDirectories();
PanelRec *findPanel(int handle);
// The control or nullptr with *error set to UIE_INVALID_PANEL / UIE_INVALID_CONTROL.
ControlRec *findControl(int panel, int control, int *error);
int loadedPanelCount();

// Event delivery, shared by real input and the test seam. Each returns the
// callback's result, 0 when nothing is bound, or a negative UIE_ code.
int raiseControlEvent(int panel, int control, int event, int data1 = 0, int data2 = 0);
int raisePanelEvent(int panel, int event);
int raiseMenuEvent(int panel, int menuItem);
int raiseTimerTick(int panel, int control);

// Held by every popup while it is up. No timer ticks meanwhile (they are
// dropped, not queued); the press, drag or auto-repeat in progress ends, so
// one user action never keeps acting behind the popup; and the activation
// that returns the focus to the panel afterwards is not the panel getting
// the focus.
class PopupScope
{
  public:
    PopupScope();
    ~PopupScope();
    PopupScope(const PopupScope &) = delete;
    PopupScope &operator=(const PopupScope &) = delete;

  private:
    QPointer<QWidget> owner_;
};

// Copies text into a caller's buffer of size bytes, always terminated, cut
// on a character boundary. UIE_BUFFER_TOO_SMALL when cut.
int copyText(const QString &text, char *buffer, int size);
QString fromUser(const char *text);

struct Seam {
    bool active = false;
    std::deque<int> popupAnswers;
    std::vector<uitest::PopupRecord> popups;
    std::deque<std::pair<int, std::string>> fileAnswers;
    std::vector<uitest::FileDialogRecord> fileDialogs;
    std::vector<std::vector<std::string>> launched;
    std::function<void(double)> delayHook;
};
Seam &seam();

} // namespace uct::ui
