// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets.h"

#include "userint.h"

#include <QPainter>
#include <QRadialGradient>
#include <algorithm>

namespace uct::ui
{

namespace
{
constexpr int lampDiameter = 14;
constexpr int captionGap = 6;
constexpr int defaultStripPoints = 200;
} // namespace

Led::Led(QWidget *parent) : QLabel(parent) {}

void Led::setOn(bool on)
{
    if (on_ != on) {
        on_ = on;
        update();
    }
}

QSize Led::sizeHint() const
{
    const QFontMetrics fm(font());
    const int captionWidth = text().isEmpty() ? 0 : captionGap + fm.horizontalAdvance(text());
    return {lampDiameter + 2 + captionWidth, std::max(lampDiameter + 2, fm.height())};
}

void Led::paintEvent(QPaintEvent *)
{
    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing);
    QColor lit(property("onColor").toString());
    if (!lit.isValid())
        lit = QColor(0x20, 0xe0, 0x40);
    const QColor body = !isEnabled() ? QColor(0x50, 0x50, 0x50) : on_ ? lit : lit.darker(420);
    const QRectF lamp(1, (height() - lampDiameter) / 2.0, lampDiameter, lampDiameter);
    QRadialGradient glow(lamp.center() - QPointF(lampDiameter / 5.0, lampDiameter / 5.0), lampDiameter / 1.6);
    glow.setColorAt(0, on_ && isEnabled() ? body.lighter(170) : body.lighter(130));
    glow.setColorAt(1, body);
    p.setPen(QPen(QColor(0x20, 0x20, 0x20), 1.2));
    p.setBrush(glow);
    p.drawEllipse(lamp);
    if (!text().isEmpty()) {
        p.setPen(palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::WindowText));
        const QRect caption = rect().adjusted(lampDiameter + 2 + captionGap, 0, 0, 0);
        p.drawText(caption, Qt::AlignVCenter | Qt::AlignLeft | Qt::TextWordWrap, text());
    }
}

PlotArea::PlotArea(bool strip, QWidget *parent) : QCustomPlot(parent), strip_(strip)
{
    // The plot formats its scales with its own locale, not the panel's.
    QCustomPlot::setLocale(QLocale::c());
    setBackground(QColor(0x10, 0x18, 0x10));
    for (QCPAxis *axis : {xAxis, yAxis}) {
        axis->setBasePen(QPen(Qt::lightGray));
        axis->setTickPen(QPen(Qt::lightGray));
        axis->setSubTickPen(QPen(Qt::gray));
        axis->setTickLabelColor(Qt::lightGray);
        axis->grid()->setPen(QPen(QColor(0x40, 0x50, 0x40), 0, Qt::DotLine));
    }
    if (strip_) {
        trace_ = addGraph();
        trace_->setPen(QPen(QColor(0x40, 0xff, 0x60), 1.5));
    }
}

int PlotArea::addPlot(const QVector<double> &x, const QVector<double> &y, bool bars, const QColor &colour)
{
    QCPAbstractPlottable *plot = nullptr;
    if (bars) {
        auto *b = new QCPBars(xAxis, yAxis);
        // Bars that touch read as a histogram: width is the smallest x step.
        QVector<double> sorted = x;
        std::sort(sorted.begin(), sorted.end());
        double step = 0;
        for (qsizetype i = 1; i < sorted.size(); ++i)
            if (const double d = sorted[i] - sorted[i - 1]; d > 0 && (step == 0 || d < step))
                step = d;
        b->setWidth(step > 0 ? step : 1.0);
        b->setData(x, y);
        b->setPen(QPen(colour.darker(150)));
        b->setBrush(colour);
        plot = b;
    } else {
        QCPGraph *g = addGraph();
        g->setData(x, y);
        g->setPen(QPen(colour, 1.5));
        plot = g;
    }
    const int handle = nextHandle_++;
    plots_[handle] = plot;
    autoscale();
    return handle;
}

bool PlotArea::deletePlot(int handle)
{
    if (handle == -1) {
        for (auto &[h, plot] : plots_)
            removePlottable(plot);
        plots_.clear();
        if (trace_)
            trace_->data()->clear();
        return true;
    }
    auto it = plots_.find(handle);
    if (it == plots_.end())
        return false;
    removePlottable(it->second);
    plots_.erase(it);
    return true;
}

void PlotArea::appendStrip(const QVector<double> &values)
{
    bool ok = false;
    const int history = property("points").toInt(&ok);
    const int points = ok && history > 1 ? history : defaultStripPoints;
    for (double v : values)
        trace_->addData(nextX_++, v);
    trace_->data()->removeBefore(nextX_ - points);
    if (autoX_)
        xAxis->setRange(std::max(0.0, nextX_ - points), std::max(double(points), nextX_) - 1);
    if (autoY_)
        yAxis->rescale();
    if (autoY_ && yAxis->range().size() == 0)
        yAxis->setRange(yAxis->range().lower - 1, yAxis->range().upper + 1);
}

void PlotArea::setAxisScaling(QCPAxis *axis, int scaling, double min, double max)
{
    bool &automatic = axis == xAxis ? autoX_ : autoY_;
    if (scaling == VAL_MANUAL) {
        automatic = false;
        axis->setRange(min, max);
    } else if (scaling == VAL_AUTOSCALE) {
        automatic = true;
        autoscale();
    }
}

void PlotArea::autoscale()
{
    if (autoX_ && !strip_)
        xAxis->rescale();
    if (autoY_)
        yAxis->rescale();
}

void PlotArea::redraw(bool now)
{
    replot(now ? QCustomPlot::rpImmediateRefresh : QCustomPlot::rpQueuedReplot);
}

TimerControl::TimerControl(QWidget *parent) : QWidget(parent)
{
    setVisible(false);
    setAttribute(Qt::WA_DontShowOnScreen);
}

QWidget *FormLoader::createWidget(const QString &className, QWidget *parent, const QString &name)
{
    QWidget *w = nullptr;
    if (className == QLatin1String("Led"))
        w = new Led(parent);
    else if (className == QLatin1String("Graph") || className == QLatin1String("StripChart"))
        w = new PlotArea(className == QLatin1String("StripChart"), parent);
    else if (className == QLatin1String("Timer"))
        w = new TimerControl(parent);
    else if (className == QLatin1String("QSpinBox"))
        w = new NumberBox<QSpinBox>(parent);
    else if (className == QLatin1String("QDoubleSpinBox"))
        w = new NumberBox<QDoubleSpinBox>(parent);
    else
        w = QUiLoader::createWidget(className, parent, name);
    if (!w)
        return nullptr;
    w->setObjectName(name);
    // The page becomes a fixed-size panel window. Its flags are set while it
    // has no children yet: setting them later restyles the whole panel.
    if (!parent)
        w->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    return w;
}

} // namespace uct::ui
