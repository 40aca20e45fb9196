// SPDX-License-Identifier: GPL-3.0-or-later
// Control values, attributes and graphs. Nothing here raises an event: every
// change is made with the control's signals blocked.
#include "layer.h"
#include "widgets.h"

#include <QAbstractButton>
#include <QAbstractSpinBox>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QSignalBlocker>
#include <QSpinBox>
#include <cmath>
#include <limits>

using namespace uct::ui;
using uir::Kind;

namespace
{

const char markProperty[] = "activeMark";
const char markLampName[] = "uctActiveMark";

// Whether a progress bar can show v (rounded).
bool barHolds(const QProgressBar *bar, double v)
{
    const double shown = std::round(v);
    return shown >= bar->minimum() && shown <= bar->maximum();
}

// Sets a numeric's value; while the user is typing into it, their text stays
// in the field (still to be read when they commit) and the value shows when
// the entry ends without a commit.
template <typename Set> void keepingUserText(QAbstractSpinBox *box, Set set)
{
    auto *edit = box->findChild<QLineEdit *>();
    if (!edit || !box->property(userEditProperty).toBool()) {
        set();
        return;
    }
    const QString typed = edit->text();
    const int cursor = edit->cursorPosition();
    set();
    // Unblocked: the box must learn that its field again holds an entry.
    edit->setText(typed);
    edit->setCursorPosition(cursor);
}

int setNumber(ControlRec &c, double v)
{
    QWidget *w = c.widget;
    const QSignalBlocker block(w);
    if (auto *button = qobject_cast<QAbstractButton *>(w); button && c.def->kind == Kind::Toggle) {
        button->setChecked(v != 0);
    } else if (auto *led = dynamic_cast<Led *>(w)) {
        led->setOn(v != 0);
    } else if (auto *ring = qobject_cast<QComboBox *>(w)) {
        auto it = std::find(c.codes.begin(), c.codes.end(), v);
        if (it == c.codes.end()) {
            // No item to choose: the ring shows the code on no item rather
            // than keep an earlier choice.
            ring->setPlaceholderText(QStringLiteral("code %1").arg(v));
            ring->setCurrentIndex(-1);
            return UIE_INVALID_VALUE;
        }
        ring->setCurrentIndex(int(it - c.codes.begin()));
    } else if (auto *entry = dynamic_cast<ValueEntry *>(w)) {
        // Any double shows, as it is: out of range or not finite as text.
        keepingUserText(static_cast<QAbstractSpinBox *>(w), [&] { entry->showValue(v); });
    } else if (auto *bar = qobject_cast<QProgressBar *>(w)) {
        // Clamped, a bar would show another value than the caller holds.
        if (!barHolds(bar, v))
            return UIE_INVALID_VALUE;
        bar->setValue(int(std::lround(v)));
    } else {
        return UIE_INVALID_VALUE_TYPE;
    }
    return UIE_NO_ERROR;
}

int getNumber(const ControlRec &c, double *v)
{
    QWidget *w = c.widget;
    if (auto *button = qobject_cast<QAbstractButton *>(w); button && c.def->kind == Kind::Toggle)
        *v = button->isChecked() ? 1 : 0;
    else if (auto *led = dynamic_cast<Led *>(w))
        *v = led->isOn() ? 1 : 0;
    else if (auto *ring = qobject_cast<QComboBox *>(w)) {
        if (ring->currentIndex() < 0 || size_t(ring->currentIndex()) >= c.codes.size())
            return UIE_INVALID_VALUE;
        *v = c.codes[size_t(ring->currentIndex())];
    } else if (auto *entry = dynamic_cast<const ValueEntry *>(w)) {
        const std::optional<double> shown = entry->shownValue();
        if (!shown)
            return UIE_INVALID_VALUE; // the field shows no value
        *v = *shown;
    } else if (auto *bar = qobject_cast<QProgressBar *>(w))
        *v = bar->value();
    else
        return UIE_INVALID_VALUE_TYPE;
    return UIE_NO_ERROR;
}

template <typename T> int setNumeric(int panel, int control, T value)
{
    int error = 0;
    ControlRec *c = findControl(panel, control, &error);
    return c ? setNumber(*c, double(value)) : error;
}

template <typename T> int getInteger(int panel, int control, T *value)
{
    double v = 0;
    if (const int error = GetCtrlVal(panel, control, &v); error != UIE_NO_ERROR)
        return error;
    if (!value)
        return UIE_INVALID_VALUE_TYPE;
    const double r = std::round(v);
    if (!(r >= double(std::numeric_limits<T>::min()) && r <= double(std::numeric_limits<T>::max())))
        return UIE_INVALID_VALUE_TYPE;
    *value = T(r);
    return UIE_NO_ERROR;
}

// The run-button mark: a lamp strip along the bottom of the button, lit
// green when marked, dark otherwise.
void setMark(QAbstractButton *button, bool on)
{
    button->setProperty(markProperty, on);
    auto *lamp = button->findChild<QWidget *>(markLampName, Qt::FindDirectChildrenOnly);
    if (!lamp) {
        lamp = new QWidget(button);
        lamp->setObjectName(markLampName);
        lamp->setAttribute(Qt::WA_TransparentForMouseEvents);
        lamp->setAttribute(Qt::WA_StyledBackground);
    }
    const int width = std::max(8, button->width() * 3 / 5);
    lamp->setGeometry((button->width() - width) / 2, button->height() - 8, width, 4);
    lamp->setStyleSheet(on ? QStringLiteral("background-color: #30ff50; border-radius: 2px;")
                           : QStringLiteral("background-color: #2a3a2a; border-radius: 2px;"));
    lamp->show();
}

QLabel *labelOf(QWidget *w)
{
    for (QLabel *label : w->window()->findChildren<QLabel *>())
        if (label->buddy() == w)
            return label;
    return nullptr;
}

int setNumericAttribute(ControlRec &c, int attribute, double v)
{
    QWidget *w = c.widget;
    const QSignalBlocker block(w);
    auto *spin = qobject_cast<QSpinBox *>(w);
    auto *dspin = qobject_cast<QDoubleSpinBox *>(w);
    auto *bar = qobject_cast<QProgressBar *>(w);
    const int rounded = int(std::lround(std::clamp(v, -2147483647.0, 2147483647.0)));
    switch (attribute) {
    case ATTR_DIMMED:
        w->setEnabled(v == 0);
        return UIE_NO_ERROR;
    case ATTR_VISIBLE:
        if (c.def->kind != Kind::Timer)
            w->setVisible(v != 0);
        return UIE_NO_ERROR;
    case ATTR_MIN_VALUE:
    case ATTR_MAX_VALUE: {
        // Qt keeps min <= max and clamps the value into the new range.
        const bool min = attribute == ATTR_MIN_VALUE;
        if (!std::isfinite(v))
            return UIE_INVALID_VALUE;
        auto *entry = dynamic_cast<ValueEntry *>(w);
        const std::optional<double> shown = entry ? entry->shownValue() : std::nullopt;
        if (spin)
            min ? spin->setMinimum(rounded) : spin->setMaximum(rounded);
        else if (dspin)
            min ? dspin->setMinimum(v) : dspin->setMaximum(v);
        else if (bar)
            min ? bar->setMinimum(rounded) : bar->setMaximum(rounded);
        else
            return UIE_INVALID_ATTRIBUTE;
        if (entry) {
            // Qt clamped the value into the new range; the field keeps showing it.
            if (shown)
                entry->showValue(*shown);
            entry->rangeChanged();
        }
        return UIE_NO_ERROR;
    }
    case ATTR_PRECISION:
        if (dspin && rounded >= 0 && rounded <= 15)
            dspin->setDecimals(rounded);
        else if (!(spin && rounded == 0))
            return dspin || spin ? UIE_INVALID_VALUE : UIE_INVALID_ATTRIBUTE;
        return UIE_NO_ERROR;
    case ATTR_ACTIVE_MARK:
        if (c.def->kind != Kind::Command)
            return UIE_INVALID_ATTRIBUTE;
        setMark(static_cast<QAbstractButton *>(w), v != 0);
        return UIE_NO_ERROR;
    case ATTR_XMAP_MODE:
    case ATTR_YMAP_MODE: {
        auto *plot = dynamic_cast<PlotArea *>(w);
        if (!plot || plot->isStrip())
            return UIE_INVALID_ATTRIBUTE;
        if (rounded != VAL_LINEAR && rounded != VAL_LOG)
            return UIE_INVALID_VALUE;
        plot->setLogScale(attribute == ATTR_XMAP_MODE ? plot->xAxis : plot->yAxis, rounded == VAL_LOG);
        plot->redraw(false);
        return UIE_NO_ERROR;
    }
    case ATTR_INTERVAL: {
        auto *timer = dynamic_cast<TimerControl *>(w);
        if (!timer)
            return UIE_INVALID_ATTRIBUTE;
        // Whole milliseconds, as the timer counts them, or 0: a tick whenever
        // the event loop has nothing else to do. A running timer starts its
        // new interval at once.
        if (!(v == 0 || (v >= 0.001 && v <= 2147483.0)))
            return UIE_INVALID_VALUE;
        timer->timer().setInterval(int(std::lround(v * 1000)));
        return UIE_NO_ERROR;
    }
    case ATTR_LABEL_TEXT:
        return UIE_INVALID_VALUE_TYPE;
    default:
        return UIE_INVALID_ATTRIBUTE;
    }
}

int getNumericAttribute(const ControlRec &c, int attribute, double *v)
{
    QWidget *w = c.widget;
    auto *spin = qobject_cast<QSpinBox *>(w);
    auto *dspin = qobject_cast<QDoubleSpinBox *>(w);
    auto *bar = qobject_cast<QProgressBar *>(w);
    switch (attribute) {
    case ATTR_DIMMED:
        *v = w->isEnabled() ? 0 : 1;
        return UIE_NO_ERROR;
    case ATTR_VISIBLE:
        *v = w->isHidden() ? 0 : 1;
        return UIE_NO_ERROR;
    case ATTR_MIN_VALUE:
        if (!spin && !dspin && !bar)
            return UIE_INVALID_ATTRIBUTE;
        *v = spin ? spin->minimum() : dspin ? dspin->minimum() : bar->minimum();
        return UIE_NO_ERROR;
    case ATTR_MAX_VALUE:
        if (!spin && !dspin && !bar)
            return UIE_INVALID_ATTRIBUTE;
        *v = spin ? spin->maximum() : dspin ? dspin->maximum() : bar->maximum();
        return UIE_NO_ERROR;
    case ATTR_PRECISION:
        if (!spin && !dspin)
            return UIE_INVALID_ATTRIBUTE;
        *v = dspin ? dspin->decimals() : 0;
        return UIE_NO_ERROR;
    case ATTR_ACTIVE_MARK:
        if (c.def->kind != Kind::Command)
            return UIE_INVALID_ATTRIBUTE;
        *v = w->property(markProperty).toBool() ? 1 : 0;
        return UIE_NO_ERROR;
    case ATTR_XMAP_MODE:
    case ATTR_YMAP_MODE: {
        auto *plot = dynamic_cast<PlotArea *>(w);
        if (!plot || plot->isStrip())
            return UIE_INVALID_ATTRIBUTE;
        const QCPAxis *axis = attribute == ATTR_XMAP_MODE ? plot->xAxis : plot->yAxis;
        *v = axis->scaleType() == QCPAxis::stLogarithmic ? VAL_LOG : VAL_LINEAR;
        return UIE_NO_ERROR;
    }
    case ATTR_INTERVAL: {
        auto *timer = dynamic_cast<TimerControl *>(w);
        if (!timer)
            return UIE_INVALID_ATTRIBUTE;
        *v = timer->timer().interval() / 1000.0;
        return UIE_NO_ERROR;
    }
    case ATTR_LABEL_TEXT:
        return UIE_INVALID_VALUE_TYPE;
    default:
        return UIE_INVALID_ATTRIBUTE;
    }
}

// The caption of a button or LED, else the text of the label whose buddy the
// control is.
QWidget *captionOf(QWidget *w)
{
    if (qobject_cast<QAbstractButton *>(w) || dynamic_cast<Led *>(w))
        return w;
    return labelOf(w);
}

// The graph or strip chart of a control; strip narrows it to one of the two.
PlotArea *plotOf(int panel, int control, int *error, std::optional<bool> strip)
{
    ControlRec *c = findControl(panel, control, error);
    if (!c)
        return nullptr;
    auto *plot = dynamic_cast<PlotArea *>(c->widget.data());
    if (!plot || (strip && plot->isStrip() != *strip)) {
        *error = UIE_INVALID_CONTROL;
        return nullptr;
    }
    return plot;
}

std::optional<QVector<double>> readArray(const void *array, int first, int count, int step, int dataType)
{
    if ((dataType != VAL_DOUBLE && dataType != VAL_INTEGER) || (count > 0 && !array) || count < 0 ||
        first < 0)
        return std::nullopt;
    QVector<double> values;
    values.reserve(count);
    for (int i = 0; i < count; ++i) {
        const size_t index = size_t(first) + size_t(i) * size_t(step);
        values.push_back(dataType == VAL_DOUBLE ? static_cast<const double *>(array)[index]
                                                : static_cast<const int *>(array)[index]);
    }
    return values;
}

} // namespace

void uct::ui::showText(QLineEdit *edit, const QString &text)
{
    const QSignalBlocker block(edit);
    edit->setText(text);
    // A text longer than the field shows its beginning, as a reader expects.
    edit->setCursorPosition(0);
}

int SetCtrlVal(int panel, int control, int value)
{
    return setNumeric(panel, control, value);
}
int SetCtrlVal(int panel, int control, int16_t value)
{
    return setNumeric(panel, control, value);
}
int SetCtrlVal(int panel, int control, uint16_t value)
{
    return setNumeric(panel, control, value);
}
int SetCtrlVal(int panel, int control, double value)
{
    return setNumeric(panel, control, value);
}

int SetCtrlVal(int panel, int control, const char *value)
{
    int error = 0;
    ControlRec *c = findControl(panel, control, &error);
    if (!c)
        return error;
    const QSignalBlocker block(c->widget);
    if (auto *edit = qobject_cast<QLineEdit *>(c->widget)) {
        if (edit->property(userEditProperty).toBool())
            edit->setProperty(pendingTextProperty, fromUser(value));
        else
            showText(edit, fromUser(value));
    } else if (auto *label = qobject_cast<QLabel *>(c->widget);
               label && c->def->kind == Kind::TextIndicator) {
        label->setText(fromUser(value));
    } else if (auto *entry = dynamic_cast<ValueEntry *>(c->widget.data()); entry && value && !*value) {
        // The empty text clears a numeric: it shows no value until the next one.
        keepingUserText(static_cast<QAbstractSpinBox *>(c->widget.data()), [&] { entry->showNoValue(); });
    } else {
        return UIE_INVALID_VALUE_TYPE;
    }
    return UIE_NO_ERROR;
}

int GetCtrlVal(int panel, int control, int *value)
{
    return getInteger(panel, control, value);
}
int GetCtrlVal(int panel, int control, int16_t *value)
{
    return getInteger(panel, control, value);
}
int GetCtrlVal(int panel, int control, uint16_t *value)
{
    return getInteger(panel, control, value);
}

int GetCtrlVal(int panel, int control, double *value)
{
    int error = 0;
    const ControlRec *c = findControl(panel, control, &error);
    if (!c)
        return error;
    double v = 0;
    if (const int got = getNumber(*c, &v); got != UIE_NO_ERROR)
        return got;
    if (!value)
        return UIE_INVALID_VALUE_TYPE;
    *value = v;
    return UIE_NO_ERROR;
}

int GetCtrlVal(int panel, int control, char *value, int valueSize)
{
    int error = 0;
    const ControlRec *c = findControl(panel, control, &error);
    if (!c)
        return error;
    if (auto *edit = qobject_cast<QLineEdit *>(c->widget))
        return copyText(edit->text(), value, valueSize);
    if (auto *label = qobject_cast<QLabel *>(c->widget); label && c->def->kind == Kind::TextIndicator)
        return copyText(label->text(), value, valueSize);
    return UIE_INVALID_VALUE_TYPE;
}

int SetCtrlAttribute(int panel, int control, int attribute, int value)
{
    return SetCtrlAttribute(panel, control, attribute, double(value));
}

int SetCtrlAttribute(int panel, int control, int attribute, double value)
{
    int error = 0;
    ControlRec *c = findControl(panel, control, &error);
    return c ? setNumericAttribute(*c, attribute, value) : error;
}

int SetCtrlAttribute(int panel, int control, int attribute, const char *value)
{
    int error = 0;
    ControlRec *c = findControl(panel, control, &error);
    if (!c)
        return error;
    if (attribute == ATTR_XNAME || attribute == ATTR_YNAME) {
        auto *plot = dynamic_cast<PlotArea *>(c->widget.data());
        if (!plot)
            return UIE_INVALID_ATTRIBUTE;
        (attribute == ATTR_XNAME ? plot->xAxis : plot->yAxis)->setLabel(fromUser(value));
        plot->redraw(false);
        return UIE_NO_ERROR;
    }
    if (attribute != ATTR_LABEL_TEXT)
        return (attribute >= ATTR_DIMMED && attribute <= ATTR_ACTIVE_MARK) || attribute == ATTR_XMAP_MODE ||
                       attribute == ATTR_YMAP_MODE || attribute == ATTR_INTERVAL
                   ? UIE_INVALID_VALUE_TYPE
                   : UIE_INVALID_ATTRIBUTE;
    QWidget *caption = captionOf(c->widget);
    if (!caption)
        return UIE_INVALID_ATTRIBUTE;
    if (auto *button = qobject_cast<QAbstractButton *>(caption))
        button->setText(fromUser(value));
    else
        static_cast<QLabel *>(caption)->setText(fromUser(value));
    return UIE_NO_ERROR;
}

int GetCtrlAttribute(int panel, int control, int attribute, int *value)
{
    double v = 0;
    if (const int error = GetCtrlAttribute(panel, control, attribute, &v); error != UIE_NO_ERROR)
        return error;
    if (!value)
        return UIE_INVALID_VALUE_TYPE;
    *value = int(std::lround(std::clamp(v, -2147483647.0, 2147483647.0)));
    return UIE_NO_ERROR;
}

int GetCtrlAttribute(int panel, int control, int attribute, double *value)
{
    int error = 0;
    const ControlRec *c = findControl(panel, control, &error);
    if (!c)
        return error;
    double v = 0;
    if (const int got = getNumericAttribute(*c, attribute, &v); got != UIE_NO_ERROR)
        return got;
    if (!value)
        return UIE_INVALID_VALUE_TYPE;
    *value = v;
    return UIE_NO_ERROR;
}

int GetCtrlAttribute(int panel, int control, int attribute, char *value, int valueSize)
{
    int error = 0;
    const ControlRec *c = findControl(panel, control, &error);
    if (!c)
        return error;
    if (attribute != ATTR_LABEL_TEXT)
        return UIE_INVALID_ATTRIBUTE;
    QWidget *caption = captionOf(c->widget);
    if (!caption)
        return UIE_INVALID_ATTRIBUTE;
    if (auto *button = qobject_cast<QAbstractButton *>(caption))
        return copyText(button->text(), value, valueSize);
    return copyText(static_cast<QLabel *>(caption)->text(), value, valueSize);
}

int PlotStripChart(int panel, int control, const void *array, int numberOfPoints, int startingIndex,
                   int skipCount, int dataType)
{
    int error = 0;
    PlotArea *plot = plotOf(panel, control, &error, true);
    if (!plot)
        return error;
    if (skipCount < 0)
        return UIE_INVALID_VALUE;
    const std::optional<QVector<double>> values =
        readArray(array, startingIndex, numberOfPoints, skipCount + 1, dataType);
    if (!values)
        return UIE_INVALID_VALUE_TYPE;
    plot->appendStrip({}, *values);
    plot->redraw(false);
    return UIE_NO_ERROR;
}

int PlotStripChartPoint(int panel, int control, double seconds, double value)
{
    int error = 0;
    PlotArea *plot = plotOf(panel, control, &error, true);
    if (!plot)
        return error;
    plot->appendStrip({seconds}, {value});
    plot->redraw(false);
    return UIE_NO_ERROR;
}

int ClearStripChart(int panel, int control)
{
    int error = 0;
    PlotArea *plot = plotOf(panel, control, &error, true);
    if (!plot)
        return error;
    plot->clearStrip();
    plot->redraw(true);
    return UIE_NO_ERROR;
}

int PlotXY(int panel, int control, const void *xArray, const void *yArray, int numberOfPoints, int xDataType,
           int yDataType, int plotStyle, int /*pointStyle*/, int /*lineStyle*/, int /*pointFrequency*/,
           int color)
{
    int error = 0;
    PlotArea *plot = plotOf(panel, control, &error, false);
    if (!plot)
        return error;
    const auto x = readArray(xArray, 0, numberOfPoints, 1, xDataType);
    const auto y = readArray(yArray, 0, numberOfPoints, 1, yDataType);
    if (!x || !y)
        return UIE_INVALID_VALUE_TYPE;
    const int handle = plot->addPlot(*x, *y, plotStyle == VAL_VERTICAL_BAR, QColor::fromRgb(QRgb(color)));
    plot->redraw(false);
    return handle;
}

int PlotXYBounds(int panel, int control, const double *xArray, const double *yArray, const double *lowArray,
                 const double *highArray, int numberOfPoints, int color)
{
    int error = 0;
    PlotArea *plot = plotOf(panel, control, &error, false);
    if (!plot)
        return error;
    const auto x = readArray(xArray, 0, numberOfPoints, 1, VAL_DOUBLE);
    const auto y = readArray(yArray, 0, numberOfPoints, 1, VAL_DOUBLE);
    const auto low = readArray(lowArray, 0, numberOfPoints, 1, VAL_DOUBLE);
    const auto high = readArray(highArray, 0, numberOfPoints, 1, VAL_DOUBLE);
    if (!x || !y || !low || !high)
        return UIE_INVALID_VALUE_TYPE;
    const int handle = plot->addBoundedPlot(*x, *y, *low, *high, QColor::fromRgb(QRgb(color)));
    plot->redraw(false);
    return handle;
}

int DeleteGraphPlot(int panel, int control, int plotHandle, int refresh)
{
    int error = 0;
    PlotArea *plot = plotOf(panel, control, &error, std::nullopt);
    if (!plot)
        return error;
    if (!plot->deletePlot(plotHandle))
        return UIE_INVALID_VALUE;
    plot->redraw(refresh == VAL_IMMEDIATE_DRAW);
    return UIE_NO_ERROR;
}

int SetAxisRange(int panel, int control, int xAxisScaling, double xmin, double xmax, int yAxisScaling,
                 double ymin, double ymax)
{
    int error = 0;
    PlotArea *plot = plotOf(panel, control, &error, std::nullopt);
    if (!plot)
        return error;
    auto valid = [](int scaling, double min, double max) {
        return scaling == VAL_AUTOSCALE || scaling == VAL_NO_CHANGE ||
               (scaling == VAL_MANUAL && std::isfinite(min) && std::isfinite(max) && min < max);
    };
    if (!valid(xAxisScaling, xmin, xmax) || !valid(yAxisScaling, ymin, ymax))
        return UIE_INVALID_VALUE;
    plot->setAxisScaling(plot->xAxis, xAxisScaling, xmin, xmax);
    plot->setAxisScaling(plot->yAxis, yAxisScaling, ymin, ymax);
    plot->redraw(false);
    return UIE_NO_ERROR;
}

int GetAxisRange(int panel, int control, int *xAxisScaling, double *xmin, double *xmax, int *yAxisScaling,
                 double *ymin, double *ymax)
{
    int error = 0;
    const PlotArea *plot = plotOf(panel, control, &error, std::nullopt);
    if (!plot)
        return error;
    auto get = [plot](const QCPAxis *axis, int *scaling, double *min, double *max) {
        if (scaling)
            *scaling = plot->isAutomatic(axis) ? VAL_AUTOSCALE : VAL_MANUAL;
        if (min)
            *min = axis->range().lower;
        if (max)
            *max = axis->range().upper;
    };
    get(plot->xAxis, xAxisScaling, xmin, xmax);
    get(plot->yAxis, yAxisScaling, ymin, ymax);
    return UIE_NO_ERROR;
}
