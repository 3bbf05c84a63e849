#include "editor/app/tools/SelectTool.h"

void SelectTool::mouseMove(float, float) {}

void SelectTool::handleKeys() {}

void SelectTool::leftPress(float, float, std::string) {}

void SelectTool::leftDrag(float, float, std::string) {}

void SelectTool::leftRelease(float, float, std::string) {}
