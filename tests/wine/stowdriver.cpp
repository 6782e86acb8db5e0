// Test driver for the end-to-end tests under Wine: finds the installer's windows and message
// boxes, reads them back as text, and presses buttons and keys the way a user would. One
// command per run; results go to stdout (the scripts send it to a file), failures to stderr.
#include <algorithm>
#include <windows.h>
#include <fcntl.h>
#include <io.h>
#include <objbase.h>
#include <objidl.h>
#include <shlobj.h>
#include <tlhelp32.h>

#include <cctype>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/handles.h"

namespace {

using stow::win32::ComPtr;
using stow::win32::UniqueHandle;
using stow::win32::UniqueKey;

constexpr DWORD kPollMs = 50;
constexpr UINT kAnswerMs = 2000;  // how long a window's thread may take to answer one message
constexpr DWORD kDefaultTimeoutMs = 30000;

void out(const std::string& line) {
    std::fputs(line.c_str(), stdout);
    std::fputc('\n', stdout);
    std::fflush(stdout);
}

int fail(const std::string& message) {
    std::fprintf(stderr, "stowdriver: %s\n", message.c_str());
    std::fflush(stderr);
    return 1;
}

// Keeps every output record on one line: CR, LF, tabs, quotes and other control bytes are
// written as C escapes, so a test can compare "line one\r\nline two" literally.
std::string escape(const std::string& text) {
    std::string result;
    for (unsigned char c : text) {
        switch (c) {
        case '\\': result += "\\\\"; break;
        case '"': result += "\\\""; break;
        case '\r': result += "\\r"; break;
        case '\n': result += "\\n"; break;
        case '\t': result += "\\t"; break;
        default:
            if (c < 0x20 || c == 0x7F) {
                char hex[8];
                std::snprintf(hex, sizeof hex, "\\x%02X", c);
                result += hex;
            } else {
                result += static_cast<char>(c);
            }
        }
    }
    return result;
}

std::string quoted(const std::string& text) { return "\"" + escape(text) + "\""; }

std::string hex(unsigned long value) {
    char buffer[16];
    std::snprintf(buffer, sizeof buffer, "0x%08lX", value);
    return buffer;
}

std::string rectText(const RECT& r) {
    char buffer[64];
    std::snprintf(buffer, sizeof buffer, "%ld,%ld,%ld,%ld", r.left, r.top, r.right, r.bottom);
    return buffer;
}

std::string sizeText(long w, long h) { return std::to_string(w) + "x" + std::to_string(h); }

// Whether the window's thread takes messages; a thread busy in a long handler does not.
bool answers(HWND hwnd, UINT timeout_ms = kAnswerMs) {
    DWORD_PTR result = 0;
    return SendMessageTimeoutA(hwnd, WM_NULL, 0, 0, SMTO_ABORTIFHUNG | SMTO_BLOCK, timeout_ms,
                               &result) != 0;
}

// Set by "peek": read texts without sending messages, so that a window whose thread is busy
// (the installer during file placement) can still be read back at once.
bool g_no_messages = false;

// The text as the window's own procedure reports it; GetWindowText alone would miss the text
// of controls that keep their own (it does not ask windows of other processes).
std::string windowText(HWND hwnd) {
    if (g_no_messages) {
        // For another process's window this is the text the system holds, no message sent.
        char buffer[4096] = {};
        int n = GetWindowTextA(hwnd, buffer, sizeof buffer);
        return std::string(buffer, n > 0 ? static_cast<size_t>(n) : 0);
    }
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(hwnd, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kAnswerMs, &length))
        return {};
    // The text may grow between the two messages (the installer answers while it pumps during
    // the driver phase, then moves on to its completion report): a text that fills the buffer
    // may have been cut, so it is read again into a larger one.
    for (size_t size = length + 2;; size *= 2) {
        std::vector<char> buffer(size, '\0');
        DWORD_PTR copied = 0;
        if (!SendMessageTimeoutA(hwnd, WM_GETTEXT, buffer.size(),
                                 reinterpret_cast<LPARAM>(buffer.data()), SMTO_ABORTIFHUNG,
                                 kAnswerMs, &copied))
            return {};
        if (copied + 1 < size || size > (size_t{1} << 20)) {
            return std::string(buffer.data(), copied < size ? copied : size - 1);
        }
    }
}

std::string className(HWND hwnd) {
    char buffer[256] = {};
    GetClassNameA(hwnd, buffer, sizeof buffer);
    return buffer;
}

bool sameText(const std::string& a, const std::string& b) {
    return a.size() == b.size() && CompareStringA(LOCALE_INVARIANT, NORM_IGNORECASE, a.data(),
                                                  static_cast<int>(a.size()), b.data(),
                                                  static_cast<int>(b.size())) == CSTR_EQUAL;
}

// The file name of the first running process that accept takes, or empty.
template <typename Accept>
std::string findProcess(Accept accept) {
    UniqueHandle snapshot(CreateToolhelp32Snapshot(TH32CS_SNAPPROCESS, 0));
    PROCESSENTRY32 entry{};
    entry.dwSize = sizeof entry;
    for (BOOL more = snapshot && Process32First(snapshot.get(), &entry); more;
         more = Process32Next(snapshot.get(), &entry)) {
        if (accept(entry)) return entry.szExeFile;
    }
    return {};
}

std::string processName(DWORD pid) {
    return findProcess([&](const PROCESSENTRY32& e) { return e.th32ProcessID == pid; });
}

bool processRunning(const std::string& name) {
    return !findProcess([&](const PROCESSENTRY32& e) { return sameText(e.szExeFile, name); }).empty();
}

// "&Change..." reads "Change..." on screen; a test may name a button either way.
std::string withoutMnemonic(const std::string& text) {
    std::string result;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size()) ++i;
        result += text[i];
    }
    return result;
}

bool buttonMatches(const std::string& text, const std::string& wanted) {
    return text == wanted || withoutMnemonic(text) == wanted;
}

BOOL CALLBACK collectWindow(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

std::vector<HWND> topLevelWindows() {
    std::vector<HWND> windows;
    EnumWindows(collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// All descendants, parents before their children (the order EnumChildWindows gives).
std::vector<HWND> descendants(HWND parent) {
    std::vector<HWND> windows;
    EnumChildWindows(parent, collectWindow, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

// A visible top-level window by its title, or by its class as "class=NAME" (for windows
// without a title). Hidden windows of the same title are never what a user sees.
HWND findVisibleWindow(const std::string& title) {
    const std::string by_class = "class=";
    bool match_class = title.compare(0, by_class.size(), by_class) == 0;
    for (HWND hwnd : topLevelWindows()) {
        if (!IsWindowVisible(hwnd)) continue;
        if (match_class ? className(hwnd) == title.substr(by_class.size()) : windowText(hwnd) == title) {
            return hwnd;
        }
    }
    return nullptr;
}

bool isMessageBox(HWND hwnd) {
    if (!IsWindowVisible(hwnd) || className(hwnd) != "#32770") return false;
    for (HWND child : descendants(hwnd)) {
        if (sameText(className(child), "Button")) return true;
    }
    return false;
}

HWND findMessageBox() {
    for (HWND hwnd : topLevelWindows()) {
        if (isMessageBox(hwnd)) return hwnd;
    }
    return nullptr;
}

// Polls find until it yields a window whose thread answers (or any window, when it need not
// answer), or the timeout passes.
template <typename Find>
HWND waitFor(Find find, DWORD timeout_ms, bool must_answer = true) {
    DWORD start = GetTickCount();
    for (;;) {
        HWND hwnd = find();
        if (hwnd && (!must_answer || answers(hwnd))) return hwnd;
        if (GetTickCount() - start >= timeout_ms) return nullptr;
        Sleep(kPollMs);
    }
}

DWORD parseTimeout(int argc, char** argv, int index) {
    if (index >= argc) return kDefaultTimeoutMs;
    double seconds = std::atof(argv[index]);
    return seconds > 0 ? static_cast<DWORD>(seconds * 1000) : kDefaultTimeoutMs;
}

// Until the window is closed or hidden, or the timeout passes.
bool waitGone(HWND hwnd, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    while (IsWindow(hwnd) && IsWindowVisible(hwnd)) {
        if (GetTickCount() - start >= timeout_ms) return false;
        Sleep(kPollMs);
    }
    return true;
}

// The command's window, titled argv[2]; reports the failure when none appears in time.
HWND requireWindow(char** argv, DWORD timeout_ms, bool must_answer) {
    HWND hwnd = waitFor([&] { return findVisibleWindow(argv[2]); }, timeout_ms, must_answer);
    if (!hwnd) fail("no window titled \"" + std::string(argv[2]) + "\"");
    return hwnd;
}

// Child rectangles relative to the top-level window's client area, as a layout test wants them.
RECT relativeRect(HWND hwnd, HWND top) {
    RECT r{};
    GetWindowRect(hwnd, &r);
    MapWindowPoints(HWND_DESKTOP, top, reinterpret_cast<POINT*>(&r), 2);
    return r;
}

void printWindowLine(HWND hwnd) {
    RECT r{}, client{};
    GetWindowRect(hwnd, &r);
    GetClientRect(hwnd, &client);
    DWORD pid = 0;
    GetWindowThreadProcessId(hwnd, &pid);
    out("window title=" + quoted(windowText(hwnd)) + " class=" + quoted(className(hwnd)) +
        " rect=" + rectText(r) + " size=" + sizeText(r.right - r.left, r.bottom - r.top) +
        " client=" + sizeText(client.right, client.bottom) +
        " style=" + hex(GetWindowLongA(hwnd, GWL_STYLE)) +
        " exstyle=" + hex(GetWindowLongA(hwnd, GWL_EXSTYLE)) +
        " visible=" + std::to_string(IsWindowVisible(hwnd) ? 1 : 0) +
        " enabled=" + std::to_string(IsWindowEnabled(hwnd) ? 1 : 0) +
        " process=" + quoted(processName(pid)));
}

void printChildren(HWND top) {
    std::vector<HWND> children = descendants(top);
    for (size_t i = 0; i < children.size(); ++i) {
        HWND hwnd = children[i];
        HWND parent = GetParent(hwnd);
        size_t parent_index = 0;
        for (size_t j = 0; j < i; ++j) {
            if (children[j] == parent) parent_index = j + 1;
        }
        out("child n=" + std::to_string(i + 1) + " parent=" + std::to_string(parent_index) +
            " id=" + std::to_string(GetDlgCtrlID(hwnd)) + " class=" + quoted(className(hwnd)) +
            " text=" + quoted(windowText(hwnd)) + " rect=" + rectText(relativeRect(hwnd, top)) +
            " visible=" + std::to_string(IsWindowVisible(hwnd) ? 1 : 0) +
            " enabled=" + std::to_string(IsWindowEnabled(hwnd) ? 1 : 0) +
            " style=" + hex(GetWindowLongA(hwnd, GWL_STYLE)));
    }
}

// The n-th button (from 1, in child-window order) with this text: windows may hold several
// buttons of the same text, such as the two Change buttons.
HWND findButton(HWND top, const std::string& text, int nth = 1) {
    for (HWND child : descendants(top)) {
        if (sameText(className(child), "Button") && buttonMatches(windowText(child), text) &&
            --nth == 0)
            return child;
    }
    return nullptr;
}

int cmdWaitWindow(int, char**, HWND top, DWORD) {
    printWindowLine(top);
    return 0;
}

int cmdDump(int, char**, HWND top, DWORD) {
    printWindowLine(top);
    printChildren(top);
    return 0;
}

int cmdList(int, char**, HWND, DWORD) {
    for (HWND hwnd : topLevelWindows()) {
        if (!IsWindowVisible(hwnd)) continue;
        printWindowLine(hwnd);
        HWND owner = GetWindow(hwnd, GW_OWNER);
        if (owner) out("  owner title=" + quoted(windowText(owner)));
    }
    return 0;
}

// "click TITLE BUTTON [SECONDS]" or "click-nth TITLE BUTTON N [SECONDS]". Posted, not sent: a
// click handler may run for the whole installation, and the driver must not hang on it.
int cmdClick(int, char** argv, HWND top, DWORD) {
    const bool nth = std::strcmp(argv[1], "click-nth") == 0;
    const std::string which = quoted(argv[3]) + (nth ? std::string(" #") + argv[4] : "");
    HWND button = findButton(top, argv[3], nth ? std::atoi(argv[4]) : 1);
    if (!button) return fail("no button " + which + " in \"" + argv[2] + "\"");
    if (!IsWindowVisible(button) || !IsWindowEnabled(button))
        return fail("button " + which + " is hidden or disabled");
    PostMessageA(button, BM_CLICK, 0, 0);
    out("clicked " + which);
    return 0;
}

// Replaces the text of the first visible child of a class (an edit box), as typing would; the
// control reports the change to its parent as after typing.
// The first visible child of a class, or nullptr.
HWND findChildOfClass(HWND top, const std::string& cls) {
    for (HWND child : descendants(top)) {
        if (IsWindowVisible(child) && sameText(className(child), cls)) return child;
    }
    return nullptr;
}

int cmdSetText(int, char** argv, HWND top, DWORD) {
    HWND child = findChildOfClass(top, argv[3]);
    if (!child) return fail("no visible " + std::string(argv[3]) + " in \"" + argv[2] + "\"");
    DWORD_PTR ignored = 0;
    if (!SendMessageTimeoutA(child, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(argv[4]),
                             SMTO_ABORTIFHUNG, kAnswerMs, &ignored))
        return fail("the " + std::string(argv[3]) + " did not take the text");
    out("text=" + quoted(windowText(child)));
    return 0;
}

bool makeForeground(HWND hwnd, DWORD timeout_ms);

// The items of a list box (one that keeps its strings): index, text and whether selected.
int cmdItems(int, char** argv, HWND top, DWORD) {
    HWND list = findChildOfClass(top, "ListBox");
    if (!list) return fail("no list box in \"" + std::string(argv[2]) + "\"");
    LRESULT count = SendMessageA(list, LB_GETCOUNT, 0, 0);
    LRESULT selected = SendMessageA(list, LB_GETCURSEL, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        // Wide: Wine hands the text of another process's list box over as UTF-16 either way.
        LRESULT length = SendMessageW(list, LB_GETTEXTLEN, i, 0);
        std::vector<wchar_t> wide(length > 0 ? length + 1 : 1, L'\0');
        if (length > 0) SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(wide.data()));
        char text[1024] = "";
        WideCharToMultiByte(CP_ACP, 0, wide.data(), -1, text, sizeof text, nullptr, nullptr);
        out("item n=" + std::to_string(i) + " text=" + quoted(text) +
            " selected=" + std::to_string(i == selected ? 1 : 0));
    }
    return 0;
}

// Double-clicks the list box item of this text with real mouse input, as a user opens a folder.
int cmdDoubleClickItem(int, char** argv, HWND top, DWORD) {
    HWND list = findChildOfClass(top, "ListBox");
    if (!list) return fail("no list box in \"" + std::string(argv[2]) + "\"");
    LRESULT index = SendMessageA(list, LB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                 reinterpret_cast<LPARAM>(argv[3]));
    if (index == LB_ERR) return fail("no item \"" + std::string(argv[3]) + "\"");
    SendMessageA(list, LB_SETTOPINDEX, index, 0);
    RECT item{};
    if (SendMessageA(list, LB_GETITEMRECT, index, reinterpret_cast<LPARAM>(&item)) == LB_ERR)
        return fail("no rectangle for item \"" + std::string(argv[3]) + "\"");
    POINT p{(item.left + item.right) / 2, (item.top + item.bottom) / 2};
    // The name starts after the indent and the glyph; a point left of the middle hits it.
    p.x = item.left + 40 < item.right ? item.left + 40 : p.x;
    ClientToScreen(list, &p);
    if (!makeForeground(top, kDefaultTimeoutMs / 3))
        return fail("window \"" + std::string(argv[2]) + "\" did not come to the foreground");
    const int cx = GetSystemMetrics(SM_CXSCREEN), cy = GetSystemMetrics(SM_CYSCREEN);
    const DWORD steps[] = {MOUSEEVENTF_MOVE, MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP,
                           MOUSEEVENTF_LEFTDOWN, MOUSEEVENTF_LEFTUP};
    INPUT inputs[5] = {};
    for (int i = 0; i < 5; ++i) {
        inputs[i].type = INPUT_MOUSE;
        inputs[i].mi.dx = static_cast<LONG>((p.x * 65535LL) / (cx - 1));
        inputs[i].mi.dy = static_cast<LONG>((p.y * 65535LL) / (cy - 1));
        inputs[i].mi.dwFlags = MOUSEEVENTF_ABSOLUTE | steps[i];
    }
    if (SendInput(5, inputs, sizeof(INPUT)) != 5) return fail("SendInput delivered only part of the clicks");
    answers(top);
    out("double-clicked " + quoted(argv[3]) + " at " + std::to_string(p.x) + "," + std::to_string(p.y));
    return 0;
}

// Asks the window to close, as its close box would, and waits until it is gone.
int cmdClose(int, char** argv, HWND top, DWORD timeout) {
    PostMessageA(top, WM_CLOSE, 0, 0);
    if (!waitGone(top, timeout)) return fail("the window stayed open");
    out("closed " + quoted(argv[2]));
    return 0;
}

int cmdMsgboxRead(int, char**, HWND, DWORD timeout) {
    HWND box = waitFor(findMessageBox, timeout);
    if (!box) return fail("no message box appeared");
    DWORD pid = 0;
    GetWindowThreadProcessId(box, &pid);
    out("caption=" + escape(windowText(box)));
    out("process=" + escape(processName(pid)));
    // Texts first, then the buttons in their order, whatever order the box created them in.
    std::vector<std::string> texts, buttons;
    bool icon = false;
    for (HWND child : descendants(box)) {
        if (!IsWindowVisible(child)) continue;
        std::string cls = className(child);
        if (sameText(cls, "Static")) {
            if ((GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) == SS_ICON) {
                icon = icon || SendMessageA(child, STM_GETICON, 0, 0) != 0;
            } else {
                std::string text = windowText(child);
                if (!text.empty()) texts.push_back(text);
            }
        } else if (sameText(cls, "Button")) {
            buttons.push_back(windowText(child));
        }
    }
    for (const std::string& text : texts) out("text=" + escape(text));
    for (const std::string& button : buttons) out("button=" + escape(button));
    out(std::string("icon=") + (icon ? "1" : "0"));
    return 0;
}

int cmdMsgboxPress(int, char** argv, HWND, DWORD timeout) {
    HWND box = waitFor(findMessageBox, timeout);
    if (!box) return fail("no message box appeared");
    HWND button = findButton(box, argv[2]);
    if (!button) return fail("the message box has no button \"" + std::string(argv[2]) + "\"");
    PostMessageA(button, BM_CLICK, 0, 0);
    if (!waitGone(box, timeout)) return fail("the message box stayed open");
    out("pressed " + quoted(argv[2]));
    return 0;
}

WORD parseKey(const std::string& name) {
    struct Named {
        const char* name;
        WORD vk;
    };
    static const Named kNames[] = {
        {"RETURN", VK_RETURN}, {"ENTER", VK_RETURN}, {"ESCAPE", VK_ESCAPE}, {"ESC", VK_ESCAPE},
        {"TAB", VK_TAB},       {"SPACE", VK_SPACE},  {"BACK", VK_BACK},     {"DELETE", VK_DELETE},
        {"LEFT", VK_LEFT},     {"RIGHT", VK_RIGHT},  {"UP", VK_UP},         {"DOWN", VK_DOWN},
        {"HOME", VK_HOME},     {"END", VK_END},
    };
    for (const Named& named : kNames) {
        if (sameText(name, named.name)) return named.vk;
    }
    if ((name[0] == 'F' || name[0] == 'f') && name.size() >= 2 && name.size() <= 3) {
        int n = std::atoi(name.c_str() + 1);
        if (n >= 1 && n <= 24) return static_cast<WORD>(VK_F1 + n - 1);
    }
    if (name.size() == 1 && std::isalnum(static_cast<unsigned char>(name[0])))
        return static_cast<WORD>(std::toupper(static_cast<unsigned char>(name[0])));
    return 0;
}

INPUT keyInput(WORD vk, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = vk;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(vk, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

// Brings the window to the foreground and waits until its thread takes messages: without a
// window manager a thread that just hid or destroyed a window can stall for a while, and input
// sent then would arrive late or go elsewhere.
bool makeForeground(HWND hwnd, DWORD timeout_ms) {
    DWORD start = GetTickCount();
    for (;;) {
        if (GetForegroundWindow() != hwnd) SetForegroundWindow(hwnd);
        if (GetForegroundWindow() == hwnd && answers(hwnd)) return true;
        if (GetTickCount() - start >= timeout_ms) return false;
        Sleep(kPollMs * 4);
    }
}

// Real keyboard input, so that the target sees Shift, Ctrl and Alt as held.
int cmdKey(int argc, char** argv, HWND top, DWORD) {
    WORD vk = parseKey(argv[3]);
    if (!vk) return fail("unknown key \"" + std::string(argv[3]) + "\"");
    std::vector<WORD> modifiers;
    for (int i = 4; i < argc; ++i) {
        WORD vk_modifier = sameText(argv[i], "shift") ? VK_SHIFT
                           : sameText(argv[i], "ctrl") ? VK_CONTROL
                           : sameText(argv[i], "alt")  ? VK_MENU : 0;
        if (!vk_modifier) return fail("unknown modifier \"" + std::string(argv[i]) + "\"");
        modifiers.push_back(vk_modifier);
    }
    if (!makeForeground(top, kDefaultTimeoutMs / 3))
        return fail("window \"" + std::string(argv[2]) + "\" did not come to the foreground");

    std::vector<INPUT> inputs;
    for (WORD m : modifiers) inputs.push_back(keyInput(m, false));
    inputs.push_back(keyInput(vk, false));
    inputs.push_back(keyInput(vk, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(keyInput(*it, true));
    UINT sent = SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
    if (sent != inputs.size()) return fail("SendInput delivered only part of the keys");
    out("key " + std::string(argv[3]) + (modifiers.empty() ? "" : " with modifiers"));
    return 0;
}

int cmdResize(int, char** argv, HWND top, DWORD) {
    SetWindowPos(top, nullptr, 0, 0, std::atoi(argv[3]), std::atoi(argv[4]),
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
    answers(top);
    printWindowLine(top);
    return 0;
}

int cmdWaitExit(int, char** argv, HWND, DWORD timeout) {
    const std::string target = argv[2];
    DWORD start = GetTickCount();
    while (processRunning(target)) {
        if (GetTickCount() - start >= timeout) return fail(target + " is still running");
        Sleep(kPollMs);
    }
    out("exited");
    return 0;
}

// Watches a process by name from its start (run it first) to its end: every top-level window it
// owns at any time, shown or hidden, is printed once, and once more if it is ever visible. Hidden
// windows are the system's own (COM's message window for shell links); the silent install must
// show none.
int cmdWatchWindows(int, char** argv, HWND, DWORD timeout) {
    const std::string target = argv[2];
    const DWORD start = GetTickCount();
    out("waiting");  // started before the process, so that it sees its first moment
    while (!processRunning(target)) {
        if (GetTickCount() - start >= timeout) break;
        Sleep(1);
    }
    std::vector<HWND> seen, shown;
    unsigned polls = 0;
    auto known = [](const std::vector<HWND>& list, HWND hwnd) {
        return std::find(list.begin(), list.end(), hwnd) != list.end();
    };
    while (processRunning(target)) {
        if (GetTickCount() - start >= timeout) return fail(target + " is still running");
        for (HWND hwnd : topLevelWindows()) {
            DWORD pid = 0;
            GetWindowThreadProcessId(hwnd, &pid);
            if (!sameText(processName(pid), target)) continue;
            if (!known(seen, hwnd)) {
                seen.push_back(hwnd);
                printWindowLine(hwnd);
            }
            if (IsWindowVisible(hwnd) && !known(shown, hwnd)) {
                shown.push_back(hwnd);
                out("shown:");
                printWindowLine(hwnd);
            }
        }
        ++polls;
        Sleep(5);
    }
    out("watched polls=" + std::to_string(polls) + " windows=" + std::to_string(seen.size()) +
        " shown=" + std::to_string(shown.size()));
    return 0;
}

// Reads shell links back through the shell's own object: for each file its target and working
// directory.
int cmdLink(int argc, char** argv, HWND, DWORD) {
    if (FAILED(CoInitialize(nullptr))) return fail("CoInitialize failed");
    int result = 0;
    for (int i = 2; i < argc && result == 0; ++i) {
        ComPtr<IShellLinkA> link;
        ComPtr<IPersistFile> file;
        wchar_t wide[MAX_PATH];
        char path[MAX_PATH] = "";
        char dir[MAX_PATH] = "";
        HRESULT hr = CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                      link.receive());
        if (SUCCEEDED(hr)) hr = link->QueryInterface(IID_IPersistFile, file.receive());
        if (SUCCEEDED(hr) && !MultiByteToWideChar(CP_ACP, 0, argv[i], -1, wide, MAX_PATH)) hr = E_FAIL;
        if (SUCCEEDED(hr)) hr = file->Load(wide, STGM_READ);
        if (SUCCEEDED(hr)) hr = link->GetPath(path, MAX_PATH, nullptr, SLGP_RAWPATH);
        if (SUCCEEDED(hr)) hr = link->GetWorkingDirectory(dir, MAX_PATH);
        if (SUCCEEDED(hr)) {
            out("link=" + quoted(argv[i]) + " path=" + quoted(path) + " workdir=" + quoted(dir));
        } else {
            result = fail("cannot read the link " + std::string(argv[i]) + ": " +
                          hex(static_cast<unsigned long>(hr)));
        }
    }
    CoUninitialize();
    return result;
}

// Replaces an HKLM key by an empty volatile one: no program can create a lasting subkey below
// it until the prefix's server ends, so a test can make a key impossible to create.
int cmdRegVolatile(int, char** argv, HWND, DWORD) {
    LONG rc = RegDeleteTreeA(HKEY_LOCAL_MACHINE, argv[2]);
    if (rc == ERROR_SUCCESS || rc == ERROR_FILE_NOT_FOUND) rc = RegDeleteKeyA(HKEY_LOCAL_MACHINE, argv[2]);
    if (rc != ERROR_SUCCESS && rc != ERROR_FILE_NOT_FOUND) {
        return fail("cannot delete " + std::string(argv[2]) + ": " + std::to_string(rc));
    }
    UniqueKey key;
    rc = RegCreateKeyExA(HKEY_LOCAL_MACHINE, argv[2], 0, nullptr, REG_OPTION_VOLATILE, KEY_ALL_ACCESS,
                         nullptr, key.receive(), nullptr);
    if (rc != ERROR_SUCCESS) return fail("cannot create " + std::string(argv[2]) + ": " + std::to_string(rc));
    out("volatile");
    return 0;
}

// Holds a file open without delete sharing, as a running program holds its files, until the
// given seconds have passed: deleting it fails meanwhile with a sharing violation.
int cmdHold(int, char** argv, HWND, DWORD) {
    UniqueHandle file(CreateFileA(argv[2], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                  FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) return fail("cannot open " + std::string(argv[2]) + ": " + std::to_string(GetLastError()));
    out("holding");
    Sleep(static_cast<DWORD>(std::atoi(argv[3])) * 1000);
    return 0;
}

int usage() {
    std::fputs(
        "usage: stowdriver COMMAND ...   (TITLE may be class=NAME; texts print with C escapes)\n"
        "  wait-window TITLE [SECONDS]   wait for a visible window that answers messages\n"
        "  rect TITLE [SECONDS]          the same: the window's rectangle and client size\n"
        "  dump TITLE [SECONDS]          the window and all its child windows (class, text,\n"
        "                                rect relative to its client area, flags)\n"
        "  peek TITLE [SECONDS]          like dump, with texts by GetWindowText and no waiting\n"
        "                                for the thread: reads a window whose thread is busy\n"
        "  list                          all visible top-level windows and their owners\n"
        "  watch-windows NAME [SECONDS]  run before NAME starts: each of its top-level windows\n"
        "                                until it ends, again after \"shown:\" once visible\n"
        "  click TITLE BUTTON [SECONDS]  post BM_CLICK to a button (text with or without '&')\n"
        "  click-nth TITLE BUTTON N [SECONDS]  click the N-th button with that text\n"
        "  settext TITLE CLASS TEXT [SECONDS]  set the text of the first visible CLASS child\n"
        "  items TITLE [SECONDS]         the items of the window's list box\n"
        "  dblclick-item TITLE TEXT [SECONDS]  double-click that list box item (real mouse)\n"
        "  close TITLE [SECONDS]         close the window and wait until it is gone\n"
        "  msgbox-read [SECONDS]         caption, process, texts, buttons, icon of a message box\n"
        "  msgbox-press BUTTON [SECONDS] press a message box button and wait until it closes\n"
        "  key TITLE KEY [shift|ctrl|alt ...]  keyboard input once the window is foreground\n"
        "  resize TITLE WIDTH HEIGHT     set the outer size; prints the size the window took\n"
        "  wait-exit NAME [SECONDS]      wait until the process has ended\n"
        "  link FILE.lnk...              target path and working directory of shell links\n"
        "  reg-volatile KEY              replace HKLM\\KEY by an empty volatile key\n"
        "  hold FILE SECONDS             keep FILE open without delete sharing for a while\n",
        stderr);
    return 2;
}

}  // namespace

int main(int argc, char** argv) {
    // Plain LF line ends: the scripts on the other side are Unix tools.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 2) return usage();
    // A command needs `args` arguments after its name; an optional SECONDS may follow them. With
    // a window to wait for, argv[2] names it ("peek" does not wait for its thread to answer).
    enum class Wait { kNone, kAnswer, kPeek };
    struct Command {
        const char* name;
        int args;
        Wait wait;
        int (*run)(int, char**, HWND, DWORD);
    };
    static const Command kCommands[] = {
        {"wait-window", 1, Wait::kAnswer, cmdWaitWindow},
        {"rect", 1, Wait::kAnswer, cmdWaitWindow},
        {"dump", 1, Wait::kAnswer, cmdDump},
        {"peek", 1, Wait::kPeek, cmdDump},
        {"list", 0, Wait::kNone, cmdList},
        {"watch-windows", 1, Wait::kNone, cmdWatchWindows},
        {"click", 2, Wait::kAnswer, cmdClick},
        {"click-nth", 3, Wait::kAnswer, cmdClick},
        {"settext", 3, Wait::kAnswer, cmdSetText},
        {"items", 1, Wait::kAnswer, cmdItems},
        {"dblclick-item", 2, Wait::kAnswer, cmdDoubleClickItem},
        {"close", 1, Wait::kAnswer, cmdClose},
        {"msgbox-read", 0, Wait::kNone, cmdMsgboxRead},
        {"msgbox-press", 1, Wait::kNone, cmdMsgboxPress},
        {"key", 2, Wait::kAnswer, cmdKey},
        {"resize", 3, Wait::kAnswer, cmdResize},
        {"wait-exit", 1, Wait::kNone, cmdWaitExit},
        {"link", 1, Wait::kNone, cmdLink},
        {"reg-volatile", 1, Wait::kNone, cmdRegVolatile},
        {"hold", 2, Wait::kNone, cmdHold},
    };
    for (const Command& command : kCommands) {
        if (std::strcmp(argv[1], command.name) != 0) continue;
        if (argc < 2 + command.args) return usage();
        // Peeking reads texts without messages, also while looking for the window by title.
        g_no_messages = command.wait == Wait::kPeek;
        const DWORD timeout = parseTimeout(argc, argv, 2 + command.args);
        HWND top = nullptr;
        if (command.wait != Wait::kNone) {
            top = requireWindow(argv, timeout, command.wait == Wait::kAnswer);
            if (!top) return 1;
        }
        return command.run(argc, argv, top, timeout);
    }
    return usage();
}
