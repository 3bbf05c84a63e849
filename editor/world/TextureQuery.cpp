#include "editor/world/TextureQuery.h"

#include <GL/glew.h>

bool hasCurrentGlContext()
{
    // Without a current context the GL dispatch answers every query with
    // nothing, which is the cheapest test that needs no window-system call.
    return glGetString(GL_VERSION) != nullptr;
}

void queryTextureSize(uint32_t textureId, int32_t& width, int32_t& height)
{
    width = 0;
    height = 0;
    if (!hasCurrentGlContext()) return;
    GLint w = 0;
    GLint h = 0;
    glBindTexture(GL_TEXTURE_2D, textureId);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &w);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &h);
    width = w;
    height = h;
}
