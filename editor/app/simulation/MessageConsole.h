#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <vector>

// Short coloured messages in the lower left corner of the window, newest at
// the bottom, each shown for a fixed time and fading out at its end, with an
// input line under them.
class MessageConsole {
public:
    static constexpr const char* kWelcome = "Welcome to the Map Editor";
    static constexpr size_t kMaxText = 300;

    struct Message {
        std::string text;
        float r, g, b;
        uint32_t stamp;  // elapsed ms when posted
    };
    // Where and how one message is drawn.
    struct Line {
        const Message* message;
        int32_t y;  // window pixels from the bottom
        float alpha;
    };

    // Posts the welcome message in the given colour at time now.
    void addMessage(float r, float g, float b, uint32_t now);

    // The messages still alive at time now, newest first, each with its line
    // and its opacity (above 1 is opaque). Expired messages take no line.
    std::vector<Line> layout(uint32_t now) const;
    // Draws the layout and the input line.
    void draw(uint32_t now) const;

    // Newest first.
    const std::deque<Message>& visible() const { return visible_; }
    const std::deque<Message>& history() const { return history_; }

    int32_t baseY = 110;
    int32_t lineHeight = 22;
    size_t maxVisible = 15;
    size_t maxHistory = 100;
    uint16_t lifetime = 38000;
    float fadeTime = 1200.0f;

private:
    static void drawText(const std::string& text, int32_t x, int32_t y);

    std::deque<Message> visible_;
    std::deque<Message> history_;
    // Nothing writes into the input line; it is drawn as it stands.
    std::string inputLine_;
};
