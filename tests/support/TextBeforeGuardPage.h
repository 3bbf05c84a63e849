#pragma once

#include <cstddef>
#include <string_view>

namespace quillow::test {

// A copy of a text placed so that its terminating null is the last readable
// byte: the page behind it can be neither read nor written. A parser that
// reads one byte past the end of its text crashes on the spot, where a heap
// copy would let it read on through whatever memory lies behind.
class TextBeforeGuardPage {
public:
    explicit TextBeforeGuardPage(std::string_view text);
    ~TextBeforeGuardPage();
    TextBeforeGuardPage(const TextBeforeGuardPage&) = delete;
    TextBeforeGuardPage& operator=(const TextBeforeGuardPage&) = delete;

    const char* c_str() const { return text_; }

private:
    char* mapping_ = nullptr;
    size_t mappingSize_ = 0;
    const char* text_ = nullptr;
};

}  // namespace quillow::test
