#pragma once

class GameObject;
class Selection;

// What the simulation asks of a selection without knowing its kinds: the
// selection kinds answer these, so that drawing, Cut, Copy and Delete work
// for every kind there is.

// Whether the selection belongs to the select tool (a whole object or one
// of its vertices) rather than to the image tool.
bool isObjectLevel(const Selection& selection);
// The object of a whole-object selection; null for every other kind.
GameObject* selectedObject(const Selection& selection);
// Draws the highlight with a border of the given width in world units
// (image vertices keep their own).
void drawSelectionHighlight(Selection& selection, float borderWidth);
// Prints the fields of the selected object ('B' held).
void dumpSelection(const Selection& selection);
void destroySelection(Selection* selection);
