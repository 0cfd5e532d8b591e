#pragma once

#include <QStringList>
#include <memory>
#include <thread>

namespace lumora::test {

// A Wayland compositor of our own, in a thread of the test, that offers the desktops' display
// settings: KWin's output devices and management, or the wlroots compositors' output management.
// It has DP-1 (2560x1440 at 60 Hz; 1920x1080 at 60 Hz and 2560x1440 at 59.951 Hz besides) and
// HDMI-A-1 (1920x1080 at 60 Hz; 50 Hz besides), and logs each configuration it is asked to apply:
// the outputs whose mode it changes, and its answer ("HDMI-A-1 1920x1080@50000 applied").
class TestCompositor {
public:
    enum class Protocol { Kde, Wlroots };
    struct Answers {
        QString refused{};       // a configuration that changes this output fails
        int cancelled = 0;       // so many are cancelled first (wlroots), with a new serial
        int unanswered = 0;      // so many after that get no answer at all
        bool renewModes = false; // an applied one announces the modes anew, as new objects
    };
    struct State;

    // Listens on `socket` in XDG_RUNTIME_DIR.
    TestCompositor(Protocol protocol, Answers answers, const char* socket);
    ~TestCompositor();

    QStringList log() const;

private:
    std::unique_ptr<State> m_state;
    std::thread m_thread;
};

} // namespace lumora::test
