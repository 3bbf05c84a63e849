#include "editor/world/ObjectRemoval.h"

namespace {

ObjectRemoval* receiver = nullptr;

}  // namespace

ObjectRemoval* ObjectRemoval::installed()
{
    return receiver;
}

void ObjectRemoval::install(ObjectRemoval* newReceiver)
{
    receiver = newReceiver;
}
