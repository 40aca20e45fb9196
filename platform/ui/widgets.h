// SPDX-License-Identifier: GPL-3.0-or-later
// The layer's own widgets behind the resource file's custom classes, and the
// form loader that builds them. Internal to the layer.
#pragma once

#include <QColor>
#include <QDoubleSpinBox>
#include <QElapsedTimer>
#include <QLabel>
#include <QSpinBox>
#include <QTimer>
#include <QUiLoader>
#include <map>
#include <optional>
#include <qcustomplot.h>
#include <type_traits>
#include <utility>

namespace uct::ui
{

// A round lamp with its caption beside it, as on a bench instrument:
// dark when off, lit in onColor (dynamic property, default green) when on.
class Led : public QLabel
{
  public:
    explicit Led(QWidget *parent = nullptr);
    bool isOn() const { return on_; }
    void setOn(bool on);
    QSize sizeHint() const override;
    QSize minimumSizeHint() const override { return sizeHint(); }

    // The caption's room beside the lamp; a caption wider than this is elided.
    int captionWidth() const;

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    bool on_ = false;
};

// Whether a label, LED caption or line edit shows its text cut (elided,
// scrolled or wrapped past its height); the whole text goes into *text.
bool textIsCut(const QWidget *w, QString *text);

// What the layer asks of its spin boxes, whichever their value type.
class ValueEntry
{
  public:
    virtual ~ValueEntry() = default;
    // Shows value as it is: a value the box cannot hold (outside its range,
    // not finite, not whole in an integer box) shows as text and is held,
    // unclamped, until the next value.
    virtual void showValue(double value) = 0;
    // No value: the field is empty.
    virtual void showNoValue() = 0;
    // The value shown, or nothing when the field is empty.
    virtual std::optional<double> shownValue() const = 0;
    // An editable box's tooltip: text (the resource's, naming what the value
    // is) followed by the range and unit; kept current as they change.
    virtual void describe(const QString &text) = 0;
    virtual void rangeChanged() = 0;
    // Why the text typed so far would not be taken; empty when it would.
    virtual QString refusal() const = 0;
};

// The layer's spin boxes. A typed number is read whole, with the decimal
// point whatever the locale (Qt would drop a ',' as a group separator and
// read "1,5" as 15). Typing is never refused or changed: every keystroke
// stays. Enter with text the box cannot take (not a number, outside the
// range, more decimals than the box shows) sends nothing: the field keeps the
// text, is marked and says why, with the range, in a tooltip. Leaving the
// field abandons such an entry and shows the value again.
template <typename Box> class ValueBox : public Box, public ValueEntry
{
  public:
    using Value = std::remove_cvref_t<decltype(std::declval<const Box &>().value())>;
    explicit ValueBox(QWidget *parent = nullptr);

    QValidator::State validate(QString &input, int &pos) const override;
    void fixup(QString &) const override {}
    Value valueFromText(const QString &text) const override;
    QString textFromValue(Value value) const override;

    void showValue(double value) override;
    void showNoValue() override;
    std::optional<double> shownValue() const override;
    void describe(const QString &text) override;
    void rangeChanged() override;
    QString refusal() const override;

    void stepBy(int steps) override;

  protected:
    // The text of a number in this box's format, whatever its magnitude.
    virtual QString numberText(double value) const;
    void keyPressEvent(QKeyEvent *event) override;
    void focusOutEvent(QFocusEvent *event) override;

  private:
    // Beyond this many decimals a box shows a double unrounded.
    static constexpr int maxShownDecimals = 15;
    std::optional<double> parse(const QString &text) const;
    QString refusalOf(const QString &text, double *value) const;
    bool holds(double value) const;
    bool entered() const;
    template <typename Base> void takeEntry(Base base);
    QString rangeText() const;
    void updateToolTip();
    void setMarked(const QString &why);
    std::optional<double> held_;
    bool empty_ = false;
    QString why_; // the refusal shown while the field is marked
    QString description_;
    bool described_ = false;
};

// Double numeric. With the dynamic property "format" set to "engineering"
// it shows the value in engineering notation with "digits" significant
// digits (default 10) and holds the full double, unrounded, whatever its
// magnitude; otherwise it is a plain spin box that reads the decimal point.
class NumberBox : public ValueBox<QDoubleSpinBox>
{
  public:
    explicit NumberBox(QWidget *parent = nullptr) : ValueBox<QDoubleSpinBox>(parent) {}

  protected:
    QString numberText(double value) const override;
    bool event(QEvent *event) override;

  private:
    bool engineering_ = false;
    int digits_ = 10;
};

// Engineering notation: exponent a multiple of three, digits significant
// digits, decimal point whatever the locale ("100.0000123E+03").
QString engineeringText(double value, int digits);

// Graph and strip chart. A graph holds any number of plots, each with its
// handle; a strip chart holds one trace whose history is bounded by the
// dynamic property "points"; its points are counted along x, or carry their
// times in seconds. A right click offers "Save Image…" (PNG or PDF) and, on
// a strip chart, "Save Data…" (the points shown, as CSV).
class PlotArea : public QCustomPlot
{
  public:
    PlotArea(bool strip, QWidget *parent);
    bool isStrip() const { return strip_; }
    int addPlot(const QVector<double> &x, const QVector<double> &y, bool bars, const QColor &colour);
    int addBoundedPlot(const QVector<double> &x, const QVector<double> &y, const QVector<double> &low,
                       const QVector<double> &high, const QColor &colour);
    void setLogScale(QCPAxis *axis, bool log);
    bool deletePlot(int handle); // -1: every plot
    // x: the points' times in seconds, one per value of y; empty: counted.
    void appendStrip(const QVector<double> &x, const QVector<double> &y);
    void clearStrip();
    // scaling: VAL_MANUAL, VAL_AUTOSCALE or VAL_NO_CHANGE
    void setAxisScaling(QCPAxis *axis, int scaling, double min, double max);
    bool isAutomatic(const QCPAxis *axis) const { return axis == xAxis ? autoX_ : autoY_; }
    void redraw(bool now);

    void saveImage();
    void saveData();

  private:
    void autoscale();
    void fitLabelDigits(QCPAxis *axis);
    bool strip_;
    QElapsedTimer lastDraw_;
    QTimer drawLater_;
    bool autoX_ = true, autoY_ = true;
    int nextHandle_ = 1;
    std::map<int, QCPAbstractPlottable *> plots_;
    std::map<int, QCPErrorBars *> bounds_; // the bars that go with a plot of plots_
    QCPGraph *trace_ = nullptr;
    double nextX_ = 0;
    bool timed_ = false; // the last points came with their times
};

// The invisible timer control; the layer delivers its ticks.
class TimerControl : public QWidget
{
  public:
    explicit TimerControl(QWidget *parent);
    QTimer &timer() { return timer_; }

  private:
    QTimer timer_{this};
};

class FormLoader : public QUiLoader
{
  public:
    QWidget *createWidget(const QString &className, QWidget *parent, const QString &name) override;
};

} // namespace uct::ui
