// Times one step of the game, with the repaint it causes, inside the game's
// own window, and the floors those steps are held against: a window of the
// same size filled once with one colour, and the same fill of a region the
// size of the countdown label.
//
// Each step is timed from the call to the moment the X server has drawn the
// result: the step posts its updates, QGuiApplication::sync() delivers them
// (paint into the backing store, flush to the server) and then waits for a
// server round trip, so the server has taken the pixels. That is the path a
// pupil's screen takes; grab() would paint into a pixmap instead, skipping
// the dirty-region logic and the flush, and so measure a different thing.
//
// Prints "key value" lines; bench/run makes the table.

#include "dialogs.h"
#include "fonts.h"
#include "randomsource.h"
#include "tavola.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QLineEdit>
#include <QPaintEvent>
#include <QPainter>
#include <QScreen>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QWindow>

#include <algorithm>
#include <cstdio>
#include <random>
#include <vector>

namespace {

// Answers every box at once: a name for the prompt, No to every question.
class QuietDialogs : public Dialogs
{
public:
    QString askText(QWidget *, const QString &, const QString &) override { return QStringLiteral("bench"); }
    void inform(QWidget *, const QString &, const QString &) override { }
    bool askYesNo(QWidget *, const QString &, const QString &) override { return false; }
};

// The same questions on every run, so runs compare.
class FixedRandom : public RandomSource
{
public:
    void reseed() override { }
    double next() override { return std::uniform_real_distribution<double>(0.0, 1.0)(m_engine); }

private:
    std::mt19937_64 m_engine {20240601};
};

// Every paint event: the widget's name and the region, in its window's coordinates.
class PaintLog : public QObject
{
public:
    struct Entry
    {
        QString widget;
        QRegion region;
    };

    void clear() { m_entries.clear(); }

    QRegion painted() const
    {
        QRegion all;
        for (const Entry &entry : m_entries)
            all += entry.region;
        return all;
    }

    QStringList widgets() const
    {
        QStringList names;
        for (const Entry &entry : m_entries)
            if (!names.contains(entry.widget))
                names.append(entry.widget);
        return names;
    }

    int count() const { return int(m_entries.size()); }

protected:
    bool eventFilter(QObject *object, QEvent *event) override
    {
        if (event->type() == QEvent::Paint && object->isWidgetType()) {
            auto *widget = static_cast<QWidget *>(object);
            const QPoint offset = widget->mapTo(widget->window(), QPoint());
            const QString name = widget->objectName().isEmpty() ? QString::fromLatin1(widget->metaObject()->className())
                                                                 : widget->objectName();
            m_entries.append({name, static_cast<QPaintEvent *>(event)->region().translated(offset)});
        }
        return false;
    }

private:
    QList<Entry> m_entries;
};

// Delivers what is posted (paint and flush), then waits for the server.
void settle()
{
    QGuiApplication::sync();
}

struct Figure
{
    double median = 0;
    double p90 = 0;
};

// Times step(i), each time after an untimed prepare(i) has settled.
template<typename Prepare, typename Step>
Figure timeSteps(int iterations, Prepare prepare, Step step)
{
    std::vector<qint64> ns;
    QElapsedTimer timer;
    for (int i = 0; i < iterations; ++i) {
        prepare(i);
        settle();
        timer.start();
        step(i);
        settle();
        ns.push_back(timer.nsecsElapsed());
    }
    std::sort(ns.begin(), ns.end());
    const auto at = [&](double share) { return double(ns[std::size_t(share * double(ns.size() - 1))]) / 1e6; };
    return {at(0.5), at(0.9)};
}

template<typename Step>
Figure timeSteps(int iterations, Step step)
{
    return timeSteps(iterations, [](int) { }, step);
}

void report(const char *key, const Figure &figure)
{
    std::printf("%s_ms %.4f\n%s_p90_ms %.4f\n", key, figure.median, key, figure.p90);
}

double area(const QRegion &region)
{
    double sum = 0;
    for (const QRect &rect : region)
        sum += double(rect.width()) * rect.height();
    return sum;
}

// Shows the window full-screen and waits until the server has it at its size.
bool showFullScreen(QWidget &window, QSize size)
{
    window.setWindowState(Qt::WindowFullScreen);
    window.show();
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 10000) {
        settle();
        if (window.windowHandle() && window.windowHandle()->isExposed() && window.size() == size)
            return true;
        QThread::msleep(5);
    }
    std::fprintf(stderr, "frames: the window is %dx%d, not %dx%d\n", window.width(), window.height(), size.width(),
                 size.height());
    return false;
}

// One colour, over the whole widget: the floor.
class Fill : public QWidget
{
protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.fillRect(rect(), QColor(100, 60, 200));
    }
};

int iterationsFrom(const QStringList &args)
{
    const int at = int(args.indexOf(QStringLiteral("--iterations")));
    return at >= 0 ? std::max(3, args.value(at + 1).toInt()) : 200;
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    setupFonts();
    const int iterations = iterationsFrom(QApplication::arguments());
    const QSize size = QGuiApplication::primaryScreen()->size();
    std::printf("window %dx%d\niterations %d\n", size.width(), size.height(), iterations);
    if (size != QSize(1920, 1080))
        std::fprintf(stderr, "frames: the screen is %dx%d; the figures are meant for 1920x1080\n", size.width(),
                     size.height());

    PaintLog log;
    app.installEventFilter(&log);
    bool ok = true;

    QTemporaryDir dataDir;
    QuietDialogs dialogs;
    FixedRandom random;
    Tavola tavola(dialogs, random, dataDir.path());
    tavola.start();
    // Steps are timed one by one; the countdown's own timer would mix in.
    auto *timer1 = tavola.findChild<QTimer *>(QStringLiteral("Timer1"));
    auto *lblconto = tavola.findChild<QLabel *>(QStringLiteral("lblconto"));
    auto *label2 = tavola.findChild<QLabel *>(QStringLiteral("Label2"));
    auto *txtAnswer = tavola.findChild<QLineEdit *>(QStringLiteral("txtAnswer"));
    if (!timer1 || !lblconto || !label2 || !txtAnswer) {
        std::fprintf(stderr, "frames: the window lacks Timer1, lblconto, Label2 or txtAnswer\n");
        return 1;
    }
    timer1->stop();
    ok &= showFullScreen(tavola, size);
    const QRect labelRect(lblconto->mapTo(&tavola, QPoint()), lblconto->size());

    const auto paintsOf = [&](const char *key, auto step) {
        settle();
        log.clear();
        step();
        settle();
        std::printf("%s_paints %d\n%s_region_px %.0f\n", key, log.count(), key, area(log.painted()));
    };

    report("new_question", timeSteps(iterations, [&](int) { tavola.newQuestion(); }));
    paintsOf("new_question", [&] { tavola.newQuestion(); });

    // Enter after a right answer, and after a wrong one (which blanks the background).
    const auto answer = [&](bool right) {
        return [&, right](int) {
            tavola.newQuestion();
            txtAnswer->setText(right ? label2->text() : QStringLiteral("x"));
        };
    };
    report("check_right", timeSteps(iterations, answer(true), [&](int) { tavola.checkAnswer(); }));
    report("check_wrong", timeSteps(iterations, answer(false), [&](int) { tavola.checkAnswer(); }));
    answer(false)(0);
    paintsOf("check_wrong", [&] { tavola.checkAnswer(); });

    // A countdown tick, and what it repaints. The game lasts 900 ticks.
    tavola.newQuestion();
    report("tick", timeSteps(std::min(iterations, 800), [&](int) { tavola.tick(); }));
    settle();
    log.clear();
    tavola.tick();
    settle();
    const QRegion tickPainted = log.painted();
    std::printf("tick_region_px %.0f\nlabel_px %.0f\ntick_inside_label %d\ntick_widgets %s\n", area(tickPainted),
                double(labelRect.width()) * labelRect.height(),
                int(!tickPainted.isEmpty() && labelRect.contains(tickPainted.boundingRect())),
                qPrintable(log.widgets().join(u',')));
    tavola.hide();

    // The floors, in a window of the same size.
    Fill fill;
    ok &= showFullScreen(fill, size);
    report("floor_fill", timeSteps(iterations, [&](int) { fill.update(); }));
    report("floor_label_fill", timeSteps(iterations, [&](int) { fill.update(labelRect); }));
    paintsOf("floor_label_fill", [&] { fill.update(labelRect); });

    std::fflush(stdout);
    return ok ? 0 : 1;
}
