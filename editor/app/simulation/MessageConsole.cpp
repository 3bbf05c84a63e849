#include "editor/app/simulation/MessageConsole.h"

#include <GL/glew.h>
#include <GL/freeglut.h>

namespace {

void pushNewest(std::deque<MessageConsole::Message>& list, const MessageConsole::Message& message, size_t limit)
{
    list.push_front(message);
    while (list.size() > limit) list.pop_back();
}

}  // namespace

void MessageConsole::addMessage(float r, float g, float b, uint32_t now)
{
    const Message message{std::string(kWelcome).substr(0, kMaxText), r, g, b, now};
    pushNewest(visible_, message, maxVisible);
    pushNewest(history_, message, maxHistory);
}

std::vector<MessageConsole::Line> MessageConsole::layout(uint32_t now) const
{
    std::vector<Line> lines;
    int32_t y = baseY;
    for (const Message& message : visible_) {
        const int64_t end = int64_t{message.stamp} + lifetime;
        if (int64_t{now} >= end) continue;
        lines.push_back({&message, y, static_cast<float>(end - now) / fadeTime});
        y += lineHeight;
    }
    return lines;
}

void MessageConsole::draw(uint32_t now) const
{
    glEnable(GL_LIGHT0);
    glEnable(GL_LIGHTING);
    glPointSize(1.0f);
    glColor3f(0.5f, 0.5f, 1.0f);
    for (const Line& line : layout(now)) {
        glColor4f(line.message->r, line.message->g, line.message->b, line.alpha);
        drawText(line.message->text, 30, line.y);
    }
    glColor4f(0.6f, 0.6f, 1.0f, 1.0f);
    drawText(inputLine_, 30, baseY - 2 * lineHeight);
    glColor3f(1.0f, 1.0f, 1.0f);
    glDisable(GL_LIGHT0);
    glDisable(GL_LIGHTING);
}

void MessageConsole::drawText(const std::string& text, int32_t x, int32_t y)
{
    glWindowPos2i(x, y);
    for (char c : text) glutBitmapCharacter(GLUT_BITMAP_9_BY_15, static_cast<unsigned char>(c));
}
