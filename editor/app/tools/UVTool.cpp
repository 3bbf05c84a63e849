#include "editor/app/tools/UVTool.h"

void UVTool::mouseMove(float, float) {}

void UVTool::handleKeys() {}

void UVTool::leftPress(float, float, std::string) {}

void UVTool::leftDrag(float, float, std::string) {}

void UVTool::leftRelease(float, float, std::string) {}
