#pragma once

#include <cstdint>
#include <map>
#include <string>

// The process-wide registry of every image in the graphics folder, each held
// as an OpenGL texture and known by its file name without the extension.
class TextureManager {
public:
    // The folder scanned by loadAllImages, relative to the working directory.
    static constexpr const char* kGraphicsFolder = "..\\..\\Content\\Graphics\\";

    // Created on first use and never destroyed.
    static TextureManager* instance();

    TextureManager();

    // Loads every image of the graphics folder; needs a current GL context.
    void loadAllImages();
    // Loads one file and registers it under name.
    void loadImage(std::string path, std::string name);

    // Texture id of an image name, or -1 with an error line.
    int32_t getTextureId(std::string name) const;
    // Image name of a texture id, or "NULL".
    std::string getTextureName(uint32_t id) const;

    bool lastLoadOk() const { return lastLoadOk_; }
    const std::map<std::string, uint32_t>& nameToId() const { return nameToId_; }
    const std::map<uint32_t, std::string>& idToName() const { return idToName_; }

private:
    // Scans one extension; false when the scan must stop altogether.
    bool loadImagesWithExtension(const char* extension);
    bool setUpRenderer();
    void registerTexture(uint32_t texture, const std::string& name);

    bool lastLoadOk_ = false;
    std::map<std::string, uint32_t> nameToId_;
    std::map<uint32_t, std::string> idToName_;
};

// Converts a file name from a file search to the narrow text used everywhere
// else; characters above 255 cannot be converted and give "" with ok false.
std::string toNarrowString(const std::wstring& wide, bool* ok = nullptr);
