#include "tests/editor/support/EditorSession.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iostream>
#include <sstream>
#include <thread>

extern char** environ;

namespace quillow::test {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

namespace {

constexpr auto kPollInterval = std::chrono::milliseconds(20);

// Ends when ready() holds or the time is up; returns ready()'s last answer.
template <class Ready>
bool waitUntil(std::chrono::milliseconds timeout, Ready ready)
{
    const auto end = Clock::now() + timeout;
    while (!ready()) {
        if (Clock::now() >= end) return false;
        std::this_thread::sleep_for(kPollInterval);
    }
    return true;
}

int statusOf(int waitStatus)
{
    return WIFEXITED(waitStatus) ? WEXITSTATUS(waitStatus) : -1;
}

// Waits for the child to end, killing it once the time is up.
int reap(pid_t pid, std::chrono::milliseconds timeout)
{
    int status = 0;
    const bool ended = waitUntil(timeout, [&] { return waitpid(pid, &status, WNOHANG) == pid; });
    if (ended) return statusOf(status);
    kill(pid, SIGKILL);
    waitpid(pid, &status, 0);
    return -1;
}

// Points into arguments, which must outlive the result.
std::vector<char*> argvOf(const std::vector<std::string>& arguments)
{
    std::vector<char*> argv;
    for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
    argv.push_back(nullptr);
    return argv;
}

}  // namespace

EditorSession::EditorSession() : outputFile_(tree_.root() / "editor-output.txt") {}

EditorSession::~EditorSession()
{
    stopEditor();
    stopServer();
}

pid_t EditorSession::spawn(const std::vector<std::string>& arguments, const fs::path& directory,
                           const fs::path& output, const std::vector<std::string>& extraEnvironment)
{
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, output.c_str(), O_WRONLY | O_CREAT | O_APPEND, 0644);
    posix_spawn_file_actions_adddup2(&actions, 1, 2);
    posix_spawn_file_actions_addchdir_np(&actions, directory.c_str());
    std::vector<std::string> environment = extraEnvironment;
    environment.push_back("DISPLAY=" + display_);
    const auto replaced = [&environment](const std::string& entry) {
        for (const std::string& own : environment) {
            if (entry.compare(0, own.find('=') + 1, own, 0, own.find('=') + 1) == 0) return true;
        }
        return false;
    };
    for (char** entry = environ; *entry; ++entry) {
        if (!replaced(*entry)) environment.emplace_back(*entry);
    }
    auto argv = argvOf(arguments);
    auto envp = argvOf(environment);
    pid_t pid = -1;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), envp.data()) != 0) pid = -1;
    posix_spawn_file_actions_destroy(&actions);
    return pid;
}

bool EditorSession::startServer()
{
    int pipeEnds[2];
    if (pipe(pipeEnds) != 0) return false;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, pipeEnds[1], 3);
    posix_spawn_file_actions_addopen(&actions, 2, "/dev/null", O_WRONLY, 0);
    const std::vector<std::string> arguments{"Xvfb", "-displayfd", "3", "-screen", "0", "1280x1024x24", "-nolisten", "tcp"};
    auto argv = argvOf(arguments);
    const bool spawned = posix_spawnp(&server_, "Xvfb", &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    close(pipeEnds[1]);
    if (!spawned) server_ = -1;
    std::string number;
    pollfd readable{pipeEnds[0], POLLIN, 0};
    while (spawned && poll(&readable, 1, 10000) > 0) {
        char c;
        if (read(pipeEnds[0], &c, 1) != 1 || c == '\n') break;
        number += c;
    }
    close(pipeEnds[0]);
    if (number.empty()) return false;
    display_ = ":" + number;
    return true;
}

bool EditorSession::start(std::chrono::seconds timeout)
{
    if (!startServer()) {
        std::cerr << "EditorSession: Xvfb did not start" << std::endl;
        return false;
    }
    // The editor ends with its whole scene alive, by design, after GLUT has
    // unloaded the graphics driver, whose allocations then no longer tell
    // their origin; leaks of the editor's classes are the unit tests' to find.
    editor_ = spawn({QUILLOW_TEST_EDITOR_PROGRAM}, tree_.workDir(), outputFile_, {"LSAN_OPTIONS=detect_leaks=0"});
    const bool up = editor_ > 0 && waitForLine("drawables size", 0, timeout) &&
                    waitUntil(timeout, [this] { return xdotool({"search", "--onlyvisible", "--name", "^Quillow$"}); });
    if (!up) {
        std::cerr << "EditorSession: the editor did not come up; its output:" << std::endl;
        for (const std::string& line : lines()) std::cerr << "  " << line << std::endl;
    }
    return up;
}

bool EditorSession::xdotool(const std::vector<std::string>& arguments)
{
    std::vector<std::string> command{"xdotool"};
    command.insert(command.end(), arguments.begin(), arguments.end());
    const pid_t pid = spawn(command, tree_.root(), tree_.root() / "xdotool-output.txt");
    return pid > 0 && reap(pid, std::chrono::seconds(10)) == 0;
}

void EditorSession::moveTo(int x, int y)
{
    if (x == pointerX_ && y == pointerY_) return;
    if (xdotool({"mousemove", "--sync", std::to_string(x), std::to_string(y)})) {
        pointerX_ = x;
        pointerY_ = y;
    }
}

void EditorSession::click(int x, int y, int button)
{
    moveTo(x, y);
    xdotool({"click", std::to_string(button)});
}

void EditorSession::press(int x, int y, int button)
{
    moveTo(x, y);
    xdotool({"mousedown", std::to_string(button)});
}

void EditorSession::release(int x, int y, int button)
{
    moveTo(x, y);
    xdotool({"mouseup", std::to_string(button)});
}

void EditorSession::keyDown(const std::string& keys)
{
    xdotool({"keydown", keys});
}

void EditorSession::keyUp(const std::string& keys)
{
    xdotool({"keyup", keys});
}

void EditorSession::tapKey(const std::string& keys)
{
    xdotool({"key", keys});
}

void EditorSession::type(const std::string& text)
{
    xdotool({"type", "--delay", "30", text});
}

void EditorSession::resizeWindow(int width, int height)
{
    xdotool({"search", "--onlyvisible", "--name", "^Quillow$", "windowsize", std::to_string(width),
             std::to_string(height)});
}

namespace {

// The top-level window titled "Quillow" (GLUT's window is a child of the root).
Window findEditorWindow(Display* display)
{
    ::Window root = DefaultRootWindow(display), parent = 0, *children = nullptr;
    unsigned int count = 0;
    ::Window found = 0;
    if (!XQueryTree(display, root, &root, &parent, &children, &count)) return 0;
    for (unsigned int i = 0; i < count && !found; ++i) {
        char* name = nullptr;
        if (XFetchName(display, children[i], &name) && name) {
            if (std::string(name) == "Quillow") found = children[i];
            XFree(name);
        }
    }
    if (children) XFree(children);
    return found;
}

}  // namespace

unsigned long EditorSession::window() const
{
    Display* display = XOpenDisplay(display_.c_str());
    if (!display) return 0;
    const ::Window window = findEditorWindow(display);
    XCloseDisplay(display);
    return window;
}

WindowPicture EditorSession::picture() const
{
    return WindowPicture::of(display_, window());
}

bool EditorSession::closeWindow()
{
    Display* display = XOpenDisplay(display_.c_str());
    if (!display) return false;
    const ::Window window = findEditorWindow(display);
    if (window) {
        XEvent event{};
        event.xclient.type = ClientMessage;
        event.xclient.window = window;
        event.xclient.message_type = XInternAtom(display, "WM_PROTOCOLS", False);
        event.xclient.format = 32;
        event.xclient.data.l[0] = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        event.xclient.data.l[1] = CurrentTime;
        XSendEvent(display, window, False, NoEventMask, &event);
        XFlush(display);
    }
    XCloseDisplay(display);
    return window != 0;
}

std::vector<std::string> EditorSession::lines() const
{
    std::vector<std::string> result;
    std::ifstream in(outputFile_);
    for (std::string line; std::getline(in, line);) result.push_back(line);
    return result;
}

size_t EditorSession::countLines(const std::string& text) const
{
    size_t count = 0;
    for (const std::string& line : lines()) count += line.find(text) != std::string::npos;
    return count;
}

bool EditorSession::waitForLine(const std::string& text, size_t after, std::chrono::milliseconds timeout)
{
    return waitUntil(timeout, [&] {
        const auto all = lines();
        for (size_t i = after; i < all.size(); ++i) {
            if (all[i].find(text) != std::string::npos) return true;
        }
        return false;
    });
}

bool EditorSession::isRunning()
{
    if (editor_ <= 0) return false;
    int status = 0;
    if (waitpid(editor_, &status, WNOHANG) != editor_) return true;
    exitStatus_ = statusOf(status);
    editor_ = -1;
    return false;
}

int EditorSession::waitForExit(std::chrono::milliseconds timeout)
{
    if (editor_ > 0) {
        exitStatus_ = reap(editor_, timeout);
        editor_ = -1;
    }
    return exitStatus_;
}

void EditorSession::stopEditor()
{
    if (editor_ <= 0) return;
    kill(editor_, SIGTERM);
    reap(editor_, std::chrono::seconds(5));
    editor_ = -1;
}

void EditorSession::stopServer()
{
    if (server_ <= 0) return;
    kill(server_, SIGTERM);
    reap(server_, std::chrono::seconds(5));
    server_ = -1;
}

}  // namespace quillow::test
