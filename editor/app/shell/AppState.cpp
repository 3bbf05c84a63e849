#include "editor/app/shell/AppState.h"

#include "editor/app/simulation/ViewCamera.h"
#include "editor/world/TextureManager.h"

namespace {

AppState* currentRecord = nullptr;

}  // namespace

AppState::AppState(Simulator* simulation_, MenuManager* menuManager_)
    : simulation(simulation_),
      menuManager(menuManager_),
      textureManager(TextureManager::instance()),
      camera(std::make_unique<ViewCamera>())
{
    currentRecord = this;
}

AppState::~AppState()
{
    if (currentRecord == this) currentRecord = nullptr;
}

AppState* AppState::current()
{
    return currentRecord;
}
