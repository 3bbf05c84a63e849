#include "editor/app/tools/CreateTool.h"

void CreateTool::mouseMove(float, float) {}

void CreateTool::handleKeys() {}

void CreateTool::leftPress(float, float, std::string) {}

void CreateTool::leftDrag(float, float, std::string) {}

void CreateTool::leftRelease(float, float, std::string) {}
