// Helpers for tests that drive Orbelune's real windows: a fixture that
// starts the window set on a scratch registry and answers the message boxes,
// message pumping and keys, and scratch files.
#pragma once

#include "app/message_box.h"
#include "support/recording_prompts.h"
#include "support/scratch_registry.h"
#include "ui/layout.h"

#include <gtest/gtest.h>
#include <windows.h>

#include <atomic>
#include <cstdint>
#include <deque>
#include <string>
#include <thread>
#include <vector>

namespace orbelune::test {

// Handles every message waiting for this thread as the event loop would.
void Pump();

// Posts a key press (down and up, with WM_CHAR where it makes one) to a
// window, with Shift, Ctrl or Alt held in the thread's key state, and pumps.
void PressKey(HWND hwnd, WPARAM key, bool shift = false, bool ctrl = false, bool alt = false);

// Presses a button as a click does (BM_CLICK): its form's handler has run
// when it returns.
void PressButton(HWND button);
// Sends a control's notification to its form (WM_COMMAND), as the control
// does.
void SendNotification(HWND control, WORD code);

// The row of a window's layout table; the test fails when there is none.
LayoutRect LayoutRow(std::span<const ControlRow> table, int id);
// The places of a control table's rows.
std::vector<LayoutRect> Places(std::span<const ControlRow> table);
// A window's rectangle in its parent's client area.
RECT InParent(HWND window);
// Expects a control where its layout row puts it in its parent, scaled to
// `dpi`. A label, check box or radio button may be wider where the stand-in
// font is wider, keeping the edge its row names.
void ExpectPlaced(HWND control, const LayoutRect& row, int dpi = 96);
// The same for the row of `id` in the table, and the control's text.
void ExpectAtLayoutRow(HWND control, std::span<const ControlRow> table, int id, const std::wstring& text);

// Types text into a control as characters, one WM_CHAR each, and pumps.
void Type(HWND hwnd, const std::wstring& text);

// A folder of its own under the temporary folder, removed afterwards.
class TempFolder {
public:
    TempFolder();
    ~TempFolder();
    TempFolder(const TempFolder&) = delete;
    TempFolder& operator=(const TempFolder&) = delete;
    const std::wstring& Path() const { return path_; }
    std::wstring File(const std::wstring& name) const { return path_ + L"\\" + name; }

private:
    std::wstring path_;
};

void WriteFileBytes(const std::wstring& path, const std::vector<unsigned char>& bytes);
std::vector<unsigned char> ReadFileBytes(const std::wstring& path);
// The names in a folder, sorted, without "." and "..".
std::vector<std::wstring> FolderContents(const std::wstring& folder);
// A file of `size` bytes that begins with `head` and holds zeros after it,
// without the disk space for them.
void WriteSparseFile(const std::wstring& path, const std::vector<unsigned char>& head, std::uint64_t size);

// A single-image .ico file: a size x size 32-bit image of one colour.
std::vector<unsigned char> IconFileBytes(int size, COLORREF colour);
// An .ico file of several such images, in the order given.
struct IconImageSpec {
    int size;
    COLORREF colour;
};
std::vector<unsigned char> IconFileBytes(const std::vector<IconImageSpec>& images);

// Drops files onto a window as the shell does: a DROPFILES block with the
// wide paths, each zero-terminated and the list ended by one more zero, in
// movable global memory, sent as WM_DROPFILES with the point in the
// window's client coordinates.
void DropFiles(HWND window, POINT clientPoint, const std::vector<std::wstring>& paths);

// Selects an item of the icon picker's grid and clicks it, as the mouse does,
// and (unless told not to) waits for the icons being made.
void ClickIconGridItem(int item, bool wait = true);
// Handles messages until the icon picker has made every icon it was asked
// for (a minute at most).
void PumpUntilIconsMade();

// Asks a window for an answer (WM_NULL) from a thread of its own, over and
// over while it lives, each time waiting at most `timeout` ms.
class AnswerProbe {
public:
    AnswerProbe(HWND window, DWORD timeout);
    ~AnswerProbe() { Stop(); }
    AnswerProbe(const AnswerProbe&) = delete;
    AnswerProbe& operator=(const AnswerProbe&) = delete;
    void Stop();
    // How many asks went unanswered, and the longest wait for an answer.
    int Unanswered() const { return unanswered_; }
    DWORD Longest() const { return longest_; }

private:
    std::atomic<bool> stop_{false};
    std::atomic<int> unanswered_{0};
    std::atomic<DWORD> longest_{0};
    std::thread thread_;
};

// The DPI the display reports to the tests (the screen's LOGPIXELSY), and
// a 96-dpi size scaled to it as the program rounds.
int DisplayDpi();
inline int Scaled(int value, int dpi) { return ::MulDiv(value, dpi, 96); }

// Starts Orbelune's windows on a scratch registry (Start), answers every
// box from a script, records them, and tears the windows down afterwards.
class AppTest : public testing::Test {
protected:
    AppTest();
    ~AppTest() override;

    // Creates the window set (running the catalogue load) and shows the
    // main window, as start-up does.
    void Start();

    // Answers for the coming confirmation boxes, in order; the default is Yes.
    void Answer(std::initializer_list<BoxResult> answers) { answers_.insert(answers_.end(), answers); }

    std::vector<RecordedBox> boxes_;

private:
    ScratchRegistry scratch_;
    std::deque<BoxResult> answers_;
};

// A test of the real main window: AppTest, a scratch folder, and the main
// window's controls by identifier.
class MainWindowTest : public AppTest {
protected:
    HWND C(int id);
    std::wstring T(int id);
    // Presses a button or the check box as a click does, and pumps.
    void Click(int id);
    // A single-image .ico file of one colour in the scratch folder; its path.
    std::wstring IconFile(const std::wstring& name, int size, COLORREF colour);

    TempFolder folder_;
};

std::string Utf8(const std::wstring& text);
std::wstring WindowTextOf(HWND hwnd);
// Every item of a list box, in order.
std::vector<std::wstring> ListItems(HWND list);

}  // namespace orbelune::test
