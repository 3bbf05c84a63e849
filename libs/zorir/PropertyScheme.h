#pragma once

#include "libs/zorir/ButtonDesc.h"
#include "libs/zorir/CheckBoxDesc.h"
#include "libs/zorir/FrameWindowDesc.h"
#include "libs/zorir/PanelDesc.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/StaticTextDesc.h"

namespace Zorir {

// The default look of every widget kind, owned by the window manager. Widgets
// without a look of their own draw with the description kept here.
class PropertyScheme : public RenderDesc {
public:
    PropertyScheme();
    PropertyScheme(const PropertyScheme&) = delete;
    PropertyScheme& operator=(const PropertyScheme&) = delete;
    ~PropertyScheme() override;

    // The scheme itself draws nothing.
    void draw(const Rectangle&) override {}

    ButtonDesc& buttonDesc() { return buttonDesc_; }
    PanelDesc& panelDesc() { return panelDesc_; }
    CheckBoxDesc& checkBoxDesc() { return checkBoxDesc_; }
    FrameWindowDesc& frameWindowDesc() { return frameWindowDesc_; }
    StaticTextDesc& staticTextDesc() { return staticTextDesc_; }

private:
    ButtonDesc buttonDesc_;
    PanelDesc panelDesc_;
    CheckBoxDesc checkBoxDesc_;
    FrameWindowDesc frameWindowDesc_;
    StaticTextDesc staticTextDesc_;
};

}  // namespace Zorir
