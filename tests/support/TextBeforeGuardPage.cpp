#include "tests/support/TextBeforeGuardPage.h"

#include <sys/mman.h>
#include <unistd.h>

#include <cstring>
#include <stdexcept>

namespace quillow::test {

TextBeforeGuardPage::TextBeforeGuardPage(std::string_view text)
{
    const size_t page = static_cast<size_t>(sysconf(_SC_PAGESIZE));
    const size_t textPages = (text.size() + 1 + page - 1) / page;
    mappingSize_ = (textPages + 1) * page;
    void* mapping = mmap(nullptr, mappingSize_, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (mapping == MAP_FAILED) throw std::runtime_error("cannot map pages for a guarded text");
    mapping_ = static_cast<char*>(mapping);
    char* guard = mapping_ + textPages * page;
    if (mprotect(guard, page, PROT_NONE) != 0) {
        munmap(mapping_, mappingSize_);
        throw std::runtime_error("cannot protect the guard page");
    }
    char* copy = guard - (text.size() + 1);
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    text_ = copy;
}

TextBeforeGuardPage::~TextBeforeGuardPage()
{
    munmap(mapping_, mappingSize_);
}

}  // namespace quillow::test
