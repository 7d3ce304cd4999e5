#include "ui/icon_maker.h"

#include "app/modal.h"

#include <algorithm>
#include <condition_variable>
#include <deque>
#include <functional>
#include <iterator>
#include <mutex>
#include <thread>
#include <utility>

namespace orbelune {

namespace {

std::uint32_t BigEndian(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

// The platform decodes a PNG image whole, four bytes a pixel (256 MiB for
// 8192 x 8192), before it brings it to size: two such images made at once,
// say one whose wait was stopped with Esc and a listing's, may not find the
// memory in a 32-bit process, and the one that does not comes out as no
// icon. Slow images are made one at a time in the whole program; one no
// longer wanted once its turn comes is not made at all.
std::mutex& SlowMaking() {
    // Never destroyed: threads let go may still wait on it at exit.
    // NOLINTNEXTLINE(cppcoreguidelines-avoid-non-const-global-variables): the one turn every maker and wait takes
    static auto* making = new std::mutex;
    return *making;
}

HICON MakeInTurn(const ImageBytes& image, int width, int height, const std::function<bool()>& wanted) {
    std::lock_guard turn(SlowMaking());
    return wanted() ? ExecutableIcons::Make(image, width, height) : nullptr;
}

}  // namespace

bool SlowToMake(ImageBytes image) {
    if (!image) return false;
    if (image.size > kSlowBytes) return true;
    // A PNG signature, then the IHDR chunk's width and height.
    static constexpr std::uint8_t kPng[] = {0x89, 'P', 'N', 'G', 0x0D, 0x0A, 0x1A, 0x0A};
    if (image.size < 24 || !std::equal(std::begin(kPng), std::end(kPng), image.data)) return false;
    return std::uint64_t{BigEndian(image.data + 16)} * BigEndian(image.data + 20) > kSlowPixels;
}

HICON MakeWhileAnswering(const ImageBytes& image, int width, int height, bool& stopped) {
    stopped = false;
    struct Wait {
        std::mutex lock;
        ImageCopy bytes;
        UniqueIcon icon;
        bool done = false, abandoned = false;
    };
    auto wait = std::make_shared<Wait>();
    wait->bytes = ImageCopy(image);
    const DWORD thread = ::GetCurrentThreadId();
    std::thread([wait, width, height, thread]() noexcept {
        UniqueIcon icon;
        try {
            icon.Reset(MakeInTurn(wait->bytes.Bytes(), width, height, [&] {
                std::lock_guard hold(wait->lock);
                return !wait->abandoned;
            }));
        } catch (...) {
        }
        std::lock_guard hold(wait->lock);
        wait->bytes = {};
        if (wait->abandoned) return;  // the icon goes with it
        wait->icon = std::move(icon);
        wait->done = true;
        ::PostThreadMessageW(thread, WM_NULL, 0, 0);  // the loop looks again
    }).detach();

    {
        // The windows are disabled and have no keyboard focus: Esc is
        // looked for every tenth of a second while the program is in front.
        ModalScope modal(nullptr);
        const HCURSOR before = ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 100, nullptr);
        RunModalLoop(
            [&] {
                std::lock_guard hold(wait->lock);
                return wait->done || stopped;
            },
            [&](const MSG& msg) {
                if (msg.message == WM_TIMER && !msg.hwnd) {
                    HWND front = ::GetForegroundWindow();
                    if (front && ::GetWindowThreadProcessId(front, nullptr) == thread &&
                        (::GetAsyncKeyState(VK_ESCAPE) & 0x8000))
                        stopped = true;
                    ::SetCursor(::LoadCursorW(nullptr, IDC_WAIT));
                    return true;
                }
                return !msg.hwnd;  // the thread's own wake-up
            });
        if (timer) ::KillTimer(nullptr, timer);
        ::SetCursor(before);
    }
    std::lock_guard hold(wait->lock);
    if (wait->done) {
        stopped = false;
        return wait->icon.Release();
    }
    wait->abandoned = true;
    stopped = true;  // also when the program is ending
    return nullptr;
}

bool MakeWhileAnswering(IconImage& icon) {
    const std::vector<std::uint8_t>* bytes = icon.FileBytes();
    if (!bytes) return true;
    const ImageBytes image = ImageOfSingleImageFile(*bytes);
    if (!SlowToMake(image)) return true;  // made when first needed
    bool stopped = false;
    icon.SetMadeHandle(MakeWhileAnswering(image, 0, 0, stopped));
    return !stopped;
}

struct IconMaker::Shared {
    struct Job {
        ImageCopy bytes;  // all the platform may read of the image
        int side = 0;
        std::uint64_t key = 0;
        unsigned round = 0;
    };
    std::mutex lock;
    std::condition_variable wake;
    HWND window = nullptr;  // none once the maker is gone
    UINT message = 0;
    unsigned round = 0;     // moves on at each Forget
    std::deque<Job> jobs;
    std::vector<Made> made;
    bool posted = false;    // a message is on its way

    // The thread's work: every job in turn, until the maker is gone.
    static void Run(const std::shared_ptr<Shared>& shared) noexcept;
};

void IconMaker::Shared::Run(const std::shared_ptr<Shared>& shared) noexcept {
    Shared& s = *shared;
    std::unique_lock hold(s.lock);
    for (;;) {
        s.wake.wait(hold, [&] { return !s.window || !s.jobs.empty(); });
        if (!s.window) return;
        Job job = std::move(s.jobs.front());
        s.jobs.pop_front();
        hold.unlock();
        UniqueIcon icon;
        try {
            icon.Reset(MakeInTurn(job.bytes.Bytes(), job.side, job.side, [&] {
                std::lock_guard again(s.lock);
                return s.window && job.round == s.round;
            }));
        } catch (...) {
            // Nothing made: the cell stays blank, as for an image the
            // platform makes nothing of.
        }
        job.bytes = {};
        hold.lock();
        if (!s.window) return;
        if (job.round != s.round) continue;
        try {
            s.made.push_back({job.key, job.side, std::move(icon)});
        } catch (...) {
            continue;
        }
        if (!s.posted) s.posted = ::PostMessageW(s.window, s.message, 0, 0) != FALSE;
    }
}

IconMaker::IconMaker(HWND window, UINT message)
    : shared_(std::make_shared<Shared>()), window_(window), message_(message) {}

IconMaker::~IconMaker() {
    {
        std::lock_guard hold(shared_->lock);
        shared_->window = nullptr;
        shared_->jobs.clear();
        shared_->made.clear();
    }
    shared_->wake.notify_all();
    // The thread holds what it shares with the maker, and ends after the
    // icon it is making, which nobody waits for.
}

void IconMaker::Ask(const ImageBytes& image, int side, std::uint64_t key) {
    Shared::Job job{ImageCopy(image), side, key, 0};
    {
        std::lock_guard hold(shared_->lock);
        if (!started_) {
            shared_->window = window_;
            shared_->message = message_;
        }
        job.round = shared_->round;
        shared_->jobs.push_back(std::move(job));
    }
    if (!started_) {
        std::thread(Shared::Run, shared_).detach();
        started_ = true;
    }
    shared_->wake.notify_one();
}

void IconMaker::Forget() {
    std::lock_guard hold(shared_->lock);
    ++shared_->round;
    shared_->jobs.clear();
    shared_->made.clear();
}

std::vector<IconMaker::Made> IconMaker::Take() {
    std::lock_guard hold(shared_->lock);
    shared_->posted = false;
    return std::exchange(shared_->made, {});
}

}  // namespace orbelune
