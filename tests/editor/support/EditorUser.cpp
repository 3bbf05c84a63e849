#include "tests/editor/support/EditorUser.h"

#include <chrono>
#include <cmath>
#include <thread>

namespace quillow::test {

namespace {

constexpr auto kKeyHold = std::chrono::milliseconds(300);
constexpr int kGestureAttempts = 5;

}  // namespace

Pixel pixelOf(float worldX, float worldY)
{
    return {kWindowCentre.x + static_cast<int>(std::lround(worldX / kUnitsPerPixel)),
            kWindowCentre.y - static_cast<int>(std::lround(worldY / kUnitsPerPixel))};
}

Position worldOf(const Pixel& pixel)
{
    return {static_cast<float>(pixel.x - kWindowCentre.x) * kUnitsPerPixel,
            static_cast<float>(kWindowCentre.y - pixel.y) * kUnitsPerPixel};
}

void EditorUser::settle()
{
    std::this_thread::sleep_for(std::chrono::milliseconds(150));
}

bool EditorUser::chooseFromMenu(const TopBarButton& button, const Pixel& entry)
{
    const size_t before = editor_.lineCount();
    editor_.click(button.at.x, button.at.y);
    if (!editor_.waitForLine(button.shown, before)) return false;
    settle();
    editor_.click(entry.x, entry.y);
    settle();
    return true;
}

void EditorUser::typeInto(const Pixel& field, const std::string& text)
{
    editor_.click(field.x, field.y);
    settle();
    editor_.tapKey("End");
    editor_.tapKey("shift+Home");
    editor_.tapKey("BackSpace");
    editor_.type(text);
    settle();
}

bool EditorUser::nameInDialog(const Pixel& entry, const std::string& shown, const std::string& name,
                              const std::string& expected)
{
    const size_t before = editor_.lineCount();
    if (!chooseFromMenu(kFileTop, entry) || !editor_.waitForLine(shown, before)) return false;
    typeInto(kDialogNameField, name);
    const size_t typed = editor_.lineCount();
    editor_.click(kDialogConfirm.x, kDialogConfirm.y);
    return editor_.waitForLine(expected, typed);
}

bool EditorUser::openMap(const std::string& name, const std::string& expected)
{
    return nameInDialog(kOpenEntry, "showmenu 7", name, expected);
}

bool EditorUser::saveAs(const std::string& name)
{
    return nameInDialog(kSaveAsEntry, "showmenu 6", name, "saving map");
}

bool EditorUser::newMap()
{
    const size_t before = editor_.lineCount();
    return chooseFromMenu(kFileTop, kNewEntry) && editor_.waitForLine("unloading old map", before);
}

void EditorUser::pickFromList(const Pixel& combo, int line)
{
    constexpr int kLineStep = 25;
    editor_.click(combo.x, combo.y);
    settle();
    editor_.click(combo.x, combo.y + kLineStep * (line + 1));
    settle();
}

bool EditorUser::chooseCreateTool()
{
    const size_t before = editor_.lineCount();
    editor_.click(kCreateTool.x, kCreateTool.y);
    return editor_.waitForLine("showmenu 1", before);
}

void EditorUser::clickPolygon(const std::vector<Pixel>& points)
{
    for (const Pixel& p : points) clickMap(p);
    clickMap(points.back(), 3);
}

bool EditorUser::chooseTool(const Pixel& button)
{
    const size_t before = editor_.lineCount();
    editor_.click(button.x, button.y);
    return editor_.waitForLine("showmenu 8", before);
}

void EditorUser::holdClick(const Pixel& at, int button)
{
    editor_.moveTo(at.x, at.y);
    settle();
    editor_.press(at.x, at.y, button);
    settle();
    editor_.release(at.x, at.y, button);
    settle();
}

bool EditorUser::drag(const Pixel& from, const std::vector<Pixel>& through, const std::string& afterRelease,
                      const std::string& afterPress)
{
    editor_.moveTo(from.x, from.y);
    settle();
    const size_t beforePress = editor_.lineCount();
    editor_.press(from.x, from.y);
    if (!afterPress.empty() && !editor_.waitForLine(afterPress, beforePress)) return false;
    settle();
    Pixel last = from;
    for (const Pixel& p : through) {
        editor_.moveTo(p.x, p.y);
        settle();
        last = p;
    }
    const size_t before = editor_.lineCount();
    editor_.release(last.x, last.y);
    if (afterRelease.empty()) {
        settle();
        return true;
    }
    return editor_.waitForLine(afterRelease, before);
}

void EditorUser::holdKeys(const std::string& keys)
{
    editor_.moveTo(kFreeMapPoint.x, kFreeMapPoint.y);
    settle();
    editor_.keyDown(keys);
    std::this_thread::sleep_for(kKeyHold);
    editor_.keyUp(keys);
    settle();
}

bool EditorUser::repeatUntilSaved(const std::function<void()>& gesture, const std::function<bool()>& seen)
{
    for (int attempt = 0; attempt < kGestureAttempts; ++attempt) {
        gesture();
        if (!saveWithCtrlS()) return false;
        if (seen()) return true;
    }
    return false;
}

bool EditorUser::saveWithCtrlS(const Pixel& at, std::chrono::milliseconds timeout)
{
    editor_.moveTo(at.x, at.y);
    settle();
    const size_t before = editor_.lineCount();
    editor_.keyDown("ctrl+s");
    const bool saved = editor_.waitForLine("saving map", before, timeout);
    editor_.keyUp("ctrl+s");
    settle();
    return saved;
}

bool EditorUser::selectAt(const Pixel& at)
{
    for (int attempt = 0; attempt < kGestureAttempts; ++attempt) {
        clickMap(at);
        if (clickSeenWithSelection(at)) return true;
    }
    return false;
}

bool EditorUser::addToSelectionAt(const Pixel& at)
{
    editor_.keyDown("shift");
    bool seen = false;
    // One seen click only: a second would take the added object out again.
    for (int attempt = 0; attempt < kGestureAttempts && !seen; ++attempt) seen = clickSeenWithSelection(at);
    editor_.keyUp("shift");
    settle();
    return seen;
}

bool EditorUser::clickSeenWithSelection(const Pixel& at)
{
    const size_t before = editor_.lineCount();
    clickMap(at);
    return editor_.waitForLine("base mr", before, std::chrono::seconds(3));
}

}  // namespace quillow::test
