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
#include <qcustomplot.h>

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

// Spin boxes read a typed number whole. Qt drops group separators, so under
// the C locale "1,5" would read 15: here a ',' leaves the entry unreadable,
// and Enter keeps the control's value.
template <typename Box> class DecimalPointBox : public Box
{
  public:
    using Box::Box;
    QValidator::State validate(QString &input, int &pos) const override
    {
        const QString separator = this->locale().groupSeparator();
        if (!input.contains(separator))
            return Box::validate(input, pos);
        QString rest = QString(input).remove(separator);
        int restPos = 0;
        return Box::validate(rest, restPos) == QValidator::Invalid ? QValidator::Invalid
                                                                   : QValidator::Intermediate;
    }
    void fixup(QString &input) const override
    {
        if (!input.contains(this->locale().groupSeparator()))
            Box::fixup(input);
    }
};

// Double numeric. With the dynamic property "format" set to "engineering"
// it shows the value in engineering notation with "digits" significant
// digits (default 10) and holds the full double, unrounded, whatever its
// magnitude; otherwise it is a plain spin box that reads the decimal point.
class NumberBox : public DecimalPointBox<QDoubleSpinBox>
{
  public:
    explicit NumberBox(QWidget *parent = nullptr) : DecimalPointBox<QDoubleSpinBox>(parent) {}
    QString textFromValue(double value) const override;
    double valueFromText(const QString &text) const override;
    QValidator::State validate(QString &text, int &pos) const override;

  protected:
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
// dynamic property "points". A right click offers "Save Image…" (PNG or
// PDF) and, on a strip chart, "Save Data…" (the points shown, as CSV).
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
    void appendStrip(const QVector<double> &values);
    // scaling: VAL_MANUAL, VAL_AUTOSCALE or VAL_NO_CHANGE
    void setAxisScaling(QCPAxis *axis, int scaling, double min, double max);
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
