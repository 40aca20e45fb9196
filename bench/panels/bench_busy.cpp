// SPDX-License-Identifier: GPL-3.0-or-later
// The window while the module measures, on the real event loop and the
// simulated module's real clock: the repaint interval while a 2 s reading
// without a trigger is in flight, repaints asked for every 10 ms (target at
// most 50 ms), and the latency of
// ABORT clicked during it, from the click to the repaint that shows the run
// buttons changed (target at most 100 ms). Printed, never asserted.
#include "app.h"
#include "kq3917e.h"
#include "kq3917e_testseam.h"
#include "mainpanel.h"
#include "measure.h"
#include "userint.h"
#include "userint_testseam.h"
#include <uctpanels.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>
#include <QWidget>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace
{

// Times of a widget's repaints, in milliseconds since the start.
class PaintClock : public QObject
{
  public:
    explicit PaintClock(QElapsedTimer &clock) : clock_(clock) {}
    std::vector<double> paints;
    std::function<void(double)> onPaint = [](double) {};

  protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint) {
            paints.push_back(clock_.nsecsElapsed() / 1e6);
            onPaint(paints.back());
        }
        return false;
    }

  private:
    QElapsedTimer &clock_;
};

void tick()
{
    uitest::TimerTick(mainPanel, MAIN_TIMER);
}

// Something asks the reading display to repaint every 10 ms (as an exposed
// or resized window would): the gaps between its repaints show how long
// the window goes without drawing.
void repaintInterval(QElapsedTimer &clock)
{
    PaintClock paints(clock);
    QWidget *reading = uitest::ControlWidget(mainPanel, MAIN_READING);
    reading->installEventFilter(&paints);
    QTimer expose;
    QObject::connect(&expose, &QTimer::timeout, reading, [reading] { reading->update(); });
    expose.start(10);
    setCtrMainEvent(mainPanel, MAIN_SINGLE, EVENT_COMMIT, nullptr, 0, 0);
    paints.paints.clear();
    tick();
    std::vector<double> gaps;
    for (size_t i = 1; i < paints.paints.size(); i++) {
        gaps.push_back(paints.paints[i] - paints.paints[i - 1]);
    }
    std::sort(gaps.begin(), gaps.end());
    if (gaps.empty()) {
        std::printf("repaint interval during a 2 s read: no repaint\n");
        return;
    }
    std::printf("repaint interval during a 2 s read: median %.1f ms, longest %.1f ms over %zu repaints "
                "(target at most 50 ms)\n",
                gaps[gaps.size() / 2], gaps.back(), paints.paints.size());
}

void abortLatency(QElapsedTimer &clock)
{
    PaintClock paints(clock);
    uitest::ControlWidget(mainPanel, MAIN_SINGLE)->installEventFilter(&paints);
    setCtrMainEvent(mainPanel, MAIN_CONTINUOUS, EVENT_COMMIT, nullptr, 0, 0);
    double clicked = -1, shown = -1;
    paints.onPaint = [&](double at) {
        int single = 0;
        GetCtrlAttribute(mainPanel, MAIN_SINGLE, ATTR_ACTIVE_MARK, &single);
        if (clicked >= 0 && shown < 0 && single) {
            shown = at;
        }
    };
    QTimer::singleShot(500, [&] {
        clicked = clock.nsecsElapsed() / 1e6;
        QTest::mouseClick(uitest::ControlWidget(mainPanel, MAIN_ABORT), Qt::LeftButton);
    });
    tick();
    QApplication::processEvents();
    std::printf("ABORT during a read: shown %.1f ms after the click (target at most 100 ms)\n",
                shown - clicked);
}

} // namespace

int main(int argc, char *argv[])
{
    if (InitUIRuntime(argc, argv) == 0) {
        return 1;
    }
    registerAppCallbacks();
    registerMainPanelCallbacks();
    registerMeasureCallbacks();
    drvtest::ResetDriver();
    drvtest::SetSimClock({});
    kq3917e_simulate(1);
    // Input 1's level above its swing: no trigger, each reading waits 2 s.
    kq3917e_confInputTriggering(0, 1, 0, 5.0, 0);
    mainPanel = LoadPanel(0, RESOURCE_FILE, MAIN);
    if (mainPanel <= 0) {
        return 1;
    }
    DisplayPanel(mainPanel);
    ProcessSystemEvents();
    QElapsedTimer clock;
    clock.start();
    repaintInterval(clock);
    abortLatency(clock);
    DiscardPanel(mainPanel);
    return 0;
}
