#include "editor/world/TextureManager.h"

#include "platform/FileSearch.h"
#include "platform/Paths.h"

#include <GL/glew.h>
#include <IL/il.h>
#include <IL/ilut.h>

#include <cstdio>
#include <iostream>

namespace {

// Searched in this order; a later extension wins a name clash.
const char* const kImageExtensions[] = {".png", ".jpg", ".tif", ".bmp", ".tga", ".gif"};

// Every image name is its file name less a four-character extension.
constexpr size_t kExtensionLength = 4;

}  // namespace

TextureManager* TextureManager::instance()
{
    static TextureManager* registry = new TextureManager();
    return registry;
}

TextureManager::TextureManager()
{
    if (ilGetInteger(IL_VERSION_NUM) < 178) {
        std::printf("DevIL version is different...you should do something about that!\n");
    }
    setUpRenderer();
}

bool TextureManager::setUpRenderer()
{
    lastLoadOk_ = ilutRenderer(ILUT_OPENGL);
    if (!lastLoadOk_) std::cout << "failed to init ilut" << std::endl;
    return lastLoadOk_;
}

void TextureManager::loadAllImages()
{
    // The registry is usually built before the window exists; now that a
    // context is current, ILUT's OpenGL side can really be set up.
    setUpRenderer();
    for (const char* extension : kImageExtensions) {
        if (!loadImagesWithExtension(extension)) return;
    }
}

bool TextureManager::loadImagesWithExtension(const char* extension)
{
    platform::FileSearch search;
    if (!search.first(std::string(kGraphicsFolder) + "*" + extension)) {
        std::printf("Invalid file handle, Error is %u. \n", search.lastError());
        return true;
    }
    do {
        const std::string& fileName = search.name();
        const size_t nameLength =
            fileName.size() > kExtensionLength ? fileName.size() - kExtensionLength : 0;
        loadImage(platform::joinPath(kGraphicsFolder, fileName), fileName.substr(0, nameLength));
    } while (search.next());

    if (search.lastError() != platform::kNoMoreFiles) {
        std::printf("FindNextFile error. Error is %u.\n", search.lastError());
        return false;
    }
    return true;
}

void TextureManager::loadImage(std::string path, std::string name)
{
    ilInit();
    ILuint image = 0;
    ilGenImages(1, &image);
    ilBindImage(image);
    lastLoadOk_ = ilLoadImage(path.c_str());
    if (lastLoadOk_) {
        ilBindImage(image);
        const GLuint texture = ilutGLBindTexImage();
        // Texture name 0 is OpenGL's "no texture": the upload failed.
        lastLoadOk_ = texture != 0;
        if (lastLoadOk_) registerTexture(texture, name);
    }
    // The pixels live on in the OpenGL texture; DevIL's copy is not needed,
    // whether the load worked or not.
    ilDeleteImages(1, &image);
}

void TextureManager::registerTexture(uint32_t texture, const std::string& name)
{
    glBindTexture(GL_TEXTURE_2D, texture);
    nameToId_[name] = texture;
    idToName_[texture] = name;
}

int32_t TextureManager::getTextureId(std::string name) const
{
    const auto found = nameToId_.find(name);
    if (found == nameToId_.end()) {
        std::cout << "ERROR: Could not find image: " << name << std::endl;
        return -1;
    }
    return static_cast<int32_t>(found->second);
}

std::string TextureManager::getTextureName(uint32_t id) const
{
    const auto found = idToName_.find(id);
    return found == idToName_.end() ? "NULL" : found->second;
}

std::string toNarrowString(const std::wstring& wide, bool* ok)
{
    std::string narrow;
    narrow.reserve(wide.size());
    for (wchar_t c : wide) {
        if (c < 0 || c > 255) {
            if (ok) *ok = false;
            return {};
        }
        narrow.push_back(static_cast<char>(c));
    }
    if (ok) *ok = true;
    return narrow;
}
