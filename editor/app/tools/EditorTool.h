#pragma once

#include <string>

// An editing tool. The simulation's input pass calls it once per tick, and
// only while the pointer is over the map: the pointer in world units, then
// at most one right-button and one left-button operation, right before left.
// A tool never reads the mouse itself. Every button operation gets its own
// copy of the object type chosen in the create-object panel.
class EditorTool {
public:
    virtual ~EditorTool() = default;

    virtual void mouseMove(float x, float y) = 0;
    // Keys the tool acts on itself, polled at the end of the shortcuts.
    virtual void handleKeys() = 0;

    virtual void leftPress(float x, float y, std::string objectType) = 0;
    // Only after a press this tool's pass accepted.
    virtual void leftDrag(float x, float y, std::string objectType) = 0;
    virtual void leftRelease(float x, float y, std::string objectType) = 0;

    virtual void rightPress(float x, float y, std::string objectType) { ignoreButton(x, y, objectType); }
    virtual void rightDrag(float x, float y, std::string objectType) { ignoreButton(x, y, objectType); }
    virtual void rightRelease(float x, float y, std::string objectType) { ignoreButton(x, y, objectType); }

protected:
    // The right button pans and zooms the view; most tools leave it at that.
    static void ignoreButton(float, float, const std::string&) {}
};
