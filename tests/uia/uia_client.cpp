// A UI Automation client, as a Windows screen reader is one: it starts the
// game beside itself, plays a whole game from the keyboard and, at each
// step, checks what the game gives a screen reader: the focused control,
// its focus event, and the names and descriptions of the question's boxes,
// the answer box, the verdict and the counters. Only the calls Wine 10
// answers are used: a walker over a true condition, property values read
// with GetCurrentPropertyValueEx, and focus events.
// Usage: uia_client GAME.exe   (exit status 0 when every step was heard)

#include <windows.h>
#include <objbase.h>
#include <oleauto.h>

#include <algorithm>
#include <cstdio>
#include <cwchar>
#include <functional>
#include <regex>
#include <string>
#include <optional>
#include <vector>

// Debian 12's MinGW headers have UI Automation's provider side only: the
// client interfaces are declared here, in their order in the vtable, with
// the slots this client never calls as placeholders. Outside any anonymous
// namespace: the compiler would otherwise know that nothing in the program
// implements them, and take the calls through them for dead code.
// clang-format off
#define SLOT(n) virtual HRESULT STDMETHODCALLTYPE unused##n() = 0
struct IUIAutomationElement;
struct IUIAutomationCondition : IUnknown
{ };
struct IUIAutomationTreeWalker : IUnknown
{
    SLOT(3);
    virtual HRESULT STDMETHODCALLTYPE GetFirstChildElement(IUIAutomationElement *, IUIAutomationElement **) = 0;
    SLOT(5);
    virtual HRESULT STDMETHODCALLTYPE GetNextSiblingElement(IUIAutomationElement *, IUIAutomationElement **) = 0;
};
struct IUIAutomationElement : IUnknown
{
    SLOT(3); SLOT(4); SLOT(5); SLOT(6); SLOT(7); SLOT(8); SLOT(9); SLOT(10);
    virtual HRESULT STDMETHODCALLTYPE GetCurrentPropertyValueEx(LONG id, BOOL ignoreDefault, VARIANT *value) = 0;
};
struct IUIAutomationFocusChangedEventHandler : IUnknown
{
    virtual HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(IUIAutomationElement *sender) = 0;
};
struct IUIAutomation : IUnknown
{
    SLOT(3); SLOT(4); SLOT(5);
    virtual HRESULT STDMETHODCALLTYPE ElementFromHandle(HWND, IUIAutomationElement **) = 0;
    SLOT(7); SLOT(8); SLOT(9); SLOT(10); SLOT(11); SLOT(12);
    virtual HRESULT STDMETHODCALLTYPE CreateTreeWalker(IUIAutomationCondition *, IUIAutomationTreeWalker **) = 0;
    SLOT(14); SLOT(15); SLOT(16); SLOT(17); SLOT(18); SLOT(19); SLOT(20);
    virtual HRESULT STDMETHODCALLTYPE CreateTrueCondition(IUIAutomationCondition **) = 0;
    SLOT(22); SLOT(23); SLOT(24); SLOT(25); SLOT(26); SLOT(27); SLOT(28); SLOT(29); SLOT(30);
    SLOT(31); SLOT(32); SLOT(33); SLOT(34); SLOT(35); SLOT(36); SLOT(37); SLOT(38);
    virtual HRESULT STDMETHODCALLTYPE AddFocusChangedEventHandler(void *cacheRequest,
                                                                  IUIAutomationFocusChangedEventHandler *) = 0;
};
// clang-format on
#undef SLOT

namespace {

const CLSID clsidCUIAutomation = {0xff48dba4, 0x60ef, 0x4201, {0xaa, 0x87, 0x54, 0x10, 0x3e, 0xef, 0x59, 0x4e}};
const IID iidIUIAutomation = {0x30cbe57d, 0xd9d0, 0x452a, {0xab, 0x13, 0x7a, 0xc5, 0xac, 0x48, 0x25, 0xee}};
const IID iidFocusHandler = {0xc270f6b5, 0x5c69, 0x4290, {0x97, 0x45, 0x7a, 0x7f, 0x97, 0x16, 0x94, 0x68}};

enum Property : LONG {
    ProcessId = 30002,
    ControlType = 30003,
    Name = 30005,
    HasKeyboardFocus = 30008,
    AutomationId = 30011,
    FullDescription = 30159,
};
enum Type : int { Button = 50000, Edit = 50004, Text = 50020, Window = 50032 };

// One control as a screen reader meets it.
struct Control
{
    int type = 0;
    std::wstring name, description, id;
    bool focused = false;
    int depth = 0;
};

std::wstring stringOf(IUIAutomationElement *element, LONG property)
{
    VARIANT value;
    VariantInit(&value);
    std::wstring text;
    if (SUCCEEDED(element->GetCurrentPropertyValueEx(property, FALSE, &value)) && value.vt == VT_BSTR && value.bstrVal)
        text = value.bstrVal;
    VariantClear(&value);
    return text;
}

int intOf(IUIAutomationElement *element, LONG property)
{
    VARIANT value;
    VariantInit(&value);
    int number = 0;
    if (SUCCEEDED(element->GetCurrentPropertyValueEx(property, FALSE, &value))) {
        if (value.vt == VT_I4)
            number = value.lVal;
        else if (value.vt == VT_BOOL)
            number = value.boolVal ? 1 : 0;
    }
    VariantClear(&value);
    return number;
}

Control read(IUIAutomationElement *element, int depth)
{
    Control control;
    control.type = intOf(element, ControlType);
    control.name = stringOf(element, Name);
    control.description = stringOf(element, FullDescription);
    control.id = stringOf(element, AutomationId);
    control.focused = intOf(element, HasKeyboardFocus) != 0;
    control.depth = depth;
    return control;
}

std::string utf8(const std::wstring &text)
{
    std::string out(WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), nullptr, 0, nullptr, nullptr),
                    '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.c_str(), int(text.size()), out.data(), int(out.size()), nullptr, nullptr);
    return out;
}

const char *typeName(int type)
{
    switch (type) {
    case Button:
        return "Button";
    case Edit:
        return "Edit";
    case Text:
        return "Text";
    case Window:
        return "Window";
    default:
        return "Other";
    }
}

std::string describe(const Control &c)
{
    return std::string(typeName(c.type)) + " name=\"" + utf8(c.name) + "\" desc=\"" + utf8(c.description) + "\" id=\""
        + utf8(c.id) + "\"" + (c.focused ? " focused" : "");
}

void say(const std::string &line)
{
    std::printf("%s\n", line.c_str());
    std::fflush(stdout);
}

// Every focus event, as it came. The events come on a thread of UI
// Automation's; their controls are read on the main thread, which waits for them.
class FocusEvents : public IUIAutomationFocusChangedEventHandler
{
public:
    FocusEvents() { InitializeCriticalSection(&m_lock); }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void **out) override
    {
        if (iid == IID_IUnknown || iid == iidFocusHandler) {
            *out = this;
            return S_OK;
        }
        *out = nullptr;
        return E_NOINTERFACE;
    }
    ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
    ULONG STDMETHODCALLTYPE Release() override { return 1; }

    HRESULT STDMETHODCALLTYPE HandleFocusChangedEvent(IUIAutomationElement *sender) override
    {
        if (!sender)
            return S_OK;
        sender->AddRef();
        EnterCriticalSection(&m_lock);
        m_arrived.push_back(sender);
        LeaveCriticalSection(&m_lock);
        return S_OK;
    }

    void watch(DWORD pid) { m_pid = pid; }

    // The game's events from the index `from` on, read as they arrived.
    std::vector<Control> since(size_t from)
    {
        EnterCriticalSection(&m_lock);
        std::vector<IUIAutomationElement *> arrived;
        arrived.swap(m_arrived);
        LeaveCriticalSection(&m_lock);
        for (IUIAutomationElement *sender : arrived) {
            if (DWORD(intOf(sender, ProcessId)) == m_pid)
                m_events.push_back(read(sender, 0));
            sender->Release();
        }
        return std::vector<Control>(m_events.begin() + std::min(from, m_events.size()), m_events.end());
    }
    size_t count() { return since(0).size(); }

private:
    CRITICAL_SECTION m_lock;
    std::vector<IUIAutomationElement *> m_arrived; // not read yet
    std::vector<Control> m_events;
    DWORD m_pid = 0;
};

// The unit words the game says, singular and plural, from the milligram (1) to the kilogram (7).
const wchar_t *const unitWords[7][2] = {
    {L"milligrammo", L"milligrammi"}, {L"centigrammo", L"centigrammi"}, {L"decigrammo", L"decigrammi"},
    {L"grammo", L"grammi"},           {L"decagrammo", L"decagrammi"},   {L"ettogrammo", L"ettogrammi"},
    {L"chilogrammo", L"chilogrammi"},
};

int unitOf(const std::wstring &word)
{
    for (int unit = 0; unit < 7; ++unit)
        if (word == unitWords[unit][0] || word == unitWords[unit][1])
            return unit + 1;
    return 0;
}

// The answer the game expects for quantity × 10^exponent, written as the pupil must type it.
std::wstring answerText(int quantity, int exponent, wchar_t separator)
{
    std::wstring digits = std::to_wstring(quantity);
    while (digits.size() > 1 && digits.back() == L'0') {
        digits.pop_back();
        ++exponent;
    }
    const int whole = int(digits.size()) + exponent; // digits before the separator
    if (whole >= -3) {                               // at least 0,0001: written out
        if (exponent >= 0)
            return digits + std::wstring(exponent, L'0');
        if (whole > 0)
            return digits.substr(0, whole) + separator + digits.substr(whole);
        return std::wstring(L"0") + separator + std::wstring(-whole, L'0') + digits;
    }
    std::wstring mantissa = digits.substr(0, 1);
    if (digits.size() > 1)
        mantissa += separator + digits.substr(1);
    wchar_t power[8];
    std::swprintf(power, 8, L"E-%02d", 1 - whole);
    return mantissa + power;
}

DWORD gamePid = 0;
constexpr DWORD patience = 120000; // ms

// The keys go to the game's topmost window, as a pupil's would: brought to
// the front should anything else have taken it.
void toGame()
{
    HWND top = nullptr;
    EnumWindows(
        [](HWND window, LPARAM found) -> BOOL {
            DWORD owner = 0;
            GetWindowThreadProcessId(window, &owner);
            if (owner != gamePid || !IsWindowVisible(window))
                return TRUE;
            *reinterpret_cast<HWND *>(found) = window;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&top));
    if (top && GetForegroundWindow() != top)
        SetForegroundWindow(top);
}

void key(WORD vk, bool up)
{
    INPUT input = {};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

void press(WORD vk)
{
    toGame();
    key(vk, false);
    key(vk, true);
    Sleep(100);
}

void type(const std::wstring &text)
{
    toGame();
    for (wchar_t c : text) {
        INPUT input[2] = {};
        for (int i = 0; i < 2; ++i) {
            input[i].type = INPUT_KEYBOARD;
            input[i].ki.wScan = c;
            input[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
        }
        SendInput(2, input, sizeof input[0]);
        Sleep(50);
    }
}

class Client
{
public:
    IUIAutomation *automation = nullptr;
    IUIAutomationTreeWalker *walker = nullptr;
    FocusEvents events;
    DWORD pid = 0;
    int failures = 0;

    // Every control of the game's windows, in tree order. Wine's desktop
    // element has no children: each window is met through its handle.
    std::vector<Control> controls()
    {
        std::vector<HWND> windows;
        std::pair<DWORD, std::vector<HWND> *> context(pid, &windows);
        EnumWindows(
            [](HWND window, LPARAM context) -> BOOL {
                auto *self = reinterpret_cast<std::pair<DWORD, std::vector<HWND> *> *>(context);
                DWORD owner = 0;
                GetWindowThreadProcessId(window, &owner);
                if (owner == self->first && IsWindowVisible(window))
                    self->second->push_back(window);
                return TRUE;
            },
            reinterpret_cast<LPARAM>(&context));
        std::vector<Control> found;
        for (HWND window : windows) {
            IUIAutomationElement *top = nullptr;
            if (SUCCEEDED(automation->ElementFromHandle(window, &top)) && top) {
                walk(top, 0, found);
                top->Release();
            }
        }
        return found;
    }

    void walk(IUIAutomationElement *element, int depth, std::vector<Control> &found)
    {
        found.push_back(read(element, depth));
        IUIAutomationElement *child = nullptr;
        walker->GetFirstChildElement(element, &child);
        while (child) {
            walk(child, depth + 1, found);
            IUIAutomationElement *next = nullptr;
            walker->GetNextSiblingElement(child, &next);
            child->Release();
            child = next;
        }
    }

    // Waits up to two minutes (Wine is slow to start, and a walk of the
    // window takes seconds on a busy machine) for a check of the whole
    // tree to pass; says what it saw either way.
    bool until(const std::string &what, const std::function<std::string(const std::vector<Control> &)> &check)
    {
        std::string wrong;
        std::vector<Control> seen;
        for (DWORD start = GetTickCount(); GetTickCount() - start < patience; Sleep(500)) {
            seen = controls();
            wrong = check(seen);
            if (wrong.empty()) {
                say("ok   " + what);
                return true;
            }
        }
        say("FAIL " + what + ": " + wrong);
        for (const Control &c : seen)
            say("       " + std::string(2 * c.depth, ' ') + describe(c));
        ++failures;
        return false;
    }

    // Waits for a focus event, from `from` on, on a control that matches;
    // the one event that matches is returned.
    bool focusEvent(const std::string &what, size_t from, const std::function<bool(const Control &)> &match,
                    Control *matched = nullptr)
    {
        for (DWORD start = GetTickCount(); GetTickCount() - start < patience; Sleep(200)) {
            for (const Control &c : events.since(from)) {
                if (match(c)) {
                    say("ok   focus event: " + what + ": " + describe(c));
                    if (matched)
                        *matched = c;
                    return true;
                }
            }
        }
        say("FAIL no focus event: " + what + "; the focus events were:");
        for (const Control &c : events.since(from))
            say("       " + describe(c));
        ++failures;
        return false;
    }
};

// The control with this object name: its automation id is the object names
// from the window down, joined with dots.
bool named(const Control &c, const std::wstring &name)
{
    return c.id == name || c.id.ends_with(L"." + name);
}

const Control *byId(const std::vector<Control> &controls, const std::wstring &name)
{
    for (const Control &c : controls)
        if (named(c, name))
            return &c;
    return nullptr;
}

struct Expected
{
    std::wstring id;
    int type;
    std::wstring name;
    std::optional<std::wstring> description; // unchecked when none
};

// "" when the controls are as expected, and the focus is on the one called `focus`.
std::string expect(const std::vector<Control> &controls, const std::vector<Expected> &expected,
                   const std::wstring &focus)
{
    for (const Expected &e : expected) {
        const Control *c = byId(controls, e.id);
        if (!c)
            return "no control " + utf8(e.id);
        if (c->type != e.type || c->name != e.name || (e.description && c->description != *e.description))
            return utf8(e.id) + " is " + describe(*c);
    }
    std::vector<const Control *> focused;
    for (const Control &c : controls)
        if (c.focused && c.type != Window)
            focused.push_back(&c);
    if (focused.size() != 1 || focused[0] != byId(controls, focus)) {
        std::string which;
        for (const Control *c : focused)
            which += "\n         " + describe(*c);
        return "the focus is not on " + utf8(focus) + " alone but on:" + which;
    }
    return "";
}

struct Question
{
    std::wstring spoken, answer;
    bool valid = false;
};

Question parseQuestion(const std::wstring &spoken, wchar_t separator)
{
    static const std::wregex pattern(L"(\\d+) (\\w+), quanti (\\w+)\\?");
    std::wsmatch m;
    Question q;
    q.spoken = spoken;
    if (!std::regex_match(spoken, m, pattern))
        return q;
    const int quantity = std::stoi(m[1].str()), source = unitOf(m[2].str()), target = unitOf(m[3].str());
    if (!source || !target || source == target)
        return q;
    q.answer = answerText(quantity, source - target, separator);
    q.valid = true;
    return q;
}

} // namespace

int wmain(int argc, wchar_t **argv)
{
    if (argc != 2) {
        std::fprintf(stderr, "usage: uia_client GAME.exe\n");
        return 2;
    }
    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    Client client;
    if (FAILED(CoCreateInstance(clsidCUIAutomation, nullptr, CLSCTX_INPROC_SERVER, iidIUIAutomation,
                                reinterpret_cast<void **>(&client.automation)))) {
        say("FAIL UI Automation is not there (CoCreateInstance(CLSID_CUIAutomation))");
        return 1;
    }
    IUIAutomationCondition *all = nullptr;
    client.automation->CreateTrueCondition(&all);
    client.automation->CreateTreeWalker(all, &client.walker);
    client.automation->AddFocusChangedEventHandler(nullptr, &client.events);

    // The game's decimal separator: the pupil's own setting.
    wchar_t separator[8] = L",";
    GetLocaleInfoEx(LOCALE_NAME_USER_DEFAULT, LOCALE_SDECIMAL, separator, 8);

    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + std::wstring(argv[1]) + L"\"";
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        say("FAIL the game did not start");
        return 1;
    }
    client.pid = gamePid = process.dwProcessId;
    client.events.watch(client.pid);
    const DWORD started = GetTickCount();

    // The prompt: its box is named by the question it asks.
    client.until("the name prompt: the focus in a box called \"Come ti chiami?\"", [](const std::vector<Control> &cs) {
        for (const Control &c : cs)
            if (c.focused && c.type == Edit)
                return c.name == L"Come ti chiami?" ? std::string() : "the focused box is " + describe(c);
        return std::string("no box has the focus");
    });
    size_t mark = client.events.count();
    type(L"Bea");
    press(VK_RETURN);

    // Each box the game puts up says its text as the focus lands on its button.
    auto box = [&](const std::string &what, const std::wstring &pattern) {
        const std::wregex text(pattern);
        client.focusEvent(what, mark,
                          [&](const Control &c) { return c.type == Button && std::regex_match(c.description, text); });
        mark = client.events.count();
        press(VK_RETURN);
    };
    box("the greeting on its button", L" Bea vediamo se sei un vero campione  ");

    // A question: heard as the focus lands in the answer box; the boxes are named.
    auto question = [&](const std::string &what) {
        Control answerBox;
        Question q;
        if (client.focusEvent(
                what, mark,
                [&](const Control &c) {
                    return c.type == Edit && c.name == L"Risposta" && named(c, L"txtAnswer")
                        && parseQuestion(c.description, separator[0]).valid;
                },
                &answerBox))
            q = parseQuestion(answerBox.description, separator[0]);
        client.until(what + ": the boxes' names, the focus in the answer box", [&](const std::vector<Control> &cs) {
            return expect(cs,
                          {{L"Text6", Edit, L"Quantità", L""},
                           {L"Text3", Edit, L"Unità di partenza", L""},
                           {L"Text4", Edit, L"Unità di arrivo", L""},
                           {L"txtAnswer", Edit, L"Risposta", q.spoken}},
                          L"txtAnswer");
        });
        mark = client.events.count();
        return q;
    };
    // The verdict and the counters: heard as the focus lands on "Nuovo calcolo", and in the labels.
    auto verdict = [&](const std::string &what, const std::wstring &message, int right, int wrong) {
        const std::wstring counters = L"risposte esatte " + std::to_wstring(right) + L", errate "
            + std::to_wstring(wrong) + L", totali " + std::to_wstring(right + wrong);
        client.focusEvent(what, mark, [&](const Control &c) {
            return c.type == Button && c.name == L"Nuovo calcolo" && c.description == message + L"; " + counters;
        });
        client.until(
            what + ": the message, the counters, the focus on \"Nuovo calcolo\"", [&](const std::vector<Control> &cs) {
                return expect(cs,
                              {{L"lblMessage", Text, L"Messaggio: " + message, {}},
                               {L"lblScore", Text, L"Risposte esatte: " + std::to_wstring(right), {}},
                               {L"lblScore1", Text, L"Risposte errate: " + std::to_wstring(wrong), {}},
                               {L"lblScore2", Text, L"Risposte totali: " + std::to_wstring(right + wrong), {}}},
                              L"cmdNext");
            });
        mark = client.events.count();
    };

    Question first = question("the first question");
    type(L"9" + first.answer);
    press(VK_RETURN);
    verdict("a wrong answer", L"Sbagliato!! " + first.answer, 0, 1);
    press(VK_RETURN);
    Question second = question("the next question");
    type(second.answer);
    press(VK_RETURN);
    verdict("a right answer", L"Esatto, è incredibile!!!", 1, 1);

    // Alt+X: the farewell, then the record box (the prefix is new: one right answer is a record).
    toGame();
    key(VK_MENU, false);
    press('X');
    key(VK_MENU, true);
    box("the farewell on its button", L"Ciao a presto\\. Ore \\d+");
    box("the record on its button", L"Ok ho registrato il tuo record, C A M P I O N E\"");

    if (WaitForSingleObject(process.hProcess, 30000) != WAIT_OBJECT_0) {
        say("FAIL the game did not end after its last box");
        ++client.failures;
        TerminateProcess(process.hProcess, 1);
    }
    say((client.failures ? "FAILED: " + std::to_string(client.failures) + " step(s)" : std::string("PASSED")) + " in "
        + std::to_string((GetTickCount() - started) / 1000) + " s");
    return client.failures ? 1 : 0;
}
