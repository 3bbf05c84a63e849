#pragma once

class MapEditorSim;

// The editor's simulation, through the application record; null before
// the record exists.
MapEditorSim* editorSimulation();
