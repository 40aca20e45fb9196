// SPDX-License-Identifier: GPL-3.0-or-later
// The layer's own widgets behind the resource file's custom classes, and the
// form loader that builds them. Internal to the layer.
#pragma once

#include <QColor>
#include <QDoubleSpinBox>
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

  protected:
    void paintEvent(QPaintEvent *event) override;

  private:
    bool on_ = false;
};

// Graph and strip chart. A graph holds any number of plots, each with its
// handle; a strip chart holds one trace whose history is bounded by the
// dynamic property "points".
class PlotArea : public QCustomPlot
{
  public:
    PlotArea(bool strip, QWidget *parent);
    bool isStrip() const { return strip_; }
    int addPlot(const QVector<double> &x, const QVector<double> &y, bool bars, const QColor &colour);
    bool deletePlot(int handle); // -1: every plot
    void appendStrip(const QVector<double> &values);
    // scaling: VAL_MANUAL, VAL_AUTOSCALE or VAL_NO_CHANGE
    void setAxisScaling(QCPAxis *axis, int scaling, double min, double max);
    void redraw(bool now);

  private:
    void autoscale();
    bool strip_;
    bool autoX_ = true, autoY_ = true;
    int nextHandle_ = 1;
    std::map<int, QCPAbstractPlottable *> plots_;
    QCPGraph *trace_ = nullptr;
    double nextX_ = 0;
};

// Spin boxes read a typed number whole. Qt drops group separators, so under
// the C locale "1,5" would read 15: here a ',' leaves the entry unreadable,
// and Enter keeps the control's value.
template <typename Box> class NumberBox : public Box
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
