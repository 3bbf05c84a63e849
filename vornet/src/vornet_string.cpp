#include "vornet_string.h"

#include <cctype>
#include <cstdarg>
#include <cstdio>
#include <cstring>

#include "vornet_log.h"

namespace Vornet_Private {

namespace {

int32_t textLength(const char* text)
{
    return static_cast<int32_t>(std::strlen(text));
}

}  // namespace

STRING::STRING(int value)
{
    format("%d", value);
}

void STRING::release()
{
    Vornet_Private::release(m_buffer);
    m_buffer = nullptr;
    m_allocated = 0;
}

// A new zeroed buffer of size bytes holding the first keepBytes old bytes.
bool STRING::replaceBuffer(int32_t size, int32_t keepBytes)
{
    char* buffer = allocateArray<char>(static_cast<size_t>(size));
    if (!buffer) return false;
    std::memset(buffer, 0, size);
    if (m_buffer && keepBytes > 0) std::memcpy(buffer, m_buffer, keepBytes < size ? keepBytes : size);
    Vornet_Private::release(m_buffer);
    m_buffer = buffer;
    m_allocated = size;
    return true;
}

void STRING::assign(const char* text, int32_t bytes)
{
    if (!text || !*text) {
        release();
        return;
    }
    int32_t size = bytes < 0 ? textLength(text) + 1 : bytes;
    if (m_allocated < size) release();
    if (!fitsMaximum(size)) size = m_maxLength;
    // A maximum (or count) of 0 leaves no room even for the terminator.
    if (size < 1) {
        release();
        return;
    }
    if (!m_buffer && !replaceBuffer(size, 0)) return;
    std::strncpy(m_buffer, text, size);
    m_buffer[size - 1] = 0;
}

void STRING::append(const char* text, int32_t bytes)
{
    if (!text) return;
    const int32_t length = getLength();
    int32_t total = (bytes < 0 ? textLength(text) + 1 : bytes) + length;
    if (!fitsMaximum(total)) total = m_maxLength;
    if (total < 1) return;
    if (m_allocated < total && !replaceBuffer(total, m_allocated)) return;
    const int32_t room = total - 1 - length;
    if (room > 0) std::strncpy(m_buffer + length, text, room);
    m_buffer[total - 1] = 0;
}

void STRING::appendChar(char c)
{
    if (!m_buffer) {
        if (!fitsMaximum(2) || !replaceBuffer(2, 0)) return;
        m_buffer[0] = c;
        return;
    }
    const int32_t length = getLength();
    if (length + 2 > m_allocated) {
        // A string at its maximum drops the character.
        if (!fitsMaximum(length + 2) || !replaceBuffer(length + 2, m_allocated)) return;
    }
    m_buffer[length] = c;
    m_buffer[length + 1] = 0;
}

STRING& STRING::operator=(const char* text)
{
    assign(text);
    return *this;
}

STRING& STRING::operator=(const STRING& other)
{
    if (this != &other) assign(other.m_buffer);
    return *this;
}

STRING& STRING::operator=(char c)
{
    if (m_buffer) m_buffer[0] = 0;
    appendChar(c);
    return *this;
}

STRING& STRING::operator+=(const char* text)
{
    append(text);
    return *this;
}

STRING& STRING::operator+=(const STRING& other)
{
    if (this == &other) {
        const STRING copy(other);
        append(copy.m_buffer);
    } else {
        append(other.m_buffer);
    }
    return *this;
}

STRING& STRING::operator+=(char c)
{
    appendChar(c);
    return *this;
}

int32_t STRING::getLength() const
{
    return m_buffer ? textLength(m_buffer) : 0;
}

int32_t STRING::find(char c) const
{
    if (!m_buffer) return -1;
    const char* found = std::strchr(m_buffer, c);
    return found && c ? static_cast<int32_t>(found - m_buffer) : -1;
}

void STRING::toUpper()
{
    for (char* p = m_buffer; p && *p; ++p) *p = static_cast<char>(std::toupper(static_cast<unsigned char>(*p)));
}

void STRING::toLower()
{
    for (char* p = m_buffer; p && *p; ++p) *p = static_cast<char>(std::tolower(static_cast<unsigned char>(*p)));
}

bool STRING::operator==(const STRING& other) const
{
    return m_buffer && other.m_buffer && std::strcmp(m_buffer, other.m_buffer) == 0;
}

bool STRING::operator==(const char* text) const
{
    return m_buffer && text && std::strcmp(m_buffer, text) == 0;
}

bool STRING::operator<(const STRING& other) const
{
    return m_buffer && other.m_buffer && std::strcmp(m_buffer, other.m_buffer) < 0;
}

bool STRING::operator>(const STRING& other) const
{
    return m_buffer && other.m_buffer && std::strcmp(m_buffer, other.m_buffer) > 0;
}

char& STRING::operator[](int32_t index)
{
    if (index >= 0 && index < m_allocated) return m_buffer[index];
    if (index >= 0 && fitsMaximum(index + 1)) grow(index + 1 - m_allocated);
    if (index < 0 || index >= m_allocated)
        fatalError("!ERROR: STRING::operator[]: out of boundary read at %d[\"%s\"]", index,
                   m_buffer ? m_buffer : "");
    return m_buffer[index];
}

void STRING::grow(int32_t bytes)
{
    if (bytes < 1 || !fitsMaximum(m_allocated + bytes)) return;
    replaceBuffer(m_allocated + bytes, m_allocated);
}

STRING STRING::getLeft(int32_t count) const
{
    if (count < 0) fatalError("STRING::getLeft(%d): invalid argument", count);
    STRING result;
    if (m_buffer && count > 0) result.assign(m_buffer, count < getLength() ? count + 1 : -1);
    return result;
}

STRING STRING::getRight(int32_t index) const
{
    if (index < 0) fatalError("STRING::getRight(%d): invalid argument", index);
    if (!m_buffer || index >= m_allocated) return STRING();
    return STRING(m_buffer + index);
}

STRING STRING::getMid(int32_t index, int32_t count) const
{
    if (index < 0 || count < 0) fatalError("STRING::getMid(%d, %d): invalid argument", index, count);
    if (!m_buffer || index >= m_allocated) return STRING();
    return STRING(m_buffer + index).getLeft(count);
}

void STRING::shiftLeft(int32_t position, int32_t count)
{
    if (position < 0 || position >= m_allocated)
        fatalError("!ERROR: STRING(\"%s\")::shiftLeft(%d, %d): invalid access", m_buffer ? m_buffer : "", position,
                   count);
    if (count < 1) return;
    // The destination never starts before the buffer.
    const int32_t from = position > count ? position : count;
    if (from < m_allocated) std::memmove(m_buffer + from - count, m_buffer + from, m_allocated - from);
    m_buffer[m_allocated - 1] = 0;
}

void STRING::format(const char* format, ...)
{
    if (!format) return;
    char text[2048];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof(text), format, args);
    va_end(args);
    assign(text);
}

void STRING::copyTo(char* destination, int32_t size) const
{
    if (!destination || size < 1) return;
    destination[0] = 0;
    if (!m_buffer) return;
    const int32_t length = getLength();
    const int32_t count = length < size - 1 ? length : size - 1;
    std::memcpy(destination, m_buffer, count);
    destination[count] = 0;
}

void STRING::setMaxLength(int32_t maximum, bool reallocate)
{
    m_maxLength = maximum < 0 ? -1 : maximum;
    if (!reallocate || m_maxLength < 0 || !m_buffer) return;
    if (m_maxLength == 0) {
        release();
        return;
    }
    const int32_t keep = getLength() < m_maxLength - 1 ? getLength() : m_maxLength - 1;
    char* buffer = allocateArray<char>(static_cast<size_t>(m_maxLength));
    if (!buffer) return;
    std::memset(buffer, 0, m_maxLength);
    std::memcpy(buffer, m_buffer, keep);
    Vornet_Private::release(m_buffer);
    m_buffer = buffer;
    m_allocated = m_maxLength;
}

STRING operator+(const STRING& left, const char* right)
{
    STRING result(left);
    result.append(right);
    return result;
}

STRING operator+(const char* left, const STRING& right)
{
    STRING result(left);
    result.append(right.getBuffer());
    return result;
}

STRING operator+(const STRING& left, char right)
{
    STRING result(left);
    result.appendChar(right);
    return result;
}

}  // namespace Vornet_Private
