#pragma once

#include "libs/zorir/ListWindowDesc.h"
#include "libs/zorir/ScrollBar.h"
#include "libs/zorir/Signal.h"
#include "libs/zorir/Window.h"

#include <cstdint>
#include <memory>

namespace Zorir {

class ListWindowMouseListener;

// The base of the scrollable lists: lines of equal height, a vertical scroll
// bar at the right that counts pixels of content, one selected and one
// highlighted (hovered) line. The kinds of list say how many lines they
// have and how high their text is.
class ListWindow : public Window {
public:
    // The kinds of list place themselves once they can count their lines.
    ListWindow(Window* parent, const Rectangle& rectangle);
    ~ListWindow() override;

    // A left release over the list; a right release.
    Signal0& clicked() { return clicked_; }
    Signal0& rightClicked() { return rightClicked_; }
    // A left press chose another line; with its index.
    Signal1<int>& selectionChanged() { return selectionChanged_; }

    // An index outside the lines deselects. The list itself hears of each
    // change: deselected (the old index), then selected (the new one).
    void setSelectedIndex(int32_t index);
    int32_t selectedIndex() const { return selectedIndex_; }
    void setHighlightedIndex(int32_t index) { highlightedIndex_ = index; }
    int32_t highlightedIndex() const { return highlightedIndex_; }

    virtual int32_t numberOfLines() const = 0;
    // The height of the lines' text.
    virtual float lineHeight() const = 0;
    float lineSpacing() const { return lineSpacing_; }
    // Where one line starts below the last: the text's height times the
    // spacing, in whole pixels.
    float linePitch() const;
    // The line under a point given from the list's top-left corner; may lie
    // past the last line.
    int32_t lineAt(const Vector2& point) const;
    int32_t firstVisibleLine() const;
    // The list less its scroll bar.
    Rectangle linesArea() const;

    ScrollBar& scrollBar() const { return *scrollBar_; }

    bool hasFocus() const override;
    bool process(const Message& message) override;
    Window* windowAt(const Vector2& point) override;
    bool containsWindow(const Window* window) const override;

protected:
    // What the kinds share: their text's line height in a look, and
    // drawing with a look, then the scroll bar over it.
    static float lineHeightIn(const ListWindowDesc* look);
    void drawWith(ListWindowDesc* look);
    // The kinds call these when their lines change.
    void linesChanged();
    void lineRemoved(int32_t index);

    void onResize() override { arrange(); }
    void onMove() override { arrange(); }

private:
    friend class ListWindowMouseListener;

    void arrange();

    Signal0 clicked_;
    Signal0 rightClicked_;
    Signal1<int> selectionChanged_;
    std::unique_ptr<ScrollBar> scrollBar_;
    std::unique_ptr<ListWindowMouseListener> mouseListener_;
    int32_t selectedIndex_ = -1;
    int32_t highlightedIndex_ = -1;
    float lineSpacing_ = 1.325f;
};

}  // namespace Zorir
