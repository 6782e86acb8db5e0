// The stopwatch of bench/wine_bench.sh: runs under Wine beside the installer, presses its Install
// button and times the interval until the Finish button is shown, with the performance counter
// of the same process that clicked. Reads the installer's windows without sending them messages
// (InternalGetWindowText), so a busy window thread cannot stall or skew the clock.
//
//   wine_clock wait TITLE [S]                the window is shown
//   wine_clock install TITLE BUTTON DONE [S]  click BUTTON, wait for DONE; prints seconds=...,
//                                             then clicks DONE so the installer ends
//   wine_clock write-files DIR COUNT SIZE PER-FOLDER
//                                             the floor under Wine: the plainest Win32 loop
//                                             (CreateDirectory, CreateFile, WriteFile,
//                                             CloseHandle) writing COUNT files of SIZE bytes
//                                             into DIR\d<n>\f<i>.bin; prints seconds=...
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

// Every poll asks wineserver about each of the installer's windows, and wineserver serves the
// installer's own file calls too: polling every 2 ms throughout made a 20,000-file installation
// measurably slower. The interval grows with the time elapsed, so the error stays within 1%.
DWORD pollMs(LONGLONG elapsed_ms) {
    const LONGLONG ms = elapsed_ms / 100;
    return static_cast<DWORD>(ms < 2 ? 2 : ms > 50 ? 50 : ms);
}

std::wstring widen(const char* s) {
    std::wstring w;
    for (; *s; ++s) w.push_back(static_cast<unsigned char>(*s));
    return w;
}

std::wstring textOf(HWND hwnd) {
    wchar_t buffer[256] = {};
    int n = InternalGetWindowText(hwnd, buffer, 256);
    return std::wstring(buffer, n > 0 ? n : 0);
}

// "&Install" and "Install" are the same button.
bool sameLabel(std::wstring text, const std::wstring& wanted) {
    std::wstring plain;
    for (wchar_t c : text) {
        if (c != L'&') plain.push_back(c);
    }
    return plain == wanted || text == wanted;
}

HWND findTop(const std::wstring& title) {
    HWND hwnd = FindWindowW(nullptr, title.c_str());
    return hwnd && IsWindowVisible(hwnd) ? hwnd : nullptr;
}

BOOL CALLBACK collect(HWND hwnd, LPARAM param) {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(hwnd);
    return TRUE;
}

// A visible, enabled child whose text is the label.
HWND findChild(HWND top, const std::wstring& label) {
    std::vector<HWND> children;
    EnumChildWindows(top, collect, reinterpret_cast<LPARAM>(&children));
    for (HWND child : children) {
        if (IsWindowVisible(child) && IsWindowEnabled(child) && sameLabel(textOf(child), label))
            return child;
    }
    return nullptr;
}

DWORD timeoutMs(int argc, char** argv, int index) {
    double s = index < argc ? std::atof(argv[index]) : 0;
    return static_cast<DWORD>((s > 0 ? s : 60) * 1000);
}

HWND waitTop(const std::wstring& title, DWORD timeout) {
    DWORD start = GetTickCount();
    for (;;) {
        if (HWND hwnd = findTop(title)) return hwnd;
        if (GetTickCount() - start >= timeout) return nullptr;
        Sleep(20);
    }
}

int fail(const char* what) {
    std::fprintf(stderr, "wine_clock: %s\n", what);
    return 1;
}

double secondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER frequency, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&now);
    return static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart;
}

int writeFiles(const std::string& dir, int count, int size, int per_folder) {
    std::vector<char> bytes(static_cast<size_t>(size), 'x');
    LARGE_INTEGER start;
    QueryPerformanceCounter(&start);
    CreateDirectoryA(dir.c_str(), nullptr);
    for (int i = 0; i < count; ++i) {
        const std::string folder = dir + "\\d" + std::to_string(i / per_folder);
        if (i % per_folder == 0) CreateDirectoryA(folder.c_str(), nullptr);
        const std::string path = folder + "\\f" + std::to_string(i) + ".bin";
        HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) return fail("cannot create a file");
        DWORD written = 0;
        const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(size), &written, nullptr);
        CloseHandle(file);
        if (!ok || written != static_cast<DWORD>(size)) return fail("cannot write a file");
    }
    std::printf("seconds=%.3f\n", secondsSince(start));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) return fail("usage: wine_clock wait TITLE [S] | install TITLE BUTTON DONE [S]");
    const std::string command = argv[1];
    if (command == "write-files" && argc >= 6) {
        return writeFiles(argv[2], std::atoi(argv[3]), std::atoi(argv[4]), std::atoi(argv[5]));
    }
    const std::wstring title = widen(argv[2]);
    if (command == "wait") {
        return waitTop(title, timeoutMs(argc, argv, 3)) ? 0 : fail("no such window");
    }
    if (command != "install" || argc < 5) return fail("unknown command");
    const std::wstring button = widen(argv[3]), done = widen(argv[4]);
    const DWORD timeout = timeoutMs(argc, argv, 5);
    HWND top = waitTop(title, timeout);
    if (!top) return fail("no such window");
    HWND install = findChild(top, button);
    if (!install) return fail("no such button");

    LARGE_INTEGER frequency, start, now;
    QueryPerformanceFrequency(&frequency);
    QueryPerformanceCounter(&start);
    PostMessageW(install, BM_CLICK, 0, 0);
    HWND finish = nullptr;
    for (;;) {
        finish = findChild(top, done);
        QueryPerformanceCounter(&now);
        if (finish) break;
        if ((now.QuadPart - start.QuadPart) / frequency.QuadPart >= timeout / 1000)
            return fail("the end state did not come");
        Sleep(pollMs((now.QuadPart - start.QuadPart) * 1000 / frequency.QuadPart));
    }
    std::printf("seconds=%.3f\n",
                static_cast<double>(now.QuadPart - start.QuadPart) / frequency.QuadPart);
    std::fflush(stdout);
    PostMessageW(finish, BM_CLICK, 0, 0);
    return 0;
}
