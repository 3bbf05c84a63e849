#pragma once

// Runs the real editor the way a user does, for end-to-end tests.
//
//   quillow::test::EditorSession editor;          // own runtime tree + own Xvfb
//   ASSERT_TRUE(editor.start());                  // editor up, window mapped
//   editor.click(70, 14);                         // window pixels, left button
//   editor.keyDown("ctrl+s");                     // xdotool key names
//   EXPECT_TRUE(editor.waitForLine("showmenu 6")); // bounded wait on stdout
//   editor.keyUp("ctrl+s");
//   EXPECT_EQ(editor.waitForExit(), 1);
//
// Each session lays out a runtime tree of its own in a temporary folder
// (graphics, fonts and widget looks linked from the build's tree, an empty
// maps folder the test may fill through mapPath) and starts a private Xvfb,
// because the keyboard state is global to an X server. The editor's standard
// output is collected for waitForLine/output. The destructor stops the
// editor and the server and removes the tree. Every wait is bounded and ends
// as soon as its condition holds.

#include "tests/editor/support/RuntimeTree.h"
#include "tests/editor/support/WindowPicture.h"

#include <chrono>
#include <filesystem>
#include <string>
#include <sys/types.h>
#include <vector>

namespace quillow::test {

class EditorSession {
public:
    EditorSession();
    ~EditorSession();
    EditorSession(const EditorSession&) = delete;
    EditorSession& operator=(const EditorSession&) = delete;

    // Starts the editor and waits until its window is mapped and it has
    // entered edit mode. False (with the output so far on stderr) otherwise.
    bool start(std::chrono::seconds timeout = std::chrono::seconds(30));

    // X input through xdotool; positions are pixels of the editor window.
    void moveTo(int x, int y);
    void click(int x, int y, int button = 1);
    void press(int x, int y, int button = 1);
    void release(int x, int y, int button = 1);
    void keyDown(const std::string& keys);
    void keyUp(const std::string& keys);
    void tapKey(const std::string& keys);
    void type(const std::string& text);
    // Asks the X server to resize the editor window.
    void resizeWindow(int width, int height);
    // Asks the editor to close its window, as a window manager does when the
    // user clicks its close button. False when there is no such window.
    bool closeWindow();
    // The editor's X window; 0 when it has none.
    unsigned long window() const;
    // What the editor's window shows now; empty when it has none.
    WindowPicture picture() const;
    // Runs xdotool with these arguments on the session's display.
    bool xdotool(const std::vector<std::string>& arguments);

    // Waits until a line of standard output contains text, counting only
    // lines after the first `after` ones. Returns whether it appeared.
    bool waitForLine(const std::string& text, size_t after = 0,
                     std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Every line written so far.
    std::vector<std::string> lines() const;
    size_t lineCount() const { return lines().size(); }
    // How many lines so far contain text.
    size_t countLines(const std::string& text) const;

    // Waits for the editor to end on its own; its exit status, or -1 when it
    // did not end in time (it is then killed) or died of a signal.
    int waitForExit(std::chrono::milliseconds timeout = std::chrono::seconds(20));
    bool isRunning();

    // The runtime tree, with the maps folder the editor saves into.
    const RuntimeTree& tree() const { return tree_; }
    std::filesystem::path mapPath(const std::string& name) const { return tree_.mapPath(name); }
    const std::string& display() const { return display_; }

private:
    bool startServer();
    void stopEditor();
    void stopServer();
    // Runs a program on the session's display; environment entries given
    // replace those of the same name.
    pid_t spawn(const std::vector<std::string>& arguments, const std::filesystem::path& directory,
                const std::filesystem::path& output, const std::vector<std::string>& environment = {});

    RuntimeTree tree_;
    std::filesystem::path outputFile_;
    std::string display_;
    pid_t server_ = -1;
    pid_t editor_ = -1;
    int exitStatus_ = -1;
    // Where the last move put the pointer: a synchronous move to where the
    // pointer already is would wait for motion that never comes.
    int pointerX_ = -1;
    int pointerY_ = -1;
};

}  // namespace quillow::test
