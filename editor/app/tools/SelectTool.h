#pragma once

#include "editor/app/tools/EditorTool.h"

class MapSimulationManager;

// Picks objects and their vertices, and moves, turns and scales what it picked.
class SelectTool : public EditorTool {
public:
    explicit SelectTool(MapSimulationManager& simulation) : simulation_(simulation) {}

    void mouseMove(float x, float y) override;
    void handleKeys() override;
    void leftPress(float x, float y, std::string objectType) override;
    void leftDrag(float x, float y, std::string objectType) override;
    void leftRelease(float x, float y, std::string objectType) override;

protected:
    MapSimulationManager& simulation() { return simulation_; }

private:
    MapSimulationManager& simulation_;
};
