// Starts a program on the current X display and watches it from outside, as
// the pupil would see it: when its name prompt is first drawn, when its first
// question is first drawn, its peak memory then, and what it costs while it
// sits idle afterwards. Plain Xlib, so the program under test needs nothing
// built in to be measured.
//
// "Drawn" is the first Damage event on a window: the moment pixels reach the
// screen, not merely the moment a window exists. Each box with the prompt's
// title is answered as a pupil would, once it has the keyboard focus: the
// first with the answer and Enter, any later one (a greeting) with Enter.
// "The first question" is the first time, after that, that a probe pixel near
// the bottom-right corner of another of the program's windows shows a
// question colour (red and green multiples of 20, as every question
// background and the floor's fill are).

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XTest.h>
#include <X11/extensions/Xdamage.h>

#include <algorithm>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <map>
#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include <dirent.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char **environ;

namespace {

double nowMs()
{
    timespec ts {};
    clock_gettime(CLOCK_MONOTONIC, &ts);
    return double(ts.tv_sec) * 1e3 + double(ts.tv_nsec) / 1e6;
}

struct Options
{
    std::string promptTitle;      // empty: the program asks nothing
    std::string mainTitle;        // empty: any window not titled as the prompt
    std::string answer = "bench"; // typed into the prompt, then Enter
    double idleSeconds = 0;
    double timeoutSeconds = 30;
    std::vector<char *> command;
};

[[noreturn]] void usage()
{
    std::fprintf(stderr,
                 "usage: ponderine-startwatch [--main-title TITLE] [--prompt-title TITLE] [--answer TEXT]\n"
                 "                            [--idle SECONDS] [--timeout SECONDS] -- PROGRAM [ARGS...]\n");
    std::exit(2);
}

Options parse(int argc, char **argv)
{
    Options o;
    int i = 1;
    for (; i < argc; ++i) {
        const std::string arg = argv[i];
        const auto value = [&]() -> std::string {
            if (i + 1 >= argc)
                usage();
            return argv[++i];
        };
        if (arg == "--prompt-title")
            o.promptTitle = value();
        else if (arg == "--main-title")
            o.mainTitle = value();
        else if (arg == "--answer")
            o.answer = value();
        else if (arg == "--idle")
            o.idleSeconds = std::stod(value());
        else if (arg == "--timeout")
            o.timeoutSeconds = std::stod(value());
        else if (arg == "--") {
            ++i;
            break;
        } else
            usage();
    }
    for (; i < argc; ++i)
        o.command.push_back(argv[i]);
    o.command.push_back(nullptr);
    if ((o.mainTitle.empty() && o.promptTitle.empty()) || o.command.size() < 2)
        usage();
    return o;
}

// Windows vanish between an event and our request about them; that is no fault.
int ignoreErrors(Display *, XErrorEvent *)
{
    return 0;
}

std::string windowTitle(Display *dpy, Window w)
{
    static const Atom netWmName = XInternAtom(dpy, "_NET_WM_NAME", False);
    static const Atom utf8 = XInternAtom(dpy, "UTF8_STRING", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    std::string title;
    if (XGetWindowProperty(dpy, w, netWmName, 0, 1024, False, utf8, &type, &format, &items, &after, &data) == Success
        && data) {
        title.assign(reinterpret_cast<char *>(data), items);
        XFree(data);
    }
    return title;
}

long windowPid(Display *dpy, Window w)
{
    static const Atom netWmPid = XInternAtom(dpy, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long items = 0, after = 0;
    unsigned char *data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(dpy, w, netWmPid, 0, 1, False, XA_CARDINAL, &type, &format, &items, &after, &data) == Success
        && data) {
        if (items == 1 && format == 32)
            pid = *reinterpret_cast<long *>(data);
        XFree(data);
    }
    return pid;
}

// A question background: red 20..180 and green 0..180, both multiples of 20.
bool isQuestionColour(unsigned long pixel, const Visual *visual)
{
    if (visual->red_mask != 0xFF0000 || visual->green_mask != 0x00FF00)
        return false; // only 24-bit TrueColor screens are measured
    const unsigned r = (pixel >> 16) & 0xFF;
    const unsigned g = (pixel >> 8) & 0xFF;
    return r >= 20 && r <= 180 && r % 20 == 0 && g <= 180 && g % 20 == 0;
}

std::optional<unsigned long> probePixel(Display *dpy, Window w)
{
    XWindowAttributes attrs {};
    if (!XGetWindowAttributes(dpy, w, &attrs) || attrs.map_state != IsViewable || attrs.width < 40 || attrs.height < 40)
        return std::nullopt;
    XImage *image = XGetImage(dpy, w, attrs.width - 16, attrs.height - 16, 1, 1, AllPlanes, ZPixmap);
    if (!image)
        return std::nullopt;
    const unsigned long pixel = XGetPixel(image, 0, 0);
    XDestroyImage(image);
    if (!isQuestionColour(pixel, attrs.visual))
        return std::nullopt;
    return pixel;
}

// Types lower-case letters and digits, then Enter, through the XTEST extension.
void typeAnswer(Display *dpy, const std::string &text)
{
    const auto press = [dpy](KeySym sym) {
        const KeyCode code = XKeysymToKeycode(dpy, sym);
        if (code == 0)
            return;
        XTestFakeKeyEvent(dpy, code, True, CurrentTime);
        XTestFakeKeyEvent(dpy, code, False, CurrentTime);
    };
    for (char c : text) {
        const char name[2] = {c, 0};
        press(XStringToKeysym(name));
    }
    press(XK_Return);
    XFlush(dpy);
}

// Is w, or a window inside it, the one with the keyboard focus?
bool hasFocus(Display *dpy, Window w)
{
    Window focus = None;
    int revert = 0;
    XGetInputFocus(dpy, &focus, &revert);
    while (focus != None && focus != PointerRoot) {
        if (focus == w)
            return true;
        Window root = None, parent = None;
        Window *children = nullptr;
        unsigned count = 0;
        if (!XQueryTree(dpy, focus, &root, &parent, &children, &count))
            return false;
        if (children)
            XFree(children);
        if (parent == root)
            return false;
        focus = parent;
    }
    return false;
}

// What the kernel counts for a process, summed over its threads.
struct Usage
{
    long long wakeups = 0;     // voluntary context switches: sleeps ended
    long long involuntary = 0; // preemptions
    double cpuMs = 0;          // on-CPU time (schedstat, nanoseconds)
    long long ticks = 0;       // utime + stime, clock ticks (/proc/PID/stat)
};

long long statusField(const std::string &path, const std::string &key)
{
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line))
        if (line.compare(0, key.size(), key) == 0 && line.size() > key.size() && line[key.size()] == ':')
            return std::atoll(line.c_str() + key.size() + 1);
    return 0;
}

Usage usageOf(pid_t pid)
{
    Usage u;
    const std::string base = "/proc/" + std::to_string(pid);
    if (DIR *dir = opendir((base + "/task").c_str())) {
        while (dirent *entry = readdir(dir)) {
            if (entry->d_name[0] == '.')
                continue;
            const std::string task = base + "/task/" + entry->d_name;
            u.wakeups += statusField(task + "/status", "voluntary_ctxt_switches");
            u.involuntary += statusField(task + "/status", "nonvoluntary_ctxt_switches");
            std::ifstream sched(task + "/schedstat");
            long long ns = 0;
            sched >> ns;
            u.cpuMs += double(ns) / 1e6;
        }
        closedir(dir);
    }
    std::ifstream stat(base + "/stat");
    std::string text((std::istreambuf_iterator<char>(stat)), std::istreambuf_iterator<char>());
    // Fields after the command name, which is in parentheses and may hold spaces.
    const auto close = text.rfind(')');
    if (close != std::string::npos) {
        std::istringstream fields(text.substr(close + 2));
        std::string field;
        for (int n = 3; fields >> field; ++n) {
            if (n == 14 || n == 15)
                u.ticks += std::atoll(field.c_str());
            if (n == 15)
                break;
        }
    }
    return u;
}

void stop(pid_t pid)
{
    kill(pid, SIGTERM);
    for (int i = 0; i < 200; ++i) {
        if (waitpid(pid, nullptr, WNOHANG) == pid)
            return;
        usleep(10000);
    }
    kill(pid, SIGKILL);
    waitpid(pid, nullptr, 0);
}

} // namespace

int main(int argc, char **argv)
{
    const Options options = parse(argc, argv);

    Display *dpy = XOpenDisplay(nullptr);
    if (!dpy) {
        std::fprintf(stderr, "startwatch: cannot open the X display\n");
        return 1;
    }
    int damageEvent = 0, damageError = 0, xtestEvent = 0, xtestError = 0, major = 0, minor = 0;
    if (!XDamageQueryExtension(dpy, &damageEvent, &damageError)
        || !XTestQueryExtension(dpy, &xtestEvent, &xtestError, &major, &minor)) {
        std::fprintf(stderr, "startwatch: the X server lacks the DAMAGE or XTEST extension\n");
        return 1;
    }
    XSetErrorHandler(ignoreErrors);
    const Window root = DefaultRootWindow(dpy);
    XSelectInput(dpy, root, SubstructureNotifyMask);
    XSync(dpy, False);

    const double t0 = nowMs();
    pid_t pid = 0;
    if (posix_spawnp(&pid, options.command[0], nullptr, nullptr, options.command.data(), environ) != 0) {
        std::fprintf(stderr, "startwatch: cannot start %s\n", options.command[0]);
        return 1;
    }

    std::map<Window, Damage> watched;
    // Boxes drawn and not yet answered, with when they were drawn.
    std::vector<std::pair<Window, double>> unanswered;
    std::vector<Window> boxes;
    double promptMs = -1, answeredMs = -1, mainMs = -1, questionMs = -1;
    long long hwmKb = -1;
    bool exited = false;

    const auto ours = [&](Window w) { return windowPid(dpy, w) == pid; };

    while (questionMs < 0 && !exited) {
        if (nowMs() - t0 > options.timeoutSeconds * 1e3) {
            std::fprintf(stderr, "startwatch: timed out (prompt %s, main window %s)\n",
                         promptMs < 0 ? "not seen" : "seen", mainMs < 0 ? "not seen" : "seen");
            break;
        }
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "startwatch: the program exited before its first question\n");
            exited = true;
            break;
        }
        // A box is answered once it holds the keyboard focus, or keys would
        // go nowhere; a second after it was drawn, it is answered anyway.
        if (!unanswered.empty()) {
            const auto [box, drawnMs] = unanswered.front();
            if (hasFocus(dpy, box) || nowMs() - t0 - drawnMs > 1000) {
                typeAnswer(dpy, answeredMs < 0 ? options.answer : std::string());
                if (answeredMs < 0)
                    answeredMs = nowMs() - t0;
                unanswered.erase(unanswered.begin());
            }
        }
        if (!XPending(dpy)) {
            pollfd fd {ConnectionNumber(dpy), POLLIN, 0};
            poll(&fd, 1, unanswered.empty() ? 20 : 1);
            if (!XPending(dpy))
                continue;
        }
        XEvent event;
        XNextEvent(dpy, &event);
        const double t = nowMs() - t0;
        if (event.type == CreateNotify && event.xcreatewindow.parent == root
            && !event.xcreatewindow.override_redirect) {
            const Window w = event.xcreatewindow.window;
            XSelectInput(dpy, w, StructureNotifyMask);
            watched[w] = XDamageCreate(dpy, w, XDamageReportNonEmpty);
        } else if (event.type == DestroyNotify) {
            watched.erase(event.xdestroywindow.window);
        } else if (event.type == damageEvent + XDamageNotify) {
            const auto *damage = reinterpret_cast<XDamageNotifyEvent *>(&event);
            const Window w = damage->drawable;
            XDamageSubtract(dpy, damage->damage, None, None);
            if (!ours(w))
                continue;
            const std::string title = windowTitle(dpy, w);
            if (!options.promptTitle.empty() && title == options.promptTitle) {
                if (std::find(boxes.begin(), boxes.end(), w) == boxes.end()) {
                    boxes.push_back(w);
                    unanswered.emplace_back(w, t);
                    if (promptMs < 0)
                        promptMs = t;
                }
            } else if (options.mainTitle.empty() || title == options.mainTitle) {
                if (mainMs < 0)
                    mainMs = t;
                // Until the prompt is answered the pupil has not been asked anything yet.
                if ((options.promptTitle.empty() || answeredMs >= 0) && probePixel(dpy, w)) {
                    questionMs = t;
                    hwmKb = statusField("/proc/" + std::to_string(pid) + "/status", "VmHWM");
                }
            }
        }
    }

    if (promptMs >= 0)
        std::printf("prompt_ms %.3f\n", promptMs);
    if (answeredMs >= 0)
        std::printf("answered_ms %.3f\n", answeredMs);
    if (mainMs >= 0)
        std::printf("main_ms %.3f\n", mainMs);
    if (questionMs >= 0) {
        std::printf("question_ms %.3f\n", questionMs);
        std::printf("hwm_kb %lld\n", hwmKb);
    }
    std::fflush(stdout);

    int status = questionMs >= 0 ? 0 : 1;
    if (questionMs >= 0 && options.idleSeconds > 0) {
        // Let what the first question set going settle before counting.
        usleep(1000000);
        const Usage before = usageOf(pid);
        const double start = nowMs();
        usleep(static_cast<useconds_t>(options.idleSeconds * 1e6));
        const Usage after = usageOf(pid);
        const double seconds = (nowMs() - start) / 1e3;
        if (waitpid(pid, nullptr, WNOHANG) == pid) {
            std::fprintf(stderr, "startwatch: the program exited while idle\n");
            return 1;
        }
        std::printf("idle_s %.3f\n", seconds);
        std::printf("idle_wakeups %lld\n", after.wakeups - before.wakeups);
        std::printf("idle_involuntary %lld\n", after.involuntary - before.involuntary);
        std::printf("idle_cpu_ms %.3f\n", after.cpuMs - before.cpuMs);
        std::printf("idle_ticks %lld\n", after.ticks - before.ticks);
        std::printf("hwm_end_kb %lld\n", statusField("/proc/" + std::to_string(pid) + "/status", "VmHWM"));
    }
    if (!exited)
        stop(pid);
    for (const auto &[w, damage] : watched)
        XDamageDestroy(dpy, damage);
    XCloseDisplay(dpy);
    return status;
}
