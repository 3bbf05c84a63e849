#pragma once

class EditorEditorMenu;
class MapEditorSim;

// The editor's simulation, through the application record; null before
// the record exists.
MapEditorSim* editorSimulation();
// The property panel; null before the menus exist.
EditorEditorMenu* propertyPanel();
