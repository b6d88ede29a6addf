// Times typed keys on the X display by what a person sees: from a key sent
// through the XTest extension until the first pixel of the screen changes.
// Each key waits until the screen has been still for a while, so that one
// key's late repaints are not taken for the next key's answer. It knows
// nothing of the program typed into, so the same measure serves Folio and the
// programs it is compared with; bench/key_to_pixels.sh drives both.
//
//   bench_key_to_pixels KEYS [STILL_SECONDS]
//
// prints one time in milliseconds per line. Before the first key the screen
// must have been still for STILL_SECONDS (default 0.3): a program that is
// still opening its document draws its progress. KEYS 0 only waits for that,
// and prints when the screen last changed, in seconds since the epoch, which
// tells how long the program took to show what it opened.
//
// The pointer must rest over the text (focus follows it without a window
// manager) and the caret must not blink, or the blinking is taken for answers.
#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <X11/extensions/XShm.h>
#include <X11/extensions/XTest.h>
#include <sys/ipc.h>
#include <sys/shm.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <thread>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

using Duration = std::chrono::duration<double>;

constexpr Duration kStillBetweenKeys{0.3};
constexpr auto kLongestAnswer = std::chrono::seconds(10);
constexpr auto kLongestSettling = std::chrono::seconds(120);

class ScreenPicture {
public:
    explicit ScreenPicture(Display* display)
        : m_display(display)
    {
        const int screen = DefaultScreen(display);
        m_root = RootWindow(display, screen);
        m_image = XShmCreateImage(display, DefaultVisual(display, screen), DefaultDepth(display, screen), ZPixmap,
                                  nullptr, &m_segment, DisplayWidth(display, screen), DisplayHeight(display, screen));
        if (!m_image)
            return;
        m_segment.shmid = shmget(IPC_PRIVATE, size_t(m_image->bytes_per_line) * m_image->height, IPC_CREAT | 0600);
        m_segment.shmaddr = m_image->data = static_cast<char*>(shmat(m_segment.shmid, nullptr, 0));
        m_segment.readOnly = False;
        // Removed now, freed once both sides have detached.
        shmctl(m_segment.shmid, IPC_RMID, nullptr);
        m_attached = XShmAttach(display, &m_segment);
        XSync(display, False);
    }
    ~ScreenPicture()
    {
        if (m_attached)
            XShmDetach(m_display, &m_segment);
        if (m_image) {
            shmdt(m_segment.shmaddr);
            m_image->data = nullptr;
            XDestroyImage(m_image);
        }
    }
    bool usable() const { return m_image && m_attached; }
    size_t bytes() const { return size_t(m_image->bytes_per_line) * m_image->height; }

    void grab(std::vector<char>& into)
    {
        XShmGetImage(m_display, m_root, m_image, 0, 0, AllPlanes);
        into.assign(m_image->data, m_image->data + bytes());
    }
    bool differsFrom(const std::vector<char>& before)
    {
        XShmGetImage(m_display, m_root, m_image, 0, 0, AllPlanes);
        return std::memcmp(m_image->data, before.data(), bytes()) != 0;
    }

private:
    Display* m_display;
    Window m_root = 0;
    XImage* m_image = nullptr;
    XShmSegmentInfo m_segment{};
    bool m_attached = false;
};

// Until nothing has changed for `still`; false when the screen never settles.
// `lastChange`, when given, is set to the wall-clock time of the last change.
bool waitUntilStill(ScreenPicture& screen, std::vector<char>& picture, Duration still,
                    std::chrono::system_clock::time_point* lastChange = nullptr)
{
    if (lastChange)
        *lastChange = std::chrono::system_clock::now();
    screen.grab(picture);
    const auto deadline = Clock::now() + kLongestSettling;
    auto stillSince = Clock::now();
    while (Clock::now() < deadline) {
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        if (screen.differsFrom(picture)) {
            screen.grab(picture);
            stillSince = Clock::now();
            if (lastChange)
                *lastChange = std::chrono::system_clock::now();
        } else if (Clock::now() - stillSince >= still) {
            return true;
        }
    }
    return false;
}

// One time per key on standard output; 0 when every key was answered.
int timeKeys(Display* display, int keys, Duration stillBefore)
{
    ScreenPicture screen(display);
    if (!screen.usable()) {
        std::fprintf(stderr, "bench_key_to_pixels: the screen cannot be read through shared memory\n");
        return 1;
    }
    // Letters in turn, with a blank now and then, as words are typed.
    const KeyCode letter = XKeysymToKeycode(display, XK_a);
    const KeyCode blank = XKeysymToKeycode(display, XK_space);
    std::vector<char> before;
    std::chrono::system_clock::time_point lastChange;
    if (!waitUntilStill(screen, before, stillBefore, &lastChange)) {
        std::fprintf(stderr, "bench_key_to_pixels: the screen never became still\n");
        return 1;
    }
    if (keys == 0)
        std::printf("%.3f\n", std::chrono::duration<double>(lastChange.time_since_epoch()).count());
    for (int key = 0; key < keys; ++key) {
        if (!waitUntilStill(screen, before, kStillBetweenKeys)) {
            std::fprintf(stderr, "bench_key_to_pixels: the screen never became still\n");
            return 1;
        }
        const KeyCode code = key % 6 == 5 ? blank : letter;
        XTestFakeKeyEvent(display, code, True, CurrentTime);
        XTestFakeKeyEvent(display, code, False, CurrentTime);
        XFlush(display);
        const auto sent = Clock::now();
        bool answered = false;
        while (!answered && Clock::now() - sent < kLongestAnswer)
            answered = screen.differsFrom(before);
        if (!answered) {
            std::fprintf(stderr, "bench_key_to_pixels: key %d changed nothing on the screen\n", key + 1);
            return 1;
        }
        std::printf("%.2f\n", std::chrono::duration<double, std::milli>(Clock::now() - sent).count());
        std::fflush(stdout);
    }
    return 0;
}

} // namespace

int main(int argc, char** argv)
{
    const int keys = argc > 1 ? std::atoi(argv[1]) : -1;
    const double stillSeconds = argc > 2 ? std::atof(argv[2]) : kStillBetweenKeys.count();
    if (keys < 0 || stillSeconds <= 0) {
        std::fprintf(stderr, "usage: bench_key_to_pixels KEYS [STILL_SECONDS]\n");
        return 2;
    }
    Display* display = XOpenDisplay(nullptr);
    if (!display) {
        std::fprintf(stderr, "bench_key_to_pixels: no display\n");
        return 1;
    }
    int event = 0, error = 0, major = 0, minor = 0;
    if (!XTestQueryExtension(display, &event, &error, &major, &minor) || !XShmQueryExtension(display)) {
        std::fprintf(stderr, "bench_key_to_pixels: the display lacks XTest or MIT-SHM\n");
        XCloseDisplay(display);
        return 1;
    }
    const int status = timeKeys(display, keys, Duration(stillSeconds));
    XCloseDisplay(display);
    return status;
}
