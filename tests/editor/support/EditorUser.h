#pragma once

// The gestures a user makes at the editor, shared by the end-to-end tests:
// menus chosen from the top bar, names typed into dialogs, clicks and keys
// on the map. Each gesture leaves the editor a few ticks to see it, because
// the editor samples the pointer and the keys once per 16 ms tick and the
// machine may be loaded; waits that can end on a printed line do so.
//
//   EditorSession editor;
//   EditorUser user(editor);
//   ASSERT_TRUE(editor.start());
//   ASSERT_TRUE(user.openMap("level.xml"));
//   ASSERT_TRUE(user.chooseFromMenu(kEditTop, kCopyEntry));
//   ASSERT_TRUE(user.saveWithCtrlS());

#include "tests/editor/support/EditorSession.h"
#include "tests/editor/support/MapText.h"

#include <chrono>
#include <functional>
#include <string>
#include <vector>

namespace quillow::test {

// A point of the editor window, in pixels.
struct Pixel {
    int x, y;
};

// A top-bar button and the line the menu manager prints when it shows the
// drop-down menu that the button opens.
struct TopBarButton {
    Pixel at;
    const char* shown;
};

// Where the menus put their widgets, in window pixels.
inline constexpr TopBarButton kFileTop{{48, 14}, "showmenu 3"};
inline constexpr TopBarButton kEditTop{{138, 14}, "showmenu 4"};
inline constexpr TopBarButton kViewTop{{228, 14}, "showmenu 5"};
// The File menu's entries, right of the tool bar that lies beneath them.
inline constexpr Pixel kNewEntry{100, 48}, kSaveEntry{100, 80}, kSaveAsEntry{100, 112}, kOpenEntry{100, 144},
                       kExitEntry{100, 272};
inline constexpr Pixel kCutEntry{150, 48}, kCopyEntry{150, 80}, kPasteEntry{150, 112}, kDeleteEntry{150, 144},
                       kMirrorEntry{150, 176};
inline constexpr Pixel kShowGeoEntry{240, 208};
// The Save As and Open dialogs.
inline constexpr Pixel kDialogNameField{420, 450}, kDialogConfirm{342, 479};
// The Mirror dialog.
inline constexpr Pixel kMirrorAxisField{290, 130}, kMirrorOk{180, 258};
// The tool bar.
inline constexpr Pixel kSelectTool{38, 118}, kCreateTool{35, 152}, kImageTool{38, 182};
// The create-object panel: its Obj Type and Border Tex boxes, the "Has
// Border" box and the Border Width field.
inline constexpr Pixel kObjTypeBox{935, 19}, kCreateBorderTexBox{935, 181}, kCreateHasBorderBox{800, 154},
                       kCreateBorderWidthField{930, 213};
// The lines of the Obj Type list.
enum ObjectType { kCircleType, kRectangleType, kPolygonType, kTrueBeingSpawn, kEnlightedOneSpawn };
// The lines of the texture lists: every image but the spawn markers, by name.
enum TextureLine { kBricksLine, kGrassLine, kGreyPixelLine, kHedge3Line };
// A point of the map that no menu covers, whichever tool is chosen.
inline constexpr Pixel kFreeMapPoint{450, 650};

// The start view: 3150 world units across the 1024 pixel wide window,
// centred on the origin, world y up.
inline constexpr float kUnitsPerPixel = 3150.0f / 1024.0f;
inline constexpr Pixel kWindowCentre{512, 384};
Pixel pixelOf(float worldX, float worldY);
Position worldOf(const Pixel& pixel);

class EditorUser {
public:
    explicit EditorUser(EditorSession& editor) : editor_(editor) {}

    // A few of the editor's ticks.
    static void settle();

    // Opens the button's drop-down menu and chooses the entry; false when
    // the menu did not show.
    bool chooseFromMenu(const TopBarButton& button, const Pixel& entry);
    // Erases what a text field holds and types text into it; the pointer
    // stays on the field, so the keys reach no shortcut.
    void typeInto(const Pixel& field, const std::string& text);
    // File, Open, the name typed, Open: true once the editor printed
    // expected (by default the line of a map replaced by the opened one).
    bool openMap(const std::string& name, const std::string& expected = "unloading old map");
    // File, Save As, the name typed, Save: true once the editor saved.
    bool saveAs(const std::string& name);
    // File, New: true once the editor replaced the map with an empty one.
    bool newMap();
    // Drops the combo box's list down and picks the line (0 the first) among
    // those it shows below the box.
    void pickFromList(const Pixel& combo, int line);
    // Chooses the create tool, which shows the create-object panel; false
    // when the panel did not show.
    bool chooseCreateTool();
    // Clicks each point of a polygon's outline on the map, then finishes it
    // with the right button.
    void clickPolygon(const std::vector<Pixel>& points);
    // Chooses the tool of that tool bar button, which shows the property
    // panel; false when the panel did not show.
    bool chooseTool(const Pixel& button);
    bool chooseSelectTool() { return chooseTool(kSelectTool); }
    // A click as a person makes it: the button held across ticks, so that
    // the press and the release are each seen by a tick of their own.
    void holdClick(const Pixel& at, int button = 1);
    // Such a click on the map.
    void clickMap(const Pixel& at, int button = 1) { holdClick(at, button); }
    // The left button pressed at from, moved through each point and
    // released at the last one, each step seen by a tick. afterRelease: a
    // line the release prints, waited for when given; afterPress: likewise a
    // line the press prints, waited for before the first move so that a
    // starved editor cannot take the press late and lose the first step.
    // False when an awaited line did not come.
    bool drag(const Pixel& from, const std::vector<Pixel>& through, const std::string& afterRelease = "",
              const std::string& afterPress = "");
    // Keys held down for a few ticks with the pointer on a free part of the map.
    void holdKeys(const std::string& keys);
    // The editor reads the keys once a tick, and a hold that falls between
    // two ticks of a starved editor is never seen (nor is it by a user).
    // For gestures that change nothing when unseen: makes the gesture and
    // saves with Ctrl+S until seen() finds its effect, a few times at most.
    bool repeatUntilSaved(const std::function<void()>& gesture, const std::function<bool()>& seen);
    // Ctrl+S with the pointer at a point of the map; true when the editor
    // printed within the time that it saved.
    bool saveWithCtrlS(const Pixel& at = kFreeMapPoint, std::chrono::milliseconds timeout = std::chrono::seconds(20));
    // Clicks the object at the point until its selection shows: a release
    // while something is selected prints a line, so the click after the one
    // that picked it tells. False when it never showed.
    bool selectAt(const Pixel& at);
    // Shift-clicks the point, which adds the object there to the selection
    // when it may be picked, until the editor shows it saw the click. Needs
    // something selected already, as the line that tells needs it. False
    // when no click was seen.
    bool addToSelectionAt(const Pixel& at);

private:
    // A click on the map; true when its release printed the line of a
    // release while something is selected.
    bool clickSeenWithSelection(const Pixel& at);
    // Chooses the File menu's entry, types the name into the dialog it
    // shows (the menu manager prints shown) and confirms.
    bool nameInDialog(const Pixel& entry, const std::string& shown, const std::string& name,
                      const std::string& expected);

    EditorSession& editor_;
};

}  // namespace quillow::test
