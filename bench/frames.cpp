// Times one step of the game, with the repaint it causes, inside the game's
// own window, and the floors those steps are held against: the same window
// filled once with one colour (by an opaque child covering it), and the same
// fill of a region the size of the countdown label. The kinds of step take
// turns in short blocks, so a drift of this shared machine hits game and
// floor alike.
//
// Each step is timed from the call to the moment the X server has drawn the
// result: the step posts its updates, QGuiApplication::sync() delivers them
// (paint into the backing store, flush to the server) and then waits for a
// server round trip, so the server has taken the pixels. That is the path a
// pupil's screen takes; grab() would paint into a pixmap instead, skipping
// the dirty-region logic and the flush, and so measure a different thing.
//
// Prints "key value" lines; bench/run makes the table.

#include "scripteddialogs.h"
#include "scriptedrandom.h"
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
#include <clocale>
#include <functional>
#include <cstdio>
#include <vector>

namespace {

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

// One kind of step: enter() readies the window for a block of them, then
// each step(i) is timed after an untimed prepare(i) has settled.
struct Kind
{
    const char *key;
    std::function<void()> enter;
    std::function<void(int)> prepare;
    std::function<void(int)> step;
    std::vector<qint64> ns {};
};

void runInTurns(std::vector<Kind> &kinds, int iterations, int blocks)
{
    QElapsedTimer timer;
    for (int block = 0; block < blocks; ++block) {
        for (Kind &kind : kinds) {
            kind.enter();
            const int first = iterations * block / blocks;
            const int last = iterations * (block + 1) / blocks;
            for (int i = first; i < last; ++i) {
                kind.prepare(i);
                settle();
                timer.start();
                kind.step(i);
                settle();
                kind.ns.push_back(timer.nsecsElapsed());
            }
        }
    }
}

Figure figureOf(std::vector<qint64> ns)
{
    std::sort(ns.begin(), ns.end());
    const auto at = [&](double share) { return double(ns[std::size_t(share * double(ns.size() - 1))]) / 1e6; };
    return {at(0.5), at(0.9)};
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

// One colour, over the whole widget: the floor. Opaque, so what lies under it
// is not painted with it.
class Fill : public QWidget
{
public:
    explicit Fill(QWidget *parent) : QWidget(parent) { setAttribute(Qt::WA_OpaquePaintEvent); }

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

// "--only tick" runs that step alone, for a profiler.
QString onlyFrom(const QStringList &args)
{
    const int at = int(args.indexOf(QStringLiteral("--only")));
    return at >= 0 ? args.value(at + 1) : QString();
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    // Qt took the C library's locale from the environment; bench/run runs
    // this in Italian and reads the figures with a decimal point.
    std::setlocale(LC_NUMERIC, "C");
    const int iterations = iterationsFrom(QApplication::arguments());
    const QString only = onlyFrom(QApplication::arguments());
    const QSize size = QGuiApplication::primaryScreen()->size();
    std::printf("window %dx%d\niterations %d\n", size.width(), size.height(), iterations);
    if (size != QSize(1920, 1080))
        std::fprintf(stderr, "frames: the screen is %dx%d; the figures are meant for 1920x1080\n", size.width(),
                     size.height());

    PaintLog log;
    app.installEventFilter(&log);
    bool ok = true;

    QTemporaryDir dataDir;
    ScriptedDialogs dialogs;
    dialogs.textAnswers.push_back(QStringLiteral("bench"));
    SeededRandom random(20240601); // the same questions on every run, so runs compare
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

    Fill floor(&tavola);
    floor.setGeometry(tavola.rect());
    floor.hide();

    // What one step repaints: paint events and area.
    const auto paintsOf = [&](const char *key, const std::function<void()> &step) {
        settle();
        log.clear();
        step();
        settle();
        std::printf("%s_paints %d\n%s_region_px %.0f\n%s_widgets %s\n", key, log.count(), key, area(log.painted()), key,
                    qPrintable(log.widgets().join(u',')));
    };
    const auto game = [&] {
        floor.hide();
        settle();
    };
    const auto onFloor = [&] {
        floor.show();
        floor.raise();
        settle();
    };
    const auto nothing = [](int) {};
    // Enter after a right answer, and after a wrong one (which blanks the background).
    const auto answer = [&](bool right) {
        return [&, right](int) {
            tavola.newQuestion();
            txtAnswer->setText(right ? label2->text() : QStringLiteral("x"));
        };
    };

    std::vector<Kind> kinds;
    const auto add = [&](Kind kind) {
        if (only.isEmpty() || only == QLatin1String(kind.key))
            kinds.push_back(std::move(kind));
    };
    add({"new_question", game, nothing, [&](int) { tavola.newQuestion(); }});
    add({"check_right", game, answer(true), [&](int) { tavola.checkAnswer(); }});
    add({"check_wrong", game, answer(false), [&](int) { tavola.checkAnswer(); }});
    // The game lasts 900 ticks; the last would end it.
    add({"tick", game, nothing, [&](int) { tavola.tick(); }});
    add({"floor_fill", onFloor, nothing, [&](int) { floor.update(); }});
    add({"floor_label_fill", onFloor, nothing, [&](int) { floor.update(labelRect); }});
    runInTurns(kinds, std::min(iterations, 800), std::min(iterations, 10));
    for (const Kind &kind : kinds)
        report(kind.key, figureOf(kind.ns));

    if (only.isEmpty()) {
        game();
        paintsOf("new_question", [&] { tavola.newQuestion(); });
        answer(false)(0);
        paintsOf("check_wrong", [&] { tavola.checkAnswer(); });
        settle();
        log.clear();
        tavola.tick();
        settle();
        const QRegion tickPainted = log.painted();
        std::printf("tick_paints %d\ntick_region_px %.0f\nlabel_px %.0f\ntick_inside_label %d\ntick_widgets %s\n",
                    log.count(), area(tickPainted), double(labelRect.width()) * labelRect.height(),
                    int(!tickPainted.isEmpty() && labelRect.contains(tickPainted.boundingRect())),
                    qPrintable(log.widgets().join(u',')));
        onFloor();
        paintsOf("floor_label_fill", [&] { floor.update(labelRect); });
    }

    std::fflush(stdout);
    return ok ? 0 : 1;
}
