#pragma once

#include <cstdint>
#include <string>

class GameObject;
class MapSimulationManager;

// The panel's numbers stay within this either way, so no integer holding
// one overflows; no real object comes near it.
constexpr int32_t kPropertyLimit = 1000000000;

// The fields of an object that the property panel edits, in the panel's
// own units: the layer, the type as a signed 16-bit number, the texture
// names, the border width in whole world units, the parallax factors as
// percentages offset by 100 (factor 0 is 100, 0.5 is 150) and the side as
// "Normal", "Red" or "Blue".
struct ObjectProperties {
    int32_t layer = 0;
    int32_t type = 0;
    std::string texture;
    // Written only through the border width, which is 0 without it.
    bool hasBorder = false;
    int32_t borderWidth = 0;
    // Without a border: the texture a border given by a width would take.
    std::string borderTexture;
    int32_t parallaxX = 100;
    int32_t parallaxY = 100;
    std::string alignment = "Normal";
    bool locked = false;

    bool operator==(const ObjectProperties&) const = default;
};

// What the panel shows of an object. Numbers are rounded to the nearest
// whole one, so that a factor such as 0.01, which is a hair below it in
// binary, shows as 101 and not 100.
ObjectProperties propertiesOf(const GameObject& object);

// Writes to the object each field in which edited differs from shown, and
// nothing else: what the user did not change stays exactly as the object
// had it, whatever the panel showed for it. The draw list is the caller's
// to rebuild once the layers of all objects are written.
void applyEdits(GameObject& object, const ObjectProperties& shown, const ObjectProperties& edited,
                MapSimulationManager& simulation);

// A length in whole world units, as the panel shows widths.
int32_t shownLength(float length);
// The panel's parallax value of a factor and back.
int32_t parallaxShown(float factor);
float parallaxFactor(int32_t shown);
