#pragma once

#include "editor/app/tools/EditorTool.h"

class MapSimulationManager;

// Builds circles, boxes, polygons and spawn points from the create-object panel's settings.
class CreateTool : public EditorTool {
public:
    explicit CreateTool(MapSimulationManager& simulation) : simulation_(simulation) {}

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
