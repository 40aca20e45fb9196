// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets.h"

#include "userint.h"

#include <QDynamicPropertyChangeEvent>
#include <QFile>
#include <QFileInfo>
#include <QHelpEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QRadialGradient>
#include <QToolTip>
#include <algorithm>
#include <cmath>

namespace uct::ui
{

namespace
{
constexpr int lampDiameter = 14;
constexpr int captionGap = 6;
constexpr int defaultStripPoints = 200;
constexpr int lineEditChrome = 12; // frame and padding around a line edit's text

// A text its widget cuts shows whole in the tooltip, above the widget's own.
class WholeTextTip : public QObject
{
  public:
    using QObject::QObject;
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        QString text;
        auto *w = static_cast<QWidget *>(watched);
        if (event->type() != QEvent::ToolTip || !textIsCut(w, &text))
            return false;
        if (!w->toolTip().isEmpty())
            text += QLatin1Char('\n') + w->toolTip();
        QToolTip::showText(static_cast<QHelpEvent *>(event)->globalPos(), text, w);
        return true;
    }
};

// A strip chart redraws at most this often (25 frames a second): points come
// every timer tick, and a full redraw of a long trace costs more than a tick
// should.
constexpr int stripFrameMs = 40;
// Enough decimals that QDoubleSpinBox's rounding keeps every double as it is.
constexpr int unroundedDecimals = 323;

// A path chosen in the layer's own file dialog (so tests answer it through
// the seam); empty when nothing was chosen.
QString chooseFile(const char *spec, const char *types, const char *title)
{
    char path[MAX_PATHNAME_LEN] = "";
    const int chosen =
        FileSelectPopup("", spec, types, title, VAL_SAVE_BUTTON, 0, 0, 1, 1, path, sizeof path);
    return chosen == VAL_EXISTING_FILE_SELECTED || chosen == VAL_NEW_FILE_SELECTED ? QString::fromUtf8(path)
                                                                                   : QString();
}

void reportWriteError()
{
    MessagePopup("File Write Error", "Error writing file");
}
} // namespace

bool textIsCut(const QWidget *w, QString *text)
{
    if (auto *led = dynamic_cast<const Led *>(w)) {
        *text = led->text();
        return led->fontMetrics().horizontalAdvance(*text) > led->captionWidth();
    }
    if (auto *label = qobject_cast<const QLabel *>(w)) {
        *text = label->text();
        if (label->wordWrap())
            return label->heightForWidth(label->width()) > label->height();
        return label->fontMetrics().horizontalAdvance(*text) > label->contentsRect().width();
    }
    if (auto *edit = qobject_cast<const QLineEdit *>(w)) {
        *text = edit->text();
        return edit->fontMetrics().horizontalAdvance(*text) > edit->contentsRect().width() - lineEditChrome;
    }
    return false;
}

QString engineeringText(double value, int digits)
{
    if (!std::isfinite(value))
        return QString::number(value);
    digits = std::clamp(digits, 1, 17);
    // The 'e' conversion rounds to digits significant digits; a carry is
    // already in its exponent.
    const QString converted = QString::number(value, 'e', digits - 1);
    const qsizetype e = converted.indexOf(QLatin1Char('e'));
    int exponent = converted.mid(e + 1).toInt();
    QString mantissa = converted.left(e);
    const bool negative = mantissa.startsWith(QLatin1Char('-'));
    mantissa.remove(QLatin1Char('-')).remove(QLatin1Char('.'));
    const int shift = ((exponent % 3) + 3) % 3;
    exponent -= shift;
    if (mantissa.size() < shift + 1)
        mantissa += QString(shift + 1 - mantissa.size(), QLatin1Char('0'));
    QString text = (negative ? QStringLiteral("-") : QString()) + mantissa.left(shift + 1);
    if (mantissa.size() > shift + 1)
        text += QLatin1Char('.') + mantissa.mid(shift + 1);
    return text + (exponent < 0 ? QStringLiteral("E-") : QStringLiteral("E+")) +
           QStringLiteral("%1").arg(std::abs(exponent), 2, 10, QLatin1Char('0'));
}

QString NumberBox::textFromValue(double value) const
{
    return engineering_ ? engineeringText(value, digits_) : QDoubleSpinBox::textFromValue(value);
}

double NumberBox::valueFromText(const QString &text) const
{
    return engineering_ ? QLocale::c().toDouble(text.trimmed()) : QDoubleSpinBox::valueFromText(text);
}

QValidator::State NumberBox::validate(QString &text, int &pos) const
{
    if (!engineering_)
        return DecimalPointBox<QDoubleSpinBox>::validate(text, pos);
    bool ok = false;
    QLocale::c().toDouble(text.trimmed(), &ok);
    return ok ? QValidator::Acceptable : QValidator::Intermediate;
}

bool NumberBox::event(QEvent *event)
{
    if (event->type() == QEvent::DynamicPropertyChange) {
        const QByteArray name = static_cast<QDynamicPropertyChangeEvent *>(event)->propertyName();
        if (name == "format" || name == "digits") {
            engineering_ = property("format").toString() == QLatin1String("engineering");
            bool ok = false;
            const int digits = property("digits").toInt(&ok);
            digits_ = ok ? std::clamp(digits, 1, 17) : 10;
            if (engineering_) {
                const double shown = value();
                setDecimals(unroundedDecimals);
                setValue(shown);
            }
            update();
        }
    }
    return QDoubleSpinBox::event(event);
}

Led::Led(QWidget *parent) : QLabel(parent) {}

void Led::setOn(bool on)
{
    if (on_ != on) {
        on_ = on;
        update();
    }
}

int Led::captionWidth() const
{
    return width() - (lampDiameter + 2 + captionGap);
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
        // Never clipped mid-letter: a caption without room ends in "…" (whole in the tooltip).
        QString shown;
        if (textIsCut(this, &shown))
            shown = fontMetrics().elidedText(shown, Qt::ElideRight, caption.width());
        p.drawText(caption, Qt::AlignVCenter | Qt::AlignLeft, shown);
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
        // A cosmetic one-pixel pen without antialiasing draws thousands of
        // points several times faster and reads like an instrument trace.
        trace_->setPen(QPen(QColor(0x40, 0xff, 0x60), 0));
        trace_->setAntialiased(false);
        drawLater_.setSingleShot(true);
        connect(&drawLater_, &QTimer::timeout, this, [this] { redraw(false); });
    }
    for (QCPAxis *axis : {xAxis, yAxis})
        connect(axis, qOverload<const QCPRange &>(&QCPAxis::rangeChanged), this,
                [this, axis] { fitLabelDigits(axis); });
    setContextMenuPolicy(Qt::CustomContextMenu);
    connect(this, &QWidget::customContextMenuRequested, this, [this](const QPoint &at) {
        auto *menu = new QMenu(this);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        menu->addAction(QStringLiteral("Save Image…"), this, &PlotArea::saveImage);
        if (strip_)
            menu->addAction(QStringLiteral("Save Data…"), this, &PlotArea::saveData);
        menu->popup(mapToGlobal(at));
    });
}

void PlotArea::saveImage()
{
    const QPointer<PlotArea> self(this);
    QString path = chooseFile("*.png", "*.pdf", "Save Image");
    if (path.isEmpty() || !self)
        return;
    bool saved = false;
    if (QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0) {
        saved = savePdf(path);
    } else {
        if (QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) != 0)
            path += QLatin1String(".png");
        saved = savePng(path);
    }
    if (!saved)
        reportWriteError();
}

void PlotArea::saveData()
{
    const QPointer<PlotArea> self(this);
    const QString path = chooseFile("*.csv", "", "Save Data");
    if (path.isEmpty() || !self || !trace_)
        return;
    // The points inside the x range as shown, oldest first, each in the
    // shortest text that reads back as the same double; a file chosen again
    // is replaced, since it holds one snapshot of the chart.
    QByteArray text;
    const QCPRange shown = xAxis->range();
    for (auto it = trace_->data()->findBegin(shown.lower, false); it != trace_->data()->constEnd(); ++it) {
        if (it->key > shown.upper)
            break;
        text += QByteArray::number(it->value, 'g', QLocale::FloatingPointShortest) + '\n';
    }
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(text) != text.size() ||
        !file.flush())
        reportWriteError();
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

int PlotArea::addBoundedPlot(const QVector<double> &x, const QVector<double> &y, const QVector<double> &low,
                             const QVector<double> &high, const QColor &colour)
{
    const int handle = addPlot(x, y, false, colour);
    auto *graph = static_cast<QCPGraph *>(plots_[handle]);
    graph->setScatterStyle(QCPScatterStyle(QCPScatterStyle::ssCircle, colour, 5));
    auto *bars = new QCPErrorBars(xAxis, yAxis);
    bars->setDataPlottable(graph);
    QVector<double> below(y.size()), above(y.size());
    for (qsizetype k = 0; k < y.size(); ++k) {
        // A bound that is not known draws no bar on its side.
        below[k] = std::isnan(low[k]) ? 0 : y[k] - low[k];
        above[k] = std::isnan(high[k]) ? 0 : high[k] - y[k];
    }
    bars->setData(below, above);
    bars->setPen(QPen(colour.lighter(130), 1));
    bars->setWhiskerWidth(6);
    bounds_[handle] = bars;
    autoscale();
    return handle;
}

void PlotArea::setLogScale(QCPAxis *axis, bool log)
{
    axis->setScaleType(log ? QCPAxis::stLogarithmic : QCPAxis::stLinear);
    if (log) {
        axis->setTicker(QSharedPointer<QCPAxisTickerLog>::create());
        axis->setNumberFormat(QStringLiteral("eb"));
        axis->setNumberPrecision(0);
    } else {
        axis->setTicker(QSharedPointer<QCPAxisTicker>::create());
        axis->setNumberFormat(QStringLiteral("gb"));
    }
    autoscale();
}

bool PlotArea::deletePlot(int handle)
{
    if (handle == -1) {
        for (auto &[h, bars] : bounds_)
            removePlottable(bars);
        bounds_.clear();
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
    if (auto bars = bounds_.find(handle); bars != bounds_.end()) {
        removePlottable(bars->second);
        bounds_.erase(bars);
    }
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

// A reading of 100 kHz with millihertz noise needs more than the default six
// digits on its tick labels, or every label reads the same.
void PlotArea::fitLabelDigits(QCPAxis *axis)
{
    if (axis->scaleType() == QCPAxis::stLogarithmic)
        return;
    const QCPRange range = axis->range();
    const double magnitude = std::max(std::abs(range.lower), std::abs(range.upper));
    int digits = 6;
    if (range.size() > 0 && magnitude > 0)
        digits = std::clamp(int(std::ceil(std::log10(magnitude / range.size()))) + 2, 6, 15);
    if (axis->numberPrecision() != digits)
        axis->setNumberPrecision(digits);
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
    if (strip_ && !now && lastDraw_.isValid() && lastDraw_.elapsed() < stripFrameMs) {
        if (!drawLater_.isActive())
            drawLater_.start(int(stripFrameMs - lastDraw_.elapsed()));
        return;
    }
    drawLater_.stop();
    lastDraw_.start();
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
        w = new DecimalPointBox<QSpinBox>(parent);
    else if (className == QLatin1String("QDoubleSpinBox"))
        w = new NumberBox(parent);
    else
        w = QUiLoader::createWidget(className, parent, name);
    if (!w)
        return nullptr;
    w->setObjectName(name);
    if (qobject_cast<QLabel *>(w) || qobject_cast<QLineEdit *>(w))
        w->installEventFilter(new WholeTextTip(w));
    // The page becomes a fixed-size panel window. Its flags are set while it
    // has no children yet: setting them later restyles the whole panel.
    if (!parent)
        w->setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                          Qt::WindowSystemMenuHint | Qt::WindowMinimizeButtonHint |
                          Qt::WindowCloseButtonHint);
    return w;
}

} // namespace uct::ui
