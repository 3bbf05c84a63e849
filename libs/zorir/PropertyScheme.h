#pragma once

#include "libs/zorir/ButtonDesc.h"
#include "libs/zorir/CheckBoxDesc.h"
#include "libs/zorir/ComboBoxDesc.h"
#include "libs/zorir/EditFieldDesc.h"
#include "libs/zorir/FrameWindowDesc.h"
#include "libs/zorir/ListBoxDesc.h"
#include "libs/zorir/ListControlDesc.h"
#include "libs/zorir/PanelDesc.h"
#include "libs/zorir/ProgressBarDesc.h"
#include "libs/zorir/RenderDesc.h"
#include "libs/zorir/ScrollBarDesc.h"
#include "libs/zorir/SliderDesc.h"
#include "libs/zorir/StaticTextDesc.h"

#include <string>

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

    // Reads the file's "Scheme" element over the looks it names; the others
    // keep what they held. A missing file or element changes nothing; a bad
    // one is reported on standard output and changes nothing either.
    // Returns whether a scheme was read.
    bool load(const std::string& fileName);

    template <class Archive>
    void serialize(Archive& archive)
    {
        archive.nested("buttonDesc", buttonDesc_);
        archive.nested("panelDesc", panelDesc_);
        archive.nested("editFieldDesc", editFieldDesc_);
        archive.nested("scrollBarDesc", scrollBarDesc_);
        archive.nested("listBoxDesc", listBoxDesc_);
        archive.nested("listControlDesc", listControlDesc_);
        archive.nested("progressBarDesc", progressBarDesc_);
        archive.nested("checkBoxDesc", checkBoxDesc_);
        archive.nested("sliderDesc", sliderDesc_);
        archive.nested("frameWindowDesc", frameWindowDesc_);
        archive.nested("staticTextDesc", staticTextDesc_);
        archive.nested("comboBoxDesc", comboBoxDesc_);
    }

    ButtonDesc& buttonDesc() { return buttonDesc_; }
    PanelDesc& panelDesc() { return panelDesc_; }
    EditFieldDesc& editFieldDesc() { return editFieldDesc_; }
    ScrollBarDesc& scrollBarDesc() { return scrollBarDesc_; }
    ListBoxDesc& listBoxDesc() { return listBoxDesc_; }
    ListControlDesc& listControlDesc() { return listControlDesc_; }
    ProgressBarDesc& progressBarDesc() { return progressBarDesc_; }
    CheckBoxDesc& checkBoxDesc() { return checkBoxDesc_; }
    SliderDesc& sliderDesc() { return sliderDesc_; }
    FrameWindowDesc& frameWindowDesc() { return frameWindowDesc_; }
    StaticTextDesc& staticTextDesc() { return staticTextDesc_; }
    ComboBoxDesc& comboBoxDesc() { return comboBoxDesc_; }

private:
    ButtonDesc buttonDesc_;
    PanelDesc panelDesc_;
    EditFieldDesc editFieldDesc_;
    ScrollBarDesc scrollBarDesc_;
    ListBoxDesc listBoxDesc_;
    ListControlDesc listControlDesc_;
    ProgressBarDesc progressBarDesc_;
    CheckBoxDesc checkBoxDesc_;
    SliderDesc sliderDesc_;
    FrameWindowDesc frameWindowDesc_;
    StaticTextDesc staticTextDesc_;
    ComboBoxDesc comboBoxDesc_;
};

}  // namespace Zorir
