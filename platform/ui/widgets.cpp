// SPDX-License-Identifier: GPL-3.0-or-later
#include "widgets.h"

#include "userfile.h"
#include "userint.h"

#include <QBuffer>
#include <QDynamicPropertyChangeEvent>
#include <QFileInfo>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPointer>
#include <QRadialGradient>
#include <QToolTip>
#include <algorithm>
#include <climits>
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

// The chosen file, emptied for writing; a file that cannot be (a folder, a
// FIFO, no permission) is said, with why.
FILE *openChosen(const QString &path)
{
    char reason[USER_FILE_REASON_SIZE];
    FILE *file = OpenUserFile(path.toUtf8().constData(), "wb", reason, sizeof reason);
    if (!file)
        MessagePopup("File Open Error", ("Error opening file\n" + QByteArray(reason)).constData());
    return file;
}

// Writes bytes into file and closes it; a failure is said.
void writeAndClose(FILE *file, const QByteArray &bytes)
{
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), file) == size_t(bytes.size());
    // A full device shows only when the buffer is flushed at the close.
    const bool closed = std::fclose(file) == 0;
    if (!written || !closed)
        reportWriteError();
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

namespace
{

// Numbers as typed and shown: digits and the decimal point, no group
// separators, whatever the system locale.
const QLocale &numberLocale()
{
    static const QLocale locale = [] {
        QLocale c = QLocale::c();
        c.setNumberOptions(QLocale::OmitGroupSeparator | QLocale::RejectGroupSeparator);
        return c;
    }();
    return locale;
}

QString shortestText(double value)
{
    return numberLocale().toString(value, 'g', QLocale::FloatingPointShortest);
}

QString nonFiniteText(double value)
{
    return std::isnan(value) ? QStringLiteral("NaN")
           : value > 0       ? QStringLiteral("+Inf")
                             : QStringLiteral("-Inf");
}

// A number in a sentence takes the typographic minus.
QString inProse(QString number)
{
    if (number.startsWith(QLatin1Char('-')))
        number[0] = QChar(0x2212);
    return number;
}

// The look of a field whose entry Enter refused.
const char refusedMark[] = "QAbstractSpinBox { border: 1px solid #ff5a4f; background-color: #3a1416; }";

} // namespace

QString engineeringText(double value, int digits)
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
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

template <typename Box> constexpr bool isInteger = std::is_same_v<Box, QSpinBox>;

template <typename Box> ValueBox<Box>::ValueBox(QWidget *parent) : Box(parent)
{
    // The next keystroke starts a new entry: the mark of a refused one goes.
    QObject::connect(this->lineEdit(), &QLineEdit::textEdited, this, [this] {
        if (!why_.isEmpty())
            setMarked(QString());
    });
}

template <typename Box> std::optional<double> ValueBox<Box>::parse(const QString &text) const
{
    QString core = text;
    if (!this->prefix().isEmpty() && core.startsWith(this->prefix()))
        core.remove(0, this->prefix().size());
    if (!this->suffix().isEmpty() && core.endsWith(this->suffix()))
        core.chop(this->suffix().size());
    core = core.trimmed();
    bool ok = false;
    double value = 0;
    if constexpr (isInteger<Box>) {
        if (this->displayIntegerBase() != 10)
            value = double(core.toLongLong(&ok, this->displayIntegerBase()));
        else
            value = numberLocale().toDouble(core, &ok);
    } else {
        value = numberLocale().toDouble(core, &ok);
    }
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

template <typename Box> QString ValueBox<Box>::refusalOf(const QString &text, double *value) const
{
    const std::optional<double> number = parse(text);
    if (!number)
        return QStringLiteral("Not sent: type a number within %1").arg(rangeText());
    *value = *number;
    if (*number < this->minimum() || *number > this->maximum()) {
        // As typed, never rounded to the decimals shown.
        const QString typed = isInteger<Box> ? numberText(*number) : shortestText(*number);
        return QStringLiteral("Not sent: %1 lies outside %2").arg(inProse(typed), rangeText());
    }
    int decimals = 0;
    if constexpr (!isInteger<Box>)
        decimals = this->decimals();
    if (decimals <= maxShownDecimals && numberLocale().toString(*number, 'f', decimals).toDouble() != *number)
        return decimals == 0 ? QStringLiteral("Not sent: whole numbers only")
                             : QStringLiteral("Not sent: at most %1 decimals").arg(decimals);
    return QString();
}

template <typename Box> QString ValueBox<Box>::refusal() const
{
    double value = 0;
    return refusalOf(this->lineEdit()->displayText(), &value);
}

template <typename Box> QValidator::State ValueBox<Box>::validate(QString &input, int &) const
{
    // Never Invalid: a keystroke is never dropped.
    double value = 0;
    return refusalOf(input, &value).isEmpty() ? QValidator::Acceptable : QValidator::Intermediate;
}

template <typename Box> typename ValueBox<Box>::Value ValueBox<Box>::valueFromText(const QString &text) const
{
    const double value = parse(text).value_or(double(this->value()));
    if constexpr (isInteger<Box>)
        return int(std::lround(std::clamp(value, double(INT_MIN), double(INT_MAX))));
    else
        return value;
}

template <typename Box> QString ValueBox<Box>::textFromValue(Value value) const
{
    return empty_ ? QString() : numberText(held_ ? *held_ : double(value));
}

template <typename Box> QString ValueBox<Box>::numberText(double value) const
{
    if (!std::isfinite(value))
        return nonFiniteText(value);
    if constexpr (isInteger<Box>) {
        const int base = this->displayIntegerBase();
        if (value != std::trunc(value) || std::fabs(value) > 9e15)
            return shortestText(value);
        const auto whole = qlonglong(value);
        return base == 10 ? QString::number(whole)
                          : (whole < 0 ? QStringLiteral("-") : QString()) +
                                QString::number(qAbs(whole), base).toUpper();
    } else {
        if (std::fabs(value) >= 1e15 || this->decimals() > maxShownDecimals)
            return shortestText(value);
        return numberLocale().toString(value, 'f', this->decimals());
    }
}

// Whether the box can hold value as it would show it (integers rounded,
// doubles to the box's decimals).
template <typename Box> bool ValueBox<Box>::holds(double value) const
{
    if (!std::isfinite(value))
        return false;
    double shown = std::round(value);
    if constexpr (!isInteger<Box>)
        shown = this->decimals() > maxShownDecimals
                    ? value
                    : numberLocale().toString(value, 'f', this->decimals()).toDouble();
    return shown >= this->minimum() && shown <= this->maximum();
}

template <typename Box> void ValueBox<Box>::showValue(double value)
{
    empty_ = false;
    if (holds(value)) {
        held_.reset();
        if constexpr (isInteger<Box>)
            this->setValue(int(std::lround(value)));
        else
            this->setValue(value);
    } else {
        held_ = value;
        // Same value: only the text is redrawn.
        this->setValue(this->value());
    }
    updateToolTip();
}

template <typename Box> void ValueBox<Box>::showNoValue()
{
    held_.reset();
    empty_ = true;
    this->setValue(this->value());
    updateToolTip();
}

template <typename Box> std::optional<double> ValueBox<Box>::shownValue() const
{
    if (empty_)
        return std::nullopt;
    return held_ ? *held_ : double(this->value());
}

template <typename Box> void ValueBox<Box>::describe(const QString &text)
{
    description_ = text;
    described_ = true;
    updateToolTip();
}

template <typename Box> void ValueBox<Box>::rangeChanged()
{
    updateToolTip();
}

template <typename Box> QString ValueBox<Box>::rangeText() const
{
    auto limit = [this](double value) {
        if constexpr (isInteger<Box>)
            if (this->displayIntegerBase() != 10)
                return this->prefix() + numberText(value);
        return inProse(shortestText(value));
    };
    QString unit = this->suffix();
    if (const QString named = this->property("unit").toString(); unit.isEmpty() && !named.isEmpty())
        unit = QStringLiteral(" (%1)").arg(named);
    return limit(this->minimum()) + QStringLiteral(" … ") + limit(this->maximum()) + unit;
}

template <typename Box> void ValueBox<Box>::updateToolTip()
{
    if (!described_)
        return;
    QStringList lines;
    if (!why_.isEmpty())
        lines << why_;
    if (!description_.isEmpty())
        lines << description_;
    lines << QStringLiteral("Range ") + rangeText();
    if (held_)
        lines << QStringLiteral("The value shown is the module's and lies outside this range.");
    this->setToolTip(lines.join(QLatin1Char('\n')));
}

template <typename Box> void ValueBox<Box>::setMarked(const QString &why)
{
    // The reason shown for an earlier entry goes with its mark.
    if (why.isEmpty() && !why_.isEmpty() && QToolTip::isVisible() && QToolTip::text() == this->toolTip())
        QToolTip::hideText();
    why_ = why;
    const QString sheet = why.isEmpty() ? QString() : QString::fromLatin1(refusedMark);
    if (this->styleSheet() != sheet)
        this->setStyleSheet(sheet);
    updateToolTip();
    if (!why.isEmpty())
        QToolTip::showText(this->mapToGlobal(QPoint(0, this->height())), this->toolTip(), this);
}

// A typed value the box can take replaces a held one or no value, and is sent
// even when the box's own value was already the same.
template <typename Box> template <typename Base> void ValueBox<Box>::takeEntry(Base base)
{
    const bool replacing = held_ || empty_;
    const Value before = this->value();
    held_.reset();
    empty_ = false;
    base();
    if (replacing && this->value() == before)
        emit this->valueChanged(this->value());
    updateToolTip();
}

template <typename Box> bool ValueBox<Box>::entered() const
{
    return this->lineEdit()->displayText() != this->prefix() + textFromValue(this->value()) + this->suffix();
}

template <typename Box> void ValueBox<Box>::keyPressEvent(QKeyEvent *event)
{
    const bool enter = event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter;
    if (!enter || !entered()) {
        Box::keyPressEvent(event);
        return;
    }
    if (const QString why = refusal(); !why.isEmpty()) {
        setMarked(why);
        event->accept();
        return;
    }
    takeEntry([&] { Box::keyPressEvent(event); });
}

template <typename Box> void ValueBox<Box>::focusOutEvent(QFocusEvent *event)
{
    // Leaving the field takes what it can; a refused entry is abandoned.
    if (entered() && refusal().isEmpty())
        takeEntry([&] { Box::focusOutEvent(event); });
    else
        Box::focusOutEvent(event);
    setMarked(QString());
}

template <typename Box> void ValueBox<Box>::stepBy(int steps)
{
    held_.reset();
    empty_ = false;
    Box::stepBy(steps);
    updateToolTip();
}

template class ValueBox<QSpinBox>;
template class ValueBox<QDoubleSpinBox>;

QString NumberBox::numberText(double value) const
{
    return engineering_ ? engineeringText(value, digits_) : ValueBox<QDoubleSpinBox>::numberText(value);
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
        axis->setLabelColor(Qt::lightGray);
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
    const bool pdf = QFileInfo(path).suffix().compare(QLatin1String("pdf"), Qt::CaseInsensitive) == 0;
    if (!pdf && QFileInfo(path).suffix().compare(QLatin1String("png"), Qt::CaseInsensitive) != 0)
        path += QLatin1String(".png");
    FILE *file = openChosen(path);
    if (!file)
        return;
    if (pdf) {
        // The PDF writer takes only a name: it writes the file just checked.
        std::fclose(file);
        if (!savePdf(path))
            reportWriteError();
        return;
    }
    QByteArray png;
    QBuffer buffer(&png);
    buffer.open(QIODevice::WriteOnly);
    if (toPixmap().save(&buffer, "PNG"))
        writeAndClose(file, png);
    else {
        std::fclose(file);
        reportWriteError();
    }
}

void PlotArea::saveData()
{
    const QPointer<PlotArea> self(this);
    const QString path = chooseFile("*.csv", "", "Save Data");
    if (path.isEmpty() || !self || !trace_)
        return;
    // The points inside the x range as shown, oldest first, each number in
    // the shortest text that reads back as the same double: "time_s,value"
    // rows when the points carry their times, else one value per line. A
    // file chosen again is replaced, since it holds one snapshot of the chart.
    QByteArray text = timed_ ? "time_s,value\n" : "";
    const QCPRange shown = xAxis->range();
    for (auto it = trace_->data()->findBegin(shown.lower, false); it != trace_->data()->constEnd(); ++it) {
        if (it->key > shown.upper)
            break;
        if (timed_)
            text += QByteArray::number(it->key, 'g', QLocale::FloatingPointShortest) + ',';
        // A break in the line (no value there) is an empty value.
        if (!qIsNaN(it->value))
            text += QByteArray::number(it->value, 'g', QLocale::FloatingPointShortest);
        text += '\n';
    }
    if (FILE *file = openChosen(path))
        writeAndClose(file, text);
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

void PlotArea::appendStrip(const QVector<double> &x, const QVector<double> &y)
{
    bool ok = false;
    const int history = property("points").toInt(&ok);
    const int points = ok && history > 1 ? history : defaultStripPoints;
    timed_ = !x.isEmpty();
    for (qsizetype i = 0; i < y.size(); ++i)
        trace_->addData(timed_ ? x[i] : nextX_++, y[i]);
    QCPGraphDataContainer &held = *trace_->data();
    if (held.size() > points)
        held.removeBefore((held.constEnd() - points)->key);
    if (autoX_ && !held.isEmpty()) {
        // The window spans the history at the mean spacing of the points
        // held, so the trace fills it from the left and then scrolls.
        const double first = held.constBegin()->key, last = (held.constEnd() - 1)->key;
        const double step = held.size() > 1 && last > first ? (last - first) / double(held.size() - 1) : 1.0;
        xAxis->setRange(first, std::max(last, first + step * (points - 1)));
    }
    if (autoY_)
        yAxis->rescale();
    if (autoY_ && yAxis->range().size() == 0)
        yAxis->setRange(yAxis->range().lower - 1, yAxis->range().upper + 1);
}

void PlotArea::clearStrip()
{
    trace_->data()->clear();
    nextX_ = 0;
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
        w = new ValueBox<QSpinBox>(parent);
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
