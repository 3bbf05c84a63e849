// Look files are read from the runtime tree, where anyone may have edited
// them. Each input is the text of one look or scheme file: every
// description class the factories know reads the top-level element named
// after it, as a widget's loadAppearance reads the element it is given, and
// the property scheme reads its "Scheme" element.
#include <cstdint>
#include <exception>
#include <memory>
#include <vector>

#include "FuzzInput.h"
#include "libs/zorir/PropertyScheme.h"
#include "libs/zorir/WindowManager.h"
#include "libs/zorir/core/Serialization.h"
#include "libs/zorir/core/XMLInputArchive.h"

namespace {

using namespace Zorir::Core;

// The class names look files may use; those not registered in this build
// are passed over.
const char* const kClassNames[] = {
    "ListControlDesc", "FrameWindowDesc", "ButtonStateDesc", "ButtonDesc",       "StaticTextDesc",
    "PanelDesc",       "CheckDesc",       "CheckBoxDesc",    "ComboBoxDesc",     "EditFieldDesc",
    "SolidSurfaceDesc", "GradientSurfaceDesc", "RectangleDesc", "TextDesc",      "DefaultCheckDesc",
    "DefaultFrameDesc", "BitmapDesc",     "Bitmap1x3Desc",   "ListBoxDesc",      "ScrollBarDesc",
    "ProgressBarDesc", "SliderDesc"};

// Reads whatever object a factory made through its input serializer.
struct ThroughFactory {
    FactoryInterface& factory;
    Serializable& object;

    void serialize(XMLInputArchive& archive)
    {
        factory.serialize(runTimeTypeName<XMLInputArchive>(), archive, object);
    }
};

// A bad look is reported by its reader and refused; what matters here is
// that reading it never does harm.
template <class T>
void readLook(XMLInputArchive& archive, const char* name, T& look)
{
    try {
        archive.read(name, look);
    } catch (const std::exception&) {
    }
}

void readEveryLook(XMLInputArchive& archive)
{
    Zorir::PropertyScheme scheme;
    readLook(archive, "Scheme", scheme);
    for (const char* name : kClassNames) {
        FactoryInterface* factory = findFactoryByClassName(name);
        if (!factory) continue;
        std::unique_ptr<Serializable> object(factory->create());
        ThroughFactory through{*factory, *object};
        readLook(archive, name, through);
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    // Text looks open fonts, the window manager's one when they name none.
    Zorir::WindowManager::instance().initialize("/usr/share/fonts/truetype/dejavu/DejaVuSans.ttf", nullptr,
                                                nullptr, nullptr);
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz::FuzzInput input(data, size);
    std::vector<char> text = input.rest();
    text.push_back('\0');
    XMLInputArchive archive;
    if (archive.parse(text.data())) readEveryLook(archive);
    return 0;
}
