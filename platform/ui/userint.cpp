// SPDX-License-Identifier: GPL-3.0-or-later
// Run-time, panels, event delivery and the event loop.
#include "instrthread.h"
#include "layer.h"
#include "userfile.h"
#include "widgets.h"

#include <QAbstractButton>
#include <QAbstractEventDispatcher>
#include <QAbstractSpinBox>
#include <QAction>
#include <QApplication>
#include <QBuffer>
#include <QComboBox>
#include <QDateTime>
#include <QDir>
#include <QDoubleSpinBox>
#include <QEventLoop>
#include <QFileInfo>
#include <QKeyEvent>
#include <QLayout>
#include <QLineEdit>
#include <QLocale>
#include <QMenuBar>
#include <QScreen>
#include <QShortcut>
#include <QSpinBox>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <clocale>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <optional>
#include <string>
#include <unordered_map>

namespace uct::ui
{
namespace
{

const char controlProperty[] = "uctControl";
// Resource property of a control that acts while a driver call is in flight:
// "act" runs its callback at once, "abort" abandons the call and runs its
// commit once the interrupted callback has returned.
const char whileBusyProperty[] = "whileBusy";

struct CachedFile {
    QDateTime modified;
    qint64 size = 0;
    std::shared_ptr<const uir::Model> model;
};

struct Runtime {
    QApplication *app = nullptr;
    std::unordered_map<std::string, CtrlCallbackPtr> controlCallbacks;
    std::unordered_map<std::string, PanelCallbackPtr> panelCallbacks;
    std::unordered_map<std::string, MenuCallbackPtr> menuCallbacks;
    std::map<QString, CachedFile> files;
    std::map<QString, QString> fingerprints; // by file path: what the file must hold
    QString loadError;                       // why the last LoadPanel or check failed
    std::unique_ptr<FormLoader> loader;
    std::map<int, std::unique_ptr<PanelRec>> panels;
    int nextPanel = 1;
    int nextMenuBar = 1;
    int dispatchDepth = 0;
    int popupDepth = 0;
    bool drawOnly = false;
    bool timersSuspended = false;
    bool waitCursor = false;
    std::vector<QEventLoop *> loops;
    std::optional<int> pendingQuit;
    QPointer<QWidget> returningFromPopup;
    // The widget that took the mouse press still held, and its button.
    QPointer<QWidget> pressed;
    Qt::MouseButton pressedButton = Qt::NoButton;
    // A driver call in flight: its restricted loops, nested, and what they saw.
    int busyDepth = 0;
    bool inputRefused = false;
    bool closing = false; // a close box's callbacks act while busy
    std::optional<std::pair<int, int>> deferredCommit;
    BusyCallbackPtr busyCallback = nullptr;
    std::optional<int> quitWhenReturned;
    double quitDeadline = 0.0;
};

Runtime &rt()
{
    static Runtime runtime;
    return runtime;
}

template <typename Fn>
int registerCallback(std::unordered_map<std::string, Fn> &table, const char *name, Fn fn)
{
    if (!name || !*name || !fn)
        return UIE_UNKNOWN_CALLBACK;
    table[name] = fn;
    return UIE_NO_ERROR;
}

template <typename Fn> Fn lookup(const std::unordered_map<std::string, Fn> &table, const QString &name)
{
    auto it = table.find(name.toStdString());
    return it == table.end() ? nullptr : it->second;
}

// Counts a callback in progress: a panel discarded meanwhile is deleted later,
// never under the signal that is still running.
struct Dispatch {
    Dispatch() { ++rt().dispatchDepth; }
    ~Dispatch() { --rt().dispatchDepth; }
    Dispatch(const Dispatch &) = delete;
    Dispatch &operator=(const Dispatch &) = delete;
};

// A relative name: the file a variable names, else the program's own copy
// (beside the executable, then installed) before one in the working folder,
// which may be any stray or older file. The path is absolute, so that every
// message names the file actually used.
QString locate(const char *fileName)
{
    const QString name = QString::fromLocal8Bit(fileName);
    if (QFileInfo(name).isAbsolute())
        return name;
    if (const QString chosen = qEnvironmentVariable("UCT_SFP_RESOURCE_FILE"); !chosen.isEmpty())
        return QFileInfo(chosen).absoluteFilePath();
    for (const QString &dir : programDataDirectories() + QStringList{QDir::currentPath()}) {
        const QString candidate = QDir(dir).filePath(name);
        if (QFileInfo::exists(candidate))
            return QFileInfo(candidate).absoluteFilePath();
    }
    return QFileInfo(name).absoluteFilePath();
}

// The model of the file at path (absolute), read again only when the file
// changed. Only a regular file is read (a FIFO or a device would block or
// never end), and no more of it than a resource file may hold.
std::shared_ptr<const uir::Model> modelOf(const QString &key, int *error, QString *why)
{
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(key.toLocal8Bit().constData(), "rb", reason, sizeof reason);
    if (!file) {
        *error = UIE_FILE_NOT_FOUND;
        *why = QString::fromLocal8Bit(reason);
        return nullptr;
    }
    const QFileInfo info(key);
    CachedFile &cached = rt().files[key];
    if (cached.model && cached.modified == info.lastModified() && cached.size == info.size()) {
        std::fclose(file);
        return cached.model;
    }
    QByteArray text(uir::maxFileBytes + 1, Qt::Uninitialized);
    text.resize(qsizetype(std::fread(text.data(), 1, size_t(text.size()), file)));
    const bool unread = std::ferror(file) != 0;
    std::fclose(file);
    QString problem = unread ? QStringLiteral("the file could not be read") : QString();
    std::optional<uir::Model> model = unread ? std::nullopt : uir::parse(text, &problem);
    if (model) {
        if (auto expected = rt().fingerprints.find(key); expected != rt().fingerprints.end())
            problem = uir::fingerprintDifference(expected->second, uir::fingerprint(*model));
    }
    if (!model || !problem.isEmpty()) {
        *error = UIE_NOT_RESOURCE_FILE;
        *why = QStringLiteral("%1: %2").arg(key, problem);
        rt().files.erase(key);
        return nullptr;
    }
    cached = {info.lastModified(), info.size(), std::make_shared<const uir::Model>(std::move(*model))};
    return cached.model;
}

// Follows the mouse press that is still held, for PopupScope. A press that a
// widget ignores goes on to its parent: the last to see it took it.
class PressTracker : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        const QEvent::Type type = event->type();
        if ((type == QEvent::MouseButtonPress || type == QEvent::MouseButtonDblClick) &&
            watched->isWidgetType()) {
            rt().pressed = static_cast<QWidget *>(watched);
            rt().pressedButton = static_cast<QMouseEvent *>(event)->button();
        } else if (type == QEvent::MouseButtonRelease &&
                   static_cast<QMouseEvent *>(event)->buttons() == Qt::NoButton) {
            rt().pressed = nullptr;
        }
        return false;
    }
};

// The first callback that a panel names and the program did not register,
// as a sentence; empty when every one is registered.
QString unboundCallback(const uir::Panel &def)
{
    const Runtime &r = rt();
    auto missing = [](const QString &what, const QString &name) {
        return QStringLiteral("%1 names the callback %2, which this program does not have").arg(what, name);
    };
    if (!def.callback.isEmpty() && !lookup(r.panelCallbacks, def.callback))
        return missing(QStringLiteral("panel %1").arg(def.name), def.callback);
    for (const uir::Control &c : def.controls)
        if (!c.callback.isEmpty() && !lookup(r.controlCallbacks, c.callback))
            return missing(QStringLiteral("control %1").arg(c.name), c.callback);
    for (const uir::MenuBar &bar : def.menuBars)
        for (const uir::MenuItem &item : bar.items)
            if (!item.callback.isEmpty() && !lookup(r.menuCallbacks, item.callback))
                return missing(QStringLiteral("menu item %1").arg(item.name), item.callback);
    return {};
}

// Window and indicator input of one panel: close box, activation, left
// clicks, Enter on command buttons.
class PanelInput : public QObject
{
  public:
    PanelInput(int handle, QWidget *window) : QObject(window), handle_(handle), window_(window) {}

    void watch(QWidget *w, int control)
    {
        w->setProperty(controlProperty, control);
        w->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        if (watched == window_)
            return windowEvent(event);
        const int control = watched->property(controlProperty).toInt();
        const ControlRec *rec = findControl(handle_, control, nullptr);
        if (!rec)
            return false;
        if (event->type() == QEvent::MouseButtonPress &&
            static_cast<QMouseEvent *>(event)->button() == Qt::LeftButton &&
            rec->def->kind != uir::Kind::Command && rec->def->kind != uir::Kind::Toggle) {
            raiseControlEvent(handle_, control, EVENT_LEFT_CLICK);
        } else if (event->type() == QEvent::KeyPress && rec->def->kind == uir::Kind::Command) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                static_cast<QAbstractButton *>(rec->widget.data())->click();
                return true;
            }
        }
        return false;
    }

  private:
    bool windowEvent(QEvent *event)
    {
        if (event->type() == QEvent::Close) {
            event->ignore();
            closeBox();
            return true;
        }
        if (event->type() == QEvent::WindowActivate) {
            const bool fromPopup = rt().returningFromPopup == window_;
            rt().returningFromPopup = nullptr;
            if (!fromPopup)
                raisePanelEvent(handle_, EVENT_GOT_FOCUS);
        }
        return false;
    }

    void closeBox()
    {
        const PanelRec *panel = findPanel(handle_);
        if (!panel)
            return;
        const uir::Control *closeControl = panel->def->control(panel->def->closeControl);
        // During a driver call the window goes at once, and the close
        // control comes first: a quit then acts at once (and ends the process
        // within its bound) instead of after a close callback whose own
        // driver call would queue behind the one in flight.
        Runtime &r = rt();
        const bool busyNow = r.busyDepth > 0;
        if (busyNow)
            window_->hide();
        const bool outer = std::exchange(r.closing, true);
        if (busyNow && closeControl)
            raiseControlEvent(handle_, closeControl->number, EVENT_COMMIT);
        raisePanelEvent(handle_, EVENT_CLOSE);
        if (!busyNow && closeControl)
            raiseControlEvent(handle_, closeControl->number, EVENT_COMMIT);
        r.closing = outer;
    }

    int handle_;
    QWidget *window_;
};

// The user's first keystroke into a field starts an edit of its control.
void followUserEdit(QWidget *control, QLineEdit *edit)
{
    QObject::connect(edit, &QLineEdit::textEdited, control,
                     [control] { control->setProperty(userEditProperty, true); });
}

// A button's "shortcutKey" from the file presses it at once while its panel
// is the active window: Qt's own button shortcut would take the focus from
// the field being typed in and press only after a delay. The tooltip names it.
void bindShortcut(QAbstractButton *button)
{
    const QKeySequence keys(button->property(shortcutKeyProperty).toString());
    if (keys.isEmpty())
        return;
    auto *shortcut = new QShortcut(keys, button->window());
    shortcut->setAutoRepeat(false);
    QObject::connect(shortcut, &QShortcut::activated, button, [button] { button->click(); });
    const QString name = keys.toString(QKeySequence::NativeText);
    button->setToolTip(button->toolTip().isEmpty() ? name
                                                   : button->toolTip() + QStringLiteral(" (%1)").arg(name));
}

void connectControl(PanelRec &panel, PanelInput &input, ControlRec &rec)
{
    QWidget *w = rec.widget;
    const int handle = panel.handle;
    const int number = rec.def->number;
    auto raise = [handle, number](auto... events) {
        return [handle, number, events...] {
            for (int event : {events...})
                if (!findPanel(handle) || raiseControlEvent(handle, number, event) < 0)
                    return;
        };
    };
    switch (rec.def->kind) {
    case uir::Kind::Command:
        QObject::connect(static_cast<QAbstractButton *>(w), &QAbstractButton::clicked, w,
                         raise(EVENT_COMMIT));
        input.watch(w, number);
        bindShortcut(static_cast<QAbstractButton *>(w));
        break;
    case uir::Kind::Toggle:
        QObject::connect(static_cast<QAbstractButton *>(w), &QAbstractButton::clicked, w,
                         raise(EVENT_VAL_CHANGED, EVENT_COMMIT));
        break;
    case uir::Kind::Numeric: {
        auto *box = static_cast<QAbstractSpinBox *>(w);
        box->setKeyboardTracking(false);
        followUserEdit(w, box->findChild<QLineEdit *>());
        // The tooltip adds the range and unit to the resource's text.
        if (auto *entry = dynamic_cast<ValueEntry *>(w))
            entry->describe(w->toolTip());
        // A typed entry ends with Enter or leaving the field, committed or not;
        // an entry that Enter refuses goes on.
        QObject::connect(box, &QAbstractSpinBox::editingFinished, w,
                         [w] { w->setProperty(userEditProperty, false); });
        auto commit = [w, events = raise(EVENT_VAL_CHANGED, EVENT_COMMIT)] {
            w->setProperty(userEditProperty, false);
            events();
        };
        if (auto *spin = qobject_cast<QSpinBox *>(w))
            QObject::connect(spin, &QSpinBox::valueChanged, w, commit);
        else
            QObject::connect(static_cast<QDoubleSpinBox *>(w), &QDoubleSpinBox::valueChanged, w, commit);
        break;
    }
    case uir::Kind::Ring: {
        auto *ring = static_cast<QComboBox *>(w);
        QObject::connect(ring, &QComboBox::activated, w, raise(EVENT_COMMIT));
        const QStringList codes = w->property("codes").toString().split(QLatin1Char(','), Qt::SkipEmptyParts);
        for (int i = 0; i < ring->count(); ++i) {
            bool ok = false;
            const int code = i < codes.size() ? codes[i].trimmed().toInt(&ok) : i;
            rec.codes.push_back(ok || i >= codes.size() ? code : i);
        }
        break;
    }
    case uir::Kind::Text: {
        auto *edit = static_cast<QLineEdit *>(w);
        followUserEdit(w, edit);
        QObject::connect(edit, &QLineEdit::textEdited, w, raise(EVENT_VAL_CHANGED));
        QObject::connect(edit, &QLineEdit::returnPressed, w, [w, events = raise(EVENT_COMMIT)] {
            w->setProperty(userEditProperty, false);
            w->setProperty(pendingTextProperty, {});
            events();
        });
        // Left without Enter: the text the program wrote meanwhile shows now.
        QObject::connect(edit, &QLineEdit::editingFinished, w, [edit] {
            const QVariant pending = edit->property(pendingTextProperty);
            edit->setProperty(userEditProperty, false);
            edit->setProperty(pendingTextProperty, {});
            if (pending.isValid())
                showText(edit, pending.toString());
        });
        break;
    }
    case uir::Kind::NumericIndicator:
        if (auto *spin = qobject_cast<QAbstractSpinBox *>(w)) {
            spin->setReadOnly(true);
            spin->setButtonSymbols(QAbstractSpinBox::NoButtons);
        }
        [[fallthrough]];
    case uir::Kind::TextIndicator:
    case uir::Kind::Led:
        // An LED's start state comes from the file's dynamic "value".
        if (rec.def->kind == uir::Kind::Led)
            static_cast<Led *>(w)->setOn(w->property("value").toInt() != 0);
        // Clicks land on the inner editor of spin boxes: watch it too.
        input.watch(w, number);
        for (QWidget *inner : w->findChildren<QWidget *>())
            input.watch(inner, number);
        break;
    case uir::Kind::Timer: {
        auto *timer = static_cast<TimerControl *>(w);
        bool ok = false;
        const double seconds = w->property("interval").toDouble(&ok);
        timer->timer().setInterval(std::max(1, int(std::lround((ok && seconds > 0 ? seconds : 1.0) * 1000))));
        QObject::connect(&timer->timer(), &QTimer::timeout, w,
                         [handle, number] { raiseTimerTick(handle, number); });
        timer->timer().start();
        break;
    }
    case uir::Kind::Graph:
    case uir::Kind::StripChart:
        break;
    }
}

QWidget *createWindow(const uir::Panel &def, QWidget *parent)
{
    Runtime &r = rt();
    if (!r.loader)
        r.loader = std::make_unique<FormLoader>();
    QBuffer form;
    form.setData(def.form);
    form.open(QIODevice::ReadOnly);
    QWidget *window = r.loader->load(&form);
    if (!window)
        return nullptr;
    // Reparenting restyles every child: only a child panel pays for it.
    if (parent)
        window->setParent(parent, window->windowFlags());
    window->setWindowTitle(def.title);
    // Spin boxes read and show numbers with the decimal point whatever the
    // system locale, as the module does (graphs set theirs in PlotArea).
    window->setLocale(QLocale::c());
    const QSize size = def.size;
    window->setFixedSize(size);
    // A panel's menu bar always spans the top of the window, above its layout.
    for (QMenuBar *bar : window->findChildren<QMenuBar *>(Qt::FindDirectChildrenOnly)) {
        if (window->layout())
            window->layout()->setMenuBar(bar);
        else
            bar->setGeometry(0, 0, size.width(), bar->sizeHint().height());
    }
    return window;
}

int bindPanel(PanelRec &panel)
{
    QWidget *window = panel.window;
    auto *input = new PanelInput(panel.handle, window);
    window->installEventFilter(input);
    QHash<QString, QWidget *> byName;
    for (QWidget *w : window->findChildren<QWidget *>())
        byName.insert(w->objectName(), w);
    const Runtime &r = rt();
    panel.controls.reserve(panel.def->controls.size());
    for (const uir::Control &def : panel.def->controls) {
        ControlRec &rec = panel.controls.emplace_back();
        rec.def = &def;
        rec.widget = byName.value(def.name);
        if (!rec.widget)
            return UIE_NOT_RESOURCE_FILE;
        rec.callback = lookup(r.controlCallbacks, def.callback);
        connectControl(panel, *input, rec);
    }
    for (const uir::MenuBar &bar : panel.def->menuBars) {
        panel.menuBarHandle = r.nextMenuBar;
        for (const uir::MenuItem &item : bar.items) {
            panel.menuItems.push_back({item.number, lookup(r.menuCallbacks, item.callback)});
            if (auto *action = window->findChild<QAction *>(item.name)) {
                action->setShortcut(QKeySequence(action->property(shortcutKeyProperty).toString()));
                QObject::connect(
                    action, &QAction::triggered, window,
                    [handle = panel.handle, number = item.number] { raiseMenuEvent(handle, number); });
            }
        }
    }
    if (!panel.def->menuBars.empty())
        ++rt().nextMenuBar;
    return UIE_NO_ERROR;
}

void destroyWindow(QWidget *window)
{
    if (!window)
        return;
    window->hide();
    if (rt().dispatchDepth > 0)
        window->deleteLater();
    else
        delete window;
}

// What a control does while a driver call is in flight, by the property of
// the control or of a widget around it on its panel.
enum class BusyRole { Refused, Act, Abort };

BusyRole busyRole(const QWidget *w)
{
    for (; w; w = w->parentWidget()) {
        const QString role = w->property(whileBusyProperty).toString();
        if (role == QLatin1String("act"))
            return BusyRole::Act;
        if (role == QLatin1String("abort"))
            return BusyRole::Abort;
        if (w->isWindow())
            break;
    }
    return BusyRole::Refused;
}

bool isPanelWindow(const QWidget *w)
{
    for (const auto &[handle, panel] : rt().panels)
        if (panel->window == w)
            return true;
    return false;
}

bool busy()
{
    return rt().busyDepth > 0 && !rt().closing;
}

void reportBusy(const instr::Ticket *ticket)
{
    Runtime &r = rt();
    if (!r.busyCallback)
        return;
    if (!ticket) {
        r.busyCallback(BUSY_IDLE, 0.0, 0);
        return;
    }
    const int kind = ticket->kind() == instr::Kind::Measurement ? BUSY_MEASURING : BUSY_WORKING;
    r.busyCallback(kind, instr::now() - ticket->startedAt(), r.inputRefused ? 1 : 0);
}

// Input that does not act while a call is in flight is dropped where the
// user sees and hears it, never queued for later.
void refuseInput()
{
    rt().inputRefused = true;
    QApplication::beep();
}

// Whether a control event may reach its callback now. While a call is in
// flight only close boxes and the controls marked whileBusy act; an "abort"
// control abandons the call and its commit waits until the interrupted
// callback has returned, so callbacks still run one at a time.
bool admit(int panel, int control, const QWidget *w, int event)
{
    if (!busy())
        return true;
    switch (busyRole(w)) {
    case BusyRole::Act:
        return true;
    case BusyRole::Abort:
        if (event == EVENT_COMMIT) {
            instr::abandon();
            rt().deferredCommit = {panel, control};
        }
        return false;
    case BusyRole::Refused:
        refuseInput();
        return false;
    }
    return false;
}

// Mouse and key input for a panel while a call is in flight: only what may
// act gets through, before any widget changes its state (a toggle that
// flipped without its callback would show a state the program never set).
class BusyInputGate : public QObject
{
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::KeyPress:
        case QEvent::Wheel:
            break;
        default:
            return false;
        }
        if (!busy() || !watched->isWidgetType())
            return false;
        auto *w = static_cast<QWidget *>(watched);
        if (!isPanelWindow(w->window()) || busyRole(w) != BusyRole::Refused)
            return false;
        if (event->type() != QEvent::Wheel)
            refuseInput();
        return true;
    }
};

void deliverDeferredCommit();

template <typename Call> int deliver(Call call)
{
    // Once a quit waits for the call in flight, nothing else runs.
    if (rt().drawOnly || rt().quitWhenReturned)
        return 0;
    int result = 0;
    {
        Dispatch guard;
        result = call();
    }
    if (rt().dispatchDepth == 0)
        deliverDeferredCommit();
    return result;
}

// The ABORT held back while a call was in flight, now that nothing else runs.
void deliverDeferredCommit()
{
    Runtime &r = rt();
    if (r.busyDepth > 0 || !instr::abandoning())
        return;
    instr::endAbandon();
    if (const auto commit = std::exchange(r.deferredCommit, std::nullopt))
        raiseControlEvent(commit->first, commit->second, EVENT_COMMIT);
}

[[noreturn]] void leaveProcess()
{
    std::fflush(nullptr);
    std::_Exit(*rt().quitWhenReturned);
}

// Beat of the restricted loop: the annunciator's elapsed time and the quit
// deadline are looked at this often.
constexpr int kBusyBeatMs = 40;
std::atomic<QAbstractEventDispatcher *> uiDispatcher{nullptr};

void wakeUi()
{
    if (QAbstractEventDispatcher *d = uiDispatcher.load())
        d->wakeUp();
}

// The restricted loop while a driver or VISA call is in flight: the window
// repaints, timers do not tick, input reaches only what admit() lets act.
void busyLoop(const instr::Ticket &ticket)
{
    Runtime &r = rt();
    if (!r.app || QThread::currentThread() != r.app->thread())
        return;
    const bool outerDrawOnly = r.drawOnly;
    const bool outerClosing = std::exchange(r.closing, false);
    // Register access, and any call of an operation that shows the wait
    // cursor (the firmware transfer), takes no input: it waits, as during
    // the transfer's own waits.
    r.drawOnly = outerDrawOnly || r.waitCursor || ticket.kind() == instr::Kind::Register;
    ++r.busyDepth;
    QApplication::setOverrideCursor(Qt::BusyCursor);
    QTimer beat;
    beat.start(kBusyBeatMs);
    const QEventLoop::ProcessEventsFlags flags =
        (r.drawOnly ? QEventLoop::ExcludeUserInputEvents : QEventLoop::AllEvents) |
        QEventLoop::WaitForMoreEvents;
    while (!ticket.settled()) {
        reportBusy(&ticket);
        if (r.quitWhenReturned && instr::now() >= r.quitDeadline)
            leaveProcess();
        QCoreApplication::processEvents(flags);
    }
    QApplication::restoreOverrideCursor();
    --r.busyDepth;
    r.closing = outerClosing;
    r.drawOnly = outerDrawOnly;
    if (r.quitWhenReturned)
        leaveProcess();
    if (r.busyDepth > 0)
        return;
    r.inputRefused = false;
    reportBusy(nullptr);
    if (r.dispatchDepth == 0)
        deliverDeferredCommit();
}

} // namespace

bool initialized()
{
    return rt().app != nullptr;
}

PanelRec *findPanel(int handle)
{
    auto it = rt().panels.find(handle);
    return it == rt().panels.end() ? nullptr : it->second.get();
}

ControlRec *findControl(int panel, int control, int *error)
{
    PanelRec *p = findPanel(panel);
    const size_t index = size_t(control - 2);
    ControlRec *rec = p && control >= 2 && index < p->controls.size() ? &p->controls[index] : nullptr;
    if (error)
        *error = !p ? UIE_INVALID_PANEL : rec && rec->widget ? UIE_NO_ERROR : UIE_INVALID_CONTROL;
    return rec && rec->widget ? rec : nullptr;
}

int loadedPanelCount()
{
    return int(rt().panels.size());
}

int raiseControlEvent(int panel, int control, int event, int data1, int data2)
{
    int error = 0;
    const ControlRec *rec = findControl(panel, control, &error);
    if (!rec)
        return error;
    if (!rec->callback)
        return UIE_NO_ERROR;
    if (event != EVENT_TIMER_TICK && !admit(panel, control, rec->widget, event))
        return UIE_NO_ERROR;
    const CtrlCallbackPtr fn = rec->callback;
    return deliver([&] { return fn(panel, control, event, nullptr, data1, data2); });
}

int raisePanelEvent(int panel, int event)
{
    const PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    if (!p->callback)
        return UIE_NO_ERROR;
    // Got focus waits for no call: the refresh it starts would queue behind it.
    if (busy())
        return UIE_NO_ERROR;
    const PanelCallbackPtr fn = p->callback;
    return deliver([&] { return fn(panel, event, nullptr, 0, 0); });
}

int raiseMenuEvent(int panel, int menuItem)
{
    const PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    auto it = std::find_if(p->menuItems.begin(), p->menuItems.end(),
                           [menuItem](const MenuItemRec &item) { return item.number == menuItem; });
    if (it == p->menuItems.end())
        return UIE_INVALID_MENU;
    if (!it->callback)
        return UIE_NO_ERROR;
    if (busy()) {
        refuseInput();
        return UIE_NO_ERROR;
    }
    const MenuCallbackPtr fn = it->callback;
    const int bar = p->menuBarHandle;
    return deliver([&] {
        fn(bar, menuItem, nullptr, panel);
        return 0;
    });
}

int raiseTimerTick(int panel, int control)
{
    int error = 0;
    const ControlRec *rec = findControl(panel, control, &error);
    if (!rec)
        return error;
    if (rec->def->kind != uir::Kind::Timer)
        return UIE_INVALID_CONTROL;
    // A dimmed timer does not tick, and no tick runs while any callback (a
    // tick included) or popup is still running: it would see the program's
    // state half-way through a change.
    const Runtime &r = rt();
    if (r.timersSuspended || r.dispatchDepth > 0 || r.popupDepth > 0 || r.busyDepth > 0 ||
        !rec->widget->isEnabled())
        return UIE_NO_ERROR;
    return raiseControlEvent(panel, control, EVENT_TIMER_TICK);
}

PopupScope::PopupScope()
{
    Runtime &r = rt();
    QWidget *active = QApplication::activeWindow();
    owner_ = active ? active : r.returningFromPopup.data();
    ++r.popupDepth;
    // The release would go to the popup and the press would go on (a spin
    // arrow stepping behind it): end the press here, outside the widget so
    // that no button takes it for a click.
    if (const QPointer<QWidget> w = std::exchange(r.pressed, nullptr)) {
        const QPointF outside(-1, -1);
        QMouseEvent release(QEvent::MouseButtonRelease, outside, w->mapToGlobal(outside),
                            std::exchange(r.pressedButton, Qt::NoButton), Qt::NoButton, Qt::NoModifier);
        QCoreApplication::sendEvent(w, &release);
    }
}

PopupScope::~PopupScope()
{
    Runtime &r = rt();
    --r.popupDepth;
    r.returningFromPopup = owner_;
}

int copyText(const QString &text, char *buffer, int size)
{
    if (!buffer || size <= 0)
        return UIE_BUFFER_TOO_SMALL;
    const QByteArray bytes = text.toUtf8();
    qsizetype n = bytes.size();
    bool cut = false;
    if (n >= size) {
        cut = true;
        n = size - 1;
        while (n > 0 && (uchar(bytes[n]) & 0xC0) == 0x80)
            --n;
    }
    std::memcpy(buffer, bytes.constData(), size_t(n));
    buffer[n] = '\0';
    return cut ? UIE_BUFFER_TOO_SMALL : UIE_NO_ERROR;
}

QString fromUser(const char *text)
{
    return text ? QString::fromUtf8(text) : QString();
}

// Messages that Qt gives while the application object is being made. A
// platform that cannot start ends in Qt's fatal message and an abort; the
// program ends instead with -1 and one line that says why.
struct StartMessages {
    QtMessageHandler previous = nullptr;
    QString program;
    std::vector<std::pair<QtMsgType, QString>> held; // replayed once Qt has started
    QString reason;                                  // the platform's first complaint
};
StartMessages startMessages;

void holdStartMessage(QtMsgType type, const QMessageLogContext &context, const QString &message)
{
    StartMessages &m = startMessages;
    const bool platform = context.category && std::strncmp(context.category, "qt.qpa", 6) == 0;
    if (m.reason.isEmpty() && (type == QtFatalMsg || (platform && type != QtDebugMsg && type != QtInfoMsg)))
        m.reason = message.section(QLatin1Char('\n'), 0, 0).trimmed();
    if (type != QtFatalMsg) {
        m.held.emplace_back(type, message);
        return;
    }
    std::fprintf(stderr, "%s: cannot start the user interface: %s\n", qPrintable(m.program),
                 qPrintable(m.reason));
    std::fflush(stderr);
    std::_Exit(-1);
}

QApplication *startApplication(int &argc, char **argv)
{
    startMessages.program = QFileInfo(QString::fromLocal8Bit(argv[0])).fileName();
    startMessages.previous = qInstallMessageHandler(holdStartMessage);
    auto *app = new QApplication(argc, argv);
    qInstallMessageHandler(startMessages.previous);
    for (const auto &[type, message] : startMessages.held)
        qt_message_output(type, QMessageLogContext(), message);
    startMessages = StartMessages{};
    return app;
}

} // namespace uct::ui

using namespace uct::ui;

int RegisterCtrlCallback(const char *name, CtrlCallbackPtr fn)
{
    return registerCallback(rt().controlCallbacks, name, fn);
}
int RegisterPanelCallback(const char *name, PanelCallbackPtr fn)
{
    return registerCallback(rt().panelCallbacks, name, fn);
}
int RegisterMenuCallback(const char *name, MenuCallbackPtr fn)
{
    return registerCallback(rt().menuCallbacks, name, fn);
}

int InitUIRuntime(int argc, char *argv[])
{
    Runtime &r = rt();
    if (r.app)
        return 1;
    if (auto *existing = qobject_cast<QApplication *>(QCoreApplication::instance())) {
        r.app = existing;
    } else if (!QCoreApplication::instance()) {
        // QApplication keeps a reference to argc for its whole life.
        static int argumentCount;
        static char fallbackName[] = "uct-sfp";
        static char *fallbackArgv[] = {fallbackName, nullptr};
        argumentCount = argc > 0 && argv ? argc : 1;
        r.app = startApplication(argumentCount, argc > 0 && argv ? argv : fallbackArgv);
    } else {
        return 0;
    }
    r.app->setQuitOnLastWindowClosed(false);
    r.app->installEventFilter(new PressTracker(r.app));
    r.app->installEventFilter(new BusyInputGate(r.app));
    uiDispatcher = QAbstractEventDispatcher::instance(r.app->thread());
    instr::setWaitLoop(busyLoop, wakeUi);
    // QApplication set the C library's locale from the environment: the
    // program's own number texts (snprintf, strtod) keep the decimal point.
    std::setlocale(LC_NUMERIC, "C");
    return 1;
}

namespace
{
// A load that failed: its reason is kept for GetLoadPanelError.
int loadFailed(int error, const QString &why)
{
    rt().loadError = why;
    return error;
}
} // namespace

int LoadPanel(int parentPanel, const char *fileName, int panelResourceId)
{
    Runtime &r = rt();
    if (!r.app)
        return UIE_NOT_INITIALIZED;
    QWidget *parent = nullptr;
    if (parentPanel != 0) {
        const PanelRec *p = findPanel(parentPanel);
        if (!p)
            return UIE_INVALID_PANEL;
        parent = p->window;
    }
    if (!fileName)
        return loadFailed(UIE_FILE_NOT_FOUND, QStringLiteral("no file was named"));
    const QString path = locate(fileName);
    int error = UIE_NO_ERROR;
    QString why;
    std::shared_ptr<const uir::Model> model = modelOf(path, &error, &why);
    if (!model)
        return loadFailed(error, why);
    const uir::Panel *def = model->panel(panelResourceId);
    if (!def)
        return loadFailed(UIE_PANEL_NOT_FOUND,
                          QStringLiteral("%1: no panel %2").arg(path).arg(panelResourceId));
    if (const QString unbound = unboundCallback(*def); !unbound.isEmpty())
        return loadFailed(UIE_UNKNOWN_CALLBACK, QStringLiteral("%1: %2").arg(path, unbound));
    QWidget *window = createWindow(*def, parent);
    const QString unbuilt = QStringLiteral("%1: panel %2 could not be built").arg(path, def->name);
    if (!window)
        return loadFailed(UIE_NOT_RESOURCE_FILE, unbuilt);
    auto panel = std::make_unique<PanelRec>();
    panel->handle = r.nextPanel;
    panel->model = model;
    panel->def = def;
    panel->window = window;
    panel->callback = lookup(r.panelCallbacks, def->callback);
    if (const int bound = bindPanel(*panel); bound != UIE_NO_ERROR) {
        delete window;
        return loadFailed(bound, unbuilt);
    }
    r.loadError.clear();
    r.panels[r.nextPanel] = std::move(panel);
    return r.nextPanel++;
}

int CheckResourceFile(const char *fileName, const char *fingerprint, char *why, int size)
{
    if (!rt().app)
        return UIE_NOT_INITIALIZED;
    if (!fileName || !fingerprint)
        return UIE_FILE_NOT_FOUND;
    const QString path = locate(fileName);
    rt().fingerprints[path] = QString::fromUtf8(fingerprint);
    rt().files.erase(path); // read and compare it now
    int error = UIE_NO_ERROR;
    QString reason;
    if (const auto model = modelOf(path, &error, &reason)) {
        for (const uir::Panel &panel : model->panels) {
            if (const QString unbound = unboundCallback(panel); !unbound.isEmpty()) {
                error = UIE_UNKNOWN_CALLBACK;
                reason = QStringLiteral("%1: %2").arg(path, unbound);
                break;
            }
        }
    }
    rt().loadError = reason;
    if (why && size > 0)
        copyText(reason, why, size);
    return error;
}

int GetLoadPanelError(char *why, int size)
{
    return copyText(rt().loadError, why, size);
}

int DisplayPanel(int panel)
{
    PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    p->window->show();
    p->window->raise();
    p->window->activateWindow();
    return UIE_NO_ERROR;
}

int HidePanel(int panel)
{
    PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    p->window->hide();
    return UIE_NO_ERROR;
}

int DiscardPanel(int panel)
{
    auto &panels = rt().panels;
    auto it = panels.find(panel);
    if (it == panels.end())
        return UIE_INVALID_PANEL;
    std::unique_ptr<PanelRec> rec = std::move(it->second);
    panels.erase(it);
    // Child panels go with their parent.
    std::vector<int> children;
    for (const auto &[handle, child] : panels)
        if (child->window && child->window->parentWidget() == rec->window)
            children.push_back(handle);
    for (int child : children)
        DiscardPanel(child);
    destroyWindow(rec->window);
    return UIE_NO_ERROR;
}

int SetPanelPos(int panel, int top, int left)
{
    PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    QWidget *w = p->window;
    const QRect screen = QGuiApplication::primaryScreen()
                             ? QGuiApplication::primaryScreen()->availableGeometry()
                             : QRect(0, 0, 1024, 768);
    const QSize frame = w->frameGeometry().size().expandedTo(w->size());
    const int x = left == VAL_AUTO_CENTER ? screen.x() + (screen.width() - frame.width()) / 2 : left;
    const int y = top == VAL_AUTO_CENTER ? screen.y() + (screen.height() - frame.height()) / 2 : top;
    w->move(x, y);
    return UIE_NO_ERROR;
}

int SetPanelAttribute(int panel, int attribute, const char *value)
{
    PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    if (attribute != ATTR_TITLE)
        return UIE_INVALID_ATTRIBUTE;
    p->window->setWindowTitle(fromUser(value));
    return UIE_NO_ERROR;
}

int SetPanelAttribute(int panel, int attribute, int value)
{
    PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    switch (attribute) {
    case ATTR_VISIBLE:
        p->window->setVisible(value != 0);
        return UIE_NO_ERROR;
    case ATTR_DIMMED:
        p->window->setEnabled(value == 0);
        return UIE_NO_ERROR;
    case ATTR_TITLE:
        return UIE_INVALID_VALUE_TYPE;
    default:
        return UIE_INVALID_ATTRIBUTE;
    }
}

int GetPanelAttribute(int panel, int attribute, char *value, int valueSize)
{
    PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    if (attribute != ATTR_TITLE)
        return UIE_INVALID_ATTRIBUTE;
    return copyText(p->window->windowTitle(), value, valueSize);
}

int GetPanelAttribute(int panel, int attribute, int *value)
{
    PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    if (!value)
        return UIE_INVALID_VALUE_TYPE;
    switch (attribute) {
    case ATTR_VISIBLE:
        *value = p->window->isVisible() ? 1 : 0;
        return UIE_NO_ERROR;
    case ATTR_DIMMED:
        *value = p->window->isEnabled() ? 0 : 1;
        return UIE_NO_ERROR;
    case ATTR_TITLE:
        return UIE_INVALID_VALUE_TYPE;
    default:
        return UIE_INVALID_ATTRIBUTE;
    }
}

int GetPanelMenuBar(int panel)
{
    const PanelRec *p = findPanel(panel);
    if (!p)
        return UIE_INVALID_PANEL;
    return p->menuBarHandle > 0 ? p->menuBarHandle : UIE_INVALID_MENU;
}

int RunUserInterface(void)
{
    Runtime &r = rt();
    if (!r.app)
        return UIE_NOT_INITIALIZED;
    if (r.pendingQuit) {
        const int code = *r.pendingQuit;
        r.pendingQuit.reset();
        return code;
    }
    QEventLoop loop;
    r.loops.push_back(&loop);
    const int code = loop.exec();
    r.loops.pop_back();
    return code;
}

int QuitUserInterface(int returnCode)
{
    Runtime &r = rt();
    // Asked during a driver call: every window goes now, and the process ends
    // when the call returns, or once the module's timeout and 2 s more have
    // passed, whichever comes first.
    if (r.busyDepth > 0) {
        r.quitWhenReturned = returnCode;
        r.quitDeadline = instr::now() + instr::moduleTimeoutMs() / 1000.0 + 2.0;
        for (const auto &[handle, panel] : r.panels)
            if (panel->window)
                panel->window->hide();
    }
    // Asked before the loop runs (from start-up): the loop returns at once.
    if (r.loops.empty())
        r.pendingQuit = returnCode;
    else
        r.loops.back()->exit(returnCode);
    return UIE_NO_ERROR;
}

int ProcessSystemEvents(void)
{
    if (!rt().app)
        return UIE_NOT_INITIALIZED;
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    return UIE_NO_ERROR;
}

int ProcessDrawEvents(void)
{
    Runtime &r = rt();
    if (!r.app)
        return UIE_NOT_INITIALIZED;
    // Input stays queued for later; anything else that would reach a callback
    // now (a due timer, a synthetic event) is dropped by deliver().
    const bool outer = r.drawOnly;
    r.drawOnly = true;
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
    r.drawOnly = outer;
    return UIE_NO_ERROR;
}

int SuspendTimerCallbacks(void)
{
    rt().timersSuspended = true;
    return UIE_NO_ERROR;
}

int ResumeTimerCallbacks(void)
{
    rt().timersSuspended = false;
    return UIE_NO_ERROR;
}

int InstallBusyCallback(BusyCallbackPtr fn)
{
    rt().busyCallback = fn;
    return UIE_NO_ERROR;
}

int SetWaitCursor(int on)
{
    Runtime &r = rt();
    if (!r.app)
        return UIE_NOT_INITIALIZED;
    if (on && !r.waitCursor)
        QApplication::setOverrideCursor(Qt::WaitCursor);
    else if (!on && r.waitCursor)
        QApplication::restoreOverrideCursor();
    r.waitCursor = on != 0;
    return UIE_NO_ERROR;
}
